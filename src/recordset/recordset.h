#pragma once

#include "zrreq_export.h"
#include "recordset/recordsetfield.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <memory>

namespace zr {

class RecordsetCursor;

/// A disconnected, in-memory recordset: a table of typed fields and rows
/// with record status and the values before pending changes, seen through a
/// cursor with its own position and filter.
///
/// Recordset is a handle, like an object reference: copies of a Recordset
/// share one cursor (moving or filtering one moves or filters them all).
/// clone() makes a second cursor over the same rows, with its own position
/// and no filter; it costs O(1). A default-constructed Recordset is
/// "nothing" (isNull()); queries on it answer as for an empty recordset,
/// changes to it throw.
///
/// Deleted rows stay in the table with status adRecDeleted until
/// updateBatch() but no walk, filter, find or count sees them (except the
/// FilterPendingRecords view). Values are QVariants; a null QVariant is NULL.
/// Errors (bad criteria, unknown fields, no current row) throw ZrError with
/// one of the Err* numbers and leave the recordset as it was.
class ZRREQ_EXPORT Recordset
{
public:
    /// Stable identity of a row: survives filters, clones and batch updates.
    using Bookmark = qint64;

    /// Record status of a row (ADO codes).
    enum RecordStatus : int {
        adRecNew = 1,
        adRecModified = 2,
        adRecDeleted = 4,
        adRecUnmodified = 8,
    };

    /// Filters that select rows by status rather than by criteria.
    enum FilterGroup : int {
        /// No filter: every row that is not deleted.
        FilterNone = 0,
        /// The rows with pending changes: new, modified and deleted ones.
        FilterPendingRecords = 1,
    };

    /// Direction of find().
    enum SearchDirection : int {
        SearchForward = 1,
        SearchBackward = -1,
    };

    /// Row where find() starts.
    enum FindStart : int {
        StartCurrent = 0,
        StartFirst = 1,
        StartLast = 2,
    };

    /// Special answers of absolutePosition().
    enum Position : int {
        PosUnknown = -1,
        PosBOF = -2,
        PosEOF = -3,
    };

    /// Error numbers thrown as ZrError; sources are "Recordset.<member>".
    enum ErrorNumber : qint32 {
        /// Malformed filter or find criteria (syntax, unbalanced parentheses,
        /// unterminated quote, trailing text).
        ErrSyntax = 30300,
        /// A field name that the recordset does not have.
        ErrUnknownField = 30301,
        /// A value or literal of the wrong kind for the field.
        ErrTypeMismatch = 30302,
        /// No current row: BOF or EOF is true.
        ErrNoCurrentRow = 30303,
        /// A bookmark that names no visible row.
        ErrBadBookmark = 30304,
        /// The recordset is nothing.
        ErrNothing = 30305,
        /// The current row has been deleted.
        ErrRowDeleted = 30306,
        /// A field that cannot be appended (empty or duplicate name).
        ErrBadField = 30307,
    };

    /// Nothing: no fields, no rows; see isNull().
    Recordset();
    /// A new, open, empty recordset with these fields. Throws ErrBadField
    /// for an empty or duplicate name.
    explicit Recordset(const QList<Field> &fields);
    ~Recordset();
    /// Another reference to the same cursor (not a clone).
    Recordset(const Recordset &other);
    Recordset &operator=(const Recordset &other);
    Recordset(Recordset &&other) noexcept;
    Recordset &operator=(Recordset &&other) noexcept;

    /// True for nothing (a default-constructed Recordset).
    bool isNull() const;
    /// True when both refer to the same cursor (same object).
    bool isSameObject(const Recordset &other) const;
    /// True when both see the same rows (the same recordset or a clone of it).
    bool sharesRowsWith(const Recordset &other) const;

    // ---- fields ----------------------------------------------------------

    /// Number of fields.
    int fieldCount() const;
    /// The field at `index` (0-based); Q_ASSERTs the range.
    const Field &field(int index) const;
    /// All fields in order.
    QList<Field> fields() const;
    /// Index of the field named `name` (ignoring case), or -1.
    int fieldIndex(QStringView name) const;
    /// True when a field named `name` exists (ignoring case).
    bool hasField(QStringView name) const { return fieldIndex(name) >= 0; }
    /// Appends a field; existing rows get NULL in it. Throws ErrBadField for
    /// an empty or duplicate name, ErrNothing on nothing.
    void appendField(const Field &field);

    // ---- position --------------------------------------------------------

    /// Number of visible rows (filtered, not deleted); 0 for nothing.
    int recordCount() const;
    /// True when no row is visible (or nothing).
    bool isEmpty() const { return recordCount() == 0; }
    /// True when the position is before the first row (or no row is visible).
    bool bof() const;
    /// True when the position is after the last row (or no row is visible).
    bool eof() const;
    /// Moves to the first visible row (EOF and BOF when there is none).
    void moveFirst();
    /// Moves to the last visible row.
    void moveLast();
    /// Moves to the next visible row; at the last row, to EOF. Throws
    /// ErrNoCurrentRow when already at EOF.
    void moveNext();
    /// Moves to the previous visible row; at the first row, to BOF. Throws
    /// ErrNoCurrentRow when already at BOF.
    void movePrevious();
    /// 1-based number of the current row among the visible rows, or
    /// PosBOF / PosEOF / PosUnknown.
    int absolutePosition() const;
    /// Moves to the 1-based `position`; throws ErrNoCurrentRow when out of range.
    void setAbsolutePosition(int position);

    /// Bookmark of the current row; throws ErrNoCurrentRow at BOF/EOF.
    Bookmark bookmark() const;
    /// Makes the row of `bookmark` current; throws ErrBadBookmark when the
    /// row is not visible through this cursor.
    void setBookmark(Bookmark bookmark);

    // ---- values of the current row ----------------------------------------

    /// Value of a field of the current row (NULL is a null QVariant). A chapter
    /// field gives a QVariant holding a Recordset. Throws ErrUnknownField,
    /// ErrNoCurrentRow.
    QVariant value(int field) const;
    /// As value(int), by field name (ignoring case).
    QVariant value(QStringView name) const;
    /// Value before the pending changes (the value at the last updateBatch);
    /// NULL for a new row.
    QVariant originalValue(int field) const;
    /// As originalValue(int), by field name.
    QVariant originalValue(QStringView name) const;
    /// Writes a field of the current row, converting the value to the field's
    /// type (a NULL stays NULL). An unmodified row becomes modified and keeps
    /// its values before the change. Throws ErrTypeMismatch when the value
    /// cannot be converted, ErrNoCurrentRow, ErrRowDeleted.
    void setValue(int field, const QVariant &value);
    /// As setValue(int, ...), by field name.
    void setValue(QStringView name, const QVariant &value);
    /// Record status of the current row; throws ErrNoCurrentRow.
    RecordStatus status() const;

    /// The child recordset held by a chapter field of the current row, or
    /// nothing when it holds none. Throws ErrTypeMismatch for other fields.
    Recordset chapter(QStringView name) const;
    /// Stores `child` in a chapter field of the current row (no status change).
    void setChapter(QStringView name, const Recordset &child);

    // ---- values by visible position (no cursor move; for item models) ----

    /// Value at the 0-based visible `row`; Q_ASSERTs the range.
    QVariant valueAt(int row, int field) const;
    /// Writes the value at the 0-based visible `row`, as setValue().
    void setValueAt(int row, int field, const QVariant &value);
    /// Status of the 0-based visible `row`.
    RecordStatus statusAt(int row) const;
    /// Bookmark of the 0-based visible `row`.
    Bookmark bookmarkAt(int row) const;
    /// 0-based visible row of `bookmark`, or -1 when it is not visible.
    int rowOfBookmark(Bookmark bookmark) const;

    // ---- changes ----------------------------------------------------------

    /// Makes room for `more` rows besides those the table holds, so that adding
    /// them moves no row already there (added one by one, a large set moves
    /// them all again and again).
    void reserve(int more);
    /// Appends a new row (all NULL, status new) and makes it current. It
    /// stays visible through this cursor whatever the filter says.
    void addNew();
    /// Marks the current row deleted (a new row is dropped at the next
    /// updateBatch). The position stays on the deleted row: moveNext() goes
    /// on with the row after it. Throws ErrNoCurrentRow.
    void deleteCurrent();
    /// Marks the rows of `bookmarks` deleted, as deleteCurrent() on each row,
    /// in one pass over the rows (row by row, every deletion costs a pass).
    /// Rows already deleted or no longer in the table are skipped; the
    /// position stays, on a hole when the current row went.
    void deleteRows(const QList<Bookmark> &bookmarks);
    /// Takes back the deletion of the rows of `bookmarks`: each is again what
    /// it was before it was deleted (new, modified or unmodified, with its
    /// values and the values before its changes). Rows not deleted, or no
    /// longer in the table, are skipped.
    void undeleteRows(const QList<Bookmark> &bookmarks);
    /// Accepts all pending changes of the table: deleted rows leave it, the
    /// others become unmodified and their values the original ones.
    void updateBatch();
    /// Undoes all pending changes: new rows leave, deleted and modified rows
    /// get their original values back and become unmodified.
    void cancelBatch();
    /// True when some row of the table has a pending change.
    bool hasPendingChanges() const;

    // ---- clone, filter, find ---------------------------------------------

    /// A new cursor over the same rows: own position (first row), no filter. O(1).
    Recordset clone() const;
    /// A new cursor over the same rows with this one's filter, at its first row:
    /// clone() then setFilter(filter()), without testing the rows again.
    Recordset view() const;

    /// Sets the filter criteria and moves to the first row; "" clears it.
    /// Grammar: comparisons `field op literal` (=, <>, <, >, <=, >=, LIKE)
    /// joined by AND / OR with parentheses; literals 'text' (quotes doubled
    /// inside), numbers, #dates#, NULL. LIKE takes * or % at either end.
    /// A number compares with quoted numeric text as a number; a text field
    /// compares numerically with a number when its text is numeric.
    /// Throws ErrSyntax, ErrUnknownField or ErrTypeMismatch naming the fault
    /// and keeps the previous filter and position.
    void setFilter(const QString &criteria);
    /// Shows only the rows of `bookmarks` (in table order); unknown ones are
    /// ignored. Moves to the first row.
    void setFilter(const QList<Bookmark> &bookmarks);
    /// Shows the rows of a FilterGroup. Moves to the first row.
    void setFilter(FilterGroup group);
    /// The criteria text of the filter; empty for none, bookmark or group filters.
    QString filter() const;
    /// True when a filter of any kind is set.
    bool isFiltered() const;

    /// Moves to the first visible row, from `start` and after skipping
    /// `skip` rows, that matches `criteria` (same grammar as setFilter).
    /// Returns true when found; otherwise the position is EOF (forward) or
    /// BOF (backward). Throws as setFilter, leaving the position unchanged.
    bool find(const QString &criteria, int skip = 0, SearchDirection direction = SearchForward,
              FindStart start = StartCurrent);

private:
    explicit Recordset(std::shared_ptr<RecordsetCursor> cursor);
    std::shared_ptr<RecordsetCursor> m_cursor;
};

} // namespace zr

Q_DECLARE_METATYPE(zr::Recordset)
