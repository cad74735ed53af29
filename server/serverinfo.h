#pragma once

#include <QString>
#include <QStringList>

namespace zr::server {

/// The library name hosts pass to CreateServerObject for this server.
inline QString libraryName() { return QStringLiteral("zrQEMSvr"); }

/// Version of the reference server (the project's), shown in the host's About box.
QString serverVersion();
/// The versions of the database client libraries the server runs on, one line each
/// ("SQLite 3.40.1", "PostgreSQL client (libpq) 15.3").
QStringList databaseLibraryVersions();

} // namespace zr::server
