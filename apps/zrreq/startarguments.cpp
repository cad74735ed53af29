#include "startarguments.h"

#include "cli/clicommon.h"
#include "cli/commandhelp.h"
#include "cli/commands.h"
#include "common/langstrings.h"
#include "serverinfo.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <algorithm>

namespace zr::app {

namespace {

QStringList subcommandNames()
{
    QStringList names;
    for (const auto &[name, summary] : cli::CommandSummaries())
        names << name;
    return names;
}

void printError(const QString &line)
{
    QTextStream(stderr) << "zrreq: " << line << Qt::endl;
}

enum : qint32 {
    StrHelpOption = 62215,
    StrServerOption = 62216,
    StrScreenshotOption = 62217,
    StrStudentOption = 62218,
    StrHistoryOption = 62219,
    StrLangOption = 62220,
    StrVersionOption = 62278,
    StrBadLanguage = 62221, // "--lang takes el or en, not \"%1\""
};

// The arguments with --lang and its value taken out: read once, the rest is read in that language.
QStringList withoutLanguage(QStringList arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--lang") && i + 1 < arguments.size()) {
            arguments.remove(i, 2);
            break;
        }
        if (arguments.at(i).startsWith(QLatin1String("--lang="))) {
            arguments.remove(i);
            break;
        }
    }
    return arguments;
}

} // namespace

int CheckStartArguments(const QStringList &arguments, WindowArguments *window, int chosenLanguage)
{
    if (arguments.size() > 1 && !arguments.at(1).startsWith(QLatin1Char('-'))) {
        // Subcommands are run elsewhere; anything else standing first is a mistake.
        if (cli::FindCommand(arguments.at(1)))
            return -1;
        printError(ReplaceParams(GetLangString(62202), {arguments.at(1), subcommandNames().join(QStringLiteral(", "))}));
        return 2;
    }
    QCommandLineParser parser;
    // Descriptions from the string table: the help speaks the language the window would.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, GetLangString(StrHelpOption));
    const QCommandLineOption server(QStringLiteral("server"), GetLangString(StrServerOption), QStringLiteral("url"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), GetLangString(StrScreenshotOption),
                                        QStringLiteral("file"));
    const QCommandLineOption student(QStringLiteral("student"), GetLangString(StrStudentOption), QStringLiteral("id"));
    const QCommandLineOption history(QStringLiteral("history"), GetLangString(StrHistoryOption));
    const QCommandLineOption lang(QStringLiteral("lang"), GetLangString(StrLangOption), QStringLiteral("el|en"));
    const QCommandLineOption version(QStringLiteral("version"), GetLangString(StrVersionOption));
    const QList<QCommandLineOption> options{help, version, server, screenshot, student, history, lang};
    parser.addOptions(options);
    if (!parser.parse(arguments)) {
        printError(cli::ParseErrorText(parser, options, arguments));
        return 2;
    }
    int language = -1;
    if (parser.isSet(lang)) {
        const QString chosen = parser.value(lang);
        if (chosen != QLatin1String("el") && chosen != QLatin1String("en")) {
            printError(ReplaceParams(GetLangString(StrBadLanguage), {chosen}));
            return 2;
        }
        language = chosen == QLatin1String("en") ? LangEnglish : LangGreek;
        // The help and the messages below already speak it.
        StringService::instance().setLanguageId(language);
        InitLanguage(language);
        return CheckStartArguments(withoutLanguage(arguments), window, language);
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << (QStringList{QStringLiteral("zrreq ") + server::serverVersion(),
                                            QStringLiteral("Qt ") + QString::fromLatin1(qVersion())}
                                + server::databaseLibraryVersions())
                                   .join(QLatin1Char('\n'))
                            << Qt::endl;
        return 0;
    }
    if (parser.isSet(help)) {
        QString commands;
        qsizetype width = 0; // the longest name, "upgrade-db"
        for (const auto &[name, summary] : cli::CommandSummaries())
            width = std::max(width, name.size());
        for (const auto &[name, summary] : cli::CommandSummaries())
            commands += cli::HelpEntry(name, GetLangString(summary), width);
        QTextStream(stdout) << ReplaceParams(GetLangString(62204), {cli::OptionLines(options), commands});
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printError(ReplaceParams(GetLangString(62202),
                                 {parser.positionalArguments().first(), subcommandNames().join(QStringLiteral(", "))}));
        return 2;
    }
    bool isNumber = true;
    const qint32 studentId = parser.isSet(student) ? parser.value(student).toInt(&isNumber) : 0;
    if (!isNumber) {
        printError(ReplaceParams(GetLangString(62203), {parser.value(student)}));
        return 2;
    }
    const QString missing = cli::MissingDatabaseFile(parser.value(server));
    if (!missing.isEmpty()) {
        printError(ReplaceParams(GetLangString(62028), {missing}));
        return 2;
    }
    if (window)
        *window = {parser.value(server), parser.value(screenshot), studentId, parser.isSet(history), chosenLanguage};
    return -1;
}

} // namespace zr::app
