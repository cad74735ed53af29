#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QString>

namespace zr {

/// The number of ","-separated items of a code list; 0 for "".
ZRREQ_EXPORT int CodeCount(const QString &codes);

/// A list of years and teaching periods ("2000-1,2001") with each period id
/// replaced by its description from `terms` (SYS_terms: termID, termDesc).
/// Elements without a period, with more than one "-", or with a period the
/// table does not have, stay as they are.
ZRREQ_EXPORT QString TeachingPeriodsToNames(const Recordset &terms, const QString &periods);
/// The reverse: period descriptions ("2000-ΧΕΙΜ") replaced by their ids.
ZRREQ_EXPORT QString TeachingPeriodsToIds(const Recordset &terms, const QString &periods);

} // namespace zr
