#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "database.h"
#include "servererrors.h"


namespace zr::app::cli {

namespace {

enum : qint32 {
    StrFileOrAll = 62237,
    StrSummary = 62238, // "%1 sets, %2 valid, %3 invalid"
    StrDescription = 62300,
    StrFileOption = 62301,
    StrAllOption = 62302,
};

// The rows are written into the recordset by the checks, never stored.
int validateFile(CommandLine &command)
{
    RequirementFile file;
    Recordset parent;
    qint32 curriculum = 0;
    const auto readFile = [&] {
        const QString path = command.required(QStringLiteral("file"));
        command.setSubject(QStringLiteral("file %1").arg(path));
        file = ReadSetFileOf(command.server(), path);
        CheckServer(command.server());
        // Checked in its object, as an import would store it: an object that does not exist is refused.
        parent = FileSetToCheck(command.server(), file, &curriculum);
    };
    if (const int failed = command.attempt(readFile); failed >= 0)
        return failed;
    const auto check = [&] { CheckSet(parent, file.objectKind, file.context, curriculum, command.server(), &file); };
    if (const int failed = command.attempt(check, ExitInvalid, true); failed >= 0)
        return failed;
    PrintLine(QStringLiteral("OK"));
    return ExitOk;
}

int validateAll(const CommandLine &command)
{
    QList<SetTarget> sets;
    const auto readSets = [&] {
        CheckServer(command.server());
        for (const StoredSetEntry &entry : StoredSets(command.server(), QStringLiteral("validate")))
            sets << entry.target;
    };
    if (const int failed = command.attempt(readSets); failed >= 0)
        return failed;
    int invalid = 0;
    for (const SetTarget &target : std::as_const(sets)) {
        QString verdict = QStringLiteral("OK");
        try {
            const Recordset parent = LoadTarget(command.server(), target);
            CheckSet(parent, target.kind, target.context, CurriculumOf(target), command.server());
        } catch (const ZrError &error) {
            // A database that stops answering ends the run; a set's fault is its own line.
            if (error.number == server::ErrDatabaseBusy || error.number == 462)
                return command.fail(error, ExitUnusable);
            verdict = ErrorLine(error);
            command.logFailure(DescribeTarget(target), error.number, error.description);
            ++invalid;
        }
        PrintLine(DescribeTarget(target) + QStringLiteral(": ") + verdict);
    }
    PrintLine(ReplaceParams(GetLangString(StrSummary), {QString::number(sets.size()),
                                                        QString::number(sets.size() - invalid), QString::number(invalid)}));
    return invalid == 0 ? ExitOk : ExitInvalid;
}

} // namespace

int runValidate(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("validate"), GetLangString(StrDescription));
    command.addOption({QStringLiteral("file"), GetLangString(StrFileOption), QStringLiteral("SET.json")});
    command.addOption({QStringLiteral("all"), GetLangString(StrAllOption)});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.onlyReads();
    const bool all = command.parser().isSet(QStringLiteral("all"));
    if (all == command.parser().isSet(QStringLiteral("file")))
        return command.fail(Usage(StrFileOrAll));
    return all ? validateAll(command) : validateFile(command);
}

} // namespace zr::app::cli
