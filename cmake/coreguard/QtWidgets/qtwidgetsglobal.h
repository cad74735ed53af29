// Found before Qt's own header by the core, the server and the command line, which stand on
// QtCore and QtSql alone: a QtWidgets include there is an error, not a dependency.
#error "a QtWidgets header in code built on QtCore and QtSql alone: move the code to zrRequirementWidgets"
