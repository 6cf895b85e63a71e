# cmake -P: cpack -G ZIP in the Windows build, the package unpacked, its files, and the
# version resource and string table of the DLLs in it (windres reads them back).
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack -G ZIP --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB zip ${WORK_DIR}/nyprkt3600r-${VERSION}-win*.zip)
if(NOT rc EQUAL 0 OR NOT zip)
  message(FATAL_ERROR "cpack failed (${rc}):\n${out}\n${err}")
endif()
file(MAKE_DIRECTORY ${WORK_DIR}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${WORK_DIR}/unpacked
  RESULT_VARIABLE rc)
file(GLOB_RECURSE files RELATIVE ${WORK_DIR}/unpacked ${WORK_DIR}/unpacked/*)
list(SORT files)
file(GLOB headers RELATIVE ${SOURCE_DIR}/include ${SOURCE_DIR}/include/nyprkt3600r/*.h)
get_filename_component(top ${zip} NAME_WE)
string(REGEX REPLACE "\\.zip$" "" top "${zip}")
get_filename_component(top ${top} NAME)
set(expected nyprkt3600r.dll nyprkt3600r.def README.md ktprint/ktprint.exe ktprint/NyLib.dll
  ktprint/NyDrw.dll ktprint/nyprkt3600r.dll)
foreach(h IN LISTS headers)
  list(APPEND expected include/${h})
endforeach()
list(TRANSFORM expected PREPEND "${top}/")
list(SORT expected)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "package files:\n  ${files}\nexpected:\n  ${expected}")
endif()

# windres writes the resources back as a script: one VERSIONINFO with the project's
# version in a Japanese and an English block, and in the module one string table only.
string(REPLACE "." ", " commas "${VERSION}")
foreach(dll nyprkt3600r.dll ktprint/NyLib.dll ktprint/NyDrw.dll)
  get_filename_component(name ${dll} NAME)
  execute_process(COMMAND ${WINDRES} -O rc -i ${WORK_DIR}/unpacked/${top}/${dll}
    RESULT_VARIABLE rc OUTPUT_VARIABLE script ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "windres cannot read ${dll}: ${err}")
  endif()
  foreach(want "FILEVERSION ${commas}, 0" "PRODUCTVERSION ${commas}, 0"
      "BLOCK \"041104[bB]0\"" "BLOCK \"040904[bB]0\"" "VALUE \"OriginalFilename\", \"${name}\""
      "VALUE \"FileVersion\", \"${VERSION}\"" "VALUE \"FileDescription\", L?\"[^\"]+\""
      "VALUE \"Translation\", 0x411, 1200, 0x409, 1200")
    if(NOT script MATCHES "${want}")
      message(FATAL_ERROR "${dll}: no ${want} in its resources:\n${script}")
    endif()
  endforeach()
  if(name STREQUAL "nyprkt3600r.dll")
    # windres names a language when it changes: the languages in force at the tables.
    string(REGEX MATCHALL "LANGUAGE [0-9]+, [0-9]+|STRINGTABLE" tokens "${script}")
    set(language "")
    set(tables "")
    foreach(t IN LISTS tokens)
      if(t STREQUAL "STRINGTABLE")
        list(APPEND tables "${language}")
      else()
        set(language "${t}")
      endif()
    endforeach()
    list(REMOVE_DUPLICATES tables)
    if(NOT tables STREQUAL "LANGUAGE 17, 1")
      message(FATAL_ERROR "${dll}: the string table in other languages than Japanese: ${tables}")
    endif()
  endif()
endforeach()
# ktprint runs as unpacked, on the DLLs of its own folder.
if(EMULATOR)
  execute_process(COMMAND ${EMULATOR} ${WORK_DIR}/unpacked/${top}/ktprint/ktprint.exe --help
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "SUBCOMMAND")
    message(FATAL_ERROR "the packaged ktprint.exe does not run (${rc}):\n${out}\n${err}")
  endif()
endif()
message(STATUS "${zip}: ${files}")
