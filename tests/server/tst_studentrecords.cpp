#include "audit/studentfile.h"
#include "audit/studentrecord.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "saverows.h"
#include "serverfixture.h"
#include "../datafile.h"
#include "servererrors.h"

#include <QSqlQuery>
#include <QtTest>

using namespace zr;
using namespace zr::server;
using zr::test::serverObject;

namespace {

int courseId(const QString &server, const QString &title)
{
    return zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT courseID FROM QEMCourses WHERE title = ?"), {title});
}

const RecordScope DegreeOfProgramme1{1, 1, 103, 0};

} // namespace

// Students' academic records read from the reference server, one at a time
// and as a walk over a programme, the same on SQLite and PostgreSQL.
class TestStudentRecords : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_fixture;

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    // Student 84 of the sample: his results come with their course as programme 1 lists it.
    void joinsEachResultWithItsCourse_data() { zr::test::addDataRows(QFINDTESTDATA("data/course-results.tsv"), zr::test::ServerFixture::backends()); }

    void joinsEachResultWithItsCourse()
    {
        ZR_BACKEND_ROW();
        QFETCH(QString, title);
        QFETCH(QVariant, grades);
        QFETCH(QVariant, attributes);
        QFETCH(bool, inDegreeGrade);
        const StudentRecord record = StudentRecord::fromRows(serverObject<cStudent>(server)->LoadStudentRecord(84, DegreeOfProgramme1));
        QCOMPARE(record.studentId(), 84);
        QCOMPARE(record.student.value(QStringLiteral("orient_ID")).toInt(), 11);
        const int course = courseId(server, title);
        QVariantList seen;
        for (const CourseResult &r : record.results) {
            if (r.courseId != course)
                continue;
            seen.append(r.grade ? QVariant(*r.grade) : QVariant());
            const CourseAttributes &a = r.course;
            const auto cell = [](const std::optional<qint32> &v) { return v ? QVariant(*v) : QVariant(); };
            const QVariantList got{cell(a.courseType), cell(a.semester), cell(a.group), cell(a.mode), cell(a.sector),
                                   cell(a.subject), a.ects.value_or(-1), a.coefficient.value_or(-1)};
            QCOMPARE(got, attributes.toList());
            QCOMPARE(a.inDegreeGrade, inDegreeGrade);
        }
        QVERIFY(!seen.isEmpty());
        if (!grades.toList().isEmpty())
            QCOMPARE(seen, grades.toList());
    }

    void readsProjectsPracticumsAndEnrolments_data() { zr::test::ServerFixture::backendRows(); }

    void readsProjectsPracticumsAndEnrolments()
    {
        ZR_BACKEND_ROW();
        auto object = serverObject<cStudent>(server);
        // Student 9: a thesis in progress and a completed semester project; a completed practicum.
        const StudentRecord nine = StudentRecord::fromRows(object->LoadStudentRecord(9, DegreeOfProgramme1));
        QCOMPARE(nine.projects, (QList<StudentProject>{{1, false, 10.0, 30.0}, {3, true, 2.0, 5.0}}));
        QCOMPARE(nine.practicums, QList<StudentPracticum>{{true}});
        // Student 11: the practicum is not completed; this winter he enrolled again, with the
        // repeaters (class category 4), in the winter courses he failed.
        const StudentRecord eleven = StudentRecord::fromRows(object->LoadStudentRecord(11, DegreeOfProgramme1));
        QCOMPARE(eleven.practicums, QList<StudentPracticum>{{false}});
        const CourseEnrolment again{courseId(server, QStringLiteral("Εισαγωγή στον Προγραμματισμό")), 2024, 1, 4};
        QVERIFY(eleven.enrolments.contains(again));
        QCOMPARE(eleven.enrolments.size(),
                 zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM QEMStudentEnrolments WHERE student_ID = 11")));
    }

    void flagsFollowTheSetTheRecordIsReadFor_data() { zr::test::addDataRows(QFINDTESTDATA("data/record-flags.tsv"), zr::test::ServerFixture::backends()); }

    void flagsFollowTheSetTheRecordIsReadFor()
    {
        ZR_BACKEND_ROW();
        QFETCH(int, student);
        QFETCH(int, kind);
        QFETCH(QVariant, object);
        QFETCH(int, context);
        QFETCH(bool, excepted);
        QFETCH(bool, regulation);
        const StudentRecordRows rows = serverObject<cStudent>(server)->LoadStudentRecord(student, {kind, object, context, 0});
        QCOMPARE(rows.excepted, excepted);
        QCOMPARE(rows.regulation, regulation);
    }

    void refusesAnUnknownStudent_data() { zr::test::ServerFixture::backendRows(); }

    void refusesAnUnknownStudent()
    {
        ZR_BACKEND_ROW();
        QString why;
        QCOMPARE(zr::test::errorOf([&] { serverObject<cStudent>(server)->LoadStudentRecord(99999, DegreeOfProgramme1); }, &why),
                 int(ErrNotFound));
        QVERIFY(why.contains(QLatin1String("99999")));
    }

    // Every student of the programme (and curriculum) once, in student order, each
    // with all his rows, in a handful of statements whatever the number of students.
    void walksAProgrammeStudentByStudent_data() { zr::test::addDataRows(QFINDTESTDATA("data/programme-walks.tsv"), zr::test::ServerFixture::backends()); }

    void walksAProgrammeStudentByStudent()
    {
        ZR_BACKEND_ROW();
        QFETCH(int, programme);
        QFETCH(int, curriculum);
        QString where = QStringLiteral("s.progrspoud_ID = %1").arg(programme);
        if (curriculum)
            where += QStringLiteral(" AND s.orient_ID = %1").arg(curriculum);
        const int studentCount = zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM QEMStudents s WHERE ") + where);
        const auto rowsOf = [&](const char *table) {
            return zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM %1 t JOIN QEMStudents s ON s.student_ID = "
                                                    "t.student_ID WHERE ")
                                         .arg(QLatin1String(table))
                                         + where);
        };
        auto object = serverObject<cStudent>(server);
        QStringList statements;
        const auto previous = Database::setStatementObserver([&](const QString &sql) { statements << sql; });
        QList<int> ids;
        int results = 0, enrolments = 0, projects = 0, practicums = 0;
        StudentRecord tenth;
        const auto visit = [&](const StudentRecordRows &rows) {
            const StudentRecord r = StudentRecord::fromRows(rows);
            ids.append(r.studentId());
            results += int(r.results.size());
            enrolments += int(r.enrolments.size());
            projects += int(r.projects.size());
            practicums += int(r.practicums.size());
            if (ids.size() == 10)
                tenth = r;
            return true;
        };
        const qint64 count = object->WalkStudentRecords(programme, curriculum, DegreeOfProgramme1, visit);
        Database::setStatementObserver(previous);
        QCOMPARE(count, qint64(studentCount));
        QCOMPARE(ids.size(), studentCount);
        for (int i = 1; i < ids.size(); ++i)
            QVERIFY(ids.at(i - 1) < ids.at(i));
        QCOMPARE(results, rowsOf("QEMStudentResults"));
        QCOMPARE(enrolments, rowsOf("QEMStudentEnrolments"));
        QCOMPARE(projects, rowsOf("QEMStudentProjects"));
        QCOMPARE(practicums, rowsOf("QEMStudentPracticums"));
        // A query per table (and its batches), never one per student.
        QVERIFY2(statements.size() <= 40, qPrintable(QString::number(statements.size())));
        if (ids.size() >= 10)
            QCOMPARE(tenth, StudentRecord::fromRows(object->LoadStudentRecord(tenth.studentId(), DegreeOfProgramme1)));
    }

    void stopsWhenTheVisitorSaysSo_data() { zr::test::ServerFixture::backendRows(); }

    void stopsWhenTheVisitorSaysSo()
    {
        ZR_BACKEND_ROW();
        int seen = 0;
        const qint64 count = serverObject<cStudent>(server)->WalkStudentRecords(1, 0, {}, [&](const StudentRecordRows &) {
            return ++seen < 3;
        });
        QCOMPARE(count, qint64(3));
        QCOMPARE(seen, 3);
        // The walk left nothing open: the next one starts afresh.
        QCOMPARE(serverObject<cStudent>(server)->WalkStudentRecords(1, 11, {}, [](const StudentRecordRows &) { return true; }),
                 qint64(zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM QEMStudents WHERE orient_ID = 11"))));
    }

    // Read range after range, as walks on several connections read them, the records are those of
    // one walk: each once, whole, in order; an empty range reads nothing, and a stop ends every range.
    void rangesReadWhatOneWalkReads_data() { zr::test::ServerFixture::backendRows(); }

    void rangesReadWhatOneWalkReads()
    {
        ZR_BACKEND_ROW();
        auto object = serverObject<cStudent>(server);
        QList<StudentRecord> whole;
        object->WalkStudentRecords(1, 0, DegreeOfProgramme1, [&](const StudentRecordRows &rows) {
            whole << StudentRecord::fromRows(rows);
            return true;
        });
        QVERIFY(whole.size() > 20);
        const qint64 cut = whole.at(whole.size() / 3).studentId();
        QList<StudentIdRange> ranges{{std::numeric_limits<qint64>::min(), cut - 1}, {cut, cut}, {-5, -1},
                                     {cut + 1, std::numeric_limits<qint64>::max()}};
        const auto source = [&ranges]() -> std::optional<StudentIdRange> {
            return ranges.isEmpty() ? std::nullopt : std::optional(ranges.takeFirst());
        };
        QList<StudentRecord> sliced;
        const qint64 count = object->WalkStudentRecords(
            1, 0, DegreeOfProgramme1,
            [&](const StudentRecordRows &rows) {
                sliced << StudentRecord::fromRows(rows);
                return true;
            },
            source);
        QCOMPARE(count, qint64(whole.size()));
        QCOMPARE(sliced, whole);

        ranges = {{std::numeric_limits<qint64>::min(), cut}, {cut + 1, std::numeric_limits<qint64>::max()}};
        int seen = 0;
        QCOMPARE(object->WalkStudentRecords(1, 0, DegreeOfProgramme1, [&](const StudentRecordRows &) { return ++seen < 2; },
                                            source),
                 qint64(2));
        QCOMPARE(ranges.size(), 1); // the second range was never asked for
    }

    // Written as student files, every record of the sample reads the same on both databases.
    void bothBackendsReadTheSameRecords()
    {
        const QString postgres = m_fixture.serverName(QStringLiteral("postgresql"));
        if (postgres.isEmpty())
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const auto files = [&](const QString &backend) {
            m_fixture.reset(backend);
            const QString server = m_fixture.serverName(backend);
            const SchemaTable &view = Database::open(server)->knownTable(QStringLiteral("v_students"), QString());
            QList<QByteArray> out;
            for (int programme : {1, 2})
                serverObject<cStudent>(server)->WalkStudentRecords(programme, 0, DegreeOfProgramme1, [&](const StudentRecordRows &rows) {
                    out.append(WriteStudentFile(StudentRecord::fromRows(rows), view));
                    return true;
                });
            return out;
        };
        const QList<QByteArray> sqlite = files(QStringLiteral("sqlite"));
        const QList<QByteArray> postgresql = files(QStringLiteral("postgresql"));
        QCOMPARE(sqlite.size(), 400);
        QCOMPARE(postgresql.size(), sqlite.size());
        for (int i = 0; i < sqlite.size(); ++i)
            QCOMPARE(postgresql.at(i), sqlite.at(i));
    }

};

QTEST_GUILESS_MAIN(TestStudentRecords)
#include "tst_studentrecords.moc"
