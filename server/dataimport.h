#pragma once

#include "csvreader.h"
#include "datakinds.h"
#include "zrsvr_export.h"

#include <QHash>
#include <QStringList>
#include <QVariantList>

#include <memory>

class QIODevice;

namespace zr::server {

class Database;

/// What an import would do to the rows of one kind.
struct DataKindChanges
{
    QString kind;
    qint64 added = 0;
    qint64 changed = 0;
    qint64 unchanged = 0;
};

/// Brings a registry's data files into the database. Rows are matched with the
/// stored ones by their codes, never by database ids: a row not stored is added, a
/// stored one that differs in a column the file gives is changed, nothing is removed.
/// Files are read and checked first; apply() writes every file's rows in one
/// transaction, and refuses to when any row was refused.
class ZRSVR_EXPORT DataImport
{
public:
    explicit DataImport(std::shared_ptr<Database> db);

    /// Reads one file of the kind `kindName`, or of the kind its header names.
    void addFile(QIODevice *device, const QString &fileName, const QString &kindName = {},
                 const CsvDialect &dialect = {});
    /// Every refusal so far, one line each, naming file, line and column.
    QStringList problems();
    /// Per kind read, what apply() would do.
    QList<DataKindChanges> changes();
    /// Writes the additions and changes; throws ErrDataFileRefused with the problems, writing
    /// nothing.
    void apply();
    /// The stored rows of `kind` as its file gives them: codes for references, a flag as yes
    /// or no, in the kind's column order. What an import of them would leave as it is.
    QList<QStringList> storedRows(const DataKind &kind);

private:
    struct Row
    {
        QString file;
        qint64 line = 0;
        QVariantList values; // one per column of the kind
        QList<bool> given;   // the columns the file has
    };
    struct KindRows
    {
        QList<Row> rows; // in file order, one per key
        QHash<QString, qsizetype> byKey;
        QHash<QString, QVariantList> stored; // stored rows by key, the kind's columns then the id
        bool storedRead = false;
        QHash<QString, QVariant> ids; // by key: stored rows', then those apply() adds
        QHash<QString, QString> keyOfId;
    };

    const DataKind *kindOfHeader(const QStringList &header, const QString &fileName);
    void readStored(const DataKind &kind, KindRows &rows);
    void check();
    bool differs(const Row &row, const QVariantList &stored) const;

    std::shared_ptr<Database> m_db;
    QHash<QString, KindRows> m_kinds;
    QStringList m_problems;
    QStringList m_checkProblems;
    bool m_checked = false;
};

} // namespace zr::server
