#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "database.h"
#include "dataimport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zr::app::cli {

namespace {

enum : qint32 {
    StrPlanned = 65012,        // "%1: %2 to add, %3 to change, %4 unchanged"
    StrWritten = 65013,        // "%1: %2 added, %3 changed, %4 unchanged"
    StrNothingWritten = 65014, // "Nothing was written: %1 refusals."
};

server::CsvDialect dialectOf(CommandLine &command)
{
    server::CsvDialect dialect;
    const QString encoding = command.parser().value(QStringLiteral("encoding")).toLower();
    if (encoding == QLatin1String("utf-8"))
        dialect.encoding = server::CsvDialect::Encoding::Utf8;
    else if (encoding == QLatin1String("windows-1253"))
        dialect.encoding = server::CsvDialect::Encoding::Windows1253;
    else if (!encoding.isEmpty())
        throw UsageError{
            QStringLiteral("zrreq data: --encoding is utf-8 or windows-1253, not \"%1\"")
                .arg(encoding)};
    const QString delimiter = command.parser().value(QStringLiteral("delimiter"));
    if (delimiter == QLatin1String("tab"))
        dialect.delimiter = u'\t';
    else if (delimiter == QLatin1String(",") || delimiter == QLatin1String(";"))
        dialect.delimiter = delimiter.at(0);
    else if (!delimiter.isEmpty())
        throw UsageError{
            QStringLiteral("zrreq data: --delimiter is \",\", \";\" or tab, not \"%1\"")
                .arg(delimiter)};
    return dialect;
}

// Every kind's stored rows, one file each, as an import reads them back unchanged.
void exportData(const QString &server, const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw UsageError{
            QStringLiteral("zrreq data export: cannot make the folder \"%1\"").arg(folder)};
    server::DataImport stored(server::Database::open(server));
    for (const server::DataKind &kind : server::DataKinds()) {
        QStringList header;
        for (const server::DataColumn &column : kind.columns)
            header << column.name;
        QSaveFile file(QDir(folder).filePath(kind.name + QStringLiteral(".csv")));
        if (!file.open(QIODevice::WriteOnly))
            throw UsageError{QStringLiteral("zrreq data export: cannot write \"%1\": %2")
                                 .arg(file.fileName(), file.errorString())};
        file.write("\xEF\xBB\xBF"); // spreadsheets read UTF-8 by its byte-order mark
        file.write(server::CsvLine(header).toUtf8());
        for (const QStringList &row : stored.storedRows(kind))
            file.write(server::CsvLine(row).toUtf8());
        if (!file.commit())
            throw UsageError{QStringLiteral("zrreq data export: cannot write \"%1\": %2")
                                 .arg(file.fileName(), file.errorString())};
    }
}

} // namespace

int runData(const QStringList &arguments)
{
    CommandLine command(
        QStringLiteral("data"),
        QStringLiteral(
            "zrreq data import FILE... brings a registry's data in from CSV files, one file "
            "per kind (departments, programmes, curricula, courses, students, results), the kind "
            "named by "
            "--kind, by the file's name (courses.csv) or by its header. Rows are matched by their "
            "codes, never by database ids: a second "
            "import of the same files changes nothing, and nothing is removed. Without "
            "--apply nothing is written and what would change is listed; with it every "
            "file is written in one transaction, and nothing is when any row is refused.\n"
            "Exit code 0 done, 1 rows refused, 2 unusable input."));
    command.takeArguments(QStringLiteral("import FILE..."),
                          QStringLiteral("The action and the files."));
    const QCommandLineOption apply(QStringLiteral("apply"), QStringLiteral("Write the changes."));
    const QCommandLineOption kind(
        QStringLiteral("kind"), QStringLiteral("What the files hold."),
        QStringLiteral("departments|programmes|curricula|courses|students|results"));
    const QCommandLineOption encoding(
        QStringLiteral("encoding"),
        QStringLiteral("The files' encoding; found from their bytes by default."),
        QStringLiteral("utf-8|windows-1253"));
    const QCommandLineOption delimiter(
        QStringLiteral("delimiter"),
        QStringLiteral("The fields' separator; found from the header by default."),
        QStringLiteral(",|;|tab"));
    command.parser().addOptions({apply, kind, encoding, delimiter});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
    if (!command.parser().isSet(apply))
        command.onlyReads();
    const QStringList words = command.arguments();
    if (words.value(0) == QLatin1String("export")) {
        if (words.size() != 2)
            return command.fail(UsageError{QStringLiteral("zrreq data export: name one folder")});
        command.setSubject(words.at(1));
        return std::max(0, command.attempt([&] { exportData(command.server(), words.at(1)); }));
    }
    if (words.value(0) != QLatin1String("import"))
        return command.fail(UsageError{QStringLiteral(
            "zrreq data: say what to do: zrreq data import FILE... or zrreq data export DIR")});
    if (words.size() < 2)
        return command.fail(
            UsageError{QStringLiteral("zrreq data import: name at least one file")});
    command.setSubject(words.mid(1).join(u' '));
    int code = ExitOk;
    const int failed = command.attempt([&] {
        const server::CsvDialect dialect = dialectOf(command);
        const QString kindName = command.parser().value(kind);
        if (!kindName.isEmpty() && !server::FindDataKind(kindName))
            throw UsageError{QStringLiteral("zrreq data: --kind is departments, programmes, "
                                            "curricula, courses, students or results, not \"%1\"")
                                 .arg(kindName)};
        server::DataImport import(server::Database::open(command.server()));
        for (const QString &path : words.mid(1)) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                throw UsageError{QStringLiteral("zrreq data import: cannot read \"%1\": %2")
                                     .arg(path, file.errorString())};
            import.addFile(&file, QFileInfo(path).fileName(), kindName, dialect);
        }
        if (const QStringList refused = import.problems(); !refused.isEmpty()) {
            for (const QString &line : refused)
                PrintError(line);
            PrintError(
                ReplaceParams(GetLangString(StrNothingWritten), {QString::number(refused.size())}));
            code = ExitInvalid;
            return;
        }
        const QList<server::DataKindChanges> changes = import.changes();
        if (command.parser().isSet(apply))
            import.apply();
        for (const server::DataKindChanges &kindChanges : changes)
            PrintLine(ReplaceParams(
                GetLangString(command.parser().isSet(apply) ? StrWritten : StrPlanned),
                {kindChanges.kind, QString::number(kindChanges.added),
                 QString::number(kindChanges.changed), QString::number(kindChanges.unchanged)}));
    });
    return failed >= 0 ? failed : code;
}

} // namespace zr::app::cli
