#pragma once

#include "zrwidgets_export.h"

#include <QDialog>
#include <QFont>

namespace zr {

/// The base of the library's dialogs: the host's font (FrmFont), applied to
/// every child control, and the dialog's texts set again whenever the user
/// interface switches language.
class ZRWIDGETS_EXPORT LibraryDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(LibraryDialog)
    /// The caller's font, applied to the dialog's controls (name and size).
    Q_PROPERTY(QFont FrmFont READ frmFont WRITE setFrmFont NOTIFY FrmFontChanged)

public:
    explicit LibraryDialog(QWidget *parent = nullptr);
    ~LibraryDialog() override;

    /// The font last given with setFrmFont (the application font before).
    QFont frmFont() const;
    /// Applies the family and size of `font` to the dialog's controls.
    void setFrmFont(const QFont &font);

Q_SIGNALS:
    void FrmFontChanged();

protected:
    /// Sets the dialog's texts in the current language.
    virtual void retranslate() = 0;
    void changeEvent(QEvent *event) override;

private:
    QFont m_font;
};

} // namespace zr
