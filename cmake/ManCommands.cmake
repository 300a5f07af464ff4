# SPDX-License-Identifier: GPL-3.0-or-later
# Run as a script (cmake -P) at build time: writes a help2man include file
# with a COMMANDS section for a program that has commands, each with its own
# --help (orvante-ctl): the command list is read from PROGRAM --help, each
# command's text and options from PROGRAM COMMAND --help, so the manual page
# says what the program says.
#
#   cmake -DPROGRAM=<executable> -DOUTPUT=<file> -P ManCommands.cmake
#
# The options every command shares (--port, --preset, --json, --help) are left
# out: the page's OPTIONS section has them.

# Text as roff: backslashes and hyphens escaped, no line starting with a dot.
function(roff text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(run_help out)
    execute_process(COMMAND "${PROGRAM}" ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed: ${status}")
    endif()
    # Lines as a list; brackets and semicolons would be read as list syntax.
    string(REPLACE ";" "\\;" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# One option or argument entry ("  --count <N>   Measure ...", continued on
# lines that start with blanks) as a tagged paragraph.
function(entry names text out)
    if(names MATCHES "^-h, --help$|^--port |^--preset |^--json$")
        set(${out} "" PARENT_SCOPE)
        return()
    endif()
    string(REGEX REPLACE "^(-[^ ,<]+)" "\\\\fB\\1\\\\fR" tag "${names}")
    string(REGEX REPLACE ", (-[^ <]+)" ", \\\\fB\\1\\\\fR" tag "${tag}")
    if(NOT names MATCHES "^-")
        set(tag "\\fI${names}\\fR")
    endif()
    string(REPLACE "-" "\\-" tag "${tag}")
    string(REPLACE "\\fB\\-" "\\fB\\-" tag "${tag}")
    roff("${text}" text)
    set(${out} ".TP\n${tag}\n${text}\n" PARENT_SCOPE)
endfunction()

run_help(top)
set(commands)
set(in_list OFF)
foreach(line IN LISTS top)
    if(line STREQUAL "Commands:")
        set(in_list ON)
    elseif(in_list AND line STREQUAL "")
        break()
    elseif(in_list AND line MATCHES "^  [a-z]")
        string(STRIP "${line}" usage)
        list(APPEND commands "${usage}")
    endif()
endforeach()
if(NOT commands)
    message(FATAL_ERROR "${PROGRAM} --help lists no commands")
endif()

set(page "[COMMANDS]\n")
foreach(usage IN LISTS commands)
    # The command's name: one word, or two for set and profile.
    string(REGEX MATCH "^((set|profile) [a-z-]+|[a-z-]+)" name "${usage}")
    string(REPLACE " " ";" words "${name}")
    run_help(lines ${words})
    roff("${usage}" heading)
    string(APPEND page ".SS \"${heading}\"\n")

    set(part description)
    set(paragraph "")
    set(separator "")
    set(names "")
    set(text "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^Usage: ")
            continue()
        elseif(line STREQUAL "Options:" OR line STREQUAL "Arguments:")
            set(part entries)
        elseif(part STREQUAL "description")
            if(line STREQUAL "")
                # The exit statuses have a section of their own.
                if(NOT paragraph STREQUAL "" AND NOT paragraph MATCHES "^Exit status:")
                    roff("${paragraph}" paragraph)
                    string(APPEND page "${separator}${paragraph}")
                    set(separator ".PP\n")
                endif()
                set(paragraph "")
            else()
                string(APPEND paragraph "${line}\n")
            endif()
        elseif(line MATCHES "^  [^ ]")
            if(NOT names STREQUAL "")
                entry("${names}" "${text}" tagged)
                string(APPEND page "${tagged}")
            endif()
            string(REGEX MATCH "^  ([^ ].*[^ ]|[^ ])  +(.*)$" match "${line}")
            set(names "${CMAKE_MATCH_1}")
            set(text "${CMAKE_MATCH_2}")
        elseif(line MATCHES "^ +[^ ]" AND NOT names STREQUAL "")
            string(STRIP "${line}" more)
            string(APPEND text "\n${more}")
        endif()
    endforeach()
    if(NOT names STREQUAL "")
        entry("${names}" "${text}" tagged)
        string(APPEND page "${tagged}")
    endif()
endforeach()
file(WRITE "${OUTPUT}" "${page}")
