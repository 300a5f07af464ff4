# SPDX-License-Identifier: GPL-3.0-or-later
# openpty() for the simulator, the benchmark and the test helpers. glibc has it
# in libc since 2.34 and in libutil before; other systems have neither <pty.h>
# nor pseudo-terminals of this kind (Windows). orv_pty carries the library
# when one is needed; ORV_HAVE_PTY says whether those targets can be built.
include(CheckCXXSourceCompiles)

set(ORV_PTY_PROBE "#include <pty.h>
int main() { int m, s; return openpty(&m, &s, nullptr, nullptr, nullptr); }")
set(ORV_HAVE_PTY OFF)
if(UNIX)
    check_cxx_source_compiles("${ORV_PTY_PROBE}" ORV_OPENPTY_IN_LIBC)
    if(ORV_OPENPTY_IN_LIBC)
        set(ORV_HAVE_PTY ON)
    else()
        set(CMAKE_REQUIRED_LIBRARIES util)
        check_cxx_source_compiles("${ORV_PTY_PROBE}" ORV_OPENPTY_IN_LIBUTIL)
        unset(CMAKE_REQUIRED_LIBRARIES)
        if(ORV_OPENPTY_IN_LIBUTIL)
            set(ORV_HAVE_PTY ON)
        endif()
    endif()
endif()

if(ORV_HAVE_PTY)
    add_library(orv_pty INTERFACE)
    if(NOT ORV_OPENPTY_IN_LIBC)
        target_link_libraries(orv_pty INTERFACE util)
    endif()
else()
    message(STATUS "No openpty(): sensor-sim, bench_receive and the tests are not built")
endif()
