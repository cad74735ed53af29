#pragma once

// Where the audit's sets come from: a stored object's recordset, the server's
// code tables, the students' own degree requirements. The command line's
// audit and import --impact and the window's save share them.

#include "audit/auditcodes.h"
#include "audit/auditcodesource.h"
#include "audit/auditset.h"
#include "audit/coursecatalog.h"
#include "audit/setimpact.h"
#include "recordset/recordset.h"
#include "reqtypes/requirementvalue.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

namespace zr::app {

/// Each requirement of `rows` (by id) described in words as the editor describes it, with the
/// code tables of `server`.
QHash<qint32, QString> DescribeRows(const QString &server, const Recordset &rows);
/// Each of `values` described as DescribeRows describes a stored requirement: its values written
/// into a row of the fields of `shape` (a set's rows).
QHash<qint32, QString> DescribeValues(const QString &server, const Recordset &shape,
                                      const QList<RequirementValue> &values);
/// The set of `rows` prepared for the audit, its requirements described (DescribeRows).
AuditSet PrepareDescribed(const QString &server, const Recordset &rows, int context, const AuditCodes &codes);

/// The courses of programme `programme` on `server`, as a report lists them and a plan adds them.
QList<CatalogCourse> ProgrammeCatalog(const QString &server, qint32 programme);

/// The rows of the set of `kind`, `context` and `curriculum` in an object's hierarchical recordset.
Recordset SetRowsOf(const Recordset &parent, qint32 kind, qint32 context, qint32 curriculum);
/// The department of an object's hierarchical recordset; empty when it names none.
QString DepartmentOf(const Recordset &parent);
/// The code tables of `department` on `server`, text folded as the server folds it.
AuditCodes LoadCodes(const QString &server, const QString &department, CourseNames courses = CourseNames::Read);
/// The set of `kind`, `context` and `curriculum` of `parent`, prepared; a set
/// without requirements is an AuditSet never prepared (met by everyone).
AuditSet PreparedOrEmpty(const QString &server, const Recordset &parent, qint32 kind, qint32 context, qint32 curriculum,
                         const AuditCodes &codes);
/// A student's own degree requirements (individual regulation); empty when he has none stored.
/// With a valid `asOf`, those in force then: the version of his regulation saved last at or
/// before it, the regulation as first stored before its first save.
AuditSet RegulationSet(const QString &server, qint32 studentId, const AuditCodes &codes, const QDateTime &asOf = {});
/// The students of `programme` with their own degree requirements, with them (at `asOf`, as
/// above); none for a context other than the degree.
QHash<qint32, AuditSet> RegulationSets(const QString &server, qint32 programme, qint32 context, const AuditCodes &codes,
                                       const QDateTime &asOf = {});
/// The curricula that hold a set of `context` in a programme's recordset.
QList<qint32> CurriculaWithSets(const Recordset &parent, qint32 context);

/// The number of students of `programme` (of `curriculum`; 0 for every one).
qint64 StudentCount(const QString &server, qint32 programme, qint32 curriculum);

/// What replacing the programme's stored sets of `context` by those of
/// `edited` does, ready to walk the students: one pair per curriculum of
/// `curricula` (the one 0 for a context whose sets are not per curriculum;
/// when empty, every curriculum either recordset holds a set of), the
/// students with their own degree requirements left out.
SetImpact PrepareImpact(const QString &server, qint32 programme, qint32 context, const QList<qint32> &curricula,
                        const Recordset &edited);

} // namespace zr::app
