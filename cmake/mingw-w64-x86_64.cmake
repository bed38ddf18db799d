# SPDX-License-Identifier: MIT
# 64-bit Windows with Debian's MinGW-w64 (the POSIX threads flavour, which
# std::thread needs):
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DSCRIBA8_BUILD_APP=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SCRIBA8_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SCRIBA8_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SCRIBA8_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SCRIBA8_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW tree only, never the build
# machine's; programs (Python, the code generators) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${SCRIBA8_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
