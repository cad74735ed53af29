# Debian packages of this build tree, made by `cpack` in it (scripts/package.sh), one per
# install component or group of them:
#   libzrrequirement0        the shared libraries            components Core, Widgets
#   libzrrequirement-dev     headers, link names, CMake files component Development
#   zrreq                    the program and what a desktop   component Application
#                            and a shell need to offer it
#   zrrequirement-designer   the Qt Designer plugin          component Designer
# What they need of other packages is what dpkg-shlibdeps reads from their binaries; what they
# need of each other follows the components' dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zrrequirement)
set(CPACK_PACKAGE_VENDOR Zerith)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description starts with a synopsis of its own, not the project's.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_VERBATIM_VARIABLES ON)
# The packages install under /usr whatever prefix this tree was configured for; the program
# and the plugin find the libraries through their $ORIGIN run path as from any other prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENTS_ALL Core Widgets Development Application Designer)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(ZR_PACKAGE_MAINTAINER "zrRequirement developers <zrrequirement@example.org>" CACHE STRING
    "Who the Debian packages name as their maintainer: \"Name <address>\"")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# dpkg-shlibdeps finds our own libraries here, and leaves them to the components' dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src ${PROJECT_BINARY_DIR}/server)

set(CPACK_COMPONENT_CORE_GROUP Libraries)
set(CPACK_COMPONENT_WIDGETS_GROUP Libraries)
set(CPACK_COMPONENT_WIDGETS_DEPENDS Core)
# The group's package, named also for each of its components, which the others depend on.
set(CPACK_DEBIAN_LIBRARIES_PACKAGE_NAME libzrrequirement${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_CORE_PACKAGE_NAME ${CPACK_DEBIAN_LIBRARIES_PACKAGE_NAME})
set(CPACK_DEBIAN_WIDGETS_PACKAGE_NAME ${CPACK_DEBIAN_LIBRARIES_PACKAGE_NAME})
set(CPACK_DEBIAN_LIBRARIES_PACKAGE_SECTION libs)
# What another package's binaries linked against these need (dpkg-shlibdeps reads it), and
# ldconfig run once after the package's libraries were put in place.
file(WRITE ${PROJECT_BINARY_DIR}/debian/triggers "activate-noawait ldconfig\n")
set(ZR_SHLIBS "")
foreach(library zrRequirementCore zrRequirementWidgets zrQEMSvr)
    get_target_property(soversion ${library} SOVERSION)
    string(APPEND ZR_SHLIBS "lib${library} ${soversion} ${CPACK_DEBIAN_LIBRARIES_PACKAGE_NAME} (>= ${PROJECT_VERSION})\n")
endforeach()
file(WRITE ${PROJECT_BINARY_DIR}/debian/shlibs "${ZR_SHLIBS}")
set(CPACK_DEBIAN_LIBRARIES_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/shlibs ${PROJECT_BINARY_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_LIBRARIES_DESCRIPTION
    "Qt controls and dialogs for editing degree-audit requirements
The zrRequirement libraries: the core (requirement sets and their typed
values, the editor without widgets, set files, the audit of students'
records) and the reference server over SQLite and PostgreSQL, on QtCore and
QtSql alone, and the Qt Widgets controls and dialogs with which a
student-records application edits requirements.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libzrrequirement-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# find_package(zrRequirement) asks for Qt's own CMake package, which no binary here names.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS qt6-base-dev)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS Widgets)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "development files of the zrRequirement libraries
Headers and the CMake package with which an application builds against the
zrRequirement libraries: find_package(zrRequirement) with the components
Core and Widgets.")

set(CPACK_DEBIAN_APPLICATION_PACKAGE_NAME zrreq)
set(CPACK_DEBIAN_APPLICATION_PACKAGE_SECTION education)
set(CPACK_COMPONENT_APPLICATION_DEPENDS Widgets)
set(CPACK_DEBIAN_APPLICATION_DESCRIPTION
    "degree-audit requirements editor and command line
zrreq edits the requirements a student must meet before entering a
programme, taking the degree, enrolling in a course or receiving a
scholarship, checks them and tries them on students, over an embedded
sample university database or a PostgreSQL server. The same program checks,
describes, imports, exports and audits requirement sets without a window.")

set(CPACK_DEBIAN_DESIGNER_PACKAGE_NAME zrrequirement-designer)
set(CPACK_DEBIAN_DESIGNER_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_DESIGNER_DEPENDS Widgets)
set(CPACK_DEBIAN_DESIGNER_DESCRIPTION
    "Qt Designer plugin of the zrRequirement controls
Offers the requirements editor and the student requirements preview in Qt
Designer's widget box, with their properties in its property editor.")

# Each package's copyright and changelog in /usr/share/doc/<package>, as Debian wants them;
# only in the packages, not in an install of the tree into a prefix.
string(TIMESTAMP ZR_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(cmake/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/debian/changelog COMMAND_ERROR_IS_FATAL ANY)
foreach(component IN ITEMS Core Development Application Designer)
    string(TOUPPER ${component} upper)
    install(FILES cmake/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
            COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

include(CPack)
