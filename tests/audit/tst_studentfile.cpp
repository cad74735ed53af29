#include "../datafile.h"
#include "audit/coursecatalog.h"
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

        // With names, the file names the courses the record mentions, and only those.
        AuditCodes names;
        QSet<qint32> mentioned;
        for (const CourseResult &r : record.results)
            mentioned << r.courseId;
        for (const CourseEnrolment &e : record.enrolments)
            mentioned << e.courseId;
        for (qint32 id : std::as_const(mentioned) + QSet<qint32>{99999}) {
            names.courseCodes.insert(id, QStringLiteral("C%1").arg(id));
            names.courseNames.insert(id, QStringLiteral("Τίτλος %1").arg(id));
        }
        AuditCodes read;
        QCOMPARE(ReadStudentFile(WriteStudentFile(record, students(), &names), students(), &read), record);
        QVERIFY(!mentioned.isEmpty());
        QCOMPARE(QSet<qint32>(read.courseCodes.keyBegin(), read.courseCodes.keyEnd()), mentioned);
        for (qint32 id : std::as_const(mentioned))
            QCOMPARE(CourseLabel(read, id), QStringLiteral("C%1 Τίτλος %1").arg(id));
    }

    void readsWhatTheFileLeavesOut()
    {
        const StudentRecord r = ReadStudentFile(
            QByteArray(R"({"format": "zrreq-student/1", "student": {"student_ID": 84}, "results": [{"courseID": 3, "year": 2019}]})"),
            students());
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
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/malformedstudentfiles.tsv")))
            QTest::newRow(qPrintable(row.at(0))) << row.value(3).toUtf8() << row.value(1).toInt() << row.value(2);
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
