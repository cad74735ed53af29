#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "database.h"
#include "largevolume.h"
#include "servererrors.h"

namespace zr::app::cli {

namespace {
enum : qint32 {
    StrHoldsData = 62041,
    StrTableRows = 62042,
    StrOtherTables = 62048,
    StrUpToDate = 62044,
    StrUpgraded = 62045,
};
} // namespace

int runInitDb(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("init-db"),
                        QStringLiteral("Creates the requirement tables on a database, with the sample department "
                                       "unless --empty is given. A database that holds data is left as it is unless "
                                       "--force is given; zrreq upgrade-db brings one of an earlier version up to "
                                       "date instead.\nExit code 0 done, 2 refused or unusable input."));
    const QCommandLineOption sample(QStringLiteral("sample"), QStringLiteral("Fill in the sample department (default)."));
    const QCommandLineOption empty(QStringLiteral("empty"), QStringLiteral("Create the tables and the program's own code tables only, for a registry's data."));
    const QCommandLineOption large(QStringLiteral("large"),
                                   QStringLiteral("Fill in the sample department and a large one with N students "
                                                  "(about 40 course results each, N/5 courses, 3 requirements per "
                                                  "50 students)."),
                                   QStringLiteral("N"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace a database that holds data: everything in it is lost."));
    command.parser().addOptions({sample, empty, large, force});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
    command.setSubject(QStringLiteral("server %1").arg(command.server()));
    if (int(command.parser().isSet(sample)) + int(command.parser().isSet(empty)) + int(command.parser().isSet(large)) > 1)
        return command.fail(UsageError{QStringLiteral("zrreq init-db: --sample, --empty and --large exclude each other")});
    bool sizeOk = true;
    const int students = command.parser().isSet(large) ? command.parser().value(large).toInt(&sizeOk) : 0;
    if (!sizeOk || (command.parser().isSet(large) && students < 1))
        return command.fail(UsageError{QStringLiteral("zrreq init-db: --large needs a number of students above 0, "
                                                      "not \"%1\"").arg(command.parser().value(large))});
    const auto create = [&] {
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
        db->initialize(!command.parser().isSet(empty));
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
    CommandLine command(QStringLiteral("upgrade-db"),
                        QStringLiteral("Brings a database made by an earlier version up to date in one transaction: "
                                       "the tables and columns it lacks are added, its indexes and views made again, "
                                       "and every row it holds is kept.\nExit code 0 done (or nothing to do), "
                                       "2 refused or unusable input."));
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
    command.onlyReads();
    command.setSubject(QStringLiteral("server %1").arg(command.server()));
    QString report;
    const auto upgrade = [&] {
        auto db = server::Database::open(command.server(), server::Database::Opening::Initialize);
        const QStringList added = db->upgrade();
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
