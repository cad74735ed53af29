#pragma once

#include "zrwidgets_export.h"

namespace zr {

/// Switches the user interface to `languageId` (1032 Greek, 1033 English) at
/// run time: the string service adopts it and every widget receives a
/// LanguageChange event, on which the library's controls re-read their texts.
ZRWIDGETS_EXPORT void SwitchLanguage(int languageId);

} // namespace zr
