#pragma once

#include "recordset/recordset.h"

#include <QString>

namespace zr {

// The period-list rules without their trap, for callers that record the
// failure themselves. Same arguments and failures as CheckExamPeriods and
// CheckTeachingPeriods.
void checkExamPeriodList(const QString &list, const QString &rowCaption, const QString &requirement,
                         const Recordset &examPeriods);
void checkTeachingPeriodList(const QString &list, const QString &rowCaption, const QString &requirement,
                             const Recordset &terms);

} // namespace zr
