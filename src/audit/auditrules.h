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

/// Whether the requirement, marked to count its courses nowhere else, can take any of the
/// student's courses: a total of types 20, 40, 50, 110 and 120, or a count of listed courses (type
/// 30, not "none of these", and within its semester limits).
bool CanClaim(const PreparedRequirement &requirement, const StudentDigest &student);
/// Whether such a requirement would count `course`: one its selection and filters let through, or
/// for type 30 a listed course passed with its grade.
bool WouldCount(const PreparedRequirement &requirement, const PassedCourse &course);
/// What `course` adds to its figure: credits, ECTS, hours, or one course.
double AmountFor(const PreparedRequirement &requirement, const PassedCourse &course);
/// Whether the figure `sum`, drawn from `subjects` of its subjects (type 20), meets it.
bool FigureMeets(const PreparedRequirement &requirement, double sum, int subjects);
/// Whether its figure can only come closer to being met as it counts more courses.
bool GrowsTowardsMet(const PreparedRequirement &requirement);
/// Whether it counts the subjects its courses are drawn from (type 20 over chosen subjects).
bool CountsSubjects(const PreparedRequirement &requirement);

/// The rule of the requirement's type applied to one student.
RequirementTrace EvaluateRequirement(const PreparedRequirement &requirement, const StudentDigest &student,
                                     const AuditCodes &codes);

} // namespace zr::audit
