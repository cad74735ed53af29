#pragma once

#include "recordset/recordset.h"
#include "zrwidgets_export.h"
#include "dialogs/librarydialog.h"

#include <QDialog>
#include <QFont>

#include <memory>

namespace zr {

class Schema;
class zrRequirements;

/// The student constraints dialog: edits one student's individual degree
/// requirements in an embedded requirements editor (`zrRequirements1`, object
/// kind 8, degree context 103, no student exceptions). On OK the requirements
/// are validated and the list's values written into the caller's recordset;
/// nothing is sent to the server, the caller saves afterwards.
///
/// One modal session per ShowStudConstraints call. Child controls:
/// `zrRequirements1`, `cmdOK`, `cmdCancel`.
class ZRWIDGETS_EXPORT frmStudConstraints : public LibraryDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(frmStudConstraints)

public:
    explicit frmStudConstraints(QWidget *parent = nullptr);
    ~frmStudConstraints() override;

    /// Shows the requirements of `editSet` (the hierarchical set of one
    /// student: parent row with `department_ID` and `progrspoud_ID`, child
    /// field `QEMObjectConstraint`) and waits for the user. The editor works
    /// on the caller's rows, so edits stay in `editSet` even when cancelled;
    /// `cancelled` tells the caller whether to save them. An error while
    /// opening (no set, or a set the editor cannot load) is logged and thrown.
    void ShowStudConstraints(const QString &serverName, const QString &sessionId, qint32 studentId,
                             Recordset &editSet, bool &cancelled, std::shared_ptr<const Schema> schema = {});

    /// The embedded editor.
    zrRequirements *requirements() const;

public Q_SLOTS:
    /// OK: validates and writes the requirements into the rows; on success
    /// clears the cancelled flag and closes, otherwise shows why (titled
    /// "Student's regulation") and stays open.
    void accept() override;
    /// Cancel, Escape and the close box: sets the cancelled flag and closes.
    void reject() override;

protected:
    void retranslate() override;

private:
    std::unique_ptr<class frmStudConstraintsPrivate> const d;
};

} // namespace zr
