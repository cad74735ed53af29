#pragma once

#include "audit/auditreport.h"

#include <QWidget>

#include <functional>

class QPrinter;
class QPushButton;

namespace zr::app {

/// "Print report..." and "Save as PDF..." of one student's audit report, as
/// the student card and the try pane offer them. The report is made when a
/// button is pressed; what goes wrong is shown to the user, never thrown.
class ReportButtons : public QWidget
{
    Q_OBJECT
public:
    /// The report; throws ZrError when it can not be made.
    using ReportSource = std::function<AuditReport()>;
    /// Sets `printer` up with the user; false when he cancels. By default the print dialog.
    using PrintSetup = std::function<bool(QPrinter *printer, QWidget *parent)>;
    /// The file to write, `suggested` offered; empty when the user cancels. By default a save dialog.
    using FileChooser = std::function<QString(QWidget *parent, const QString &suggested)>;

    /// With `mnemonics` false the captions lose their Alt keys, for a pane
    /// inside a window whose menus have theirs.
    explicit ReportButtons(bool mnemonics = true, QWidget *parent = nullptr);

    void setSource(ReportSource source);
    void setPrintSetup(PrintSetup setup);
    void setFileChooser(FileChooser chooser);

    /// Prints the report on the printer the user sets up; true when printed.
    bool print();
    /// Writes the report to the PDF file the user chooses; the path written,
    /// empty when cancelled or when it could not be written.
    QString saveAsPdf();

    /// The file name offered for a report: its registration number (its
    /// student's name when it has none) with ".pdf", in the documents folder.
    static QString suggestedPath(const AuditReport &report);

protected:
    void changeEvent(QEvent *event) override;

private:
    bool makeReport(AuditReport *report);
    void retranslate();

    bool m_mnemonics;
    ReportSource m_source;
    PrintSetup m_printSetup;
    FileChooser m_fileChooser;
    QPushButton *m_print = nullptr;
    QPushButton *m_save = nullptr;
};

} // namespace zr::app
