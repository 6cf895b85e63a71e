include(GoogleTest)

# nypr_add_test(NAME LABELS <labels...> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable; every test case becomes a CTest test carrying the labels.
function(nypr_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main nypr_options Threads::Threads)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name}
    PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT}
    DISCOVERY_TIMEOUT 60)
endfunction()

# nypr_add_fuzzer(NAME SOURCES <files...> LIBS <targets...> CORPUS <dir>)
# The sources define LLVMFuzzerTestOneInput. With NYPR_BUILD_FUZZ (clang) a libFuzzer
# binary NAME is built; always, NAME_replay runs every corpus file through the same entry
# point as an ordinary test, so CI checks the corpus (regression-* files) without fuzzing.
function(nypr_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name}_replay ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
  target_link_libraries(${name}_replay PRIVATE ${ARG_LIBS} nypr_options)
  add_test(NAME ${name}_corpus COMMAND ${name}_replay ${ARG_CORPUS})
  set_tests_properties(${name}_corpus PROPERTIES LABELS "unit;fuzz" TIMEOUT 120)
  if(NYPR_BUILD_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} nypr_options)
  endif()
endfunction()
