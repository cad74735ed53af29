#include "serveraddress.h"

#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace zr {

namespace {

// Shorter passwords are hidden inside their address only: hiding every "ab" of a text says nothing.
constexpr int FreeTextSecretLength = 4;

struct Secrets
{
    QMutex mutex;
    QHash<QString, QString> addresses;  // address as typed -> as shown
    QSet<QString> passwords;
};

Secrets &secrets()
{
    static Secrets s;
    return s;
}

void remember(const QString &typed, const ServerAddress &address)
{
    if (!address.hasPassword || address.password.isEmpty())
        return;
    Secrets &s = secrets();
    QMutexLocker lock(&s.mutex);
    s.addresses.insert(typed, address.shown());
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(address.password));
    for (const QString &form : {address.password, encoded}) {
        if (form.size() >= FreeTextSecretLength)
            s.passwords.insert(form);
    }
}

QString decoded(const QString &text)
{
    return text.contains(QLatin1Char('%')) ? QUrl::fromPercentEncoding(text.toUtf8()) : text;
}

} // namespace

ServerAddress ServerAddress::parse(const QString &text)
{
    ServerAddress address;
    const QString trimmed = text.trimmed();
    const qsizetype schemeEnd = trimmed.indexOf(QLatin1String("://"));
    if (schemeEnd <= 0)
        return address;
    address.scheme = trimmed.left(schemeEnd).toLower();
    QString rest = trimmed.mid(schemeEnd + 3);
    QString typedPassword;
    // A file's path is no address: an "@" or ":" in it holds no password.
    if (address.scheme == QLatin1String("sqlite")) {
        address.database = rest;
        return address;
    }
    const qsizetype at = rest.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString info = rest.left(at);
        rest = rest.mid(at + 1);
        const qsizetype colon = info.indexOf(QLatin1Char(':'));
        address.user = decoded(colon < 0 ? info : info.left(colon));
        if (colon >= 0) {
            address.hasPassword = true;
            typedPassword = info.mid(colon + 1);
            address.password = decoded(typedPassword);
        }
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString hostPort = slash < 0 ? rest : rest.left(slash);
    address.database = slash < 0 ? QString() : rest.mid(slash + 1).section(QLatin1Char('?'), 0, 0);
    // "[::1]:5432": the port follows the bracket.
    const qsizetype close = hostPort.lastIndexOf(QLatin1Char(']'));
    const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
    if (colon > close) {
        bool ok = false;
        const int port = hostPort.mid(colon + 1).toInt(&ok);
        address.port = ok ? port : 0;
        hostPort = hostPort.left(colon);
    }
    if (hostPort.startsWith(QLatin1Char('[')) && hostPort.endsWith(QLatin1Char(']')))
        hostPort = hostPort.mid(1, hostPort.size() - 2);
    address.host = hostPort;
    remember(trimmed, address);
    // Typed undecoded too: "%7b" in a password may be meant as it stands.
    ServerAddress typed = address;
    typed.password = typedPassword;
    remember(trimmed, typed);
    return address;
}

QString ServerAddress::shown() const
{
    QString text = scheme + QStringLiteral("://");
    if (!user.isEmpty() || hasPassword)
        text += user + (hasPassword ? QStringLiteral(":***") : QString()) + QLatin1Char('@');
    text += host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    if (port >= 0)
        text += QLatin1Char(':') + QString::number(port);
    if (!database.isEmpty())
        text += QLatin1Char('/') + database;
    return text;
}

QString HidePasswords(const QString &text)
{
    QString out = text;
    {
        Secrets &s = secrets();
        QMutexLocker lock(&s.mutex);
        if (!s.addresses.isEmpty() || !s.passwords.isEmpty()) {
            // Longest first: an address or password inside a longer one goes with it.
            QList<QString> typed = s.addresses.keys();
            std::sort(typed.begin(), typed.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
            for (const QString &address : std::as_const(typed))
                out.replace(address, s.addresses.value(address));
            QList<QString> passwords(s.passwords.cbegin(), s.passwords.cend());
            std::sort(passwords.begin(), passwords.end(),
                      [](const QString &a, const QString &b) { return a.size() > b.size(); });
            for (const QString &password : std::as_const(passwords))
                out.replace(password, QStringLiteral("***"));
        }
    }
    if (!out.contains(QLatin1String("://")))
        return out;
    // An address never read: its password runs from the colon after the user to the last "@" of the word.
    static const QRegularExpression address(QStringLiteral("([A-Za-z][A-Za-z0-9+.-]*://[^\\s:/@]*):[^\\s]*@"));
    out.replace(address, QStringLiteral("\\1:***@"));
    return out;
}

} // namespace zr
