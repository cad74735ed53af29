#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QString>
#include <QVariant>

namespace zr {

class LookupCache;

/// What the "..." button of a parameter row opens.
enum class PickerKind {
    None,             ///< the row has no picker
    List,             ///< the select-from-list dialog over a code table
    Options,          ///< the requirement options dialog
    CourseTypeTotals, ///< course-type totals with minimum numbers
    MaxGradeTotals,   ///< course types of the maximum average
};

/// The editor's object, as the pickers need it.
struct PickerContext
{
    int objectKind = 0;
    QVariant programmeId;  ///< prID (kinds 1, 3, 4) or progrspoud_ID (kind 8)
    QString departmentId;  ///< DepartID, or the department of kind 13
};

/// The picker of one parameter row: the code table it lists, the filter of
/// the table's first fetch, the columns and the title.
struct ZRREQ_EXPORT PickerSpec
{
    PickerKind kind = PickerKind::None;
    QString table;
    QString filter;
    QString idField;
    QString textField;
    QString displayTemplate;
    /// Column layout of the table's description that the list shows; empty for all columns.
    QString layoutName;
    /// String id of the dialog's title; 0 means the row's own label.
    qint32 titleId = 0;
    /// Courses: every search goes to the server instead of the cached list.
    bool searchesServer = false;
};

/// The picker of field `field` of a requirement of type `conID`.
ZRREQ_EXPORT PickerSpec PickerFor(int conID, const QString &field, const PickerContext &context);

/// The records of a picker's search with the user's `filter`: department
/// courses for QEMCourses, the programme's courses for course requirements,
/// the cached semesters for semester averages, nothing otherwise. Server
/// objects are created on `serverName` for the call. Throws ZrError.
ZRREQ_EXPORT Recordset AnswerPickerSearch(const QString &table, int conID, const PickerContext &context,
                                          const QString &filter, const QString &serverName, LookupCache &lookups);

} // namespace zr
