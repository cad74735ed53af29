#include "startarguments.h"

#include "cli/clicommon.h"
#include "cli/commands.h"
#include "common/langstrings.h"

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

} // namespace

int CheckStartArguments(const QStringList &arguments, WindowArguments *window)
{
    if (arguments.size() > 1 && !arguments.at(1).startsWith(QLatin1Char('-'))) {
        // Subcommands are run elsewhere; anything else standing first is a mistake.
        if (cli::FindCommand(arguments.at(1)))
            return -1;
        printError(ReplaceParams(GetLangString(62202), {arguments.at(1), subcommandNames().join(QStringLiteral(", "))}));
        return 2;
    }
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and the subcommands."));
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("Database: empty for the embedded one, sqlite:///path/file.db, or "
                                                   "postgresql://user@host:port/dbname."),
                                    QStringLiteral("url"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the window to <file> and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption student(QStringLiteral("student"),
                                     QStringLiteral("Open the card of student <id>; with --screenshot the picture "
                                                    "is of the card."),
                                     QStringLiteral("id"));
    const QCommandLineOption history(QStringLiteral("history"),
                                     QStringLiteral("Open the history of the set on screen; with --screenshot the "
                                                    "picture is of it."));
    parser.addOptions({help, server, screenshot, student, history});
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return 2;
    }
    if (parser.isSet(help)) {
        QString options;
        for (const QCommandLineOption &option : {help, server, screenshot, student, history}) {
            QStringList names;
            for (const QString &name : option.names())
                names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
            QString line = QStringLiteral("  ") + names.join(QStringLiteral(", "));
            if (!option.valueName().isEmpty())
                line += QStringLiteral(" <") + option.valueName() + QLatin1Char('>');
            options += line.leftJustified(26) + QLatin1Char(' ') + option.description() + QLatin1Char('\n');
        }
        QString commands;
        qsizetype width = 0; // the longest name, "upgrade-db", and a space
        for (const auto &[name, summary] : cli::CommandSummaries())
            width = std::max(width, name.size() + 1);
        for (const auto &[name, summary] : cli::CommandSummaries())
            commands += QStringLiteral("  ") + name.leftJustified(width) + GetLangString(summary) + QLatin1Char('\n');
        QTextStream(stdout) << ReplaceParams(GetLangString(62204), {options, commands});
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
        *window = {parser.value(server), parser.value(screenshot), studentId, parser.isSet(history)};
    return -1;
}

} // namespace zr::app
