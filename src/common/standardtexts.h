#pragma once

#include "zrreq_export.h"

namespace zr {

/// Makes Qt's own standard texts (the buttons of message boxes and button
/// boxes: Save, Discard, Cancel, Yes, No ...) follow the language of the
/// string table: in Greek they come from the table, in English Qt's own stay.
/// Installs one translator on the application; does nothing before the
/// application object exists or when installed already.
ZRREQ_EXPORT void InstallStandardTexts();

} // namespace zr
