#pragma once

#include "itempanel/itempanelmodel.h"
#include "itempanel/tilepanel.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

namespace zr::test {

/// The requirement list of an editor widget (or of a dialog holding one).
inline ItemPanelModel *listOf(const QObject &editor)
{
    return editor.findChild<TilePanel *>(QStringLiteral("smRequirements"))->model();
}

/// The command panel of an editor widget.
inline ItemPanelModel *commandsOf(const QObject &editor)
{
    return editor.findChild<TilePanel *>(QStringLiteral("smButtons"))->model();
}

/// Runs `answer` on the modal `Dialog` once the event loop has it up.
template<typename Dialog, typename Answer>
void whenShown(QObject *context, Answer answer)
{
    QTimer::singleShot(0, context, [answer] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(dialog);
    });
}

} // namespace zr::test
