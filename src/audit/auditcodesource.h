#pragma once

#include "audit/auditcodes.h"
#include "zrreq_export.h"

#include <QString>

namespace zr {

class cDepartment;

/// Whether an audit's code tables name courses: verdicts alone name none, and a registry's
/// courses are the largest of the tables.
enum class CourseNames { Read, Skipped };

/// The code tables of an audit as the server's code tables give them:
/// teaching periods in key order, the current year and period of department
/// `departmentId`, and the names of courses, course types, subjects and class
/// group categories. `fold` is left for the caller. Throws the server's ZrError.
ZRREQ_EXPORT AuditCodes LoadAuditCodes(cDepartment &department, const QString &departmentId,
                                       CourseNames courses = CourseNames::Read);

} // namespace zr
