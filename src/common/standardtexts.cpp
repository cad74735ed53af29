#include "standardtexts.h"

#include "langstrings.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QTranslator>

namespace zr {

namespace {

// Qt's standard button texts (context QPlatformTheme), mnemonics left out.
const QHash<QString, qint32> &buttonTexts()
{
    static const QHash<QString, qint32> texts = {
        {QStringLiteral("OK"), 20525},      {QStringLiteral("Cancel"), 20092}, {QStringLiteral("Yes"), 20295},
        {QStringLiteral("No"), 20297},      {QStringLiteral("Close"), 20540},  {QStringLiteral("Abort"), 20292},
        {QStringLiteral("Retry"), 20293},   {QStringLiteral("Ignore"), 20294}, {QStringLiteral("Save"), 10111},
        {QStringLiteral("Discard"), 10112}, {QStringLiteral("Apply"), 10113},  {QStringLiteral("Help"), 10114},
        {QStringLiteral("Open"), 10115},
    };
    return texts;
}

// The texts of Qt's own file dialog and the file list it shows (contexts QFileDialog and
// QFileSystemModel), for which Debian ships no Greek translation; ours carry their own mnemonics.
const QHash<QString, qint32> &fileDialogTexts()
{
    static const QHash<QString, qint32> texts = {
        {QStringLiteral("Look in:"), 10118},
        {QStringLiteral("File &name:"), 10119},
        {QStringLiteral("Files of type:"), 10120},
        {QStringLiteral("Back"), 10121},
        {QStringLiteral("Go back"), 10121},
        {QStringLiteral("Forward"), 10122},
        {QStringLiteral("Go forward"), 10122},
        {QStringLiteral("Parent Directory"), 10123},
        {QStringLiteral("Go to the parent directory"), 10123},
        {QStringLiteral("Create New Folder"), 10124},
        {QStringLiteral("Create a New Folder"), 10124},
        {QStringLiteral("New Folder"), 10124},
        {QStringLiteral("List View"), 10125},
        {QStringLiteral("Change to list view mode"), 10125},
        {QStringLiteral("Detail View"), 10126},
        {QStringLiteral("Change to detail view mode"), 10126},
        {QStringLiteral("Sidebar"), 10127},
        {QStringLiteral("Recent Places"), 10128},
        {QStringLiteral("&Rename"), 10129},
        {QStringLiteral("&Delete"), 10130},
        {QStringLiteral("Show &hidden files"), 10131},
        {QStringLiteral("&New Folder"), 10132},
        {QStringLiteral("Directory:"), 10133},
        {QStringLiteral("&Choose"), 10134},
        {QStringLiteral("Save As"), 10135},
        {QStringLiteral("Find Directory"), 10136},
        {QStringLiteral("All Files (*)"), 10137},
        {QStringLiteral("%1 already exists.\nDo you want to replace it?"), 10138},
        {QStringLiteral("&Open"), 10115},
        {QStringLiteral("Open"), 10115},
        {QStringLiteral("&Save"), 10111},
        {QStringLiteral("Save"), 10111},
        {QStringLiteral("Name"), 10139},
        {QStringLiteral("Size"), 10140},
        {QStringLiteral("Type"), 10141},
        {QStringLiteral("Date Modified"), 10142},
        {QStringLiteral("Computer"), 10143},
        {QStringLiteral("My Computer"), 10143},
        {QStringLiteral("Directories"), 10144},
    };
    return texts;
}

class StandardTextsTranslator : public QTranslator
{
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (CurrentLanguage() != LangGreek || !context || !sourceText)
            return QString();
        if (qstrcmp(context, "QFileDialog") == 0 || qstrcmp(context, "QFileSystemModel") == 0) {
            const qint32 id = fileDialogTexts().value(QString::fromUtf8(sourceText));
            return id == 0 ? QString() : GetLangString(id);
        }
        if (qstrcmp(context, "QPlatformTheme") != 0)
            return QString();
        QString source = QString::fromUtf8(sourceText);
        const bool mnemonic = source.startsWith(QLatin1Char('&'));
        source.remove(QLatin1Char('&'));
        const qint32 id = buttonTexts().value(source);
        if (id == 0)
            return QString();
        const QString text = GetLangString(id);
        return mnemonic ? QLatin1Char('&') + text : text;
    }
};

} // namespace

void InstallStandardTexts()
{
    static QPointer<StandardTextsTranslator> installed;
    if (installed || !QCoreApplication::instance())
        return;
    installed = new StandardTextsTranslator(QCoreApplication::instance());
    QCoreApplication::installTranslator(installed);
}

} // namespace zr
