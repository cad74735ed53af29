# zr_add_test(<name> SOURCES <files...> [LIBS <targets...>] [GUI])
# One Qt Test executable, registered with CTest. GUI tests run on the offscreen platform.
function(zr_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zrRequirement::zrRequirement Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set(env "QT_QPA_PLATFORM=offscreen")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()

# zr_add_bench(<name> SOURCES <files...> [LIBS <targets...>])
function(zr_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zrRequirement::zrRequirement ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endfunction()

# zr_core_only(<target>)
# The target stands on QtCore and QtSql alone: a QtGui or QtWidgets include fails to compile,
# and a shared library with a symbol it does not link fails to link.
function(zr_core_only target)
    target_include_directories(${target} BEFORE PRIVATE ${PROJECT_SOURCE_DIR}/cmake/coreguard)
    get_target_property(type ${target} TYPE)
    # clang leaves the sanitizer runtime out of shared libraries, so their symbols stay undefined there.
    if(type STREQUAL "SHARED_LIBRARY" AND NOT ZR_FUZZ)
        target_link_options(${target} PRIVATE LINKER:--no-undefined)
    endif()
endfunction()
