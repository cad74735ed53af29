#pragma once

#include "common/serverobjects.h"
#include "zrreq_export.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace zr {

/// A library of server objects (such as "zrQEMSvr"): creates its objects
/// by class name on a named server. Creation failures throw ZrError with the
/// platform's numbers: 429 unknown class, 462 server not found or not
/// reachable, 463 the library cannot run here.
class ZRREQ_EXPORT ServerBackend
{
public:
    virtual ~ServerBackend();
    /// The library name callers pass to CreateServerObject.
    virtual QString libraryName() const = 0;
    virtual std::unique_ptr<ServerObject> create(const QString &className, const QString &serverName) = 0;
};

/// Makes `backend` answer for its library name, replacing an earlier one.
ZRREQ_EXPORT void RegisterServerBackend(std::shared_ptr<ServerBackend> backend);
/// Removes the backend of `libraryName`; nothing happens when there is none.
ZRREQ_EXPORT void UnregisterServerBackend(const QString &libraryName);
/// The library names that have a backend.
ZRREQ_EXPORT QStringList RegisteredServerLibraries();

/// Creates object `library`.`className` on `serverName` ("" for the local
/// default). Any failure is thrown again with source "RemoteObject" and a
/// description chosen by number: 429 string 20577; 462 string 20578, the
/// server name and string 20579; 463 string 20580; others keep their own.
/// A password in the server name never reaches the description.
/// An unknown library is 429. The caller owns the object.
ZRREQ_EXPORT std::unique_ptr<ServerObject> CreateServerObject(const QString &className, const QString &library,
                                                              const QString &serverName);

/// The library of the host's server objects ("zrQEMSvr"), which the controls ask for theirs.
ZRREQ_EXPORT QString ServerLibraryName();

/// Throws ZrError 429 (string 20577) with `source`: the library answered with
/// an object that is not of the interface asked for.
[[noreturn]] ZRREQ_EXPORT void RaiseNotServerClass(const QString &source);

/// CreateServerObject for interface T (cDepartment, cContraints ...) of the
/// host's library; nothing when the object is not a T.
template<typename T>
std::unique_ptr<T> CreateServerObjectAs(const QString &library, const QString &serverName)
{
    std::unique_ptr<ServerObject> object = CreateServerObject(T::staticClassName(), library, serverName);
    if (auto *typed = dynamic_cast<T *>(object.get())) {
        object.release();
        return std::unique_ptr<T>(typed);
    }
    return {};
}

/// The server object of interface T on `serverName`, from the host's
/// library. Every failure throws: those of CreateServerObject, and 429 with
/// `source` for an object that is not a T.
template<typename T>
std::unique_ptr<T> ServerObjectOf(const QString &serverName, const QString &source = QStringLiteral("RemoteObject"))
{
    std::unique_ptr<T> object = CreateServerObjectAs<T>(ServerLibraryName(), serverName);
    if (!object)
        RaiseNotServerClass(source);
    return object;
}

} // namespace zr
