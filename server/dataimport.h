#pragma once

#include "csvreader.h"
#include "database.h"
#include "datakinds.h"
#include "zrsvr_export.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace zr::server {

/// What an import would do to the rows of one kind.
struct DataKindChanges
{
    QString kind;
    qint64 added = 0;
    qint64 changed = 0;
    qint64 unchanged = 0;
    qint64 removed = 0;    ///< with pruning: stored rows no file names
    QStringList firstRows; ///< the first few rows added, changed or removed, as their files say
};

/// Told every so many rows how far the import is; answering false cancels it, writing nothing.
using DataProgress = std::function<bool(qint64 done, qint64 total)>;

/// Brings a registry's data files into the database. Rows are matched with the
/// stored ones by their codes, never by database ids: a row not stored is added, a
/// stored one that differs in a column the file gives is changed, and nothing is removed
/// unless pruning is asked for.
///
/// The import is worked out by writing it in one transaction, rolled back for the plan
/// (problems(), changes()) and committed by apply(): the plan is exactly what apply() writes.
/// The rows of the kinds no other kind names (results, enrolments ...) are streamed from their
/// files, never held.
class ZRSVR_EXPORT DataImport
{
public:
    explicit DataImport(std::shared_ptr<Database> db);
    ~DataImport();

    /// Takes one open file of the kind `kindName`, or of the kind its name or header names.
    void addFile(std::unique_ptr<QIODevice> device, const QString &fileName,
                 const QString &kindName = {}, const CsvDialect &dialect = {});
    /// The same for the file at `path`; false, with `error` saying why, when it cannot be read.
    bool addFile(const QString &path, QString *error, const QString &kindName = {},
                 const CsvDialect &dialect = {});
    /// Stored rows of the kinds read that no file row names are removed; refused when
    /// another stored row still names one.
    void setPrune(bool prune);
    /// Refused rows are left out (and rows that name them) instead of refusing the import.
    void setSkipBad(bool skip);
    /// Every refusal, one line each, naming file, line and column.
    QStringList problems();
    /// Per kind read, what apply() writes.
    QList<DataKindChanges> changes();
    /// Writes the additions, changes and removals; throws ErrDataFileRefused with the problems,
    /// writing nothing. False when `progress` cancelled it, nothing written. Once applied, the
    /// import writes nothing more; problems() and changes() tell what it wrote.
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
    /// Where a file's columns go, and how messages name them.
    struct FileColumns
    {
        QString file;
        QList<int> place;   // per column of the file, the kind's column
        QStringList labels; // per column of the kind, the file's name for it
        qsizetype fields = 0;
        QList<const SchemaColumn *> described; // per column of the kind, a value's column
    };
    /// A file of a kind whose rows are streamed when the import is worked out.
    struct StreamedFile
    {
        std::unique_ptr<QIODevice> device;
        CsvDialect dialect;
        const DataKind *kind = nullptr;
        FileColumns columns;
        qint32 number = 0; // among the streamed files, for the line a key was first met on
    };
    struct KindRows
    {
        QList<Row> rows; // in file order, one per key
        QHash<QString, qsizetype> byKey;
        QHash<QString, QVariantList> stored; // stored rows by key, in the kind's columns
        bool storedRead = false;
        QHash<QString, QVariant> ids; // stored rows' ids by key
        QHash<QString, QString> keyOfId;
        bool read = false;     // a file of the kind was read: what pruning removes from
        QSet<QString> named;   // every key a file row gives, refused or not
        QSet<QString> removed; // stored keys pruning removes
    };
    struct Streamed; // the state of one streamed kind while it is written

    const DataKind *kindOfHeader(const QStringList &header, const QString &fileName);
    bool readRecord(const DataKind &kind, const FileColumns &columns, const CsvRecord &record,
                    Row &row, QStringList &problems);
    struct Memo
    {
        QVariantList codes; // the codes a reference column named last, its scope's first
        QVariant id;
    };
    bool referencesKnown(const DataKind &kind, const Row &row, QStringList &problems,
                         QVariantList *table = nullptr, QList<Memo> *memo = nullptr);
    void readStored(const DataKind &kind, KindRows &rows);
    QVariant streamedId(const DataKind &kind, const QString &code);
    void rememberId(const DataKind &kind, const QString &code, const QVariant &id);
    QString codeOf(const DataKind &kind, const QVariant &id);
    QVariantList codesOf(const DataKind &kind, const QSqlQuery &query);
    void check();
    void checkReferences(const DataKind &kind);
    void checkRemovals(const DataKind &kind);
    static bool differs(const DataKind &kind, const Row &row, const QVariantList &values,
                        const QVariantList &stored);
    QVariant tableValue(const DataKind &kind, qsizetype c, const QVariantList &values);
    void remove(const DataKind &kind, const QString &key);
    bool workOut(const DataProgress &progress, bool commit);
    bool writeKept(const DataKind &kind, const std::function<bool(qint64)> &onward);
    bool stream(StreamedFile &file, Streamed &state, const std::function<bool(qint64)> &onward);
    bool pruneStreamed(const DataKind &kind, Streamed &state,
                       const std::function<bool(qint64)> &onward);
    void forgetWorkedOut();

    std::shared_ptr<Database> m_db;
    QHash<QString, KindRows> m_kinds;
    std::vector<StreamedFile> m_streamed;
    QHash<QString, DataKindChanges> m_streamedChanges;
    QHash<QString, FileColumns> m_columns;              // by file
    QHash<QString, QHash<QString, QVariant>> m_idCache; // by kind: ids of codes lately met
    QHash<QString, qint64> m_firstNewId; // by kind: the first id this import hands out
    QStringList m_problems;              // found reading
    QStringList m_checkProblems;         // found checking the codes of the rows held
    QStringList m_streamProblems;        // found streaming
    bool m_checked = false;
    bool m_prune = false;
    bool m_skipBad = false;
    bool m_planned = false; // the counts and refusals of a worked-out import are kept
    bool m_applied = false;
};

} // namespace zr::server
