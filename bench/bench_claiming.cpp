// Requirements that count their courses nowhere else: one student with 60 passed courses against
// a set of 10 such requirements whose selections overlap vs the same set unmarked; for
// information, how far the search goes for 20 marked requirements over 80 passed courses.
#include "benchutil.h"

#include "audit/auditset.h"
#include "requirements/requirementfile.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

using namespace zr;

namespace {

CourseResult passed(qint32 id, qint32 type, qint32 group, double ects)
{
    CourseResult r;
    r.courseId = id;
    r.year = 2022;
    r.examPeriod = 1;
    r.teachingPeriod = 1;
    r.grade = 7;
    r.course.courseType = type;
    r.course.group = group;
    r.course.ects = ects;
    r.course.semester = 1 + id % 8;
    return r;
}

// `courses` passed courses of 4 types and 8 groups, 3 to 7 ECTS.
StudentRecord student(QRandomGenerator &random, int courses)
{
    StudentRecord r;
    r.student = {{QStringLiteral("student_ID"), 1}, {QStringLiteral("exam_ID"), 8}};
    for (int i = 1; i <= courses; ++i)
        r.results << passed(i, 1 + random.bounded(4), 1 + random.bounded(8), 3 + random.bounded(5));
    return r;
}

// `count` requirements over groups and types, each selecting two or three of them so that their
// selections overlap, asking for about what the student has: some met, some short.
AuditSet set(QRandomGenerator &random, int count, bool marked)
{
    QJsonArray rows;
    for (int i = 0; i < count; ++i) {
        const bool byGroup = i % 2 == 0;
        QStringList codes;
        const int first = 1 + random.bounded(byGroup ? 8 : 4);
        for (int k = 0; k < 2 + random.bounded(2); ++k)
            codes << QString::number(1 + (first + k * 3) % (byGroup ? 8 : 4));
        const bool ects = random.bounded(2) == 0;
        QJsonObject row{{QStringLiteral("ocID"), i + 1},
                        {QStringLiteral("contypeID"), 103},
                        {QStringLiteral("conobject"), 1},
                        {QStringLiteral("objID"), 1},
                        {QStringLiteral("secobjID"), QStringLiteral("11")},
                        {QStringLiteral("conID"), byGroup ? 50 : 40},
                        {QStringLiteral("conselobjIDs"), codes.join(QLatin1Char(','))},
                        {QStringLiteral("conoptval6"), ects ? QStringLiteral("3") : QStringLiteral("1")},
                        {QStringLiteral("conoperator"), 8},
                        {QStringLiteral("conoptval1"), QString::number(ects ? 10 + random.bounded(15) : 2 + random.bounded(3))}};
        if (marked)
            row.insert(QStringLiteral("conoptval12"), QStringLiteral("1"));
        rows.append(row);
    }
    const QJsonObject file{{QStringLiteral("format"), RequirementFile::formatName()},
                           {QStringLiteral("AppliesTo"), 1},
                           {QStringLiteral("ConstrType"), 103},
                           {QStringLiteral("object"), QJsonObject{{QStringLiteral("objID"), 1}}},
                           {QStringLiteral("rows"), rows}};
    return AuditSet::prepare(ReadRequirementFile(QJsonDocument(file).toJson()).rows, 103, AuditCodes());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    bool ok = true;

    // One student, 60 passed courses, 10 requirements: marked / unmarked, explained and verdicts only.
    {
        QRandomGenerator random(1208);
        const StudentRecord record = student(random, 60);
        QRandomGenerator again(7);
        const AuditSet unmarked = set(again, 10, false);
        again.seed(7);
        const AuditSet marked = set(again, 10, true);
        const AuditTrace trace = marked.evaluate(record);
        int met = 0;
        for (const RequirementTrace &r : trace.requirements)
            met += r.verdict == AuditVerdict::Met;
        for (const AuditDetail detail : {AuditDetail::Explained, AuditDetail::VerdictsOnly}) {
            const auto [floor, measured] = bench::medianCpuPair(
                [&] {
                    for (int i = 0; i < 200; ++i)
                        unmarked.evaluate(record, detail);
                },
                [&] {
                    for (int i = 0; i < 200; ++i)
                        marked.evaluate(record, detail);
                },
                7);
            const QString name = QStringLiteral("60 courses, 10 requirements (%1 met, %2 steps%3): marked / unmarked")
                                     .arg(met)
                                     .arg(trace.claimSteps)
                                     .arg(detail == AuditDetail::Explained ? "" : ", verdicts");
            // The goal is the audit a registrar reads; verdicts alone, as --all checks them, for information.
            if (detail == AuditDetail::Explained)
                ok &= bench::report(name, floor, measured, 3.0);
            else
                bench::report(QStringLiteral("  (info) ") + name, floor, measured, 1e9);
        }
    }

    // How far the search goes: 20 marked requirements over 80 passed courses, 200 draws.
    {
        QRandomGenerator random(2026);
        int exact = 0;
        qint64 most = 0;
        qint64 slowest = 0;
        const int draws = 200;
        for (int n = 0; n < draws; ++n) {
            const StudentRecord record = student(random, 80);
            const AuditSet marked = set(random, 20, true);
            const qint64 start = bench::threadCpuNs();
            const AuditTrace trace = marked.evaluate(record, AuditDetail::VerdictsOnly);
            slowest = std::max(slowest, bench::threadCpuNs() - start);
            exact += trace.claimsExact;
            most = std::max(most, trace.claimSteps);
        }
        std::printf("(info) 80 courses, 20 marked requirements: %d of %d draws exact, at most %lld steps, slowest %.1f ms\n",
                    exact, draws, static_cast<long long>(most), slowest / 1e6);
    }
    return ok ? 0 : 2;
}
