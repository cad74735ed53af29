#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "database.h"
#include "roles.h"

namespace zr::app::cli {

namespace {
enum : qint32 {
    StrGrantDescription = 62353,
    StrRoleOption = 62354,
    StrDepartmentOption = 62355,
    StrRevokeDescription = 62356,
    StrUserArgument = 62357,
    StrBadRole = 62358,        // "--role is reader, editor or admin, not «%1»"
    StrEditorNeedsDepartment = 62359,
    StrDepartmentForEditors = 62360,
    StrOneUser = 62361,        // "name one database user"
};

// What grant and revoke share: the user, the options, the database, the report.
int runRoleCommand(const QString &name, qint32 description, const QStringList &arguments, bool granting)
{
    CommandLine command(name, GetLangString(description));
    const QCommandLineOption role(QStringLiteral("role"), GetLangString(StrRoleOption), QStringLiteral("R"));
    const QCommandLineOption department(QStringLiteral("department"), GetLangString(StrDepartmentOption),
                                        QStringLiteral("D"));
    if (granting)
        command.addOption(role);
    command.addOption(department);
    command.takeArguments(QStringLiteral("USER"), GetLangString(StrUserArgument));
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.onlyReads();
    const QStringList departments = command.parser().values(department);
    const auto change = [&] {
        if (command.arguments().size() != 1 || command.arguments().first().isEmpty())
            throw Usage(StrOneUser);
        const QString user = command.arguments().first();
        command.setSubject(QStringLiteral("user %1").arg(user));
        const QString chosen = granting ? command.required(QStringLiteral("role")) : QString();
        if (granting && chosen != QLatin1String("reader") && chosen != QLatin1String("editor")
            && chosen != QLatin1String("admin"))
            throw Usage(StrBadRole, {chosen});
        if (chosen == QLatin1String("editor") && departments.isEmpty())
            throw Usage(StrEditorNeedsDepartment);
        if (granting && chosen != QLatin1String("editor") && !departments.isEmpty())
            throw Usage(StrDepartmentForEditors);
        auto db = server::Database::open(command.server());
        if (granting)
            server::Roles::grant(*db, user, chosen, departments);
        else
            server::Roles::revoke(*db, user, departments);
    };
    if (const int failed = command.attempt(change); failed >= 0)
        return failed;
    PrintLine(QStringLiteral("OK"));
    return ExitOk;
}
} // namespace

int runGrant(const QStringList &arguments)
{
    return runRoleCommand(QStringLiteral("grant"), StrGrantDescription, arguments, true);
}

int runRevoke(const QStringList &arguments)
{
    return runRoleCommand(QStringLiteral("revoke"), StrRevokeDescription, arguments, false);
}

} // namespace zr::app::cli
