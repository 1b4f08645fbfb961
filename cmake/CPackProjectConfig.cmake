# SPDX-License-Identifier: MIT
# Read by cpack for each package it makes. The Debian package's dependencies come from
# dpkg-shlibdeps (Debian dpkg-dev); without it CPack would make a package that depends
# on nothing, so stop instead.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(NAVLIST_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT NAVLIST_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps (Debian package dpkg-dev) is needed to make the Debian package")
  endif()
endif()
