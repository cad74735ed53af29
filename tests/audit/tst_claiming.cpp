#include "../datafile.h"
#include "audit/auditset.h"
#include "audit/completionplan.h"
#include "handmadeset.h"

#include <QRandomGenerator>
#include <QTest>

#include <functional>

using namespace zr;

namespace {

// A passed course written "id:type:group:ects", passed with 7.
CourseResult passed(const QString &written)
{
    const QStringList parts = written.split(QLatin1Char(':'));
    CourseResult r;
    r.courseId = parts.at(0).toInt();
    r.year = 2022;
    r.examPeriod = 1;
    r.teachingPeriod = 1;
    r.grade = 7;
    r.course.courseType = parts.at(1).toInt();
    r.course.group = parts.at(2).toInt();
    r.course.ects = parts.at(3).toDouble();
    r.course.credits = 1;
    r.course.semester = 1;
    return r;
}

StudentRecord recordOf(const QList<CourseResult> &results)
{
    StudentRecord r;
    r.student = {{QStringLiteral("student_ID"), 1}, {QStringLiteral("exam_ID"), 7}};
    r.results = results;
    return r;
}

AuditSet prepare(const QStringList &requirements, const QString &expression = QString())
{
    return AuditSet::prepare(zr::test::RequirementRows(requirements, expression), 103, AuditCodes());
}

QString countedText(const QList<qint32> &ids)
{
    QStringList parts;
    for (qint32 id : ids)
        parts << QString::number(id);
    return parts.isEmpty() ? QStringLiteral("-") : parts.join(QLatin1Char(','));
}

// A small random set over random courses: which group or type each requirement selects, and
// what it needs, are drawn; three of them marked so that their selections overlap.
struct RandomCase
{
    QStringList requirements;
    QList<CourseResult> courses;
    // For each requirement, whether it would count each course.
    QList<QList<bool>> counts;
};

RandomCase randomCase(QRandomGenerator &random)
{
    RandomCase c;
    const int courses = 4 + int(random.bounded(4));
    for (int i = 0; i < courses; ++i)
        c.courses << passed(QStringLiteral("%1:%2:%3:%4")
                                .arg(i + 1)
                                .arg(1 + random.bounded(2))
                                .arg(2 + random.bounded(3))
                                .arg(2 + random.bounded(4)));
    const int requirements = 3 + int(random.bounded(2));
    for (int r = 0; r < requirements; ++r) {
        const bool byGroup = random.bounded(2) == 0;
        QList<int> selected;
        for (int code : byGroup ? QList<int>{2, 3, 4} : QList<int>{1, 2}) {
            if (random.bounded(3) != 0)
                selected << code;
        }
        if (selected.isEmpty())
            selected << (byGroup ? 2 : 1);
        const bool ects = random.bounded(2) == 0;
        // Mostly "at least"; now and then "at most", "exactly" or "between".
        const int op = QList<int>{8, 8, 8, 9, 0, 5}.at(int(random.bounded(6)));
        const int needed = ects ? 2 + int(random.bounded(8)) : 1 + int(random.bounded(3));
        QStringList codes;
        for (int code : selected)
            codes << QString::number(code);
        c.requirements << QStringLiteral("conID=%1 conselobjIDs=%2 conoptval6=%3 conoperator=%4 conoptval1=%5 conoptval2=%6 conoptval12=1")
                              .arg(byGroup ? 50 : 40)
                              .arg(codes.join(QLatin1Char(',')))
                              .arg(ects ? 3 : 1)
                              .arg(op)
                              .arg(needed)
                              .arg(needed + (ects ? 4 : 1));
        QList<bool> counts;
        for (const CourseResult &course : std::as_const(c.courses))
            counts << selected.contains(byGroup ? *course.course.group : *course.course.courseType);
        c.counts << counts;
    }
    return c;
}

// How a choice scores: all met first, then how many are met, then the earlier ones met.
struct Score
{
    bool all = false;
    int count = 0;
    QList<bool> met;

    bool operator==(const Score &o) const { return all == o.all && count == o.count && met == o.met; }
    bool beats(const Score &o) const
    {
        if (all != o.all)
            return all;
        if (count != o.count)
            return count > o.count;
        for (int i = 0; i < met.size(); ++i) {
            if (met.at(i) != o.met.at(i))
                return met.at(i);
        }
        return false;
    }
};

} // namespace

class TestClaiming : public QObject
{
    Q_OBJECT

private slots:
    void handWorked_data() { zr::test::addDataRows(QFINDTESTDATA("data/claiming.tsv")); }
    void handWorked()
    {
        QFETCH(QStringList, requirements);
        QFETCH(QString, expression);
        QFETCH(QString, passed);
        QFETCH(QString, verdicts);
        QFETCH(QStringList, counted);
        QList<CourseResult> results;
        for (const QString &course : passed.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            results << ::passed(course);
        const AuditSet set = prepare(requirements, expression);
        const StudentRecord record = recordOf(results);
        const AuditTrace trace = set.evaluate(record);
        QStringList shown{VerdictWord(trace.verdict)};
        QStringList countedShown;
        for (const RequirementTrace &r : trace.requirements) {
            shown << VerdictWord(r.verdict);
            countedShown << countedText(r.counted);
        }
        QCOMPARE(shown.join(QLatin1Char(' ')), verdicts);
        QCOMPARE(countedShown, counted);
        // A run over many students reaches the same verdicts.
        const AuditTrace bare = set.evaluate(record, AuditDetail::VerdictsOnly);
        QCOMPARE(bare.verdict, trace.verdict);
        for (int i = 0; i < trace.requirements.size(); ++i)
            QCOMPARE(bare.requirements.at(i).verdict, trace.requirements.at(i).verdict);
    }

    // The trace says where each course was counted, by code and title.
    void traceNamesTheCoursesCountedHere()
    {
        AuditCodes codes;
        codes.courseCodes = {{1, QStringLiteral("ST101")}, {2, QStringLiteral("ST102")}};
        codes.courseNames = {{1, QStringLiteral("Streams")}, {2, QStringLiteral("Rivers")}};
        const AuditSet set = AuditSet::prepare(
            zr::test::RequirementRows({"conID=50 conselobjIDs=2 conoptval6=1 conoperator=8 conoptval1=1 conoptval12=1",
                                       "conID=50 conselobjIDs=2 conoptval6=1 conoperator=8 conoptval1=1 conoptval12=1"}),
            103, codes);
        const AuditTrace trace = set.evaluate(recordOf({passed("1:1:2:5"), passed("2:1:2:5")}));
        QVERIFY2(trace.requirements.at(0).measured.endsWith(QStringLiteral("ST101 Streams")),
                 qPrintable(trace.requirements.at(0).measured));
        QVERIFY2(trace.requirements.at(1).measured.endsWith(QStringLiteral("ST102 Rivers")),
                 qPrintable(trace.requirements.at(1).measured));
    }

    // A plan is what the audit counts: unmarked, the three stream courses already meet both
    // requirements; marked, the plan adds what the second still needs, the fewest ECTS first.
    void aPlanCountsEachCourseOnce_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QList<qint32>>("plan");
        QTest::newRow("marked") << " conoptval12=1" << int(ReportPlan::Outcome::BestEffort) << QList<qint32>{11, 12};
        QTest::newRow("unmarked") << "" << int(ReportPlan::Outcome::NotNeeded) << QList<qint32>{};
    }
    void aPlanCountsEachCourseOnce()
    {
        QFETCH(QString, mark);
        QFETCH(int, outcome);
        QFETCH(QList<qint32>, plan);
        const AuditSet set = prepare({"conID=50 conselobjIDs=2 conoptval6=1 conoperator=8 conoptval1=3" + mark,
                                      "conID=50 conselobjIDs=2,3 conoptval6=1 conoperator=8 conoptval1=2" + mark});
        const StudentRecord record = recordOf({passed("1:1:2:5"), passed("2:1:2:5"), passed("3:1:2:5")});
        QList<CatalogCourse> catalog;
        for (const QString &written : QStringList{"10:1:4:5", "11:1:3:4", "12:1:2:3", "13:1:3:6"}) {
            const CourseResult r = passed(written);
            catalog << CatalogCourse{r.courseId, QString::number(r.courseId), QString(), r.course};
        }
        const CompletionPlan found = PlanCompletion(set, record, catalog);
        QCOMPARE(int(found.outcome), outcome);
        QList<qint32> ids;
        for (const CatalogCourse &course : found.courses)
            ids << course.courseId;
        QCOMPARE(ids, plan);
        QCOMPARE(set.evaluate(WithPlannedCourses(record, found.courses, AuditCodes())).verdict, SetVerdict::Met);
    }

    // Against every way of giving each course to one of the marked requirements that count it:
    // the audit's choice scores as the best of them, and gives every course exactly once.
    void choiceIsTheBestOfAll()
    {
        QRandomGenerator random(20261208);
        for (int n = 0; n < 150; ++n) {
            const RandomCase c = randomCase(random);
            const int courses = int(c.courses.size());
            const int requirements = int(c.requirements.size());
            // Each requirement alone, over the courses given to it, by the mask of them.
            QList<AuditSet> alone;
            for (const QString &requirement : c.requirements)
                alone << prepare({QString(requirement).remove(QStringLiteral(" conoptval12=1"))});
            QHash<quint64, bool> verdictOf;
            const auto meets = [&](int r, quint32 mask) {
                const quint64 key = quint64(r) << 32 | mask;
                const auto found = verdictOf.constFind(key);
                if (found != verdictOf.constEnd())
                    return *found;
                QList<CourseResult> given;
                for (int i = 0; i < courses; ++i) {
                    if (mask >> i & 1)
                        given << c.courses.at(i);
                }
                const bool met = alone.at(r).evaluate(recordOf(given)).verdict == SetVerdict::Met;
                verdictOf.insert(key, met);
                return met;
            };
            const auto scoreOf = [&](const QList<quint32> &masks) {
                Score s;
                s.all = true;
                for (int r = 0; r < requirements; ++r) {
                    const bool met = meets(r, masks.at(r));
                    s.met << met;
                    s.count += met;
                    s.all = s.all && met;
                }
                return s;
            };
            Score best;
            bool any = false;
            QList<quint32> masks(requirements, 0);
            std::function<void(int)> tryAll = [&](int course) {
                if (course == courses) {
                    const Score s = scoreOf(masks);
                    if (!any || s.beats(best))
                        best = s;
                    any = true;
                    return;
                }
                bool counted = false;
                for (int r = 0; r < requirements; ++r) {
                    if (!c.counts.at(r).at(course))
                        continue;
                    counted = true;
                    masks[r] |= 1u << course;
                    tryAll(course + 1);
                    masks[r] &= ~(1u << course);
                }
                if (!counted)
                    tryAll(course + 1);
            };
            tryAll(0);

            const AuditTrace trace = prepare(c.requirements).evaluate(recordOf(c.courses));
            QList<quint32> chosen(requirements, 0);
            for (int r = 0; r < requirements; ++r) {
                for (qint32 id : trace.requirements.at(r).counted) {
                    QVERIFY2(c.counts.at(r).at(id - 1), qPrintable(c.requirements.join(QLatin1String(" | "))));
                    chosen[r] |= 1u << (id - 1);
                }
            }
            for (int i = 0; i < courses; ++i) {
                int owners = 0;
                bool countable = false;
                for (int r = 0; r < requirements; ++r) {
                    owners += chosen.at(r) >> i & 1;
                    countable = countable || c.counts.at(r).at(i);
                }
                QCOMPARE(owners, countable ? 1 : 0);
            }
            const Score got = scoreOf(chosen);
            QVERIFY2(got == best, qPrintable(QStringLiteral("case %1: %2").arg(n).arg(c.requirements.join(QLatin1String(" | ")))));
            for (int r = 0; r < requirements; ++r)
                QCOMPARE(trace.requirements.at(r).verdict == AuditVerdict::Met, got.met.at(r));
        }
    }
};

QTEST_GUILESS_MAIN(TestClaiming)
#include "tst_claiming.moc"
