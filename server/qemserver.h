#pragma once

#include "zrsvr_export.h"

#include <QString>

namespace zr::server {

/// Makes CreateServerObject answer for the library "zrQEMSvr" with the
/// reference server. Hosts call it once at start; calling it again is harmless.
ZRSVR_EXPORT void RegisterServer();

/// What `zrreq init-db --server URL [--large N]` does: drops and creates the
/// tables of the database of `serverName` with the sample department and,
/// when `largeStudents` > 0, adds the large-volume department sized for that
/// many students (LargeVolume::forStudents). Throws ZrError.
ZRSVR_EXPORT void InitDatabase(const QString &serverName, int largeStudents = 0);

} // namespace zr::server
