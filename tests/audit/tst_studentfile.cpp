#include "audit/studentfile.h"
#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zr;

namespace {

// The columns of v_students a file may carry, one of each storage type.
SchemaTable students()
{
    SchemaTable t;
    t.name = QStringLiteral("v_students");
    t.keyColumn = QStringLiteral("student_ID");
    const auto add = [&](const char *name, SqlType type) {
        SchemaColumn c;
        c.name = QString::fromLatin1(name);
        c.sqlType = type;
        t.columns.append(c);
    };
    add("student_ID", SqlType::Integer);
    add("lastname", SqlType::Text);
    add("orient_ID", SqlType::Integer);
    add("studrate", SqlType::Real);
    add("or_date", SqlType::Date);
    return t;
}

// A record with a value of every kind, nulls and flags both ways.
StudentRecord sampleRecord()
{
    StudentRecord r;
    r.student = {{QStringLiteral("student_ID"), 84}, {QStringLiteral("lastname"), QStringLiteral("Οικονόμου")},
                 {QStringLiteral("orient_ID"), QVariant()}, {QStringLiteral("studrate"), 7.25},
                 {QStringLiteral("or_date"), QDate(2021, 7, 15)}};
    CourseResult passed;
    passed.courseId = 26;
    passed.year = 2020;
    passed.examPeriod = 1;
    passed.teachingPeriod = 1;
    passed.grade = 5.5;
    passed.course = {1, 5, 1, 2, 1, 2, 4.0, 4.0, 5.0, 1.5, true};
    CourseResult recognised;
    recognised.courseId = 6;
    recognised.year = 2016;
    recognised.exemption = true;
    recognised.course.courseType = 7;
    recognised.course.ects = 2.0;
    r.results = {passed, recognised};
    r.enrolments = {{26, 2020, 1, 1}, {26, 2021, std::nullopt, 4}};
    r.projects = {{1, true, 10.0, 30.0}, {std::nullopt, false, std::nullopt, std::nullopt}};
    r.practicums = {{true}, {false}};
    r.excepted = true;
    return r;
}

// A valid file with `body` (JSON members) after the format and the student.
QByteArray file(const QByteArray &body, const QByteArray &student = "{\"student_ID\": 84}")
{
    QByteArray text = "{\"format\": \"zrreq-student/1\", \"student\": " + student;
    if (!body.isEmpty())
        text += ", " + body;
    return text + "}";
}

} // namespace

class TestStudentFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    void writesAndReadsBackTheSameRecord()
    {
        const StudentRecord record = sampleRecord();
        const QByteArray written = WriteStudentFile(record, students());
        QCOMPARE(ReadStudentFile(written, students()), record);
        // Written twice, the same bytes: nothing depends on the order of a hash.
        QCOMPARE(WriteStudentFile(ReadStudentFile(written, students()), students()), written);
    }

    void readsWhatTheFileLeavesOut()
    {
        const StudentRecord r = ReadStudentFile(file("\"results\": [{\"courseID\": 3, \"year\": 2019}]"), students());
        QCOMPARE(r.studentId(), 84);
        QCOMPARE(r.results.size(), 1);
        QVERIFY(!r.results.first().grade && !r.results.first().exemption && !r.results.first().course.inDegreeGrade);
        QVERIFY(r.enrolments.isEmpty() && r.projects.isEmpty() && r.practicums.isEmpty());
        QVERIFY(!r.excepted && !r.regulation);
    }

    // The whole file is refused and the message names the field at fault.
    void refusesTheWholeFile_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("named");
        QTest::newRow("not json") << QByteArray("{\"format\": ") << 10302 << "";
        QTest::newRow("a list") << QByteArray("[1, 2]") << 10303 << "zrreq-student/1";
        QTest::newRow("set file") << QByteArray("{\"format\": \"zrreq-requirements/1\", \"student\": {}}") << 10303
                                  << "zrreq-student/1";
        QTest::newRow("unknown member") << file("\"grades\": []") << 10304 << "grades";
        QTest::newRow("no student") << QByteArray("{\"format\": \"zrreq-student/1\"}") << 10305 << "student";
        QTest::newRow("student a list") << file("", "[84]") << 10312 << "student";
        QTest::newRow("no student id") << file("", "{\"lastname\": \"Μακρής\"}") << 10305 << "student.student_ID";
        QTest::newRow("null student id") << file("", "{\"student_ID\": null}") << 10306 << "student.student_ID";
        QTest::newRow("unknown column") << file("", "{\"student_ID\": 1, \"password\": \"x\"}") << 10304
                                        << "student.password";
        QTest::newRow("text column as number") << file("", "{\"student_ID\": 1, \"lastname\": 5}") << 10309
                                               << "student.lastname";
        QTest::newRow("real column as text") << file("", "{\"student_ID\": 1, \"studrate\": \"8,5\"}") << 10307
                                             << "student.studrate";
        QTest::newRow("integer column with a fraction") << file("", "{\"student_ID\": 1, \"orient_ID\": 11.5}")
                                                        << 10306 << "student.orient_ID";
        QTest::newRow("no such date") << file("", "{\"student_ID\": 1, \"or_date\": \"2021-02-30\"}") << 10310
                                      << "student.or_date";
        QTest::newRow("date as number") << file("", "{\"student_ID\": 1, \"or_date\": 20210215}") << 10310
                                        << "student.or_date";
        QTest::newRow("results an object") << file("\"results\": {}") << 10313 << "results";
        QTest::newRow("result a number") << file("\"results\": [7]") << 10312 << "results[0]";
        QTest::newRow("unknown result field")
            << file("\"results\": [{\"courseID\": 1, \"year\": 2020, \"passed\": true}]") << 10304
            << "results[0].passed";
        QTest::newRow("result without course") << file("\"results\": [{\"year\": 2020}]") << 10305
                                               << "results[0].courseID";
        QTest::newRow("course id as text") << file("\"results\": [{\"courseID\": \"12\", \"year\": 2020}]") << 10306
                                           << "results[0].courseID";
        QTest::newRow("year with a fraction") << file("\"results\": [{\"courseID\": 1, \"year\": 2020.5}]") << 10306
                                              << "results[0].year";
        QTest::newRow("grade above 10")
            << file("\"results\": [{\"courseID\": 1, \"year\": 2020, \"grade\": 10.5}]") << 10311 << "results[0].grade";
        QTest::newRow("grade below 0")
            << file("\"results\": [{\"courseID\": 1, \"year\": 2020, \"grade\": -1}]") << 10311 << "results[0].grade";
        QTest::newRow("grade as text")
            << file("\"results\": [{\"courseID\": 1, \"year\": 2020, \"grade\": \"8\"}]") << 10311 << "results[0].grade";
        QTest::newRow("exemption as a number")
            << file("\"results\": [{\"courseID\": 1, \"year\": 2020, \"exemption\": -1}]") << 10308
            << "results[0].exemption";
        QTest::newRow("ects as text")
            << file("\"results\": [{\"courseID\": 1, \"year\": 2020}, {\"courseID\": 2, \"year\": 2020, \"ects\": \"5\"}]")
            << 10307 << "results[1].ects";
        QTest::newRow("group as text")
            << file("\"results\": [{\"courseID\": 1, \"year\": 2020, \"dgID\": \"2\"}]") << 10306 << "results[0].dgID";
        QTest::newRow("enrolment category as number with a fraction")
            << file("\"enrolments\": [{\"courseID\": 1, \"year\": 2020, \"classCategory\": 1.5}]") << 10306
            << "enrolments[0].classCategory";
        QTest::newRow("project completed as text") << file("\"projects\": [{\"typeID\": 1, \"completed\": \"yes\"}]")
                                                   << 10308 << "projects[0].completed";
        QTest::newRow("practicum null") << file("\"practicums\": [{\"completed\": null}]") << 10308
                                        << "practicums[0].completed";
        QTest::newRow("excepted as text") << file("\"excepted\": \"false\"") << 10308 << "excepted";
        QTest::newRow("id beyond 32 bits")
            << file("\"results\": [{\"courseID\": 4294967297, \"year\": 2020}]") << 10306 << "results[0].courseID";
    }

    void refusesTheWholeFile()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, number);
        QFETCH(QString, named);
        try {
            ReadStudentFile(json, students());
            QFAIL("read");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, number);
            QVERIFY2(e.description.contains(named), qPrintable(e.description));
        }
    }

    void refusesFilesAboveTheLimitBeforeReadingThem_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("number");
        QTest::newRow("endless device") << "/dev/zero" << 10301;
        QTest::newRow("no such file") << "/nonexistent/student.json" << 10300;
    }

    void refusesFilesAboveTheLimitBeforeReadingThem()
    {
        QFETCH(QString, path);
        QFETCH(int, number);
        try {
            ReadStudentFile(path, students());
            QFAIL("read");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, number);
        }
    }

    void readsAFileAtTheLimit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("student.json"));
        QByteArray json = WriteStudentFile(sampleRecord(), students());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(json + QByteArray(StudentFile::MaximumSize - json.size(), ' '));
        f.close();
        QCOMPARE(ReadStudentFile(path, students()), sampleRecord());
        QVERIFY(f.open(QIODevice::Append));
        f.write(" ");
        f.close();
        QVERIFY_THROWS_EXCEPTION(ZrError, ReadStudentFile(path, students()));
    }
};

QTEST_GUILESS_MAIN(TestStudentFile)
#include "tst_studentfile.moc"
