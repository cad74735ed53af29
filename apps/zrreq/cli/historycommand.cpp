#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "requirements/setversion.h"
#include "database.h"
#include "setdifference.h"
#include "setversionstore.h"

namespace zr::app::cli {

namespace {

constexpr qint32 StrNoChange = 64008;
constexpr qint32 StrNeverSaved = 64003; // "No version of %1 is kept: ..."
constexpr qint32 StrExceptedStudents = 64033;
enum : qint32 {
    StrNotVersions = 62241, // "--diff takes two version numbers, not \"%1\""
    StrTwoVersions = 62242,
    StrDescription = 62314,
    StrDiffOption = 62315,
    StrExceptionsOption = 62316,
};

// "--diff A B": the second version follows the first as a plain argument; read as "--diff A --diff B".
QStringList withDiffPair(QStringList arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--diff"));
    if (at >= 0 && at + 2 < arguments.size() && !arguments.at(at + 2).startsWith(QLatin1Char('-')))
        arguments.insert(at + 2, QStringLiteral("--diff"));
    return arguments;
}

qint64 versionNumber(const QString &text)
{
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok || number < 0)
        throw Usage(StrNotVersions, {text});
    return number;
}

void printVersions(const QList<server::KeptVersion> &versions)
{
    for (const server::KeptVersion &v : versions)
        PrintLine(QStringLiteral("%1\t%2\t%3\t%4")
                      .arg(v.number)
                      .arg(v.savedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), v.savedBy, v.summary));
}

} // namespace

int runHistory(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("history"), GetLangString(StrDescription));
    AddTargetOptions(command);
    command.addOption({QStringLiteral("diff"), GetLangString(StrDiffOption), QStringLiteral("A B")});
    command.addOption({QStringLiteral("exceptions"), GetLangString(StrExceptionsOption)});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(withDiffPair(arguments)); done >= 0)
        return done;
    command.onlyReads();
    try {
        const SetTarget target = ReadTarget(command);
        command.setSubject(DescribeTarget(target));
        const QStringList pair = command.parser().values(QStringLiteral("diff"));
        if (!pair.isEmpty() && pair.size() != 2)
            throw Usage(StrTwoVersions);
        auto db = server::Database::open(command.server());
        const QString source = QStringLiteral("zrreq history");
        const bool exceptions = command.parser().isSet(QStringLiteral("exceptions"));
        const QString key = exceptions ? ExceptionListKeyOfSet(SetKeyOf(target)) : SetKeyOf(target);
        if (pair.size() == 2) {
            const qint64 from = versionNumber(pair.at(0)), to = versionNumber(pair.at(1));
            const QStringList lines = server::VersionDifferenceLines(*db, key, from, to, source);
            for (const QString &line : lines)
                PrintLine(line);
            if (lines.isEmpty())
                PrintLine(GetLangString(StrNoChange));
            return ExitOk;
        }
        const QList<server::KeptVersion> versions = server::ReadableHistory(*db, key, source);
        if (versions.isEmpty())
            PrintLine(ReplaceParams(GetLangString(StrNeverSaved), {SetKeyCaption(key)}));
        printVersions(versions);
        // The set's list of excepted students follows it, when it was ever changed.
        const QList<server::KeptVersion> excepted =
            exceptions ? QList<server::KeptVersion>() : server::ReadableHistory(*db, ExceptionListKeyOfSet(SetKeyOf(target)), source);
        if (!excepted.isEmpty()) {
            PrintLine(GetLangString(StrExceptedStudents) + QLatin1Char(':'));
            printVersions(excepted);
        }
    } catch (const UsageError &error) {
        return command.fail(error);
    } catch (const ZrError &error) {
        return command.fail(error, ExitUnusable);
    }
    return ExitOk;
}

} // namespace zr::app::cli
