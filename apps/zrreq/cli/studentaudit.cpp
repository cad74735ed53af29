#include "studentaudit.h"

#include "../auditsources.h"

#include "audit/auditreportbuilder.h"
#include "auditreportoutput.h"
#include "common/createserverobject.h"
#include "common/serverobjects.h"
#include "reqtypes/typecatalog.h"
#include "requirements/requirementfile.h"
#include "database.h"
#include "exceptionhistory.h"
#include "requirementstore.h"
#include "setversionstore.h"

namespace zr::app::cli {

namespace {
constexpr qint32 StrSetPerCurriculum = 62271;

qint32 programmeOf(const QString &server, qint32 studentId)
{
    // The server refuses a student it does not know.
    return StudentRecord::fromRows(ServerObjectOf<cStudent>(server)->LoadStudentRecord(studentId, {}))
        .student.value(QStringLiteral("progrspoud_ID"))
        .toInt();
}
} // namespace

StoredSet LoadStoredSet(const QString &server, const SetTarget &target, const QDateTime &asOf, const AuditCodes *known,
                        CourseNames courses)
{
    const Recordset parent = LoadTarget(server, target);
    StoredSet stored;
    stored.codes = known ? *known : LoadCodes(server, DepartmentOf(parent), courses);
    auto db = server::Database::open(server);
    if (asOf.isValid()) {
        const RequirementFile file = ReadRequirementFile(
            server::RequirementStore(*db).versionFileAt(SetKeyOf(target), asOf, QStringLiteral("zrreq audit")));
        stored.set = PrepareDescribed(server, file.rows, target.context, stored.codes);
        stored.version = std::max<qint64>(file.version, 0);
        return stored;
    }
    stored.version = server::SetVersionStore(*db, QStringLiteral("zrreq audit")).of(SetKeyOf(target)).number;
    stored.set = PrepareDescribed(server, SetRowsOf(parent, target.kind, target.context, CurriculumOf(target)),
                                  target.context, stored.codes);
    return stored;
}

bool PerCurriculum(const SetTarget &target)
{
    return CurriculumOf(SetTarget{target.kind, target.objectId, target.context, 1}) != 0;
}

std::optional<QSet<qint64>> ExceptedAt(const QString &server, const SetTarget &target, const QDateTime &asOf)
{
    if (!asOf.isValid())
        return std::nullopt;
    auto db = server::Database::open(server);
    return server::ExceptedStudentsAt(*db, ExceptionListKeyOfSet(SetKeyOf(target)), asOf, QStringLiteral("zrreq audit"));
}

RecordScope ScopeOf(const SetTarget &target)
{
    // Exceptions are kept per object and context, without a secondary key, as the editor keeps them.
    return RecordScope{target.kind, QVariant(target.objectId.toLongLong()), target.context, 0};
}

SetTarget OwnProgrammeTarget(const QString &server, qint32 studentId, qint32 context, qint32 curriculum)
{
    return SetTarget{1, QString::number(programmeOf(server, studentId)), context, curriculum};
}

SetTarget TargetOfWhatIf(const QString &server, qint32 studentId, const WhatIf &whatIf, qint32 context)
{
    const qint32 programme = whatIf.programme != 0 ? whatIf.programme : programmeOf(server, studentId);
    const SetTarget target{1, QString::number(programme), context, whatIf.curriculum};
    if (PerCurriculum(target) && target.curriculum == 0)
        throw Usage(StrSetPerCurriculum, {QString::number(programme)});
    return target;
}

StudentAudit AuditStoredStudent(const QString &server, qint32 studentId, SetTarget target, WhatIf whatIf,
                                const std::optional<QString> &plan, const QDateTime &asOf, bool withCatalog)
{
    StudentAudit audit;
    audit.record = StudentRecord::fromRows(ServerObjectOf<cStudent>(server)->LoadStudentRecord(studentId, ScopeOf(target)));
    if (whatIf.asked)
        audit.record = RecordInWhatIf(server, audit.record, target, whatIf);
    CheckSameProgramme(audit.record, target.kind, target.objectId);
    if (const auto excepted = ExceptedAt(server, target, asOf))
        audit.record.excepted = excepted->contains(studentId);
    // A programme's set per curriculum, without one named: the student's own curriculum's.
    if (PerCurriculum(target) && target.curriculum == 0)
        target.curriculum = audit.record.student.value(QStringLiteral("orient_ID")).toInt();
    audit.stored = LoadStoredSet(server, target, asOf);
    // At an earlier time the regulation in force then, whether or not the student has one now.
    if ((audit.record.regulation || asOf.isValid()) && target.context == CtxDegree) {
        const AuditSet own = RegulationSet(server, studentId, audit.stored.codes, asOf);
        if (own.size() > 0)
            audit.stored.set = own;
    }
    // What if he passed these: the courses count as passed before the audit.
    audit.catalog = whatIf.catalog;
    if (audit.catalog.isEmpty() && (withCatalog || plan))
        audit.catalog = ProgrammeCatalog(server, audit.record.student.value(QStringLiteral("progrspoud_ID")).toInt());
    if (plan) {
        audit.planned = PlannedCoursesOf(*plan, audit.catalog, audit.record);
        audit.record = WithPlannedCourses(audit.record, audit.planned, audit.stored.codes);
    }
    audit.trace = audit.stored.set.evaluate(audit.record);
    for (qint32 course : std::as_const(whatIf.outside))
        audit.outside << CourseLabel(audit.stored.codes, course);
    audit.whatIfCaption = whatIf.caption;
    return audit;
}

AuditReport StudentAudit::report(qint32 context, const QDateTime &asOf) const
{
    AuditReport report = ReportOfAudit(stored.set, trace, record, catalog, ContextTitle(context), stored.version, asOf);
    for (const PlannedCourse &p : planned) {
        report.planned << ReportCourseOf(p.course);
        report.planned.last().grade = p.grade;
    }
    report.whatIf = whatIfCaption;
    report.outside = outside;
    return report;
}

} // namespace zr::app::cli
