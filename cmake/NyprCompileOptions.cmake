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
