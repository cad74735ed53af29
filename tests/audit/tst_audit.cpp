#include "../datafile.h"
#include "handmadeset.h"
#include "audit/auditreportbuilder.h"
#include "audit/auditset.h"
#include "audit/whatif.h"
#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QRegularExpression>
#include <QTest>

using namespace zr;

Q_DECLARE_METATYPE(zr::AuditVerdict)

namespace {

// One course of the hand-made transcript: its attributes, then its results.
struct Course
{
    qint32 id, type, semester, group, mode, sector, subject;
    double credits, ects;
    std::optional<double> hours;
    std::optional<double> coefficient;
    bool inDegreeGrade;
};

CourseResult result(const Course &c, std::optional<double> grade, qint32 year = 2022, qint32 period = 1,
                    bool exemption = false)
{
    CourseResult r;
    r.courseId = c.id;
    r.year = year;
    r.examPeriod = period;
    r.teachingPeriod = period == 2 ? 2 : 1;
    r.grade = grade;
    r.exemption = exemption;
    r.course = {c.type, c.semester, c.group, c.mode, c.sector, c.subject, c.credits, c.hours, c.ects, c.coefficient,
                c.inDegreeGrade};
    return r;
}

//  id type sem group mode sector subject credits ECTS hours coefficient degree
const Course Algorithms{1, 1, 1, 2, 2, 1, 1, 4, 5, 4.0, 2.0, true};
const Course Databases{2, 1, 2, 2, 3, 1, 2, 5, 6, 3.0, 1.0, true};
const Course Networks{3, 2, 3, 3, 2, 2, 1, 3, 4, 2.0, {}, true};
const Course English{4, 3, 4, 2, 2, 1, 4, 6, 7, {}, {}, true};
const Course Systems{5, 1, 5, 3, 3, 2, 2, 4, 5, {}, {}, true};
const Course Physics{6, 7, 1, 2, 2, 1, 1, 2, 2, {}, {}, false};

// The transcript a registrar can add up on paper. Passed: Algorithms 7 (2021), Databases exactly 5
// (spring 2022), Networks 8 after failing with 4,5, English recognised without a grade, Physics 9
// (outside the degree grade). Operating Systems failed with 4: never counts.
// ECTS 24, credits 20, teaching hours 9, five courses.
StudentRecord transcript()
{
    StudentRecord r;
    r.student = {{QStringLiteral("student_ID"), 501}, {QStringLiteral("exam_ID"), 7},
                 {QStringLiteral("lastname"), QStringLiteral("Παπαδοπούλου")}, {QStringLiteral("studrate"), 7.25},
                 {QStringLiteral("sector"), QVariant()}};
    r.results = {result(Algorithms, 7, 2021),   result(Databases, 5, 2022, 2), result(Networks, 4.5, 2021),
                 result(Networks, 8, 2022, 3),  result(English, {}, 2020, 1, true), result(Systems, 4, 2022),
                 result(Physics, 9, 2023)};
    r.enrolments = {{1, 2021, 1, 1}, {2, 2022, 2, 2}, {2, 2023, 2, 3}, {5, 2023, 1, 1}, {3, 2021, 2, {}},
                    {6, 2023, 2, 1}};
    r.projects = {{1, true, 10.0, 30.0}, {2, false, 5.0, 10.0}, {2, true, 4.0, 8.0}};
    r.practicums = {{false}, {true}};
    return r;
}

AuditCodes codes()
{
    AuditCodes c;
    c.termOrder = {1, 2};
    c.termNames = {{1, QStringLiteral("ΧΕΙΜ")}, {2, QStringLiteral("ΕΑΡ")}};
    c.currentYear = 2023;
    c.currentTerm = 2;
    c.courseNames = {{1, QStringLiteral("Algorithms")}, {2, QStringLiteral("Databases")},
                     {3, QStringLiteral("Networks")},   {4, QStringLiteral("English")},
                     {5, QStringLiteral("Operating Systems")}, {6, QStringLiteral("Physics")}};
    c.subjectNames = {{1, QStringLiteral("Software")}, {2, QStringLiteral("Hardware")}, {4, QStringLiteral("Languages")}};
    c.courseTypeNames = {{1, QStringLiteral("Compulsory")}, {2, QStringLiteral("Elective")}};
    c.categoryNames = {{1, QStringLiteral("Lab A")}, {2, QStringLiteral("Lab B")}, {3, QStringLiteral("Lab C")}};
    // As the server folds text for searches: capitals without accents.
    c.fold = [](const QString &text) {
        static const QRegularExpression marks(QStringLiteral("\\p{Mn}"));
        return text.normalized(QString::NormalizationForm_D).remove(marks).toUpper();
    };
    return c;
}

// The set of `requirements` (ids 1, 2 ...) with `expression`.
AuditSet prepare(const QStringList &requirements, const QString &expression = QString(), int context = 103,
                 const AuditCodes &tables = codes())
{
    return AuditSet::prepare(zr::test::RequirementRows(requirements, expression, context), context, tables);
}

// The requirement's trace; a run over many students, without texts, must reach the same verdict.
RequirementTrace checkOne(const QString &requirement, const StudentRecord &record = transcript(), int context = 103)
{
    const AuditSet set = prepare({requirement}, QString(), context);
    const RequirementTrace trace = set.evaluate(record).requirements.first();
    const RequirementTrace bare = set.evaluate(record, AuditDetail::VerdictsOnly).requirements.first();
    // A disagreement hands the caller the other verdict, which its check then refuses.
    return bare.verdict == trace.verdict ? trace : bare;
}

} // namespace

class TestAudit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    // Each type against the transcript: its verdict, what it measured and the courses it misses.
    void requirementsAgainstTheTranscript_data()
    {
        QTest::addColumn<int>("semester");
        QTest::addColumn<QString>("requirement");
        QTest::addColumn<AuditVerdict>("verdict");
        QTest::addColumn<QString>("measured");
        QTest::addColumn<QString>("missing");
        const QHash<QString, AuditVerdict> verdicts{{QStringLiteral("MET"), AuditVerdict::Met},
                                                    {QStringLiteral("UNMET"), AuditVerdict::Unmet},
                                                    {QStringLiteral("NOT-CHECKED"), AuditVerdict::NotChecked}};
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/transcriptchecks.tsv"))) {
            QVERIFY2(row.size() == 6 && verdicts.contains(row.at(3)), qPrintable(row.join(QLatin1Char('|'))));
            QTest::newRow(qPrintable(row.at(0))) << (row.at(1).isEmpty() ? 7 : row.at(1).toInt()) << row.at(2)
                                                 << verdicts.value(row.at(3)) << row.at(4) << row.at(5);
        }
    }
    void requirementsAgainstTheTranscript()
    {
        QFETCH(int, semester);
        QFETCH(QString, requirement);
        QFETCH(AuditVerdict, verdict);
        QFETCH(QString, measured);
        QFETCH(QString, missing);
        StudentRecord record = transcript();
        record.student.insert(QStringLiteral("exam_ID"), semester);
        const RequirementTrace trace = checkOne(requirement, record);
        QCOMPARE(trace.verdict, verdict);
        if (measured != QLatin1String("*"))
            QCOMPARE(trace.measured, measured);
        if (missing != QLatin1String("*"))
            QCOMPARE(trace.missing, missing.split(QLatin1Char(','), Qt::SkipEmptyParts));
    }

    // A student file brings no department: its current period is unknown.
    void enrolmentWithoutCurrentPeriodIsNotChecked()
    {
        const AuditSet set = prepare({"conID=100 conselobjIDs=1 conoptval6=-1", "conID=100 conselobjIDs=1 conoptval6=1"},
                                     QString(), 103, AuditCodes());
        const AuditTrace trace = set.evaluate(transcript());
        QCOMPARE(trace.requirements.at(0).verdict, AuditVerdict::NotChecked);
        QCOMPARE(trace.requirements.at(1).verdict, AuditVerdict::Met);
    }

    // The expression over three requirements: 1 met, 2 not met, 3 not checked (counts as met).
    void expression_data() { zr::test::addDataRows(QFINDTESTDATA("data/expressions.tsv")); }
    void expression()
    {
        QFETCH(QString, expression);
        QFETCH(QString, verdict);
        const AuditSet set = prepare({"conID=70 conoptval6=1 conoperator=8 conoptval1=1",
                                      "conID=70 conoptval6=1 conoperator=8 conoptval1=2",
                                      "conID=30 conselobjIDs=5 conoperator=8 conoptval3=0,5 conoptval5=6"},
                                     expression);
        const AuditTrace trace = set.evaluate(transcript());
        QCOMPARE(trace.requirements.at(2).verdict, AuditVerdict::NotChecked);
        QCOMPARE(VerdictWord(trace.verdict), verdict);
    }

    // Which requirements matter for the verdict: 1 met, 2 and 4 not met (one of two practicums, one
    // of ten: 2 is the closer), 3 not checked. Ids listed are the requirements marked.
    void rolesFollowTheExpression_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QList<qint32>>("notNeeded");
        QTest::addColumn<QList<qint32>>("deciding");
        QTest::newRow("the other branch of an OR is met") << "[%1] AND ([%2] OR [%3])" << QList<qint32>{2} << QList<qint32>{};
        QTest::newRow("a met OR does not excuse the AND beside it")
            << "[%4] AND ([%1] OR [%2])" << QList<qint32>{2} << QList<qint32>{4};
        QTest::newRow("every failing part of an AND") << "[%2] AND [%4]" << QList<qint32>{} << QList<qint32>{2, 4};
        QTest::newRow("the closer branch of an OR") << "[%4] OR [%2]" << QList<qint32>{} << QList<qint32>{2};
        QTest::newRow("one far requirement before two near ones")
            << "([%2] AND [%2]) OR [%4]" << QList<qint32>{} << QList<qint32>{4};
        QTest::newRow("a met branch of a met OR is needed, the unmet one not")
            << "([%2] AND [%1]) OR [%3]" << QList<qint32>{1, 2} << QList<qint32>{};
        QTest::newRow("NOT turns what is wanted") << "NOT ([%2] OR [%4])" << QList<qint32>{} << QList<qint32>{};
        QTest::newRow("undoing a met one is the last resort") << "NOT [%1] OR [%4]" << QList<qint32>{} << QList<qint32>{4};
        QTest::newRow("but still the way when there is no other") << "NOT [%1] AND [%2]" << QList<qint32>{} << QList<qint32>{1, 2};
    }
    void rolesFollowTheExpression()
    {
        QFETCH(QString, expression);
        QFETCH(QList<qint32>, notNeeded);
        QFETCH(QList<qint32>, deciding);
        const AuditSet set = prepare({"conID=70 conoptval6=1 conoperator=8 conoptval1=1",
                                      "conID=70 conoptval6=1 conoperator=8 conoptval1=2",
                                      "conID=30 conselobjIDs=5 conoperator=8 conoptval3=0,5 conoptval5=6",
                                      "conID=70 conoptval6=1 conoperator=8 conoptval1=10"},
                                     expression);
        for (const AuditDetail detail : {AuditDetail::Explained, AuditDetail::VerdictsOnly}) {
            const AuditTrace trace = set.evaluate(transcript(), detail);
            QList<qint32> foundNotNeeded, foundDeciding;
            for (const RequirementTrace &r : trace.requirements) {
                if (!r.needed)
                    foundNotNeeded << r.ocID;
                if (r.deciding)
                    foundDeciding << r.ocID;
            }
            QCOMPARE(foundNotNeeded, notNeeded);
            QCOMPARE(foundDeciding, deciding);
            QCOMPARE(trace.deciding().isEmpty(), trace.verdict != SetVerdict::Unmet);
        }
    }

    // What a report says of one requirement of the transcript: its progress and, when it is not met,
    // the programme's courses it would count that the student has not passed, in catalogue order.
    void reportShowsProgressAndCandidates_data()
    {
        QTest::addColumn<QString>("requirement");
        QTest::addColumn<QString>("progress");
        QTest::addColumn<QList<qint32>>("candidates");
        QTest::newRow("ECTS of every type") << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=8 conoptval1=30"
                                             << "24/30 ECTS, 6 ECTS" << QList<qint32>{5, 7, 8};
        QTest::newRow("but not an excepted course")
            << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=8 conoptval1=30 conoptval7=7" << "24/30 ECTS, 6 ECTS"
            << QList<qint32>{5, 8};
        QTest::newRow("nor a course of an excepted type")
            << "conID=110 conselobjIDs=2 conoptval6=1 conoperator=8 conoptval1=4 conoptval8=2" << "3/4 courses, 1 courses"
            << QList<qint32>{8};
        QTest::newRow("courses of one group") << "conID=50 conselobjIDs=3 conoptval6=1 conoperator=8 conoptval1=3"
                                               << "1/3 courses, 2 courses" << QList<qint32>{5, 7};
        QTest::newRow("one subject") << "conID=20 conselobjIDs=4 conoptval6=3 conoperator=8 conoptval1=10"
                                      << "7/10 ECTS, 3 ECTS" << QList<qint32>{8};
        QTest::newRow("listed courses, by what is missing")
            << "conID=30 conselobjIDs=1,5,8 conoperator=8 conoptval3=0,5" << "1/3 courses, 2 courses" << QList<qint32>{5, 8};
        QTest::newRow("met: nothing to take") << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=8 conoptval1=20"
                                               << "24/20 ECTS" << QList<qint32>{};
        QTest::newRow("a practicum is no course") << "conID=70 conoptval6=1 conoperator=8 conoptval1=2"
                                                   << "1/2 completed practicums, 1 completed practicums" << QList<qint32>{};
        QTest::newRow("at most: no way to go") << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=9 conoptval1=20"
                                                << "" << QList<qint32>{};
    }
    void reportShowsProgressAndCandidates()
    {
        QFETCH(QString, requirement);
        QFETCH(QString, progress);
        QFETCH(QList<qint32>, candidates);
        //  id type sem group mode sector subject credits ECTS
        const Course Graphics{7, 2, 6, 3, 2, 2, 1, 3, 6, {}, {}, true};
        const Course Ethics{8, 1, 8, 2, 2, 1, 4, 2, 3, {}, {}, true};
        QList<CatalogCourse> catalog;
        for (const Course &c : {Algorithms, Databases, Systems, Networks, English, Graphics, Ethics})
            catalog << CatalogCourse{c.id, QStringLiteral("C%1").arg(c.id), QString(), result(c, 5).course};
        const AuditSet set = prepare({requirement});
        const AuditTrace trace = set.evaluate(transcript());
        const ReportRequirement shown = BuildAuditReport(set, trace, transcript(), catalog).requirements.first();
        QString seen;
        if (shown.progress)
            seen = QStringLiteral("%1/%2 %3").arg(shown.progress->measured).arg(shown.progress->needed).arg(shown.progress->unit)
                   + (shown.progress->missing.isEmpty() ? QString() : QStringLiteral(", ") + shown.progress->missing);
        QCOMPARE(seen, progress);
        QList<qint32> ids;
        for (const ReportCourse &c : shown.candidates)
            ids << c.courseId;
        QCOMPARE(ids, candidates);
    }

    void exceptedStudentMeetsTheSet()
    {
        StudentRecord record = transcript();
        record.excepted = true;
        const AuditTrace trace = prepare({"conID=70 conoptval6=1 conoperator=8 conoptval1=5"}).evaluate(record);
        QCOMPARE(trace.verdict, SetVerdict::Excepted);
        QCOMPARE(trace.firstUnmet(), nullptr);
    }

    // A set that can not be checked is refused before any student is.
    void refusesSetsItCannotCheck_data() { zr::test::addDataRows(QFINDTESTDATA("data/uncheckablesets.tsv")); }
    void refusesSetsItCannotCheck()
    {
        QFETCH(QStringList, requirements);
        QFETCH(QString, expression);
        QFETCH(int, number);
        try {
            prepare(requirements, expression);
            QFAIL("the set was prepared");
        } catch (const ZrError &error) {
            QCOMPARE(error.number, number);
        }
    }

    // Counted as another programme counts them: a listed course takes the list's type, semester
    // and group; an unlisted one keeps only its own attributes, and is named with the enrolments'.
    void anotherProgrammeCountsCoursesByItsList()
    {
        CourseAttributes own;
        own.courseType = 1;
        own.semester = 1;
        own.group = 5;
        own.mode = 2;
        own.ects = 6;
        own.coefficient = 1.5;
        own.inDegreeGrade = true;
        StudentRecord record;
        for (const qint32 course : {1, 2, 2}) {
            CourseResult result;
            result.courseId = course;
            result.year = 2024;
            result.grade = 7;
            result.course = own;
            record.results << result;
        }
        CourseEnrolment enrolment;
        enrolment.courseId = 3;
        record.enrolments << enrolment;
        CatalogCourse listed{1, QStringLiteral("Π1"), QStringLiteral("Listed"), {}};
        listed.attributes.courseType = 2;
        listed.attributes.semester = 3;
        listed.attributes.group = 7;
        listed.attributes.ects = 5;

        QList<qint32> outside;
        const StudentRecord counted = RecordInProgramme(record, {listed}, &outside);
        QCOMPARE(counted.results.at(0).course, listed.attributes);
        const CourseAttributes unlisted = counted.results.at(1).course;
        QVERIFY(!unlisted.courseType && !unlisted.semester && !unlisted.group && !unlisted.coefficient);
        QVERIFY(!unlisted.inDegreeGrade);
        QCOMPARE(unlisted.mode, std::optional<qint32>(2));
        QCOMPARE(unlisted.ects, std::optional<double>(6));
        QCOMPARE(outside, (QList<qint32>{2, 3}));
        // Grades, years and the rest of the record stay as they were.
        QCOMPARE(counted.results.size(), 3);
        QCOMPARE(counted.results.at(2).grade, std::optional<double>(7));
        QCOMPARE(counted.enrolments, record.enrolments);
    }
};

QTEST_GUILESS_MAIN(TestAudit)
#include "tst_audit.moc"
