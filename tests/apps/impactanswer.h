#pragma once

// Answers the window's effect-before-save dialog whenever it comes up, as a
// registrar would after looking at it, and keeps what it showed.

#include "impactdialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>

namespace zr::test {

class ImpactAnswer : public QObject
{
public:
    struct Seen
    {
        qint64 noLongerMeet = 0;
        qint64 nowMeet = 0;
        int listed = 0; ///< rows of the list
        QString csv;    ///< the list as exported
        bool csvMarked = false; ///< the export starts with UTF-8's byte order mark
        bool running = false; ///< still checking when cancelled
        bool stopped = false; ///< the check ended, cancelled, before the dialog went
        bool cancelIsDefault = false; ///< Enter cancels: Save is clicked or nothing is
        QString printTitle;   ///< what a printed list is headed with
        QString printFooter;  ///< and ends with
    };

    /// `save`: Save, else Cancel; `whileRunning`: Cancel as soon as the dialog
    /// shows, waiting then for the check to end, and seen only as `stopped`.
    explicit ImpactAnswer(bool save = true, bool whileRunning = false)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, save, whileRunning] {
            auto *dialog = qobject_cast<app::ImpactDialog *>(QApplication::activeModalWidget());
            if (whileRunning && dialog) {
                Seen seen;
                seen.running = !dialog->isFinished();
                dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
                QDeadlineTimer patience(60000);
                while (!dialog->isFinished() && !patience.hasExpired())
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                seen.stopped = dialog->isFinished() && dialog->report().cancelled;
                dialogs << seen;
                return;
            }
            if (!dialog || !dialog->isFinished())
                return;
            Seen seen;
            seen.noLongerMeet = dialog->report().noLongerMeet();
            seen.nowMeet = dialog->report().nowMeet();
            seen.listed = int(dialog->report().changes.size());
            seen.printTitle = dialog->printTitle();
            seen.printFooter = dialog->printFooter();
            seen.cancelIsDefault = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->isDefault()
                                   && !dialog->findChild<QPushButton *>(QStringLiteral("impactSave"))->isDefault();
            const QString path = QDir::temp().filePath(QStringLiteral("impact-%1.csv").arg(QCoreApplication::applicationPid()));
            if (dialog->exportCsv(path)) {
                QFile file(path);
                if (file.open(QIODevice::ReadOnly)) {
                    const QByteArray bytes = file.readAll();
                    seen.csvMarked = bytes.startsWith("\xEF\xBB\xBF");
                    seen.csv = QString::fromUtf8(bytes);
                }
                QFile::remove(path);
            }
            dialogs << seen;
            auto *buttons = dialog->findChild<QDialogButtonBox *>();
            if (save)
                dialog->findChild<QAbstractButton *>(QStringLiteral("impactSave"))->click();
            else
                buttons->button(QDialogButtonBox::Cancel)->click();
        });
        m_timer.start(20);
    }

    QList<Seen> dialogs;

private:
    QTimer m_timer;
};

} // namespace zr::test
