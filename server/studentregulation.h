#pragma once

#include "recordset/recordset.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

namespace zr::server {

class Database;

/// Which degree requirements apply to one student: an individual
/// regulation (a QEMStudRegulation row, requirements of object kind 8) or
/// the requirements of the student's programme and curriculum.
class StudentRegulation
{
public:
    /// Reads the student's programme, curriculum and regulation flag. Throws
    /// a localised ErrNotFound when the student does not exist.
    StudentRegulation(Database &db, qint32 studentId, const QString &source);

    bool isIndividual() const { return m_individual; }
    /// True when the student's programme exists.
    bool hasProgramme() const { return !m_programme.isNull(); }

    /// The student's requirements with descriptions: the individual ones, or
    /// the programme's. Throws a localised ErrNotFound when the student has
    /// neither an individual regulation nor a programme.
    Recordset loadWithDescription();
    /// Adds to `rows` (the requirement rows of the student's edit set) a
    /// pending new row for each of the programme's degree requirements, so
    /// that a first edit starts from the programme's regulation. The copies
    /// belong to the student and share one expression naming all of them.
    void addProgrammeCopies(Recordset &rows);

private:
    // WHERE clause of the programme's degree requirements that apply.
    QString programmeWhere(QVariantList &values);

    Database &m_db;
    QString m_source;
    qint32 m_studentId = 0;
    QVariant m_programme;
    QVariant m_curriculum;
    bool m_individual = false;
};

} // namespace zr::server
