#pragma once

#include "zrsvr_export.h"
#include "requirements/setversion.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace zr::server {

class Database;

/// One kept version of a stored set: the save that made it.
struct KeptVersion
{
    qint64 number = 0;
    QString savedBy;
    QDateTime savedAt;
    /// What the save changed, in one line ("2 added, 1 removed").
    QString summary;
};

/// The versions of stored sets (table QEMSetVersion) and the history of each
/// (table QEMSetHistory). A set's version is read with the set, and locked,
/// checked and raised inside the transaction of the save that writes the set,
/// so that two writers can never both build on the same version; the raise
/// keeps the version the save replaced in the same transaction.
class ZRSVR_EXPORT SetVersionStore
{
public:
    SetVersionStore(Database &db, const QString &source) : m_db(db), m_source(source) {}

    /// The versions of the requirement sets of one object, by set key.
    SetVersions ofObject(qint32 kind, qint64 objectId);
    /// The version of the set `key` (number 0 when none is stored).
    SetVersion of(const QString &key);

    /// Inside a write transaction: locks the version of `key` against other
    /// writers until the transaction ends and returns it (number 0 when none
    /// is stored).
    SetVersion lock(const QString &key);
    /// Throws ErrSetChanged when `stored` is not the version `expected` a
    /// writer loaded: the message names the set, who saved it and when.
    void check(const QString &key, const SetVersion &stored, qint64 expected) const;
    /// Raises the locked version `stored` of `key` by one for the saving
    /// user and the current time, and keeps the version it replaces:
    /// `replaced`, an exception list as it was (empty for a requirement set), and
    /// `summary` of the change. Returns the new version.
    SetVersion raise(const QString &key, const SetVersion &stored, const QByteArray &replaced, const QString &summary);

    /// The kept versions of `key`, oldest first.
    QList<KeptVersion> history(const QString &key);
    /// The versions a reader can open: version 0, the set as first stored (kept by the first
    /// save, with no date or saver), then the kept ones. Empty for a set never saved.
    QList<KeptVersion> listed(const QString &key);
    /// The number of the version of `key` in force at `when`: the last one
    /// saved at or before it. Throws ZrError 64002 when the first kept version
    /// was saved after `when`, 64003 when none is kept.
    qint64 versionAt(const QString &key, const QDateTime &when);
    /// The same for a reader who takes what stood then: version 0 (as first stored) when every
    /// kept version was saved after `when`, nothing when none is kept (what is stored stood then).
    std::optional<qint64> versionInForce(const QString &key, const QDateTime &when);
    /// Version `number` of an exception list `key` as kept when the next save
    /// replaced it (empty for a requirement set: RequirementStore keeps its rows).
    /// Throws ZrError 64001 when it is not kept (the current version never is:
    /// it is the stored set).
    QByteArray replacedVersion(const QString &key, qint64 number);
    /// Throws ZrError 64001: version `number` of `key` is not kept.
    [[noreturn]] void throwNotKept(const QString &key, qint64 number);

    /// The user a save is recorded under: the one setSavingUser() named on
    /// this thread, by default the login name and machine.
    static QString savingUser();
    /// Names the user the saves of this thread are recorded under; empty
    /// goes back to the login name and machine.
    static void setSavingUser(const QString &user);

private:
    // The version `select` reads for `key` (number 0 when none).
    SetVersion read(const QString &select, const QString &key);

    Database &m_db;
    QString m_source;
};

} // namespace zr::server
