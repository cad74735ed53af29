#include "clicommon.h"

#include "auditsources.h"
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
};

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

CommandLine::CommandLine(const QString &subcommand, const QString &description) : m_subcommand(subcommand)
{
    SetLogFile(LogFilePath(), false);
    m_parser.setApplicationDescription(description);
    m_parser.addHelpOption();
    m_parser.addPositionalArgument(subcommand, QStringLiteral("The subcommand."));
}

void CommandLine::takeArguments(const QString &syntax, const QString &description)
{
    m_parser.addPositionalArgument(syntax, description);
    m_takesArguments = true;
}

void CommandLine::addServerOption()
{
    m_parser.addOption({QStringLiteral("server"),
                        QStringLiteral("Database: empty for the embedded one, sqlite:///path/file.db, or "
                                       "postgresql://user@host:port/dbname."),
                        QStringLiteral("url")});
}

void CommandLine::addLanguageOption()
{
    m_parser.addOption({QStringLiteral("lang"), QStringLiteral("Language of messages and captions: el (default) or en."),
                        QStringLiteral("el|en"), QStringLiteral("el")});
}

int CommandLine::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments))
        return fail(UsageError{QStringLiteral("zrreq %1: %2").arg(m_subcommand, m_parser.errorText())});
    // Read once so that its password is hidden in every line the command writes.
    ServerAddress::parse(server());
    if (m_parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << m_parser.helpText();
        return ExitOk;
    }
    // Only the subcommand itself may stand without an option.
    if (!m_takesArguments && m_parser.positionalArguments().size() > 1)
        return fail(UsageError{QStringLiteral("zrreq %1: unexpected argument \"%2\"")
                                   .arg(m_subcommand, m_parser.positionalArguments().at(1))});
    const QStringList names = m_parser.optionNames();
    // Only init-db creates a database; a mistyped file name would start an empty one.
    if (names.contains(QStringLiteral("server")) && m_subcommand != QLatin1String("init-db"))
        onlyReads();
    if (names.contains(QStringLiteral("lang"))) {
        const QString lang = m_parser.value(QStringLiteral("lang"));
        if (lang != QLatin1String("el") && lang != QLatin1String("en"))
            return fail(UsageError{QStringLiteral("zrreq %1: --lang must be el or en, not \"%2\"").arg(m_subcommand, lang)});
    }
    return -1;
}

QString CommandLine::server() const
{
    return m_parser.value(QStringLiteral("server"));
}

void CommandLine::applyLanguage() const
{
    const bool english = m_parser.value(QStringLiteral("lang")) == QLatin1String("en");
    // The string service's language wins over the thread's, so it is switched first.
    StringService::instance().setLanguageId(english ? LangEnglish : LangGreek);
    InitLanguage(english ? LangEnglish : LangGreek);
}

void CommandLine::onlyReads() const
{
    server::Database::setCreatesNew(false);
}

qint32 CommandLine::wholeNumber(const QString &name, bool isRequired) const
{
    if (!m_parser.isSet(name)) {
        if (isRequired)
            throw UsageError{QStringLiteral("zrreq %1: --%2 is required").arg(m_subcommand, name)};
        return 0;
    }
    bool ok = false;
    const qint32 value = m_parser.value(name).toInt(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("zrreq %1: --%2 must be a whole number, not \"%3\"")
                             .arg(m_subcommand, name, m_parser.value(name))};
    return value;
}

QString CommandLine::required(const QString &name) const
{
    if (!m_parser.isSet(name) || m_parser.value(name).isEmpty())
        throw UsageError{QStringLiteral("zrreq %1: --%2 is required").arg(m_subcommand, name)};
    return m_parser.value(name);
}

void CommandLine::addAsOfOption(const QString &what)
{
    m_parser.addOption({QStringLiteral("as-of"),
                        what + QStringLiteral(" in force at DATE: yyyy-mm-dd (the end of that day) or "
                                              "yyyy-mm-ddThh:mm[:ss], local time."),
                        QStringLiteral("DATE")});
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
        throw UsageError{QStringLiteral("zrreq %1: --as-of must be a date, yyyy-mm-dd, or a date and time, "
                                        "yyyy-mm-ddThh:mm[:ss] with an offset (+02:00, Z) or without (local time), "
                                        "not \"%2\"")
                             .arg(m_subcommand, text)};
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
    PrintError(HidePasswords(error.message));
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
    QCommandLineParser &p = command.parser();
    p.addOption({QStringLiteral("kind"), QStringLiteral("Object kind: 1, 3, 4, 8, 11, 13 or 14."), QStringLiteral("K")});
    p.addOption({QStringLiteral("object"),
                 QStringLiteral("Object id: programme (kinds 1, 3, 4, 11), student (8), department (13), "
                                "course (14)."),
                 QStringLiteral("ID")});
    p.addOption({QStringLiteral("context"), QStringLiteral("Requirement context, 101 to 112."), QStringLiteral("C")});
    p.addOption({{QStringLiteral("curriculum"), QStringLiteral("secondary")},
                 QStringLiteral("Curriculum of a programme's curriculum-choice (102) or degree (103) "
                                "requirements; the course group of kind 3, the course of kind 4."),
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
        throw UsageError{QStringLiteral("zrreq: --object must be a whole number, not \"%1\"").arg(target.objectId)};
    if (!IsKnownObjectKind(target.kind))
        throw UsageError{QStringLiteral("zrreq: unknown object kind %1 (1, 3, 4, 8, 11, 13 or 14)").arg(target.kind)};
    if (!IsKnownContext(target.context))
        throw UsageError{QStringLiteral("zrreq: unknown requirement context %1 (101 to 112)").arg(target.context)};
    if ((target.kind == 3 || target.kind == 4) && target.curriculum == 0)
        throw UsageError{QStringLiteral("zrreq: object kind %1 needs --secondary (the course group or course)")
                             .arg(target.kind)};
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
            throw UsageError{QStringLiteral("zrreq: the file's object of kind %1 names no course group or course "
                                            "(secobjID)")
                                 .arg(file.objectKind)};
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
