#pragma once

#include "recordset/recordset.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace zr {
struct RequirementFile;
struct ZrError;
class RequirementsEditor;
} // namespace zr

namespace zr::app::cli {

/// Exit codes of every subcommand.
enum ExitCode : int {
    ExitOk = 0,
    ExitInvalid = 1,   ///< the requirement set breaks a rule, or saving it failed
    ExitUnusable = 2,  ///< bad arguments, unreadable or malformed file, unknown server
};

/// A mistake in the arguments, said in one line in the string table's language;
/// CommandLine::fail() names the command before it.
struct UsageError
{
    QString message;
};
/// The usage error of string `id` with its placeholders filled in.
UsageError Usage(qint32 id, const QStringList &values = {});

/// The options and parsing every subcommand shares, its --help, and the report of its
/// failures: one line on the terminal and one line in the log for each error. Descriptions
/// are read from the string table as they are added: the language is chosen before.
class CommandLine
{
public:
    /// The library's own log lines are held back while a subcommand runs:
    /// the subcommand logs each of its errors once, through fail().
    CommandLine(const QString &subcommand, const QString &description);

    const QCommandLineParser &parser() const { return m_parser; }
    void addOption(const QCommandLineOption &option);
    void addOptions(const QList<QCommandLineOption> &options);
    /// Lets the command take plain arguments after its name (files, an action).
    void takeArguments(const QString &syntax, const QString &description);
    /// The plain arguments after the command's name.
    QStringList arguments() const { return m_parser.positionalArguments().mid(1); }
    void addServerOption();
    void addLanguageOption();
    /// Parses `arguments`. Returns -1 to go on, or the exit code when --help
    /// was answered or the arguments are wrong (reported on stderr).
    int parse(const QStringList &arguments);
    /// What --help prints: usage, description, options and arguments.
    QString helpText() const;

    QString server() const;
    /// For a command that only reads: no database is created on its behalf
    /// (a missing or empty database file is reported instead).
    void onlyReads() const;
    /// The value of option `name` as a whole number; throws UsageError when it
    /// is missing (and `required`) or not a number. 0 when absent.
    qint32 wholeNumber(const QString &name, bool required) const;
    /// The value of a required option; throws UsageError when it is missing.
    QString required(const QString &name) const;
    /// Adds --as-of DATE, described by `description`: the version of a stored set in force at DATE.
    void addAsOfOption(const QString &description);
    /// The moment --as-of names: a date stands for the end of that day (every
    /// save of the day counts). Invalid when --as-of is not given; throws
    /// UsageError for a value that is no date.
    QDateTime asOf() const;

    /// What the command works on, named in its log lines: the file, the set.
    void setSubject(const QString &subject) { m_subject = subject; }
    /// Prints the error as one line (stderr, or stdout for a verdict), logs
    /// one line naming the command, its subject and the error, and returns `code`.
    int fail(const ZrError &error, int code, bool onStdout = false) const;
    /// Prints "zrreq <command>: <message>" on stderr, logs it and returns ExitUnusable.
    int fail(const UsageError &error) const;
    /// Runs one part of the command. Returns -1 when it ends normally, as
    /// parse() does; otherwise reports what it threw through fail() and
    /// returns the exit code: `exitFor` of a ZrError (printed on stdout when
    /// `onStdout`), ExitUnusable for a UsageError.
    using ExitFor = std::function<int(const ZrError &error)>;
    int attempt(const std::function<void()> &part, const ExitFor &exitFor, bool onStdout = false) const;
    int attempt(const std::function<void()> &part, int code = ExitUnusable, bool onStdout = false) const;
    /// Logs one line for an error reported otherwise (one set of validate --all).
    void logFailure(const QString &subject, qint32 number, const QString &description) const;

private:
    QString m_subcommand;
    QString m_description;
    QString m_subject;
    QCommandLineParser m_parser;
    QList<QCommandLineOption> m_options; // in the order --help lists them
    QString m_argumentsSyntax;
    QString m_argumentsDescription;
};

/// Prints "ERROR <number>\t<source>\t<description>" (tabs and line breaks
/// inside the fields become spaces, so the error stays one line; passwords
/// of server addresses are hidden).
QString ErrorLine(const ZrError &error);
/// Writes one line to stderr.
void PrintError(const QString &line);
/// Writes one line to stdout.
void PrintLine(const QString &line);

/// Where a requirement set lives: object kind, object id, context and the
/// secondary key (the curriculum of a programme's curriculum choice or
/// degree set, the course group of kind 3, the course of kind 4).
struct SetTarget
{
    qint32 kind = 0;
    QString objectId;
    qint32 context = 0;
    qint32 curriculum = 0;
};

/// The curriculum the editor and the file use: the target's --curriculum
/// for a programme's curriculum-choice or degree set, 0 otherwise.
qint32 CurriculumOf(const SetTarget &target);
/// "kind K object O context C [curriculum|group|course S]".
QString DescribeTarget(const SetTarget &target);

/// Adds --kind, --object, --context and --curriculum (alias --secondary).
void AddTargetOptions(CommandLine &command);
/// Reads them; throws UsageError for missing or unknown values.
SetTarget ReadTarget(const CommandLine &command);
/// The key the target's set is versioned under (see RequirementSetKey).
QString SetKeyOf(const SetTarget &target);

/// A stored requirement set and the number of its requirements.
struct StoredSetEntry
{
    SetTarget target;
    qint64 requirements = 0;
};
/// Every stored set of `server`, in the order of its keys as numbers; the secondary key only where
/// the kind and context keep one, so a stray one in a row does not make a set of its own.
QList<StoredSetEntry> StoredSets(const QString &server, const QString &source);

/// The object's hierarchical requirement recordset from the server.
/// Throws ZrError (unknown server 462, unknown object ...).
Recordset LoadTarget(const QString &server, const SetTarget &target);

/// The editor, without widgets, loaded with `parent` as the host application
/// loads it, lookups from `server`. Throws ZrError when loading fails.
std::unique_ptr<RequirementsEditor> LoadEditor(const Recordset &parent, qint32 kind, qint32 context,
                                               qint32 curriculum, const QString &server);

/// The set file at `path`, of either format; a readable file's codes are looked up in `server`.
RequirementFile ReadSetFileOf(const QString &server, const QString &path);

/// The import's first half: the target's stored set with its rows replaced by
/// the file's, nothing saved. Throws ZrError (unknown object, set that needs a
/// curriculum ...), and ErrSetChanged for a file written from the target's own
/// set when that set was saved again after the file was written, unless `force`.
Recordset ImportFileRows(const QString &server, const SetTarget &target, const RequirementFile &file,
                         bool force = false);
/// The target a file was written from (kind, object, context, curriculum or
/// the course group or course of kinds 3 and 4); nothing for a file that names
/// no object. Throws UsageError for a file of kind 3 or 4 naming no group or course.
std::optional<SetTarget> TargetOfFile(const RequirementFile &file);
/// The set of `file` as checks see it: with the file naming its object,
/// imported into that object as the database holds it (ImportFileRows, so
/// an object or curriculum that does not exist is refused as an import
/// refuses it), otherwise the file alone. `curriculum` receives the set's curriculum.
Recordset FileSetToCheck(const QString &server, const RequirementFile &file, qint32 *curriculum);
/// The checks a set must pass before it is stored, the same for validate
/// and import: the server's rules on every row of the set, then the
/// editor's, which write the rows. Throws ZrError naming the first fault; for the set of a
/// readable `file`, said at its place in the file. What does not stop a save (a code no
/// table has, a course outside the programme) is printed on stderr, one line
/// "WARNING <number>\t<source>\t<description>" each.
void CheckSet(const Recordset &parent, qint32 kind, qint32 context, qint32 curriculum, const QString &server,
              const RequirementFile *file = nullptr);
/// The import's second half: CheckSet, then the save in one transaction.
/// Throws ZrError for an invalid set or a failed save.
void SaveCheckedSet(Recordset &parent, const SetTarget &target, const QString &server,
                    const RequirementFile *file = nullptr);

/// The file of an "sqlite:///path" server name when that file does not
/// exist; empty for other names and for files that exist.
QString MissingDatabaseFile(const QString &serverName);

/// Makes sure the server can be reached; throws ZrError 462 otherwise.
void CheckServer(const QString &server);

/// Keeps Qt's debug, info and warning messages off stderr; errors still show.
void QuietQtMessages();

} // namespace zr::app::cli
