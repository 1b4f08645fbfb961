# SPDX-License-Identifier: MIT
# Cross-compiles navlist for 64-bit Windows with Debian's mingw-w64 (the posix
# thread model variant, for std::filesystem and std::thread), linking
# everything statically so the .exe files run without any DLL of the compiler.
# Programs built here run through wine: ctest, gtest_discover_tests and
# add_test(COMMAND <target>) use CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NAVLIST_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${NAVLIST_MINGW_PREFIX}-gcc-posix ${NAVLIST_MINGW_PREFIX}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${NAVLIST_MINGW_PREFIX}-g++-posix ${NAVLIST_MINGW_PREFIX}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${NAVLIST_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NAVLIST_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(NAVLIST_WINE NAMES wine64 wine)
if(NAVLIST_WINE)
  # -all silences wine's own diagnostics, which would otherwise mix with the
  # test programs' output.
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${NAVLIST_WINE})
endif()
