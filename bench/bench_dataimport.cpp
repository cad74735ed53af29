// Bringing a registry's data in: `zrreq data import --apply` of 50,000 students with 40 results
// each (2 million result rows, Greek Excel's CSV: ';' and decimal commas) into a new database,
// against bare sqlite3 inserting the same result rows with one prepared statement in one
// transaction, checking the same foreign keys; the command's peak memory at 2 million result rows against 200,000 (it streams);
// a second import of the same files, which changes nothing, against the first import's reading
// (its dry run). Times are CPU times of the command and of this thread. Where ZRREQ_TEST_PG names
// a PostgreSQL database (tests/pg/with-postgres.sh), the import there against a bare COPY of the
// same result rows, in wall time: the server does most of the work.
#include "benchutil.h"
#include "commandrun.h"

#include "database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <libpq-fe.h>
#include <sqlite3.h>

using namespace zr;
using namespace zr::server;

namespace {

constexpr int ResultsEach = 40;
constexpr int Courses = 400;

// One result of a generated student: course, year, exam period and grade, alike in the files
// and in the bare inserts.
struct Result
{
    int course;
    int year;
    int period;
    double grade;
};

Result resultOf(int student, int n)
{
    const int course = (student * 7 + n * 13) % Courses + 1;
    return {course, 2015 + n / 10, n % 3 + 1, 5.0 + double((student + n) % 11) / 2.0};
}

// The files of one department with `students` students, in `folder`.
QStringList writeFiles(const QString &folder, int students)
{
    QDir().mkpath(folder);
    const auto write = [&](const QString &name, const QByteArray &header,
                           const std::function<void(QFile &)> &rows) {
        QFile file(QDir(folder).filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(header);
        rows(file);
        return file.fileName();
    };
    QStringList files;
    files << write(QStringLiteral("departments.csv"), "code;name\n900;Τμήμα Δοκιμών\n", [](QFile &) {});
    files << write(QStringLiteral("exam-periods.csv"), "code;name\n1;Ιανουαρίου\n2;Ιουνίου\n3;Σεπτεμβρίου\n",
                   [](QFile &) {});
    files << write(QStringLiteral("programmes.csv"), "department;code;title\n900;ΠΠΣ;Πρόγραμμα\n",
                   [](QFile &) {});
    files << write(QStringLiteral("courses.csv"), "department;code;title;ects\n", [](QFile &file) {
        for (int c = 1; c <= Courses; ++c)
            file.write(QStringLiteral("900;ΔΟΚ%1;Μάθημα %1;7,5\n").arg(c).toUtf8());
    });
    files << write(QStringLiteral("students.csv"),
                   "department;registration number;last name;first name;programme\n",
                   [&](QFile &file) {
                       for (int s = 1; s <= students; ++s)
                           file.write(QStringLiteral("900;%1;Επώνυμο %1;Όνομα;ΠΠΣ\n")
                                          .arg(1000000 + s)
                                          .toUtf8());
                   });
    files << write(QStringLiteral("results.csv"),
                   "department;registration number;course;year;exam period;grade\n",
                   [&](QFile &file) {
                       for (int s = 1; s <= students; ++s)
                           for (int n = 0; n < ResultsEach; ++n) {
                               const Result r = resultOf(s, n);
                               file.write(QStringLiteral("900;%1;ΔΟΚ%2;%3;%4;%5\n")
                                              .arg(1000000 + s)
                                              .arg(r.course)
                                              .arg(r.year)
                                              .arg(r.period)
                                              .arg(QString::number(r.grade).replace(u'.', u','))
                                              .toUtf8());
                           }
                   });
    return files;
}

QString newDatabase(const QString &path)
{
    QFile::remove(path);
    const QString server =
        path.startsWith(QLatin1String("postgresql://")) ? path : QStringLiteral("sqlite://") + path;
    Database::open(server, Database::Opening::Initialize)->initialize(false);
    Database::closeAll();
    return server;
}

// The floor: the same result rows inserted with one prepared statement in one transaction.
qint64 bareInserts(const QString &path, int students)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return 0;
    // The database checks its foreign keys, as every connection of ours asks it to; the rows the
    // results name are stored first, untimed.
    sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "INSERT INTO QEMDepartments (depID, depname) VALUES ('900', 'D');"
                 "INSERT INTO QEMDepPrograms (prID, prdepID, prtitle) VALUES (1, '900', 'P')",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *row = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO QEMCourses (courseID, depID, coursecode, title) VALUES (?, '900', ?, 'T')",
                       -1, &row, nullptr);
    for (int c = 1; c <= Courses; ++c) {
        sqlite3_bind_int(row, 1, c);
        sqlite3_bind_int(row, 2, c);
        sqlite3_step(row);
        sqlite3_reset(row);
    }
    sqlite3_finalize(row);
    sqlite3_prepare_v2(db,
                       "INSERT INTO QEMStudents (student_ID, spec_aem, lastname, firstname, "
                       "department_ID, progrspoud_ID) VALUES (?, ?, 'L', 'F', '900', 1)",
                       -1, &row, nullptr);
    for (int s = 1; s <= students; ++s) {
        sqlite3_bind_int(row, 1, s);
        sqlite3_bind_int(row, 2, 1000000 + s);
        sqlite3_step(row);
        sqlite3_reset(row);
    }
    sqlite3_finalize(row);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const qint64 start = bench::threadCpuNs();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO QEMStudentResults (resID, student_ID, courseID, acyear, epID, "
                       "grade, exemption) VALUES (?, ?, ?, ?, ?, ?, 0)",
                       -1, &insert, nullptr);
    qint64 id = 0;
    for (int s = 1; s <= students; ++s)
        for (int n = 0; n < ResultsEach; ++n) {
            const Result r = resultOf(s, n);
            sqlite3_bind_int64(insert, 1, ++id);
            sqlite3_bind_int(insert, 2, s);
            sqlite3_bind_int(insert, 3, r.course);
            sqlite3_bind_int(insert, 4, r.year);
            sqlite3_bind_int(insert, 5, r.period);
            sqlite3_bind_double(insert, 6, r.grade);
            if (sqlite3_step(insert) != SQLITE_DONE) {
                std::fprintf(stderr, "bare insert: %s\n", sqlite3_errmsg(db));
                return 0;
            }
            sqlite3_reset(insert);
        }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const qint64 spent = bench::threadCpuNs() - start;
    sqlite3_close(db);
    return spent;
}

// The PostgreSQL floor: the same result rows through one COPY in one transaction, in wall time.
qint64 bareCopy(const QString &server, int students)
{
    newDatabase(server);
    PGconn *pg = PQconnectdb(server.toUtf8().constData());
    if (PQstatus(pg) != CONNECTION_OK) {
        std::fprintf(stderr, "bare COPY: %s\n", PQerrorMessage(pg));
        PQfinish(pg);
        return 0;
    }
    // The rows the results name, untimed: the bare COPY checks the same foreign keys.
    const auto run = [&](const QByteArray &sql) {
        PGresult *result = PQexec(pg, sql.constData());
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_COPY_IN;
        if (!ok)
            std::fprintf(stderr, "bare COPY: %s\n", PQresultErrorMessage(result));
        PQclear(result);
        return ok;
    };
    const auto copy = [&](const QByteArray &sql, const QByteArray &rows) {
        if (!run(sql))
            return false;
        PQputCopyData(pg, rows.constData(), int(rows.size()));
        PQputCopyEnd(pg, nullptr);
        bool ok = true;
        while (PGresult *result = PQgetResult(pg)) {
            if (PQresultStatus(result) != PGRES_COMMAND_OK) {
                std::fprintf(stderr, "bare COPY: %s\n", PQresultErrorMessage(result));
                ok = false;
            }
            PQclear(result);
        }
        return ok;
    };
    QByteArray courses, people;
    for (int c = 1; c <= Courses; ++c)
        courses += QByteArray::number(c) + "\t900\tC" + QByteArray::number(c) + "\tT\n";
    for (int s = 1; s <= students; ++s)
        people += QByteArray::number(s) + "\t" + QByteArray::number(1000000 + s) + "\tL\tF\t900\t1\n";
    if (!run("INSERT INTO QEMDepartments (depID, depname) VALUES ('900', 'D')") ||
        !run("INSERT INTO QEMDepPrograms (prID, prdepID, prtitle) VALUES (1, '900', 'P')") ||
        !copy("COPY QEMCourses (courseID, depID, coursecode, title) FROM STDIN", courses) ||
        !copy("COPY QEMStudents (student_ID, spec_aem, lastname, firstname, department_ID, "
              "progrspoud_ID) FROM STDIN",
              people)) {
        PQfinish(pg);
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    PQclear(PQexec(pg, "BEGIN"));
    if (!run("COPY QEMStudentResults (resID, student_ID, courseID, acyear, epID, grade, "
             "exemption) FROM STDIN")) {
        PQfinish(pg);
        return 0;
    }
    qint64 id = 0;
    QByteArray chunk;
    for (int s = 1; s <= students; ++s) {
        for (int n = 0; n < ResultsEach; ++n) {
            const Result r = resultOf(s, n);
            chunk += QByteArray::number(++id) + '\t' + QByteArray::number(s) + '\t' +
                     QByteArray::number(r.course) + '\t' + QByteArray::number(r.year) + '\t' +
                     QByteArray::number(r.period) + '\t' + QByteArray::number(r.grade) + "\t0\n";
        }
        if (chunk.size() > (1 << 20)) {
            PQputCopyData(pg, chunk.constData(), int(chunk.size()));
            chunk.clear();
        }
    }
    PQputCopyData(pg, chunk.constData(), int(chunk.size()));
    PQputCopyEnd(pg, nullptr);
    bool copied = true;
    while (PGresult *result = PQgetResult(pg)) {
        copied = copied && PQresultStatus(result) == PGRES_COMMAND_OK;
        if (!copied)
            std::fprintf(stderr, "bare COPY: %s\n", PQresultErrorMessage(result));
        PQclear(result);
    }
    PQclear(PQexec(pg, "COMMIT"));
    if (!copied) {
        PQfinish(pg);
        return 0;
    }
    const qint64 spent = timer.nsecsElapsed();
    PQfinish(pg);
    return spent;
}

bench::CommandRun import(const QStringList &files, const QString &server, bool apply)
{
    QStringList arguments{QStringLiteral("data"), QStringLiteral("import")};
    arguments << files << QStringLiteral("--server") << server;
    if (apply)
        arguments << QStringLiteral("--apply");
    const bench::CommandRun run = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), arguments);
    if (run.exitCode != 0)
        std::fprintf(stderr, "zrreq data import exited %d\n", run.exitCode);
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const int students = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50000;
    const QStringList big = writeFiles(dir.filePath(QStringLiteral("big")), students);
    const QStringList small = writeFiles(dir.filePath(QStringLiteral("small")), students / 10);
    const QString floorFile = dir.filePath(QStringLiteral("floor.db"));
    newDatabase(floorFile);
    const qint64 floor = bareInserts(floorFile, students);
    const bench::CommandRun first =
        import(big, newDatabase(dir.filePath(QStringLiteral("big.db"))), true);
    const bench::CommandRun few =
        import(small, newDatabase(dir.filePath(QStringLiteral("small.db"))), true);
    const bench::CommandRun reading =
        import(big, newDatabase(dir.filePath(QStringLiteral("plan.db"))), false);
    const bench::CommandRun second =
        import(big, QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("big.db")), false);
    const int rows = students * ResultsEach;
    bool ok = bench::report(QStringLiteral("data import --apply, %1 result rows / bare sqlite3 inserts").arg(rows),
                            floor, first.cpuNs, 3.0);
    ok &= bench::reportAmount(QStringLiteral("data import peak memory, %1 / %2 result rows")
                                  .arg(rows)
                                  .arg(rows / 10),
                              few.peakKb, first.peakKb, "kB", 1.3);
    ok &= bench::report(QStringLiteral("second data import, nothing to change / first one's dry run"),
                        reading.cpuNs, second.cpuNs, 1.5);
    if (const QString pg = qEnvironmentVariable("ZRREQ_TEST_PG"); !pg.isEmpty()) {
        const qint64 floor = bareCopy(pg, students);
        newDatabase(pg);
        QElapsedTimer timer;
        timer.start();
        import(big, pg, true);
        ok &= bench::report(QStringLiteral("PostgreSQL: data import --apply, %1 result rows / bare COPY (wall)")
                                .arg(rows),
                            floor, timer.nsecsElapsed(), 3.0);
    }
    return ok ? 0 : 2;
}
