# nypr_dialog_resources(OUT_VAR)
# Generates the module's resource script (dialogs and string table) from src/resources at
# build time (one copy per calling directory) and sets OUT_VAR to its path, for the DLL's sources. The generator is built
# for the build machine: the native target nypr_rcgen, or, when cross-compiling, a direct
# compile with NYPR_HOST_CXX.
set(NYPR_HOST_CXX "c++" CACHE STRING "C++ compiler of the build machine (resource generator)")

function(nypr_dialog_resources out_var)
  set(_src ${PROJECT_SOURCE_DIR}/src)
  set(_inputs ${PROJECT_SOURCE_DIR}/tools/rcgen/rcgen.cpp ${_src}/resources/dialog_templates.cpp
    ${_src}/resources/string_table.cpp)
  set(_rc ${CMAKE_CURRENT_BINARY_DIR}/generated/nyprkt3600r.rc)
  if(CMAKE_CROSSCOMPILING)
    set(_gen ${CMAKE_CURRENT_BINARY_DIR}/generated/nypr_rcgen)
    add_custom_command(OUTPUT ${_gen}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
      COMMAND ${NYPR_HOST_CXX} -std=c++20 -O1 -I${_src} -I${PROJECT_SOURCE_DIR}/include
              ${_inputs} -o ${_gen}
      DEPENDS ${_inputs} ${_src}/platform/ui_template.h ${_src}/resources/dialog_templates.h
              ${_src}/resources/string_table.h
      COMMENT "Building the resource generator for the build machine")
    set(_run ${_gen})
    set(_deps ${_gen})
  else()
    set(_run $<TARGET_FILE:nypr_rcgen>)
    set(_deps nypr_rcgen)
  endif()
  add_custom_command(OUTPUT ${_rc}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
    COMMAND ${_run} ${_rc}
    DEPENDS ${_deps}
    COMMENT "Generating the dialog resources")
  set(${out_var} ${_rc} PARENT_SCOPE)
endfunction()
