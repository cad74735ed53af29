#pragma once

#include "recordset/recordset.h"
#include "zrwidgets_export.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

class QAbstractItemModel;
class QTextDocument;

namespace zr {

class Schema;
class zrSearchX;

/// What Select_Rs is asked to show. Each member stands for one of the
/// dialog's positional arguments (numbers in brackets); arguments 9 and 21
/// come back in SelectRsResult. Arguments 12, 13 and 16 (grouping box state
/// and two list settings) have no counterpart: the user groups the list, or
/// turns it into cards, from the dialog's toolbar.
struct ZRWIDGETS_EXPORT SelectRsOptions
{
    /// [1] The records shown when the dialog opens; nothing opens it empty
    /// (or filled by the first search, see searchOnOpen). Not copied: the
    /// list reads the caller's rows.
    Recordset list;
    /// [2] Schema of the search pane; owned by the caller. Without one the
    /// search pane stays hidden.
    const Schema *schema = nullptr;
    /// [3] Table or view listed and searched, e.g. "v_students".
    QString tableName;
    /// [4] Named column layout of that table, e.g. "selectStudents"; all
    /// columns of the records when the layout is unknown.
    QString layoutName;
    /// [5] Template of a chosen record's text, fields between percent signs,
    /// e.g. "[%coursecode%] %title%"; the display field when empty.
    QString displayTemplate;
    /// [6] Field whose values are the keys returned and pre-selected, e.g. "student_ID".
    QString idField;
    /// [7] Field that names a record, e.g. "spec_aem".
    QString displayField;
    /// [8] Check boxes for choosing several records (default) or one record.
    bool multiSelect = true;
    /// [10] Keys chosen when the dialog opens, comma-separated ("12,15").
    QString currentValue;
    /// [11] Shows the search pane; when false the pane starts closed.
    bool showSearch = true;
    /// [12] Field the list opens grouped by (the group command on), once its
    /// column is shown; empty: not grouped.
    QString groupBy;
    /// [14] Separator of the returned keys text.
    QString keySeparator = QStringLiteral(",");
    /// [15] Filter every search starts from; the user's criteria narrow it.
    QString baseFilter;
    /// [17] Name of the list, passed to DataRequest (e.g. "students").
    QString requestName;
    /// [18] Title shown above the list.
    QString title;
    /// [19] Runs a search (with the base filter) as the dialog opens.
    bool searchOnOpen = false;
    /// [20] Window the dialog is modal over; none gives a dialog without owner.
    QWidget *owner = nullptr;
};

/// What the user chose.
struct ZRWIDGETS_EXPORT SelectRsResult
{
    /// True when the dialog was closed by Cancel, Escape or the close box.
    bool cancelled = true;
    /// [21] The chosen records, in list order, as a view over the listed
    /// rows; nothing when cancelled or when nothing was chosen.
    Recordset records;
    /// [9] The chosen records' keys (idField) joined by the key separator.
    QString keysText;
    /// Each chosen record's text (displayTemplate), in the same order.
    QStringList texts;
    /// [11] Whether the search pane was open when the dialog closed.
    bool searchShown = false;
    /// [12] Field the list was grouped by when the dialog closed; empty when
    /// not grouped. A caller passes it back to open the list the same way.
    QString groupBy;
};

/// The select-from-list dialog: a search pane (zrSearch1) beside a list of
/// records (zrSelectList1) from which the user picks one or more. It holds no
/// data of its own: every search asks the caller through DataRequest.
///
/// Use: construct, connect DataRequest (and ListSourceRequest when the
/// table has list fields), call Select_Rs. Tests may call setup(), drive the
/// dialog, accept() or reject(), and read outcome().
class ZRWIDGETS_EXPORT frmSelFromList : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(frmSelFromList)

public:
    explicit frmSelFromList(QWidget *parent = nullptr);
    ~frmSelFromList() override;

    /// Sets the dialog up from `options`, shows it modally and returns the
    /// user's choice. Throws ZrError when the search pane cannot be set up
    /// from the schema (30021).
    SelectRsResult Select_Rs(const SelectRsOptions &options);

    /// The set-up part of Select_Rs, without showing the dialog.
    void setup(const SelectRsOptions &options);
    /// The choice as Select_Rs returns it, read from the dialog's current state.
    SelectRsResult outcome() const;

    /// Gives the dialog's controls the font `name` at `size` points.
    void FrmFont(const QString &name, double size);

    /// Runs a search with the search pane's statement, as its find does.
    void search(const QString &whereStatement);
    /// The filter that a search with `whereStatement` asks the caller for:
    /// the base filter, narrowed by the statement.
    QString combinedFilter(const QString &whereStatement) const;
    /// The records shown; nothing when the list is empty.
    Recordset list() const;
    /// Replaces the records shown (nothing empties the list) and updates the status line.
    void setList(const Recordset &records);
    /// The list's model as the view shows it (check states, value lists).
    QAbstractItemModel *listModel() const;
    /// Checks or unchecks the record at `row` of the list (multiSelect), or
    /// makes it the selected record.
    void setChosen(int row, bool chosen);
    /// Whether the record at `row` is chosen.
    bool isChosen(int row) const;
    /// What the print command prints: the list as shown (columns, groups,
    /// checks) under the title, with the status line below.
    std::unique_ptr<QTextDocument> printDocument() const;
    /// The lines ("caption: value") of the card of the record at `row`, as the card view paints them.
    QStringList cardLines(int row) const;
    /// The text of the status line.
    QString statusText() const;
    /// The search pane.
    zrSearchX *searchControl() const;

Q_SIGNALS:
    /// A search needs the records of `requestName` that satisfy `filter`
    /// (SQL text; empty for all). The handler sets `result`, or leaves it
    /// nothing for an empty list. A ZrError thrown by the handler is shown to
    /// the user and the dialog stays open.
    void DataRequest(const QString &requestName, const QString &filter, zr::Recordset &result);
    /// A list field's choices are needed (passed on from the search pane and
    /// the list); arguments as zrSearchX::ListSourceRequest.
    void ListSourceRequest(bool &cancel, const QString &source, zr::Recordset &result, bool isQuery);

public Q_SLOTS:
    /// Closes the dialog; any result but Accepted counts as cancelled.
    void done(int result) override;

protected:
    void changeEvent(QEvent *event) override;

private:
    std::unique_ptr<class frmSelFromListPrivate> const d;
};

} // namespace zr
