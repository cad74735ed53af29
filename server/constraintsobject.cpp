#include "constraintsobject.h"

#include "requirementstore.h"
#include "servererrors.h"
#include "setchangesummary.h"
#include "setversionstore.h"
#include "studentregulation.h"
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
    StudentRegulation regulation(*m_db, studentId, source);
    Recordset rows = regulation.loadWithDescription();
    tx.commit();
    individual = regulation.isIndividual();
    return rows;
}

Recordset ConstraintsObject::DeleteStudPtyxConstraints(const QString &sessionID, qint32 studentId, bool reload)
{
    Q_UNUSED(sessionID);
    const QString source = QStringLiteral("cContraints.DeleteStudPtyxConstraints");
    // The rows that apply afterwards are read in the same transaction, so a
    // failure anywhere leaves the individual regulation in place.
    Database::Transaction tx(*m_db, Database::Transaction::Write, source);
    StudentRegulation(*m_db, studentId, source); // refuses an unknown student
    // Every set of the student's that goes gets a new version, as any save gives it.
    SetVersionStore versions(*m_db, source);
    QStringList gone;
    QSqlQuery &q = m_db->exec(QStringLiteral("SELECT DISTINCT contypeID FROM QEMObjectConstraint "
                                             "WHERE conobject = 8 AND objID = ?"),
                              {studentId}, source);
    while (q.next())
        gone.append(RequirementSetKey(8, studentId, q.value(0).toInt(), QString()));
    q.finish();
    RequirementStore store(*m_db);
    for (const QString &key : std::as_const(gone)) {
        const SetVersion locked = versions.lock(key);
        const qint64 kept = store.keepRows(key, locked, source);
        versions.raise(key, locked, QByteArray(), ChangeCountSummary({0, int(kept)}));
    }
    m_db->exec(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE conobject = 8 AND objID = ?"), {studentId},
               source);
    m_db->exec(QStringLiteral("DELETE FROM QEMStudRegulation WHERE student_ID = ?"), {studentId}, source);
    Recordset rows;
    if (reload)
        rows = StudentRegulation(*m_db, studentId, source).loadWithDescription();
    tx.commit();
    return rows;
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
