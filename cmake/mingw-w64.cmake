# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with Debian's mingw-w64, posix thread model
# (the win32 one lacks std::mutex):
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DCMAKE_PREFIX_PATH=<Qt for Windows, from tools/qt-mingw.sh>
#
# ./package.sh --windows and ./test.sh --windows do this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORV_MINGW_TRIPLE}-windres)
# CMake cannot tell the binutils' prefix from a compiler name ending in -posix.
foreach(tool AR RANLIB STRIP OBJDUMP OBJCOPY NM LINKER)
    string(TOLOWER ${tool} name)
    if(name STREQUAL "linker")
        set(name ld)
    endif()
    set(CMAKE_${tool} /usr/bin/${ORV_MINGW_TRIPLE}-${name} CACHE FILEPATH "")
endforeach()

# Libraries and headers from the mingw sysroot and the Qt prefix only; the
# build machine's programs (Qt's moc, uic, rcc among them) from anywhere.
set(CMAKE_FIND_ROOT_PATH /usr/${ORV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Tests and build-time tools run under Wine.
find_program(ORV_WINE wine)
if(ORV_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ORV_WINE})
endif()
