#include "../datafile.h"
#include "audit/auditset.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// A requirement written as "field=value ..." (conID first), the way it is stored.
QJsonObject row(qint32 ocID, const QString &fields)
{
    QJsonObject o{{QStringLiteral("ocID"), ocID}, {QStringLiteral("contypeID"), 103}, {QStringLiteral("conobject"), 1},
                  {QStringLiteral("objID"), 1}, {QStringLiteral("secobjID"), QStringLiteral("11")}};
    for (const QString &pair : fields.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        if (key == QLatin1String("conID") || key == QLatin1String("conoperator"))
            o.insert(key, value.toInt());
        else
            o.insert(key, value);
    }
    return o;
}

// The set of `requirements` (ids 1, 2 ...) with `expression`.
AuditSet prepare(const QStringList &requirements, const QString &expression = QString(), int context = 103,
                 const AuditCodes &tables = codes())
{
    QJsonArray rows;
    for (int i = 0; i < requirements.size(); ++i)
        rows.append(row(i + 1, requirements.at(i)));
    const QJsonObject file{{QStringLiteral("format"), RequirementFile::formatName()},
                           {QStringLiteral("AppliesTo"), 1},
                           {QStringLiteral("ConstrType"), context},
                           {QStringLiteral("object"), QJsonObject{{QStringLiteral("objID"), 1}}},
                           {QStringLiteral("rows"), rows}};
    RequirementFile set = ReadRequirementFile(QJsonDocument(file).toJson());
    // Written after reading, as a stored set may hold it: the file reader refuses unknown tokens itself.
    for (int i = 0; i < set.rows.recordCount(); ++i)
        set.rows.setValueAt(i, set.rows.fieldIndex(u"coneval"), expression.isEmpty() ? QVariant() : expression);
    return AuditSet::prepare(set.rows, context, tables);
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
};

QTEST_GUILESS_MAIN(TestAudit)
#include "tst_audit.moc"
