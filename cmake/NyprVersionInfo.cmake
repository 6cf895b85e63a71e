# nypr_version_info(TARGET FILE DESCRIPTION_JA DESCRIPTION_EN)
# Gives a Windows DLL a VERSIONINFO resource from the project's version: file and product
# version, description, internal and original file name, in a Japanese and an English
# block (the host's users read either in Explorer's file properties).
function(nypr_version_info target file description_ja description_en)
  set(NYPR_VI_FILE ${file})
  set(NYPR_VI_DESCRIPTION_JA ${description_ja})
  set(NYPR_VI_DESCRIPTION_EN ${description_en})
  get_filename_component(NYPR_VI_INTERNAL ${file} NAME_WE)
  set(_rc ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${_rc} @ONLY)
  target_sources(${target} PRIVATE ${_rc})
endfunction()
