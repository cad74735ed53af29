#include "clicommon.h"
#include "commands.h"

#include "common/zrerror.h"
#include "requirements/setversion.h"
#include "database.h"
#include "setversionstore.h"

namespace zr::app::cli {

int runHistory(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("history"),
                        QStringLiteral("Lists the kept versions of a stored requirement set, oldest first, one line "
                                       "each: the version, when it was saved, by whom, and what the save changed, "
                                       "separated by tabs. zrreq export --version N writes one of them as a file."));
    AddTargetOptions(command);
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
    command.onlyReads();
    try {
        const SetTarget target = ReadTarget(command);
        command.setSubject(DescribeTarget(target));
        auto db = server::Database::open(command.server());
        for (const server::KeptVersion &v :
             server::SetVersionStore(*db, QStringLiteral("zrreq history")).history(SetKeyOf(target)))
            PrintLine(QStringLiteral("%1\t%2\t%3\t%4")
                          .arg(v.number)
                          .arg(v.savedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), v.savedBy, v.summary));
    } catch (const UsageError &error) {
        return command.fail(error);
    } catch (const ZrError &error) {
        return command.fail(error, ExitUnusable);
    }
    return ExitOk;
}

} // namespace zr::app::cli
