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
Q_DECLARE_METATYPE(zr::SetVerdict)

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

// The columns of a table of requirements checked against the transcript, and their check.
void measuredColumns()
{
    QTest::addColumn<QString>("requirement");
    QTest::addColumn<AuditVerdict>("verdict");
    QTest::addColumn<QString>("measured");
}

void checkMeasured()
{
    QFETCH(QString, requirement);
    QFETCH(AuditVerdict, verdict);
    QFETCH(QString, measured);
    const RequirementTrace trace = checkOne(requirement);
    QCOMPARE(trace.measured, measured);
    QCOMPARE(trace.verdict, verdict);
}

} // namespace

class TestAudit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    // Types 40, 50, 110 and 120: a total over the passed courses they select, after filters and exceptions.
    void totalsOfPassedCourses_data()
    {
        measuredColumns();
        const auto met = AuditVerdict::Met;
        const auto unmet = AuditVerdict::Unmet;
        QTest::newRow("all types, ECTS at the limit")
            << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=8 conoptval1=24" << met << "ECTS 24, needed ≥ 24";
        QTest::newRow("greater than is strict")
            << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=3 conoptval1=24" << unmet << "ECTS 24, needed > 24";
        QTest::newRow("credits") << "conID=40 conselobjIDs=-1 conoptval6=0 conoperator=0 conoptval1=20" << met
                                 << "credits 20, needed = 20";
        QTest::newRow("hours, none counts 0") << "conID=40 conselobjIDs=-1 conoptval6=2 conoperator=9 conoptval1=9"
                                              << met << "teaching hours 9, needed ≤ 9";
        QTest::newRow("one course type") << "conID=40 conselobjIDs=1 conoptval6=1 conoperator=0 conoptval1=2" << met
                                         << "courses 2, needed = 2";
        QTest::newRow("course excepted") << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=0 conoptval1=22 conoptval7=6"
                                         << met << "ECTS 22, needed = 22";
        QTest::newRow("between, upper end") << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=5 conoptval1=20 conoptval2=24"
                                            << met << "ECTS 24, needed from 20 to 24";
        QTest::newRow("between, lower end, values reversed")
            << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=5 conoptval1=30 conoptval2=24" << met
            << "ECTS 24, needed from 30 to 24";
        QTest::newRow("between, just outside")
            << "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=5 conoptval1=24,5 conoptval2=30" << unmet
            << "ECTS 24, needed from 24,5 to 30";
        QTest::newRow("group") << "conID=50 conselobjIDs=2 conoptval6=1 conoperator=8 conoptval1=4" << met
                               << "courses 4, needed ≥ 4";
        QTest::newRow("group, course excepted")
            << "conID=50 conselobjIDs=2 conoptval6=1 conoperator=8 conoptval1=4 conoptval7=4" << unmet
            << "courses 3, needed ≥ 4";
        QTest::newRow("two groups") << "conID=50 conselobjIDs=2,3 conoptval6=3 conoperator=0 conoptval1=24" << met
                                    << "ECTS 24, needed = 24";
        QTest::newRow("mode") << "conID=110 conselobjIDs=2 conoptval6=1 conoperator=0 conoptval1=4" << met
                              << "courses 4, needed = 4";
        QTest::newRow("mode in a sector") << "conID=110 conselobjIDs=2 conoptval6=1 conoperator=0 conoptval1=3 conoptval10=1"
                                          << met << "courses 3, needed = 3";
        QTest::newRow("mode, course type excepted")
            << "conID=110 conselobjIDs=2 conoptval6=1 conoperator=0 conoptval1=2 conoptval10=1 conoptval8=7" << met
            << "courses 2, needed = 2";
        QTest::newRow("sector credits") << "conID=120 conselobjIDs=1 conoptval6=0 conoperator=0 conoptval1=17" << met
                                        << "credits 17, needed = 17";
        QTest::newRow("sector of one subject") << "conID=120 conselobjIDs=1 conoptval6=0 conoperator=0 conoptval1=6 conoptval11=1"
                                               << met << "credits 6, needed = 6";
        QTest::newRow("sector of one mode") << "conID=120 conselobjIDs=1 conoptval6=0 conoperator=0 conoptval1=5 conoptval9=3"
                                            << met << "credits 5, needed = 5";
        QTest::newRow("a failed course never counts") << "conID=120 conselobjIDs=2 conoptval6=1 conoperator=4 conoptval1=2"
                                                      << met << "courses 1, needed < 2";
    }
    void totalsOfPassedCourses()
    {
        checkMeasured();
    }

    // Type 20: one total over the chosen subjects, drawn from at least the minimum number of them.
    void subjects_data()
    {
        measuredColumns();
        // Credits: Software 9, Hardware 5, Languages 6.
        const QString base = QStringLiteral("conID=20 conselobjIDs=1,2,4 conoptval6=0 ");
        QTest::newRow("total from every subject") << base + "conoperator=8 conoptval1=20 conoptval4=3" << AuditVerdict::Met
                                                  << "credits 20 from 3 of 3 subjects, needed ≥ 20 from 3";
        QTest::newRow("total short") << base + "conoperator=3 conoptval1=20 conoptval4=2" << AuditVerdict::Unmet
                                     << "credits 20 from 3 of 3 subjects, needed > 20 from 2";
        QTest::newRow("too few subjects") << base + "conoperator=8 conoptval1=5 conoptval4=2 conoptval9=3"
                                          << AuditVerdict::Unmet
                                          << "credits 5 from 1 of 3 subjects, needed ≥ 5 from 2; none from: Software, Languages";
        QTest::newRow("no minimum means all") << base + "conoperator=8 conoptval1=5 conoptval9=3" << AuditVerdict::Unmet
                                              << "credits 5 from 1 of 3 subjects, needed ≥ 5 from 3; none from: Software, Languages";
        QTest::newRow("all subjects, one total") << "conID=20 conselobjIDs=-1 conoptval6=0 conoperator=0 conoptval1=20"
                                                 << AuditVerdict::Met << "credits 20, needed = 20";
    }
    void subjects()
    {
        checkMeasured();
    }

    // Type 30: listed courses passed with a grade, a minimum number, -1 for none, semester limits.
    void prerequisiteCourses_data()
    {
        QTest::addColumn<QString>("requirement");
        QTest::addColumn<int>("semester");
        QTest::addColumn<AuditVerdict>("verdict");
        QTest::addColumn<QStringList>("missing");
        const auto met = AuditVerdict::Met;
        const auto unmet = AuditVerdict::Unmet;
        QTest::newRow("all listed, one failed") << "conID=30 conselobjIDs=1,3,5 conoperator=8 conoptval3=0,5" << 7 << unmet
                                                << QStringList{"Operating Systems"};
        QTest::newRow("two of three") << "conID=30 conselobjIDs=1,3,5 conoptval4=2 conoperator=8 conoptval3=0,5" << 7 << met
                                      << QStringList();
        QTest::newRow("grade threshold") << "conID=30 conselobjIDs=1,3 conoperator=8 conoptval3=0,75" << 7 << unmet
                                         << QStringList{"Algorithms"};
        QTest::newRow("a pass at exactly 5") << "conID=30 conselobjIDs=2 conoperator=8 conoptval3=0,5" << 7 << met
                                             << QStringList();
        QTest::newRow("equal grade") << "conID=30 conselobjIDs=1,3 conoptval4=1 conoperator=0 conoptval3=0,7" << 7 << met
                                     << QStringList();
        QTest::newRow("greater is strict") << "conID=30 conselobjIDs=1 conoperator=3 conoptval3=0,7" << 7 << unmet
                                           << QStringList{"Algorithms"};
        QTest::newRow("a recognised course meets any grade") << "conID=30 conselobjIDs=4 conoperator=8 conoptval3=0,9"
                                                             << 7 << met << QStringList();
        QTest::newRow("retake counts its best grade") << "conID=30 conselobjIDs=3 conoperator=8 conoptval3=0,8" << 7 << met
                                                      << QStringList();
        QTest::newRow("none passed, as asked") << "conID=30 conselobjIDs=5 conoptval4=-1 conoperator=8 conoptval3=0,5" << 7
                                               << met << QStringList();
        QTest::newRow("none passed, one was") << "conID=30 conselobjIDs=1,5 conoptval4=-1 conoperator=8 conoptval3=0,5"
                                              << 7 << unmet << QStringList{"Algorithms"};
        QTest::newRow("above the first limit") << "conID=30 conselobjIDs=5 conoperator=8 conoptval3=0,5 conoptval5=6;2"
                                               << 7 << AuditVerdict::NotChecked << QStringList();
        QTest::newRow("at the first limit") << "conID=30 conselobjIDs=5 conoperator=8 conoptval3=0,5 conoptval5=6;2" << 6
                                            << unmet << QStringList{"Operating Systems"};
        QTest::newRow("below the second limit") << "conID=30 conselobjIDs=5 conoperator=8 conoptval3=0,5 conoptval5=;2"
                                                << 1 << AuditVerdict::NotChecked << QStringList();
    }
    void prerequisiteCourses()
    {
        QFETCH(QString, requirement);
        QFETCH(int, semester);
        QFETCH(AuditVerdict, verdict);
        QFETCH(QStringList, missing);
        StudentRecord record = transcript();
        record.student.insert(QStringLiteral("exam_ID"), semester);
        const RequirementTrace trace = checkOne(requirement, record);
        QCOMPARE(trace.verdict, verdict);
        QCOMPARE(trace.missing, missing);
    }

    // Types 60 and 70: completed projects of a type (or all), and completed practicums.
    void projectsAndPracticums_data()
    {
        measuredColumns();
        QTest::newRow("thesis completed") << "conID=60 conselobjIDs=1 conoptval6=1 conoperator=0 conoptval1=1"
                                          << AuditVerdict::Met << "completed projects 1, needed = 1";
        QTest::newRow("one of two of a type completed") << "conID=60 conselobjIDs=2 conoptval6=1 conoperator=8 conoptval1=2"
                                                        << AuditVerdict::Unmet << "completed projects 1, needed ≥ 2";
        QTest::newRow("ECTS of all types") << "conID=60 conselobjIDs=-1 conoptval6=3 conoperator=0 conoptval1=38"
                                           << AuditVerdict::Met << "ECTS 38, needed = 38";
        QTest::newRow("practicums") << "conID=70 conoptval6=1 conoperator=8 conoptval1=2" << AuditVerdict::Unmet
                                    << "completed practicums 1, needed ≥ 2";
    }
    void projectsAndPracticums()
    {
        checkMeasured();
    }

    // Type 10: numbers as numbers, anything else as text.
    void studentData_data()
    {
        QTest::addColumn<QString>("requirement");
        QTest::addColumn<AuditVerdict>("verdict");
        const auto met = AuditVerdict::Met;
        const auto unmet = AuditVerdict::Unmet;
        QTest::newRow("semester at least") << "conID=10 conselobjIDs=exam_ID conoperator=8 conoptval1=7" << met;
        QTest::newRow("semester above") << "conID=10 conselobjIDs=exam_ID conoperator=3 conoptval1=7" << unmet;
        QTest::newRow("10 is more than 9 as numbers") << "conID=10 conselobjIDs=exam_ID conoperator=4 conoptval1=10" << met;
        QTest::newRow("decimal comma") << "conID=10 conselobjIDs=studrate conoperator=0 conoptval1=7,25" << met;
        QTest::newRow("between, lower end") << "conID=10 conselobjIDs=studrate conoperator=5 conoptval1=7,25 conoptval2=8"
                                            << met;
        QTest::newRow("between, above") << "conID=10 conselobjIDs=studrate conoperator=5 conoptval1=6 conoptval2=7,2"
                                        << unmet;
        QTest::newRow("different") << "conID=10 conselobjIDs=exam_ID conoperator=2 conoptval1=7" << unmet;
        QTest::newRow("contains, other case") << "conID=10 conselobjIDs=lastname conoperator=1 conoptval1=ΠΑΠΑΔ" << met;
        QTest::newRow("contains, without accents") << "conID=10 conselobjIDs=lastname conoperator=1 conoptval1=πουλου" << met;
        QTest::newRow("equal as folded text") << "conID=10 conselobjIDs=lastname conoperator=0 conoptval1=ΠΑΠΑΔΟΠΟΥΛΟΥ" << met;
        QTest::newRow("starts with") << "conID=10 conselobjIDs=lastname conoperator=6 conoptval1=Παπα" << met;
        QTest::newRow("does not contain") << "conID=10 conselobjIDs=lastname conoperator=7 conoptval1=ίδη" << met;
        QTest::newRow("no value") << "conID=10 conselobjIDs=sector conoperator=2 conoptval1=1" << unmet;
    }
    void studentData()
    {
        QFETCH(QString, requirement);
        QFETCH(AuditVerdict, verdict);
        QCOMPARE(checkOne(requirement).verdict, verdict);
    }

    // Types 80 and 90: the average of the counted courses' grades and the course-type performance.
    void averages_data()
    {
        measuredColumns();
        const auto met = AuditVerdict::Met;
        const auto unmet = AuditVerdict::Unmet;
        // Degree-grade courses with a grade: Algorithms 7, Databases 5, Networks 8.
        QTest::newRow("all semesters") << "conID=80 conselobjIDs=-1 conoptval3=0,6" << met
                                       << "average 6,67 over 3 courses, needed ≥ 6";
        QTest::newRow("with courses outside the degree grade") << "conID=80 conselobjIDs=-1 conoptval3=0,6 conoptval4=16"
                                                               << met << "average 7,25 over 4 courses, needed ≥ 6";
        QTest::newRow("coefficients") << "conID=80 conselobjIDs=-1 conoptval3=0,6 conoptval4=1" << met
                                      << "average 6,75 over 3 courses, needed ≥ 6";
        QTest::newRow("best two") << "conID=80 conselobjIDs=-1 conoptval3=0,75 conoptval4=4 conoptval12=-1;2" << met
                                  << "average 7,5 over 2 courses, needed ≥ 7,5";
        QTest::newRow("best of a type") << "conID=80 conselobjIDs=-1 conoptval3=0,7 conoptval4=4 conoptval12=1;1" << met
                                        << "average 7 over 1 courses, needed ≥ 7";
        QTest::newRow("semesters") << "conID=80 conselobjIDs=2,3 conoptval3=0,7" << unmet
                                   << "average 6,5 over 2 courses, needed ≥ 7";
        QTest::newRow("exam periods") << "conID=80 conselobjIDs=-1 conoptval1=2021,2022-2 conoptval3=0,5" << met
                                      << "average 6 over 2 courses, needed ≥ 5";
        QTest::newRow("teaching periods") << "conID=80 conselobjIDs=-1 conoptval2=2022-1 conoptval3=0,5" << met
                                          << "average 8 over 1 courses, needed ≥ 5";
        QTest::newRow("no graded course") << "conID=80 conselobjIDs=4 conoptval3=0,5" << unmet << "no graded course";
        QTest::newRow("performance") << "conID=80 conselobjIDs=-1 conoptval3=0,5 conoptval5=1;2#-1;2" << met
                                     << "average 6,67 over 3 courses, needed ≥ 5; Compulsory 2, needed ≥ 2; "
                                        "other types 2, needed ≥ 2";
        QTest::newRow("performance without exemptions") << "conID=80 conselobjIDs=-1 conoptval3=0,5 conoptval4=2 conoptval5=-1;4"
                                                        << unmet << "average 6,67 over 3 courses, needed ≥ 5; "
                                                                    "other types 3, needed ≥ 4";
        QTest::newRow("performance in credits") << "conID=80 conselobjIDs=-1 conoptval3=0,5 conoptval4=8 conoptval5=1;10"
                                                << unmet << "average 6,67 over 3 courses, needed ≥ 5; "
                                                            "Compulsory 9, needed ≥ 10";
        QTest::newRow("one year") << "conID=90 conoperator=0 conoptval1=2022 conoptval6=-1 conoptval3=0,65" << met
                                  << "average 6,5 over 2 courses, needed ≥ 6,5";
        QTest::newRow("years between, one period") << "conID=90 conoperator=5 conoptval1=2022 conoptval2=2020 conoptval6=2 conoptval3=0,5"
                                                   << met << "average 5 over 1 courses, needed ≥ 5";
    }
    void averages()
    {
        checkMeasured();
    }

    // Type 100 against the current period 2023 ΕΑΡ, and type 130's latest class group category.
    void enrolments_data()
    {
        QTest::addColumn<QString>("requirement");
        QTest::addColumn<AuditVerdict>("verdict");
        QTest::addColumn<QStringList>("missing");
        const auto met = AuditVerdict::Met;
        const auto unmet = AuditVerdict::Unmet;
        QTest::newRow("ignored") << "conID=100 conselobjIDs=6 conoptval6=1" << met << QStringList();
        QTest::newRow("enrolled before") << "conID=100 conselobjIDs=1,2 conoptval6=-1" << met << QStringList();
        QTest::newRow("the current period is not before") << "conID=100 conselobjIDs=1,6 conoptval6=-1" << unmet
                                                           << QStringList{"Physics"};
        QTest::newRow("not enrolled before") << "conID=100 conselobjIDs=4,6 conoptval6=0" << met << QStringList();
        QTest::newRow("enrolled before, not as asked") << "conID=100 conselobjIDs=4,5 conoptval6=0" << unmet
                                                       << QStringList{"Operating Systems"};
        QTest::newRow("previous period") << "conID=100 conselobjIDs=5 conoptval6=-2" << met << QStringList();
        QTest::newRow("previous period, earlier only") << "conID=100 conselobjIDs=1 conoptval6=-2" << unmet
                                                       << QStringList{"Algorithms"};
        QTest::newRow("not in the previous period, minimum 1") << "conID=100 conselobjIDs=5,6 conoptval4=1 conoptval6=2"
                                                                << met << QStringList();
        QTest::newRow("by the programme's period") << "conID=100 conselobjIDs=1,2 conoptval6=-1 conoptval3=-1" << met
                                                   << QStringList();
        QTest::newRow("by the programme's period, another period") << "conID=100 conselobjIDs=3 conoptval6=-1 conoptval3=-1"
                                                                   << unmet << QStringList{"Networks"};
        QTest::newRow("any period") << "conID=100 conselobjIDs=3 conoptval6=-1 conoptval3=0" << met << QStringList();
        QTest::newRow("semester limit") << "conID=100 conselobjIDs=3 conoptval6=-1 conoptval3=-1 conoptval5=;8"
                                        << AuditVerdict::NotChecked << QStringList();
        QTest::newRow("category one of") << "conID=130 conselobjIDs=2 conoptval1=0 conoperator=0 conoptval10=1,3" << met
                                         << QStringList();
        QTest::newRow("category not one of") << "conID=130 conselobjIDs=2 conoptval1=0 conoperator=0 conoptval10=2" << unmet
                                             << QStringList();
        QTest::newRow("category different") << "conID=130 conselobjIDs=2 conoptval1=0 conoperator=2 conoptval10=3" << unmet
                                            << QStringList();
        QTest::newRow("never enrolled, different") << "conID=130 conselobjIDs=4 conoptval1=0 conoperator=2 conoptval10=3"
                                                   << met << QStringList();
        QTest::newRow("never enrolled, one of") << "conID=130 conselobjIDs=4 conoptval1=0 conoperator=0 conoptval10=3"
                                                << unmet << QStringList();
        QTest::newRow("never enrolled, corresponding") << "conID=130 conselobjIDs=4 conoptval1=-1 conoperator=-1"
                                                       << AuditVerdict::NotChecked << QStringList();
        QTest::newRow("corresponding") << "conID=130 conselobjIDs=2 conoptval1=-1 conoperator=-1" << met << QStringList();
        QTest::newRow("enrolment without a category") << "conID=130 conselobjIDs=3 conoptval1=0 conoperator=100"
                                                      << AuditVerdict::NotChecked << QStringList();
    }
    void enrolments()
    {
        QFETCH(QString, requirement);
        QFETCH(AuditVerdict, verdict);
        QFETCH(QStringList, missing);
        const RequirementTrace trace = checkOne(requirement);
        QCOMPARE(trace.verdict, verdict);
        QCOMPARE(trace.missing, missing);
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
    void expression_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<SetVerdict>("verdict");
        QTest::newRow("empty is all with AND") << "" << SetVerdict::Unmet;
        QTest::newRow("OR") << "[%1] AND ([%2] OR [%3])" << SetVerdict::Met;
        QTest::newRow("AND before OR") << "[%2] AND [%1] OR [%3]" << SetVerdict::Met;
        QTest::newRow("parentheses") << "[%2] AND ([%1] OR [%3])" << SetVerdict::Unmet;
        QTest::newRow("NOT before AND") << "NOT [%2] AND [%1] AND [%3]" << SetVerdict::Met;
        QTest::newRow("NOT of a group") << "NOT ([%2] OR [%1]) OR NOT [%3]" << SetVerdict::Unmet;
        QTest::newRow("not checked counts as met") << "NOT [%3] OR [%2]" << SetVerdict::Unmet;
        QTest::newRow("lower case") << "not([%2]) and [%1]" << SetVerdict::Met;
    }
    void expression()
    {
        QFETCH(QString, expression);
        QFETCH(SetVerdict, verdict);
        const AuditSet set = prepare({"conID=70 conoptval6=1 conoperator=8 conoptval1=1",
                                      "conID=70 conoptval6=1 conoperator=8 conoptval1=2",
                                      "conID=30 conselobjIDs=5 conoperator=8 conoptval3=0,5 conoptval5=6"},
                                     expression);
        const AuditTrace trace = set.evaluate(transcript());
        QCOMPARE(trace.requirements.at(2).verdict, AuditVerdict::NotChecked);
        QCOMPARE(trace.verdict, verdict);
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
    void refusesSetsItCannotCheck_data()
    {
        QTest::addColumn<QStringList>("requirements");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("number");
        const QStringList two{"conID=70 conoptval6=1 conoperator=8 conoptval1=1",
                              "conID=70 conoptval6=1 conoperator=8 conoptval1=2"};
        QTest::newRow("dangling AND") << two << "[%1] AND" << 10350;
        QTest::newRow("unclosed") << two << "([%1] OR [%2]" << 10350;
        QTest::newRow("two operands") << two << "[%1] [%2]" << 10350;
        QTest::newRow("stray word") << two << "[%1] ANDX [%2]" << 10350;
        QTest::newRow("unknown requirement") << two << "[%1] AND [%7]" << 10351;
        QTest::newRow("no value to compare") << QStringList{"conID=40 conselobjIDs=-1 conoptval6=3 conoperator=8"}
                                             << "" << 10352;
        QTest::newRow("between without its end")
            << QStringList{"conID=40 conselobjIDs=-1 conoptval6=3 conoperator=5 conoptval1=1"} << "" << 10352;
        QTest::newRow("no courses listed") << QStringList{"conID=30 conoperator=8 conoptval3=0,5"} << "" << 10352;
        QTest::newRow("no grade") << QStringList{"conID=80 conselobjIDs=-1"} << "" << 10352;
    }
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
