#include "roles.h"

#include "database.h"
#include "servererrors.h"
#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDriver>

namespace zr::server::Roles {

namespace {
enum : qint32 {
    StrMayNotChange = 62051,   // "You may read but not change the requirements of department %1 ..."
    StrNoDepartmentSet = 62052,
    StrNoUser = 62055,
    StrNoDepartment = 62056,
    StrSqliteHasNoRoles = 62057,
    StrOnlyAdminGrants = 62054,
};

bool onPostgres(Database &db)
{
    return db.dialect() == SqlDialect::PostgreSQL;
}

const QString RolesSource = QStringLiteral("zrQEMSvr.Roles");

// The user the database knows this session as: the one it checks and the history names.
QString sessionUserOf(Database &db)
{
    return db.sessionUser(RolesSource);
}

// May the user change what belongs to the department `departmentSql` reads (one value, from `values`)?
ObjectRight rightOfDepartment(Database &db, const QString &departmentSql, const QVariantList &values,
                              const QString &source)
{
    const QVariantList read =
        db.firstRow(QStringLiteral("SELECT zr_may_edit(d), d FROM (SELECT %1 AS d) o").arg(departmentSql), values, source);
    return {read.value(0).toBool(), read.value(1).toString()};
}
} // namespace

bool isValidPrefix(const QString &prefix)
{
    static const QRegularExpression valid(QStringLiteral("^[a-z][a-z0-9_]{0,39}$"));
    return valid.match(prefix).hasMatch();
}

QString prefixOf(Database &db)
{
    if (!onPostgres(db) || missing(db))
        return defaultPrefix();
    const QVariantList read = db.firstRow(QStringLiteral("SELECT zr_role_prefix()"), {}, RolesSource);
    return read.isEmpty() ? defaultPrefix() : read.first().toString();
}

bool missing(Database &db)
{
    if (!onPostgres(db))
        return false;
    const QVariantList read = db.firstRow(QStringLiteral("SELECT to_regproc('zr_may_edit') IS NULL"), {}, RolesSource);
    return read.isEmpty() || read.first().toBool();
}

void install(Database &db, const QString &prefix, const QString &source)
{
    if (!onPostgres(db))
        return;
    const QString chosen = prefix.isEmpty() ? prefixOf(db) : prefix;
    if (!isValidPrefix(chosen))
        throw ZrError(ErrBadArgument, source, QStringLiteral("\"%1\" cannot begin a role's name.").arg(chosen));
    QFile file(QStringLiteral(":/zrQEMSvr/roles.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw ZrError(ErrDatabase, source, QStringLiteral("The server's resource roles.sql is missing."));
    const QString schema = db.firstRow(QStringLiteral("SELECT current_schema()"), {}, source).value(0).toString();
    QString script = QString::fromUtf8(file.readAll());
    script.replace(QStringLiteral("{prefix}"), chosen);
    script.replace(QStringLiteral("{schema}"),
                   db.connection().driver()->escapeIdentifier(schema, QSqlDriver::TableName));
    db.runScript(script, source);
}

ObjectRight rightOver(Database &db, qint32 kind, qint64 objectId)
{
    if (!onPostgres(db))
        return {};
    return rightOfDepartment(db, QStringLiteral("zr_object_department(?, ?)"), {kind, objectId}, RolesSource);
}

QString refusal(Database &db, const ObjectRight &right)
{
    const QString user = sessionUserOf(db);
    return right.department.isEmpty() ? ReplaceParams(GetLangString(StrNoDepartmentSet), {user})
                                      : ReplaceParams(GetLangString(StrMayNotChange), {right.department, user});
}

void refuseUnlessMayChange(Database &db, const QString &setKey, const QString &source)
{
    if (!onPostgres(db))
        return;
    const ObjectRight right = rightOfDepartment(db, QStringLiteral("zr_set_department(?)"), {setKey}, source);
    if (!right.mayChange)
        throw ZrError(ErrPermissionDenied, source, refusal(db, right));
}

bool isAdministrator(Database &db)
{
    return !onPostgres(db) || db.firstRow(QStringLiteral("SELECT zr_is_admin()"), {}, RolesSource).value(0).toBool();
}

void refuseUnlessAdministrator(Database &db, qint32 what, const QString &source)
{
    if (!isAdministrator(db))
        throw ZrError(ErrPermissionDenied, source, ReplaceParams(GetLangString(what), {sessionUserOf(db)}));
}

namespace {
// What grant and revoke check before the database does: who may, and whether the names exist.
void checkGrant(Database &db, const QString &user, const QStringList &departments, const QString &source)
{
    if (!onPostgres(db))
        throw ZrError(ErrBadArgument, source, ReplaceParams(GetLangString(StrSqliteHasNoRoles), {db.displayName()}));
    refuseUnlessAdministrator(db, StrOnlyAdminGrants, source);
    if (db.firstRow(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {user}, source).isEmpty())
        throw ZrError(ErrNotFound, source, ReplaceParams(GetLangString(StrNoUser), {user}));
    for (const QString &department : departments) {
        if (department.contains(QLatin1Char(','))
            || db.firstRow(QStringLiteral("SELECT 1 FROM QEMDepartments WHERE depID = ?"), {department}, source).isEmpty())
            throw ZrError(ErrNotFound, source, ReplaceParams(GetLangString(StrNoDepartment), {department}));
    }
}
} // namespace

void grant(Database &db, const QString &user, const QString &role, const QStringList &departments)
{
    const QString source = QStringLiteral("zrQEMSvr.Grant");
    checkGrant(db, user, departments, source);
    if (role != QLatin1String("reader") && role != QLatin1String("editor") && role != QLatin1String("admin"))
        throw ZrError(ErrBadArgument, source, QStringLiteral("There is no role \"%1\".").arg(role));
    db.exec(QStringLiteral("SELECT zr_grant(?, ?, string_to_array(?, ','))"),
            {user, role, departments.join(QLatin1Char(','))}, source).finish();
}

void revoke(Database &db, const QString &user, const QStringList &departments)
{
    const QString source = QStringLiteral("zrQEMSvr.Revoke");
    checkGrant(db, user, departments, source);
    db.exec(QStringLiteral("SELECT zr_revoke(?, string_to_array(?, ','))"),
            {user, departments.join(QLatin1Char(','))}, source).finish();
}

} // namespace zr::server::Roles
