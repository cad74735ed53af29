#pragma once

#include "audit/auditreport.h"
#include "zrreq_export.h"

#include <QByteArray>
#include <QString>

namespace zr {

// Writers of an audit report. Each writes the report in the language it names
// (AuditReport::language, "el" or "en"; another value: the user interface's),
// its words from the string table and its figures in that language's format,
// whatever language the user interface is in. None changes the report.

/// The report for a terminal: the header lines, the summary line, the plan
/// ("Still to pass: ..."), then each requirement with its mark, caption and
/// description, what was measured, a bar of block characters and, indented,
/// the courses that would count. Lines end with "\n".
ZRREQ_EXPORT QString ReportText(const AuditReport &report);

/// The whole report as a JSON document (UTF-8, indented): field names in
/// English and as the report's members name them, verdicts and the plan's
/// outcome as fixed words ("UNMET", "best-effort"), figures as numbers, the
/// date in ISO 8601 with its offset (null when unknown), an absent progress null.
ZRREQ_EXPORT QByteArray ReportJson(const AuditReport &report);

/// The report as one self-contained HTML page, ready to print: inline style,
/// no external resource, progress bars drawn with table cells (so that
/// QTextDocument draws them as a browser does), `lang` set, every text escaped.
ZRREQ_EXPORT QString ReportHtml(const AuditReport &report);

} // namespace zr
