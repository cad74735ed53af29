// Replacing a stored requirement set, as an import does: the target's set is
// loaded, its rows take the file's values, and the set is saved in one
// transaction (versions locked and raised, the version replaced kept, rows
// checked and written). Each replace brings another edition of the set, so
// that every requirement changes. Sets of 10,000 and 100,000 rows on SQLite and, when
// ZRREQ_TEST_PG names a database (tests/pg/with-postgres.sh), PostgreSQL:
//  1. replacing 10,000 rows against deleting and inserting the same rows
//     with bare prepared statements in one transaction;
//  2. 100,000 rows against 10,000 (linear: 10x).
// Times are CPU times, as a machine shared with builds makes wall time mostly
// theirs: the thread's on SQLite (the database works in the thread), the
// thread's and its PostgreSQL backend's together on PostgreSQL (the server
// runs on this machine; its table is vacuumed before each run, untimed).

#include "benchutil.h"
#include "scholarshipfile.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "database.h"
#include "qemserver.h"
#include "requirements/requirementfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <unistd.h>

using namespace zr;
using namespace zr::server;

namespace {

using bench::Kind;
using bench::Programme;
using bench::Scholarship;

// Two editions of a set, replaced in turns: each replace changes every requirement, as a
// file that stands for a new regulation does (the same file again would change nothing).
struct Editions
{
    Editions(int rows, int firstId)
        : files{ReadRequirementFile(bench::scholarshipFileText(rows, 0, firstId)),
                ReadRequirementFile(bench::scholarshipFileText(rows, 1, firstId))}
    {
    }
    const RequirementFile &next() { return files[turn++ % 2]; }

    RequirementFile files[2];
    int turn = 0;
};

// Reads a 100,000-row file, laid out as the export writes one (every field,
// indented), before anything else: the peak memory the read adds, against
// the size of the file. The file is written a row at a time, so that the
// read finds no memory freed by the writing.
bool readingMemory(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("large.json"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write("{\n    \"AppliesTo\": 1,\n    \"ConstrType\": 109,\n    \"format\": \"zrreq-requirements/1\",\n"
              "    \"object\": {\n        \"objID\": 1\n    },\n    \"rows\": [\n");
    for (int i = 1; i <= 100000; ++i) {
        QByteArray row = "        {\n            \"conID\": 40,\n            \"coneval\": null,\n"
                         "            \"conobject\": 1,\n            \"conoperator\": 8,\n";
        for (int v = 1; v <= 12; ++v)
            row += "            \"conoptval" + QByteArray::number(v) + "\": "
                   + (v == 1 ? "\"" + QByteArray::number(i % 60 + 1) + "\"" : QByteArray("null")) + ",\n";
        row += "            \"conselobjIDs\": \"" + QByteArray::number(i % 7 + 1) + "\",\n            \"contypeID\": 109,\n"
               "            \"objID\": 1,\n            \"ocID\": " + QByteArray::number(i)
               + ",\n            \"secobjID\": null\n        }" + (i < 100000 ? ",\n" : "\n");
        out.write(row);
    }
    out.write("    ],\n    \"version\": 0\n}\n");
    out.close();
    const qint64 bytes = QFileInfo(path).size();
    // Starts the peak afresh at what the process holds now.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return false;
    clear.close();
    const qint64 before = bench::peakRssKb();
    qint64 rows = 0;
    {
        const RequirementFile file = ReadRequirementFile(path);
        rows = file.rows.recordCount();
    }
    const qint64 added = bench::peakRssKb() - before;
    return rows == 100000
           && bench::reportAmount(QStringLiteral("read a 100,000-row file: peak memory added / file size"), bytes / 1024,
                                  added, "kB", 6.0);
}

// The 10,000-row set is programme 2's and the 100,000-row one programme 1's, so
// that the two are replaced in turns, round by round, and a busy moment of the
// shared machine falls on both.
constexpr int SmallProgramme = 2;

void replace(const QString &server, const RequirementFile &file, int programme)
{
    auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
    Recordset parent = constraints->LoadObjectConstraints(Kind, programme);
    ImportRequirementRows(file, parent, Kind, Scholarship);
    constraints->SaveConstraints(parent);
}

// The same rows deleted and inserted with bare prepared statements in one transaction.
void bareReplace(const QString &server, int rows, qint64 firstId)
{
    auto db = Database::open(server);
    QSqlDatabase c = db->connection();
    c.transaction();
    QSqlQuery del(c);
    del.prepare(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE conobject = ? AND objID = ? AND contypeID = ?"));
    del.addBindValue(Kind);
    del.addBindValue(Programme);
    del.addBindValue(Scholarship);
    del.exec();
    QSqlQuery ins(c);
    ins.prepare(QStringLiteral("INSERT INTO QEMObjectConstraint (ocID, contypeID, conobject, objID, conID, conoperator, "
                               "conoptval1, conselobjIDs) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < rows; ++i) {
        ins.bindValue(0, firstId + i);
        ins.bindValue(1, Scholarship);
        ins.bindValue(2, Kind);
        ins.bindValue(3, Programme);
        ins.bindValue(4, 40);
        ins.bindValue(5, 8);
        ins.bindValue(6, QString::number(i % 60 + 1));
        ins.bindValue(7, QString::number(i % 7 + 1));
        ins.exec();
    }
    c.commit();
}

// PostgreSQL keeps the rows a replace deleted until a vacuum, and plans the
// kept versions' look-ups by the table's size when last analyzed; its own
// autovacuum would soon do both: each run starts from settled tables, or it
// would measure the runs before it (a history analyzed at 100,000 rows and
// holding 700,000 took the 100,000-row replace from 9.6x to 11.5x).
void settle(const QString &server)
{
    auto db = Database::open(server);
    if (db->dialect() == SqlDialect::PostgreSQL)
        QSqlQuery(db->connection()).exec(QStringLiteral("VACUUM ANALYZE QEMObjectConstraint, QEMSetHistoryRow"));
}

// CPU time of this thread and, on PostgreSQL, of the backend process that serves its connection.
qint64 cpuNs(const QString &server)
{
    auto db = Database::open(server);
    if (db->dialect() != SqlDialect::PostgreSQL)
        return bench::threadCpuNs();
    QSqlQuery q(db->connection());
    q.exec(QStringLiteral("SELECT pg_backend_pid()"));
    const qint64 pid = q.next() ? q.value(0).toLongLong() : 0;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        qFatal("the PostgreSQL backend's CPU time cannot be read");
    // The fields after the command's closing parenthesis: state is the first, utime the 12th, stime the 13th.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    return bench::threadCpuNs() + ticks * (1000000000 / sysconf(_SC_CLK_TCK));
}

bool run(const QString &name, const QString &server)
{
    // Ids of their own: a requirement of one set is never the other's.
    Editions small(10000, 200001);
    Editions large(100000, 1);
    const auto clock = [&] { return cpuNs(server); };
    const auto settled = [&] { settle(server); };
    const auto replaceSmall = [&] { replace(server, small.next(), SmallProgramme); };
    // The bare rows take ids far above the server's, and go again before the large set's turn.
    qint64 bareId = 50000000;
    const auto [floor, tenThousand] = bench::medianCpuPair(
        [&] { bareReplace(server, 10000, bareId += 10000); }, replaceSmall, 7, clock, settled);
    bareReplace(server, 0, 0);
    const auto [small10k, hundredThousand] = bench::medianCpuPair(
        replaceSmall, [&] { replace(server, large.next(), Programme); }, 7, clock, settled);
    bool ok = bench::report(QStringLiteral("%1: replace 10,000 rows / bare delete+insert").arg(name), floor,
                            tenThousand, 6.0);
    ok &= bench::report(QStringLiteral("%1: replace 100,000 / 10,000 rows (linear: 10x)").arg(name), small10k,
                        hundredThousand, 11.0);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    InitLanguage(LangEnglish);
    RegisterServer();
    QTemporaryDir dir;
    bool ok = readingMemory(dir);
    ok &= run(QStringLiteral("SQLite"), QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("replace.db")));
    const QString postgres = qEnvironmentVariable("ZRREQ_TEST_PG");
    if (!postgres.isEmpty()) {
        Database::open(postgres, Database::Opening::Initialize)->initialize(true);
        ok &= run(QStringLiteral("PostgreSQL"), postgres);
    }
    Database::closeAll();
    return ok ? 0 : 1;
}
