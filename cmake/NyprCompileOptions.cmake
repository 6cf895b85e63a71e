# Warnings and sanitizers for every target of the project (not for third-party code).
add_library(nypr_options INTERFACE)
target_compile_options(nypr_options INTERFACE -Wall -Wextra)
if(NYPR_WERROR)
  target_compile_options(nypr_options INTERFACE -Werror)
endif()
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
