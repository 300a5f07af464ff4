# Manual pages, written by help2man from each program's own --help and
# --version output at build time, so that they cannot drift from the options.
# What --help does not say (NAME, DESCRIPTION, EXAMPLES, SEE ALSO, ...) comes
# from an include file in help2man's format.
#
#   orv_add_manpage(<program target> <include file>)
#
# builds man/<program>.1.gz with the program and installs it in man1.
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

function(orv_add_manpage program include)
    if(NOT ORV_MANPAGES)
        return()
    endif()
    get_filename_component(include ${include} ABSOLUTE)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    # The GUI program's --help must not need a display.
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${ORV_HELP2MAN} --no-info --section=1 --include=${include} --output=${page}
                $<TARGET_FILE:${program}>
        COMMAND ${ORV_GZIP} -9nf ${page}
        DEPENDS ${program} ${include}
        COMMENT "Manual page ${program}.1"
        VERBATIM)
    add_custom_target(${program}-manpage ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
