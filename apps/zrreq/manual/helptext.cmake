# Reads what zrreq's --help says, in English and unwrapped, for the scripts that write the
# manual page and the shell completion from it: what the program takes is said in one place.
#
# zr_read_help(<prefix> <zrreq> [<subcommand>]) sets, in the caller's scope:
#   <prefix>_USAGE          the usage lines without "Usage: ", one per line
#   <prefix>_ABOUT          the description's paragraphs, one per line (a subcommand's)
#   <prefix>_OPTIONS        the options' numbers; for each n, <prefix>_OPTION<n>_NAMES (a list:
#                           "-h;--help"), <prefix>_OPTION<n>_VALUE ("file", or empty when it takes
#                           none) and <prefix>_OPTION<n>_TEXT
#   <prefix>_ARGUMENTS      the arguments' numbers: <prefix>_ARGUMENT<n>_NAMES and _TEXT
#   <prefix>_SUBCOMMANDS    the subcommands' numbers (the program's own help): _SUBCOMMAND<n>_NAMES
#                           and _TEXT, the summary
# A help laid out otherwise stops the build: the documents must not quietly lose a part.

# Characters that a CMake list would take for its own, kept aside while the text is in lines.
string(ASCII 1 ZR_HELP_SEMICOLON)
string(ASCII 2 ZR_HELP_OPEN)
string(ASCII 3 ZR_HELP_CLOSE)

function(zr_help_restore var)
    string(REPLACE "${ZR_HELP_SEMICOLON}" ";" text "${${var}}")
    string(REPLACE "${ZR_HELP_OPEN}" "[" text "${text}")
    string(REPLACE "${ZR_HELP_CLOSE}" "]" text "${text}")
    set(${var} "${text}" PARENT_SCOPE)
endfunction()

function(zr_read_help prefix program)
    # Wide enough that no paragraph is wrapped; the user's settings and log stay out of it.
    set(ENV{COLUMNS} 100000)
    set(ENV{XDG_CONFIG_HOME} "${CMAKE_CURRENT_BINARY_DIR}/helphome/config")
    set(ENV{XDG_DATA_HOME} "${CMAKE_CURRENT_BINARY_DIR}/helphome/data")
    execute_process(COMMAND ${program} ${ARGN} --help --lang en
                    RESULT_VARIABLE result OUTPUT_VARIABLE text ERROR_VARIABLE error)
    if(NOT result EQUAL 0 OR NOT text MATCHES "^Usage: ")
        message(FATAL_ERROR "${program} ${ARGN} --help (${result}):\n${text}${error}")
    endif()
    string(REPLACE ";" "${ZR_HELP_SEMICOLON}" text "${text}")
    string(REPLACE "[" "${ZR_HELP_OPEN}" text "${text}")
    string(REPLACE "]" "${ZR_HELP_CLOSE}" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")

    set(section usage)
    set(usage "")
    set(about "")
    set(kinds OPTION ARGUMENT SUBCOMMAND)
    foreach(kind IN LISTS kinds)
        set(${kind}_numbers "")
    endforeach()
    set(count 0)
    set(entry "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^Usage: (.*)$")
            string(APPEND usage "${CMAKE_MATCH_1}\n")
        elseif(section STREQUAL "usage" AND line MATCHES "^       (.*)$")
            string(APPEND usage "${CMAKE_MATCH_1}\n")
        elseif(line STREQUAL "")
            if(section STREQUAL "usage")
                set(section about)
            endif()
            set(entry "")
        elseif(line STREQUAL "Options:")
            set(section OPTION)
        elseif(line STREQUAL "Arguments:")
            set(section ARGUMENT)
        elseif(line MATCHES "^Subcommands .*:$")
            set(section SUBCOMMAND)
        elseif(section STREQUAL "about")
            string(APPEND about "${line}\n")
        elseif(NOT section STREQUAL "usage" AND line MATCHES "^  ([^ ]+( [^ ]+)*)(   *(.*))?$")
            math(EXPR count "${count} + 1")
            set(entry ${section}${count})
            list(APPEND ${section}_numbers ${count})
            set(head "${CMAKE_MATCH_1}")
            set(${entry}_TEXT "${CMAKE_MATCH_4}")
            set(${entry}_VALUE "")
            if(head MATCHES "^(.*) <([^>]*)>$")
                set(head "${CMAKE_MATCH_1}")
                set(${entry}_VALUE "${CMAKE_MATCH_2}")
            endif()
            string(REPLACE ", " ";" ${entry}_NAMES "${head}")
        elseif(entry AND line MATCHES "^   *(.*)$")
            # The next line of a description that holds several paragraphs.
            if(${entry}_TEXT STREQUAL "")
                set(${entry}_TEXT "${CMAKE_MATCH_1}")
            else()
                string(APPEND ${entry}_TEXT "\n${CMAKE_MATCH_1}")
            endif()
        else()
            message(FATAL_ERROR "${program} ${ARGN} --help: cannot read the line \"${line}\"")
        endif()
    endforeach()

    foreach(part usage about)
        zr_help_restore(${part})
        string(STRIP "${${part}}" ${part})
    endforeach()
    set(${prefix}_USAGE "${usage}" PARENT_SCOPE)
    set(${prefix}_ABOUT "${about}" PARENT_SCOPE)
    foreach(kind IN LISTS kinds)
        set(${prefix}_${kind}S "${${kind}_numbers}" PARENT_SCOPE)
        foreach(n IN LISTS ${kind}_numbers)
            foreach(field NAMES VALUE TEXT)
                zr_help_restore(${kind}${n}_${field})
                set(${prefix}_${kind}${n}_${field} "${${kind}${n}_${field}}" PARENT_SCOPE)
            endforeach()
        endforeach()
    endforeach()
endfunction()
