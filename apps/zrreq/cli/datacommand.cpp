#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "database.h"
#include "dataimport.h"
#include "servererrors.h"

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
    StrLeftOut = 65019,        // "%1 refusals: the rows they name were left out."
    StrPlannedPruned = 65020,  // "%1: %2 to add, %3 to change, %4 to remove, %5 unchanged"
    StrWrittenPruned = 65021,  // "%1: %2 added, %3 changed, %4 removed, %5 unchanged"
};

// One UTF-8 file with a byte-order mark, which spreadsheets need to read it as UTF-8.
void writeCsv(const QString &action, const QString &path, const QStringList &header,
              const QList<QStringList> &rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw UsageError{QStringLiteral("zrreq data %1: cannot write \"%2\": %3")
                             .arg(action, path, file.errorString())};
    file.write("\xEF\xBB\xBF");
    file.write(server::CsvLine(header).toUtf8());
    for (const QStringList &row : rows)
        file.write(server::CsvLine(row).toUtf8());
    if (!file.commit())
        throw UsageError{QStringLiteral("zrreq data %1: cannot write \"%2\": %3")
                             .arg(action, path, file.errorString())};
}

QDir madeFolder(const QString &action, const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw UsageError{
            QStringLiteral("zrreq data %1: cannot make the folder \"%2\"").arg(action, folder)};
    return QDir(folder);
}

// An empty file per kind: its header and one example row.
void writeTemplates(const QString &folder)
{
    const QDir dir = madeFolder(QStringLiteral("template"), folder);
    for (const server::DataKind &kind : server::DataKinds()) {
        QStringList example;
        for (const server::DataColumn &column : kind.columns)
            if (column.inFiles())
                example << column.example;
        writeCsv(QStringLiteral("template"), dir.filePath(kind.fileName()),
                 kind.header(), {example});
    }
}

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
    const QDir dir = madeFolder(QStringLiteral("export"), folder);
    server::DataImport stored(server::Database::open(server));
    for (const server::DataKind &kind : server::DataKinds())
        writeCsv(QStringLiteral("export"), dir.filePath(kind.fileName()),
                 kind.header(), stored.storedRows(kind));
}

} // namespace

int runData(const QStringList &arguments)
{
    CommandLine command(
        QStringLiteral("data"),
        QStringLiteral(
            "zrreq data import FILE... brings a registry's data in from CSV or JSON files, one "
            "file per kind (%1), the kind named by --kind, by the file's name (courses.csv) or by "
            "its header. Rows are matched by their codes, never by database ids: a second import "
            "of the same files changes nothing, and nothing is removed unless --prune is given. "
            "Without --apply nothing is written and what would change is listed; with it every "
            "file is written in one transaction, and nothing is when any row is refused, unless "
            "--skip-bad leaves the refused rows out.\n"
            "zrreq data export DIR writes the database's data as files an import reads back; "
            "zrreq data template DIR writes each kind's header and an example row; zrreq data "
            "columns [KIND] describes every column.\n"
            "Exit code 0 done, 1 rows refused, 2 unusable input.")
            .arg(server::DataKindNames()));
    command.takeArguments(QStringLiteral("import FILE...|export DIR|template DIR|columns [KIND]"),
                          QStringLiteral("The action and what it works on."));
    const QCommandLineOption apply(QStringLiteral("apply"), QStringLiteral("Write the changes."));
    const QCommandLineOption prune(
        QStringLiteral("prune"),
        QStringLiteral("Remove the stored rows of the kinds read that no file names."));
    const QCommandLineOption skipBad(
        QStringLiteral("skip-bad"),
        QStringLiteral("Leave refused rows out instead of refusing the import."));
    const QCommandLineOption kind(QStringLiteral("kind"), QStringLiteral("What the files hold."),
                                  QStringLiteral("kind"));
    const QCommandLineOption encoding(
        QStringLiteral("encoding"),
        QStringLiteral("The files' encoding; found from their bytes by default."),
        QStringLiteral("utf-8|windows-1253"));
    const QCommandLineOption delimiter(
        QStringLiteral("delimiter"),
        QStringLiteral("The fields' separator; found from the header by default."),
        QStringLiteral(",|;|tab"));
    command.parser().addOptions({apply, prune, skipBad, kind, encoding, delimiter});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
    if (!command.parser().isSet(apply))
        command.onlyReads();
    const QStringList words = command.arguments();
    const QString action = words.value(0);
    if (action == QLatin1String("export") || action == QLatin1String("template")) {
        if (words.size() != 2)
            return command.fail(
                UsageError{QStringLiteral("zrreq data %1: name one folder").arg(action)});
        command.setSubject(words.at(1));
        return std::max(0, command.attempt([&] {
            if (action == QLatin1String("export"))
                exportData(command.server(), words.at(1));
            else
                writeTemplates(words.at(1));
        }));
    }
    if (action == QLatin1String("columns")) {
        if (words.size() > 2)
            return command.fail(UsageError{QStringLiteral("zrreq data columns: name one kind")});
        const server::DataKind *one = server::FindDataKind(words.value(1));
        if (words.size() == 2 && !one)
            return command.fail(UsageError{QStringLiteral("zrreq data columns: the kinds are %1")
                                               .arg(server::DataKindNames())});
        PrintLine(server::DataKindsReference(one).trimmed());
        return ExitOk;
    }
    if (action != QLatin1String("import"))
        return command.fail(UsageError{QStringLiteral(
            "zrreq data: say what to do: import FILE..., export DIR, template DIR or columns")});
    if (words.size() < 2)
        return command.fail(
            UsageError{QStringLiteral("zrreq data import: name at least one file")});
    command.setSubject(words.mid(1).join(u' '));
    int code = ExitOk;
    const int failed = command.attempt([&] {
        const server::CsvDialect dialect = dialectOf(command);
        const QString kindName = command.parser().value(kind);
        if (!kindName.isEmpty() && !server::FindDataKind(kindName))
            throw UsageError{QStringLiteral("zrreq data: --kind is one of %1, not \"%2\"")
                                 .arg(server::DataKindNames(), kindName)};
        server::DataImport import(server::Database::open(command.server()));
        import.setPrune(command.parser().isSet(prune));
        import.setSkipBad(command.parser().isSet(skipBad));
        for (const QString &path : words.mid(1))
            if (QString error; !import.addFile(path, &error, kindName, dialect))
                throw UsageError{QStringLiteral("zrreq data import: cannot read \"%1\": %2")
                                     .arg(path, error)};
        // Applied at once: what was written is what it counted.
        const bool written = command.parser().isSet(apply);
        if (written) {
            try {
                import.apply();
            } catch (const ZrError &error) {
                if (error.number != server::ErrDataFileRefused || import.problems().isEmpty())
                    throw;
            }
        }
        if (const QStringList refused = import.problems(); !refused.isEmpty()) {
            for (const QString &line : refused)
                PrintError(line);
            const bool skip = command.parser().isSet(skipBad);
            PrintError(ReplaceParams(GetLangString(skip ? StrLeftOut : StrNothingWritten),
                                     {QString::number(refused.size())}));
            if (!skip) {
                code = ExitInvalid;
                return;
            }
        }
        const QList<server::DataKindChanges> changes = import.changes();
        for (const server::DataKindChanges &kindChanges : changes) {
            QStringList counts{kindChanges.kind, QString::number(kindChanges.added),
                               QString::number(kindChanges.changed)};
            if (command.parser().isSet(prune))
                counts << QString::number(kindChanges.removed);
            counts << QString::number(kindChanges.unchanged);
            const qint32 line = command.parser().isSet(prune)
                                    ? (written ? StrWrittenPruned : StrPlannedPruned)
                                    : (written ? StrWritten : StrPlanned);
            PrintLine(ReplaceParams(GetLangString(line), counts));
            if (!written)
                for (const QString &row : kindChanges.firstRows)
                    PrintLine(QStringLiteral("  ") + row);
        }
    });
    return failed >= 0 ? failed : code;
}

} // namespace zr::app::cli
