# Warnings and sanitizers for every target of the project (not for third-party code).
add_library(nypr_options INTERFACE)
target_compile_options(nypr_options INTERFACE -Wall -Wextra)
if(NYPR_WERROR)
  target_compile_options(nypr_options INTERFACE -Werror)
endif()
# GCC 12 reports std::string concatenation inlined at -O2/-O3 as overlapping memcpy
# (-Wrestrict, a known false positive of that release); optimised builds leave it out.
target_compile_options(nypr_options INTERFACE
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<NOT:$<CONFIG:Debug>>>:-Wno-restrict>)
if(NYPR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(NYPR_BUILD_FUZZ)
  # Everything the fuzzers reach is instrumented, so the library code behind each entry
  # point gets coverage guidance and address checks, not only the entry file.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(WIN32)
  # The DLL and the programs carry their C++ and thread runtimes: a host installs one
  # file next to its own libraries and nothing else.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)
  # Resource scripts are UTF-8, like the sources they are made from.
  enable_language(RC)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
endif()
# The system DLLs the Windows backends use (empty elsewhere).
set(NYPR_WIN32_SYSTEM_LIBS)
if(WIN32)
  set(NYPR_WIN32_SYSTEM_LIBS ws2_32 gdi32 user32 kernel32)
endif()

# nypr_win32_import_lib(TARGET DEF): after each link, replace TARGET's import library
# with one whose symbols are those callers use (cmake/NyprWin32ImportLib.cmake).
function(nypr_win32_import_lib target def)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_prefix _)
  else()
    set(_prefix "")
  endif()
  string(REGEX REPLACE "g\\+\\+(-posix)?$" "" _tp "${CMAKE_CXX_COMPILER}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:${target}> -DDEF=${def}
      -DIMPLIB=$<TARGET_LINKER_FILE:${target}> -DNM=${_tp}nm -DDLLTOOL=${_tp}dlltool
      -DPREFIX=${_prefix} -P ${PROJECT_SOURCE_DIR}/cmake/NyprWin32ImportLib.cmake
    VERBATIM)
endfunction()
if(WIN32)
  # Programs and DLLs side by side, as Windows finds a program's DLLs in its directory.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
