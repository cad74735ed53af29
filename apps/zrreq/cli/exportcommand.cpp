#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "database.h"
#include "requirements/readablesetfile.h"
#include "requirementstore.h"
#include "setfilecodes.h"

#include <QDateTime>
#include <QFile>
#include <optional>

namespace zr::app::cli {

namespace {

enum : qint32 {
    StrVersionOrDate = 62239,
    StrBadFormat = 62240, // "--format is 1 or 2, not «%1»"
    StrDescription = 62306,
    StrVersionOption = 62307,
    StrAsOfOption = 62308,
    StrFormatOption = 62309,
};

// The kept version --version or --as-of names, as a file; nothing when neither is given.
std::optional<QByteArray> keptVersion(CommandLine &command, const SetTarget &target)
{
    const QCommandLineParser &p = command.parser();
    const QDateTime when = command.asOf();
    const bool byNumber = p.isSet(QStringLiteral("version")), byDate = when.isValid();
    if (!byNumber && !byDate)
        return std::nullopt;
    if (byNumber && byDate)
        throw Usage(StrVersionOrDate);
    const qint32 number = byNumber ? command.wholeNumber(QStringLiteral("version"), true) : 0;
    auto db = server::Database::open(command.server());
    server::RequirementStore store(*db);
    const QString source = QStringLiteral("zrreq export");
    return byNumber ? store.versionFile(SetKeyOf(target), number, source)
                    : store.versionFileAt(SetKeyOf(target), when, source);
}

} // namespace

int runExport(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("export"), GetLangString(StrDescription));
    AddTargetOptions(command);
    command.addOption({QStringLiteral("version"), GetLangString(StrVersionOption), QStringLiteral("N")});
    command.addAsOfOption(GetLangString(StrAsOfOption));
    command.addOption({QStringLiteral("format"), GetLangString(StrFormatOption), QStringLiteral("N")});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.onlyReads();
    const int failed = command.attempt([&] {
        const QString format = command.parser().value(QStringLiteral("format"));
        if (!format.isEmpty() && format != QLatin1String("1") && format != QLatin1String("2"))
            throw Usage(StrBadFormat, {format});
        const SetTarget target = ReadTarget(command);
        command.setSubject(DescribeTarget(target));
        QByteArray json;
        if (const std::optional<QByteArray> kept = keptVersion(command, target)) {
            json = *kept;
        } else {
            const Recordset parent = LoadTarget(command.server(), target);
            json = WriteRequirementFile(parent, target.kind, target.context, CurriculumOf(target));
        }
        if (format == QLatin1String("2")) {
            server::DatabaseSetFileCodes codes(command.server());
            json = WriteReadableSetFile(ReadRequirementFile(json), codes);
        }
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(json) != json.size())
            throw ZrError(60200, QStringLiteral("export"), out.errorString());
    });
    return failed >= 0 ? failed : ExitOk;
}

} // namespace zr::app::cli
