#include "clicommon.h"
#include "commands.h"

#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"
#include "requirements/requirementfile.h"
#include "servererrors.h"

namespace zr::app::cli {

int runImport(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("import"),
                        QStringLiteral("Replaces the stored requirement set of an object and context with the set "
                                       "of a file (by default the object and context the file names). The set is "
                                       "checked as the editor checks it and saved in one "
                                       "transaction; on any failure the database stays as it was. A file written "
                                       "from the same set is refused when the set was saved again after it was "
                                       "written, unless --force is given; a set saved by someone else while the "
                                       "import runs is never replaced. With --impact the set is checked and its effect on the "
                                       "programme's students printed, and nothing is saved.\n"
                                       "Exit code 0 saved (with --impact: no student's result changes), 1 invalid set or "
                                       "saving failed (with --impact: some students' results change), 2 unusable input."));
    command.parser().addOption({QStringLiteral("file"), QStringLiteral("The requirement set file."),
                                QStringLiteral("SET.json")});
    command.parser().addOption({QStringLiteral("force"),
                                QStringLiteral("Replace the set even when it was saved again after the file was "
                                               "written.")});
    command.parser().addOption({QStringLiteral("impact"),
                                QStringLiteral("Print which students' results the set would change, as student, "
                                               "registration number, name, result before and after and the "
                                               "requirement that decided, then a summary; save nothing.")});
    command.parser().addOption({QStringLiteral("json"), QStringLiteral("With --impact: one JSON object per line.")});
    AddTargetOptions(command);
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
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
            throw UsageError{QStringLiteral("zrreq import: the file names no object; give --kind, --object and --context")};
        target = named ? ReadTarget(command) : *own;
        command.setSubject(QStringLiteral("file %1, %2").arg(path, DescribeTarget(target)));
        if (target.kind == KindStudent && target.context != CtxDegree)
            throw UsageError{QStringLiteral("zrreq import: a student's own requirements are his degree requirements "
                                            "(--context %1), not those of context %2")
                                 .arg(CtxDegree)
                                 .arg(target.context)};
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
