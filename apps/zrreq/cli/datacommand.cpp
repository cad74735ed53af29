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
    StrCannotWrite = 62247,    // "cannot write \"%1\": %2"
    StrCannotMakeFolder = 62248,
    StrBadEncoding = 62249,
    StrBadDelimiter = 62250,
    StrOneFolder = 62251,      // "%1 takes one folder"
    StrOneKind = 62252,
    StrTheKinds = 62253,
    StrWhatToDo = 62254,
    StrOneFile = 62255,
    StrBadKind = 62256,        // "--kind is one of %1, not \"%2\""
    StrCannotRead = 62257,     // "cannot read \"%1\": %2"
    StrDescription = 62329,
    StrActionArgument = 62330,
    StrApplyOption = 62331,
    StrPruneOption = 62332,
    StrSkipBadOption = 62333,
    StrKindOption = 62334,
    StrEncodingOption = 62335,
    StrDelimiterOption = 62336,
};

// One UTF-8 file with a byte-order mark, which spreadsheets need to read it as UTF-8.
void writeCsv(const QString &path, const QStringList &header, const QList<QStringList> &rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Usage(StrCannotWrite, {path, file.errorString()});
    file.write("\xEF\xBB\xBF");
    file.write(server::CsvLine(header).toUtf8());
    for (const QStringList &row : rows)
        file.write(server::CsvLine(row).toUtf8());
    if (!file.commit())
        throw Usage(StrCannotWrite, {path, file.errorString()});
}

QDir madeFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw Usage(StrCannotMakeFolder, {folder});
    return QDir(folder);
}

// An empty file per kind: its header and one example row.
void writeTemplates(const QString &folder)
{
    const QDir dir = madeFolder(folder);
    for (const server::DataKind &kind : server::DataKinds()) {
        QStringList example;
        for (const server::DataColumn &column : kind.columns)
            if (column.inFiles())
                example << column.example;
        writeCsv(dir.filePath(kind.fileName()), kind.header(), {example});
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
        throw Usage(StrBadEncoding, {encoding});
    const QString delimiter = command.parser().value(QStringLiteral("delimiter"));
    if (delimiter == QLatin1String("tab"))
        dialect.delimiter = u'\t';
    else if (delimiter == QLatin1String(",") || delimiter == QLatin1String(";"))
        dialect.delimiter = delimiter.at(0);
    else if (!delimiter.isEmpty())
        throw Usage(StrBadDelimiter, {delimiter});
    return dialect;
}

// Every kind's stored rows, one file each, as an import reads them back unchanged.
void exportData(const QString &server, const QString &folder)
{
    const QDir dir = madeFolder(folder);
    server::DataImport stored(server::Database::open(server));
    for (const server::DataKind &kind : server::DataKinds())
        writeCsv(dir.filePath(kind.fileName()), kind.header(), stored.storedRows(kind));
}

} // namespace

int runData(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("data"), ReplaceParams(GetLangString(StrDescription), {server::DataKindNames()}));
    command.takeArguments(QStringLiteral("import FILE...|export DIR|template DIR|columns [KIND]"),
                          GetLangString(StrActionArgument));
    const QCommandLineOption apply(QStringLiteral("apply"), GetLangString(StrApplyOption));
    const QCommandLineOption prune(QStringLiteral("prune"), GetLangString(StrPruneOption));
    const QCommandLineOption skipBad(QStringLiteral("skip-bad"), GetLangString(StrSkipBadOption));
    const QCommandLineOption kind(QStringLiteral("kind"), GetLangString(StrKindOption), QStringLiteral("kind"));
    const QCommandLineOption encoding(QStringLiteral("encoding"), GetLangString(StrEncodingOption),
                                      QStringLiteral("utf-8|windows-1253"));
    const QCommandLineOption delimiter(QStringLiteral("delimiter"), GetLangString(StrDelimiterOption),
                                       QStringLiteral(",|;|tab"));
    command.addOptions({apply, prune, skipBad, kind, encoding, delimiter});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    if (!command.parser().isSet(apply))
        command.onlyReads();
    const QStringList words = command.arguments();
    const QString action = words.value(0);
    if (action == QLatin1String("export") || action == QLatin1String("template")) {
        if (words.size() != 2)
            return command.fail(Usage(StrOneFolder, {action}));
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
            return command.fail(Usage(StrOneKind));
        const server::DataKind *one = server::FindDataKind(words.value(1));
        if (words.size() == 2 && !one)
            return command.fail(Usage(StrTheKinds, {server::DataKindNames()}));
        PrintLine(server::DataKindsReference(one).trimmed());
        return ExitOk;
    }
    if (action != QLatin1String("import"))
        return command.fail(Usage(StrWhatToDo));
    if (words.size() < 2)
        return command.fail(Usage(StrOneFile));
    command.setSubject(words.mid(1).join(u' '));
    int code = ExitOk;
    const int failed = command.attempt([&] {
        const server::CsvDialect dialect = dialectOf(command);
        const QString kindName = command.parser().value(kind);
        if (!kindName.isEmpty() && !server::FindDataKind(kindName))
            throw Usage(StrBadKind, {server::DataKindNames(), kindName});
        server::DataImport import(server::Database::open(command.server()));
        import.setPrune(command.parser().isSet(prune));
        import.setSkipBad(command.parser().isSet(skipBad));
        for (const QString &path : words.mid(1))
            if (QString error; !import.addFile(path, &error, kindName, dialect))
                throw Usage(StrCannotRead, {path, error});
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
