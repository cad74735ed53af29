#pragma once

#include "audit/auditreport.h"
#include "audit/auditset.h"
#include "audit/coursecatalog.h"
#include "zrreq_export.h"

namespace zr {

/// The report of `trace`, the audit of `record` against `set`, in the current
/// language: the student, the verdict and its summary line, and each
/// requirement with its description, progress and, when it is not met and
/// matters, the courses of `catalog` it would count that the student has not
/// passed (earliest semester first; the first ten listed, the rest counted). The caller adds what
/// the audit does not know: programme, curriculum, set, version, date and the plan.
ZRREQ_EXPORT AuditReport BuildAuditReport(const AuditSet &set, const AuditTrace &trace,
                                          const StudentRecord &record,
                                          const QList<CatalogCourse> &catalog);

/// `course` as a report lists it.
ZRREQ_EXPORT ReportCourse ReportCourseOf(const CatalogCourse &course);

} // namespace zr
