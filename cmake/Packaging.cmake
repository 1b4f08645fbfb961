# SPDX-License-Identifier: MIT
# Packages: `cpack` in a build folder, after building, gives the Debian package
# navlist_<version>_<arch>.deb (a zip archive in a Windows build).
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_PACKAGE_NAME navlist)
set(CPACK_PACKAGE_VENDOR "the navlist authors")
set(CPACK_PACKAGE_CONTACT "navlist maintainers <maintainers@navlist.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "navlist reads a DVD-Video disc where it is kept: its VIDEO_TS folder or the\n\
folder above it, an ISO/UDF image file, or a disc in a drive. It prints every\n\
navigation command stored in it: the pre-, post- and cell commands of every\n\
program chain and the commands of every menu button, each with its file\n\
offset, raw bytes and a one-line decoding, as text, as JSON or as a Graphviz\n\
graph. It also runs the disc's navigation as a player does, from first play,\n\
and finds which titles a viewer can reach and which one is the film.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_STRIP_FILES ON)
# Folders in the package are rwxr-xr-x whatever the umask of the one who packs it.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(DPKG_EXECUTABLE dpkg)
if(DPKG_EXECUTABLE)
  execute_process(COMMAND ${DPKG_EXECUTABLE} --print-architecture
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
# Library dependencies come from the binary (dpkg-shlibdeps), so they follow whatever it
# links; cmake/CPackProjectConfig.cmake refuses to make the package without the tool.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/CPackProjectConfig.cmake")

# What only the package carries is in component "package", which `cmake --install`
# leaves out. The Debian package has the copyright file, the changelog and the gzipped
# manual page (see docs/) instead of the plain page, which is in component "manual";
# the zip archive has the licence beside the program. An install() rule for any other
# named component must be added to package_components to be packaged.
if(WIN32)
  install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION . RENAME LICENSE.txt
          COMPONENT package EXCLUDE_FROM_ALL)
  set(package_components Unspecified manual package)
else()
  set(package_components Unspecified package)
  find_program(GZIP_EXECUTABLE gzip REQUIRED)
  set(debian_doc "${PROJECT_BINARY_DIR}/debian-doc")

  # copyright in the machine-readable format 1.0, its licence text taken from LICENSE.
  # Debian calls this licence "Expat" (its list has several licences named MIT).
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE")
  file(READ "${PROJECT_SOURCE_DIR}/LICENSE" licence)
  if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(Permission is hereby granted.*)$")
    message(FATAL_ERROR "LICENSE: no \"Copyright (c) ...\" line followed by the MIT licence text")
  endif()
  set(holder "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" licence_text)
  string(REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
  string(REPLACE "\n" "\n " licence_text "${licence_text}")
  file(CONFIGURE OUTPUT "${debian_doc}/copyright" @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PROJECT_NAME}

Files: *
Copyright: ${holder}
License: Expat
 ${licence_text}
")

  # changelog.gz: the released sections of CHANGELOG.md in Debian's changelog format.
  add_custom_command(
    OUTPUT "${debian_doc}/changelog.gz"
    COMMAND "${CMAKE_COMMAND}" -D "CHANGELOG=${PROJECT_SOURCE_DIR}/CHANGELOG.md"
            -D "OUTPUT=${debian_doc}/changelog.gz" -D "PACKAGE=${CPACK_PACKAGE_NAME}"
            -D "VERSION=${PROJECT_VERSION}" -D "MAINTAINER=${CPACK_DEBIAN_PACKAGE_MAINTAINER}"
            -D "GZIP=${GZIP_EXECUTABLE}" -P "${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake"
    DEPENDS "${PROJECT_SOURCE_DIR}/CHANGELOG.md" "${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake"
    VERBATIM)
  add_custom_target(debian_changelog ALL DEPENDS "${debian_doc}/changelog.gz")
  install(FILES "${debian_doc}/copyright" "${debian_doc}/changelog.gz"
          DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT package EXCLUDE_FROM_ALL)
endif()

foreach(component IN LISTS package_components)
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};${component};/")
endforeach()

include(CPack)
