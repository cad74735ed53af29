# Installs the project into a temporary prefix, then configures, builds and
# runs examples/minimal against the installed package, as another
# application would.
#   cmake -DBINARY_DIR=<build> -DSOURCE_DIR=<source> -DWORK_DIR=<scratch> -P buildexample.cmake
foreach(var BINARY_DIR SOURCE_DIR WORK_DIR)
    if(NOT ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}\n${err}")
    endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix})
# Headers of the three libraries, both components' targets and the package's version file are installed.
foreach(pattern include/zrRequirement/requirements/zrrequirements.h include/zrRequirement/zrreq_export.h
                include/zrRequirement/zrwidgets_export.h include/zrQEMSvr/qemserver.h include/zrQEMSvr/zrsvr_export.h
                lib*/cmake/zrRequirement/zrRequirementCoreTargets.cmake
                lib*/cmake/zrRequirement/zrRequirementWidgetsTargets.cmake
                lib*/cmake/zrRequirement/zrRequirementConfigVersion.cmake)
    file(GLOB found ${prefix}/${pattern})
    if(NOT found)
        message(FATAL_ERROR "the install holds no ${pattern}")
    endif()
endforeach()

# The installed program starts from another folder, with no library path set; the menu
# entry starts it by name and names an icon that is installed.
if(EXISTS ${prefix}/bin/zrreq)
    file(READ ${prefix}/share/applications/zrreq.desktop entry)
    if(NOT entry MATCHES "\nExec=zrreq\n" OR NOT entry MATCHES "\nIcon=zrreq\n" OR NOT entry MATCHES "Name\\[el\\]|GenericName\\[el\\]")
        message(FATAL_ERROR "the menu entry does not start zrreq with its icon, in Greek too:\n${entry}")
    endif()
    if(NOT EXISTS ${prefix}/share/icons/hicolor/scalable/apps/zrreq.svg)
        message(FATAL_ERROR "the menu entry's icon is not installed")
    endif()
    unset(ENV{LD_LIBRARY_PATH})
    execute_process(COMMAND ${prefix}/bin/zrreq list --server sqlite:///${WORK_DIR}/none.db
                    WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(err MATCHES "error while loading shared libraries")
        message(FATAL_ERROR "the installed zrreq does not start: ${err}")
    endif()
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/minimal -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{ZRREQ_DATABASE} ${WORK_DIR}/example.db)
run(${WORK_DIR}/build/zrreq-example --quit)
