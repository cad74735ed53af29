#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"
#include "requirements/requirementfile.h"
#include "servererrors.h"

namespace zr::app::cli {

namespace {
enum : qint32 {
    StrFileNamesNoObject = 62243,
    StrStudentsOwnSet = 62244,
    StrFileOption = 62304, // as describe's
    StrDescription = 62317,
    StrForceOption = 62318,
    StrImpactOption = 62319,
    StrJsonOption = 62320,
};
} // namespace

int runImport(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("import"), GetLangString(StrDescription));
    command.addOption({QStringLiteral("file"), GetLangString(StrFileOption), QStringLiteral("SET.json")});
    command.addOption({QStringLiteral("force"), GetLangString(StrForceOption)});
    command.addOption({QStringLiteral("impact"), GetLangString(StrImpactOption)});
    command.addOption({QStringLiteral("json"), GetLangString(StrJsonOption)});
    AddTargetOptions(command);
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    // Measuring the effect only reads: no database is created for it.
    if (command.parser().isSet(QStringLiteral("impact")))
        command.onlyReads();

    SetTarget target;
    Recordset parent;
    RequirementFile file;
    const auto readFile = [&] {
        const QString path = command.required(QStringLiteral("file"));
        command.setSubject(QStringLiteral("file %1").arg(path));
        file = ReadSetFileOf(command.server(), path);
        // Without a target the set goes back into the object the file names.
        const bool named = command.parser().isSet(QStringLiteral("kind")) || command.parser().isSet(QStringLiteral("object"))
                           || command.parser().isSet(QStringLiteral("context"));
        const std::optional<SetTarget> own = named ? std::nullopt : TargetOfFile(file);
        if (!named && !own)
            throw Usage(StrFileNamesNoObject);
        target = named ? ReadTarget(command) : *own;
        command.setSubject(QStringLiteral("file %1, %2").arg(path, DescribeTarget(target)));
        if (target.kind == KindStudent && target.context != CtxDegree)
            throw Usage(StrStudentsOwnSet, {QString::number(CtxDegree), QString::number(target.context)});
        parent = ImportFileRows(command.server(), target, file, command.parser().isSet(QStringLiteral("force")));
    };
    const auto exitFor = [](const ZrError &error) {
        return error.number == server::ErrSetChanged ? ExitInvalid : ExitUnusable;
    };
    if (const int failed = command.attempt(readFile, exitFor); failed >= 0)
        return failed;
    if (command.parser().isSet(QStringLiteral("impact"))) {
        int code = ExitOk;
        const auto measure = [&] {
            CheckSet(parent, target.kind, target.context, CurriculumOf(target), command.server(), &file);
            code = PrintImpact(command, target, parent, command.parser().isSet(QStringLiteral("json")));
        };
        if (const int failed = command.attempt(measure, ExitInvalid); failed >= 0)
            return failed;
        return code;
    }
    const auto save = [&] { SaveCheckedSet(parent, target, command.server(), &file); };
    if (const int failed = command.attempt(save, ExitInvalid); failed >= 0)
        return failed;
    PrintLine(QStringLiteral("OK"));
    return ExitOk;
}

} // namespace zr::app::cli
