#pragma once

#include "zrsvr_export.h"

namespace zr::server {

/// Makes CreateServerObject answer for the library "zrQEMSvr" with the
/// reference server. Hosts call it once at start; calling it again is harmless.
ZRSVR_EXPORT void RegisterServer();

} // namespace zr::server
