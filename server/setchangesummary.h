#pragma once

#include "zrsvr_export.h"
#include "recordset/recordset.h"

#include <QString>

namespace zr::server {

/// The one line a kept version says about the save that made it: the
/// requirements added, removed and changed between the rows of a set before
/// (`before`) and after (`after`) the save, matched by ocID, and whether the
/// expression changed ("2 added, 1 removed, 1 changed"), in the current language.
ZRSVR_EXPORT QString SetChangeSummary(const Recordset &before, const Recordset &after);

/// The same line from counts (for lists that are not requirement rows).
ZRSVR_EXPORT QString ChangeCountSummary(int added, int removed, int changed, bool expressionChanged);

} // namespace zr::server
