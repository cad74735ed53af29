#include "constraintsobject.h"

#include "requirementstore.h"
#include "servererrors.h"
#include "common/zrerror.h"

#include <QSqlQuery>

namespace zr::server {

Recordset ConstraintsObject::LoadConstraintsWithDescription(QVariant &conobject, QVariant &contypeID,
                                                            QVariant &objID, QVariant &secobjID)
{
    const QString source = QStringLiteral("cContraints.LoadConstraintsWithDescription");
    bool okKind = false, okContext = false;
    const int kind = conobject.toInt(&okKind);
    const int context = contypeID.toInt(&okContext);
    if (!okKind || !okContext)
        throw ZrError(ErrBadArgument, source, QStringLiteral("The object kind and the context must be numbers."));
    QString where = QStringLiteral("conobject = ? AND contypeID = ?");
    QVariantList values{kind, context};
    if (!objID.isNull() && !objID.toString().isEmpty()) {
        bool ok = false;
        const qlonglong id = objID.toLongLong(&ok);
        if (!ok)
            throw ZrError(ErrBadArgument, source, QStringLiteral("The object id \"%1\" is not a number.")
                                                      .arg(objID.toString()));
        where += QStringLiteral(" AND objID = ?");
        values.append(id);
    }
    if (!secobjID.isNull() && !secobjID.toString().isEmpty()) {
        where += QStringLiteral(" AND secobjID = ?");
        values.append(secobjID.toString());
    }
    return RequirementStore(*m_db).loadWithDescription(where, values, source);
}

Recordset ConstraintsObject::LoadStudPtyxConstraints(const QString &sessionID, qint32 studentId, bool &individual,
                                                     const QVariant &omitted, qint16 mode)
{
    Q_UNUSED(sessionID);
    Q_UNUSED(omitted);
    Q_UNUSED(mode);
    const QString source = QStringLiteral("cContraints.LoadStudPtyxConstraints");
    Database::Transaction tx(*m_db, Database::Transaction::Read, source);
    QSqlQuery &q = m_db->exec(QStringLiteral("SELECT s.progrspoud_ID, s.orient_ID, r.student_ID FROM QEMStudents s "
                                             "LEFT JOIN QEMStudRegulation r ON r.student_ID = s.student_ID "
                                             "WHERE s.student_ID = ?"),
                              {studentId}, source);
    if (!q.next())
        throw ZrError(ErrNotFound, source, QStringLiteral("Student %1 does not exist.").arg(studentId));
    const qlonglong programme = q.value(0).toLongLong();
    const QVariant orient = q.value(1);
    const bool hasRegulation = !q.value(2).isNull();
    q.finish();
    Recordset rows;
    if (hasRegulation) {
        rows = RequirementStore(*m_db).loadWithDescription(
            QStringLiteral("conobject = 8 AND contypeID = 103 AND objID = ?"), {studentId}, source);
    } else {
        QSqlQuery &c = m_db->exec(QStringLiteral("SELECT COUNT(*) FROM QEMDPOrientation WHERE prID = ?"), {programme},
                                  source);
        const int curricula = c.next() ? c.value(0).toInt() : 0;
        c.finish();
        // With several curricula the degree rules are those of the student's
        // own; before one is chosen only rules common to all apply.
        QString where = QStringLiteral("conobject = 1 AND contypeID = 103 AND objID = ?");
        QVariantList values{programme};
        if (curricula > 1) {
            if (orient.isNull()) {
                where += QStringLiteral(" AND (secobjID IS NULL OR secobjID = '')");
            } else {
                where += QStringLiteral(" AND (secobjID IS NULL OR secobjID = '' OR secobjID = ?)");
                values.append(orient.toString());
            }
        }
        rows = RequirementStore(*m_db).loadWithDescription(where, values, source);
    }
    tx.commit();
    individual = hasRegulation;
    return rows;
}

Recordset ConstraintsObject::DeleteStudPtyxConstraints(const QString &sessionID, qint32 studentId, bool reload)
{
    const QString source = QStringLiteral("cContraints.DeleteStudPtyxConstraints");
    {
        Database::Transaction tx(*m_db, Database::Transaction::Write, source);
        m_db->exec(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE conobject = 8 AND objID = ?"), {studentId},
                   source);
        m_db->exec(QStringLiteral("DELETE FROM QEMStudRegulation WHERE student_ID = ?"), {studentId}, source);
        tx.commit();
    }
    if (!reload)
        return Recordset();
    bool individual = false;
    return LoadStudPtyxConstraints(sessionID, studentId, individual, QVariant(), 1);
}

Recordset ConstraintsObject::LoadObjectConstraints(qint32 conobject, const QVariant &objectId,
                                                   const QVariant &secondaryId)
{
    return RequirementStore(*m_db).loadObject(conobject, objectId, secondaryId,
                                              QStringLiteral("cContraints.LoadObjectConstraints"));
}

void ConstraintsObject::SaveConstraints(Recordset &constraints)
{
    RequirementStore(*m_db).save(constraints, QStringLiteral("cContraints.SaveConstraints"));
}

} // namespace zr::server
