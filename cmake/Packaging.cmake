# Packages: `cpack` in a build folder, after building, gives the Debian package
# navlist_<version>_<arch>.deb (a zip archive in a Windows build).
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_PACKAGE_NAME navlist)
set(CPACK_PACKAGE_VENDOR "navlist developers")
set(CPACK_PACKAGE_CONTACT "navlist maintainers <maintainers@navlist.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "navlist reads a DVD-Video folder (VIDEO_TS.IFO, VTS_01_0.IFO, ... and the\n\
menu .VOB files) and prints every navigation command stored in it: the pre-,\n\
post- and cell commands of every program chain and the commands of every menu\n\
button, each with its file offset, raw bytes and a one-line decoding.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(DPKG_EXECUTABLE dpkg)
if(DPKG_EXECUTABLE)
  execute_process(COMMAND ${DPKG_EXECUTABLE} --print-architecture
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
# Library dependencies from the binary itself when dpkg-shlibdeps is there.
find_program(DPKG_SHLIBDEPS_EXECUTABLE dpkg-shlibdeps)
if(DPKG_SHLIBDEPS_EXECUTABLE)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  if(UDFREAD_FOUND)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libudfread0")
  endif()
endif()

include(CPack)
