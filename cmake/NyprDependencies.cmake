# Debian packages installed by scripts/bootstrap.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

if(CMAKE_CROSSCOMPILING)
  # The header-only Debian packages live in /usr/include beside the Linux C library, which
  # a cross compiler must not see: link just them into a directory of their own.
  set(_hdrs ${CMAKE_BINARY_DIR}/cross-include)
  file(MAKE_DIRECTORY ${_hdrs})
  foreach(_h stb CLI)
    if(EXISTS /usr/include/${_h} AND NOT EXISTS ${_hdrs}/${_h})
      file(CREATE_LINK /usr/include/${_h} ${_hdrs}/${_h} SYMBOLIC)
    endif()
  endforeach()
  set(STB_INCLUDE_DIR ${_hdrs} CACHE PATH "")
  set(CLI11_INCLUDE_DIR ${_hdrs} CACHE PATH "")
endif()

# stb: PNG and image reading/writing in the tools and tests.
find_path(STB_INCLUDE_DIR stb/stb_image.h REQUIRED)
add_library(nypr_stb INTERFACE)
target_include_directories(nypr_stb SYSTEM INTERFACE ${STB_INCLUDE_DIR}/stb)
if(WIN32)
  # Debian ships stb built for Linux only: the cross build compiles the two headers it uses.
  add_library(nypr_stb_impl STATIC ${CMAKE_CURRENT_LIST_DIR}/stb_impl.c)
  target_include_directories(nypr_stb_impl SYSTEM PRIVATE ${STB_INCLUDE_DIR}/stb)
  target_link_libraries(nypr_stb INTERFACE nypr_stb_impl)
else()
  find_library(STB_LIBRARY stb REQUIRED)
  target_link_libraries(nypr_stb INTERFACE ${STB_LIBRARY})
endif()

# CLI11: command lines of the tools.
find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp REQUIRED)
add_library(nypr_cli11 INTERFACE)
target_include_directories(nypr_cli11 SYSTEM INTERFACE ${CLI11_INCLUDE_DIR})

if(NYPR_BUILD_TESTS AND WIN32)
  # No mingw build of GoogleTest in Debian: build its sources with the cross compiler.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
elseif(NYPR_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
# Google Benchmark has no mingw build in Debian: a Windows build makes only the portable
# timing programs of bench/.
if(NYPR_BUILD_BENCH AND NOT WIN32)
  find_package(benchmark REQUIRED)
endif()
