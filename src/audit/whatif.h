#pragma once

// A student's record as another programme would count it, for a what-if audit.

#include "audit/coursecatalog.h"
#include "audit/studentrecord.h"
#include "zrreq_export.h"

#include <QList>

namespace zr {

/// `record` as the programme whose course list is `catalog` would count it: a course the list
/// holds takes the type, semester, group, weight and degree-grade flag the list gives it; a course
/// it does not hold keeps only what is its own (mode, sector, subject, credits, hours, ECTS), so
/// that it counts only where a requirement selects every course or names it. `outside` receives
/// the passed or enrolled courses the list does not hold, in the record's order, each once.
ZRREQ_EXPORT StudentRecord RecordInProgramme(const StudentRecord &record,
                                             const QList<CatalogCourse> &catalog,
                                             QList<qint32> *outside = nullptr);

} // namespace zr
