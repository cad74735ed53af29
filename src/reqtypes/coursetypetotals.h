#pragma once

#include "zrreq_export.h"
#include "recordset/recordset.h"

#include <QList>
#include <QString>

namespace zr {

/// Id of the row that stands for the total over all course types.
constexpr qint32 AllCourseTypesId = -1;

/// One item of a stored course-type totals value ("id;count").
struct ZRREQ_EXPORT CourseTypeTotal
{
    /// Course-type id; AllCourseTypesId for the all-types total.
    qint32 typeId = 0;
    /// The minimum (or maximum) number; 0 when the stored count is not a number.
    double count = 0;

    bool operator==(const CourseTypeTotal &other) const
    {
        return typeId == other.typeId && count == other.count;
    }
};

/// The items of a stored totals value "id;count#id;count..." in stored
/// order. Items whose id is not a whole number ("", "x", "#" alone) are
/// passed over; a count that is not a number reads as 0. Never throws.
ZRREQ_EXPORT QList<CourseTypeTotal> ParseCourseTypeTotals(const QString &totalsValue);

/// The first item of a totals value that ParseCourseTypeTotals cannot read
/// as it stands (a type id that is not a whole number, a count that is not a
/// number); empty when every item reads.
ZRREQ_EXPORT QString UnreadableTotals(const QString &totalsValue);

/// The working list of the totals dialogs: a disconnected copy of
/// `courseTypes` (all fields and rows, in order; the caller's recordset is
/// not moved) with two more fields, `sel` (integer, -1 when checked, null
/// otherwise) and `cnt` (currency), and, when `addTotalRow`, a last row with
/// `ctypeID` -1 and `ctypedesc` the all-types text. Throws the recordset's ZrError
/// for nothing, and when a total row is asked for and `courseTypes` has no
/// `ctypeID` field.
ZRREQ_EXPORT Recordset BuildCourseTypesWorkingList(const Recordset &courseTypes, bool addTotalRow);

/// Checks the rows named by `totalsValue` in the working list and sets their
/// `cnt`. Throws ZrError 61100 from `source` when an item names a course type
/// that the list does not hold; the filter of the list is cleared either way.
ZRREQ_EXPORT void ApplyCourseTypeTotals(Recordset &workingList, const QString &totalsValue,
                                        const QString &source);

/// A new recordset with the fields of `workingList` holding copies of its
/// checked rows (`sel` = -1), in the list's order. The list's position and
/// filter are not changed.
ZRREQ_EXPORT Recordset CheckedCourseTypes(const Recordset &workingList);

/// The stored totals value of the rows of `rows` in their order: `ctypeID`,
/// ";", `cnt` (0 when null) in the system's number format, items joined by
/// "#". "" for nothing or no rows.
ZRREQ_EXPORT QString EncodeCourseTypeTotals(const Recordset &rows);

} // namespace zr
