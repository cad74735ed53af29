#pragma once

#include "zrreq_export.h"

namespace zr {

/// Start-up of the library on the calling thread: selects the language and
/// enables the log file. Call once per thread before creating any control.
ZRREQ_EXPORT void Main();

} // namespace zr
