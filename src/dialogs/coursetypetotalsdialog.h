#pragma once

#include "zrwidgets_export.h"
#include "dialogs/librarydialog.h"
#include "recordset/recordset.h"

#include <QDialog>
#include <QFont>

#include <memory>

namespace zr {

/// The one design behind frmCourseTypes and frmMaxGradeSettings: a grid
/// (`gxCourseTypes`) of all course types plus the all-types row, with a
/// check column and a number column, between two information labels
/// (`lblInfo`, `lblInfo1`) and above `cmdOK` / `cmdCancel`. The two dialogs
/// differ only in their texts; use frmCourseTypes or frmMaxGradeSettings.
class ZRWIDGETS_EXPORT CourseTypeTotalsDialog : public LibraryDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(CourseTypeTotalsDialog)

public:
    /// Which totals the dialog edits.
    enum class Purpose {
        MinimumTotals, ///< `conoptval5`: at least so many courses (or credits) of each checked type
        MaximumAverage ///< `conoptval12`: the types, and how many of their courses, in the maximum average
    };

    ~CourseTypeTotalsDialog() override;

    /// What the dialog is for.
    Purpose purpose() const;

    /// Shows every course type of `courseTypes` (cloned, neither moved nor
    /// changed), and when `addTotalRow` the all-types row last, with the rows
    /// of `totalsValue` ("id;count#...") checked, and waits for the user.
    /// On OK returns a new recordset with the fields of the working list
    /// (those of `courseTypes`, then `sel` and `cnt`) holding the checked rows
    /// in the list's order, and sets `cancelled` false; on Cancel, Escape or
    /// the close box returns nothing and sets `cancelled` true. An error (a
    /// stored course type that the list does not hold, 61100) is recorded
    /// and raised again; the dialog is not shown then. Modal over
    /// `ownerWindow` when it is given, else over its parent.
    Recordset Select_CourseTypeTotals(const Recordset &courseTypes, const QString &totalsValue,
                                      bool addTotalRow, bool &cancelled, QWidget *ownerWindow = nullptr);

public Q_SLOTS:
    /// OK: commits an open edit of the grid, clears the cancelled flag and closes.
    void accept() override;
    /// Cancel, Escape and the close box: sets the cancelled flag and closes.
    void reject() override;

protected:
    /// The dialog for `purpose`; named by the subclass.
    CourseTypeTotalsDialog(Purpose purpose, QWidget *parent);
    void retranslate() override;

private:
    std::unique_ptr<class CourseTypeTotalsDialogPrivate> const d;
};

} // namespace zr
