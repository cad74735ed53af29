#include "clicommon.h"

#include "auditsources.h"
#include "commandhelp.h"
#include "common/createserverobject.h"
#include "common/errorlog.h"
#include "common/langstrings.h"
#include "common/serveraddress.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "requirements/setversion.h"
#include "requirements/requirementseditor.h"
#include "reqtypes/typecatalog.h"
#include "recordset/recordsetutils.h"
#include "database.h"
#include "jsonschema.h"
#include "requirementrules.h"
#include "servererrors.h"
#include "setfilecodes.h"

#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSqlQuery>
#include <QSet>
#include <QTextStream>
#include <optional>
#include <tuple>

namespace zr::app::cli {

namespace {
enum : qint32 {
    StrFileOutdated = 62025,
    StrServerOption = 62216,
    StrLangOption = 62220,
    StrBadLanguage = 62221,      // "--lang takes el or en, not \"%1\""
    StrSubcommandHelp = 62222,   // "Usage: zrreq %1 [options]%2\n\n%3\n\nOptions:\n%4"
    StrArgumentsHeading = 62223, // "Arguments:"
    StrHelpOption = 62224,
    StrUnexpectedArgument = 62228,
    StrRequired = 62230,         // "--%1 is required"
    StrNotWholeNumber = 62231,   // "--%1 must be a whole number, not \"%2\""
    StrNotADate = 62232,
    StrUnknownKind = 62233,
    StrUnknownContext = 62234,
    StrNeedsSecondary = 62235,
    StrFileNamesNoGroup = 62236,
    StrKindOption = 62310,
    StrObjectOption = 62311,
    StrContextOption = 62312,
    StrCurriculumOption = 62313,
};

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

UsageError Usage(qint32 id, const QStringList &values)
{
    return UsageError{ReplaceParams(GetLangString(id), values)};
}

CommandLine::CommandLine(const QString &subcommand, const QString &description)
    : m_subcommand(subcommand), m_description(description)
{
    SetLogFile(LogFilePath(), false);
    addOption({{QStringLiteral("h"), QStringLiteral("help")}, GetLangString(StrHelpOption)});
}

void CommandLine::addOption(const QCommandLineOption &option)
{
    m_parser.addOption(option);
    m_options.append(option);
}

void CommandLine::addOptions(const QList<QCommandLineOption> &options)
{
    for (const QCommandLineOption &option : options)
        addOption(option);
}

void CommandLine::takeArguments(const QString &syntax, const QString &description)
{
    m_argumentsSyntax = syntax;
    m_argumentsDescription = description;
}

void CommandLine::addServerOption()
{
    addOption({QStringLiteral("server"), GetLangString(StrServerOption), QStringLiteral("url")});
}

void CommandLine::addLanguageOption()
{
    // No default value: without --lang the language chosen before the command stays.
    addOption({QStringLiteral("lang"), GetLangString(StrLangOption), QStringLiteral("el|en")});
}

QString CommandLine::helpText() const
{
    const QString syntax = m_argumentsSyntax.isEmpty() ? QString() : QLatin1Char(' ') + m_argumentsSyntax;
    // The options last: their text is never searched for another placeholder.
    QString text = ReplaceParams(GetLangString(StrSubcommandHelp),
                                 {m_subcommand, syntax, Wrapped(m_description, 0), OptionLines(m_options)});
    if (!m_argumentsSyntax.isEmpty())
        text += QLatin1Char('\n') + GetLangString(StrArgumentsHeading) + QLatin1Char('\n')
                + HelpEntry(m_argumentsSyntax, m_argumentsDescription, 0);
    return text;
}

int CommandLine::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments))
        return fail(UsageError{ParseErrorText(m_parser, m_options, arguments)});
    // Read once so that its password is hidden in every line the command writes.
    ServerAddress::parse(server());
    if (m_parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << helpText();
        return ExitOk;
    }
    // Only the subcommand itself may stand without an option.
    if (m_argumentsSyntax.isEmpty() && m_parser.positionalArguments().size() > 1)
        return fail(Usage(StrUnexpectedArgument, {m_parser.positionalArguments().at(1)}));
    const QStringList names = m_parser.optionNames();
    // Only init-db creates a database; a mistyped file name would start an empty one.
    if (names.contains(QStringLiteral("server")) && m_subcommand != QLatin1String("init-db"))
        onlyReads();
    if (names.contains(QStringLiteral("lang"))) {
        const QString lang = m_parser.value(QStringLiteral("lang"));
        if (lang != QLatin1String("el") && lang != QLatin1String("en"))
            return fail(Usage(StrBadLanguage, {lang}));
    }
    return -1;
}

QString CommandLine::server() const
{
    return m_parser.value(QStringLiteral("server"));
}

void CommandLine::onlyReads() const
{
    server::Database::setCreatesNew(false);
}

qint32 CommandLine::wholeNumber(const QString &name, bool isRequired) const
{
    if (!m_parser.isSet(name)) {
        if (isRequired)
            throw Usage(StrRequired, {name});
        return 0;
    }
    bool ok = false;
    const qint32 value = m_parser.value(name).toInt(&ok);
    if (!ok)
        throw Usage(StrNotWholeNumber, {name, m_parser.value(name)});
    return value;
}

QString CommandLine::required(const QString &name) const
{
    if (!m_parser.isSet(name) || m_parser.value(name).isEmpty())
        throw Usage(StrRequired, {name});
    return m_parser.value(name);
}

void CommandLine::addAsOfOption(const QString &description)
{
    addOption({QStringLiteral("as-of"), description, QStringLiteral("DATE")});
}

QDateTime CommandLine::asOf() const
{
    if (!m_parser.isSet(QStringLiteral("as-of")))
        return QDateTime();
    const QString text = m_parser.value(QStringLiteral("as-of"));
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid() && text.size() == 10)
        return QDateTime(day, QTime(23, 59, 59));
    QString iso = text;
    const QDateTime when = QDateTime::fromString(iso.replace(QLatin1Char(' '), QLatin1Char('T')), Qt::ISODate);
    if (!when.isValid())
        throw Usage(StrNotADate, {text});
    // Saves are stamped in local time: a moment given with an offset is that moment here.
    return when.toLocalTime();
}

int CommandLine::fail(const ZrError &error, int code, bool onStdout) const
{
    const QString line = ErrorLine(error);
    onStdout ? PrintLine(line) : PrintError(line);
    logFailure(m_subject, error.number, error.description);
    return code;
}

int CommandLine::fail(const UsageError &error) const
{
    PrintError(HidePasswords(QStringLiteral("zrreq %1: %2").arg(m_subcommand, error.message)));
    logFailure(m_subject, 0, error.message);
    return ExitUnusable;
}

int CommandLine::attempt(const std::function<void()> &part, const ExitFor &exitFor, bool onStdout) const
{
    try {
        part();
    } catch (const UsageError &error) {
        return fail(error);
    } catch (const ZrError &error) {
        return fail(error, exitFor(error), onStdout);
    }
    return -1;
}

int CommandLine::attempt(const std::function<void()> &part, int code, bool onStdout) const
{
    return attempt(part, [code](const ZrError &) { return code; }, onStdout);
}

void CommandLine::logFailure(const QString &subject, qint32 number, const QString &description) const
{
    const QString path = LogFilePath();
    SetLogFile(path, true);
    AppendLogLine(number, QStringLiteral("zrreq ") + m_subcommand,
                  oneLine(subject.isEmpty() ? description : subject + QStringLiteral(": ") + description));
    SetLogFile(path, false);
}

QString ErrorLine(const ZrError &error)
{
    return HidePasswords(
        QStringLiteral("ERROR %1\t%2\t%3").arg(error.number).arg(oneLine(error.source), oneLine(error.description)));
}

void PrintError(const QString &line)
{
    QTextStream(stderr) << line << Qt::endl;
}

void PrintLine(const QString &line)
{
    QTextStream(stdout) << line << Qt::endl;
}

void AddTargetOptions(CommandLine &command)
{
    command.addOption({QStringLiteral("kind"), GetLangString(StrKindOption), QStringLiteral("K")});
    command.addOption({QStringLiteral("object"), GetLangString(StrObjectOption), QStringLiteral("ID")});
    command.addOption({QStringLiteral("context"), GetLangString(StrContextOption), QStringLiteral("C")});
    command.addOption({{QStringLiteral("curriculum"), QStringLiteral("secondary")}, GetLangString(StrCurriculumOption),
                       QStringLiteral("ID")});
}

SetTarget ReadTarget(const CommandLine &command)
{
    SetTarget target;
    target.kind = command.wholeNumber(QStringLiteral("kind"), true);
    target.objectId = command.required(QStringLiteral("object"));
    target.context = command.wholeNumber(QStringLiteral("context"), true);
    target.curriculum = command.wholeNumber(QStringLiteral("curriculum"), false);
    bool ok = false;
    target.objectId.toLongLong(&ok);
    if (!ok)
        throw Usage(StrNotWholeNumber, {QStringLiteral("object"), target.objectId});
    if (!IsKnownObjectKind(target.kind))
        throw Usage(StrUnknownKind, {QString::number(target.kind)});
    if (!IsKnownContext(target.context))
        throw Usage(StrUnknownContext, {QString::number(target.context)});
    if ((target.kind == 3 || target.kind == 4) && target.curriculum == 0)
        throw Usage(StrNeedsSecondary, {QString::number(target.kind)});
    return target;
}

QList<StoredSetEntry> StoredSets(const QString &server, const QString &source)
{
    auto db = server::Database::open(server);
    QSqlQuery &q = db->exec(QStringLiteral("SELECT conobject, objID, secobjID, contypeID, COUNT(*) FROM QEMObjectConstraint "
                                           "GROUP BY conobject, objID, secobjID, contypeID"),
                            {}, source);
    QMap<std::tuple<qint32, qlonglong, qint32, qint32>, StoredSetEntry> sets;
    while (q.next()) {
        SetTarget t;
        t.kind = q.value(0).toInt();
        const qlonglong objectId = q.value(1).toLongLong();
        t.objectId = QString::number(objectId);
        t.context = q.value(3).toInt();
        const bool keyed = t.kind == KindProgramme3 || t.kind == KindProgramme4
                           || CurriculumOf(SetTarget{t.kind, {}, t.context, 1}) != 0;
        t.curriculum = keyed ? q.value(2).toInt() : 0;
        StoredSetEntry &entry = sets[{t.kind, objectId, t.context, t.curriculum}];
        entry.target = t;
        entry.requirements += q.value(4).toLongLong();
    }
    q.finish();
    return sets.values();
}

QString SetKeyOf(const SetTarget &target)
{
    return RequirementSetKey(target.kind, target.objectId.toLongLong(), target.context,
                             target.curriculum != 0 ? QString::number(target.curriculum) : QString());
}

qint32 CurriculumOf(const SetTarget &target)
{
    const bool perCurriculum = target.kind == 1 && (target.context == 102 || target.context == 103);
    return perCurriculum ? target.curriculum : 0;
}

namespace {
// A curriculum of another programme would load, and write, the wrong set.
void checkCurriculum(const QString &server, const SetTarget &target)
{
    const qint32 curriculum = CurriculumOf(target);
    bool isNumber = false;
    const qlonglong programme = target.objectId.toLongLong(&isNumber);
    // An object id that is no number names no programme; loading the set says so.
    if (curriculum == 0 || !isNumber)
        return;
    // A process that imports many files into one programme asks for its curricula once.
    static QHash<QString, QSet<qint32>> known;
    const QString key = server + QLatin1Char('\n') + QString::number(programme);
    if (!known.contains(key)) {
        auto department = ServerObjectOf<cDepartment>(server);
        Recordset curricula = department->getTextList(QStringLiteral("QEMDPOrientation"),
                                                      QStringLiteral("prID=") + QString::number(programme));
        QSet<qint32> ids;
        for (curricula.moveFirst(); !curricula.eof(); curricula.moveNext())
            ids.insert(curricula.value(u"orID").toInt());
        known.insert(key, ids);
    }
    if (!known.value(key).contains(curriculum))
        throw MakeError(62200, QStringLiteral("zrreq"), {QString::number(curriculum), target.objectId});
}
} // namespace
QString DescribeTarget(const SetTarget &t)
{
    QString text = QStringLiteral("kind %1 object %2 context %3").arg(t.kind).arg(t.objectId).arg(t.context);
    if (t.kind == 3)
        text += QStringLiteral(" group %1").arg(t.curriculum);
    else if (t.kind == 4)
        text += QStringLiteral(" course %1").arg(t.curriculum);
    else if (CurriculumOf(t) != 0)
        text += QStringLiteral(" curriculum %1").arg(t.curriculum);
    return text;
}

Recordset LoadTarget(const QString &server, const SetTarget &target)
{
    checkCurriculum(server, target);
    auto constraints = ServerObjectOf<cContraints>(server);
    const QVariant secondary = target.curriculum != 0 ? QVariant(target.curriculum) : QVariant();
    return constraints->LoadObjectConstraints(target.kind, target.objectId, secondary);
}

Recordset ImportFileRows(const QString &server, const SetTarget &target, const RequirementFile &file, bool force)
{
    Recordset parent = LoadTarget(server, target);
    if (const QStringList facts = OutdatedFileFacts(file, parent, target.kind, target.context, CurriculumOf(target));
        !force && !facts.isEmpty())
        throw ZrError(server::ErrSetChanged, QStringLiteral("zrreq import"), ReplaceParams(GetLangString(StrFileOutdated), facts));
    ImportRequirementRows(file, parent, target.kind, target.context, CurriculumOf(target));
    return parent;
}

RequirementFile ReadSetFileOf(const QString &server, const QString &path)
{
    server::DatabaseSetFileCodes codes(server);
    return ReadSetFile(path, codes);
}

std::optional<SetTarget> TargetOfFile(const RequirementFile &file)
{
    const qint64 id = file.objectId();
    if (id == 0)
        return std::nullopt;
    SetTarget target{file.objectKind, QString::number(id), file.context, file.curriculumId()};
    if (file.objectKind == KindProgramme3 || file.objectKind == KindProgramme4) {
        // The group or course, as the object names it or else as its rows do.
        Recordset first = file.rows.isNull() ? file.rows : file.rows.clone();
        target.curriculum = ValLng(file.object.contains(QStringLiteral("secobjID"))
                                       ? file.object.value(QStringLiteral("secobjID"))
                                       : first.isNull() || first.eof() ? QVariant() : first.value(u"secobjID"));
        if (target.curriculum == 0)
            throw Usage(StrFileNamesNoGroup, {QString::number(file.objectKind)});
    }
    return target;
}

Recordset FileSetToCheck(const QString &server, const RequirementFile &file, qint32 *curriculum)
{
    const std::optional<SetTarget> target = TargetOfFile(file);
    *curriculum = target ? CurriculumOf(*target) : file.curriculumId();
    return target ? ImportFileRows(server, *target, file, true) : RequirementFileRecordset(file);
}

void CheckSet(const Recordset &parent, qint32 kind, qint32 context, qint32 curriculum, const QString &server,
              const RequirementFile *file)
{
    // The server's rules first: a type the object cannot have is said as such,
    // before the editor stumbles over it.
    auto db = server::Database::open(server);
    server::RequirementRules(*db, QStringLiteral("RequirementRules"))
        .checkSet(parent, RequirementSetKeyOf(parent, kind, context, curriculum));
    const auto editor = LoadEditor(parent, kind, context, curriculum, server);
    try {
        editor->writeBack();
        // Said on stderr, so that what a command prints on stdout reads as before.
        for (const ValidationWarning &warning : editor->warnings())
            PrintError(HidePasswords(QStringLiteral("WARNING %1\t%2\t%3")
                                         .arg(warning.number)
                                         .arg(QStringLiteral("ValidateInput"), oneLine(warning.description))));
    } catch (const ZrError &error) {
        const RequirementsEditor::Problem &problem = editor->problem();
        if (!file || !problem.valid)
            throw;
        // The file's rows stand in the set in the file's order.
        Recordset rows = SetRowsOf(parent, kind, context, curriculum);
        int row = 0;
        for (rows.moveFirst(); !rows.eof() && ValLng(rows.value(u"ocID")) != problem.ocID; rows.moveNext())
            ++row;
        throw PlacedInFile(*file, rows.eof() ? -1 : row, problem.field, error);
    }
}

void SaveCheckedSet(Recordset &parent, const SetTarget &target, const QString &server, const RequirementFile *file)
{
    CheckSet(parent, target.kind, target.context, CurriculumOf(target), server, file);
    // A student's set is his individual regulation: saved as one, so that his audit reads it.
    if (target.kind == KindStudent) {
        ServerObjectOf<cStudent>(server)->SaveStudConstraints(QStringLiteral("zrreq"), parent);
        return;
    }
    ServerObjectOf<cContraints>(server)->SaveConstraints(parent);
}

QString MissingDatabaseFile(const QString &serverName)
{
    if (!serverName.startsWith(QLatin1String("sqlite://"), Qt::CaseInsensitive))
        return QString();
    const QString file = serverName.mid(int(qstrlen("sqlite://")));
    return QFileInfo::exists(file) ? QString() : file;
}

void CheckServer(const QString &server)
{
    ServerObjectOf<cContraints>(server);
}

std::unique_ptr<RequirementsEditor> LoadEditor(const Recordset &parent, qint32 kind, qint32 context,
                                               qint32 curriculum, const QString &server)
{
    auto editor = std::make_unique<RequirementsEditor>();
    Recordset row = parent.clone();
    const QString department = row.eof() || !row.hasField(u"depID") ? QString() : row.value(u"depID").toString();
    editor->setServerName(server);
    editor->setDepartmentId(department);
    editor->set().setContext(context);
    editor->set().setObjectKind(kind);
    // The student view's columns come from the server's own schema description, as in the host.
    static const auto schema = std::make_shared<const server::JsonSchema>();
    editor->setSchema(schema);
    if (curriculum != 0)
        editor->setCurriculum(curriculum);
    try {
        editor->load(parent);
    } catch (const ZrError &error) {
        // Named as the host's editor names a failed load.
        throw ZrError(error.number, QStringLiteral("zrRequirements.rsConstraints"), error.description);
    }
    return editor;
}

void QuietQtMessages()
{
    // Qt's own notes (platform plugin, runtime folder) would break the one-line error contract.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            QTextStream(stderr) << message << Qt::endl;
    });
}

} // namespace zr::app::cli
