#pragma once

#include "zrsvr_export.h"

#include <QString>
#include <QStringList>

namespace zr::server {

class Database;

/// Who may change what on a PostgreSQL database: the roles data/roles.sql makes (reader, editor
/// of departments, administrator) and the questions a client asks of them. The database enforces
/// the roles itself; these functions let a client say why it was refused, in one line, before the
/// database refuses. On SQLite everyone may do everything: the file's permissions decide.
namespace Roles {

/// The prefix of the roles' names when init-db is given none.
inline QString defaultPrefix() { return QStringLiteral("zrreq_"); }
/// Whether `prefix` can begin a role's name: lower-case letters, digits and "_", a letter first.
ZRSVR_EXPORT bool isValidPrefix(const QString &prefix);
/// The prefix the database's roles were made with; defaultPrefix() when it has none yet.
ZRSVR_EXPORT QString prefixOf(Database &db);
/// Inside the caller's write transaction on PostgreSQL: makes the roles, their privileges and
/// the row-level security again (an empty `prefix` keeps the database's own). Nothing on SQLite.
void install(Database &db, const QString &prefix, const QString &source);
/// Whether the database lacks the roles' functions (a PostgreSQL database of an earlier version).
bool missing(Database &db);

/// What the session's user may do with the sets of one object.
struct ObjectRight
{
    bool mayChange = true;
    QString department; ///< the object's department, empty when it has none
};
/// The right of the session's user over the sets of object `objectId` of kind `kind`.
ZRSVR_EXPORT ObjectRight rightOver(Database &db, qint32 kind, qint64 objectId);
/// The line that tells the user he may read but not change the sets of `right`'s department.
ZRSVR_EXPORT QString refusal(Database &db, const ObjectRight &right);
/// Throws ErrPermissionDenied with refusal() when the user may not change the stored set `setKey`.
ZRSVR_EXPORT void refuseUnlessMayChange(Database &db, const QString &setKey, const QString &source);
/// Whether the session's user is an administrator (always on SQLite).
ZRSVR_EXPORT bool isAdministrator(Database &db);
/// Throws ErrPermissionDenied, saying that only an administrator may do what string `what` names,
/// unless the user is one.
ZRSVR_EXPORT void refuseUnlessAdministrator(Database &db, qint32 what, const QString &source);

/// Gives the database user `user` the role `role` ("reader", "editor" or "admin"); an editor
/// may change the sets of `departments` (added to those he had). The database refuses it to anyone
/// but an administrator. Throws ErrNotFound for an unknown user or department, ErrBadArgument on SQLite.
ZRSVR_EXPORT void grant(Database &db, const QString &user, const QString &role, const QStringList &departments);
/// Takes every role from `user`, or with `departments` only his right to change their sets.
ZRSVR_EXPORT void revoke(Database &db, const QString &user, const QStringList &departments);

} // namespace Roles

} // namespace zr::server
