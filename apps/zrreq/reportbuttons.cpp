#include "reportbuttons.h"

#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/zrerror.h"
#include "preview/reportpdf.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

namespace zr::app {

namespace {

enum : qint32 {
    StrPrint = 63316,          // "&Print report..."
    StrSavePdf = 63317,        // "Save as P&DF..."
    StrPdfFiles = 63318,
    StrCannotReport = 63319,   // "The report can not be made: %1"
    StrCouldNotWrite = 63515,  // "Could not write %1: %2"
};

bool runPrintDialog(QPrinter *printer, QWidget *parent)
{
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QString askPdfFile(QWidget *parent, const QString &suggested)
{
    QString path = QFileDialog::getSaveFileName(parent, StripMnemonic(GetLangString(StrSavePdf)), suggested,
                                                GetLangString(StrPdfFiles));
    if (!path.isEmpty() && !path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    return path;
}

} // namespace

ReportButtons::ReportButtons(bool mnemonics, QWidget *parent)
    : QWidget(parent), m_mnemonics(mnemonics), m_printSetup(runPrintDialog), m_fileChooser(askPdfFile)
{
    setObjectName(QStringLiteral("reportButtons"));
    m_print = new QPushButton(this);
    m_print->setObjectName(QStringLiteral("cmdPrintReport"));
    m_save = new QPushButton(this);
    m_save->setObjectName(QStringLiteral("cmdSaveReportPdf"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_print);
    layout->addWidget(m_save);
    connect(m_print, &QPushButton::clicked, this, [this] { print(); });
    connect(m_save, &QPushButton::clicked, this, [this] { saveAsPdf(); });
    retranslate();
}

void ReportButtons::setSource(ReportSource source)
{
    m_source = std::move(source);
}

void ReportButtons::setPrintSetup(PrintSetup setup)
{
    m_printSetup = std::move(setup);
}

void ReportButtons::setFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

bool ReportButtons::makeReport(AuditReport *report)
{
    if (!m_source)
        return false;
    try {
        *report = m_source();
        return true;
    } catch (ZrError &error) {
        TrapError(error);
        ShowErrorMessage(ReplaceParams(GetLangString(StrCannotReport), {error.description}), this);
    }
    return false;
}

bool ReportButtons::print()
{
    AuditReport report;
    if (!makeReport(&report) || !m_printSetup)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(suggestedPath(report)).completeBaseName());
    if (!m_printSetup(&printer, window()))
        return false;
    PrintReport(report, &printer);
    return true;
}

QString ReportButtons::saveAsPdf()
{
    AuditReport report;
    if (!makeReport(&report) || !m_fileChooser)
        return QString();
    const QString path = m_fileChooser(window(), suggestedPath(report));
    if (path.isEmpty())
        return QString();
    QString error;
    if (!WriteReportPdf(report, path, &error)) {
        ShowErrorMessage(ReplaceParams(GetLangString(StrCouldNotWrite), {QDir::toNativeSeparators(path), error}), this);
        return QString();
    }
    return path;
}

QString ReportButtons::suggestedPath(const AuditReport &report)
{
    QString name = report.registration.trimmed().isEmpty() ? report.studentName.trimmed() : report.registration.trimmed();
    // A registration number is typed by people: "2019/0042" must not name a folder.
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|\x00-\x1f])"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("report");
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(name + QStringLiteral(".pdf"));
}

void ReportButtons::retranslate()
{
    const auto caption = [this](qint32 id) {
        return m_mnemonics ? GetLangString(id) : StripMnemonic(GetLangString(id));
    };
    m_print->setText(caption(StrPrint));
    m_save->setText(caption(StrSavePdf));
}

void ReportButtons::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

} // namespace zr::app
