#pragma once

#include "zrwidgets_export.h"
#include "dialogs/librarydialog.h"
#include "recordset/recordset.h"

#include <QDialog>
#include <QFont>
#include <QVariant>

#include <memory>

namespace zr {

class Schema;

/// The students excepted from the requirement check of one object (a
/// programme or a department) in one context. Every addition and removal is
/// written to the server at once through cStudent; the dialog hands nothing
/// back. Controls: the grid `gxStudents`, `cmdAdd`, `cmdDelete`, `cmdClose`,
/// the explanation `Label4` and the count `lblCount`.
///
/// Use: construct, connect ListSourceRequest, call ShowExcludStudents.
class ZRWIDGETS_EXPORT frmExclusions : public LibraryDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(frmExclusions)

public:
    /// A dialog with its captions set; `parent` is the default owner window.
    explicit frmExclusions(QWidget *parent = nullptr);
    ~frmExclusions() override;

    /// Loads the students excepted from the requirements of `objectId` (null
    /// when the object has no id) of `objectKind` in `context`, shows them
    /// modally over `ownerWindow` (or without owner) and returns when the
    /// user closes the dialog. Students are added from those that
    /// `studentFilter` admits (a condition on v_students, e.g.
    /// "progrspoud_ID=1"). `schema` describes v_students and its column
    /// layouts; it and `requirementRows` stay owned by the caller.
    /// Throws ZrError, with the dialog not shown, when the list cannot be
    /// loaded or the context is the degree (20017).
    void ShowExcludStudents(const QVariant &objectId, qint32 objectKind, qint32 context, const Schema *schema,
                            const QString &serverName, const QString &sessionId, const Recordset &requirementRows,
                            qint32 extraKey, const QString &studentFilter, QWidget *ownerWindow);

Q_SIGNALS:
    /// A column's or a search field's choices are needed: `source` is the
    /// table name (isQuery false) or an SQL query (isQuery true). The handler
    /// sets `result` (fields ID and descr, or id first and text second), or
    /// sets `cancel` to leave the list without texts.
    void ListSourceRequest(bool &cancel, const QString &source, zr::Recordset &result, bool isQuery);

protected:
    void retranslate() override;

private:
    std::unique_ptr<class frmExclusionsPrivate> const d;
};

/// The condition on v_students that admits the students whom the exceptions
/// of an object may name: the object's programme for kinds 1, 3 and 4 (the
/// parent row's prID) and 8 and 11 (its progrspoud_ID), its department for
/// kind 13 (depID) and 14 (`departId`); empty for other kinds. `parentRow`
/// is the requirement recordset's parent row.
ZRWIDGETS_EXPORT QString ExclusionStudentFilter(qint32 objectKind, const Recordset &parentRow, const QString &departId);

} // namespace zr
