#pragma once

// Shared routines over recordsets: working copies, list texts, description
// texts built from rows, filling list controls, and value conversions. They
// keep no state of their own.

#include "zrreq_export.h"
#include "common/columnvaluelist.h"
#include "common/recordset.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class QAbstractItemView;
class QComboBox;

namespace zr {

class ItemPanelModel;

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

/// A working copy (CreateRSDuplicate) of the rows selected in `grid`, whose
/// model is a RecordsetModel (directly or behind proxy models). Multi-row
/// selection modes take every selected row; single selection the current row.
/// Nothing when the grid shows no rows or nothing is selected. The grid's
/// recordset and its position are not changed.
ZRREQ_EXPORT Recordset GetSelectedRows(const QAbstractItemView *grid);

/// Options of FillChoices.
enum FillChoicesFlag {
    FillNoFlags = 0,
    /// Adds a last choice "browse" (caption: string 20034) that the caller
    /// answers by opening a selection dialog.
    FillAddBrowse = 0x1,
    /// Codes are made of parts joined by points ("1.2.3"): each choice is
    /// indented one step per point and its tag holds the parent code ("1.2").
    FillDottedCodes = 0x2,
};

/// Adds one choice per row of `recordset` to the choice row `rowKey` of
/// `panel`: key "K"+id, caption the text field (empty for NULL), style
/// ItemStyle::Choice. Nothing happens when the recordset is empty. Ends with
/// SelectChoice(`selectKey`) when `selectKey` is not null. Walks a clone.
ZRREQ_EXPORT void FillChoices(ItemPanelModel *panel, const QString &rowKey, const Recordset &recordset,
                              const QString &idField, const QString &textField,
                              const QVariant &selectKey = QVariant(), int flags = FillNoFlags);

/// Selects a choice of the choice row `rowKey`: a text key selects the choice
/// "K"+key, a number the choice at that 1-based position. When that fails,
/// `secondKey` (if not null) is tried the same way. True when a choice was
/// selected; the row's value is then the choice's key.
ZRREQ_EXPORT bool SelectChoice(ItemPanelModel *panel, const QString &rowKey, const QVariant &key,
                               const QVariant &secondKey = QVariant());

/// Clears `combo` and adds one item per row of `recordset` (walked from its
/// first row, left at EOF): the text field's value as text, the id field's
/// value as a 32-bit integer item data. Selects the first item when
/// `selectFirst`, otherwise none.
ZRREQ_EXPORT void FillCombo(QComboBox *combo, const Recordset &recordset, const QString &textField,
                            const QString &idField, bool selectFirst);

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
