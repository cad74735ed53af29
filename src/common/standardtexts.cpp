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

class StandardTextsTranslator : public QTranslator
{
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (CurrentLanguage() != LangGreek || qstrcmp(context, "QPlatformTheme") != 0 || !sourceText)
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
