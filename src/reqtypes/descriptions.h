#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QString>

namespace zr {

struct CodeListSource;
struct ParameterRow;
struct ParameterValue;
struct SheetContext;

/// The names of the codes of `codes` (separated by ",") in the code table
/// `table`, in the order of the codes, separated by "," without blanks: each
/// the `text` field of the row whose `keyField` equals the code, or, when
/// `isTemplate`, `text` with every %field% replaced from that row. Codes that
/// are not whole numbers, or that no row has, add nothing; so a list of
/// unknown codes gives "". The table keeps its position and filter.
ZRREQ_EXPORT QString DescribeCodeList(const Recordset &table, const QString &keyField, const QString &text,
                                      const QString &codes, bool isTemplate = false);

/// The courses of a course list ("12,15", as stored) by name, in the order
/// of the codes and separated by ", ": each course's code and title from the
/// sheet's course names, or the code itself for a course without a name, so
/// that nothing stored is hidden. "" for an empty list.
ZRREQ_EXPORT QString CourseCodeNames(const QString &codes, const SheetContext &sheet);

/// The sheet's cached code table that names a code-list row's codes: with
/// its "all" row where the row offers one; course groups of the sheet's
/// programme only. Throws the code table's ZrError.
ZRREQ_EXPORT Recordset CodeListTable(const CodeListSource &source, const SheetContext &sheet);

/// The names of a code-list row's codes, looked up in its CodeListTable.
ZRREQ_EXPORT QString CodeListNames(const CodeListSource &source, const QString &codes, const SheetContext &sheet);

/// The text of a course-type totals value "id;count#id;count...": each
/// course type's abbreviation (`ctypeabbr` of `courseTypes`) and its count
/// in brackets, separated by ", ", the all-types entry (id -1) as "All (n)".
/// Entries without a whole-number id are passed over, a count that is not a
/// number reads as 0. "" for an empty value.
ZRREQ_EXPORT QString CourseTypeTotalsText(const Recordset &courseTypes, const QString &totals);

/// As above, with the course types of the sheet's code tables.
ZRREQ_EXPORT QString CourseTypeTotalsText(const QString &totals, const SheetContext &sheet);

/// What the sheet shows for `parameter` of `row`'s kind, with names for
/// codes: course codes with their titles, the names of a code list's codes
/// ("" when none is known), a totals text, an option string's text, teaching
/// periods by name, the options' text of option flags; the stored text for
/// the other kinds. Throws the code tables' ZrError.
ZRREQ_EXPORT QString ParameterNames(const ParameterValue &parameter, const ParameterRow &row,
                                    const SheetContext &sheet);

/// A stored parameter value as its sheet row in `sheet.context` shows it, on
/// one line: choices by their captions, code lists, courses and course-type
/// totals by name, options and flags by their text, teaching periods with
/// their names; texts and numbers as stored. A code no table names shows as
/// itself. "" for an empty value. Throws the code tables' ZrError.
ZRREQ_EXPORT QString ParameterValueText(const ParameterValue &value, const SheetContext &sheet);

/// The header caption of a student-data requirement (type 10): the type's
/// long name, " - " and `columnText` (the name alone when it is empty), after "(" + ocID + ") " when `savedId`
/// is a saved requirement's id (greater than 0).
ZRREQ_EXPORT QString StudentDataCaption(const QString &columnText, qint32 savedId = 0);

} // namespace zr
