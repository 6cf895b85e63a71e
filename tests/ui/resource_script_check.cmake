# Generates the resource script and compiles it; fails on any resource compiler message.
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${RCGEN} ${WORK}/nyprkt3600r.rc RESULT_VARIABLE gen)
if(NOT gen EQUAL 0)
  message(FATAL_ERROR "resource generator failed: ${gen}")
endif()
execute_process(COMMAND ${WINDRES} ${WORK}/nyprkt3600r.rc -O coff -o ${WORK}/nyprkt3600r.res.o
  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT "${err}" STREQUAL "")
  message(FATAL_ERROR "windres: ${rc}\n${out}${err}")
endif()
file(READ ${WORK}/nyprkt3600r.rc script)
foreach(dialog DIALOG_WAIT_FINISH DIALOG_SEARCHKT_LIST DIALOG_KT36R DIALOG_MAINTENANCE
        DIALOG_HIGHLEVEL DIALOG_SENSOR DIALOG_DISPLAY DIALOG_KT36R_IP DIALOG_KT36R_TEST
        DIALOG_KT36R_TESTPRT DIALOG_MOTO_TEST DIALOG_HEAD_EXPIRE)
  if(NOT script MATCHES "\n${dialog} DIALOGEX")
    message(FATAL_ERROR "${dialog} missing from the resource script")
  endif()
endforeach()
