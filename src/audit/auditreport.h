#pragma once

#include "audit/audittrace.h"
#include "zrreq_export.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace zr {

/// A course as a report lists it: one the student could still take.
struct ZRREQ_EXPORT ReportCourse
{
    qint32 courseId = 0;
    QString code;
    QString title;
    std::optional<qint32> semester;
    std::optional<double> ects;
    std::optional<double> grade; ///< of a course counted as passed though not passed yet
};

/// How far a requirement's figure has come: `measured` of `needed`, for a
/// progress bar. Absent for a requirement that measures no amount.
struct ZRREQ_EXPORT ReportProgress
{
    double measured = 0;
    double needed = 0;
    QString unit; ///< "ECTS", "courses" ... in the report's language
    /// How much is missing in words ("38 ECTS"); empty when nothing is.
    QString missing;
};

/// One requirement of the set as the report shows it.
struct ZRREQ_EXPORT ReportRequirement
{
    qint32 ocID = 0;
    /// Its name in the set: the label it was given, else its type's name.
    QString caption;
    /// What it asks, as the editor writes it ("ECTS of all course types ≥ 300").
    QString description;
    AuditVerdict verdict = AuditVerdict::NotChecked;
    /// False when its verdict cannot change the set's: "not needed: the other branch is met".
    bool needed = true;
    /// One of the requirements whose meeting would make an unmet set met.
    bool deciding = false;
    /// What was measured, in words, with figures that never contradict the verdict.
    QString measured;
    std::optional<ReportProgress> progress;
    /// For an unmet requirement: courses of the programme it would count that
    /// the student has not passed, most relevant first.
    QList<ReportCourse> candidates;
    /// How many more such courses there are beyond those listed.
    int moreCandidates = 0;
};

/// The smallest set of courses that would make the set met.
struct ZRREQ_EXPORT ReportPlan
{
    enum class Outcome {
        NotNeeded,  ///< the set is met, or the student excepted
        Exact,      ///< the fewest courses, fewest ECTS among them
        BestEffort, ///< the search stopped at its bound: a plan, maybe not the smallest
        NoCourses,  ///< no choice of the programme's courses makes the set met
    };
    Outcome outcome = Outcome::NotNeeded;
    QList<ReportCourse> courses;
    /// What courses alone cannot give (a practicum, a project, an average ...), in words.
    QStringList besides;
};

/// A degree audit as a student is handed it.
struct ZRREQ_EXPORT AuditReport
{
    // Header
    QString studentName;
    QString registration; ///< spec_aem
    QString programme;
    QString curriculum;
    QString setCaption;    ///< which set: "Degree requirements", the object and context
    qint64 setVersion = 0; ///< the stored version audited; 0 when none is kept
    QDateTime asOf;        ///< the time the audit speaks for
    QString language;      ///< "el" or "en": the language it is written in

    SetVerdict verdict = SetVerdict::Met;
    /// One line: "Meets the requirements" / "12 of 14 requirements met; 2 are missing".
    QString summary;
    QList<ReportRequirement> requirements;
    ReportPlan plan;
    /// Courses counted as passed though the student has not passed them: the audit answers
    /// "what if he passed these". Shown in the header.
    QList<ReportCourse> planned;
    /// The programme and curriculum a what-if audits him in ("Economics, Accounting"); empty
    /// for his own. The header then names them, and the passed courses their list does not hold.
    QString whatIf;
    QStringList outside;
};

} // namespace zr
