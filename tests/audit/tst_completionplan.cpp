#include "../datafile.h"
#include "audit/auditset.h"
#include "audit/completionplan.h"
#include "common/langstrings.h"
#include "handmadeset.h"
#include "reqtypes/requirementvalue.h"

#include <QTest>

#include <cmath>
#include <optional>

using namespace zr;

namespace {

struct Course
{
    qint32 id;
    const char *code;
    qint32 type, semester, group, mode, sector, subject;
    double ects;
};

//   id code    type sem group mode sector subject ECTS
const QList<Course> Programme{{1, "P1", 9, 1, 9, 9, 9, 9, 5},    {2, "P2", 9, 1, 9, 9, 9, 9, 5},
                              {3, "EX", 9, 1, 9, 9, 9, 9, 5},    {4, "FL", 9, 2, 9, 9, 9, 9, 5},
                              {10, "BIG", 2, 3, 1, 2, 1, 2, 10}, {11, "T1", 3, 3, 1, 1, 1, 3, 5},
                              {12, "T2", 2, 4, 3, 3, 3, 2, 5},   {13, "X13", 9, 4, 9, 9, 9, 9, 9},
                              {14, "S5", 3, 5, 4, 1, 1, 3, 5},   {15, "TINY", 9, 5, 9, 9, 9, 9, 2},
                              {16, "Y3", 8, 6, 8, 8, 8, 8, 3},   {17, "E8", 7, 6, 7, 7, 7, 7, 8}};
// The courses of the programme the student has not passed, as the data file lists them.
const QStringList Open{"FL", "BIG", "T1", "T2", "X13", "S5", "TINY", "Y3", "E8"};

CatalogCourse catalogCourse(const Course &c)
{
    CatalogCourse course;
    course.courseId = c.id;
    course.code = QString::fromLatin1(c.code);
    course.title = course.code;
    course.attributes = {c.type, c.semester, c.group, c.mode, c.sector, c.subject, c.ects, {}, c.ects, {}, true};
    return course;
}

QList<CatalogCourse> catalog()
{
    QList<CatalogCourse> courses;
    for (const Course &c : Programme)
        courses << catalogCourse(c);
    return courses;
}

CourseResult result(const QString &code, std::optional<double> grade, qint32 year, qint32 term, bool exemption = false)
{
    for (const CatalogCourse &c : catalog()) {
        if (c.code == code)
            return CourseResult{c.courseId, year, term, term, grade, exemption, c.attributes};
    }
    qFatal("no course %s", qPrintable(code));
}

// Passed P1 and P2 with 6, EX recognised without a grade, FL failed with 3; semester 5, no project, no practicum.
StudentRecord transcript()
{
    StudentRecord r;
    r.student = {{QStringLiteral("student_ID"), 7}, {QStringLiteral("exam_ID"), 5}};
    r.results = {result("P1", 6, 2022, 1), result("P2", 6, 2023, 2), result("EX", {}, 2021, 1, true),
                 result("FL", 3, 2023, 1)};
    return r;
}

AuditCodes codes()
{
    AuditCodes c;
    c.termOrder = {1, 2};
    c.currentYear = 2024;
    c.currentTerm = 1;
    return c;
}

QList<RequirementValue> valuesOf(const QStringList &requirements)
{
    const Recordset rows = test::RequirementRows(requirements);
    RequirementReader reader(rows, 103);
    QList<RequirementValue> values;
    for (int i = 0; i < rows.recordCount(); ++i)
        values << reader.read(i);
    return values;
}

QStringList codesOf(const QList<CatalogCourse> &courses)
{
    QStringList found;
    for (const CatalogCourse &c : courses)
        found << c.code;
    return found;
}

// The set with each requirement of `besides` (ids) made always met or never met, in every combination.
QList<AuditSet> withBesides(const QStringList &requirements, const QString &expression, const QList<int> &besides)
{
    QList<AuditSet> sets;
    for (int mask = 0; mask < (1 << besides.size()); ++mask) {
        QStringList changed = requirements;
        for (int b = 0; b < besides.size(); ++b)
            changed[besides.at(b) - 1] = QStringLiteral("conID=70 conoptval6=1 conoperator=8 conoptval1=")
                                         + ((mask >> b) & 1 ? u'0' : u'9');
        sets << AuditSet::prepare(valuesOf(changed), expression, codes());
    }
    return sets;
}

bool meets(const QList<AuditSet> &sets, const QStringList &plan)
{
    QList<CatalogCourse> courses;
    for (const CatalogCourse &c : catalog()) {
        if (plan.contains(c.code))
            courses << c;
    }
    const StudentRecord record = WithPlannedCourses(transcript(), courses, codes());
    for (const AuditSet &set : sets) {
        if (set.evaluate(record, AuditDetail::VerdictsOnly).verdict == SetVerdict::Met)
            return true;
    }
    return false;
}

// The best plan by trying every choice of the open courses: fewest, then fewest ECTS, then earliest in the catalog.
std::optional<QStringList> bestByTrial(const QList<AuditSet> &sets)
{
    std::optional<QStringList> best;
    QList<int> bestPlaces;
    double bestEcts = 0;
    for (int mask = 0; mask < (1 << Open.size()); ++mask) {
        QStringList plan;
        QList<int> places;
        double ects = 0;
        for (int i = 0; i < Open.size(); ++i) {
            if ((mask >> i) & 1) {
                plan << Open.at(i);
                places << i;
                ects += Programme.at(i + 3).ects;
            }
        }
        const bool sameSize = best && plan.size() == best->size();
        if (best && (plan.size() > best->size() || (sameSize && ects > bestEcts + 1e-9)))
            continue;
        if (sameSize && std::fabs(ects - bestEcts) < 1e-9 && !(places < bestPlaces))
            continue;
        if (meets(sets, plan)) {
            best = plan;
            bestPlaces = places;
            bestEcts = ects;
        }
    }
    return best;
}

} // namespace

class TestCompletionPlan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    // Every plan is applied and the set checked again; an exact one is also the best of every choice.
    void plans_data() { test::addDataRows(QFINDTESTDATA("data/completionplans.tsv")); }
    void plans()
    {
        QFETCH(QStringList, requirements);
        QFETCH(QString, expression);
        QFETCH(int, steps);
        QFETCH(QString, outcome);
        QFETCH(QStringList, courses);
        QFETCH(QStringList, besides);
        PlanBound bound;
        if (steps >= 0)
            bound.steps = steps;
        const CompletionPlan plan = PlanCompletion(valuesOf(requirements), expression, transcript(), catalog(), codes(), bound);
        const QHash<QString, ReportPlan::Outcome> outcomes{{"NotNeeded", ReportPlan::Outcome::NotNeeded},
                                                           {"Exact", ReportPlan::Outcome::Exact},
                                                           {"BestEffort", ReportPlan::Outcome::BestEffort},
                                                           {"NoCourses", ReportPlan::Outcome::NoCourses}};
        QVERIFY(outcomes.contains(outcome));
        QCOMPARE(plan.outcome, outcomes.value(outcome));
        if (courses != QStringList{"*"})
            QCOMPARE(codesOf(plan.courses), courses);
        QList<int> assumed;
        for (const QString &id : besides)
            assumed << id.toInt();
        QCOMPARE(plan.besides, assumed);

        const QList<AuditSet> sets = withBesides(requirements, expression, assumed);
        const std::optional<QStringList> best = bestByTrial(sets);
        switch (plan.outcome) {
        case ReportPlan::Outcome::NotNeeded:
            QVERIFY(meets(sets, {}));
            break;
        case ReportPlan::Outcome::NoCourses:
            QVERIFY(!best);
            break;
        case ReportPlan::Outcome::Exact:
            QVERIFY(best);
            QCOMPARE(*best, codesOf(plan.courses));
            break;
        case ReportPlan::Outcome::BestEffort:
            QVERIFY(meets(sets, codesOf(plan.courses)));
            break;
        }
    }

    // A planned course is passed in the department's current period, else in the record's latest.
    void plannedCoursesArePassedInTheCurrentPeriod_data()
    {
        QTest::addColumn<int>("currentYear");
        QTest::addColumn<int>("currentTerm");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("term");
        QTest::newRow("the department's") << 2024 << 1 << 2024 << 1;
        QTest::newRow("none known: spring 2023, the record's latest") << 0 << 0 << 2023 << 2;
    }
    void plannedCoursesArePassedInTheCurrentPeriod()
    {
        QFETCH(int, currentYear);
        QFETCH(int, currentTerm);
        QFETCH(int, year);
        QFETCH(int, term);
        AuditCodes periods = codes();
        periods.currentYear = currentYear;
        periods.currentTerm = currentTerm;
        const StudentRecord planned = WithPlannedCourses(transcript(), {catalog().at(5)}, periods);
        QCOMPARE(planned.results.size(), transcript().results.size() + 1);
        const CourseResult &added = planned.results.last();
        QCOMPARE(added.courseId, 11);
        QCOMPARE(added.year, year);
        QCOMPARE(added.teachingPeriod.value_or(-1), term);
        QVERIFY(!added.grade);
        QVERIFY(added.exemption);
    }

    // A course the programme lists twice is one course: it cannot stand for two in a plan.
    void aCourseListedTwiceIsPlannedOnce()
    {
        QList<CatalogCourse> twice = catalog();
        twice.prepend(twice.at(3));
        const CompletionPlan plan = PlanCompletion(
            valuesOf({"conID=40 conselobjIDs=-1 conoptval6=3 conoperator=8 conoptval1=25",
                      "conID=110 conselobjIDs=2 conoptval6=1 conoperator=8 conoptval1=1"}),
            "[%1] AND NOT [%2]", transcript(), twice, codes());
        QCOMPARE(plan.outcome, ReportPlan::Outcome::Exact);
        QCOMPARE(codesOf(plan.courses), QStringList({"FL", "T1"}));
    }

    void exceptedStudentNeedsNoPlan()
    {
        StudentRecord record = transcript();
        record.excepted = true;
        const CompletionPlan plan = PlanCompletion(valuesOf({"conID=70 conoptval6=1 conoperator=8 conoptval1=1"}),
                                                   QString(), record, catalog(), codes());
        QCOMPARE(plan.outcome, ReportPlan::Outcome::NotNeeded);
        QVERIFY(plan.courses.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCompletionPlan)
#include "tst_completionplan.moc"
