#pragma once

#include "common/schema.h"
#include "zrsvr_export.h"

#include <QByteArray>
#include <QHash>
#include <memory>

namespace zr::server {

/// The schema object of the reference server: table and view descriptions
/// read from a JSON document (by default the one compiled into the server,
/// data/schema/tables.json). Copies share the descriptions.
class ZRSVR_EXPORT JsonSchema : public Schema
{
public:
    /// The built-in descriptions, for a database of `dialect`.
    explicit JsonSchema(SqlDialect dialect = SqlDialect::SQLite);
    /// Descriptions read from `json`; throws ZrError when the document is malformed.
    static JsonSchema fromJson(const QByteArray &json, SqlDialect dialect = SqlDialect::SQLite);

    QString defaultTableName() const override;
    QStringList tableNames() const override;
    const SchemaTable *table(const QString &name) const override;
    SqlDialect dialect() const override { return m_dialect; }

private:
    struct Data
    {
        QString defaultTable;
        QList<SchemaTable> tables;
        QHash<QString, int> index;  // lower-case name -> position
    };
    static std::shared_ptr<const Data> parse(const QByteArray &json);

    std::shared_ptr<const Data> m_data;
    SqlDialect m_dialect;
};

} // namespace zr::server
