#pragma once

// Driving a modal dialog from a test as a user would.

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace zr::test {

/// Runs `act` on the next modal dialog of type Dialog once it is up. A dialog that `act`
/// leaves open (a failed check inside it) is cancelled, so that the test cannot hang.
template<typename Dialog>
void whenModal(QObject *context, std::function<void(Dialog *)> act)
{
    QTimer::singleShot(0, context, [act] {
        QPointer<Dialog> dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "the expected dialog is not open");
        act(dialog);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}

/// Leaves `dialog` by "ok" or "cancel" (its cmdOK and cmdCancel buttons), "escape" pressed
/// on `focus`, or anything else by closing its window.
inline void leaveDialog(QWidget *dialog, const QString &how, QWidget *focus)
{
    if (how == QLatin1String("ok") || how == QLatin1String("cancel"))
        QTest::mouseClick(dialog->findChild<QPushButton *>(how == QLatin1String("ok") ? "cmdOK" : "cmdCancel"),
                          Qt::LeftButton);
    else if (how == QLatin1String("escape"))
        QTest::keyClick(focus, Qt::Key_Escape);
    else
        dialog->close();
}

/// The dialog's note on what it could not read, empty while the note is hidden.
inline QString noteOf(QWidget *dialog)
{
    auto *label = dialog->findChild<QLabel *>(QStringLiteral("lblNote"));
    return label && label->isVisible() ? label->text() : QString();
}

} // namespace zr::test
