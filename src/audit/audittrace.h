#pragma once

#include "zrreq_export.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace zr {

/// What one requirement says about a student.
enum class AuditVerdict { Met, Unmet, NotChecked };
/// What a whole requirement set says about a student.
enum class SetVerdict { Met, Unmet, Excepted };

/// "MET", "UNMET", "NOT-CHECKED" and "EXCEPTED": the words the command line
/// and its JSON write, the same in every language.
ZRREQ_EXPORT QString VerdictWord(AuditVerdict verdict);
ZRREQ_EXPORT QString VerdictWord(SetVerdict verdict);
/// The verdict of a set in the user's language ("Πληροί", "Meets"), for lists and headers.
ZRREQ_EXPORT QString VerdictText(SetVerdict verdict);
/// The mark shown next to a requirement: ✔ met, ✘ not met, ? not checked.
ZRREQ_EXPORT QString VerdictMark(AuditVerdict verdict);

/// How one requirement was checked against one student.
struct ZRREQ_EXPORT RequirementTrace
{
    qint32 ocID = 0;
    int typeId = 0;
    QString caption;        ///< the type's name in the current language
    AuditVerdict verdict = AuditVerdict::NotChecked;
    /// What was measured and what it was compared with, in the current
    /// language ("ECTS 262, needed ≥ 300").
    QString measured;
    /// The listed courses that kept the requirement from being met, by code and title.
    QStringList missing;
    /// What it asks in words, as the editor describes it; empty when the set was given none.
    QString description;
    /// The figure it measured and the one it needs, when it measures an amount: how far along it is.
    std::optional<double> amount;
    std::optional<double> target;
    /// What the figures count ("ECTS", "courses"), in the current language.
    QString unit;
    /// False when its verdict cannot change the set's: its branch of an OR is not the met one.
    bool needed = true;
    /// One of the fewest requirements whose meeting would make an unmet set met.
    bool deciding = false;
    /// Marked to count its courses nowhere else: the passed courses it counts, which no other such
    /// requirement counts (ids, in the order they were passed).
    QList<qint32> counted;

    /// How it is named to a reader: its description, else its caption.
    QString readableName() const { return description.isEmpty() ? caption : description; }
};

/// Every requirement of a set checked against one student, in list order,
/// and the verdict of the set's expression over them.
struct ZRREQ_EXPORT AuditTrace
{
    SetVerdict verdict = SetVerdict::Met;
    QList<RequirementTrace> requirements;
    /// Where requirements marked to count their courses nowhere else share courses: whether the
    /// choice of where each counts was proved best (false: the best found when the search stopped
    /// at its bound), and the search steps it took.
    bool claimsExact = true;
    qint64 claimSteps = 0;

    /// The first requirement in list order that is not met; nullptr when none.
    const RequirementTrace *firstUnmet() const;
    /// The requirements whose meeting would make an unmet set met, in list order.
    QList<const RequirementTrace *> deciding() const;
    /// Those requirements by name ("ECTS units ≥ 300; Number of projects ≥ 1"); empty for a set not unmet.
    QString decidingNames() const;
};

} // namespace zr
