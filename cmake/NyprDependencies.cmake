# Debian packages installed by scripts/bootstrap.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

# SimpleIni: INI parser behind the profile functions. Debian builds its char instances
# into libsimpleini; the narrow, unconverted flavour is the one whose bytes we keep (CP932).
find_path(SIMPLEINI_INCLUDE_DIR SimpleIni.h REQUIRED)
find_library(SIMPLEINI_LIBRARY simpleini REQUIRED)
add_library(nypr_simpleini INTERFACE)
target_include_directories(nypr_simpleini SYSTEM INTERFACE ${SIMPLEINI_INCLUDE_DIR})
target_compile_definitions(nypr_simpleini INTERFACE SI_NO_CONVERSION)
target_link_libraries(nypr_simpleini INTERFACE ${SIMPLEINI_LIBRARY})

# stb: PNG and image reading/writing in the tools and tests.
find_path(STB_INCLUDE_DIR stb/stb_image.h REQUIRED)
find_library(STB_LIBRARY stb REQUIRED)
add_library(nypr_stb INTERFACE)
target_include_directories(nypr_stb SYSTEM INTERFACE ${STB_INCLUDE_DIR}/stb)
target_link_libraries(nypr_stb INTERFACE ${STB_LIBRARY})

# CLI11: command lines of the tools.
find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp REQUIRED)
add_library(nypr_cli11 INTERFACE)
target_include_directories(nypr_cli11 SYSTEM INTERFACE ${CLI11_INCLUDE_DIR})

if(NYPR_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(NYPR_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
