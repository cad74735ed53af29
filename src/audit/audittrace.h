#pragma once

#include "zrreq_export.h"

#include <QList>
#include <QString>
#include <QStringList>

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
    /// The listed courses that kept the requirement from being met, by name.
    QStringList missing;
};

/// Every requirement of a set checked against one student, in list order,
/// and the verdict of the set's expression over them.
struct ZRREQ_EXPORT AuditTrace
{
    SetVerdict verdict = SetVerdict::Met;
    QList<RequirementTrace> requirements;

    /// The first requirement in list order that is not met; nullptr when none.
    const RequirementTrace *firstUnmet() const;
};

} // namespace zr
