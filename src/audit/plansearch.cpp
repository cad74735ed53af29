#include "plansearch.h"

#include "auditrules.h"
#include "passedcourses.h"

#include <QHash>

#include <algorithm>
#include <climits>
#include <utility>

namespace zr::audit {

namespace {

constexpr double Epsilon = 1e-9;
// Requirements that could still go either way, and assumed ones, are tried in every combination
// against the expression; beyond this many, 2^n checks would cost more than they save, and a node
// is judged by the expression's cheapest repair instead.
constexpr int MostOpen = 8;

// Whether adding courses can only bring the requirement closer to being met: a lower bound on a
// total, a count of listed courses, the course counts of an average (planned courses carry no grade).
bool addingOnlyHelps(const PreparedRequirement &r)
{
    switch (r.typeId) {
    case 20:
    case 40:
    case 50:
    case 110:
    case 120:
        return r.op == 8 || r.op == 3;
    case 30:
        return !(r.minimum && *r.minimum < 0);
    case 80:
    case 90:
        return true;
    default:
        return false;
    }
}

// The course counts of an average show in its words alone, not in its figure.
bool readsWords(const PreparedRequirement &r)
{
    return r.typeId == 80 || r.typeId == 90;
}

// The limit from above a course total is compared with, for "≤", "<", "=" and "between"; strict for "<".
std::optional<std::pair<double, bool>> ceilingOf(const PreparedRequirement &r)
{
    if (r.typeId != 20 && r.typeId != 40 && r.typeId != 50 && r.typeId != 110 && r.typeId != 120)
        return std::nullopt;
    const double first = r.value1.value_or(0);
    switch (r.op) {
    case 0:
    case 9:
        return std::make_pair(first, false);
    case 4:
        return std::make_pair(first, true);
    case 5:
        return std::make_pair(std::max(first, r.value2.value_or(0)), false);
    default:
        return std::nullopt;
    }
}

bool counts(AuditVerdict verdict)
{
    return verdict != AuditVerdict::Unmet;
}

} // namespace

struct PlanSearch::State
{
    State(const PreparedSet &s, const StudentRecord &r) : set(s), record(r) {}

    // Candidates every requirement counts alike: any m of them serve as well as the m cheapest.
    struct CourseClass
    {
        QList<int> members;       // fewest ECTS first, then catalog order
        QList<int> touches;       // requirements one member changes
        QList<double> gains;      // what one member adds to the figure of each of them
        QList<double> prefixEcts; // ECTS of the first x members
    };

    const PreparedSet &set;
    const StudentRecord &record;
    StudentRecord work;    // what the rules read of the record, the plan's results appended
    StudentRecord planned; // one result per candidate; the candidates' digest entries point into it
    StudentDigest digest;  // the record's passed courses and the plan's
    QList<PassedCourse> entries; // per candidate; courseId 0 for one the rules would not count as passed
    QList<double> ects;
    QList<RequirementTrace> baseline; // without the plan
    QList<RequirementTrace> traces;   // with the plan, without words, as last checked
    QList<bool> dirty;                // per requirement: the plan changed since
    QList<double> figure;             // per requirement: its figure with the plan, added up course by course
    QList<RequirementTrace> verdicts; // the expression's input
    QList<int> plan;
    QList<CourseClass> classes;
    QList<int> classOf;                          // per candidate, -1 for one in none
    QList<bool> rising;                          // per requirement: addingOnlyHelps, and so it proved
    QList<bool> growing;                         // per requirement: no course lowers its figure
    QList<int> lastClass;                        // per requirement: the last class that changes it, -1 for none
    QList<QList<std::pair<double, int>>> gains;  // per requirement: (gain, class), largest first
    QList<int> capacity;                         // members of classes j and after
    QList<QList<double>> cheapest;               // ECTS of the x cheapest members of classes j and after
    QList<QList<int>> earliest;                  // the members of classes j and after, in catalog order
    QList<bool> open;                            // per requirement, while a node is judged
    QList<bool> assumed;
    // Whether the expression can be met, by which requirements are open and the verdicts of the
    // others: the same few patterns recur from node to node. Sets of up to 64 requirements.
    QHash<std::pair<quint64, quint64>, bool> meetable;
    qint64 budget = 0;
    qint64 steps = 0;
    bool stopped = false;
    bool haveBest = false;
    double bestEcts = 0;
    QList<int> best;

    RequirementTrace check(int requirement) const
    {
        return EvaluateRequirement(set.requirements.at(requirement), digest, set.codes);
    }

    // The requirements a member of the candidate's class changes, with what it adds to each.
    void touch(int candidate, double sign)
    {
        const int j = classOf.value(candidate, -1);
        if (j < 0)
            return;
        const CourseClass &cls = classes.at(j);
        for (int t = 0; t < cls.touches.size(); ++t) {
            figure[cls.touches.at(t)] += sign * cls.gains.at(t);
            dirty[cls.touches.at(t)] = true;
        }
    }

    void push(int candidate)
    {
        const PassedCourse &entry = entries.at(candidate);
        digest.passedIndex.insert(entry.courseId, int(digest.passed.size()));
        digest.passed.append(entry);
        work.results.append(planned.results.at(candidate));
        plan.append(candidate);
        touch(candidate, 1);
    }

    void pop()
    {
        touch(plan.takeLast(), -1);
        digest.passedIndex.remove(digest.passed.last().courseId);
        digest.passed.removeLast();
        work.results.removeLast();
    }

    void reset()
    {
        while (!plan.isEmpty())
            pop();
        traces = baseline;
        dirty = QList<bool>(baseline.size(), false);
        figure = QList<double>(baseline.size(), 0.0);
        for (int i = 0; i < baseline.size(); ++i)
            figure[i] = baseline.at(i).amount.value_or(0);
    }

    void load(const QList<int> &candidates)
    {
        reset();
        for (int c : candidates)
            push(c);
    }

    // The requirement as the rules see it with the plan.
    const RequirementTrace &current(int requirement)
    {
        if (dirty.at(requirement)) {
            traces[requirement] = check(requirement);
            dirty[requirement] = false;
        }
        return traces.at(requirement);
    }

    // Its verdict with the plan, checked by the rules only where its figure cannot tell: a plan only
    // adds courses, so one that only rises and is met without it stays met, and one whose figure
    // is short of its target is not met.
    AuditVerdict verdictOf(int requirement)
    {
        const RequirementTrace &base = baseline.at(requirement);
        if (dirty.at(requirement) && rising.at(requirement)) {
            if (counts(base.verdict))
                return base.verdict;
            if (base.amount && base.target && figure.at(requirement) < *base.target - Epsilon)
                return AuditVerdict::Unmet;
        }
        return current(requirement).verdict;
    }

    std::optional<double> amountOf(int requirement)
    {
        if (baseline.at(requirement).amount)
            return figure.at(requirement);
        return current(requirement).amount;
    }

    void setAssumed(const QList<int> &requirements)
    {
        assumed = QList<bool>(traces.size(), false);
        for (int i : requirements) {
            if (i >= 0 && i < assumed.size())
                assumed[i] = true;
        }
    }

    // The expression over `verdicts`, the requirements in `free` taking every combination.
    bool anyCombination(const int *free, int count)
    {
        std::pair<quint64, quint64> key{0, 0};
        const bool remembered = verdicts.size() <= 64;
        if (remembered) {
            for (int b = 0; b < count; ++b)
                key.first |= quint64(1) << free[b];
            for (int i = 0; i < verdicts.size(); ++i) {
                if (!(key.first >> i & 1) && counts(verdicts.at(i).verdict))
                    key.second |= quint64(1) << i;
            }
            const auto found = meetable.constFind(key);
            if (found != meetable.constEnd())
                return *found;
        }
        bool met = false;
        for (quint32 mask = 0; mask < (1u << count) && !met; ++mask) {
            for (int b = 0; b < count; ++b)
                verdicts[free[b]].verdict = (mask >> b) & 1 ? AuditVerdict::Met : AuditVerdict::Unmet;
            met = set.expression.evaluate(verdicts);
        }
        if (remembered) {
            if (meetable.size() > 100000)
                meetable.clear();
            meetable.insert(key, met);
        }
        return met;
    }

    bool metNow()
    {
        int free[MostOpen];
        int count = 0;
        for (int i = 0; i < traces.size(); ++i) {
            verdicts[i].verdict = verdictOf(i);
            if (assumed[i] && count < MostOpen)
                free[count++] = i;
        }
        return anyCombination(free, count);
    }

    // Whether `k` more members of classes j and after can lift the requirement's figure to its
    // target; true where there is no figure to go by.
    bool reaches(int requirement, int j, int k)
    {
        const std::optional<double> amount = amountOf(requirement);
        const std::optional<double> &target = baseline.at(requirement).target;
        if (!amount || !target)
            return true;
        const double need = *target - *amount;
        if (need <= Epsilon)
            return true;
        double sum = 0;
        int taken = 0;
        for (const auto &[gain, cls] : gains.at(requirement)) {
            if (cls < j)
                continue;
            const int take = std::min(int(classes.at(cls).members.size()), k - taken);
            sum += take * gain;
            taken += take;
            if (sum >= need - Epsilon)
                return true;
            if (taken >= k)
                break;
        }
        return false;
    }

    // Whether the figure has passed a limit from above that more courses only take it further past.
    bool pastCeiling(int requirement)
    {
        const auto ceiling = ceilingOf(set.requirements.at(requirement));
        if (!growing.at(requirement) || !ceiling)
            return false;
        const std::optional<double> amount = amountOf(requirement);
        if (!amount)
            return false;
        return ceiling->second ? *amount >= ceiling->first - Epsilon : *amount > ceiling->first + Epsilon;
    }

    // What the requirement can still be with at most `k` more members of classes j and after,
    // judged on its own: (met, not met), the one it is now among them.
    std::pair<bool, bool> possible(int requirement, int j, int k)
    {
        if (assumed.at(requirement))
            return {true, true};
        const bool now = counts(verdictOf(requirement));
        bool canMeet = now;
        bool canMiss = !now;
        if (k > 0 && lastClass.at(requirement) >= j) {
            if (!now)
                canMeet = (!growing.at(requirement) || reaches(requirement, j, k)) && !pastCeiling(requirement);
            else if (!rising.at(requirement))
                canMiss = true;
        }
        return {canMeet, canMiss};
    }

    // Whether the expression could be met while the requirements not open keep the verdicts in
    // `verdicts`: its cheapest repair, the open ones free and the others out of reach, changes none
    // of the others. Taking each mention of a requirement on its own, it never rules out a way.
    bool repairable()
    {
        QList<double> cost(verdicts.size());
        for (int i = 0; i < verdicts.size(); ++i) {
            cost[i] = open.at(i) ? 0 : 1e9;
            verdicts[i].deciding = false;
        }
        set.expression.markRoles(verdicts, cost);
        for (int i = 0; i < verdicts.size(); ++i) {
            if (!open.at(i) && verdicts.at(i).deciding)
                return false;
        }
        return true;
    }

    // Whether the set could be met with at most `k` more members of classes j and after, each
    // requirement judged on its own: false prunes the node.
    bool mayMeetFrom(int j, int k)
    {
        int few[MostOpen];
        int count = 0;
        for (int i = 0; i < traces.size(); ++i) {
            const auto [canMeet, canMiss] = possible(i, j, k);
            open[i] = canMeet && canMiss;
            if (open.at(i) && count < MostOpen)
                few[count] = i;
            count += open.at(i) ? 1 : 0;
            verdicts[i].verdict = canMeet ? AuditVerdict::Met : AuditVerdict::Unmet;
        }
        return count <= MostOpen ? anyCombination(few, count) : repairable();
    }

    double minimumEcts(int j, int k) const
    {
        const QList<double> &sums = cheapest.at(j);
        return k < sums.size() ? sums.at(k) : sums.last();
    }

    // Whether every plan of the node, its courses so far and `k` members of classes j and after,
    // comes after the best found in catalog order: it could at most tie with it in ECTS.
    bool comesAfterBest(int j, int k) const
    {
        QList<int> first = plan;
        const QList<int> &rest = earliest.at(j);
        first.append(rest.mid(0, k));
        std::sort(first.begin(), first.end());
        return !(first < best);
    }

    void offer(double planEcts)
    {
        QList<int> sorted = plan;
        std::sort(sorted.begin(), sorted.end());
        if (haveBest && (planEcts > bestEcts + Epsilon || (planEcts >= bestEcts - Epsilon && sorted >= best)))
            return;
        haveBest = true;
        bestEcts = planEcts;
        best = sorted;
    }

    // Plans of exactly `k` more members of classes j and after; false when the budget ran out.
    bool search(int j, int k, double planEcts)
    {
        if (++steps > budget) {
            stopped = true;
            return false;
        }
        if (k == 0) {
            if (metNow())
                offer(planEcts);
            return true;
        }
        if (j >= classes.size() || capacity.at(j) < k)
            return true;
        if (haveBest) {
            const double least = planEcts + minimumEcts(j, k);
            if (least > bestEcts + Epsilon || (least > bestEcts - Epsilon && comesAfterBest(j, k)))
                return true;
        }
        if (!mayMeetFrom(j, k))
            return true;
        const CourseClass &cls = classes.at(j);
        const int most = std::min(int(cls.members.size()), k);
        for (int x = 0; x < most; ++x)
            push(cls.members.at(x));
        for (int x = most;; --x) {
            if (!search(j + 1, k - x, planEcts + cls.prefixEcts.at(x)))
                return false;
            if (x == 0)
                break;
            pop();
        }
        return true;
    }

    void buildClasses();
};

// Each candidate is added alone and every requirement checked: one that changes nothing is left
// out, the others are grouped by what they change.
void PlanSearch::State::buildClasses()
{
    const int n = int(set.requirements.size());
    QList<QString> baseWords(n);
    for (int i = 0; i < n; ++i) {
        if (readsWords(set.requirements.at(i))) {
            digest.explain = true;
            baseWords[i] = check(i).measured;
            digest.explain = false;
        }
    }
    QList<bool> breaks(n, false);
    QHash<QString, int> classByKey;
    for (int c = 0; c < entries.size(); ++c) {
        if (entries.at(c).courseId == 0)
            continue;
        push(c);
        QString key;
        QList<int> touches;
        QList<double> added;
        for (int i = 0; i < n; ++i) {
            const PreparedRequirement &r = set.requirements.at(i);
            digest.explain = readsWords(r);
            const RequirementTrace t = check(i);
            digest.explain = false;
            const RequirementTrace &b = baseline.at(i);
            if (t.verdict == b.verdict && t.amount == b.amount && t.measured == baseWords.at(i))
                continue;
            touches << i;
            added << (t.amount && b.amount ? *t.amount - *b.amount : 0.0);
            breaks[i] = breaks.at(i) || (counts(b.verdict) && !counts(t.verdict));
            key += QString::number(i) + u'|' + QString::number(int(t.verdict)) + u'|'
                   + (t.amount ? QString::number(*t.amount, 'g', 17) : QStringLiteral("-")) + u'|' + t.measured;
            // A subjects requirement counts each subject once: courses of two subjects are not alike.
            if (r.typeId == 20 && !r.selectsAll)
                key += u'|' + QString::number(planned.results.at(c).course.subject.value_or(-1));
            key += u';';
        }
        pop();
        if (touches.isEmpty())
            continue;
        const auto found = classByKey.constFind(key);
        if (found != classByKey.constEnd()) {
            classes[*found].members << c;
            continue;
        }
        classByKey.insert(key, int(classes.size()));
        CourseClass cls;
        cls.members << c;
        cls.touches = touches;
        cls.gains = added;
        classes << cls;
    }
    // Cheapest classes first, so that the first plans found bound the ECTS of the rest.
    QList<int> order(classes.size());
    for (int j = 0; j < order.size(); ++j) {
        order[j] = j;
        std::stable_sort(classes[j].members.begin(), classes[j].members.end(),
                         [this](int a, int b) { return ects.at(a) < ects.at(b); });
    }
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return ects.at(classes.at(a).members.first()) < ects.at(classes.at(b).members.first());
    });
    QList<CourseClass> sorted;
    for (int j : std::as_const(order))
        sorted << classes.at(j);
    classes = sorted;

    rising = QList<bool>(n, false);
    growing = QList<bool>(n, true);
    lastClass = QList<int>(n, -1);
    gains = QList<QList<std::pair<double, int>>>(n);
    for (int i = 0; i < n; ++i)
        rising[i] = addingOnlyHelps(set.requirements.at(i)) && !breaks.at(i);
    for (int j = 0; j < classes.size(); ++j) {
        CourseClass &cls = classes[j];
        cls.prefixEcts = {0.0};
        for (int member : std::as_const(cls.members)) {
            cls.prefixEcts << cls.prefixEcts.last() + ects.at(member);
            classOf[member] = j;
        }
        for (int t = 0; t < cls.touches.size(); ++t) {
            const int i = cls.touches.at(t);
            const double gain = cls.gains.at(t);
            lastClass[i] = j;
            if (gain < 0)
                rising[i] = growing[i] = false;
            else if (gain > 0)
                gains[i] << std::pair<double, int>(gain, j);
        }
    }
    for (auto &list : gains)
        std::stable_sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.first > b.first; });

    const int m = int(classes.size());
    capacity = QList<int>(m + 1, 0);
    cheapest = QList<QList<double>>(m + 1, QList<double>{0.0});
    earliest = QList<QList<int>>(m + 1);
    QList<double> after;
    QList<int> members;
    for (int j = m - 1; j >= 0; --j) {
        for (int member : std::as_const(classes.at(j).members)) {
            after << ects.at(member);
            members << member;
        }
        std::sort(after.begin(), after.end());
        std::sort(members.begin(), members.end());
        earliest[j] = members;
        capacity[j] = int(after.size());
        QList<double> sums{0.0};
        for (double e : std::as_const(after))
            sums << sums.last() + e;
        cheapest[j] = sums;
    }
}

PlanSearch::PlanSearch(const PreparedSet &set, const StudentRecord &record, const QList<CourseResult> &planned,
                       const QList<double> &ects, qint64 budget)
    : d(std::make_unique<State>(set, record))
{
    d->budget = std::max<qint64>(budget, 0);
    d->work = record;
    d->digest = DigestRecord(record, false);
    d->digest.record = &d->work;
    d->planned.results = planned;
    d->ects = ects;
    d->ects.resize(planned.size());
    // The candidates' results are read as the audit reads any result: one it would not count as passed is left out.
    const StudentDigest candidates = DigestRecord(d->planned, false);
    d->entries.resize(planned.size());
    for (int c = 0; c < planned.size(); ++c) {
        if (const PassedCourse *entry = candidates.passedCourse(planned.at(c).courseId))
            d->entries[c] = *entry;
    }
    for (int i = 0; i < set.requirements.size(); ++i)
        d->baseline << d->check(i);
    d->classOf = QList<int>(planned.size(), -1);
    d->reset();
    d->verdicts = QList<RequirementTrace>(set.requirements.size());
    d->open = QList<bool>(set.requirements.size(), false);
    d->setAssumed({});
    d->buildClasses();
}

PlanSearch::~PlanSearch() = default;

bool PlanSearch::metAlready() const
{
    return d->set.expression.evaluate(d->baseline);
}

QList<int> PlanSearch::unchangeable() const
{
    d->reset();
    d->setAssumed({});
    QList<int> found;
    for (int i = 0; i < d->baseline.size(); ++i) {
        const auto [canMeet, canMiss] = d->possible(i, 0, INT_MAX / 2);
        if (canMeet != canMiss)
            found << i;
    }
    return found;
}

bool PlanSearch::mayMeet(const QList<int> &assumed)
{
    d->reset();
    d->setAssumed(assumed);
    return d->mayMeetFrom(0, d->capacity.first());
}

PlanFound PlanSearch::find(const QList<int> &assumed)
{
    d->reset();
    d->setAssumed(assumed);
    PlanFound found;
    for (int k = 0; k <= d->capacity.first(); ++k) {
        if (!d->mayMeetFrom(0, k))
            continue;
        d->haveBest = false;
        const bool finished = d->search(0, k, 0);
        d->reset();
        if (d->haveBest) {
            found.result = finished ? PlanFound::Found : PlanFound::Stopped;
            found.plan = d->best;
            return found;
        }
        if (!finished) {
            found.result = PlanFound::Stopped;
            return found;
        }
    }
    return found;
}

QList<int> PlanSearch::greedy(const QList<int> &assumed)
{
    d->reset();
    d->setAssumed(assumed);
    QList<int> used(d->classes.size(), 0);
    while (!d->metNow()) {
        // The requirements the set needs met, of an OR the branch that is cheapest to meet with
        // courses: one no course changes is out of their reach.
        QList<RequirementTrace> now;
        for (int i = 0; i < d->traces.size(); ++i)
            now << d->current(i);
        QList<RequirementTrace> roles = now;
        QList<double> cost(roles.size(), 1.0);
        for (int i = 0; i < roles.size(); ++i) {
            const RequirementTrace &t = roles.at(i);
            if (d->assumed.at(i))
                roles[i].verdict = AuditVerdict::Met;
            else if (d->lastClass.at(i) < 0)
                cost[i] = 1e6;
            else if (t.amount && t.target && *t.target > 0)
                cost[i] = 1 + std::clamp((*t.target - *t.amount) / *t.target, 0.0, 1.0);
        }
        d->set.expression.markRoles(roles, cost);
        int chosen = -1;
        double chosenScore = Epsilon;
        for (int j = 0; j < d->classes.size(); ++j) {
            const auto &cls = d->classes.at(j);
            if (used.at(j) >= cls.members.size())
                continue;
            const int candidate = cls.members.at(used.at(j));
            d->push(candidate);
            double score = 0;
            for (int i : cls.touches) {
                const RequirementTrace &before = now.at(i);
                const RequirementTrace after = d->check(i);
                if (counts(before.verdict) && !counts(after.verdict))
                    score -= 1;
                else if (!roles.at(i).deciding)
                    continue;
                else if (!counts(before.verdict) && counts(after.verdict))
                    score += 1;
                else if (before.amount && before.target && after.amount && *before.target > *before.amount)
                    score += 0.5 * std::clamp((*after.amount - *before.amount) / (*before.target - *before.amount), 0.0, 1.0);
            }
            d->pop();
            ++d->steps;
            const int current = chosen < 0 ? -1 : d->classes.at(chosen).members.at(used.at(chosen));
            if (score > chosenScore + Epsilon
                || (chosen >= 0 && score > chosenScore - Epsilon && d->ects.at(candidate) < d->ects.at(current))) {
                chosen = j;
                chosenScore = score;
            }
        }
        if (chosen < 0)
            break;
        d->push(d->classes.at(chosen).members.at(used[chosen]++));
    }
    QList<int> plan = d->plan;
    if (d->metNow()) {
        // Drop the courses it can do without, the dearest first.
        QList<int> byEcts = plan;
        std::stable_sort(byEcts.begin(), byEcts.end(), [this](int a, int b) { return d->ects.at(a) > d->ects.at(b); });
        for (int c : std::as_const(byEcts)) {
            QList<int> without = plan;
            without.removeOne(c);
            d->load(without);
            if (d->metNow())
                plan = without;
        }
    }
    d->reset();
    std::sort(plan.begin(), plan.end());
    return plan;
}

bool PlanSearch::meets(const QList<int> &plan, const QList<int> &assumed) const
{
    StudentRecord combined = d->record;
    for (int c : plan) {
        if (c >= 0 && c < d->planned.results.size())
            combined.results << d->planned.results.at(c);
    }
    const StudentDigest digest = DigestRecord(combined, false);
    QList<RequirementTrace> verdicts;
    for (const PreparedRequirement &r : d->set.requirements)
        verdicts << EvaluateRequirement(r, digest, d->set.codes);
    QList<int> open;
    for (int i : assumed) {
        if (i >= 0 && i < verdicts.size() && open.size() < MostOpen)
            open << i;
    }
    for (quint32 mask = 0; mask < (1u << open.size()); ++mask) {
        for (int b = 0; b < open.size(); ++b)
            verdicts[open.at(b)].verdict = (mask >> b) & 1 ? AuditVerdict::Met : AuditVerdict::Unmet;
        if (d->set.expression.evaluate(verdicts))
            return true;
    }
    return false;
}

qint64 PlanSearch::steps() const
{
    return d->steps;
}

bool PlanSearch::stopped() const
{
    return d->stopped;
}

} // namespace zr::audit
