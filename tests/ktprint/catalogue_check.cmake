# cmake -P: extracts ktprint's own texts and checks that po/ja.po translates each of them.
file(GLOB sources ${SOURCE_DIR}/*.cpp)
list(FILTER sources EXCLUDE REGEX "driver_messages_en\\.cpp$")
execute_process(COMMAND ${XGETTEXT} --keyword=tr --language=C++ --from-code=UTF-8
  --omit-header -o ${POT} ${sources} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "xgettext failed: ${err}")
endif()
execute_process(COMMAND ${MSGCMP} ${SOURCE_DIR}/po/ja.po ${POT} RESULT_VARIABLE rc
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "po/ja.po misses texts of ktprint:\n${err}")
endif()
