# The ZIP a host vendor receives (cpack in the win32 build: build/win32/packages):
#   nyprkt3600r.dll, nyprkt3600r.def    the driver module and its export names
#   include/nyprkt3600r/                the public headers
#   README.md                           for host vendors (docs/windows-package/README.md)
#   ktprint/                            ktprint.exe with the stand-in host DLLs (NyLib.dll,
#                                       NyDrw.dll) and a copy of the module, to check a
#                                       printer without the host; never beside the real host
# Programs and DLLs go in stripped (the build's debug information stays in the build
# tree); import libraries stay out: the .def is the vendor's way to one.
install(TARGETS nyprkt3600r RUNTIME DESTINATION . ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/src/nyprkt3600r.def DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/nyprkt3600r DESTINATION include
  FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_SOURCE_DIR}/docs/windows-package/README.md DESTINATION .)
install(TARGETS ktprint NyLib NyDrw nyprkt3600r RUNTIME DESTINATION ktprint
  ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME nyprkt3600r)
set(CPACK_PACKAGE_VENDOR "NYPRKT3600R developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
