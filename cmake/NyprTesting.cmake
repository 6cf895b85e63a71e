include(GoogleTest)

# nypr_add_test(NAME LABELS <labels...> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable; every test case becomes a CTest test carrying the labels.
function(nypr_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  if(WIN32 AND ("nypr_test_support" IN_LIST ARG_LIBS OR "ktsim" IN_LIST ARG_LIBS))
    message(STATUS "${name}: POSIX only (drives the in-process printer simulator)")
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main nypr_options Threads::Threads)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(WIN32)
    # A program linking the driver's objects statically starts the driver as the DLL
    # would; the test list is read when ctest runs (under wine), not at build time.
    if("nypr_internal" IN_LIST ARG_LIBS)
      target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/module_start.cpp)
    endif()
    set(_discovery DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${name}
    PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT}
    DISCOVERY_TIMEOUT 60 ${_discovery})
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

# Windows programs of a cross build run under wine: i686 under 32-bit wine (the product),
# x86_64 under wine64. The prefix is the build tree's own.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(NYPR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(NYPR_WINEARCH win32)
    set(NYPR_WINE wine)
  else()
    set(NYPR_WINEARCH win64)
    set(NYPR_WINE wine64)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run
    @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
