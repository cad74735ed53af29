#include "logviewer.h"

#include "common/errorlog.h"
#include "common/langstrings.h"

#include <QDesktopServices>
#include <QDir>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace zr::app {

namespace {
enum : qint32 { StrLogTitle = 60023, StrLogPath = 60024, StrLogEmpty = 60025, StrOpenFolder = 60026 };
constexpr qint64 ShownBytes = 256 * 1024;
} // namespace

LogViewer::LogViewer(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("logViewer"));
    setWindowTitle(GetLangString(StrLogTitle));
    const QString path = LogFilePath();
    auto *where = new QLabel(ReplaceParams(GetLangString(StrLogPath), {QDir::toNativeSeparators(path)}), this);
    where->setObjectName(QStringLiteral("logPath"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("logText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setPlainText(readTail(path, ShownBytes));
    text->moveCursor(QTextCursor::End);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *folder = buttons->addButton(GetLangString(StrOpenFolder), QDialogButtonBox::ActionRole);
    connect(folder, &QPushButton::clicked, this, [path] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(where);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    resize(900, 500);
}

QString LogViewer::readTail(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return GetLangString(StrLogEmpty);
    if (file.size() > maxBytes) {
        file.seek(file.size() - maxBytes);
        file.readLine(); // start at a whole line
    }
    const QString text = QString::fromUtf8(file.readAll());
    return text.isEmpty() ? GetLangString(StrLogEmpty) : text;
}

} // namespace zr::app
