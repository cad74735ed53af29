#pragma once

#include "common/schema.h"
#include "zrsvr_export.h"

#include <QString>
#include <QVariantList>

namespace zr::server {

/// A filter turned into SQL over one table: placeholders "?" in `sql`,
/// their values in order in `values`. Empty `sql` means no condition.
struct BoundFilter
{
    QString sql;
    QVariantList values;
};

/// Parses filter text (what a caller would write after WHERE) against the
/// columns of `table` and writes it in `dialect` with bound values.
///
/// Accepted: comparisons (= <> != < > <= >=), AND, OR, NOT, parentheses,
/// [NOT] LIKE / ILIKE with optional ESCAPE, [NOT] IN (literals),
/// IS [NOT] NULL, [NOT] BETWEEN, & on integers, quoted text with doubled
/// quotes, numbers, NULL, TRUE/FALSE, DATE '...' and TIMESTAMP '...'.
/// Literals are converted to the type of the column they meet.
/// Anything else (a second statement, a comment, a sub-query, a function,
/// an unknown column, a comparison of constants) throws ZrError
/// ErrFilterRefused with `source`; nothing is executed by the caller then.
ZRSVR_EXPORT BoundFilter parseFilter(const QString &filter, const SchemaTable &table, SqlDialect dialect,
                        const QString &source = QStringLiteral("zrQEMSvr.Filter"));

/// Checks an ORDER BY list ("title", "semID, title DESC") against the table's
/// columns and returns it with the columns' own names; throws ErrUnknownColumn.
ZRSVR_EXPORT QString checkedOrderBy(const QString &orderBy, const SchemaTable &table,
                       const QString &source = QStringLiteral("zrQEMSvr.Filter"));

} // namespace zr::server
