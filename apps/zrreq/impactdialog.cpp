#include "impactdialog.h"

#include "auditsources.h"
#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "reqtypes/typecatalog.h"
#include "common/zrerror.h"
#include "search/listprint.h"
#include "database.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace zr::app {

namespace {

enum : qint32 {
    StrSave = 10111,
    StrPrint = 20528,
    StrTitle = 63502,    // "Effect of the change on students"
    StrChecking = 63503, // "Checking students: %1 of %2"
    StrColumns = 63504,  // 63504..63509: student, registration no., name, before, after, decided by
    StrExportCsv = 63513,
    StrCsvFilter = 63514,
    StrCsvFailed = 63515, // "Could not write %1: %2"
};
constexpr int ColumnCount = 6;
// A check that ends within this long saves without showing the dialog at all.
constexpr int QuietMs = 300;

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

ImpactDialog::ImpactDialog(const QString &server, qint32 programme, const RecordScope &scope, SetImpact impact,
                           QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("impactDialog"));
    setWindowTitle(GetLangString(StrTitle));
    m_checkedAt = QDateTime::currentDateTime();
    try {
        Recordset title = ServerObjectOf<cDepartment>(server)->getTextList(QStringLiteral("QEMDepPrograms"),
                                                                          QStringLiteral("prID=%1").arg(programme));
        title.moveFirst();
        m_heading = title.eof() ? QString::number(programme) : title.value(u"prtitle").toString();
    } catch (ZrError &error) {
        TrapError(error);
        m_heading = QString::number(programme);
    }
    m_heading += QStringLiteral(" · ") + ContextTitle(scope.context);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("impactSummary"));
    m_summary->setWordWrap(true);
    QFont bold = m_summary->font();
    bold.setBold(true);
    m_summary->setFont(bold);
    m_progress = new QProgressBar(this);
    m_model = new QStandardItemModel(0, ColumnCount, this);
    for (int c = 0; c < ColumnCount; ++c)
        m_model->setHeaderData(c, Qt::Horizontal, GetLangString(StrColumns + c));
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("impactList"));
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSortingEnabled(true);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->hide();

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton *save = m_buttons->addButton(StripMnemonic(GetLangString(StrSave)), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("impactSave"));
    save->setEnabled(false);
    // Saving changes students' results: Enter does not do it by accident; Cancel is the default.
    save->setAutoDefault(false);
    m_buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    QPushButton *csv = m_buttons->addButton(GetLangString(StrExportCsv), QDialogButtonBox::ActionRole);
    csv->setObjectName(QStringLiteral("impactCsv"));
    csv->setEnabled(false);
    QPushButton *printButton = m_buttons->addButton(GetLangString(StrPrint), QDialogButtonBox::ActionRole);
    printButton->setObjectName(QStringLiteral("impactPrint"));
    printButton->setEnabled(false);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(csv, &QPushButton::clicked, this, &ImpactDialog::exportChosenFile);
    connect(printButton, &QPushButton::clicked, this, &ImpactDialog::print);
    auto *printAction = new QAction(this);
    printAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(printAction, &QAction::triggered, this, [this] {
        if (m_finished && !m_report.changes.isEmpty())
            print();
    });
    addAction(printAction);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_progress);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_buttons);
    resize(820, 480);

    m_total = StudentCount(server, programme, 0);
    m_progress->setRange(0, int(std::min<qint64>(m_total, std::numeric_limits<int>::max())));
    m_summary->setText(ReplaceParams(GetLangString(StrChecking), {QStringLiteral("0"), QString::number(m_total)}));
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this] {
        const qint64 done = m_done.load();
        m_progress->setValue(int(std::min<qint64>(done, m_progress->maximum())));
        if (!m_finished)
            m_summary->setText(ReplaceParams(GetLangString(StrChecking),
                                             {QString::number(done), QString::number(m_total)}));
    });
    poll->start(100);

    // The walk opens its own connection on its own thread, in the user's language; the prepared sets
    // are shared read-only.
    const int language = CurrentLanguage();
    m_worker = QThread::create([this, server, programme, scope, language, impact = std::move(impact)]() mutable {
        InitLanguage(language);
        try {
            auto students = ServerObjectOf<cStudent>(server);
            m_report = SetImpact::measure(*students, programme, 0, scope, std::move(impact), [this](qint64 done) {
                m_done = done;
                return !m_cancel.load();
            });
        } catch (ZrError &error) {
            TrapError(error);
            m_error = error.description;
            m_report = ImpactReport();
            m_report.cancelled = true;
        }
        // Closed here, while the thread is still whole: left to the thread's end, the connection
        // would be torn down after the QThread that owns its driver is gone.
        server::Database::closeAll();
    });
    connect(m_worker, &QThread::finished, this, [this, poll] {
        poll->stop();
        m_finished = true;
        showReport();
        emit finished();
    });
    m_worker->start();
}

ImpactDialog::~ImpactDialog()
{
    m_cancel = true;
    m_worker->wait();
    delete m_worker;
}

void ImpactDialog::reject()
{
    m_cancel = true;
    QDialog::reject();
}

void ImpactDialog::showReport()
{
    m_progress->hide();
    m_summary->setText(m_error.isEmpty() ? m_report.summary() : m_error);
    for (const StudentImpact &c : std::as_const(m_report.changes)) {
        QList<QStandardItem *> row;
        auto *id = new QStandardItem;
        id->setData(c.studentId, Qt::DisplayRole);
        row << id << new QStandardItem(c.registration) << new QStandardItem(c.name)
            << new QStandardItem(VerdictText(c.before)) << new QStandardItem(VerdictText(c.after))
            << new QStandardItem(c.decidedBy);
        m_model->appendRow(row);
    }
    m_table->setVisible(!m_report.changes.isEmpty());
    const bool listed = !m_report.changes.isEmpty() && !m_report.cancelled;
    for (const char *name : {"impactSave", "impactCsv", "impactPrint"})
        m_buttons->findChild<QPushButton *>(QLatin1String(name))->setEnabled(listed);
    // Nobody's result changes: nothing to look through before saving.
    if (isVisible() && m_report.changes.isEmpty() && !m_report.cancelled)
        accept();
}

bool ImpactDialog::exportCsv(const QString &path, QString *error) const
{
    QString text;
    for (int c = 0; c < ColumnCount; ++c)
        text += (c ? QStringLiteral(",") : QString()) + csvField(m_model->headerData(c, Qt::Horizontal).toString());
    text += QLatin1Char('\n');
    for (int r = 0; r < m_model->rowCount(); ++r) {
        for (int c = 0; c < ColumnCount; ++c)
            text += (c ? QStringLiteral(",") : QString()) + csvField(m_model->index(r, c).data().toString());
        text += QLatin1Char('\n');
    }
    QSaveFile file(path);
    // The byte order mark tells Excel the file is UTF-8: without it Greek names read as mojibake.
    if (file.open(QIODevice::WriteOnly) && file.write("\xEF\xBB\xBF" + text.toUtf8()) >= 0 && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

void ImpactDialog::exportChosenFile()
{
    const QString suggested = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                  .filePath(QStringLiteral("impact.csv"));
    QString path = QFileDialog::getSaveFileName(this, StripMnemonic(GetLangString(StrExportCsv)), suggested,
                                                GetLangString(StrCsvFilter));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    QString error;
    if (!exportCsv(path, &error))
        QMessageBox::warning(this, windowTitle(), ReplaceParams(GetLangString(StrCsvFailed), {path, error}));
}

QString ImpactDialog::printTitle() const
{
    // The date as the reader's language writes it.
    const QLocale locale(CurrentLanguage() == LangGreek ? QLocale::Greek : QLocale::English);
    return windowTitle() + QStringLiteral(" — ") + m_heading + QStringLiteral(" · ")
           + locale.toString(m_checkedAt, QLocale::ShortFormat);
}

QString ImpactDialog::printFooter() const
{
    return (QStringList{m_report.summary()} + m_change).join(QLatin1Char('\n'));
}

void ImpactDialog::print()
{
    const std::unique_ptr<QTextDocument> document =
        ListDocument(*m_model, m_table->horizontalHeader(), printTitle(), printFooter());
    PreviewAndPrint(*document, GetLangString(StrPrint), this);
}

ImpactDialog::Answer ImpactDialog::confirmSave(const QString &server, qint32 programme, const RecordScope &scope,
                                               SetImpact impact, QWidget *parent, const QStringList &change)
{
    ImpactDialog dialog(server, programme, scope, std::move(impact), parent);
    dialog.m_change = change;
    if (!dialog.isFinished()) {
        QEventLoop wait;
        connect(&dialog, &ImpactDialog::finished, &wait, &QEventLoop::quit);
        QTimer::singleShot(QuietMs, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (dialog.isFinished() && dialog.report().changes.isEmpty() && !dialog.report().cancelled)
        return Answer::Save;
    if (dialog.exec() == QDialog::Accepted)
        return Answer::Save;
    return dialog.isFinished() && !dialog.report().cancelled ? Answer::Declined : Answer::Stopped;
}

} // namespace zr::app
