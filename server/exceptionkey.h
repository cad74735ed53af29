#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace zr::server {

class Database;

/// The condition on QEMExcludedStudents' own columns that selects the
/// exceptions of one object, context and key, its values appended to
/// `values`; a null or empty object id matches rows stored without one.
QString ExceptionKeyCondition(const QVariant &objectId, qint32 kind, qint32 context, qint32 extraKey,
                              QVariantList &values);

/// The students excepted from one object, context and key as they are kept
/// in a set's history, version `version`:
///   {"format": "zrreq-exceptions/1", "AppliesTo": kind, "ConstrType": context,
///    "objID": id or null, "extrakey": key, "version": n, "students": [ids]}
QByteArray ExceptionListFile(const QVariant &objectId, qint32 kind, qint32 context, qint32 extraKey, qint64 version,
                             const QList<qlonglong> &students);

/// The students the list `key` (as ExceptionListKey writes it) excepts as stored, in id order.
QList<qlonglong> StoredExceptedStudents(Database &db, const QString &key, const QString &source);

/// The stored list of the exception list key `key` (as ExceptionListKey
/// writes it) as ExceptionListFile, version `version`.
QByteArray StoredExceptionListFile(Database &db, const QString &key, qint64 version, const QString &source);

} // namespace zr::server
