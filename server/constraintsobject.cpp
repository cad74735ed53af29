#include "constraintsobject.h"
#include "roles.h"

#include "requirementstore.h"
#include "servererrors.h"
#include "setchangesummary.h"
#include "setversionstore.h"
#include "studentregulation.h"
#include "common/zrerror.h"
#include "requirements/setversion.h"

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
                                                     const QVariant &omitted, qint16 mode, qint64 *version)
{
    Q_UNUSED(sessionID);
    Q_UNUSED(omitted);
    Q_UNUSED(mode);
    const QString source = QStringLiteral("cContraints.LoadStudPtyxConstraints");
    Database::Transaction tx(*m_db, Database::Transaction::Read, source);
    StudentRegulation regulation(*m_db, studentId, source);
    Recordset rows = regulation.loadWithDescription();
    if (version)
        *version = SetVersionStore(*m_db, source).of(RequirementSetKey(8, studentId, 103, QString())).number;
    tx.commit();
    individual = regulation.isIndividual();
    return rows;
}

Recordset ConstraintsObject::DeleteStudPtyxConstraints(const QString &sessionID, qint32 studentId, bool reload,
                                                       qint64 *version)
{
    Q_UNUSED(sessionID);
    const QString source = QStringLiteral("cContraints.DeleteStudPtyxConstraints");
    // The rows that apply afterwards are read in the same transaction, so a
    // failure anywhere leaves the individual regulation in place.
    Database::Transaction tx(*m_db, Database::Transaction::Write, source);
    StudentRegulation(*m_db, studentId, source); // refuses an unknown student
    // Every set of the student's that goes gets a new version, as any save gives it.
    SetVersionStore versions(*m_db, source);
    // The degree set is checked even when it holds no rows: a regulation saved since is never removed unseen.
    const QString degree = RequirementSetKey(8, studentId, 103, QString());
    Roles::refuseUnlessMayChange(*m_db, degree, source);
    QStringList gone{degree};
    QSqlQuery &q = m_db->exec(QStringLiteral("SELECT DISTINCT contypeID FROM QEMObjectConstraint "
                                             "WHERE conobject = 8 AND objID = ? AND contypeID <> 103"),
                              {studentId}, source);
    while (q.next())
        gone.append(RequirementSetKey(8, studentId, q.value(0).toInt(), QString()));
    q.finish();
    RequirementStore store(*m_db);
    qint64 now = 0;
    for (const QString &key : std::as_const(gone)) {
        const SetVersion locked = versions.lock(key);
        if (key == degree && version && *version >= 0)
            versions.check(key, locked, *version);
        const qint64 kept = store.keepRows(key, locked, source);
        const qint64 number = kept > 0 ? versions.raise(key, locked, QByteArray(), EncodeChangeCounts({0, int(kept)})).number
                                       : locked.number;
        if (key == degree)
            now = number;
    }
    m_db->exec(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE conobject = 8 AND objID = ?"), {studentId},
               source);
    m_db->exec(QStringLiteral("DELETE FROM QEMStudRegulation WHERE student_ID = ?"), {studentId}, source);
    Recordset rows;
    if (reload)
        rows = StudentRegulation(*m_db, studentId, source).loadWithDescription();
    tx.commit();
    if (version)
        *version = now;
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
