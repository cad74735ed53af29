#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zr::server {

/// One column of a data file: the names its header may give it and where it goes.
/// Types and lengths are the table's own (the schema's description).
struct DataColumn
{
    QString name;   ///< the English header, as the file template writes it
    QString greek;  ///< the Greek header
    QString column; ///< the table's column; empty for a column that only places a code (scope)
    bool required = false;
    bool key = false; ///< part of the code that matches a row, never a database id
    /// A kind one of whose rows this column's code names, within the codes of the `scope`
    /// columns (a curriculum's code within its department and programme). The table
    /// stores the row's id where that kind has ids, the code itself otherwise.
    QString refersTo;
    QStringList scope;
    /// A yes or no ("1", "yes", "ναι" / "0", "no", "όχι"), stored as -1 or 0.
    bool flag = false;
    /// The column whose code stands in when this one is empty (a course's department: the
    /// student's).
    QString otherwise;
    /// When `most` > `least`, the numbers allowed.
    double least = 0;
    double most = 0;
};

/// A kind of data file: the table its rows go to and its columns. A row is matched
/// by its key columns; a table whose key is no code hands out new ids in `idColumn`.
struct DataKind
{
    QString name; ///< "departments", "courses"
    QString greek;
    QString table;
    QString idColumn; ///< empty when the key is the table's own key
    QList<DataColumn> columns;
};

/// The kinds in the order they are written (a kind before those that refer to it).
const QList<DataKind> &DataKinds();
/// The kind named `name` (English or Greek, any case), or null.
const DataKind *FindDataKind(const QString &name);

} // namespace zr::server
