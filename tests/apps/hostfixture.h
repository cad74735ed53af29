#pragma once

// What the host window's suites share: settings of their own, and message boxes answered.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

namespace zr::test {

/// Settings (recent objects, the try pane's students) of the suite's own, empty at the start.
inline void useOwnSettings(const QString &suite)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZerithTest"));
    QCoreApplication::setApplicationName(suite);
    QSettings().clear();
}

/// Answers the next message box with `button` (accepts it when it has no such button) and
/// adds its text to `texts`.
inline void answerNextBox(QObject *context, QStringList *texts, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    QTimer::singleShot(0, context, [texts, button] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        *texts << box->text();
        if (box->button(button))
            box->button(button)->click();
        else
            box->accept();
    });
}

} // namespace zr::test
