#pragma once

#include "zrreq_export.h"

#include <QList>
#include <QString>

namespace zr {

/// One fixed choice of a parameter row: the code stored in the record and
/// the id of its localised caption (0 for an empty caption).
struct ZRREQ_EXPORT FixedChoice
{
    QString code;
    qint32 textId = 0;

    bool operator==(const FixedChoice &other) const { return code == other.code && textId == other.textId; }
};

/// The operator lists of the parameter sheets.
enum class OperatorList {
    AllTen,         ///< student data (type 10): all ten comparisons
    NumericTotals,  ///< totals (20, 40, 50, 110, 120): = > < between >= <=
    Counts,         ///< projects and practicums (60, 70): = > < >= <=
    Grade,          ///< prerequisite course grade (30): = > >=
    AcademicYears,  ///< average per academic year (90): = and between
    ClassCategory,  ///< class group category (130): its own codes -1, 0, 2, 100
};

/// The choices of an operator list, in display order.
ZRREQ_EXPORT QList<FixedChoice> OperatorChoices(OperatorList list);

/// The choices of the "total to" row of `typeId` in `context`: what the
/// requirement totals. Code 1 counts, and its caption names what is counted.
/// Empty for the types without a total row.
ZRREQ_EXPORT QList<FixedChoice> TotalChoices(int typeId, int context);

/// Yes (-1) and no (0).
ZRREQ_EXPORT QList<FixedChoice> YesNoChoices();

/// The course-substitution check of a prerequisite course (type 30): 0 none,
/// 1 all substitutions, 2 substitutions of the course only.
ZRREQ_EXPORT QList<FixedChoice> SubstitutionChoices();
/// Whether an exemption without a grade meets a grade condition (1, as it always did) or not (0).
ZRREQ_EXPORT QList<FixedChoice> ExemptionGradeChoices();
/// Whether a course total's courses count nowhere else (1) or wherever they are selected (0, as always).
ZRREQ_EXPORT QList<FixedChoice> ClaimChoices();

/// Whether an earlier enrolment must exist (type 100): 1 ignore, -1 yes in
/// any earlier period, 0 in none, -2 yes in the previous period, 2 not in it.
ZRREQ_EXPORT QList<FixedChoice> EnrolmentChoices();

} // namespace zr
