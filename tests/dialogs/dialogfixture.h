#pragma once

// Driving a modal dialog from a test as a user would.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
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

/// Answers the message boxes that open from now on, in turn, with the buttons of `results`
/// (IdYes ...; Escape for any other), keeping their texts. The timer ends after the last; a
/// test that expects a box that never comes deletes it.
inline QTimer *answerMessages(QObject *context, const QList<int> &results, QStringList *texts)
{
    auto *timer = new QTimer(context);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, context, [timer, results, texts] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->property("answered").toBool())
            return;
        box->setProperty("answered", true);
        const int result = results.value(int(texts->size()));
        texts->append(box->text());
        if (auto *button = box->findChild<QPushButton *>(QStringLiteral("button%1").arg(result)))
            button->click();
        else
            box->reject();
        if (texts->size() >= results.size())
            timer->deleteLater();
    });
    timer->start();
    return timer;
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
