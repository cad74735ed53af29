#pragma once

#include "sqldialect.h"
#include "zrreq_export.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace zr {

/// Field type codes of a column, as the search control chooses its editors:
/// 0 text (sub-type 6: long text), 1 list with numeric ids, 2 list with text
/// ids, 3 integer, 4 yes/no stored as -1/0, 5 date, 6 decimal, 7 currency,
/// 8 time, 9 date and time, 10 list of codes, 11 memo, 12 bit mask.
enum FieldTypeCode {
    FieldText = 0, FieldList = 1, FieldListText = 2, FieldInteger = 3, FieldYesNo = 4,
    FieldDate = 5, FieldDecimal = 6, FieldCurrency = 7, FieldTime = 8, FieldDateTime = 9,
    FieldCodeList = 10, FieldMemo = 11, FieldBitMask = 12
};

/// How a column is stored in the database.
enum class SqlType { Integer, Real, Text, Date, Timestamp };

/// One column of a described table or view.
struct ZRREQ_EXPORT SchemaColumn
{
    QString name;
    QString captionGreek;
    QString captionEnglish;
    SqlType sqlType = SqlType::Text;
    int type = FieldText;     ///< FieldTypeCode
    int subType = 0;
    int definedSize = 0;      ///< characters for text columns, 0 otherwise
    QString listSource;       ///< "TEXT:id;text;..." or "RECORDSET:table", or empty
    bool searchable = true;

    /// The caption in the language of the calling thread's string service.
    QString caption() const;
    bool isNumeric() const { return sqlType == SqlType::Integer || sqlType == SqlType::Real; }
};

/// The description of one table or view: columns in order, the where text
/// the table adds to every search over it, and its named column layouts.
class ZRREQ_EXPORT SchemaTable
{
public:
    QString name;
    QString captionGreek;
    QString captionEnglish;
    QString keyColumn;
    QString whereText;
    bool isView = false;
    QList<SchemaColumn> columns;
    QHash<QString, QStringList> layouts;

    QString caption() const;
    /// Index of the column named `name` (case-insensitive), -1 when there is none.
    int indexOf(const QString &name) const;
    /// The column named `name` (case-insensitive), nullptr when there is none.
    const SchemaColumn *column(const QString &name) const;
    /// The columns of layout `name` in the layout's order; empty for an unknown layout.
    QList<SchemaColumn> layout(const QString &name) const;
    /// The searchable columns in the table's order.
    QList<SchemaColumn> searchableColumns() const;
};

/// The schema object a host hands to the controls: descriptions of the
/// tables and views of its database. Owned by the host.
class ZRREQ_EXPORT Schema
{
public:
    virtual ~Schema();
    /// The table searched when a caller names none.
    virtual QString defaultTableName() const = 0;
    virtual QStringList tableNames() const = 0;
    /// The description of `name` (case-insensitive), nullptr when unknown.
    virtual const SchemaTable *table(const QString &name) const = 0;
    /// The dialect of the database the descriptions belong to.
    virtual SqlDialect dialect() const = 0;
};

} // namespace zr
