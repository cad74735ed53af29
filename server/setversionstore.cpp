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


enum : qint32 {
    StrSetChanged = 62008,
    ErrNotKept = 64001,
    StrFirstStored = 64032,
    StrListBeforeFirst = 64036,
};

// The user named for this thread's saves; empty for the login.
thread_local QString namedUser;

const QString StampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QDateTime stampOf(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    // Read by position: Qt's format parser costs more than the rest of a listed version.
    const QString text = value.toString();
    if (text.size() < 19)
        return QDateTime::fromString(text, StampFormat);
    const auto number = [&](int from, int length) { return QStringView(text).mid(from, length).toInt(); };
    return QDateTime(QDate(number(0, 4), number(5, 2), number(8, 2)), QTime(number(11, 2), number(14, 2), number(17, 2)));
}

} // namespace

SetVersions SetVersionStore::ofObject(qint32 kind, qint64 objectId)
{
    SetVersions versions;
    const QString prefix = QStringLiteral("%1/%2/").arg(kind).arg(objectId);
    QSqlQuery &q = m_db.exec(QStringLiteral("SELECT setkey, version, savedby, saveddate FROM QEMSetVersion "
                                            "WHERE setkey LIKE ?"),
                             {prefix + QLatin1Char('%')}, m_source);
    while (q.next())
        versions.insert(q.value(0).toString(), {q.value(1).toLongLong(), q.value(2).toString(), stampOf(q.value(3))});
    q.finish();
    return versions;
}

SetVersion SetVersionStore::read(const QString &select, const QString &key)
{
    QSqlQuery &q = m_db.exec(select, {key}, m_source);
    SetVersion stored;
    if (q.next())
        stored = {q.value(0).toLongLong(), q.value(1).toString(), stampOf(q.value(2))};
    q.finish();
    return stored;
}

SetVersion SetVersionStore::of(const QString &key)
{
    return read(QStringLiteral("SELECT version, savedby, saveddate FROM QEMSetVersion WHERE setkey = ?"), key);
}

SetVersion SetVersionStore::lock(const QString &key)
{
    // The row exists before it is locked, so that a first save locks it too.
    m_db.write(QStringLiteral("INSERT INTO QEMSetVersion (setkey, version) VALUES (?, 0) ON CONFLICT DO NOTHING"),
               {key}, m_source);
    return read(m_db.lockingRead(QStringLiteral("SELECT version, savedby, saveddate FROM QEMSetVersion WHERE setkey = ?")),
                key);
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

SetVersion SetVersionStore::raise(const QString &key, const SetVersion &stored, const QByteArray &replaced,
                                  const QString &summary)
{
    // The column holds 100 characters; a longer name a host gives is cut, never refused.
    // On PostgreSQL the database writes its own user as the saver; the version says the same.
    const QString session = m_db.sessionUser(m_source);
    const SetVersion next{stored.number + 1, (session.isEmpty() ? savingUser() : session).left(100),
                          QDateTime::currentDateTime()};
    const QString stamp = next.savedAt.toString(StampFormat);
    m_db.write(QStringLiteral("UPDATE QEMSetVersion SET version = ?, savedby = ?, saveddate = ? WHERE setkey = ?"),
               {next.number, next.savedBy, stamp, key}, m_source);
    m_db.write(QStringLiteral("INSERT INTO QEMSetHistory (setkey, version, savedby, saveddate, summary, replaced) "
                              "VALUES (?, ?, ?, ?, ?, ?)"),
               {key, next.number, next.savedBy, stamp, summary.left(1000),
                replaced.isEmpty() ? QVariant() : QVariant(QString::fromUtf8(replaced))},
               m_source);
    return next;
}

QList<KeptVersion> SetVersionStore::history(const QString &key)
{
    QList<KeptVersion> versions;
    QSqlQuery &q = m_db.exec(QStringLiteral("SELECT version, savedby, saveddate, summary FROM QEMSetHistory "
                                            "WHERE setkey = ? ORDER BY version"),
                             {key}, m_source);
    while (q.next())
        versions.append({q.value(0).toLongLong(), q.value(1).toString(), stampOf(q.value(2)), q.value(3).toString()});
    q.finish();
    return versions;
}

QList<KeptVersion> SetVersionStore::listed(const QString &key)
{
    QList<KeptVersion> versions = history(key);
    if (!versions.isEmpty())
        versions.prepend({0, QString(), QDateTime(),
                          GetLangString(key.startsWith(QLatin1String("exceptions/")) ? StrListBeforeFirst
                                                                                      : StrFirstStored)});
    return versions;
}

qint64 SetVersionStore::versionAt(const QString &key, const QDateTime &when)
{
    QSqlQuery &q = m_db.exec(QStringLiteral("SELECT MAX(version) FROM QEMSetHistory WHERE setkey = ? AND saveddate <= ?"),
                             {key, when.toLocalTime().toString(StampFormat)}, m_source);
    const QVariant number = q.next() ? q.value(0) : QVariant();
    q.finish();
    if (!number.isNull())
        return number.toLongLong();
    const QList<KeptVersion> kept = history(key);
    if (kept.isEmpty())
        throw MakeError(ErrNeverSaved, m_source, {SetKeyCaption(key)});
    throw MakeError(ErrBeforeFirst, m_source,
                    {SetKeyCaption(key), when.toString(StampFormat), kept.first().savedAt.toString(StampFormat)});
}

std::optional<qint64> SetVersionStore::versionInForce(const QString &key, const QDateTime &when)
{
    try {
        return versionAt(key, when);
    } catch (const ZrError &error) {
        if (error.number == ErrNeverSaved)
            return std::nullopt;
        if (error.number != ErrBeforeFirst)
            throw;
    }
    return 0;
}

QByteArray SetVersionStore::replacedVersion(const QString &key, qint64 number)
{
    if (number < 0)
        throwNotKept(key, number);
    QSqlQuery &q = m_db.exec(QStringLiteral("SELECT replaced FROM QEMSetHistory WHERE setkey = ? AND version = ?"),
                             {key, number + 1}, m_source);
    const bool kept = q.next();
    const QByteArray replaced = kept ? q.value(0).toString().toUtf8() : QByteArray();
    q.finish();
    if (!kept)
        throwNotKept(key, number);
    return replaced;
}

void SetVersionStore::throwNotKept(const QString &key, qint64 number)
{
    // The versions there are: those the kept saves replaced, and the current one.
    const QList<KeptVersion> kept = history(key);
    const qint64 current = of(key).number;
    const qint64 first = kept.isEmpty() ? current : kept.first().number - 1;
    throw MakeError(ErrNotKept, m_source,
                    {SetKeyCaption(key), QString::number(number), QString::number(first), QString::number(current)});
}

QString SetVersionStore::savingUser()
{
    if (!namedUser.isEmpty())
        return namedUser;
    const passwd *user = ::getpwuid(::geteuid());
    const QString login = user ? QString::fromLocal8Bit(user->pw_name) : qEnvironmentVariable("USER");
    return login + QLatin1Char('@') + QSysInfo::machineHostName();
}

void SetVersionStore::setSavingUser(const QString &user)
{
    namedUser = user.trimmed();
}

} // namespace zr::server
