#include "createserverobject.h"

#include "langstrings.h"
#include "serveraddress.h"
#include "zrerror.h"

#include <QHash>
#include <QMutex>

namespace zr {

ServerObject::~ServerObject() = default;
ServerBackend::~ServerBackend() = default;

namespace {

QMutex s_mutex;

QHash<QString, std::shared_ptr<ServerBackend>> &backends()
{
    static QHash<QString, std::shared_ptr<ServerBackend>> map;
    return map;
}

ZrError translated(const ZrError &error, const QString &serverName)
{
    QString description;
    switch (error.number) {
    case 429:
        description = GetLangString(20577);
        break;
    case 462:
        description = GetLangString(20578) + HidePasswords(serverName) + GetLangString(20579);
        break;
    case 463:
        description = GetLangString(20580);
        break;
    default:
        description = HidePasswords(error.description);
        break;
    }
    return ZrError(error.number, QStringLiteral("RemoteObject"), description);
}

} // namespace

void RegisterServerBackend(std::shared_ptr<ServerBackend> backend)
{
    if (!backend)
        return;
    QMutexLocker lock(&s_mutex);
    backends().insert(backend->libraryName().toLower(), std::move(backend));
}

void UnregisterServerBackend(const QString &libraryName)
{
    QMutexLocker lock(&s_mutex);
    backends().remove(libraryName.toLower());
}

QStringList RegisteredServerLibraries()
{
    QMutexLocker lock(&s_mutex);
    QStringList names;
    for (const auto &b : std::as_const(backends()))
        names.append(b->libraryName());
    return names;
}

std::unique_ptr<ServerObject> CreateServerObject(const QString &className, const QString &library,
                                                 const QString &serverName)
{
    // Read once so that its password is hidden in whatever reports a failure.
    ServerAddress::parse(serverName);
    std::shared_ptr<ServerBackend> backend;
    {
        QMutexLocker lock(&s_mutex);
        backend = backends().value(library.toLower());
    }
    try {
        if (!backend)
            throw ZrError(429, library + QLatin1Char('.') + className, QString());
        std::unique_ptr<ServerObject> object = backend->create(className, serverName);
        if (!object)
            throw ZrError(429, library + QLatin1Char('.') + className, QString());
        return object;
    } catch (const ZrError &e) {
        throw translated(e, serverName);
    }
}

QString ServerLibraryName()
{
    return QStringLiteral("zrQEMSvr");
}

void RaiseNotServerClass(const QString &source)
{
    throw ZrError(429, source, GetLangString(20577));
}

} // namespace zr
