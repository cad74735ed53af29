#pragma once

#include "audit/auditreport.h"
#include "zrwidgets_export.h"

#include <QString>

#include <memory>

class QPagedPaintDevice;
class QTextDocument;

namespace zr {

/// The audit report laid out for paper: the page ReportHtml writes, in a
/// document whose default font has Greek letters. The caller owns it.
ZRWIDGETS_EXPORT std::unique_ptr<QTextDocument> ReportDocument(const AuditReport &report);

/// Prints the report on `device` (a QPrinter as the print dialog set it up,
/// a QPdfWriter), over as many pages as it takes, each numbered at its foot.
ZRWIDGETS_EXPORT void PrintReport(const AuditReport &report, QPagedPaintDevice *device);

/// Writes the report as a PDF file of A4 pages at `path`. The file is replaced
/// only when the whole report was written; false, with what went wrong in
/// `error`, when it could not be.
ZRWIDGETS_EXPORT bool WriteReportPdf(const AuditReport &report, const QString &path, QString *error = nullptr);

} // namespace zr
