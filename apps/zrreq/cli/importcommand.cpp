#include "clicommon.h"
#include "commands.h"

#include "common/zrerror.h"
#include "requirements/requirementfile.h"

namespace zr::app::cli {

int runImport(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("import"),
                        QStringLiteral("Replaces the stored requirement set of an object and context with the set "
                                       "of a file. The set is checked as the editor checks it and saved in one "
                                       "transaction; on any failure the database stays as it was.\n"
                                       "Exit code 0 saved, 1 invalid set or saving failed, 2 unusable input."));
    command.parser().addOption({QStringLiteral("file"), QStringLiteral("The requirement set file."),
                                QStringLiteral("SET.json")});
    AddTargetOptions(command);
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
    RejectDialogs();

    SetTarget target;
    Recordset parent;
    try {
        const RequirementFile file = ReadRequirementFile(command.required(QStringLiteral("file")));
        target = ReadTarget(command);
        parent = ImportFileRows(command.server(), target, file);
    } catch (const UsageError &error) {
        PrintError(error.message);
        return ExitUnusable;
    } catch (const ZrError &error) {
        PrintError(ErrorLine(error));
        return ExitUnusable;
    }
    try {
        SaveCheckedSet(parent, target, command.server());
    } catch (const ZrError &error) {
        PrintError(ErrorLine(error));
        return ExitInvalid;
    }
    PrintLine(QStringLiteral("OK"));
    return ExitOk;
}

} // namespace zr::app::cli
