#pragma once

#include "zrsvr_export.h"
#include "recordset/recordset.h"

#include <QHash>
#include <QString>

namespace zr::server {

class Database;

/// Writes the text that describes a stored requirement (condesc) and its
/// type's names in the language of the calling thread's string service,
/// looking codes up in the code tables of the database.
/// Code-table names are read once per describer.
class ZRSVR_EXPORT ConstraintDescriber
{
public:
    explicit ConstraintDescriber(Database &db);

    /// The description of the requirement on the current row of `row`.
    QString describe(const Recordset &row);
    QString shortName(int conID);
    QString longName(int conID);

private:
    QString names(const QString &table, const QString &codes, const QString &textTemplate = {});
    QString courses(const QString &codes);
    const QHash<QString, QString> &lookup(const QString &table, const QString &textTemplate);
    QString studentValue(const QString &column, const QString &value);

    Database &m_db;
    QHash<QString, QHash<QString, QString>> m_lookups;
};

} // namespace zr::server
