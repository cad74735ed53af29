#pragma once

#include "audit/auditcodes.h"
#include "audit/audittrace.h"
#include "audit/passedcourses.h"
#include "audit/preparedrequirement.h"

namespace zr::audit {

/// The rule of the requirement's type applied to one student.
RequirementTrace EvaluateRequirement(const PreparedRequirement &requirement, const StudentDigest &student,
                                     const AuditCodes &codes);

} // namespace zr::audit
