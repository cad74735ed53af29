#pragma once

#include "zrwidgets_export.h"
#include "dialogs/librarydialog.h"

#include <QDialog>
#include <QFont>
#include <QVariant>

#include <memory>

namespace zr {

/// The requirement options dialog: the options value of one requirement
/// shown as a list of labelled entries (`smSettings`), checked on OK and
/// encoded again. Types 30 and 100 show the two semester limits, types 80
/// and 90 the five average flags; other types an empty list.
///
/// One modal session per CustomSettings call; the list is emptied again
/// before the call returns. Child controls: `smSettings` (a TilePanel),
/// `cmdOK`, `cmdCancel`.
class ZRWIDGETS_EXPORT frmCustSettings : public LibraryDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(frmCustSettings)

public:
    /// A dialog with its captions set; `parent` is the default owner window.
    explicit frmCustSettings(QWidget *parent = nullptr);
    ~frmCustSettings() override;

    /// Shows the options of a requirement of type `requirementType` decoded
    /// from `optionsValue` (text, number or null) and waits for the user.
    /// On OK `optionsValue` receives the newly encoded text and `cancelled`
    /// is false; on Cancel, Escape or the close box `optionsValue` is left
    /// alone and `cancelled` is true. The dialog is modal over
    /// `ownerWindow` when it is given, else over its parent.
    void CustomSettings(qint32 requirementType, QVariant &optionsValue, bool &cancelled,
                        QWidget *ownerWindow = nullptr);

public Q_SLOTS:
    /// OK: runs the checks; when they pass, clears the cancelled flag and
    /// closes the dialog, otherwise shows the failure titled "Requirement
    /// parameters" and stays open.
    void accept() override;
    /// Cancel, Escape and the close box: sets the cancelled flag and closes.
    void reject() override;

protected:
    void retranslate() override;

private:
    std::unique_ptr<class frmCustSettingsPrivate> const d;
};

} // namespace zr
