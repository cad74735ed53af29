#pragma once

// One stored student's audit with its what-ifs, as the command line prints it and the student
// card's what-if window shows it; and the stored set an audit reads.

#include "auditwhatif.h"
#include "clicommon.h"

#include "audit/auditcodes.h"
#include "audit/auditcodesource.h"
#include "audit/auditreport.h"
#include "audit/auditset.h"
#include "audit/completionplan.h"
#include "audit/coursecatalog.h"
#include "audit/studentrecord.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>

#include <optional>

namespace zr::app::cli {

/// What a stored set is audited with: its rows and the server's code tables.
struct StoredSet
{
    AuditSet set;
    AuditCodes codes;
    qint64 version = 0; ///< the stored version audited; 0 when none is kept
};

/// The set as stored, or, for a valid `asOf`, the version of it in force then; with the code
/// tables of its department unless they are `known` (another curriculum's of the same programme).
StoredSet LoadStoredSet(const QString &server, const SetTarget &target, const QDateTime &asOf,
                        const AuditCodes *known = nullptr, CourseNames courses = CourseNames::Read);
/// Whether the target's object keeps a set per curriculum (a programme's degree or curriculum choice).
bool PerCurriculum(const SetTarget &target);
/// The students the set's exception list held at `asOf`; nothing when no time is asked: the record says.
std::optional<QSet<qint64>> ExceptedAt(const QString &server, const SetTarget &target, const QDateTime &asOf);
/// The scope a student's record is read in for the target's exceptions.
RecordScope ScopeOf(const SetTarget &target);

/// The set of the student's own programme of `context` (of `curriculum`; 0: his own curriculum's
/// where the programme keeps a set per curriculum): what an audit of him checks by default.
SetTarget OwnProgrammeTarget(const QString &server, qint32 studentId, qint32 context, qint32 curriculum);
/// The set a what-if names, of `context`: its programme (the student's own when 0) and
/// curriculum. Throws UsageError for a programme that keeps a set per curriculum when none is named.
SetTarget TargetOfWhatIf(const QString &server, qint32 studentId, const WhatIf &whatIf, qint32 context);

/// One stored student checked against a stored set, with what the what-ifs counted.
struct StudentAudit
{
    StoredSet stored;
    StudentRecord record;
    AuditTrace trace;
    QList<CatalogCourse> catalog;  ///< the programme's courses, when read
    QList<PlannedCourse> planned;  ///< counted as passed
    QStringList outside;           ///< his courses the what-if's programme does not list, named
    QString whatIfCaption;         ///< "programme, curriculum" of a what-if; empty for his own

    /// The audit as the report a student is handed, naming the what-ifs in its header.
    AuditReport report(qint32 context, const QDateTime &asOf = {}) const;
};

/// Audits stored student `studentId` against the set of `target` (for an asked `whatIf`, the
/// target TargetOfWhatIf gives) as it stood at `asOf` (now when invalid), with the courses of
/// `plan` ("ΜΗΥ101:8,ΜΗΥ205", as PlannedCoursesOf reads it) counted as passed. `withCatalog` reads the
/// programme's courses even without a plan, for a report. Throws ZrError and UsageError.
StudentAudit AuditStoredStudent(const QString &server, qint32 studentId, SetTarget target, WhatIf whatIf,
                                const std::optional<QString> &plan, const QDateTime &asOf, bool withCatalog);

} // namespace zr::app::cli
