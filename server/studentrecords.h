#pragma once

#include "common/serverobjects.h"

#include <QHash>
#include <QList>

#include <optional>

namespace zr::server {

class Database;

/// Reads students' academic records: one ordered query per table (students,
/// results, enrolments, projects, practicums) merged by student id, and one
/// for the attributes of the courses, so that a walk over a whole programme
/// runs six statements whatever its size. On PostgreSQL each query is a
/// cursor read in batches; on SQLite the statements are stepped directly.
class StudentRecordReader
{
public:
    StudentRecordReader(Database &db, const QString &source) : m_db(db), m_source(source) {}

    /// The record of one student; throws ErrNotFound when there is none.
    StudentRecordRows load(qint32 studentId, const RecordScope &scope);
    /// Walks the records of a programme's students (of one curriculum when
    /// `curriculumId` is not 0) as cStudent::WalkStudentRecords says.
    qint64 walk(qint32 programmeId, qint32 curriculumId, const RecordScope &scope,
                const cStudent::StudentRecordVisitor &visit, const cStudent::StudentRangeSource &ranges = {});

private:
    struct Selection;
    static QString studentsQuery(const QStringList &columns, const RecordScope &scope, const Selection &selection,
                                 QVariantList &values);
    using CourseAttributes = std::optional<QHash<int, QList<double>>>;
    qint64 run(const Selection &selection, const RecordScope &scope, const cStudent::StudentRecordVisitor &visit,
               CourseAttributes &courses);

    Database &m_db;
    QString m_source;
};

} // namespace zr::server
