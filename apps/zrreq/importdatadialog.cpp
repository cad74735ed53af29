#include "importdatadialog.h"

#include "common/langstrings.h"
#include "common/waitcursor.h"
#include "common/msgboxex.h"
#include "common/zrerror.h"
#include "database.h"
#include "datakinds.h"
#include "servererrors.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace zr::app {

namespace {

enum : qint32 {
    StrCancel = 20092,
    StrPlanned = 65012,       // "%1: %2 to add, %3 to change, %4 unchanged"
    StrWritten = 65013,       // "%1: %2 added, %3 changed, %4 unchanged"
    StrPlannedPruned = 65020, // "%1: %2 to add, %3 to change, %4 to remove, %5 unchanged"
    StrWrittenPruned = 65021, // "%1: %2 added, %3 changed, %4 removed, %5 unchanged"
    StrTitle = 65101,
    StrFiles = 65102,
    StrAddFiles = 65103,
    StrRemoveFile = 65104,
    StrFileFilter = 65105,
    StrPrune = 65106,
    StrSkipBad = 65107,
    StrWouldChange = 65108,
    StrWhatWasWritten = 65109,
    StrRefusals = 65110, // "Refusals (%1):"
    StrImport = 65111,
    StrAddFilesFirst = 65112, // "... one for each kind of data: %1."
    StrCannotOpen = 65113,    // "%1: cannot be opened: %2"
    StrFileUnread = 65114,
    StrRefusedNothing = 65115, // "Nothing can be written while there are %1 refusals ..."
    StrNothingToChange = 65116,
    StrWillWrite = 65117, // "%1 rows will be written ..."
    StrWillWriteSkipping = 65118,
    StrWriting = 65119,
    StrCancelled = 65120,
    StrFailed = 65121, // "Nothing was written: %1"
    StrDone = 65122,
    StrNoRefusals = 65123,
};

const QString Source = QStringLiteral("ImportDataDialog");
const QString FolderKey = QStringLiteral("dataImport/folder");
constexpr int ProgressSteps = 1000;

// A kind's counts in one line; kind names are read again so that a language switch rewords them.
QString countsLine(const server::DataKindChanges &kind, bool pruned, bool written)
{
    const server::DataKind *known = server::FindDataKind(kind.kind);
    QStringList values{known ? known->shownName() : kind.kind, QString::number(kind.added),
                       QString::number(kind.changed)};
    if (pruned)
        values << QString::number(kind.removed);
    values << QString::number(kind.unchanged);
    const qint32 id = pruned ? (written ? StrWrittenPruned : StrPlannedPruned)
                             : (written ? StrWritten : StrPlanned);
    return ReplaceParams(GetLangString(id), values);
}

QPlainTextEdit *readOnlyText(const QString &name, QWidget *parent)
{
    auto *text = new QPlainTextEdit(parent);
    text->setObjectName(name);
    text->setReadOnly(true);
    // Read, selected and copied from the keyboard too; Tab goes on to the next control.
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setTabChangesFocus(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return text;
}

} // namespace

ImportDataDialog::ImportDataDialog(const QString &serverName, QWidget *parent)
    : QDialog(parent), m_serverName(serverName)
{
    setObjectName(QStringLiteral("importDataDialog"));
    m_filesLabel = new QLabel(this);
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("importFiles"));
    m_files->setMaximumHeight(m_files->fontMetrics().height() * 7);
    m_filesLabel->setBuddy(m_files);
    m_add = new QPushButton(this);
    m_add->setObjectName(QStringLiteral("importAdd"));
    m_remove = new QPushButton(this);
    m_remove->setObjectName(QStringLiteral("importRemove"));
    m_prune = new QCheckBox(this);
    m_prune->setObjectName(QStringLiteral("importPrune"));
    m_skipBad = new QCheckBox(this);
    m_skipBad->setObjectName(QStringLiteral("importSkipBad"));
    m_changesLabel = new QLabel(this);
    m_changesText = readOnlyText(QStringLiteral("importChanges"), this);
    m_changesLabel->setBuddy(m_changesText);
    m_refusalsLabel = new QLabel(this);
    m_refusalsText = readOnlyText(QStringLiteral("importRefusals"), this);
    m_refusalsLabel->setBuddy(m_refusalsText);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("importStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = m_status->font();
    bold.setBold(true);
    m_status->setFont(bold);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_importButton = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    m_importButton->setObjectName(QStringLiteral("importButton"));
    // Enter means Import and nothing else, and nothing while Import is disabled.
    for (QPushButton *button : {m_add, m_remove, buttons->button(QDialogButtonBox::Close)})
        button->setAutoDefault(false);
    m_importButton->setDefault(true);

    auto *fileButtons = new QVBoxLayout;
    fileButtons->addWidget(m_add);
    fileButtons->addWidget(m_remove);
    fileButtons->addStretch(1);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_files, 1);
    fileRow->addLayout(fileButtons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_filesLabel);
    layout->addLayout(fileRow);
    layout->addWidget(m_prune);
    layout->addWidget(m_skipBad);
    layout->addWidget(m_changesLabel);
    layout->addWidget(m_changesText, 3);
    layout->addWidget(m_refusalsLabel);
    layout->addWidget(m_refusalsText, 2);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    const QList<QWidget *> order{
        m_files,        m_add,          m_remove,
        m_prune,        m_skipBad,      m_changesText,
        m_refusalsText, m_importButton, buttons->button(QDialogButtonBox::Close)};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(m_add, &QPushButton::clicked, this, &ImportDataDialog::chooseFiles);
    connect(m_remove, &QPushButton::clicked, this, &ImportDataDialog::removeCurrentFile);
    auto *deleteKey = new QShortcut(QKeySequence(QKeySequence::Delete), m_files);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &ImportDataDialog::removeCurrentFile);
    connect(m_files, &QListWidget::currentRowChanged, this,
            [this](int row) { m_remove->setEnabled(row >= 0); });
    for (QCheckBox *option : {m_prune, m_skipBad})
        connect(option, &QCheckBox::toggled, this, &ImportDataDialog::changedByUser);
    connect(m_importButton, &QPushButton::clicked, this, &ImportDataDialog::importData);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_remove->setEnabled(false);
    retranslate();
    showPlan();
    resize(820, 620);
}

void ImportDataDialog::chooseFiles()
{
    QFileDialog dialog(this, StripMnemonic(GetLangString(StrAddFiles)).remove(u'…'),
                       QSettings().value(FolderKey).toString(), GetLangString(StrFileFilter));
    dialog.setObjectName(QStringLiteral("importFileDialog"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QSettings().setValue(FolderKey, QFileInfo(dialog.selectedFiles().constFirst()).absolutePath());
    addFiles(dialog.selectedFiles());
}

void ImportDataDialog::addFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (m_paths.contains(absolute))
            continue;
        m_paths << absolute;
        auto *item = new QListWidgetItem(QFileInfo(absolute).fileName(), m_files);
        item->setToolTip(QDir::toNativeSeparators(absolute));
    }
    if (m_files->currentRow() < 0 && m_files->count() > 0)
        m_files->setCurrentRow(m_files->count() - 1);
    changedByUser();
}

void ImportDataDialog::removeCurrentFile()
{
    const int row = m_files->currentRow();
    if (row < 0)
        return;
    delete m_files->takeItem(row);
    m_paths.removeAt(row);
    changedByUser();
}

void ImportDataDialog::changedByUser()
{
    m_outcome = Outcome::None;
    replan();
}

std::unique_ptr<server::DataImport> ImportDataDialog::newImport(QStringList &unread) const
{
    auto import = std::make_unique<server::DataImport>(server::Database::open(m_serverName));
    import->setPrune(m_prune->isChecked());
    import->setSkipBad(m_skipBad->isChecked());
    for (const QString &path : m_paths) {
        try {
            if (QString error; !import->addFile(path, &error))
                unread << ReplaceParams(GetLangString(StrCannotOpen),
                                        {QFileInfo(path).fileName(), error});
        } catch (ZrError &error) {
            TrapError(error, Source);
            unread << error.description;
        }
    }
    return import;
}

// A fresh import every time: reading the files again is cheap, and one that applied or was
// cancelled holds nothing to go on from. Only what it would do is kept: Import reads the files
// again, as they are then.
void ImportDataDialog::replan()
{
    m_unread.clear();
    m_databaseError.clear();
    m_problems.clear();
    m_changes.clear();
    if (!m_paths.isEmpty()) {
        // The files are read again on every change of options: large ones take a moment.
        const WaitCursor wait;
        try {
            const std::unique_ptr<server::DataImport> import = newImport(m_unread);
            m_problems = import->problems();
            m_changes = import->changes();
        } catch (ZrError &error) {
            TrapError(error, Source);
            m_databaseError = error.description;
            m_problems.clear();
            m_changes.clear();
        }
    }
    showPlan();
}

qint64 ImportDataDialog::rowsToWrite() const
{
    qint64 rows = 0;
    for (const server::DataKindChanges &kind : m_changes)
        rows += kind.added + kind.changed + kind.removed;
    return rows;
}

bool ImportDataDialog::canImport() const
{
    // A file that did not read may have left part of its rows behind: it is taken out, not skipped.
    return m_databaseError.isEmpty() && m_unread.isEmpty() &&
           (m_problems.isEmpty() || m_skipBad->isChecked()) && rowsToWrite() > 0;
}

QString ImportDataDialog::statusText() const
{
    switch (m_outcome) {
    case Outcome::Written:
        return GetLangString(StrDone);
    case Outcome::Cancelled:
        return GetLangString(StrCancelled);
    case Outcome::Failed:
        return ReplaceParams(GetLangString(StrFailed), {m_failure});
    case Outcome::None:
        break;
    }
    // With no files, the empty list of changes says what to add.
    if (m_paths.isEmpty())
        return QString();
    if (!m_databaseError.isEmpty())
        return m_databaseError;
    if (!m_unread.isEmpty())
        return GetLangString(StrFileUnread);
    const QString refusals = QString::number(m_problems.size());
    if (!m_problems.isEmpty() && !m_skipBad->isChecked())
        return ReplaceParams(GetLangString(StrRefusedNothing), {refusals});
    const QString rows = QString::number(rowsToWrite());
    if (rowsToWrite() == 0)
        return GetLangString(StrNothingToChange);
    return m_problems.isEmpty()
               ? ReplaceParams(GetLangString(StrWillWrite), {rows})
               : ReplaceParams(GetLangString(StrWillWriteSkipping), {rows, refusals});
}

void ImportDataDialog::showPlan()
{
    // After a write its counts stay in view; what the files would still change shows in the button.
    const bool written = m_outcome == Outcome::Written;
    QStringList lines;
    for (const server::DataKindChanges &kind : written ? m_written : m_changes) {
        lines << countsLine(kind, written ? m_writtenPruned : m_prune->isChecked(), written);
        if (!written)
            for (const QString &row : kind.firstRows)
                lines << QStringLiteral("  ") + row;
    }
    m_changesText->setPlainText(lines.join(u'\n'));
    m_changesLabel->setText(GetLangString(written ? StrWhatWasWritten : StrWouldChange));
    const QStringList refusals = m_unread + m_problems;
    m_refusalsText->setPlainText(refusals.join(u'\n'));
    m_refusalsLabel->setText(
        ReplaceParams(GetLangString(StrRefusals), {QString::number(refusals.size())}));
    m_changesText->setAccessibleName(StripMnemonic(m_changesLabel->text()));
    m_refusalsText->setAccessibleName(StripMnemonic(m_refusalsLabel->text()));
    m_importButton->setEnabled(canImport());
    m_status->setText(statusText());
}

bool ImportDataDialog::importData()
{
    if (!canImport())
        return false;
    const bool pruned = m_prune->isChecked();
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("importProgress"));
    progress.setWindowTitle(windowTitle());
    progress.setLabelText(GetLangString(StrWriting));
    progress.setCancelButtonText(GetLangString(StrCancel));
    progress.setRange(0, ProgressSteps);
    progress.setMinimumWidth(progress.fontMetrics().averageCharWidth() * 50);
    // Nothing else may reach the database while its write transaction is open.
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(400);
    // A reset at the last row would forget a Cancel pressed just then.
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    bool done = false;
    try {
        // A new import, worked out as it is written: the progress and its Cancel cover all of it.
        QStringList unread;
        const std::unique_ptr<server::DataImport> import = newImport(unread);
        if (!unread.isEmpty())
            throw ZrError(server::ErrDataFileRefused, Source, unread.join(u'\n'));
        done = import->apply([this, &progress](qint64 part, qint64 total) {
            progress.setValue(int(part * ProgressSteps / std::max<qint64>(total, 1)));
            Q_EMIT writing(part, total);
            return !progress.wasCanceled();
        });
        m_outcome = done ? Outcome::Written : Outcome::Cancelled;
        m_written = done ? import->changes() : QList<server::DataKindChanges>();
    } catch (ZrError &error) {
        TrapError(error, Source);
        m_outcome = Outcome::Failed;
        m_failure = error.description;
    }
    progress.close();
    if (m_outcome == Outcome::Failed)
        ShowErrorMessage(ReplaceParams(GetLangString(StrFailed), {m_failure}), this);
    m_writtenPruned = pruned;
    replan();
    if (done)
        Q_EMIT imported();
    return done;
}

void ImportDataDialog::retranslate()
{
    setWindowTitle(GetLangString(StrTitle));
    m_filesLabel->setText(GetLangString(StrFiles));
    m_files->setAccessibleName(StripMnemonic(GetLangString(StrFiles)));
    m_add->setText(GetLangString(StrAddFiles));
    m_remove->setText(GetLangString(StrRemoveFile));
    m_prune->setText(GetLangString(StrPrune));
    m_skipBad->setText(GetLangString(StrSkipBad));
    m_importButton->setText(GetLangString(StrImport));
    QStringList kinds;
    for (const server::DataKind &kind : server::DataKinds())
        kinds << kind.shownName();
    m_changesText->setPlaceholderText(
        ReplaceParams(GetLangString(StrAddFilesFirst), {kinds.join(QStringLiteral(", "))}));
    m_refusalsText->setPlaceholderText(GetLangString(StrNoRefusals));
}

void ImportDataDialog::changeEvent(QEvent *event)
{
    // Refusals and kind names are worded as the files are read: read them again.
    if (event->type() == QEvent::LanguageChange && m_importButton) {
        retranslate();
        replan();
    }
    QDialog::changeEvent(event);
}

} // namespace zr::app
