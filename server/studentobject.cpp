#include "studentobject.h"
#include "roles.h"

#include "exceptionkey.h"
#include "filterparser.h"
#include "requirementstore.h"
#include "servererrors.h"
#include "setchangesummary.h"
#include "studentrecords.h"
#include "setversionstore.h"
#include "studentregulation.h"
#include "common/zrerror.h"

#include <QDate>
#include <QDateTime>
#include <QSqlQuery>

namespace zr::server {

Recordset StudentObject::LoadExcludedStudents(const QVariant &objectId, qint32 objectKind, qint32 context,
                                              qint32 extraKey, qint64 *version)
{
    const QString source = QStringLiteral("cStudent.LoadExcludedStudents");
    const SchemaTable &view = m_db->knownTable(QStringLiteral("v_students"), source);
    QVariantList values;
    const QString key = ExceptionKeyCondition(objectId, objectKind, context, extraKey, values);
    Database::Transaction tx(*m_db, Database::Transaction::Read, source);
    Recordset students = m_db->select(view, {},
                                      QStringLiteral("student_ID IN (SELECT student_ID FROM QEMExcludedStudents WHERE ")
                                          + key + QLatin1Char(')'),
                                      values, QStringLiteral("lastname, firstname, student_ID"), source);
    if (version)
        *version = SetVersionStore(*m_db, source).of(ExceptionListKey(objectKind, objectId, context, extraKey)).number;
    tx.commit();
    return students;
}

QVariant StudentObject::SaveExcludedStudent(const QString &sessionID, const QString &studentIds,
                                            const QVariant &objectId, qint32 objectKind, qint32 context,
                                            qint32 extraKey, qint32 mode, qint64 *version)
{
    const QString source = QStringLiteral("cStudent.SaveExcludedStudent");
    if (mode != 0 && mode != 1)
        throw ZrError(ErrBadArgument, source, QStringLiteral("Mode %1 is neither 0 (add) nor 1 (remove).").arg(mode));
    QList<qlonglong> ids;
    for (const QString &part : studentIds.split(QLatin1Char(','), Qt::KeepEmptyParts)) {
        bool ok = false;
        const qlonglong id = part.trimmed().toLongLong(&ok);
        if (!ok || id <= 0)
            throw ZrError(ErrBadArgument, source,
                          QStringLiteral("\"%1\" is not a list of student ids.").arg(studentIds));
        if (!ids.contains(id))
            ids.append(id);
    }
    QVariantList keyValues;
    const QString key = ExceptionKeyCondition(objectId, objectKind, context, extraKey, keyValues);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    int added = 0, removed = 0;
    Database::Transaction tx(*m_db, Database::Transaction::Write, source);
    // The list as it was, kept as the version a change replaces.
    const QString list = ExceptionListKey(objectKind, objectId, context, extraKey);
    Roles::refuseUnlessMayChange(*m_db, list, source);
    m_db->lockForNewIds(QStringLiteral("QEMExcludedStudents"), source);
    SetVersionStore versions(*m_db, source);
    const SetVersion locked = versions.lock(list);
    if (version && *version >= 0)
        versions.check(list, locked, *version);
    const QByteArray before = StoredExceptionListFile(*m_db, list, locked.number, source);
    QSqlQuery &m = m_db->exec(QStringLiteral("SELECT MAX(exID) FROM QEMExcludedStudents"), {}, source);
    qlonglong next = (m.next() ? m.value(0).toLongLong() : 0) + 1;
    m.finish();
    for (const qlonglong id : ids) {
        if (mode == 1) {
            QSqlQuery &q = m_db->exec(QStringLiteral("DELETE FROM QEMExcludedStudents WHERE student_ID = ? AND ") + key,
                                      QVariantList{id} + keyValues, source);
            removed += q.numRowsAffected();
            continue;
        }
        QSqlQuery &q = m_db->exec(QStringLiteral("SELECT COUNT(*) FROM QEMExcludedStudents WHERE student_ID = ? AND ")
                                      + key,
                                  QVariantList{id} + keyValues, source);
        const bool exists = q.next() && q.value(0).toInt() > 0;
        q.finish();
        if (exists)
            continue;
        QSqlQuery &s = m_db->exec(QStringLiteral("SELECT COUNT(*) FROM QEMStudents WHERE student_ID = ?"), {id}, source);
        const bool known = s.next() && s.value(0).toInt() > 0;
        s.finish();
        if (!known)
            throw ZrError(ErrNotFound, source, QStringLiteral("Student %1 does not exist.").arg(id));
        m_db->exec(QStringLiteral("INSERT INTO QEMExcludedStudents (exID, student_ID, objID, conobject, contypeID, "
                                  "extrakey, sessionID, ModifiedDate) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {next++, id, objectId.isNull() || objectId.toString().isEmpty() ? QVariant() : objectId.toLongLong(),
                    objectKind, context, extraKey, sessionID, stamp},
                   source);
        ++added;
    }
    const SetVersion now = added + removed > 0 ? versions.raise(list, locked, before, EncodeChangeCounts({added, removed}))
                                               : locked;
    tx.commit();
    if (version)
        *version = now.number;
    return added + removed;
}

Recordset StudentObject::LoadStudents(const QString &filter)
{
    const QString source = QStringLiteral("cStudent.LoadStudents");
    const SchemaTable &view = m_db->knownTable(QStringLiteral("v_students"), source);
    const BoundFilter where = parseFilter(filter, view, m_db->dialect(), source);
    return m_db->select(view, {}, where.sql, where.values, QStringLiteral("lastname, firstname, student_ID"), source);
}

Recordset StudentObject::LoadStudConstraints(const QString &sessionID, qint32 studentId)
{
    Q_UNUSED(sessionID);
    const QString source = QStringLiteral("cStudent.LoadStudConstraints");
    Database::Transaction tx(*m_db, Database::Transaction::Read, source);
    StudentRegulation regulation(*m_db, studentId, source);
    Recordset editSet = RequirementStore(*m_db).loadObject(8, studentId, QVariant(), source);
    // A first edit starts from the programme's regulation; nothing is stored
    // until the edited set is saved.
    Recordset parent = editSet.clone();
    parent.moveFirst();
    Recordset rows = parent.chapter(u"QEMObjectConstraint");
    regulation.addProgrammeCopies(rows);
    tx.commit();
    return editSet;
}

QVariant StudentObject::SaveStudConstraints(const QString &sessionID, Recordset &editSet)
{
    const QString source = QStringLiteral("cStudent.SaveStudConstraints");
    if (editSet.isNull() || !editSet.hasField(u"student_ID"))
        throw ZrError(ErrBadArgument, source, QStringLiteral("The recordset is not a student's requirement set."));
    Recordset parent = editSet.clone();
    parent.moveFirst();
    if (parent.eof() || parent.value(u"student_ID").isNull())
        throw ZrError(ErrBadArgument, source, QStringLiteral("The recordset names no student."));
    const qint32 studentId = parent.value(u"student_ID").toInt();
    RequirementStore(*m_db).save(editSet, source, [&] {
        QSqlQuery &q = m_db->exec(QStringLiteral("SELECT COUNT(*) FROM QEMStudRegulation WHERE student_ID = ?"),
                                  {studentId}, source);
        const bool exists = q.next() && q.value(0).toInt() > 0;
        q.finish();
        if (!exists)
            m_db->exec(QStringLiteral("INSERT INTO QEMStudRegulation (student_ID, regdate, sessionID) VALUES (?, ?, ?)"),
                       {studentId, QDate::currentDate().toString(Qt::ISODate), sessionID}, source);
    });
    editSet = LoadStudConstraints(sessionID, studentId);
    return QVariant();
}

StudentRecordRows StudentObject::LoadStudentRecord(qint32 studentId, const RecordScope &scope)
{
    return StudentRecordReader(*m_db, QStringLiteral("cStudent.LoadStudentRecord")).load(studentId, scope);
}

qint64 StudentObject::WalkStudentRecords(qint32 programmeId, qint32 curriculumId, const RecordScope &scope,
                                         const StudentRecordVisitor &visit, const StudentRangeSource &ranges)
{
    return StudentRecordReader(*m_db, QStringLiteral("cStudent.WalkStudentRecords"))
        .walk(programmeId, curriculumId, scope, visit, ranges);
}

} // namespace zr::server
