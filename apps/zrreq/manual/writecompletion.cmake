# Writes zrreq's bash completion from what its help says: the window's options and the
# subcommands first, then each subcommand's options; file names after an option whose value is
# a file or a folder, the choices after one whose value names them ("el|en").
#   cmake -DZRREQ=<zrreq> -DOUTPUT=<file> -P writecompletion.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/helptext.cmake)

# The case branches that complete the value of each option of `prefix` that takes one, and the
# words of all its options.
function(zr_completion_cases cases words prefix)
    set(out "")
    set(all "")
    foreach(n IN LISTS ${prefix}_OPTIONS)
        list(JOIN ${prefix}_OPTION${n}_NAMES "|" pattern)
        foreach(name IN LISTS ${prefix}_OPTION${n}_NAMES)
            if(name MATCHES "^--")
                list(APPEND all ${name})
            endif()
        endforeach()
        set(value "${${prefix}_OPTION${n}_VALUE}")
        string(TOLOWER "${value}" lower)
        if(lower MATCHES "(file|dir|folder|\\.[a-z]+)$")
            string(APPEND out "            ${pattern}) _zrreq_files; return ;;\n")
        elseif(value MATCHES "\\|")
            string(REPLACE "|" " " choices "${value}")
            string(APPEND out "            ${pattern}) _zrreq_words \"${choices}\"; return ;;\n")
        elseif(NOT value STREQUAL "")
            string(APPEND out "            ${pattern}) return ;;\n")
        endif()
    endforeach()
    list(JOIN all " " all)
    set(${cases} "${out}" PARENT_SCOPE)
    set(${words} "${all}" PARENT_SCOPE)
endfunction()

foreach(var ZRREQ OUTPUT)
    if(NOT ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

zr_read_help(program ${ZRREQ})
zr_completion_cases(window_cases window_words program)
set(subcommands "")
set(branches "")
foreach(n IN LISTS program_SUBCOMMANDS)
    set(name "${program_SUBCOMMAND${n}_NAMES}")
    list(APPEND subcommands ${name})
    zr_read_help(command ${ZRREQ} ${name})
    zr_completion_cases(cases words command)
    # Arguments: the actions they start with ("import FILE...|export DIR"), and file names.
    set(files "")
    foreach(a IN LISTS command_ARGUMENTS)
        string(REPLACE "|" ";" alternatives "${command_ARGUMENT${a}_NAMES}")
        foreach(alternative IN LISTS alternatives)
            if(alternative MATCHES "^([a-z][a-z-]*)( |$)")
                string(APPEND words " ${CMAKE_MATCH_1}")
            endif()
        endforeach()
        set(files "; _zrreq_files")
    endforeach()
    string(APPEND branches "        ${name})\n            case $prev in\n${cases}            esac\n"
                           "            _zrreq_words \"${words}\"${files} ;;\n")
endforeach()
list(JOIN subcommands " " subcommands)

file(WRITE ${OUTPUT} "# bash completion for zrreq, written by its build from zrreq --help     -*- shell-script -*-

_zrreq_words()
{
    COMPREPLY=($(compgen -W \"$1\" -- \"$cur\"))
}

_zrreq_files()
{
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -f -- \"$cur\"))
}

_zrreq()
{
    local cur=\${COMP_WORDS[COMP_CWORD]} prev=\${COMP_WORDS[COMP_CWORD-1]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        _zrreq_words \"${window_words} ${subcommands}\"
        return
    fi
    case \${COMP_WORDS[1]} in
${branches}        *)
            case $prev in
${window_cases}            esac
            _zrreq_words \"${window_words}\" ;;
    esac
}

complete -F _zrreq zrreq
")
