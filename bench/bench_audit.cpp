// The audit: `zrreq audit --all` over 50,000 generated students against the sample degree set
// vs bare sqlite3 stepping over the same results; one student against 3,000 requirements vs 300;
// the command's peak memory at 50,000 students vs 5,000; the effect of an edit of that set on a
// curriculum's students (import --impact) vs two audits of them; the completion plan of a student
// of the sample programme vs his audit; the walk with the set's totals marked to count their
// courses nowhere else vs unmarked.
#include "benchutil.h"
#include "commandrun.h"
#include "sqlitestep.h"

#include "audit/auditcodesource.h"
#include "audit/auditreportbuilder.h"
#include "audit/auditset.h"
#include "audit/completionplan.h"
#include "audit/reportwriters.h"
#include "audit/coursecatalog.h"
#include "common/createserverobject.h"
#include "common/serverobjects.h"
#include "database.h"
#include "largevolume.h"
#include "qemserver.h"
#include "reqtypes/requirementvalue.h"
#include "requirements/requirementset.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>

using namespace zr;
using namespace zr::server;

namespace {

// The sample degree set of curriculum 11 copied to every curriculum of the generated programme,
// in place of its own sets, so that the command checks every generated student against it.
void useSampleDegreeSet(const QString &server)
{
    auto db = Database::open(server);
    const QString source = QStringLiteral("bench_audit");
    db->exec(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE conobject = 1 AND objID = ? AND contypeID = 103"),
             {LargeVolumeKeys::programme}, source);
    QList<QVariantList> rows;
    QStringList columns;
    {
        QSqlQuery &q = db->exec(QStringLiteral("SELECT * FROM QEMObjectConstraint WHERE conobject = 1 AND objID = 1 "
                                               "AND contypeID = 103 AND secobjID = '11' ORDER BY ocID"),
                                {}, source);
        for (int i = 0; i < q.record().count(); ++i)
            columns << q.record().fieldName(i);
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < columns.size(); ++i)
                row << q.value(i);
            rows << row;
        }
        q.finish();
    }
    const int id = int(columns.indexOf(QStringLiteral("ocID")));
    const int object = int(columns.indexOf(QStringLiteral("objID")));
    const int curriculumColumn = int(columns.indexOf(QStringLiteral("secobjID")));
    const int eval = int(columns.indexOf(QStringLiteral("coneval")));
    const QString insert = QStringLiteral("INSERT INTO QEMObjectConstraint (%1) VALUES (%2)")
                               .arg(columns.join(QLatin1Char(',')), QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    for (int c = 0; c < 4; ++c) {
        const qint32 offset = 90000000 + c * 1000;
        for (QVariantList row : std::as_const(rows)) {
            QString expression = row.at(eval).toString();
            for (const QVariantList &other : std::as_const(rows)) {
                const qint32 oldId = other.at(id).toInt();
                expression.replace(QStringLiteral("[%%1]").arg(oldId), QStringLiteral("[%%1]").arg(oldId + offset));
            }
            row[id] = row.at(id).toInt() + offset;
            row[object] = LargeVolumeKeys::programme;
            row[curriculumColumn] = QString::number(LargeVolumeKeys::curriculum + c);
            row[eval] = expression;
            db->exec(insert, row, source);
        }
    }
}

QString generate(const QTemporaryDir &dir, const QString &name, const LargeVolume &sizes)
{
    const QString server = QStringLiteral("sqlite://") + dir.path() + QLatin1Char('/') + name;
    GenerateLargeVolume(*Database::open(server), sizes);
    return server;
}

// On one thread: the CPU time of the work, not of the threads that share it.
QStringList auditAll(const QString &server, int jobs = 1)
{
    return {QStringLiteral("audit"), QStringLiteral("--all"), QStringLiteral("--kind"), QStringLiteral("1"),
            QStringLiteral("--object"), QString::number(LargeVolumeKeys::programme), QStringLiteral("--context"),
            QStringLiteral("103"), QStringLiteral("--jobs"), QString::number(jobs), QStringLiteral("--server"), server};
}

// The statement of the walk that reads the course results, as the walk runs it.
QString resultsStatement(const QString &server)
{
    QString statement;
    const auto previous = Database::setStatementObserver([&](const QString &sql) {
        if (sql.startsWith(QLatin1String("SELECT")) && sql.contains(QLatin1String("JOIN QEMStudentResults")))
            statement = sql;
    });
    auto students = CreateServerObjectAs<cStudent>(QStringLiteral("zrQEMSvr"), server);
    students->WalkStudentRecords(LargeVolumeKeys::programme, 0, {}, [](const StudentRecordRows &) { return false; });
    Database::setStatementObserver(previous);
    return statement;
}

// The degree set of the generated curriculum and one of its students' records.
struct OneStudent
{
    Recordset rows;
    AuditCodes codes;
    StudentRecord record;
};

OneStudent oneStudent(const QString &server)
{
    auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
    const Recordset parent = constraints->LoadObjectConstraints(1, LargeVolumeKeys::programme, LargeVolumeKeys::curriculum);
    RequirementSet set;
    set.setObjectKind(1);
    set.setContext(103);
    set.setParent(parent);
    set.setCurriculumId(LargeVolumeKeys::curriculum);
    OneStudent one;
    one.rows = set.walkWholeSet();
    one.codes = LoadAuditCodes(*CreateServerObjectAs<cDepartment>(QStringLiteral("zrQEMSvr"), server),
                               LargeVolumeKeys::department());
    auto students = CreateServerObjectAs<cStudent>(QStringLiteral("zrQEMSvr"), server);
    students->WalkStudentRecords(LargeVolumeKeys::programme, LargeVolumeKeys::curriculum, {},
                                 [&](const StudentRecordRows &rows) {
                                     one.record = StudentRecord::fromRows(rows);
                                     return one.record.results.size() < 30; // a student well into his studies
                                 });
    return one;
}

// The degree set of curriculum 11 of the sample programme, as rows and as typed values, its code
// tables and the programme's courses.
struct SampleDegreeSet
{
    Recordset rows;
    QList<RequirementValue> values;
    QString expression;
    AuditCodes codes;
    QList<CatalogCourse> catalog;
};

SampleDegreeSet sampleDegreeSet(const QString &server)
{
    const QString library = QStringLiteral("zrQEMSvr");
    SampleDegreeSet sample;
    RequirementSet set;
    set.setObjectKind(1);
    set.setContext(103);
    set.setParent(CreateServerObjectAs<cContraints>(library, server)->LoadObjectConstraints(1, 1, 11));
    set.setCurriculumId(11);
    sample.rows = set.walkWholeSet();
    RequirementReader reader(sample.rows, 103);
    for (int row = 0; row < sample.rows.recordCount(); ++row) {
        sample.values << reader.read(row);
        if (sample.expression.isEmpty())
            sample.expression = sample.values.last().expression.toString();
    }
    sample.codes = LoadAuditCodes(*CreateServerObjectAs<cDepartment>(library, server), QStringLiteral("105"));
    sample.catalog = LoadProgrammeCourses(*CreateServerObjectAs<cDepPrograms>(library, server),
                                          *CreateServerObjectAs<cCourses>(library, server), 1);
    return sample;
}

QString outcomeWord(ReportPlan::Outcome outcome)
{
    switch (outcome) {
    case ReportPlan::Outcome::NotNeeded:
        return QStringLiteral("not needed");
    case ReportPlan::Outcome::Exact:
        return QStringLiteral("exact");
    case ReportPlan::Outcome::BestEffort:
        return QStringLiteral("best effort");
    case ReportPlan::Outcome::NoCourses:
        return QStringLiteral("none");
    }
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    RegisterServer();
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
    bool ok = true;

    // 1 and 3: the whole programme, 50,000 and 5,000 students, against the sample degree set.
    LargeVolume sizes; // 10,000 courses, 50,000 students
    const QString big = generate(dir, QStringLiteral("big.db"), sizes);
    useSampleDegreeSet(big);
    sizes.students = 5000;
    const QString small = generate(dir, QStringLiteral("small.db"), sizes);
    useSampleDegreeSet(small);
    const QString statement = resultsStatement(big);
    Database::closeAll();
    {
        sqlite3 *raw = nullptr;
        const QString file = big.mid(int(qstrlen("sqlite://")));
        if (sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            return 1;
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(raw, statement.toUtf8().constData(), -1, &stmt, nullptr);
        for (int i = 1; i <= sqlite3_bind_parameter_count(stmt); ++i)
            sqlite3_bind_int(stmt, i, LargeVolumeKeys::programme);
        std::vector<qint64> floors, audits, peaksBig, peaksSmall;
        for (int round = 0; round <= 3; ++round) {
            const qint64 start = bench::threadCpuNs();
            bench::stepAll(stmt);
            const qint64 floor = bench::threadCpuNs() - start;
            const bench::CommandRun all = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), auditAll(big));
            const bench::CommandRun few = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), auditAll(small));
            if (all.exitCode != 1 || few.exitCode != 1)
                std::fprintf(stderr, "audit --all exited %d and %d\n", all.exitCode, few.exitCode);
            if (round == 0)
                continue;
            floors.push_back(floor);
            audits.push_back(all.cpuNs);
            peaksBig.push_back(all.peakKb);
            peaksSmall.push_back(few.peakKb);
        }
        sqlite3_finalize(stmt);
        sqlite3_close(raw);
        const auto median = [](std::vector<qint64> v) {
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        ok &= bench::report(QStringLiteral("audit --all, 50000 students, sample degree set / step their results"),
                            median(floors), median(audits), 3.0);
        ok &= bench::reportAmount(QStringLiteral("audit --all peak memory, 50000 / 5000 students"), median(peaksSmall),
                                  median(peaksBig), "kB", 1.3);
    }

    // 7. The same walk on two threads against one: wall time, as the registrar waits for it; the
    // output must be the same. Needs a machine with two cores to say anything.
    if (QThread::idealThreadCount() >= 2) {
        std::vector<qint64> ones, twos, cpuOnes, cpuTwos;
        for (int round = 0; round <= 5; ++round) {
            const bench::CommandRun one = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), auditAll(big, 1));
            const bench::CommandRun two = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), auditAll(big, 2));
            if (round == 0)
                continue;
            ones.push_back(one.wallNs);
            twos.push_back(two.wallNs);
            cpuOnes.push_back(one.cpuNs);
            cpuTwos.push_back(two.cpuNs);
        }
        const auto median = [](std::vector<qint64> v) {
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        ok &= bench::report(QStringLiteral("audit --all, 50000 students, wall time: --jobs 2 / --jobs 1"), median(ones),
                            median(twos), 0.6);
        bench::report(QStringLiteral("  (info) audit --all, 50000 students, CPU time: --jobs 2 / --jobs 1"),
                      median(cpuOnes), median(cpuTwos), 1e9);
    }

    // 8. The same walk with the set's course totals (all but the total of every course) marked to
    // count their courses nowhere else, against it unmarked: CPU time on one thread.
    {
        const QString claims = dir.filePath(QStringLiteral("claims.db"));
        QFile::copy(big.mid(int(qstrlen("sqlite://"))), claims);
        const QString claimsServer = QStringLiteral("sqlite://") + claims;
        Database::open(claimsServer)->exec(QStringLiteral("UPDATE QEMObjectConstraint SET conoptval12 = '1' WHERE objID = ? "
                                                          "AND contypeID = 103 AND conID IN (20, 50, 110, 120)"),
                                           {LargeVolumeKeys::programme}, QStringLiteral("bench_audit"));
        Database::closeAll();
        std::vector<qint64> plain, marked;
        for (int round = 0; round <= 3; ++round) {
            const bench::CommandRun without = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), auditAll(big));
            const bench::CommandRun with = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), auditAll(claimsServer));
            if (with.exitCode != 1)
                std::fprintf(stderr, "audit --all with marked requirements exited %d\n", with.exitCode);
            if (round == 0)
                continue;
            plain.push_back(without.cpuNs);
            marked.push_back(with.cpuNs);
        }
        std::sort(plain.begin(), plain.end());
        std::sort(marked.begin(), marked.end());
        ok &= bench::report(QStringLiteral("audit --all, 50000 students: 4 totals marked / unmarked"), plain[plain.size() / 2],
                            marked[marked.size() / 2], 2.0);
    }

    // 4. The effect of an edit before saving: one walk evaluating the stored and the edited set,
    // against the two audits of the curriculum's students it stands for.
    {
        const QStringList set{QStringLiteral("--kind"), QStringLiteral("1"), QStringLiteral("--object"),
                              QString::number(LargeVolumeKeys::programme), QStringLiteral("--context"), QStringLiteral("103"),
                              QStringLiteral("--curriculum"), QString::number(LargeVolumeKeys::curriculum),
                              QStringLiteral("--server"), big};
        QProcess exporter;
        exporter.start(QStringLiteral(ZRREQ_EXECUTABLE), QStringList{QStringLiteral("export")} + set);
        exporter.waitForFinished(-1);
        QJsonObject edited = QJsonDocument::fromJson(exporter.readAllStandardOutput()).object();
        QJsonArray rows = edited.value(QStringLiteral("rows")).toArray();
        // The edit: the ECTS the degree needs, 300 -> 240, and any one requirement met enough (every
        // AND an OR), so that many generated students' results change.
        QJsonObject first = rows.at(0).toObject();
        first.insert(QStringLiteral("conoptval1"), QStringLiteral("240"));
        rows.replace(0, first);
        const QString anyOne = first.value(QStringLiteral("coneval")).toString().replace(QStringLiteral(" AND "),
                                                                                          QStringLiteral(" OR "));
        // The sample's course group is not one of the generated programme's: one of its elective groups in its place.
        for (int i = 0; i < rows.size(); ++i) {
            QJsonObject row = rows.at(i).toObject();
            if (row.value(QStringLiteral("conID")).toInt() == 50)
                row.insert(QStringLiteral("conselobjIDs"), QStringLiteral("101"));
            row.insert(QStringLiteral("coneval"), anyOne);
            rows.replace(i, row);
        }
        edited.insert(QStringLiteral("rows"), rows);
        const QString path = dir.filePath(QStringLiteral("edited.json"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(edited).toJson()) <= 0)
            return 1;
        file.close();
        const QStringList audit = QStringList{QStringLiteral("audit"), QStringLiteral("--all"), QStringLiteral("--jobs"),
                                              QStringLiteral("1")} + set;
        const QStringList impact = QStringList{QStringLiteral("import"), QStringLiteral("--impact"),
                                               QStringLiteral("--file"), path} + set;
        std::vector<qint64> audits, impacts;
        for (int round = 0; round <= 3; ++round) {
            const bench::CommandRun one = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), audit);
            const bench::CommandRun two = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), audit);
            const bench::CommandRun effect = bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), impact);
            // 1: some students' results change, as lowering the ECTS must make them.
            if (effect.exitCode != 1) {
                std::fprintf(stderr, "import --impact exited %d\n", effect.exitCode);
                ok = false;
            }
            if (round == 0)
                continue;
            audits.push_back(one.cpuNs + two.cpuNs);
            impacts.push_back(effect.cpuNs);
        }
        std::sort(audits.begin(), audits.end());
        std::sort(impacts.begin(), impacts.end());
        ok &= bench::report(QStringLiteral("import --impact, a curriculum of 50000 students / two audit --all of it"),
                            audits[audits.size() / 2], impacts[impacts.size() / 2], 2.0);
    }

    // 2. One student against the generated 3,000-requirement set vs a 300-requirement one.
    {
        LargeVolume few;
        few.students = 200;
        few.requirements = 300;
        const OneStudent small300 = oneStudent(generate(dir, QStringLiteral("r300.db"), few));
        few.requirements = 3000;
        const OneStudent big3000 = oneStudent(generate(dir, QStringLiteral("r3000.db"), few));
        const auto audit = [](const OneStudent &one) {
            return AuditSet::prepare(one.rows, 103, one.codes).evaluate(one.record).requirements.size();
        };
        qsizetype checked = 0;
        const auto [floor, measured] = bench::medianCpuPair([&] { checked = audit(small300); },
                                                            [&] { checked += audit(big3000); }, 7);
        ok &= bench::report(QStringLiteral("one student (%1 results): %2 requirements / 300")
                                .arg(big3000.record.results.size()).arg(checked - 300),
                            floor, measured, 11.0);
        const AuditSet prepared300 = AuditSet::prepare(small300.rows, 103, small300.codes);
        const AuditSet prepared3000 = AuditSet::prepare(big3000.rows, 103, big3000.codes);
        const auto [evalFloor, evalMeasured] = bench::medianCpuPair(
            [&] { prepared300.evaluate(small300.record); }, [&] { prepared3000.evaluate(big3000.record); }, 7);
        bench::report(QStringLiteral("  (info) prepared sets: evaluate 3000 / 300"), evalFloor, evalMeasured, 1e9);
    }

    // 5. The completion plan of each student of the sample programme who misses the degree set of
    // curriculum 11, against his audit: loading his record and checking it against the prepared set.
    // The programme's courses are loaded once, for every student. The goal is student 84's; the
    // others, and the curriculum's student with the fewest results, for information.
    {
        const QString server = QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("sample.db"));
        InitDatabase(server);
        const SampleDegreeSet sample = sampleDegreeSet(server);
        const AuditSet prepared = AuditSet::prepare(sample.rows, 103, sample.codes);
        auto students = CreateServerObjectAs<cStudent>(QStringLiteral("zrQEMSvr"), server);
        const RecordScope scope{1, QVariant(qlonglong(1)), 103, 0};
        qint32 beginner = 0;
        qsizetype fewest = -1;
        students->WalkStudentRecords(1, 11, scope, [&](const StudentRecordRows &rows) {
            const StudentRecord record = StudentRecord::fromRows(rows);
            if (fewest < 0 || record.results.size() < fewest) {
                fewest = record.results.size();
                beginner = record.studentId();
            }
            return true;
        });
        for (qint32 student : {84, 75, 9, 11, 164, beginner}) {
            StudentRecord record;
            CompletionPlan plan;
            const auto [floor, measured] = bench::medianCpuPair(
                [&] {
                    record = StudentRecord::fromRows(students->LoadStudentRecord(student, scope));
                    prepared.evaluate(record);
                },
                [&] { plan = PlanCompletion(sample.values, sample.expression, record, sample.catalog, sample.codes); },
                7);
            const QString name = QStringLiteral("completion plan, student %1 (%2 course%3, %4, %5 steps) / his audit")
                                     .arg(student)
                                     .arg(plan.courses.size())
                                     .arg(plan.courses.size() == 1 ? "" : "s")
                                     .arg(outcomeWord(plan.outcome))
                                     .arg(plan.steps);
            if (student == 84)
                ok &= bench::report(name, floor, measured, 10.0);
            else
                bench::report(QStringLiteral("  (info) ") + name, floor, measured, 1e9);
        }
    }

    // 6. Student 84's report against the degree set of curriculum 11 against his audit without a
    // report: the whole command, as a registrar runs it (--format html: the programme's courses
    // read, the report built with its plan, the page written), then, for information, the PDF and
    // the same work inside one process, where the reading of the programme's courses weighs most.
    {
        const QString server = QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("sample.db"));
        const QStringList audit{QStringLiteral("audit"),   QStringLiteral("--student"),    QStringLiteral("84"),
                                QStringLiteral("--kind"),  QStringLiteral("1"),            QStringLiteral("--object"),
                                QStringLiteral("1"),       QStringLiteral("--context"),    QStringLiteral("103"),
                                QStringLiteral("--curriculum"), QStringLiteral("11"),      QStringLiteral("--server"),
                                server};
        const auto medianRun = [](const QStringList &arguments) {
            std::vector<qint64> times;
            for (int i = 0; i < 7; ++i)
                times.push_back(bench::runCommand(QStringLiteral(ZRREQ_EXECUTABLE), arguments).cpuNs);
            std::nth_element(times.begin(), times.begin() + 3, times.end());
            return times[3];
        };
        const qint64 bare = medianRun(audit);
        const QString html = dir.filePath(QStringLiteral("report.html"));
        ok &= bench::report(QStringLiteral("zrreq audit --format html, student 84 / zrreq audit, student 84"), bare,
                            medianRun(audit + QStringList{QStringLiteral("--format"), QStringLiteral("html"),
                                                          QStringLiteral("--output"), html}),
                            3.0);
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        bench::report(QStringLiteral("  (info) zrreq audit --format pdf, student 84 / zrreq audit, student 84"), bare,
                      medianRun(audit + QStringList{QStringLiteral("--format"), QStringLiteral("pdf"),
                                                    QStringLiteral("--output"), pdf}),
                      1e9);

        const QString library = QStringLiteral("zrQEMSvr");
        const SampleDegreeSet sample = sampleDegreeSet(server);
        const AuditSet prepared = AuditSet::prepare(sample.rows, 103, sample.codes);
        auto students = CreateServerObjectAs<cStudent>(library, server);
        auto programmes = CreateServerObjectAs<cDepPrograms>(library, server);
        auto courses = CreateServerObjectAs<cCourses>(library, server);
        const RecordScope scope{1, QVariant(qlonglong(1)), 103, 0};
        const auto [floor, measured] = bench::medianCpuPair(
            [&] { prepared.evaluate(StudentRecord::fromRows(students->LoadStudentRecord(84, scope))); },
            [&] {
                const StudentRecord record = StudentRecord::fromRows(students->LoadStudentRecord(84, scope));
                const AuditTrace trace = prepared.evaluate(record);
                const QList<CatalogCourse> catalog = LoadProgrammeCourses(*programmes, *courses, 1);
                AuditReport report = BuildAuditReport(prepared, trace, record, catalog);
                report.plan = ReportPlanOf(PlanCompletion(prepared, record, catalog), trace);
                ReportHtml(report);
            },
            7);
        bench::report(QStringLiteral("  (info) in one process: the report of student 84 with its plan / his audit"),
                      floor, measured, 1e9);
    }
    return ok ? 0 : 2;
}
