#pragma once

#include "zrsvr_export.h"
#include "recordset/recordset.h"

#include <QVariant>
#include <functional>

namespace zr::server {

class Database;

/// Reading and writing requirement rows (QEMObjectConstraint) for the
/// server objects: the hierarchical recordset of an object, the rows of a
/// set with descriptions, and the saving transaction.
class ZRSVR_EXPORT RequirementStore
{
public:
    explicit RequirementStore(Database &db) : m_db(db) {}

    /// See cContraints::LoadObjectConstraints.
    Recordset loadObject(qint32 conobject, const QVariant &objectId, const QVariant &secondaryId,
                         const QString &source);
    /// Rows of QEMObjectConstraint matching `whereSql` (bound `values`) with
    /// the fields contype, conshortdesc and condesc added.
    Recordset loadWithDescription(const QString &whereSql, const QVariantList &values, const QString &source);
    /// See cContraints::SaveConstraints. `alsoInTransaction` runs inside the
    /// same transaction after the rows are written (for the student's flag).
    /// Every set the save changes is locked, must still be at the version the
    /// parent row's "setversions" names (0 when it names none; ErrSetChanged
    /// otherwise) and is raised to the next; every row written passes
    /// RequirementRules, every row deleted or updated must still be stored,
    /// and each set keeps one expression naming its own rows (ErrRowRefused).
    void save(Recordset &constraints, const QString &source,
              const std::function<void()> &alsoInTransaction = {});

private:
    // The WHERE clause of the stored rows of the set `key`, its values in `values`.
    static QString setCondition(const QString &key, QVariantList &values);
    // Throws unless every id of `ids` is a stored row of the set `key`.
    void checkStoredInSet(const QList<qint32> &ids, const QString &key, const QString &source);

    Database &m_db;
};

} // namespace zr::server
