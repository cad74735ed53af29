#pragma once

#include "audit/auditcodes.h"
#include "audit/auditreport.h"
#include "audit/auditset.h"
#include "audit/coursecatalog.h"
#include "audit/studentrecord.h"
#include "zrreq_export.h"

#include <QList>
#include <QString>

namespace zr {

struct RequirementValue;

/// How far the search for a completion plan may go before it settles for the best plan found by then.
struct ZRREQ_EXPORT PlanBound
{
    /// Search steps: one step tries one more choice of courses or checks one plan.
    qint64 steps = 100000;
};

/// The smallest set of a programme's courses that, passed, would make a student meet a requirement set.
struct ZRREQ_EXPORT CompletionPlan
{
    ReportPlan::Outcome outcome = ReportPlan::Outcome::NotNeeded;
    /// The courses to pass, in catalog order.
    QList<CatalogCourse> courses;
    /// The requirements (ids, in list order) the plan takes as the set needs them although no
    /// course can change them: what courses alone cannot give.
    QList<qint32> besides;
    /// Search steps taken; the search stopped at its bound when the outcome is BestEffort.
    qint64 steps = 0;

    /// Whether the plan is known to be the smallest (or known not to be needed, or known not to exist).
    bool isExact() const { return outcome != ReportPlan::Outcome::BestEffort; }
    /// The ECTS of its courses.
    double ects() const;
};

/// The completion plan of `record` against the set of requirement values `values` combined by
/// `expression` (stored form, "" for all of them with AND), the set AuditSet::prepare makes of
/// them, over the courses of the student's programme `catalog` (in its list order).
///
/// A planned course counts as passed without a grade in the current period (WithPlannedCourses);
/// the candidates are the catalog's courses the student has not passed. The plan has the fewest
/// courses, then the fewest ECTS, then the earliest in the catalog; the outcome says whether the
/// search proved it (Exact) or stopped at `bound` (BestEffort: the best plan by then, else a
/// greedy one). An excepted student, or a record that meets the set, needs none (NotNeeded).
///
/// Requirements no course can change (a practicum, a project, a student's data, an average below
/// its threshold, a figure out of reach or past its limit, a broken "none of these", one not
/// checked) are assumed, as the set needs them, only when courses alone cannot meet it, and then
/// the fewest: a met OR branch, or one courses can meet, needs none; under NOT one may be assumed
/// unmet. NoCourses: not even so.
/// Throws ZrError 10350 to 10353 for a set the audit cannot check, as AuditSet::prepare does.
ZRREQ_EXPORT CompletionPlan PlanCompletion(const QList<RequirementValue> &values, const QString &expression,
                                           const StudentRecord &record, const QList<CatalogCourse> &catalog,
                                           const AuditCodes &codes, const PlanBound &bound = {});

/// The same for a set the audit has prepared, with the code tables it was prepared with.
ZRREQ_EXPORT CompletionPlan PlanCompletion(const AuditSet &set, const StudentRecord &record,
                                           const QList<CatalogCourse> &catalog, const PlanBound &bound = {});

/// `record` with a result for each of `courses`, passed without a grade (as an exemption without
/// one) in the department's current year and teaching period, or, where `codes` know none, in the
/// latest ones of the record: the record a plan stands for.
ZRREQ_EXPORT StudentRecord WithPlannedCourses(const StudentRecord &record, const QList<CatalogCourse> &courses,
                                              const AuditCodes &codes);

/// A course a what-if counts as passed: with `grade`, passed with that grade; without, as an
/// exemption without one.
struct ZRREQ_EXPORT PlannedCourse
{
    CatalogCourse course;
    std::optional<double> grade;
};
/// The same for courses that may carry a grade.
ZRREQ_EXPORT StudentRecord WithPlannedCourses(const StudentRecord &record, const QList<PlannedCourse> &courses,
                                              const AuditCodes &codes);

/// The plan as a report shows it, the requirements besides named as `trace` (the student's audit) names them.
ZRREQ_EXPORT ReportPlan ReportPlanOf(const CompletionPlan &plan, const AuditTrace &trace);

} // namespace zr
