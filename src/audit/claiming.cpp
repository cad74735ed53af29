#include "claiming.h"

#include "auditrules.h"
#include "audittext.h"
#include "coursecatalog.h"

#include <QByteArray>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace zr::audit {

namespace {

// Figures in thousandths: sums of halves of ECTS stay exact, and states compare as integers.
using Millis = qint64;

Millis millisOf(double value)
{
    return qRound64(value * 1000);
}

// A marked requirement that can take courses, as the search sees it: its figure so far.
struct Model
{
    int requirement = 0;
    const PreparedRequirement *rule = nullptr;
    Millis sum = 0;
    // Beyond it a figure that only grows is met whatever comes: states past it are one state.
    Millis cap = std::numeric_limits<Millis>::max();
    bool subjects = false;
    QHash<qint32, int> subjectIndex; // a chosen subject -> its place
    std::vector<int> subjectCount;
    int distinct = 0;
    // No course still to place changes its verdict: met already, or out of reach.
    bool settled = false;

    void give(Millis amount, int subject, int count)
    {
        sum += amount * count;
        if (subject >= 0) {
            int &c = subjectCount[size_t(subject)];
            distinct += (c == 0 && count > 0) - (c > 0 && c + count == 0);
            c += count;
        }
    }

    bool meets(Millis figure, int drawnFrom) const { return FigureMeets(*rule, double(figure) / 1000, drawnFrom); }

    // Whether some figure of [low, high] meets it, and whether some fails it.
    std::pair<bool, bool> reach(Millis low, Millis high, int fewest, int most) const
    {
        const bool lowMeets = meets(low, most);
        const bool highMeets = meets(high, most);
        bool canMeet = lowMeets || highMeets;
        if (!canMeet && rule->typeId != 30 && (rule->op == 0 || rule->op == 5)) {
            // A value or a range inside the figure's reach.
            const double a = rule->value1.value_or(0);
            const double b = rule->op == 5 ? rule->value2.value_or(0) : a;
            canMeet = millisOf(std::max(a, b)) >= low && millisOf(std::min(a, b)) <= high && meets(
                          std::clamp(millisOf(std::min(a, b)), low, high), most);
        }
        const bool canFail = !(meets(low, fewest) && meets(high, fewest));
        return {canMeet, canFail};
    }
};

// One model a class of courses may go to: what one course adds to it, and its subject's place
// (for a model that counts subjects, else -1).
struct Option
{
    int model = 0;
    Millis amount = 0;
    int subject = -1;
    // Whether giving it more than it needs can matter: a later option is a model more could harm.
    bool freeAbove = false;

    bool sameAs(const Option &o) const { return model == o.model && amount == o.amount && subject == o.subject; }
};

// Courses every marked requirement counts alike: which of them go where is all that matters.
struct CourseClass
{
    std::vector<Option> options; // the models that would count them and may still change, in list order
    int last = 0;                // the last model that would count them: what no model needs goes there
    QList<int> courses;          // by place among the passed courses, in the order they were passed
    size_t given = 0;            // where its counts start in the search's row of counts
};

struct Score
{
    bool setMet = false;
    int count = -1;
    std::vector<char> met; // of each model

    bool operator==(const Score &o) const { return setMet == o.setMet && count == o.count && met == o.met; }
    bool beats(const Score &other) const
    {
        if (setMet != other.setMet)
            return setMet;
        if (count != other.count)
            return count > other.count;
        return met > other.met; // the earlier requirement met wins
    }
};

// Two independent 64-bit mixes of a state: a pair of them tells states apart as well as the state.
struct StateKey
{
    quint64 a = 1469598103934665603ULL, b = 0x9E3779B97F4A7C15ULL;
    void add(quint64 v)
    {
        a = (a ^ v) * 1099511628211ULL;
        b = (b + v + 0x632BE59BD9B4E019ULL) * 0xFF51AFD7ED558CCDULL;
        b ^= b >> 29;
    }
    bool operator==(const StateKey &o) const { return a == o.a && b == o.b; }
};
size_t qHash(const StateKey &key, size_t seed = 0)
{
    return size_t(key.a ^ (key.b << 1)) ^ seed;
}

class Search
{
public:
    Search(const PreparedSet &set, const QList<RequirementTrace> &fixed, std::vector<Model> &models,
           const std::vector<CourseClass> &classes, qint64 bound)
        : m_set(set), m_models(models), m_classes(classes), m_bound(bound)
    {
        const size_t n = size_t(set.requirements.size());
        m_holds.assign(n, 0);
        m_canMeet.assign(n, 0);
        m_canFail.assign(n, 0);
        for (size_t i = 0; i < n; ++i) {
            const bool holds = fixed.at(qsizetype(i)).verdict != AuditVerdict::Unmet;
            m_holds[i] = holds;
            m_canMeet[i] = holds;
            m_canFail[i] = !holds;
        }
        // What the classes from each place on could still add to each model, and the subjects they
        // could bring: the search's bound. One row per place, one column per model (or subject).
        const size_t modelCount = m_models.size();
        m_subjectAt.assign(modelCount + 1, 0);
        for (size_t m = 0; m < modelCount; ++m)
            m_subjectAt[m + 1] = m_subjectAt[m] + m_models[m].subjectCount.size();
        const size_t subjects = m_subjectAt[modelCount];
        m_potential.assign((m_classes.size() + 1) * modelCount, 0);
        m_newSubjects.assign((m_classes.size() + 1) * subjects, 0);
        for (size_t k = m_classes.size(); k-- > 0;) {
            std::copy_n(m_potential.begin() + qsizetype((k + 1) * modelCount), modelCount, m_potential.begin() + qsizetype(k * modelCount));
            std::copy_n(m_newSubjects.begin() + qsizetype((k + 1) * subjects), subjects,
                        m_newSubjects.begin() + qsizetype(k * subjects));
            const CourseClass &c = m_classes[k];
            for (const Option &o : c.options) {
                const size_t m = size_t(o.model);
                m_potential[k * modelCount + m] += o.amount * c.courses.size();
                if (o.subject >= 0)
                    m_newSubjects[k * subjects + m_subjectAt[m] + size_t(o.subject)] = 1;
            }
        }
        size_t counts = 0;
        for (const CourseClass &c : m_classes)
            counts += c.options.size();
        m_given.assign(counts, 0);
        m_bestGiven = m_given;
    }

    void run()
    {
        m_ceiling = optimistic(0);
        visit(0);
        if (m_best.count < 0) {
            // Stopped before any choice was complete: each class to its first model.
            for (size_t k = 0; k < m_classes.size(); ++k)
                m_bestGiven[m_classes[k].given] = int(m_classes[k].courses.size());
        }
    }

    bool stopped() const { return m_stopped; }
    qint64 steps() const { return m_steps; }
    /// How many of each class's courses go to each of its options, from the class's `given` on.
    const std::vector<int> &chosen() const { return m_bestGiven; }

private:
    const PreparedSet &m_set;
    std::vector<Model> &m_models;
    const std::vector<CourseClass> &m_classes;
    qint64 m_bound;
    qint64 m_steps = 0;
    bool m_stopped = false;
    bool m_done = false;
    std::vector<char> m_holds, m_canMeet, m_canFail, m_scratchMeet, m_scratchFail;
    std::vector<Millis> m_potential;
    std::vector<char> m_newSubjects;
    std::vector<size_t> m_subjectAt;
    std::vector<int> m_given, m_bestGiven;
    Score m_best, m_ceiling;
    QSet<StateKey> m_seen;

    int subjectsWithin(const Model &m, size_t model, size_t k) const
    {
        int more = 0;
        const char *available = m_newSubjects.data() + k * m_subjectAt.back() + m_subjectAt[model];
        for (size_t s = 0; s < m.subjectCount.size(); ++s)
            more += available[s] && m.subjectCount[s] == 0;
        return m.distinct + more;
    }

    // The best any completion of the classes from `k` on could score.
    Score optimistic(size_t k)
    {
        Score bound;
        bound.met.resize(m_models.size());
        bound.count = 0;
        m_scratchMeet = m_canMeet;
        m_scratchFail = m_canFail;
        for (size_t i = 0; i < m_models.size(); ++i) {
            const Model &m = m_models[i];
            const auto [meet, fail] = m.reach(m.sum, m.sum + m_potential[k * m_models.size() + i], m.distinct, subjectsWithin(m, i, k));
            m_scratchMeet[size_t(m.requirement)] = meet;
            m_scratchFail[size_t(m.requirement)] = fail;
            bound.met[i] = meet;
            bound.count += meet;
        }
        bound.setMet = m_set.expression.mayHold(m_scratchMeet, m_scratchFail);
        return bound;
    }

    void leaf()
    {
        Score score;
        score.met.resize(m_models.size());
        score.count = 0;
        m_scratchMeet = m_holds;
        for (size_t i = 0; i < m_models.size(); ++i) {
            const Model &m = m_models[i];
            const bool met = m.meets(m.sum, m.distinct);
            m_scratchMeet[size_t(m.requirement)] = met;
            score.met[i] = met;
            score.count += met;
        }
        score.setMet = m_set.expression.evaluate(m_scratchMeet);
        if (score.beats(m_best)) {
            m_best = std::move(score);
            m_bestGiven = m_given;
            // Nothing can do better than what every model could reach on its own.
            m_done = m_best == m_ceiling;
        }
    }

    StateKey stateKey(size_t k) const
    {
        StateKey key;
        key.add(k);
        for (const Model &m : m_models) {
            key.add(quint64(std::min(m.sum, m.cap)));
            quint64 bits = 0;
            for (size_t s = 0; s < m.subjectCount.size(); ++s) {
                bits = bits << 1 | (m.subjectCount[s] > 0);
                if (s % 64 == 63) {
                    key.add(bits);
                    bits = 0;
                }
            }
            key.add(bits);
        }
        return key;
    }

    // How many of class `c`'s courses model `m` needs to be met; 0 for one that more could only harm.
    int wanted(const Model &m, const Option &o, int left) const
    {
        if (!GrowsTowardsMet(*m.rule) || m.settled)
            return 0;
        int need = 0;
        if (m.sum < m.cap && o.amount > 0)
            need = int((m.cap - m.sum + o.amount - 1) / o.amount);
        if (o.subject >= 0 && m.subjectCount[size_t(o.subject)] == 0)
            need = std::max(need, 1);
        return std::min(need, left);
    }

    void visit(size_t k)
    {
        if (m_stopped || m_done)
            return;
        if (++m_steps > m_bound) {
            m_stopped = true;
            return;
        }
        if (k == m_classes.size()) {
            leaf();
            return;
        }
        // Until a first choice is complete there is nothing to prune against; most students' first is best.
        if (m_best.count >= 0) {
            if (!optimistic(k).beats(m_best))
                return;
            // The same figures at the same place lead to the same ends: searched once.
            if (m_seen.size() > 1000000)
                m_seen.clear();
            const StateKey key = stateKey(k);
            if (m_seen.contains(key))
                return;
            m_seen.insert(key);
        }
        distribute(k, 0, int(m_classes[k].courses.size()));
    }

    void distribute(size_t k, size_t e, int left)
    {
        const CourseClass &c = m_classes[k];
        const Option &o = c.options[e];
        Model &m = m_models[size_t(o.model)];
        if (e + 1 == c.options.size()) {
            place(k, e, m, left, [&] { visit(k + 1); });
            return;
        }
        // What the model needs first, then less: the first choice tried fills each in list order.
        // More than it needs only spares a later model that more would harm.
        const int need = wanted(m, o, left);
        for (int count = need; count >= 0 && !m_stopped && !m_done; --count)
            place(k, e, m, count, [&] { distribute(k, e + 1, left - count); });
        if (!o.freeAbove && GrowsTowardsMet(*m.rule))
            return;
        for (int count = need + 1; count <= left && !m_stopped && !m_done; ++count)
            place(k, e, m, count, [&] { distribute(k, e + 1, left - count); });
    }

    template <typename Next> void place(size_t k, size_t e, Model &m, int count, Next next)
    {
        const CourseClass &c = m_classes[k];
        const Option &o = c.options[e];
        m_given[c.given + e] = count;
        m.give(o.amount, o.subject, count);
        next();
        m.give(o.amount, o.subject, -count);
        m_given[c.given + e] = 0;
    }
};

Model modelOf(int index, const PreparedRequirement &r)
{
    Model m;
    m.requirement = index;
    m.rule = &r;
    if (r.typeId == 30) {
        const int listed = int(r.selectedInOrder.size());
        m.cap = Millis(r.minimum && *r.minimum > 0 ? std::ceil(*r.minimum - 1e-9) : listed) * 1000;
    } else if (r.op == 8) {
        m.cap = millisOf(r.value1.value_or(0));
    } else if (r.op == 3) {
        m.cap = millisOf(r.value1.value_or(0)) + 1;
    }
    m.subjects = CountsSubjects(r);
    if (m.subjects) {
        for (qint32 subject : r.selectedInOrder)
            m.subjectIndex.insert(subject, int(m.subjectIndex.size()));
        m.subjectCount.assign(size_t(m.subjectIndex.size()), 0);
    }
    return m;
}

// Models whose verdict no course still to place can change are left out of the classes: a figure
// that only grows and is met already, or that could not be met with every course it might get. A
// class left with one model is that model's; with none, its courses go to the last that counts them.
void settle(std::vector<Model> &models, std::vector<CourseClass> &classes, QList<int> &owner)
{
    std::vector<Millis> potential(models.size());
    std::vector<char> reachable;
    std::vector<size_t> subjectAt(models.size() + 1, 0);
    for (size_t m = 0; m < models.size(); ++m)
        subjectAt[m + 1] = subjectAt[m] + models[m].subjectCount.size();
    for (bool changed = true; changed;) {
        changed = false;
        std::fill(potential.begin(), potential.end(), 0);
        reachable.assign(subjectAt.back(), 0);
        for (const CourseClass &c : classes) {
            for (const Option &o : c.options) {
                potential[size_t(o.model)] += o.amount * c.courses.size();
                if (o.subject >= 0)
                    reachable[subjectAt[size_t(o.model)] + size_t(o.subject)] = 1;
            }
        }
        for (size_t m = 0; m < models.size(); ++m) {
            Model &model = models[m];
            if (!GrowsTowardsMet(*model.rule) || model.settled)
                continue;
            int most = model.distinct;
            for (size_t s = 0; s < model.subjectCount.size(); ++s)
                most += reachable[subjectAt[m] + s] && model.subjectCount[s] == 0;
            model.settled = model.meets(model.sum, model.distinct) || !model.meets(model.sum + potential[m], most);
        }
        size_t kept = 0;
        for (CourseClass &c : classes) {
            // Beside a model that more could harm, one settled model stays: it takes courses at no cost.
            const bool harmed = std::any_of(c.options.cbegin(), c.options.cend(), [&](const Option &o) {
                return !GrowsTowardsMet(*models[size_t(o.model)].rule);
            });
            size_t sink = c.options.size();
            for (size_t e = 0; e < c.options.size(); ++e) {
                if (models[size_t(c.options[e].model)].settled)
                    sink = e;
            }
            const size_t before = c.options.size();
            size_t e = 0;
            c.options.erase(std::remove_if(c.options.begin(), c.options.end(),
                                           [&](const Option &o) {
                                               const bool drop = models[size_t(o.model)].settled && !(harmed && e == sink);
                                               ++e;
                                               return drop;
                                           }),
                            c.options.end());
            changed = changed || c.options.size() != before;
            if (c.options.size() >= 2) {
                if (&classes[kept] != &c)
                    classes[kept] = std::move(c);
                ++kept;
                continue;
            }
            const int to = c.options.empty() ? c.last : c.options.front().model;
            if (!c.options.empty())
                models[size_t(to)].give(c.options.front().amount, c.options.front().subject, int(c.courses.size()));
            for (int course : std::as_const(c.courses))
                owner[course] = models[size_t(to)].requirement;
        }
        classes.resize(kept);
    }
    size_t given = 0;
    for (CourseClass &c : classes) {
        bool later = false;
        for (size_t e = c.options.size(); e-- > 0;) {
            c.options[e].freeAbove = later;
            later = later || !GrowsTowardsMet(*models[size_t(c.options[e].model)].rule);
        }
        c.given = given;
        given += c.options.size();
    }
}

} // namespace

bool HasClaims(const PreparedSet &set)
{
    return std::any_of(set.requirements.cbegin(), set.requirements.cend(),
                       [](const PreparedRequirement &r) { return r.claims; });
}

ClaimAssignment AssignClaims(const PreparedSet &set, const StudentDigest &student, const QList<RequirementTrace> &fixed,
                             qint64 bound)
{
    ClaimAssignment result;
    result.claimed.resize(set.requirements.size());
    std::vector<Model> models;
    for (int i = 0; i < set.requirements.size(); ++i) {
        const PreparedRequirement &r = set.requirements.at(i);
        if (r.claims && CanClaim(r, student))
            models.push_back(modelOf(i, r));
    }
    if (models.empty())
        return result;

    // A course one model alone counts is its; those several count are grouped into classes.
    QList<int> &owner = result.ownerOfPassed;
    owner = QList<int>(student.passed.size(), -1);
    std::vector<CourseClass> classes;
    std::vector<Option> options;
    for (int place = 0; place < student.passed.size(); ++place) {
        const PassedCourse &course = student.passed.at(place);
        options.clear();
        for (size_t m = 0; m < models.size(); ++m) {
            const Model &model = models[m];
            if (!WouldCount(*model.rule, course))
                continue;
            Option o;
            o.model = int(m);
            o.amount = millisOf(AmountFor(*model.rule, course));
            o.subject = model.subjects ? model.subjectIndex.value(course.course->subject.value_or(-1), -1) : -1;
            options.push_back(o);
        }
        if (options.empty())
            continue;
        if (options.size() == 1) {
            models[size_t(options.front().model)].give(options.front().amount, options.front().subject, 1);
            owner[place] = models[size_t(options.front().model)].requirement;
            continue;
        }
        const auto same = std::find_if(classes.begin(), classes.end(), [&options](const CourseClass &c) {
            return std::equal(c.options.cbegin(), c.options.cend(), options.cbegin(), options.cend(),
                              [](const Option &a, const Option &b) { return a.sameAs(b); });
        });
        if (same != classes.end()) {
            same->courses << place;
            continue;
        }
        CourseClass c;
        c.options = options;
        c.last = options.back().model;
        c.courses << place;
        classes.push_back(std::move(c));
    }
    settle(models, classes, owner);

    Search search(set, fixed, models, classes, bound);
    search.run();
    result.exact = !search.stopped();
    result.steps = search.steps();
    const std::vector<int> &chosen = search.chosen();
    for (const CourseClass &c : classes) {
        int next = 0;
        for (size_t e = 0; e < c.options.size(); ++e) {
            for (int n = 0; n < chosen[c.given + e]; ++n)
                owner[c.courses.at(next++)] = models[size_t(c.options[e].model)].requirement;
        }
    }
    for (int place = 0; place < student.passed.size(); ++place) {
        if (owner.at(place) >= 0)
            result.claimed[owner.at(place)] << student.passed.at(place).courseId;
    }
    return result;
}

QList<RequirementTrace> EvaluateWithClaims(const PreparedSet &set, const StudentDigest &student,
                                           ClaimAssignment *assignment)
{
    QList<RequirementTrace> traces;
    traces.reserve(set.requirements.size());
    for (const PreparedRequirement &r : set.requirements)
        traces << (r.claims ? RequirementTrace() : EvaluateRequirement(r, student, set.codes));
    if (!HasClaims(set))
        return traces;
    for (int i = 0; i < set.requirements.size(); ++i) {
        const PreparedRequirement &r = set.requirements.at(i);
        if (r.claims && !CanClaim(r, student))
            traces[i] = EvaluateRequirement(r, student, set.codes);
    }
    ClaimAssignment claims = AssignClaims(set, student, traces);
    for (int i = 0; i < set.requirements.size(); ++i) {
        const PreparedRequirement &r = set.requirements.at(i);
        if (!r.claims || !CanClaim(r, student))
            continue;
        StudentDigest own = student;
        own.ownerOfPassed = &claims.ownerOfPassed;
        own.reader = i;
        traces[i] = EvaluateRequirement(r, own, set.codes);
        RequirementTrace &trace = traces[i];
        trace.counted = claims.claimed.at(i);
        if (!student.explain || trace.measured.isEmpty())
            continue;
        if (!trace.counted.isEmpty()) {
            QStringList labels;
            for (qint32 course : std::as_const(trace.counted))
                labels << CourseLabel(set.codes, course);
            trace.measured += AuditText(StrCountedHere, {labels.join(QStringLiteral(", "))});
        }
        if (!claims.exact)
            trace.measured += AuditText(StrClaimsBestEffort);
    }
    if (assignment)
        *assignment = std::move(claims);
    return traces;
}

} // namespace zr::audit
