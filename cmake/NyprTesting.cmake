include(GoogleTest)

# Every test carries labels from this list and a time-out; check_test_labels.cmake (run by
# ctest as nypr_test_labels) holds the suite to it.
set(NYPR_KNOWN_TEST_LABELS unit integration dialog slow soak fuzz)

# Records the labels a test declares, so the label check knows which must have tests.
function(_nypr_declare_labels name)
  foreach(label ${ARGN})
    if(NOT label IN_LIST NYPR_KNOWN_TEST_LABELS)
      message(FATAL_ERROR "${name}: unknown test label '${label}' (known: ${NYPR_KNOWN_TEST_LABELS})")
    endif()
    set_property(GLOBAL APPEND PROPERTY NYPR_DECLARED_TEST_LABELS ${label})
  endforeach()
endfunction()

# nypr_add_test(NAME LABELS <labels...> [TIMEOUT seconds] SOURCES <files...> LIBS <targets...>
#               [NOT_UNDER_WINE <Suite.Test> "<why>" ...]
#               [NOT_UNDER_SANITIZER <Suite.Test> "<why>" ...])
# One GoogleTest executable; every test case becomes a CTest test carrying the labels.
# NOT_UNDER_WINE names test cases (each followed by its reason) that the Windows build
# lists as disabled instead of running: ctest shows them as "Not Run (Disabled)".
# NOT_UNDER_SANITIZER does the same in the sanitizer build (NYPR_SANITIZE).
function(nypr_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS;SOURCES;LIBS;NOT_UNDER_WINE;NOT_UNDER_SANITIZER"
                        ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main nypr_options Threads::Threads)
  # Tests read their large expected data from tests/data (tests/support/test_data.h).
  target_compile_definitions(${name} PRIVATE NYPR_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(NOT ARG_LABELS)
    message(FATAL_ERROR "${name}: no LABELS")
  endif()
  _nypr_declare_labels(${name} ${ARG_LABELS})
  # The properties go on in a script of our own: gtest_discover_tests (CMake 3.25) splits a
  # label list given in PROPERTIES into property names and values, so "integration;slow"
  # would set LABELS to "integration" and drop the time-out after it.
  if(WIN32)
    # A program linking the driver's objects statically starts the driver as the DLL
    # would; the test list is read when ctest runs (under wine), not at build time.
    if("nypr_internal" IN_LIST ARG_LIBS OR "nypr_test_support" IN_LIST ARG_LIBS)
      target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/module_start.cpp
                                     ${NYPR_STRINGS_RC})
    endif()
    set(_discovery DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${name} TEST_LIST ${name}_TESTS DISCOVERY_TIMEOUT 60 ${_discovery})
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
  file(WRITE "${script}"
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\" TIMEOUT ${ARG_TIMEOUT})\n"
    "endif()\n")
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    while(ARG_NOT_UNDER_WINE)
      list(POP_FRONT ARG_NOT_UNDER_WINE _test _why)
      message(STATUS "${name}: ${_test} not run under wine: ${_why}")
      file(APPEND "${script}"
        "list(FIND ${name}_TESTS \"${_test}\" _found)\n"
        "if(NOT _found EQUAL -1)\n"
        "  set_tests_properties(${_test} PROPERTIES DISABLED TRUE)\n"
        "endif()\n")
    endwhile()
  endif()
  if(NYPR_SANITIZE)
    while(ARG_NOT_UNDER_SANITIZER)
      list(POP_FRONT ARG_NOT_UNDER_SANITIZER _test _why)
      message(STATUS "${name}: ${_test} not run under the sanitizers: ${_why}")
      file(APPEND "${script}"
        "list(FIND ${name}_TESTS \"${_test}\" _found)\n"
        "if(NOT _found EQUAL -1)\n"
        "  set_tests_properties(${_test} PROPERTIES DISABLED TRUE)\n"
        "endif()\n")
    endwhile()
  endif()
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()

# nypr_set_test_labels(TEST LABELS <labels...> [TIMEOUT seconds]) for tests added with add_test.
function(nypr_set_test_labels test)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  _nypr_declare_labels(${test} ${ARG_LABELS})
  set_tests_properties(${test} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT})
endfunction()

# nypr_add_label_check(): a test that fails when a declared label (or one of the main
# labels) has no test, or a test has no label or no time-out. Call it last.
function(nypr_add_label_check)
  get_property(declared GLOBAL PROPERTY NYPR_DECLARED_TEST_LABELS)
  set(required ${declared})
  # The Windows build runs fewer suites (no simulator there): there, every label its tests
  # declare must still have them.
  if(NOT NYPR_ONLY_AREAS AND NOT WIN32)
    list(APPEND required unit integration dialog slow)
  endif()
  list(REMOVE_DUPLICATES required)
  add_test(NAME nypr_test_labels
    COMMAND ${CMAKE_COMMAND} -DCTEST=${CMAKE_CTEST_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
            "-DREQUIRED=${required}" "-DKNOWN=${NYPR_KNOWN_TEST_LABELS}"
            -P ${PROJECT_SOURCE_DIR}/cmake/check_test_labels.cmake)
  set_tests_properties(nypr_test_labels PROPERTIES LABELS unit TIMEOUT 120)
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
  nypr_set_test_labels(${name}_corpus LABELS unit fuzz)
  if(NYPR_BUILD_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} nypr_options)
  endif()
endfunction()

# Windows programs of a cross build run under wine: i686 under 32-bit wine (the product),
# x86_64 under wine64. The prefix is the build tree's own.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(NYPR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(NYPR_WINEARCH win32)
    set(NYPR_WINE wine)
  else()
    set(NYPR_WINEARCH win64)
    # Debian keeps wine64 out of PATH; its `wine` would pick 32-bit wine whenever that is
    # installed, even where it cannot start.
    find_program(NYPR_WINE64 wine64 PATHS /usr/lib/wine /usr/lib/wine64 REQUIRED)
    set(NYPR_WINE ${NYPR_WINE64})
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run
    @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
