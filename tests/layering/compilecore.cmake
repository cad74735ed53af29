# cmake -DCXX=<compiler> -DWORK=<scratch dir> -DINCLUDES=<core's> -DQT_INCLUDES=<QtCore's, QtSql's> -P compilecore.cmake
# Compiles one include at a time as the core compiles: the core's own headers must compile, every
# widget or QtGui include must not, and for the reason expected.
set(flags -std=c++17 -fPIC -fsyntax-only)
foreach(dir IN LISTS INCLUDES)
    list(APPEND flags -I${dir})
endforeach()
foreach(dir IN LISTS QT_INCLUDES)
    list(APPEND flags -isystem ${dir})
endforeach()

# include|what the compiler must say (nothing: it must compile)
set(cases
    "\"recordset/recordset.h\"|"
    "<QSqlQuery>|"
    "<QWidget>|QWidget: No such file"
    "<QtWidgets/QWidget>|a QtWidgets header in code built on QtCore and QtSql alone"
    "<QtWidgets/QtWidgets>|a QtWidgets header in code built on QtCore and QtSql alone"
    "<QtGui/QColor>|a QtGui header in code built on QtCore and QtSql alone"
    "\"itempanel/tilepanel.h\"|QWidget: No such file")
set(faults "")
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 include)
    list(LENGTH parts n)
    set(expected "")
    if(n GREATER 1)
        list(GET parts 1 expected)
    endif()
    file(WRITE ${WORK}/probe.cpp "#include ${include}\n")
    execute_process(COMMAND ${CXX} ${flags} ${WORK}/probe.cpp
                    RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(expected STREQUAL "" AND failed)
        string(APPEND faults "case ${include} should compile:\n${err}\n")
    elseif(NOT expected STREQUAL "" AND NOT failed)
        string(APPEND faults "case ${include} compiled\n")
    elseif(NOT expected STREQUAL "")
        string(FIND "${err}" "${expected}" at)
        if(at EQUAL -1)
            string(APPEND faults "case ${include} failed otherwise than with \"${expected}\":\n${err}\n")
        endif()
    endif()
endforeach()
if(faults)
    message(FATAL_ERROR "${faults}")
endif()
