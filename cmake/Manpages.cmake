# SPDX-License-Identifier: GPL-3.0-or-later
# Manual pages, written by help2man from each program's own --help and
# --version output at build time, so that they cannot drift from the options.
# What --help does not say (NAME, DESCRIPTION, EXAMPLES, SEE ALSO, ...) comes
# from an include file in help2man's format.
#
#   orv_add_manpage(<program target> <include file> [COMMANDS])
#
# builds man/<program>.1.gz with the program and installs it in man1. With
# COMMANDS, the page also gets a COMMANDS section from each command's own
# --help (ManCommands.cmake).
# -DORV_MANPAGES=OFF leaves them out (help2man has to run the built program,
# so they are off when cross-compiling and on Windows).
set(ORV_MANPAGES_DEFAULT OFF)
if(UNIX AND NOT CMAKE_CROSSCOMPILING)
    set(ORV_MANPAGES_DEFAULT ON)
endif()
option(ORV_MANPAGES "Generate manual pages with help2man" ${ORV_MANPAGES_DEFAULT})
if(ORV_MANPAGES)
    find_program(ORV_HELP2MAN help2man)
    find_program(ORV_GZIP gzip)
    if(NOT ORV_HELP2MAN OR NOT ORV_GZIP)
        message(FATAL_ERROR "The manual pages need help2man and gzip "
                            "(apt-get install help2man), or configure with -DORV_MANPAGES=OFF")
    endif()
endif()

set(ORV_MAN_COMMANDS_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/ManCommands.cmake)

function(orv_add_manpage program include)
    cmake_parse_arguments(PAGE "COMMANDS" "" "" ${ARGN})
    if(NOT ORV_MANPAGES)
        return()
    endif()
    get_filename_component(include ${include} ABSOLUTE)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    set(includes)
    set(depends ${program} ${include})
    if(PAGE_COMMANDS)
        # First, so that the section comes right after OPTIONS.
        set(commands ${CMAKE_BINARY_DIR}/man/${program}-commands.h2m)
        add_custom_command(OUTPUT ${commands}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DOUTPUT=${commands}
                    -P ${ORV_MAN_COMMANDS_SCRIPT}
            DEPENDS ${program} ${ORV_MAN_COMMANDS_SCRIPT}
            COMMENT "Commands of ${program} for its manual page"
            VERBATIM)
        list(APPEND includes --include=${commands})
        list(APPEND depends ${commands})
    endif()
    list(APPEND includes --include=${include})
    # --help needs no display, not even the window program's.
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${ORV_HELP2MAN} --no-info --section=1 ${includes} --output=${page}
                $<TARGET_FILE:${program}>
        COMMAND ${ORV_GZIP} -9nf ${page}
        DEPENDS ${depends}
        COMMENT "Manual page ${program}.1"
        VERBATIM)
    add_custom_target(${program}-manpage ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
