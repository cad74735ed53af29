#pragma once

#include "csvreader.h"
#include "datakinds.h"
#include "zrsvr_export.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVariantList>

#include <functional>
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
    qint64 removed = 0;   ///< with pruning: stored rows no file names
    QStringList firstRows; ///< the first few rows added, changed or removed, as their files say
};

/// Told every so many rows how far apply() is; answering false cancels it, writing nothing.
using DataProgress = std::function<bool(qint64 done, qint64 total)>;

/// Brings a registry's data files into the database. Rows are matched with the
/// stored ones by their codes, never by database ids: a row not stored is added, a
/// stored one that differs in a column the file gives is changed, and nothing is removed
/// unless pruning is asked for. Files are read and checked first; apply() writes every
/// file's rows in one transaction, and refuses to when any row was refused unless refused
/// rows are to be left out.
class ZRSVR_EXPORT DataImport
{
public:
    explicit DataImport(std::shared_ptr<Database> db);

    /// Reads one file of the kind `kindName`, or of the kind its header names.
    void addFile(QIODevice *device, const QString &fileName, const QString &kindName = {},
                 const CsvDialect &dialect = {});
    /// Stored rows of the kinds read that no file row names are removed; refused when
    /// another stored row still names one.
    void setPrune(bool prune);
    /// Refused rows are left out (and rows that name them) instead of refusing the import.
    void setSkipBad(bool skip);
    /// Every refusal so far, one line each, naming file, line and column.
    QStringList problems();
    /// Per kind read, what apply() would do.
    QList<DataKindChanges> changes();
    /// Writes the additions, changes and removals; throws ErrDataFileRefused with the problems,
    /// writing nothing. False when `progress` cancelled it, nothing written.
    bool apply(const DataProgress &progress = {});
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
        bool refused = false;
    };
    struct KindRows
    {
        QList<Row> rows; // in file order, one per key
        QHash<QString, qsizetype> byKey;
        QHash<QString, QVariantList> stored; // stored rows by key, the kind's columns then the id
        bool storedRead = false;
        QHash<QString, QVariant> ids; // by key: stored rows', then those apply() adds
        QHash<QString, QString> keyOfId;
        bool read = false;         // a file of the kind was read: what pruning removes from
        QSet<QString> named;       // every key a file row gives, refused or not
        QSet<QString> removed;     // stored keys pruning removes
    };

    const DataKind *kindOfHeader(const QStringList &header, const QString &fileName);
    void readStored(const DataKind &kind, KindRows &rows);
    void check();
    void checkReferences(const DataKind &kind);
    void checkRemovals(const DataKind &kind);
    bool differs(const Row &row, const QVariantList &stored) const;
    QStringList removedKeys(const DataKind &kind) const;
    QVariant tableValue(const DataKind &kind, qsizetype c, const QVariantList &values);
    void remove(const DataKind &kind, const QString &key);

    std::shared_ptr<Database> m_db;
    QHash<QString, KindRows> m_kinds;
    QHash<QString, QStringList> m_columnLabels; // by file: how messages name each kind column
    QStringList m_problems;
    QStringList m_checkProblems;
    bool m_checked = false;
    bool m_prune = false;
    bool m_skipBad = false;
};

} // namespace zr::server
