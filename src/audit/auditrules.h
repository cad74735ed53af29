#pragma once

#include "audit/auditcodes.h"
#include "audit/audittrace.h"
#include "audit/passedcourses.h"
#include "audit/preparedrequirement.h"

namespace zr::audit {

/// Whether `course` (id `courseId`), if passed, would count towards the
/// requirement: a course total it selects and its filters let through, or a
/// listed course of a prerequisite list.
bool CountsTowards(const PreparedRequirement &requirement, qint32 courseId, const CourseAttributes &course);

/// The rule of the requirement's type applied to one student.
RequirementTrace EvaluateRequirement(const PreparedRequirement &requirement, const StudentDigest &student,
                                     const AuditCodes &codes);

} // namespace zr::audit
