#include "logviewer.h"

#include "common/errorlog.h"
#include "common/langstrings.h"

#include <QDesktopServices>
#include <QDir>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace zr::app {

namespace {
enum : qint32 { StrLogTitle = 60023, StrLogPath = 60024, StrLogEmpty = 60025, StrOpenFolder = 60026, StrFilter = 62211 };
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
    // Descriptions are long: they wrap instead of running off to the right.
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QString whole = readTail(path, ShownBytes);
    text->setPlainText(whole);
    text->moveCursor(QTextCursor::End);

    auto *filterLabel = new QLabel(GetLangString(StrFilter), this);
    auto *filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("logFilter"));
    filter->setClearButtonEnabled(true);
    filterLabel->setBuddy(filter);
    connect(filter, &QLineEdit::textChanged, this, [text, whole](const QString &wanted) {
        text->setPlainText(FilterLogLines(whole, wanted));
        text->moveCursor(QTextCursor::End);
    });
    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *folder = buttons->addButton(GetLangString(StrOpenFolder), QDialogButtonBox::ActionRole);
    connect(folder, &QPushButton::clicked, this, [path] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(where);
    layout->addLayout(filterRow);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    resize(900, 500);
}

QString FilterLogLines(const QString &log, const QString &wanted)
{
    const QString needle = wanted.trimmed();
    if (needle.isEmpty())
        return log;
    QStringList kept;
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        if (line.contains(needle, Qt::CaseInsensitive))
            kept << line;
    }
    return kept.join(QLatin1Char('\n'));
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
