# ktprint.exe under wine turns a picture into its label preview without a printer.
# Its output goes to files, not pipes: wine's desktop process, started by the first
# program that uses the display, inherits that program's handles and would keep a pipe
# (and the test) open until it exits.
file(REMOVE ${PREVIEW})
execute_process(COMMAND ${WINE_RUN} ${KTPRINT} print ${PICTURE} --preview ${PREVIEW}
  OUTPUT_FILE ${PREVIEW}.out ERROR_FILE ${PREVIEW}.err RESULT_VARIABLE rc)
file(READ ${PREVIEW}.out out)
file(READ ${PREVIEW}.err err)
if(NOT rc EQUAL 0 OR NOT out MATCHES ": 960 x 600" OR NOT EXISTS ${PREVIEW})
  message(FATAL_ERROR "ktprint.exe exit ${rc}\n${out}${err}")
endif()
message(STATUS "${out}")
