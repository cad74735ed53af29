#include "clicommon.h"
#include "../auditsources.h"
#include "auditreportoutput.h"
#include "auditwhatif.h"
#include "studentaudit.h"
#include "../studentslices.h"
#include "commands.h"

#include "audit/auditreportbuilder.h"
#include "audit/auditset.h"
#include "audit/completionplan.h"
#include "audit/setimpact.h"
#include "audit/studentfile.h"
#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/systemnumber.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"
#include "requirements/requirementfile.h"
#include "database.h"
#include "jsonschema.h"
#include "textfold.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTextStream>

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace zr::app::cli {

namespace {

constexpr qint32 StrSummary = 63250;   // "%1 students, %2 met, %3 not met, %4 excepted"
enum : qint32 {
    StrUnknownContext = 62234, // "unknown requirement context %1 (101 to 112)", as for every target
    StrWhatIfForOne = 62258,
    StrPlanForOne = 62259,
    StrAsOfNotFile = 62260,
    StrOneMode = 62261,
    StrBadJobs = 62262, // "--jobs must be from 1 to %1, not %2"
    StrAllNeedsProgramme = 62263,
    StrImpactNeedsProgramme = 62264,
    StrDescription = 62337,
    StrFileOption = 62338,
    StrStudentFileOption = 62339,
    StrStudentOption = 62340,
    StrAllOption = 62341,
    StrJsonOption = 62342,
    StrWhatIfProgrammeOption = 62343,
    StrWhatIfCurriculumOption = 62344,
    StrPlanOption = 62345,
    StrJobsOption = 62346,
    StrValidateOption = 62347,
    StrAsOfOption = 62348,
};
constexpr int MaxJobs = 64;

int exitFor(SetVerdict verdict)
{
    return verdict == SetVerdict::Unmet ? ExitInvalid : ExitOk;
}

QJsonObject traceJson(const AuditTrace &trace, const QVariant &studentId)
{
    QJsonArray requirements;
    for (const RequirementTrace &r : trace.requirements) {
        QJsonObject requirement{{QStringLiteral("ocID"), r.ocID},
                                {QStringLiteral("conID"), r.typeId},
                                {QStringLiteral("caption"), r.caption},
                                {QStringLiteral("verdict"), VerdictWord(r.verdict)},
                                {QStringLiteral("measured"), r.measured},
                                {QStringLiteral("missing"), QJsonArray::fromStringList(r.missing)}};
        // A requirement that counts its courses nowhere else: the ids of those it counted.
        if (!r.counted.isEmpty()) {
            QJsonArray counted;
            for (qint32 course : r.counted)
                counted.append(course);
            requirement.insert(QStringLiteral("counted"), counted);
        }
        requirements.append(requirement);
    }
    return QJsonObject{{QStringLiteral("student_ID"), QJsonValue::fromVariant(studentId)},
                       {QStringLiteral("result"), VerdictWord(trace.verdict)},
                       {QStringLiteral("requirements"), requirements}};
}

// A what-if names the courses it counts as passed first: "PLANNED" lines, or "planned" in JSON.
int printTrace(const AuditTrace &trace, const StudentRecord &record, bool json,
               const QList<PlannedCourse> &planned = {})
{
    if (json) {
        QJsonObject object = traceJson(trace, record.student.value(QStringLiteral("student_ID")));
        if (!planned.isEmpty())
            object.insert(QStringLiteral("planned"), PlannedJson(planned));
        PrintLine(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)).trimmed());
    } else {
        for (const PlannedCourse &p : planned)
            PrintLine(QStringLiteral("PLANNED\t") + (p.course.code + QLatin1Char(' ') + p.course.title).trimmed()
                      + QLatin1Char('\t') + FormatLanguageNumber(p.grade.value_or(0), 2, CurrentLanguage()));
        for (const RequirementTrace &r : trace.requirements) {
            PrintLine(VerdictWord(r.verdict) + QStringLiteral("\t[%") + QString::number(r.ocID) + QStringLiteral("]\t")
                      + r.caption + QLatin1Char('\t') + r.measured);
        }
        PrintLine(QStringLiteral("RESULT ") + VerdictWord(trace.verdict));
    }
    return exitFor(trace.verdict);
}

const SchemaTable &studentView()
{
    static const server::JsonSchema schema;
    return *schema.table(QStringLiteral("v_students"));
}

int auditFile(CommandLine &command, bool json, const ReportRequest &request)
{
    const QString path = command.required(QStringLiteral("file"));
    const QString studentPath = command.required(QStringLiteral("student-file"));
    command.setSubject(QStringLiteral("file %1, student file %2").arg(path, studentPath));
    const RequirementFile file = ReadSetFileOf(command.server(), path);
    AuditCodes carried; // the courses the student file names
    const StudentRecord record = ReadStudentFile(studentPath, studentView(), &carried);
    CheckSameProgramme(record, file.objectKind, file.object.value(QStringLiteral("objID")));
    AuditCodes codes = carried;
    codes.fold = server::FoldForMatch;
    Recordset rows = file.rows;
    // Checked first, when asked, as validate and import check it: what they refuse is refused here too.
    if (command.parser().isSet(QStringLiteral("validate"))) {
        command.onlyReads();
        qint32 curriculum = 0;
        Recordset parent = FileSetToCheck(command.server(), file, &curriculum);
        CheckSet(parent, file.objectKind, file.context, curriculum, command.server(), &file);
        rows = SetRowsOf(parent, file.objectKind, file.context, curriculum);
    }
    QHash<qint32, QString> descriptions;
    QList<CatalogCourse> catalog;
    // The database, when there is one, names courses, describes requirements and lists the
    // programme's courses; without one names show as numbers, and no department's current
    // period is known.
    try {
        const AuditCodes named = LoadCodes(command.server(), file.object.value(QStringLiteral("depID")).toString());
        descriptions = DescribeRows(command.server(), rows);
        if (request.format != ReportFormat::Lines)
            catalog = ProgrammeCatalog(command.server(), record.student.value(QStringLiteral("progrspoud_ID")).toInt());
        codes = named;
        // What the file names and the database does not know keeps the file's name.
        const auto fillIn = [](QHash<qint32, QString> &known, const QHash<qint32, QString> &fromFile) {
            for (auto it = fromFile.cbegin(); it != fromFile.cend(); ++it)
                if (!known.contains(it.key()))
                    known.insert(it.key(), it.value());
        };
        fillIn(codes.courseCodes, carried.courseCodes);
        fillIn(codes.courseNames, carried.courseNames);
    } catch (const ZrError &) {
    }
    const AuditSet set = AuditSet::prepare(rows, file.context, codes).withDescriptions(descriptions);
    const AuditTrace trace = set.evaluate(record);
    if (request.format != ReportFormat::Lines)
        return WriteReport(ReportOfAudit(set, trace, record, catalog, ContextTitle(file.context)), request);
    return printTrace(trace, record, json);
}

int auditStudent(CommandLine &command, bool json, const ReportRequest &request)
{
    const qint32 studentId = command.wholeNumber(QStringLiteral("student"), true);
    const WhatIf whatIf = ReadWhatIf(command);
    // Without --kind and --object, his own programme's set, of the degree unless --context says otherwise.
    const bool named = command.parser().isSet(QStringLiteral("kind")) || command.parser().isSet(QStringLiteral("object"));
    const qint32 context = whatIf.asked || command.parser().isSet(QStringLiteral("context"))
                               ? command.wholeNumber(QStringLiteral("context"), true)
                               : CtxDegree;
    if (!named && !IsKnownContext(context))
        throw Usage(StrUnknownContext, {QString::number(context)});
    const SetTarget target = whatIf.asked ? TargetOfWhatIf(command.server(), studentId, whatIf, context)
                             : named      ? ReadTarget(command)
                                          : OwnProgrammeTarget(command.server(), studentId, context,
                                                               command.wholeNumber(QStringLiteral("curriculum"), false));
    command.setSubject(QStringLiteral("student %1, %2").arg(studentId).arg(DescribeTarget(target)));
    std::optional<QString> plan;
    if (command.parser().isSet(QStringLiteral("plan")))
        plan = command.parser().value(QStringLiteral("plan"));
    const StudentAudit audit = AuditStoredStudent(command.server(), studentId, target, whatIf, plan, command.asOf(),
                                                  request.format != ReportFormat::Lines);
    if (request.format != ReportFormat::Lines)
        return WriteReport(audit.report(target.context, command.asOf()), request);
    if (whatIf.asked) {
        if (json) {
            // The what-if leads the trace's object, as the planned courses do.
            PrintLine(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("whatIf"), audit.whatIfCaption},
                                                                   {QStringLiteral("outside"), QJsonArray::fromStringList(audit.outside)}})
                                            .toJson(QJsonDocument::Compact)));
        } else {
            PrintLine(QStringLiteral("WHAT-IF\t") + audit.whatIfCaption);
            for (const QString &course : audit.outside)
                PrintLine(QStringLiteral("OUTSIDE\t") + course);
        }
    }
    return printTrace(audit.trace, audit.record, json, audit.planned);
}

// The curricula of the programme that have a set of the target's context, in order.
QList<qint32> curriculaWithSets(const QString &server, const SetTarget &target)
{
    auto db = server::Database::open(server);
    QSqlQuery &q = db->exec(QStringLiteral("SELECT DISTINCT secobjID FROM QEMObjectConstraint "
                                           "WHERE conobject = ? AND objID = ? AND contypeID = ? ORDER BY secobjID"),
                            {target.kind, target.objectId.toLongLong(), target.context}, QStringLiteral("audit"));
    QList<qint32> curricula;
    while (q.next()) {
        bool ok = false;
        const qint32 curriculum = q.value(0).toString().toInt(&ok);
        if (ok)
            curricula << curriculum;
    }
    q.finish();
    return curricula;
}

// A bar on stderr, redrawn every 200 students or so, when stderr is a terminal.
class Progress
{
public:
    explicit Progress(qint64 total) : m_total(total), m_shown(isatty(fileno(stderr)) && total > 0) {}
    void advance(qint64 done)
    {
        if (!m_shown || (done - m_drawn < 200 && done != m_total))
            return;
        m_drawn = done;
        const int width = 40;
        const int filled = int(width * done / m_total);
        std::fprintf(stderr, "\r[%s%s] %lld/%lld", QByteArray(filled, '#').constData(),
                     QByteArray(width - filled, ' ').constData(), static_cast<long long>(done),
                     static_cast<long long>(m_total));
        std::fflush(stderr);
    }
    ~Progress()
    {
        if (m_shown) {
            std::fputs("\n", stderr);
        }
    }

private:
    qint64 m_total;
    bool m_shown;
    qint64 m_drawn = 0;
};

int auditAll(CommandLine &command, bool json, int jobs)
{
    const SetTarget target = ReadTarget(command);
    command.setSubject(QStringLiteral("all students, %1").arg(DescribeTarget(target)));
    if (target.kind != 1)
        throw Usage(StrAllNeedsProgramme);
    // Without --curriculum, a set per curriculum: each student is checked against his curriculum's.
    QHash<qint32, AuditSet> ofCurriculum;
    StoredSet stored;
    const bool eachCurriculum = PerCurriculum(target) && target.curriculum == 0;
    if (eachCurriculum) {
        for (qint32 curriculum : curriculaWithSets(command.server(), target)) {
            SetTarget one = target;
            one.curriculum = curriculum;
            stored = LoadStoredSet(command.server(), one, command.asOf(), ofCurriculum.isEmpty() ? nullptr : &stored.codes,
                                   CourseNames::Skipped);
            ofCurriculum.insert(curriculum, stored.set);
        }
        if (ofCurriculum.isEmpty())
            stored = LoadStoredSet(command.server(), target, command.asOf()); // says why there is nothing to check
    } else {
        stored = LoadStoredSet(command.server(), target, command.asOf(), nullptr, CourseNames::Skipped);
    }
    const QHash<qint32, AuditSet> own = RegulationSets(command.server(), qint32(target.objectId.toLongLong()),
                                                       target.context, stored.codes, command.asOf());
    const std::optional<QSet<qint64>> exceptedThen = ExceptedAt(command.server(), target, command.asOf());
    const AuditSet nothingToMeet; // a curriculum without a set
    const StudentWalk walk{command.server(), qint32(target.objectId.toLongLong()), CurriculumOf(target),
                           ScopeOf(target)};
    // Runs on the walk's threads: it only reads the sets prepared above.
    const auto check = [&](const StudentRecordRows &rows, SliceOutput &slice) {
        StudentRecord record = StudentRecord::fromRows(rows);
        if (exceptedThen)
            record.excepted = exceptedThen->contains(record.studentId());
        // Chosen by reference, never copied: a copy per student would count on the shared set from every thread.
        const AuditSet *set = &stored.set;
        if (const auto it = record.regulation ? own.constFind(record.studentId()) : own.constEnd(); it != own.constEnd()) {
            set = &*it;
        } else if (eachCurriculum) {
            const auto of = ofCurriculum.constFind(record.student.value(QStringLiteral("orient_ID")).toInt());
            set = of != ofCurriculum.constEnd() ? &*of : &nothingToMeet;
        }
        const AuditTrace trace = set->evaluate(record, AuditDetail::VerdictsOnly);
        ++slice.counts[size_t(trace.verdict)];
        // What stands between the student and the set: the requirements whose meeting would make it met.
        const QString deciding = trace.decidingNames();
        if (json) {
            slice.text += QJsonDocument(QJsonObject{{QStringLiteral("student_ID"), record.studentId()},
                                                    {QStringLiteral("result"), VerdictWord(trace.verdict)},
                                                    {QStringLiteral("deciding"),
                                                     deciding.isEmpty() ? QJsonValue() : QJsonValue(deciding)}})
                              .toJson(QJsonDocument::Compact);
        } else {
            slice.text += QByteArray::number(record.studentId()) + '\t' + VerdictWord(trace.verdict).toUtf8() + '\t'
                          + deciding.toUtf8();
        }
        slice.text += '\n';
    };
    qint64 counts[3] = {0, 0, 0}; // met, unmet, excepted
    qint64 done = 0;
    std::optional<Progress> progress;
    qint64 total = 0;
    WalkInSlices(
        walk, jobs, check,
        [&](const SliceOutput &slice) {
            if (!progress)
                progress.emplace(total);
            std::fwrite(slice.text.constData(), 1, size_t(slice.text.size()), stdout);
            for (size_t k = 0; k < 3; ++k)
                counts[k] += slice.counts[k];
            done += slice.students;
            progress->advance(done);
        },
        &total);
    std::fflush(stdout);
    QTextStream out(stdout);
    const QString summary = ReplaceParams(GetLangString(StrSummary),
                                          {QString::number(done), QString::number(counts[0]), QString::number(counts[1]),
                                           QString::number(counts[2])});
    if (json) {
        out << QJsonDocument(QJsonObject{{QStringLiteral("students"), done},
                                         {QStringLiteral("met"), counts[0]},
                                         {QStringLiteral("unmet"), counts[1]},
                                         {QStringLiteral("excepted"), counts[2]},
                                         {QStringLiteral("summary"), summary}})
                   .toJson(QJsonDocument::Compact)
            << '\n';
    } else {
        out << summary << '\n';
    }
    out.flush();
    return counts[1] > 0 ? ExitInvalid : ExitOk;
}

} // namespace

int PrintImpact(CommandLine &command, const SetTarget &target, const Recordset &edited, bool json)
{
    if (target.kind != 1)
        throw Usage(StrImpactNeedsProgramme);
    const qint32 programme = qint32(target.objectId.toLongLong());
    SetImpact impact = PrepareImpact(command.server(), programme, target.context, {CurriculumOf(target)}, edited);
    Progress progress(StudentCount(command.server(), qint32(target.objectId.toLongLong()), CurriculumOf(target)));
    const ImpactReport report = SetImpact::measure(*ServerObjectOf<cStudent>(command.server()), programme,
                                                   CurriculumOf(target),
                                                   ScopeOf(target), std::move(impact), [&](qint64 done) {
                                                       progress.advance(done);
                                                       return true;
                                                   });
    QTextStream out(stdout);
    for (const StudentImpact &c : report.changes) {
        if (json) {
            out << QJsonDocument(QJsonObject{{QStringLiteral("student_ID"), c.studentId},
                                             {QStringLiteral("spec_aem"), c.registration},
                                             {QStringLiteral("name"), c.name},
                                             {QStringLiteral("before"), VerdictWord(c.before)},
                                             {QStringLiteral("after"), VerdictWord(c.after)},
                                             {QStringLiteral("decidedBy"), c.decidedBy}})
                       .toJson(QJsonDocument::Compact)
                << '\n';
        } else {
            out << c.studentId << '\t' << c.registration << '\t' << c.name << '\t' << VerdictWord(c.before) << '\t'
                << VerdictWord(c.after) << '\t' << c.decidedBy << '\n';
        }
    }
    if (json) {
        out << QJsonDocument(QJsonObject{{QStringLiteral("students"), report.students},
                                         {QStringLiteral("noLongerMeet"), report.noLongerMeet()},
                                         {QStringLiteral("nowMeet"), report.nowMeet()},
                                         {QStringLiteral("summary"), report.summary()}})
                   .toJson(QJsonDocument::Compact)
            << '\n';
    } else {
        out << report.summary() << '\n';
    }
    out.flush();
    return report.changes.isEmpty() ? ExitOk : ExitInvalid;
}

int runAudit(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("audit"), GetLangString(StrDescription));
    const auto option = [&](const QString &name, qint32 description, const QString &valueName = QString()) {
        command.addOption({name, GetLangString(description), valueName});
    };
    option(QStringLiteral("file"), StrFileOption, QStringLiteral("SET.json"));
    option(QStringLiteral("student-file"), StrStudentFileOption, QStringLiteral("STUDENT.json"));
    option(QStringLiteral("student"), StrStudentOption, QStringLiteral("ID"));
    option(QStringLiteral("all"), StrAllOption);
    option(QStringLiteral("json"), StrJsonOption);
    option(QStringLiteral("what-if-programme"), StrWhatIfProgrammeOption, QStringLiteral("P"));
    option(QStringLiteral("what-if-curriculum"), StrWhatIfCurriculumOption, QStringLiteral("X"));
    option(QStringLiteral("plan"), StrPlanOption, QStringLiteral("CODE[:GRADE],..."));
    option(QStringLiteral("jobs"), StrJobsOption, QStringLiteral("N"));
    AddReportOptions(command);
    option(QStringLiteral("validate"), StrValidateOption);
    AddTargetOptions(command);
    command.addAsOfOption(GetLangString(StrAsOfOption));
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    const QCommandLineParser &p = command.parser();
    if ((p.isSet(QStringLiteral("what-if-programme")) || p.isSet(QStringLiteral("what-if-curriculum")))
        && !p.isSet(QStringLiteral("student")))
        return command.fail(Usage(StrWhatIfForOne));
    if (p.isSet(QStringLiteral("plan")) && !p.isSet(QStringLiteral("student")))
        return command.fail(Usage(StrPlanForOne));
    if (p.isSet(QStringLiteral("as-of")) && p.isSet(QStringLiteral("file")))
        return command.fail(Usage(StrAsOfNotFile));
    const bool json = p.isSet(QStringLiteral("json"));
    ReportRequest request;
    if (const int failed = command.attempt([&] { request = ReadReportRequest(p); }); failed >= 0)
        return failed;
    const int modes = int(p.isSet(QStringLiteral("file"))) + int(p.isSet(QStringLiteral("student")))
                      + int(p.isSet(QStringLiteral("all")));
    if (modes != 1)
        return command.fail(Usage(StrOneMode));
    int code = ExitOk;
    const int failed = command.attempt([&] {
        if (p.isSet(QStringLiteral("file"))) {
            code = auditFile(command, json, request);
            return;
        }
        command.onlyReads();
        if (p.isSet(QStringLiteral("student"))) {
            code = auditStudent(command, json, request);
            return;
        }
        const int jobs = p.isSet(QStringLiteral("jobs")) ? command.wholeNumber(QStringLiteral("jobs"), false)
                                                        : DefaultWalkJobs();
        if (jobs < 1 || jobs > MaxJobs)
            throw Usage(StrBadJobs, {QString::number(MaxJobs), QString::number(jobs)});
        code = auditAll(command, json, jobs);
    });
    return failed >= 0 ? failed : code;
}

} // namespace zr::app::cli
