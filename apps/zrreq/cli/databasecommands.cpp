#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "database.h"
#include "largevolume.h"
#include "roles.h"
#include "servererrors.h"

namespace zr::app::cli {

namespace {
enum : qint32 {
    StrHoldsData = 62041,
    StrTableRows = 62042,
    StrOtherTables = 62048,
    StrUpToDate = 62044,
    StrUpgraded = 62045,
    StrExclusive = 62245,
    StrBadLarge = 62246, // "--large needs a number of students above 0, not \"%1\""
    StrInitDescription = 62321,
    StrSampleOption = 62322,
    StrEmptyOption = 62323,
    StrLargeOption = 62324,
    StrForceOption = 62325,
    StrUpgradeDescription = 62326,
    StrRolePrefixOption = 62362,
    StrBadRolePrefix = 62363, // "--role-prefix takes lower-case letters, digits and _, a letter first, not «%1»"
};

QCommandLineOption rolePrefixOption()
{
    return {QStringLiteral("role-prefix"), GetLangString(StrRolePrefixOption), QStringLiteral("P")};
}

// The prefix --role-prefix names (empty when it is not given); throws UsageError for one no role may begin with.
QString rolePrefix(const CommandLine &command)
{
    const QString prefix = command.parser().value(QStringLiteral("role-prefix"));
    if (command.parser().isSet(QStringLiteral("role-prefix")) && !server::Roles::isValidPrefix(prefix))
        throw Usage(StrBadRolePrefix, {prefix});
    return prefix;
}
} // namespace

int runInitDb(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("init-db"), GetLangString(StrInitDescription));
    const QCommandLineOption sample(QStringLiteral("sample"), GetLangString(StrSampleOption));
    const QCommandLineOption empty(QStringLiteral("empty"), GetLangString(StrEmptyOption));
    const QCommandLineOption large(QStringLiteral("large"), GetLangString(StrLargeOption), QStringLiteral("N"));
    const QCommandLineOption force(QStringLiteral("force"), GetLangString(StrForceOption));
    command.addOptions({sample, empty, large, force, rolePrefixOption()});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.setSubject(QStringLiteral("server %1").arg(command.server()));
    if (int(command.parser().isSet(sample)) + int(command.parser().isSet(empty)) + int(command.parser().isSet(large)) > 1)
        return command.fail(Usage(StrExclusive));
    bool sizeOk = true;
    const int students = command.parser().isSet(large) ? command.parser().value(large).toInt(&sizeOk) : 0;
    if (!sizeOk || (command.parser().isSet(large) && students < 1))
        return command.fail(Usage(StrBadLarge, {command.parser().value(large)}));
    const auto create = [&] {
        const QString prefix = rolePrefix(command);
        auto db = server::Database::open(command.server(), server::Database::Opening::Initialize);
        // Read before anything is dropped: a database in use is never taken for a new one.
        // Named by what matters most to lose, the rest counted.
        static const QStringList first{QStringLiteral("QEMObjectConstraint"), QStringLiteral("QEMSetHistory"),
                                       QStringLiteral("QEMStudents"), QStringLiteral("QEMStudentResults"),
                                       QStringLiteral("QEMCourses")};
        QStringList held;
        int others = 0;
        for (const auto &[table, rows] : db->heldRows()) {
            if (first.contains(table))
                held << ReplaceParams(GetLangString(StrTableRows), {QString::number(rows), table});
            else
                ++others;
        }
        if (others > 0)
            held << ReplaceParams(GetLangString(StrOtherTables), {QString::number(others)});
        if (!held.isEmpty() && !command.parser().isSet(force))
            throw ZrError(server::ErrHoldsData, QStringLiteral("zrreq init-db"),
                          ReplaceParams(GetLangString(StrHoldsData), {db->displayName(), held.join(QStringLiteral(", "))}));
        db->initialize(!command.parser().isSet(empty), prefix);
        if (students > 0)
            server::GenerateLargeVolume(*db, server::LargeVolume::forStudents(students));
    };
    if (const int failed = command.attempt(create); failed >= 0)
        return failed;
    PrintLine(QStringLiteral("OK"));
    return ExitOk;
}

int runUpgradeDb(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("upgrade-db"), GetLangString(StrUpgradeDescription));
    command.addOption(rolePrefixOption());
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.onlyReads();
    command.setSubject(QStringLiteral("server %1").arg(command.server()));
    QString report;
    const auto upgrade = [&] {
        const QString prefix = rolePrefix(command);
        auto db = server::Database::open(command.server(), server::Database::Opening::Initialize);
        const QStringList added = db->upgrade(prefix);
        report = added.isEmpty() ? ReplaceParams(GetLangString(StrUpToDate), {db->displayName()})
                                 : ReplaceParams(GetLangString(StrUpgraded),
                                                 {db->displayName(), added.join(QStringLiteral(", "))});
    };
    if (const int failed = command.attempt(upgrade); failed >= 0)
        return failed;
    PrintLine(report);
    return ExitOk;
}

} // namespace zr::app::cli
