#pragma once

// What the text and HTML writers of a report say alike: its words and figures
// in the report's own language, the header and the plan in sentences.

#include "audit/auditreport.h"

#include <QLocale>
#include <QPair>
#include <QString>
#include <QStringList>

namespace zr::report {

/// A line of the header: its label and its value.
using HeaderField = QPair<QString, QString>;

/// The words and figures of one report, in the language it names, whatever
/// language the user interface is in.
class ReportWording
{
public:
    explicit ReportWording(const QString &language);

    /// "el" or "en": the language the report is written in.
    QString languageCode() const;
    /// String `id` of the string table in the report's language, `args` in %1, %2 ...
    QString text(qint32 id, const QStringList &args = {}) const;
    /// A figure with at most two decimals, no group separators: "262,5" in Greek, "262.5" in English.
    QString number(double value) const;
    /// "5 Μαρτίου 2025 14:30", local time; empty for an invalid moment.
    QString dateTime(const QDateTime &moment) const;

    /// The document's title.
    QString title() const;
    /// The header's lines that have a value: student, programme, curriculum, set and version, date.
    QList<HeaderField> header(const AuditReport &report) const;
    /// "ΜΗΥ420 Αλγόριθμοι (εξάμηνο 7, 6 ECTS)".
    QString course(const ReportCourse &course) const;
    /// "262 / 300 ECTS, 38 ECTS short".
    QString progressFigures(const ReportProgress &progress) const;
    /// What the plan says before its courses ("Still to pass:", labelled when it may not be
    /// the smallest), or the whole sentence when no course will do; empty when nothing is needed.
    QString planHeading(const ReportPlan &plan) const;
    /// "Besides: a practicum; ..." when the plan needs what courses cannot give; empty otherwise.
    QString planBesides(const ReportPlan &plan) const;
    /// "not needed: the other branch is met".
    QString notNeeded() const;
    /// "deciding".
    QString deciding() const;
    /// "Courses that would count:".
    QString candidatesHeading() const;
    /// "… and 12 more".
    QString moreCourses(int count) const;

private:
    int m_languageId;
    QLocale m_locale;
};

/// How much of the needed figure was reached, from 0 to 1: 1 when nothing (or
/// less than nothing) is needed, 0 for a figure that is not a number.
double ProgressShare(const ReportProgress &progress);

/// The plan's courses are listed when it has an outcome that names some.
bool PlanListsCourses(const ReportPlan &plan);

/// The mark of a set's verdict: met and excepted as met, ✘ otherwise.
QString SetMark(SetVerdict verdict);

/// `text` on one line: line breaks and tabs become spaces.
QString OneLine(const QString &text);

} // namespace zr::report
