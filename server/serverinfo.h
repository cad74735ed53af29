#pragma once

#include <QString>

namespace zr::server {

/// The library name hosts pass to CreateServerObject for this server.
inline QString libraryName() { return QStringLiteral("zrQEMSvr"); }

/// Version of the reference server, shown in the host's About box.
QString serverVersion();

} // namespace zr::server
