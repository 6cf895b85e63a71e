# cmake -P: the CUPS pieces installed under a prefix, where CUPS wants them, with a
# backend CUPS accepts (not writable by group or others) that finds the module itself.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed (${rc}):\n${out}\n${err}")
endif()
set(backend ${prefix}/${SERVERBIN}/backend/kt3600r)
foreach(f ${backend} ${prefix}/${SERVERBIN}/filter/rastertokt3600r
    ${prefix}/${DATADIR}/model/nyprkt3600r/kt3600r.ppd)
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
execute_process(COMMAND stat -c %a ${backend} OUTPUT_VARIABLE mode OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT mode STREQUAL "755")
  message(FATAL_ERROR "backend mode ${mode}, CUPS wants 755")
endif()
# Wrong arguments: the backend starts (its libraries found) and prints its usage.
set(ENV{ASAN_OPTIONS} "detect_leaks=0")
execute_process(COMMAND ${backend} one RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Usage: ")
  message(FATAL_ERROR "installed backend does not start (${rc}):\n${err}")
endif()
message(STATUS "CUPS driver installed under ${prefix}")
