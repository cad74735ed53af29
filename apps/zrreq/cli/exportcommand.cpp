#include "clicommon.h"
#include "commands.h"

#include "common/zrerror.h"
#include "requirements/requirementfile.h"

#include <QFile>

namespace zr::app::cli {

int runExport(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("export"),
                        QStringLiteral("Writes the stored requirement set of an object and context to stdout "
                                       "as JSON (format zrreq-requirements/1)."));
    AddTargetOptions(command);
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
    command.onlyReads();
    const int failed = command.attempt([&] {
        const SetTarget target = ReadTarget(command);
        command.setSubject(DescribeTarget(target));
        const Recordset parent = LoadTarget(command.server(), target);
        const QByteArray json = WriteRequirementFile(parent, target.kind, target.context, CurriculumOf(target));
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(json) != json.size())
            throw ZrError(60200, QStringLiteral("export"), out.errorString());
    });
    return failed >= 0 ? failed : ExitOk;
}

} // namespace zr::app::cli
