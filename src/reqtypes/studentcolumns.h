#pragma once

#include "common/schema.h"
#include "zrreq_export.h"

#include <QList>
#include <QString>

namespace zr {

class ItemPanelModel;
struct SheetContext;

/// The columns of the student view that a student-data requirement (type 10)
/// compares, in the view's order: all of them except "orient_ID" for the
/// department kinds 13 and 14 and except "sector" for the others. Empty
/// without a view.
ZRREQ_EXPORT QList<SchemaColumn> StudentColumns(const SchemaTable *students, int objectKind);

/// The caption of a student-data requirement's header for its stored column
/// name `column`: StudentDataCaption of the caption of the column the sheet
/// offers by that name, or of the name itself when it offers none.
ZRREQ_EXPORT QString StudentDataHeader(const QString &column, qint32 ocID, const SheetContext &sheet);

/// One value a student column can take from its list.
struct ZRREQ_EXPORT StudentValueChoice
{
    QString code;
    QString caption;
};

/// The values of a student column: a list ("TEXT:" entries, a code table
/// "RECORDSET:" + name through the sheet's code tables, or yes/no), or
/// typed values when `hasList` is false.
struct ZRREQ_EXPORT StudentValueList
{
    bool hasList = false;
    QList<StudentValueChoice> choices;
};

/// The value list of `column`. A code table is fetched with the filter of
/// StudentColumnFilter the first time. Throws the code table's ZrError.
ZRREQ_EXPORT StudentValueList StudentColumnValues(const SchemaColumn &column, const SheetContext &sheet);
/// The value list of the student view's column named `columnName`; no list
/// for an empty name, a column the view lacks, or a sheet without the view.
ZRREQ_EXPORT StudentValueList StudentColumnValues(const QString &columnName, const SheetContext &sheet);

/// The filter a student column's code table is first fetched with: the
/// programme's curricula, the department's programmes, the local departments;
/// empty for the other columns.
ZRREQ_EXPORT QString StudentColumnFilter(const QString &columnName, const SheetContext &sheet);

/// Whether the values of student column `column` are numbers the user types,
/// stored trimmed.
ZRREQ_EXPORT bool StudentColumnIsNumber(const QString &column);

/// Rebuilds the operator and the two value rows of student-data requirement
/// `ocID` for the student column `column`: the operator keeps its
/// choice, a column with a list gets choice rows of its values, any other
/// column entry rows. The value rows start empty.
ZRREQ_EXPORT void BuildStudentValueRows(ItemPanelModel &panel, qint32 ocID, const QString &column,
                                        const SheetContext &sheet);

} // namespace zr
