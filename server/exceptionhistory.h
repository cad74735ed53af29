#pragma once

#include "zrsvr_export.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace zr::server {

class Database;

/// The students of version `number` of the exception list `key` (as
/// ExceptionListKey writes it): the stored list for its current version,
/// else the list the next save replaced. Throws ZrError 64001 when that
/// version is not kept.
ZRSVR_EXPORT QList<qint64> ExceptionListStudents(Database &db, const QString &key, qint64 number,
                                                 const QString &source);

/// The students the list `key` excepted at `when`: the version saved last
/// before it, the list as it was before its first change when every change
/// came later, and the stored list when it was never changed.
ZRSVR_EXPORT QSet<qint64> ExceptedStudentsAt(Database &db, const QString &key,
                                             const QDateTime &when, const QString &source);

/// What changed in the list `key` from version `from` to version `to`, one
/// student a line by registration number and name ("Excepted: 1001084
/// Τσιρίγος Αναστάσιος"), in student order.
ZRSVR_EXPORT QStringList ExceptionListDifference(Database &db, const QString &key, qint64 from,
                                                 qint64 to, const QString &source);

} // namespace zr::server
