#include "preview/reportpdf.h"

#include "audit/reportwriters.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace zr {

namespace {

constexpr qreal PointSize = 10;

} // namespace

std::unique_ptr<QTextDocument> ReportDocument(const AuditReport &report)
{
    auto document = std::make_unique<QTextDocument>();
    // The page asks for DejaVu Sans too; naming it here keeps text outside the styled
    // elements (the page numbers) in a font with Greek, whatever the platform's default.
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(PointSize);
    document->setDefaultFont(font);
    document->setHtml(ReportHtml(report));
    return document;
}

void PrintReport(const AuditReport &report, QPagedPaintDevice *device)
{
    if (!device)
        return;
    ReportDocument(report)->print(device);
}

bool WriteReportPdf(const AuditReport &report, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        // QTextDocument::print sets the text 2 cm inside what the device leaves it and numbers
        // the pages in that margin: the page itself keeps none of its own.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setTitle(report.studentName.isEmpty() ? report.setCaption
                                                     : report.studentName + QStringLiteral(" \u2014 ") + report.setCaption);
        writer.setCreator(QStringLiteral("zrreq"));
        PrintReport(report, &writer);
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace zr
