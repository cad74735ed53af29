#pragma once

#include "audit/auditcodes.h"
#include "audit/auditexpression.h"
#include "audit/passedcourses.h"
#include "reqtypes/coursetypetotals.h"
#include "reqtypes/requirementvalue.h"

#include <QSet>

#include <optional>

namespace zr::audit {

/// A year with, when given, one period of it: an item of a period list.
struct PeriodItem
{
    qint32 year = 0;
    std::optional<qint32> period;
};

/// One requirement's values as its rule reads them, parsed once.
struct PreparedRequirement
{
    qint32 ocID = 0;
    int typeId = 0;
    int context = 0;
    QString caption;

    int op = -1;                          ///< conoperator; -1 when none
    std::optional<double> value1, value2;
    QString text1, text2;                 ///< type 10's values as typed
    QString column;                       ///< type 10's student column
    QSet<qint32> selected;                ///< conselobjIDs
    QList<qint32> selectedInOrder;
    bool selectsAll = false;              ///< -1 among the selected codes, or none where that means all
    int total = 0;                        ///< 0 credits, 1 count, 2 hours, 3 ECTS
    QSet<qint32> exceptedCourses, exceptedTypes, modes, sectors, subjects;
    std::optional<double> minimum;
    double grade = PassingGrade;          ///< a threshold on the 0 to 10 scale
    std::optional<double> semesterAbove, semesterBelow;
    bool substitutions = false;
    bool exemptionMeetsGrade = true;      ///< an exemption without a grade meets the grade condition
    QList<PeriodItem> examPeriods, teachingPeriods;
    QList<CourseTypeTotal> performance, averageTypes;
    qint32 flags = 0;
    qint32 yearFrom = 0, yearTo = 0;
    std::optional<qint32> term;
    int enrolment = 1;                    ///< conoptval6 of type 100
    bool byProgrammePeriod = false;
    bool corresponding = false;
    QSet<qint32> categories;
    /// Its courses count nowhere else: among requirements so marked, a passed course counts in one alone.
    bool claims = false;
};

/// A requirement set made ready to be checked: the prepared requirements in
/// list order, their expression and the code tables.
struct PreparedSet
{
    QList<PreparedRequirement> requirements;
    AuditExpression expression;
    AuditCodes codes;
};

/// The requirement's values made ready for its rule. Throws ZrError 10352
/// when a value the rule needs is missing or unreadable, naming the
/// requirement `named` (by default its id).
PreparedRequirement PrepareRequirement(const RequirementValue &value, const QString &named = QString());

} // namespace zr::audit
