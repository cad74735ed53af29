#pragma once

#include "zrsvr_export.h"
#include "common/recordset.h"

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
    void save(Recordset &constraints, const QString &source,
              const std::function<void()> &alsoInTransaction = {});

private:
    Database &m_db;
};

} // namespace zr::server
