# Installation (cmake --install) and the Debian package (cpack -G DEB):
#   bin/ktprint, bin/kt3600r-sim          the command-line host and the printer simulator
#   lib/libnyprkt3600r.so.<v>             the driver module (SONAME libnyprkt3600r.so.<major>)
#   lib/libnyhost.so.<v>                  the stand-in host support library
#   include/nyprkt3600r/, include/nyhost/ the public headers and the stand-in host's control
#   lib/pkgconfig/nyprkt3600r.pc          for pkg-config
#   lib/cmake/nyprkt3600r/                find_package(nyprkt3600r): nyprkt3600r::nyprkt3600r,
#                                         nyprkt3600r::nyhost
#   share/man/man1/, share/locale/        manual pages, ktprint's message catalogues
#   bin/kt3600r-printer-app               the printer application (where PAPPL is found), with
#   lib/systemd/system/                   its systemd unit
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(NYPR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/nyprkt3600r)

if(NOT WIN32)
  # The Windows host loads nyprkt3600r.dll by that name: versions are for ELF only.
  set_target_properties(nyprkt3600r nyhost PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  # Installed anywhere, the module finds its host library and the programs their
  # libraries relative to themselves.
  set_target_properties(nyprkt3600r PROPERTIES INSTALL_RPATH "$ORIGIN")
  foreach(program ktprint kt3600r-sim)
    if(TARGET ${program})
      set_target_properties(${program} PROPERTIES
        INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    endif()
  endforeach()
endif()

install(TARGETS nyprkt3600r nyhost EXPORT nyprkt3600rTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/nyprkt3600r
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_SOURCE_DIR}/host/include/nyhost/nyhost_control.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/nyhost)

foreach(program ktprint kt3600r-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/docs/man/${program}.1
      DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(TARGET ktprint_catalogues)
  install(DIRECTORY ${PROJECT_BINARY_DIR}/tools/ktprint/locale/
    DESTINATION ${CMAKE_INSTALL_LOCALEDIR})
endif()

# CMake package.
install(EXPORT nyprkt3600rTargets NAMESPACE nyprkt3600r:: DESTINATION ${NYPR_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/nyprkt3600rConfig.cmake.in
  ${PROJECT_BINARY_DIR}/nyprkt3600rConfig.cmake INSTALL_DESTINATION ${NYPR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/nyprkt3600rConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/nyprkt3600rConfig.cmake
  ${PROJECT_BINARY_DIR}/nyprkt3600rConfigVersion.cmake DESTINATION ${NYPR_CMAKE_DIR})

# pkg-config file, relocatable: the prefix is found from the file's own place.
file(RELATIVE_PATH NYPR_PC_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" NYPR_PC_PREFIX "${NYPR_PC_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/nyprkt3600r.pc.in ${PROJECT_BINARY_DIR}/nyprkt3600r.pc
  @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/nyprkt3600r.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Debian package.
set(CPACK_PACKAGE_NAME nyprkt3600r)
set(CPACK_PACKAGE_VENDOR "NYPRKT3600R developers")
set(CPACK_PACKAGE_CONTACT "NYPRKT3600R developers <nyprkt3600r@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Driver module for the KT3600R network thermal label printer, with ktprint, the CUPS driver and the printer application")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
