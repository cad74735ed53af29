#pragma once

#include "zrwidgets_export.h"

#include <QString>

class QWidget;

namespace zr {

/// Message-box style bits, as the host passes them.
enum MsgBoxStyle : int {
    MbOkOnly = 0,
    MbOkCancel = 1,
    MbAbortRetryIgnore = 2,
    MbYesNoCancel = 3,
    MbYesNo = 4,
    MbRetryCancel = 5,
    MbCritical = 16,
    MbQuestion = 32,
    MbExclamation = 48,
    MbInformation = 64,
    MbDefaultButton2 = 256,
    MbDefaultButton3 = 512,
};

/// Message-box results.
enum MsgBoxResult : int { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

/// The library's application title, shown on error message boxes.
ZRWIDGETS_EXPORT QString ApplicationTitle();

/// A modal message box with localised button captions. `captionList` renames
/// buttons ("Yes|No|Cancel" order for the set in `style`); an empty item
/// keeps the standard caption, except for the OK-only set.
ZRWIDGETS_EXPORT int MsgBoxEx(const QString &prompt, int &style, const QString &title,
                          const QString &helpFile = {}, int helpContext = 0,
                          const QString &captionList = {}, QWidget *parent = nullptr);

/// Shows a recorded error the way user-action traps do (exclamation, OK).
ZRWIDGETS_EXPORT void ShowErrorMessage(const QString &description, QWidget *parent = nullptr);

} // namespace zr
