#include "msgboxex.h"

#include "langstrings.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace zr {

namespace {

struct ButtonSpec
{
    int result;
    QMessageBox::ButtonRole role;
};

// The buttons of each set, in the order the caption list names them.
QList<ButtonSpec> buttonsOf(int set)
{
    switch (set) {
    case MbOkCancel:
        return {{IdOk, QMessageBox::AcceptRole}, {IdCancel, QMessageBox::RejectRole}};
    case MbAbortRetryIgnore:
        return {{IdAbort, QMessageBox::RejectRole},
                {IdRetry, QMessageBox::AcceptRole},
                {IdIgnore, QMessageBox::AcceptRole}};
    case MbYesNoCancel:
        return {{IdYes, QMessageBox::YesRole}, {IdNo, QMessageBox::NoRole}, {IdCancel, QMessageBox::RejectRole}};
    case MbYesNo:
        return {{IdYes, QMessageBox::YesRole}, {IdNo, QMessageBox::NoRole}};
    case MbRetryCancel:
        return {{IdRetry, QMessageBox::AcceptRole}, {IdCancel, QMessageBox::RejectRole}};
    default:
        return {{IdOk, QMessageBox::AcceptRole}};
    }
}

QString standardCaption(int result)
{
    switch (result) {
    case IdOk:
        return QStringLiteral("OK");
    case IdCancel:
        return GetLangString(20092);
    case IdAbort:
        return GetLangString(20292);
    case IdRetry:
        return GetLangString(20293);
    case IdIgnore:
        return GetLangString(20294);
    case IdYes:
        return GetLangString(20295);
    case IdNo:
        return GetLangString(20296);
    }
    return {};
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case MbCritical:
        return QMessageBox::Critical;
    case MbQuestion:
        return QMessageBox::Question;
    case MbExclamation:
        return QMessageBox::Warning;
    case MbInformation:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString ApplicationTitle()
{
    // "Student requirements" in the user's language, as the host's window is titled.
    return GetLangString(60000);
}

int MsgBoxEx(const QString &prompt, int &style, const QString &title, const QString &helpFile,
             int helpContext, const QString &captionList, QWidget *parent)
{
    Q_UNUSED(helpFile)
    Q_UNUSED(helpContext)
    const int set = (style & 7) <= MbRetryCancel ? (style & 7) : MbOkOnly;
    const QList<ButtonSpec> specs = buttonsOf(set);

    QStringList captions;
    for (const ButtonSpec &button : specs)
        captions << standardCaption(button.result);
    if (!captionList.isNull()) {
        const QStringList items = captionList.split(QLatin1Char('|'));
        for (int i = 0; i < specs.size() && i < items.size(); ++i) {
            // OK-only takes its first item even when empty; the other sets skip blank items.
            if (set == MbOkOnly || !items[i].trimmed().isEmpty())
                captions[i] = items[i];
        }
    }

    QMessageBox box(iconOf(style), title, prompt, QMessageBox::NoButton,
                    parent ? parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MsgBoxEx"));
    QList<QAbstractButton *> buttons;
    for (int i = 0; i < specs.size(); ++i) {
        QPushButton *button = box.addButton(captions[i], specs[i].role);
        button->setObjectName(QStringLiteral("button%1").arg(specs[i].result));
        buttons << button;
    }
    const int defaultIndex = (style & MbDefaultButton3) ? 2 : (style & MbDefaultButton2) ? 1 : 0;
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.value(defaultIndex, buttons.first())));
    // Escape answers Cancel where the set has one, otherwise the only button.
    for (int i = 0; i < specs.size(); ++i) {
        if (specs[i].result == IdCancel || specs.size() == 1)
            box.setEscapeButton(buttons[i]);
    }

    box.exec();
    const int index = buttons.indexOf(box.clickedButton());
    if (index < 0)
        return specs.size() == 1 ? IdOk : IdCancel;
    return specs[index].result;
}

void ShowErrorMessage(const QString &description, QWidget *parent)
{
    int style = MbExclamation | MbOkOnly;
    if (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    MsgBoxEx(description, style, ApplicationTitle(), {}, 0, {}, parent);
}

} // namespace zr
