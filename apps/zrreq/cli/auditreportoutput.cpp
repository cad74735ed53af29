#include "auditreportoutput.h"

#include "clicommon.h"

#include "audit/auditreportbuilder.h"
#include "audit/completionplan.h"
#include "audit/reportwriters.h"
#include "audit/studentrecord.h"
#include "common/langstrings.h"

#include <QCommandLineParser>
#include <QSaveFile>

#include <cstdio>
#include <optional>
#include <utility>

namespace zr::app::cli {

namespace {

enum : qint32 {
    StrCouldNotWrite = 63515, // "Could not write %1: %2", as the impact list says it
    StrBadFormat = 62272,
    StrJsonOrFormat = 62273,
    StrFormatForOne = 62274,
    StrOutputNeedsFormat = 62275,
    StrPdfNeedsOutput = 62276,
    StrNoPdfHere = 62277,
    StrFormatOption = 62349,
    StrOutputOption = 62350,
};

const QString FormatOption = QStringLiteral("format");
const QString OutputOption = QStringLiteral("output");

const QList<std::pair<QString, ReportFormat>> &formatNames()
{
    static const QList<std::pair<QString, ReportFormat>> names{
        {QStringLiteral("lines"), ReportFormat::Lines}, {QStringLiteral("text"), ReportFormat::Text},
        {QStringLiteral("json"), ReportFormat::Json},   {QStringLiteral("html"), ReportFormat::Html},
        {QStringLiteral("pdf"), ReportFormat::Pdf}};
    return names;
}

std::optional<ReportFormat> formatNamed(const QString &name)
{
    for (const auto &[word, format] : formatNames())
        if (name.compare(word, Qt::CaseInsensitive) == 0)
            return format;
    return std::nullopt;
}

ReportPdfWriter &pdfWriter()
{
    static ReportPdfWriter writer = nullptr;
    return writer;
}

[[noreturn]] void cannotWrite(const QString &path, const QString &reason)
{
    throw Usage(StrCouldNotWrite, {path, reason});
}

void writeBytes(const QByteArray &bytes, const QString &path)
{
    if (path.isEmpty()) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        cannotWrite(path, file.errorString());
}

} // namespace

void AddReportOptions(CommandLine &command)
{
    command.addOption({FormatOption, GetLangString(StrFormatOption), QStringLiteral("lines|text|json|html|pdf"),
                       QStringLiteral("lines")});
    command.addOption({OutputOption, GetLangString(StrOutputOption), QStringLiteral("FILE")});
}

ReportRequest ReadReportRequest(const QCommandLineParser &parser)
{
    const std::optional<ReportFormat> format = formatNamed(parser.value(FormatOption));
    if (!format)
        throw Usage(StrBadFormat);
    ReportRequest request{*format, parser.value(OutputOption)};
    const bool report = request.format != ReportFormat::Lines;
    if (report && parser.isSet(QStringLiteral("json")))
        throw Usage(StrJsonOrFormat);
    if (report && parser.isSet(QStringLiteral("all")))
        throw Usage(StrFormatForOne);
    if (!report && parser.isSet(OutputOption))
        throw Usage(StrOutputNeedsFormat);
    if (request.format == ReportFormat::Pdf && request.output.isEmpty())
        throw Usage(StrPdfNeedsOutput);
    return request;
}

bool WantsReportPdf(const QStringList &arguments)
{
    if (arguments.size() < 2 || arguments.at(1) != QLatin1String("audit"))
        return false;
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--format") && i + 1 < arguments.size())
            return formatNamed(arguments.at(i + 1)) == ReportFormat::Pdf;
        if (argument.startsWith(QLatin1String("--format=")))
            return formatNamed(argument.mid(9)) == ReportFormat::Pdf;
    }
    return false;
}

void SetReportPdfWriter(ReportPdfWriter writer)
{
    pdfWriter() = writer;
}

int WriteReport(const AuditReport &report, const ReportRequest &request)
{
    switch (request.format) {
    case ReportFormat::Lines:
        // The verdict lines are printed from the trace, as scripts have always read them.
        Q_ASSERT_X(false, "WriteReport", "lines are not a report");
        qWarning("WriteReport: the verdict lines are not a report");
        break;
    case ReportFormat::Text:
        writeBytes(ReportText(report).toUtf8(), request.output);
        break;
    case ReportFormat::Json:
        writeBytes(ReportJson(report), request.output);
        break;
    case ReportFormat::Html:
        writeBytes(ReportHtml(report).toUtf8(), request.output);
        break;
    case ReportFormat::Pdf: {
        if (!pdfWriter())
            throw Usage(StrNoPdfHere);
        QString error;
        if (!pdfWriter()(report, request.output, &error))
            cannotWrite(request.output, error);
        break;
    }
    }
    return report.verdict == SetVerdict::Unmet ? ExitInvalid : ExitOk;
}

AuditReport ReportOfAudit(const AuditSet &set, const AuditTrace &trace, const StudentRecord &record,
                          const QList<CatalogCourse> &catalog, const QString &setCaption, qint64 version,
                          const QDateTime &asOf)
{
    AuditReport report = BuildAuditReport(set, trace, record, catalog);
    report.programme = record.student.value(QStringLiteral("prtitle")).toString();
    report.curriculum = record.student.value(QStringLiteral("ordescription")).toString();
    report.setCaption = setCaption;
    report.setVersion = version;
    report.asOf = asOf.isValid() ? asOf : QDateTime::currentDateTime();
    if (trace.verdict == SetVerdict::Unmet && !catalog.isEmpty())
        report.plan = ReportPlanOf(PlanCompletion(set, record, catalog), trace);
    return report;
}

} // namespace zr::app::cli
