#pragma once

#include "zrsvr_export.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zr::server {

/// The database schema as the server creates it (data/schema.sql), read into
/// its tables, indexes and views, so that a database can be compared with it
/// and brought up to date without being made again.
struct ZRSVR_EXPORT SchemaScript
{
    struct Column
    {
        QString name;
        QString definition;  ///< "coefficient DOUBLE PRECISION": what ADD COLUMN takes
    };
    struct Table
    {
        QString name;
        QList<Column> columns;
        QString statement;   ///< CREATE TABLE ...
    };
    struct Object
    {
        QString name;
        QString table;       ///< the table an index is on; empty for a view
        QString statement;   ///< CREATE INDEX ... / CREATE VIEW ...
    };

    QList<Table> tables;     ///< in the order they are created
    QList<Object> indexes;
    QList<Object> views;

    /// The schema compiled into the server.
    static const SchemaScript &builtIn();
    /// Reads a script of CREATE TABLE, CREATE INDEX and CREATE VIEW statements.
    static SchemaScript parse(const QString &script);
    const Table *table(const QString &name) const;
};

} // namespace zr::server
