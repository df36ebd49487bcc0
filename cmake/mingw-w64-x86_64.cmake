# SPDX-License-Identifier: MIT
# Cross-builds the Windows program (quelder.exe) on Debian with MinGW-w64
# (package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DBUILD_TESTING=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUELDER_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model is the one Debian's g++-mingw-w64-x86-64-posix ships;
# naming it avoids depending on which variant the alternatives system picked.
set(CMAKE_C_COMPILER ${QUELDER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUELDER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUELDER_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW sysroot only; build tools from the
# host.
set(CMAKE_FIND_ROOT_PATH /usr/${QUELDER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
