#pragma once

#include "dataimport.h"

#include <QDialog>
#include <QList>
#include <QStringList>

#include <memory>

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace zr::app {

/// File > Import data: a registry's data files read against the database of the
/// window, what they would change per kind and every refusal shown before anything
/// is written. Import writes them in one transaction behind a progress window whose
/// Cancel writes nothing. Files and options stay as they are whatever the outcome.
class ImportDataDialog : public QDialog
{
    Q_OBJECT
public:
    /// Reads files against the database of `serverName` ("" is the embedded one).
    explicit ImportDataDialog(const QString &serverName, QWidget *parent = nullptr);

    /// Asks for files (several at once) and adds those chosen.
    void chooseFiles();
    /// Adds `paths` (one listed already is left alone) and reads the plan again.
    void addFiles(const QStringList &paths);
    /// The files listed, as added.
    QStringList files() const { return m_paths; }
    /// Reads the files again and writes them. False when that is not allowed now, was
    /// cancelled or failed; the dialog says which.
    bool importData();

Q_SIGNALS:
    /// Rows were written: what the host shows may have changed.
    void imported();
    /// Told as Import writes (`done` of `total`, as the import counts), before the
    /// progress window's Cancel is read.
    void writing(qint64 done, qint64 total);

protected:
    void changeEvent(QEvent *event) override;

private:
    enum class Outcome { None, Written, Cancelled, Failed };

    void removeCurrentFile();
    /// A user's change of files or options: the last outcome no longer stands.
    void changedByUser();
    /// An import of the files listed, with the options chosen; a file that cannot be read
    /// adds its reason to `unread`. Throws ZrError when the database cannot be opened.
    std::unique_ptr<server::DataImport> newImport(QStringList &unread) const;
    void replan();
    void showPlan();
    void retranslate();
    qint64 rowsToWrite() const;
    bool canImport() const;
    QString statusText() const;

    QString m_serverName;
    QStringList m_paths;
    QStringList m_unread; ///< files that did not open or read
    QString m_databaseError;
    QStringList m_problems;
    QList<server::DataKindChanges> m_changes;
    Outcome m_outcome = Outcome::None;
    QList<server::DataKindChanges> m_written;
    bool m_writtenPruned = false;
    QString m_failure;

    QLabel *m_filesLabel = nullptr;
    QListWidget *m_files = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_remove = nullptr;
    QCheckBox *m_prune = nullptr;
    QCheckBox *m_skipBad = nullptr;
    QLabel *m_changesLabel = nullptr;
    QPlainTextEdit *m_changesText = nullptr;
    QLabel *m_refusalsLabel = nullptr;
    QPlainTextEdit *m_refusalsText = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_importButton = nullptr;
};

} // namespace zr::app
