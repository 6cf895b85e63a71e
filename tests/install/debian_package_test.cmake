# cmake -P: cpack -G DEB, then the package's files and dependencies.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB deb ${WORK_DIR}/*.deb)
if(NOT rc EQUAL 0 OR NOT deb)
  message(FATAL_ERROR "cpack failed (${rc}):\n${out}\n${err}")
endif()
execute_process(COMMAND ${DPKG_DEB} -c ${deb} OUTPUT_VARIABLE files)
# The printer application beside the CUPS driver, where PAPPL was found.
set(app_files "")
if(EXISTS ${BUILD_DIR}/tools/printer-app/kt3600r-printer-app)
  set(app_files usr/bin/kt3600r-printer-app usr/share/man/man1/kt3600r-printer-app.1
      usr/lib/systemd/system/kt3600r-printer-app.service)
endif()
foreach(f usr/bin/ktprint usr/bin/kt3600r-sim usr/include/nyprkt3600r/nyprkt3600r.h
    usr/include/nyhost/nyhost_control.h usr/share/man/man1/ktprint.1
    usr/share/locale/ja/LC_MESSAGES/ktprint.mo nyprkt3600r.pc nyprkt3600rConfig.cmake
    "libnyprkt3600r\\.so\\.[0-9]+ ->" "libnyhost\\.so\\.[0-9]+\\.[0-9]+\\.[0-9]+" ${app_files})
  if(NOT files MATCHES "${f}")
    message(FATAL_ERROR "${f} is not in the package:\n${files}")
  endif()
endforeach()
execute_process(COMMAND ${DPKG_DEB} -f ${deb} Depends OUTPUT_VARIABLE depends)
if(NOT depends MATCHES "libc6")
  message(FATAL_ERROR "no shared library dependencies: ${depends}")
endif()
if(app_files)
  execute_process(COMMAND ${DPKG_DEB} -x ${deb} ${WORK_DIR}/root)
  file(READ ${WORK_DIR}/root/usr/lib/systemd/system/kt3600r-printer-app.service unit)
  if(NOT unit MATCHES "\nExecStart=/usr/bin/kt3600r-printer-app server ")
    message(FATAL_ERROR "the packaged unit does not start /usr/bin/kt3600r-printer-app:\n${unit}")
  endif()
endif()
