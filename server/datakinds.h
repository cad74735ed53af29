#pragma once

#include "zrsvr_export.h"

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
    QList<qsizetype> scopeAt; ///< the places of the `scope` columns in the kind
    /// A yes or no ("1", "yes", "ναι" / "0", "no", "όχι"), stored as -1 or 0.
    bool flag = false;
    /// An empty cell leaves the stored value, or the table's default for a new row.
    bool defaulted = false;
    /// The column whose code stands in when this one is empty (a course's department: the
    /// student's).
    QString otherwise;
    /// Not in files: the value of the same table column of the row that the reference
    /// column named here names (a programme's course keeps its course's code and title).
    QString copiedFrom;
    /// When `most` > `least`, the numbers allowed.
    double least = 0;
    double most = 0;
    QString example; ///< a value the template's example row shows
    QString about;   ///< what it holds, for the column reference

    bool inFiles() const { return copiedFrom.isEmpty(); }
};

/// A kind of data file: the table its rows go to and its columns. A row is matched
/// by its key columns; a table whose key is no code hands out new ids in `idColumn`.
struct DataKind
{
    QString name; ///< "departments", "courses"
    QString greek;
    QString table;
    QString idColumn; ///< empty when the key is the table's own key
    QString about;
    QList<DataColumn> columns;

    /// The name in the language of the messages.
    QString shownName() const;
    /// "programme-courses.csv": the name export and template give its file.
    QString fileName() const;
    /// The columns a file of this kind has, in the order a written file gives them.
    QStringList header() const;
};

/// The kinds in the order they are written (a kind before those that refer to it).
ZRSVR_EXPORT const QList<DataKind> &DataKinds();
/// The kind named `name` (English or Greek, any case), or null.
ZRSVR_EXPORT const DataKind *FindDataKind(const QString &name);
/// The English names of every kind, in order, joined by ", ".
ZRSVR_EXPORT QString DataKindNames();
/// Every kind's columns as Markdown (only `kind`'s when given): names, required, key, what a
/// value may be.
ZRSVR_EXPORT QString DataKindsReference(const DataKind *kind = nullptr);

} // namespace zr::server
