#pragma once

#include "requirements/setversion.h"

#include <QString>

namespace zr::server {

class Database;

/// The versions of stored sets (table QEMSetVersion). A set's version is read
/// with the set, and locked, checked and raised inside the transaction of the
/// save that writes the set, so that two writers can never both build on the
/// same version.
class SetVersionStore
{
public:
    SetVersionStore(Database &db, const QString &source) : m_db(db), m_source(source) {}

    /// The versions of the requirement sets of one object, by set key.
    SetVersions ofObject(qint32 kind, qint64 objectId);

    /// Inside a write transaction: locks the version of `key` against other
    /// writers until the transaction ends and returns it (number 0 when none
    /// is stored).
    SetVersion lock(const QString &key);
    /// Throws ErrSetChanged when `stored` is not the version `expected` a
    /// writer loaded: the message names the set, who saved it and when.
    void check(const QString &key, const SetVersion &stored, qint64 expected) const;
    /// Raises the locked version `stored` of `key` by one for the saving
    /// user and the current time; returns the new version.
    SetVersion raise(const QString &key, const SetVersion &stored);

    /// The user a save is recorded under: login name and machine.
    static QString savingUser();

private:
    bool hasTable();

    Database &m_db;
    QString m_source;
};

} // namespace zr::server
