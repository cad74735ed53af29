#include "completionplan.h"

#include "auditreportbuilder.h"
#include "auditrules.h"
#include "claiming.h"
#include "passedcourses.h"
#include "plansearch.h"
#include "reqtypes/requirementvalue.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <functional>

namespace zr {

namespace {

using audit::PlanFound;
using audit::PlanSearch;

constexpr double Epsilon = 1e-9;
// The subsets of assumed requirements of one size tried at most; more would cost more than a plan is worth.
constexpr int MostSubsets = 256;

struct Period
{
    qint32 year = 0;
    std::optional<qint32> term;
};

// The period planned courses are passed in: the department's current one, else the record's latest.
Period plannedPeriod(const StudentRecord &record, const AuditCodes &codes)
{
    Period period{codes.currentYear, codes.currentTerm != 0 ? std::optional<qint32>(codes.currentTerm) : std::nullopt};
    if (period.year != 0 && period.term)
        return period;
    const auto order = [&codes](const CourseResult &r) {
        return std::make_pair(r.year, r.teachingPeriod ? codes.termOrder.indexOf(*r.teachingPeriod) : qsizetype(-1));
    };
    const CourseResult *latest = nullptr;
    for (const CourseResult &r : record.results) {
        if (!latest || order(r) >= order(*latest))
            latest = &r;
    }
    if (latest && (period.year == 0 || latest->year == period.year)) {
        period.year = latest->year;
        if (!period.term)
            period.term = latest->teachingPeriod;
    }
    return period;
}

CourseResult plannedResult(const CatalogCourse &course, const Period &period,
                           const std::optional<double> &grade = std::nullopt)
{
    CourseResult result;
    result.courseId = course.courseId;
    result.year = period.year;
    result.teachingPeriod = period.term;
    result.grade = grade;
    result.exemption = !grade;
    result.course = course.attributes;
    return result;
}

double ectsOf(const CatalogCourse &course)
{
    const double ects = course.attributes.ects.value_or(0);
    return std::isfinite(ects) ? ects : 0;
}

// A plan with the requirements it assumes.
struct Choice
{
    bool valid = false;
    bool exact = false;
    QList<int> plan;
    QList<int> assumed;
    double ects = 0;
};

// Fewest courses, fewest ECTS, earliest in the catalog.
bool ranksBefore(const Choice &a, const Choice &b)
{
    if (a.plan.size() != b.plan.size())
        return a.plan.size() < b.plan.size();
    if (std::fabs(a.ects - b.ects) > Epsilon)
        return a.ects < b.ects;
    return a.plan < b.plan;
}

// The smallest plan with `assumed`; past the bound, the best by then or a greedy one, if either meets the set.
Choice attempt(PlanSearch &search, const QList<int> &assumed, const QList<double> &ects)
{
    Choice choice;
    choice.assumed = assumed;
    const PlanFound found = search.find(assumed);
    if (found.result == PlanFound::None)
        return choice;
    choice.plan = found.plan;
    choice.exact = found.result == PlanFound::Found;
    // Every plan is checked once more on a record made afresh, as the audit will read it.
    if (!search.meets(choice.plan, assumed)) {
        choice.plan = search.greedy(assumed);
        choice.exact = false;
        if (!search.meets(choice.plan, assumed))
            return choice;
    }
    choice.valid = true;
    for (int c : std::as_const(choice.plan))
        choice.ects += ects.at(c);
    return choice;
}

// Calls `visit` with each subset of `items` of `size` elements, in list order.
void forEachSubset(const QList<int> &items, int size, const std::function<void(const QList<int> &)> &visit)
{
    QList<int> subset;
    const std::function<void(int)> extend = [&](int from) {
        if (subset.size() == size) {
            visit(subset);
            return;
        }
        for (int i = from; i + (size - int(subset.size())) <= items.size(); ++i) {
            subset << items.at(i);
            extend(i + 1);
            subset.removeLast();
        }
    };
    extend(0);
}

// The plan of courses alone, else the one that assumes the fewest requirements no course can change.
Choice choose(PlanSearch &search, const QList<double> &ects)
{
    Choice alone = attempt(search, {}, ects);
    if (alone.valid)
        return alone;
    const QList<int> open = search.unchangeable();
    if (open.isEmpty() || !search.mayMeet(open))
        return {};
    // A requirement without which no plan could exist is assumed in every choice.
    QList<int> needed, optional;
    for (int i : open) {
        QList<int> rest = open;
        rest.removeOne(i);
        (search.mayMeet(rest) ? optional : needed) << i;
    }
    for (int extra = 0; extra <= optional.size(); ++extra) {
        Choice best;
        bool allExact = true;
        int tried = 0;
        forEachSubset(optional, extra, [&](const QList<int> &subset) {
            QList<int> assumed = needed + subset;
            std::sort(assumed.begin(), assumed.end());
            if (assumed.isEmpty() || ++tried > MostSubsets || !search.mayMeet(assumed))
                return;
            const Choice choice = attempt(search, assumed, ects);
            allExact = allExact && (choice.exact || !choice.valid) && !search.stopped();
            if (choice.valid && (!best.valid || ranksBefore(choice, best)))
                best = choice;
        });
        if (best.valid) {
            best.exact = best.exact && allExact;
            return best;
        }
    }
    return {};
}

} // namespace

double CompletionPlan::ects() const
{
    double sum = 0;
    for (const CatalogCourse &course : courses)
        sum += ectsOf(course);
    return sum;
}

namespace {

// How near `record` comes to the set, counting as the audit counts (marked requirements over
// the courses given to them): one for each requirement met, and the part of its figure each
// other has reached; -1 when the whole set is met.
double progressOf(const audit::PreparedSet &set, const StudentRecord &record)
{
    const QList<RequirementTrace> traces = audit::EvaluateWithClaims(set, audit::DigestRecord(record, false));
    if (set.expression.evaluate(traces))
        return -1;
    double progress = 0;
    for (const RequirementTrace &t : traces) {
        if (t.verdict != AuditVerdict::Unmet)
            progress += 1;
        else if (t.amount && t.target && *t.target > 0)
            progress += std::clamp(*t.amount / *t.target, 0.0, 0.99);
    }
    return progress;
}

// The search counts a course in every requirement that selects it; where marked requirements
// share courses, its plan is checked as the audit counts them and, when short, completed one
// course at a time (the one that meets the set, else the most requirements): a best effort.
void completeWithClaims(const audit::PreparedSet &set, const StudentRecord &record, const QList<CatalogCourse> &candidates,
                        const QList<CourseResult> &planned, QList<int> plan, CompletionPlan &result)
{
    StudentRecord withPlan = record;
    for (int c : std::as_const(plan))
        withPlan.results << planned.at(c);
    bool completed = false;
    double now = progressOf(set, withPlan);
    while (now >= 0) {
        // The course that meets the set, else brings it nearest; of equals the fewest ECTS, then the first.
        // With none nearer, the cheapest that loses nothing: two courses may do what one does not.
        int chosen = -1;
        int level = -1;
        double chosenProgress = now;
        for (int c = 0; c < candidates.size() && chosenProgress >= 0; ++c) {
            if (plan.contains(c))
                continue;
            withPlan.results << planned.at(c);
            const double progress = progressOf(set, withPlan);
            withPlan.results.removeLast();
            const bool nearer = progress < 0 || progress > chosenProgress + Epsilon;
            const bool asNear = chosen >= 0 && std::fabs(progress - chosenProgress) <= Epsilon
                                && ectsOf(candidates.at(c)) < ectsOf(candidates.at(chosen));
            if (nearer || asNear) {
                chosen = c;
                chosenProgress = progress;
            } else if (chosen < 0 && progress >= now - Epsilon
                       && (level < 0 || ectsOf(candidates.at(c)) < ectsOf(candidates.at(level)))) {
                level = c;
            }
        }
        if (chosen < 0) {
            chosen = level;
            chosenProgress = now;
        }
        if (chosen < 0)
            break;
        plan << chosen;
        withPlan.results << planned.at(chosen);
        completed = true;
        now = chosenProgress;
    }
    result.courses.clear();
    if (now >= 0) {
        result.outcome = ReportPlan::Outcome::NoCourses;
        return;
    }
    // Drop the courses it can do without, the dearest first.
    QList<int> byEcts = plan;
    std::stable_sort(byEcts.begin(), byEcts.end(),
                     [&](int a, int b) { return ectsOf(candidates.at(a)) > ectsOf(candidates.at(b)); });
    for (int c : std::as_const(byEcts)) {
        StudentRecord without = record;
        for (int other : std::as_const(plan)) {
            if (other != c)
                without.results << planned.at(other);
        }
        if (progressOf(set, without) < 0)
            plan.removeOne(c);
    }
    std::sort(plan.begin(), plan.end());
    for (int c : std::as_const(plan))
        result.courses << candidates.at(c);
    const bool onlyGrowing = std::all_of(set.requirements.cbegin(), set.requirements.cend(), [](const audit::PreparedRequirement &r) {
        return !r.claims || audit::GrowsTowardsMet(r);
    });
    if (completed || !onlyGrowing || result.outcome == ReportPlan::Outcome::NotNeeded)
        result.outcome = ReportPlan::Outcome::BestEffort;
}

CompletionPlan planFor(const audit::PreparedSet &set, const StudentRecord &record,
                       const QList<CatalogCourse> &catalog, const AuditCodes &codes, const PlanBound &bound)
{
    CompletionPlan result;
    if (record.excepted || set.requirements.isEmpty())
        return result;
    const audit::StudentDigest digest = audit::DigestRecord(record, false);
    const Period period = plannedPeriod(record, codes);
    QList<CatalogCourse> candidates;
    QList<CourseResult> planned;
    QList<double> ects;
    QSet<qint32> seen;
    for (const CatalogCourse &course : catalog) {
        if (course.courseId == 0 || seen.contains(course.courseId) || digest.passedCourse(course.courseId))
            continue;
        seen.insert(course.courseId);
        candidates << course;
        planned << plannedResult(course, period);
        ects << ectsOf(course);
    }
    const bool claims = audit::HasClaims(set);
    if (claims && progressOf(set, record) < 0)
        return result;
    PlanSearch search(set, record, planned, ects, bound.steps);
    if (search.metAlready()) {
        if (claims)
            completeWithClaims(set, record, candidates, planned, {}, result);
        return result;
    }

    const Choice chosen = choose(search, ects);
    result.steps = search.steps();
    if (!chosen.valid) {
        // Not even with every requirement no course can change assumed; past the bound, the greedy attempt.
        const QList<int> open = search.unchangeable();
        result.outcome = search.stopped() ? ReportPlan::Outcome::BestEffort : ReportPlan::Outcome::NoCourses;
        if (search.stopped()) {
            for (int c : search.greedy(open))
                result.courses << candidates.at(c);
        }
        for (int i : open) {
            if (audit::EvaluateRequirement(set.requirements.at(i), digest, codes).verdict == AuditVerdict::Unmet)
                result.besides << set.requirements.at(i).ocID;
        }
        return result;
    }
    result.outcome = chosen.exact ? ReportPlan::Outcome::Exact : ReportPlan::Outcome::BestEffort;
    for (int c : chosen.plan)
        result.courses << candidates.at(c);
    for (int i : chosen.assumed)
        result.besides << set.requirements.at(i).ocID;
    if (claims && chosen.assumed.isEmpty())
        completeWithClaims(set, record, candidates, planned, chosen.plan, result);
    return result;
}

} // namespace

CompletionPlan PlanCompletion(const QList<RequirementValue> &values, const QString &expression,
                              const StudentRecord &record, const QList<CatalogCourse> &catalog,
                              const AuditCodes &codes, const PlanBound &bound)
{
    if (values.isEmpty())
        return {};
    audit::PreparedSet set;
    set.codes = codes;
    QList<qint32> ids;
    for (const RequirementValue &value : values) {
        set.requirements << audit::PrepareRequirement(value);
        ids << value.ocID;
    }
    set.expression = audit::AuditExpression::parse(expression, ids);
    return planFor(set, record, catalog, codes, bound);
}

CompletionPlan PlanCompletion(const AuditSet &set, const StudentRecord &record, const QList<CatalogCourse> &catalog,
                              const PlanBound &bound)
{
    const audit::PreparedSet *prepared = set.prepared();
    return prepared ? planFor(*prepared, record, catalog, prepared->codes, bound) : CompletionPlan();
}

StudentRecord WithPlannedCourses(const StudentRecord &record, const QList<CatalogCourse> &courses,
                                 const AuditCodes &codes)
{
    StudentRecord planned = record;
    const Period period = plannedPeriod(record, codes);
    for (const CatalogCourse &course : courses)
        planned.results << plannedResult(course, period);
    return planned;
}

StudentRecord WithPlannedCourses(const StudentRecord &record, const QList<PlannedCourse> &courses,
                                 const AuditCodes &codes)
{
    StudentRecord planned = record;
    const Period period = plannedPeriod(record, codes);
    for (const PlannedCourse &p : courses)
        planned.results << plannedResult(p.course, period, p.grade);
    return planned;
}

ReportPlan ReportPlanOf(const CompletionPlan &plan, const AuditTrace &trace)
{
    ReportPlan report;
    report.outcome = plan.outcome;
    for (const CatalogCourse &course : plan.courses)
        report.courses << ReportCourseOf(course);
    for (qint32 id : plan.besides) {
        for (const RequirementTrace &requirement : trace.requirements) {
            if (requirement.ocID == id) {
                report.besides << requirement.readableName();
                break;
            }
        }
    }
    return report;
}

} // namespace zr
