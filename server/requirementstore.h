#pragma once

#include "zrsvr_export.h"
#include "recordset/recordset.h"
#include "requirements/setversion.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSet>
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

    /// Inside a save's write transaction: copies the stored rows of the set
    /// `key`, at the locked version `stored`, to the history as the version
    /// the save replaces; returns how many rows it kept.
    qint64 keepRows(const QString &key, const SetVersion &stored, const QString &source);
    /// Version `number` of the set `key` as a requirement file: the stored set
    /// for the current version, the kept one for an earlier. Throws ZrError
    /// 64001 for a version not kept.
    QByteArray versionFile(const QString &key, qint64 number, const QString &source);
    /// The requirement rows of version `number` of the requirement set `key`
    /// (not an exception list), in id order, as versionFile writes them.
    /// Throws ZrError 64001 for a version not kept.
    Recordset versionRows(const QString &key, qint64 number, const QString &source);
    /// The version of the set `key` in force at `when` as a requirement file
    /// (see SetVersionStore::versionAt); throws ZrError 64001 to 64003.
    QByteArray versionFileAt(const QString &key, const QDateTime &when, const QString &source);

private:
    // The set `key` with `rows` as a requirement file naming `version`; empty
    // for a curriculum-dependent set without a curriculum, which no file names.
    QByteArray setFile(const QString &key, const Recordset &rows, qint64 version, const QString &source);
    // The parent fields of an object (kind `conobject`, id, and the course
    // group or course of kinds 3 and 4); throws ErrNotFound for none.
    QVariantMap objectRow(qint32 conobject, qlonglong id, const QVariant &secondaryId, const QString &source);
    // The WHERE clause of the stored rows of the set `key`, its values in `values`.
    static QString setCondition(const QString &key, QVariantList &values);
    // Throws unless every id of `ids` is a stored row of the set `key`.
    void checkStoredInSet(const QList<qint32> &ids, const QString &key, const QString &source);
    /// Of the ids each set's new rows ask for, those a requirement holds, or a kept version of
    /// another set held.
    QSet<qlonglong> idsEverHeld(const QHash<QString, QList<qlonglong>> &askedBySet, const QString &source);

    Database &m_db;
};

} // namespace zr::server
