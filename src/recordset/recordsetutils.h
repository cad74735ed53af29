#pragma once

// Shared routines over recordsets: working copies, list texts, description
// texts built from rows and value conversions. They
// keep no state of their own.

#include "zrreq_export.h"
#include "recordset/columnvaluelist.h"
#include "recordset/recordset.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace zr {

/// Attributes of the fields of a working copy: may be NULL and nullable.
constexpr int WorkingFieldAttributes = adFldIsNullable | adFldMayBeNull;
/// Attributes of the extra fields that CopyRecordset appends (updatable too).
constexpr int ExtraFieldAttributes = adFldIsNullable | adFldMayBeNull | adFldUpdatable;

/// What CopyRecordset copies.
enum CopyMode : qint16 {
    CopyAllRows = 0,     ///< every row, then accepted as the target's own (no pending changes)
    CopyStructure = 1,   ///< the fields only
    CopyCurrentRow = 2,  ///< one new row: the source's current row
};

/// True for the fields whose values are never copied: "AltID", "RowGuid",
/// "ModifiedDate" and "AltKey" (exact case).
ZRREQ_EXPORT bool IsSystemField(const QString &fieldName);

/// True when `recordset` is nothing or shows no rows.
ZRREQ_EXPORT bool IsRsEmpty(const Recordset &recordset);

/// A working copy of `source` with all its rows (as new rows). Chapter fields
/// are not copied; fields named in `leaveOut` are left out, where a name counts
/// when ","+leaveOut contains ","+name+"," (so "a,b," leaves out a and b, and
/// "a,b" only a). System fields are created but stay NULL. Walks the source
/// itself: it is left at EOF. On an error the error is recorded with the
/// source "CreateRSDuplicate" and nothing is returned.
ZRREQ_EXPORT Recordset CreateRSDuplicate(const Recordset &source, const QString &leaveOut = QString());

/// Copies `source` into `target` by `mode`. When `target` is nothing it is
/// first created as a working copy of the source's fields plus one field per
/// entry of `extraNames` (type from `extraTypes`, size from `extraSizes`,
/// attributes ExtraFieldAttributes; missing types are texts). Copies by field
/// name, skipping chapters and system fields. CopyAllRows walks the source
/// itself (left at EOF), then accepts the target's changes and moves it to
/// its first row. On an error the error is recorded with the source
/// "CopyRecordset" and the target stays as far as it was filled.
ZRREQ_EXPORT void CopyRecordset(const Recordset &source, Recordset &target, qint16 mode,
                                const QStringList &extraNames = {}, const QList<int> &extraTypes = {},
                                const QList<int> &extraSizes = {});

/// A recordset of the pairs of a list text: an optional leading "TEXT:", then
/// items separated by `delimiter`, read as id, description, id, description...
/// An odd last id gets a NULL description. The fields are texts, or the id an
/// integer when `numericIds` is set (a non-numeric id then records an error
/// with the source "ListTextToRecordset" and gives nothing).
ZRREQ_EXPORT Recordset ListTextToRecordset(const QString &listText, const QString &idField,
                                           const QString &descrField, const QString &delimiter,
                                           bool numericIds = false);

/// The text of the current row by `format`: without "%", the value of the
/// field of that name (empty for NULL); otherwise `format` with every
/// "%"+field+"%" replaced by that field's value (empty for NULL). Throws
/// ZrError for an unknown field name or when there is no current row.
ZRREQ_EXPORT QString FormatRecord(const Recordset &recordset, const QString &format);

/// The texts of all rows, each followed by `separator`, trailing separator cut
/// and the result trimmed. A row's text is FormatRecord(`templateOrField`)
/// when `isTemplate`, otherwise the field's value between two `enclose` texts.
/// Walks a clone: the recordset keeps its position. Empty for no rows.
ZRREQ_EXPORT QString JoinRecordTexts(const Recordset &recordset, const QString &templateOrField,
                                     const QString &enclose = QString(), bool isTemplate = false,
                                     const QString &separator = QStringLiteral(","));

/// The texts of the rows whose `keyField` is one of the codes of `codeList`
/// (split at `separator`; blank codes skipped), in the order of the codes,
/// each FormatRecord(`textOrTemplate`) and followed by `separator`, the
/// trailing separator cut. Codes compare as numbers when `numericCodes`, else
/// as quoted texts. `reserved` is unused (callers pass an empty text);
/// `isTemplate` only documents the form of `textOrTemplate`. Works on a clone.
ZRREQ_EXPORT QString DescribeIdList(const Recordset &recordset, const QString &keyField,
                                    const QString &textOrTemplate, const QString &codeList,
                                    const QString &reserved = QString(), bool numericCodes = true,
                                    bool isTemplate = false, const QString &separator = QStringLiteral(","));

/// Refills `column` with one entry per row of `recordset`: id from `idField`,
/// text from `textField`. On an error the error is recorded with the source
/// "GRD_LoadColumn" and the list stays as far as it was filled. Walks a clone.
ZRREQ_EXPORT void GRD_LoadColumn(ColumnValueList &column, const QString &idField, const QString &textField,
                                 const Recordset &recordset);

/// A number (or numeric text, or a boolean: true is -1) rounded half to even
/// to a 32-bit integer; anything else, or a number out of range, gives 0.
ZRREQ_EXPORT qint32 ValLng(const QVariant &value);
/// A number (or numeric text) as currency: rounded half to even to four
/// decimals; anything else gives 0.
ZRREQ_EXPORT double ValCur(const QVariant &value);
/// NULL gives an empty text, any other value its text.
ZRREQ_EXPORT QString NzStr(const QVariant &value);
/// A value whose text is empty gives NULL; any other value itself.
ZRREQ_EXPORT QVariant EmptyToNull(const QVariant &value);

} // namespace zr
