#pragma once

#include "audit/auditcodes.h"
#include "audit/auditexpression.h"
#include "audit/preparedrequirement.h"
#include "audit/studentrecord.h"

#include <QList>

#include <memory>

namespace zr::audit {


/// What one search for a plan found.
struct PlanFound
{
    enum Result {
        Found,   ///< the fewest courses, the fewest ECTS among them, catalog order on ties
        None,    ///< proven: no plan of these courses meets the set
        Stopped, ///< the step budget ran out; `plan` is the best found by then, if any
    };
    Result result = None;
    QList<int> plan; ///< candidates, ascending
};

/// The exact search for the smallest plan over one student's candidate courses.
///
/// Candidates whose single addition leaves every requirement as it was are
/// dropped; the others fall into classes that every requirement counts alike
/// (each rule adds up its courses one by one, and a subjects requirement also
/// counts the subjects it draws from), of which only the cheapest members are
/// tried. Plans are searched by increasing size, pruned by what each
/// requirement can still reach with the courses left (its figure plus the
/// largest gains) and by ECTS. A requirement is checked by its rule only where
/// its figure cannot tell its verdict; meets() checks a plan by the rules alone.
/// Requirements listed as assumed are free: the set is met when some verdicts
/// of theirs make it so.
class PlanSearch
{
public:
    /// `planned` holds one result per candidate course (each a course the record
    /// has not passed, none twice), in catalog order, as the plan would add it;
    /// `ects` its ECTS. `set` and `record` must outlive the search.
    PlanSearch(const PreparedSet &set, const StudentRecord &record, const QList<CourseResult> &planned,
               const QList<double> &ects, qint64 budget);
    ~PlanSearch();
    PlanSearch(const PlanSearch &) = delete;
    PlanSearch &operator=(const PlanSearch &) = delete;

    /// Whether the record meets the set without any course.
    bool metAlready() const;
    /// The requirements whose verdict no choice of candidates changes (untouched by them, a figure
    /// out of their reach or past a limit they only raise): the only ones a plan may assume.
    QList<int> unchangeable() const;
    /// Whether some plan could meet the set with `assumed` free, by what each
    /// requirement can reach on its own: false rules a search out.
    bool mayMeet(const QList<int> &assumed);
    /// The smallest plan that meets the set with `assumed` free.
    PlanFound find(const QList<int> &assumed);
    /// A plan by repeatedly adding the course that most advances the requirements
    /// the set still needs, then dropping those it can do without; it may fall short.
    QList<int> greedy(const QList<int> &assumed);
    /// Whether `plan` added to the record meets the set with `assumed` free,
    /// checked on a record made afresh, as the audit reads it.
    bool meets(const QList<int> &plan, const QList<int> &assumed) const;
    /// Search steps taken so far, over every call.
    qint64 steps() const;
    /// Whether the budget ran out.
    bool stopped() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace zr::audit
