#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QString>
#include <QVariant>

namespace zr {

class ItemPanelModel;
class LookupCache;
class SchemaTable;

/// What a parameter sheet depends on besides its type: the editor's context
/// and object kind, its code tables, the student view and the owning object.
/// The pointers belong to the caller and may be null (no lists, no columns).
struct ZRREQ_EXPORT SheetContext
{
    int context = 0;
    int objectKind = 0;
    /// The editor's cached code tables (project types, terms, names of codes).
    LookupCache *lookups = nullptr;
    /// The description of the student view "v_students" (type 10's columns).
    const SchemaTable *students = nullptr;
    /// Programme of the parent row (prID or progrspoud_ID by object kind);
    /// filters the course groups and the curricula of a student column.
    QVariant programmeId;
    /// courseID of the parent row: the codes of a new type-100 requirement
    /// of a course (object kinds 4 and 14).
    QVariant courseId;
    /// The editor's department (DepartID); filters the programmes of a student column.
    QString departmentId;
};

/// Appends the block of requirement `ocID` of type `typeId` (decimal text) to
/// the panel, or puts it at the top-level `position` (0-based): the header row, captioned with the type's long name, then one
/// row per parameter with its label, kind, choices, default, help and
/// visibility. A type that is not one of the thirteen adds nothing. Returns
/// whether a block was added. An error while building (a code table the
/// server refuses) is recorded with " CreateConstraint" appended to its
/// source and thrown again; the block stays as far as it was built.
ZRREQ_EXPORT bool CreateConstraint(ItemPanelModel &panel, const QString &typeId, qint32 ocID,
                                   const SheetContext &sheet, int position = -1);

/// The header row alone of the block CreateConstraint adds, for a list that
/// builds the parameter rows later (CreateParameterRows). False, adding
/// nothing, for a type that is not one of the thirteen or a key in use.
ZRREQ_EXPORT bool CreateConstraintHeader(ItemPanelModel &panel, const QString &typeId, qint32 ocID, int position = -1);
/// The parameter rows of CreateConstraint under the existing header of `ocID`;
/// errors as CreateConstraint's.
ZRREQ_EXPORT void CreateParameterRows(ItemPanelModel &panel, int typeId, qint32 ocID, const SheetContext &sheet);

/// A code table for a sheet: the cached `table` (fetched with `filter` the
/// first time), or, with `withAll`, a copy of it with the row id -1 meaning
/// "all". Nothing when the sheet has no code tables and no "all" row is asked for.
ZRREQ_EXPORT Recordset SheetLookupList(const SheetContext &sheet, const QString &table,
                                       const QString &filter = QString(), bool withAll = false);

} // namespace zr
