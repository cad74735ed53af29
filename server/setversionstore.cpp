#include "setversionstore.h"

#include "database.h"
#include "servererrors.h"
#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace zr::server {

namespace {

const QString Table = QStringLiteral("QEMSetVersion");

enum : qint32 {
    StrSetChanged = 62008,
};

const QString StampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QDateTime stampOf(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    return QDateTime::fromString(value.toString().left(19), StampFormat);
}

} // namespace

bool SetVersionStore::hasTable()
{
    return m_db.hasTable(Table);
}

SetVersions SetVersionStore::ofObject(qint32 kind, qint64 objectId)
{
    SetVersions versions;
    // A database made before versions were kept has none yet: every set is at 0.
    if (!hasTable())
        return versions;
    const QString prefix = QStringLiteral("%1/%2/").arg(kind).arg(objectId);
    QSqlQuery &q = m_db.exec(QStringLiteral("SELECT setkey, version, savedby, saveddate FROM QEMSetVersion "
                                            "WHERE setkey LIKE ?"),
                             {prefix + QLatin1Char('%')}, m_source);
    while (q.next())
        versions.insert(q.value(0).toString(), {q.value(1).toLongLong(), q.value(2).toString(), stampOf(q.value(3))});
    q.finish();
    return versions;
}

SetVersion SetVersionStore::lock(const QString &key)
{
    m_db.ensureTable(Table, m_source);
    // The row exists before it is locked, so that a first save locks it too.
    m_db.write(QStringLiteral("INSERT INTO QEMSetVersion (setkey, version) VALUES (?, 0) ON CONFLICT DO NOTHING"),
               {key}, m_source);
    QSqlQuery &q = m_db.exec(
        m_db.lockingRead(QStringLiteral("SELECT version, savedby, saveddate FROM QEMSetVersion WHERE setkey = ?")),
        {key}, m_source);
    SetVersion stored;
    if (q.next())
        stored = {q.value(0).toLongLong(), q.value(1).toString(), stampOf(q.value(2))};
    q.finish();
    return stored;
}

void SetVersionStore::check(const QString &key, const SetVersion &stored, qint64 expected) const
{
    if (stored.number == expected)
        return;
    throw ZrError(ErrSetChanged, m_source,
                  ReplaceParams(GetLangString(StrSetChanged),
                                {SetKeyCaption(key), stored.savedBy, stored.savedAt.toString(StampFormat),
                                 QString::number(stored.number), QString::number(expected)}));
}

SetVersion SetVersionStore::raise(const QString &key, const SetVersion &stored)
{
    const SetVersion next{stored.number + 1, savingUser(), QDateTime::currentDateTime()};
    m_db.write(QStringLiteral("UPDATE QEMSetVersion SET version = ?, savedby = ?, saveddate = ? WHERE setkey = ?"),
               {next.number, next.savedBy, next.savedAt.toString(StampFormat), key}, m_source);
    return next;
}

QString SetVersionStore::savingUser()
{
    const passwd *user = ::getpwuid(::geteuid());
    const QString login = user ? QString::fromLocal8Bit(user->pw_name) : qEnvironmentVariable("USER");
    return login + QLatin1Char('@') + QSysInfo::machineHostName();
}

} // namespace zr::server
