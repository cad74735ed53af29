#include "serverinfo.h"

#include <libpq-fe.h>
#include <sqlite3.h>

namespace zr::server {

QString serverVersion()
{
    return QStringLiteral(ZR_VERSION_TEXT);
}

QStringList databaseLibraryVersions()
{
    // libpq says its version as one number: major * 10000 + minor.
    const int pq = PQlibVersion();
    return {QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion()),
            QStringLiteral("PostgreSQL client (libpq) %1.%2").arg(pq / 10000).arg(pq % 10000)};
}

} // namespace zr::server
