#pragma once

#include "auditcodes.h"
#include "studentrecord.h"
#include "common/schema.h"
#include "zrreq_export.h"

#include <QByteArray>
#include <QString>

namespace zr {

/// A student's academic record as kept in a file, to check requirements
/// against without a database. The file is JSON:
///   {"format": "zrreq-student/1",
///    "student": {"student_ID": 7, ... any column of v_students},
///    "results": [{"courseID", "year", "examPeriod", "teachingPeriod", "grade", "exemption",
///                 "ctypeID", "semID", "dgID", "categoryID", "sectorID", "areaID",
///                 "credits", "hours", "ects", "coefficient", "inDegreeGrade"}],
///    "enrolments": [{"courseID", "year", "teachingPeriod", "classCategory"}],
///    "projects": [{"typeID", "completed", "credits", "ects"}],
///    "practicums": [{"completed"}],
///    "courses": [{"courseID", "code", "title", "title_en"}],
///    "excepted": false, "regulation": false}
/// Ids and years are whole numbers, grades numbers from 0 to 10, amounts
/// numbers, flags true or false; student columns follow the view's types
/// (dates as "yyyy-mm-dd"). student_ID and every courseID and year are
/// required; any other field may be null or left out (a flag left out is
/// false, a list left out is empty). "courses" names the courses the record
/// mentions, so that an audit without a database names them by code and title.
struct ZRREQ_EXPORT StudentFile
{
    /// The value of "format" this code reads and writes.
    static QString formatName() { return QStringLiteral("zrreq-student/1"); }
    /// Larger files are refused before they are read.
    static constexpr qint64 MaximumSize = 16 * 1024 * 1024;
};

/// Writes `record` as a student file; `students` describes v_students. With
/// `names`, the courses it mentions are named by their codes and titles there.
/// Throws ZrError for a student column the view does not have.
ZRREQ_EXPORT QByteArray WriteStudentFile(const StudentRecord &record, const SchemaTable &students,
                                         const AuditCodes *names = nullptr);

/// Reads a student file whose student columns are those of `students`
/// (v_students). The file is taken whole or not at all: ZrError 10301 to
/// 10313 names the first fault (too large, bad JSON, another format, an
/// unknown or missing field, a value of the wrong type or out of range).
/// The courses the file names go into `names` (codes and titles, the English
/// title in English when there is one).
ZRREQ_EXPORT StudentRecord ReadStudentFile(const QByteArray &json, const SchemaTable &students,
                                           AuditCodes *names = nullptr);
/// Reads the file at `path`; ZrError 10300 when it cannot be read.
ZRREQ_EXPORT StudentRecord ReadStudentFile(const QString &path, const SchemaTable &students,
                                           AuditCodes *names = nullptr);

} // namespace zr
