#pragma once

// One student's audit as a report: how zrreq audit is asked for it, where it
// writes it, and the report made from what the audit gives today.

#include "audit/auditreport.h"
#include "audit/auditset.h"
#include "audit/coursecatalog.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace zr {
struct StudentRecord;
}

namespace zr::app::cli {

/// How zrreq audit writes one student's audit. Lines, the default, are the
/// tab-separated verdict lines scripts read.
enum class ReportFormat { Lines, Text, Json, Html, Pdf };

/// What was asked for and where it goes.
struct ReportRequest
{
    ReportFormat format = ReportFormat::Lines;
    QString output;   ///< the file to write; empty for stdout
};

class CommandLine;
/// Adds --format and --output to the options of zrreq audit.
void AddReportOptions(CommandLine &command);
/// The request the parsed options make. Throws UsageError for a format of
/// another name, a PDF without --output, a report asked with --json or --all,
/// and --output for the verdict lines.
ReportRequest ReadReportRequest(const QCommandLineParser &parser);

/// True when the whole command line `arguments` asks zrreq audit for a PDF:
/// the one command that lays text out with fonts, so needs a GUI application.
bool WantsReportPdf(const QStringList &arguments);

/// Writes a report as a PDF file at a path; false, with the reason, when it
/// could not. The command line links no GUI: the application that has one sets it.
using ReportPdfWriter = bool (*)(const AuditReport &report, const QString &path, QString *error);
void SetReportPdfWriter(ReportPdfWriter writer);

/// Writes `report` as `request` asks (not the verdict lines) and returns the
/// exit code of its verdict: 0 met or excepted, 1 not met. Throws UsageError
/// when the output file can not be written or no PDF writer is set.
int WriteReport(const AuditReport &report, const ReportRequest &request);

/// The report of `trace`, the audit of `record` against `set`, in the current
/// language (see BuildAuditReport), with its header: the student's programme
/// and curriculum from `record`, the set as `setCaption` names it, its
/// `version` (0 when none is kept), the time it speaks for (`asOf`, now when
/// invalid), and the completion plan. `catalog` is the student's programme's
/// courses (none known: no candidates and no plan).
AuditReport ReportOfAudit(const AuditSet &set, const AuditTrace &trace, const StudentRecord &record,
                          const QList<CatalogCourse> &catalog, const QString &setCaption, qint64 version = 0,
                          const QDateTime &asOf = {});

} // namespace zr::app::cli
