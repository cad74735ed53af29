#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/serveraddress.h"
#include "reqtypes/typecatalog.h"
#include "database.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <tuple>

namespace zr::app::cli {

namespace {

constexpr qint32 StrNoSets = 62214; // "No requirement set is stored in %1."

struct StoredSetRow
{
    SetTarget target;
    qint64 requirements = 0;
    QString name;
};

// The names of one code table's rows by id, in the language asked where the table has it.
QHash<QString, QString> namesOf(server::Database &db, const QString &sql)
{
    QHash<QString, QString> names;
    QSqlQuery &q = db.exec(sql, {}, QStringLiteral("zrreq list"));
    const bool english = CurrentLanguage() == LangEnglish;
    while (q.next()) {
        QStringList parts;
        for (int column = 1; column < q.record().count(); ++column) {
            // A column "…_en" beside a column stands for it in English.
            if (q.record().fieldName(column).endsWith(QLatin1String("_en")))
                continue;
            const QString own = q.value(column).toString();
            const int translation = q.record().indexOf(q.record().fieldName(column) + QStringLiteral("_en"));
            const QString translated = english && translation >= 0 ? q.value(translation).toString() : QString();
            parts << (translated.isEmpty() ? own : translated);
        }
        parts.removeAll(QString());
        names.insert(q.value(0).toString(), parts.join(QLatin1Char(' ')));
    }
    q.finish();
    return names;
}

QList<StoredSetRow> storedSets(const QString &server)
{
    auto db = server::Database::open(server);
    const QHash<QString, QString> programmes =
        namesOf(*db, QStringLiteral("SELECT prID, prtitle, prtitle_en FROM QEMDepPrograms"));
    const QHash<QString, QString> curricula = namesOf(*db, QStringLiteral("SELECT orID, ordescription FROM QEMDPOrientation"));
    const QHash<QString, QString> groups = namesOf(*db, QStringLiteral("SELECT dgID, groupID, dgname FROM QEMDPGroup"));
    const QHash<QString, QString> departments =
        namesOf(*db, QStringLiteral("SELECT depID, depname, depname_en FROM QEMDepartments"));
    // Only the courses and students sets are kept for: a department's catalogue may be long.
    const QHash<QString, QString> courses = namesOf(
        *db, QStringLiteral("SELECT courseID, coursecode, title, title_en FROM QEMCourses WHERE courseID IN "
                            "(SELECT objID FROM QEMObjectConstraint WHERE conobject = 14) OR courseID IN "
                            "(SELECT CAST(secobjID AS INTEGER) FROM QEMObjectConstraint WHERE conobject = 4)"));
    const QHash<QString, QString> students = namesOf(
        *db, QStringLiteral("SELECT student_ID, spec_aem, lastname, firstname FROM QEMStudents WHERE student_ID IN "
                            "(SELECT objID FROM QEMObjectConstraint WHERE conobject = 8)"));

    QList<StoredSetRow> sets;
    QSqlQuery &q = db->exec(QStringLiteral("SELECT conobject, objID, contypeID, secobjID, COUNT(*) FROM QEMObjectConstraint "
                                           "GROUP BY conobject, objID, contypeID, secobjID "
                                           "ORDER BY conobject, objID, contypeID, secobjID"),
                            {}, QStringLiteral("zrreq list"));
    while (q.next()) {
        StoredSetRow row;
        row.target.kind = q.value(0).toInt();
        row.target.objectId = q.value(1).toString();
        row.target.context = q.value(2).toInt();
        row.target.curriculum = q.value(3).toString().toInt();
        row.requirements = q.value(4).toLongLong();
        // The secondary key only where the kind and context keep one: a stray one would not name the set.
        const bool secondary = row.target.kind == KindProgramme3 || row.target.kind == KindProgramme4
                               || CurriculumOf(SetTarget{row.target.kind, row.target.objectId, row.target.context, 1}) != 0;
        if (!secondary)
            row.target.curriculum = 0;
        QStringList name;
        const QString object = row.target.objectId;
        switch (row.target.kind) {
        case KindStudent:
            name << students.value(object, object);
            break;
        case KindDepartment:
            name << departments.value(object, object);
            break;
        case KindDepartmentById: // a course of the department
            name << courses.value(object, object);
            break;
        default:
            name << programmes.value(object, object);
        }
        const QString second = QString::number(row.target.curriculum);
        if (row.target.curriculum != 0)
            name << (row.target.kind == KindProgramme3   ? groups.value(second, second)
                     : row.target.kind == KindProgramme4 ? courses.value(second, second)
                                                         : curricula.value(second, second));
        row.name = name.join(QStringLiteral(", ")) + QStringLiteral(": ") + ContextTitle(row.target.context);
        // Rows a stray secondary key split are one set.
        if (!sets.isEmpty() && sets.last().target.kind == row.target.kind && sets.last().target.objectId == object
            && sets.last().target.context == row.target.context && sets.last().target.curriculum == row.target.curriculum)
            sets.last().requirements += row.requirements;
        else
            sets << row;
    }
    q.finish();
    // Keys are text in the table ("119" before "25"): in the order of their numbers.
    std::stable_sort(sets.begin(), sets.end(), [](const StoredSetRow &a, const StoredSetRow &b) {
        return std::make_tuple(a.target.kind, a.target.objectId.toLongLong(), a.target.context, a.target.curriculum)
               < std::make_tuple(b.target.kind, b.target.objectId.toLongLong(), b.target.context, b.target.curriculum);
    });
    return sets;
}

} // namespace

int runList(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("list"),
                        QStringLiteral("Lists the requirement sets the database holds, one line each: the object "
                                       "kind, the object, the context and the secondary key (the curriculum, course "
                                       "group or course; 0 when the set has none), the number of requirements, and "
                                       "the set in words, separated by tabs. The first four are the --kind, "
                                       "--object, --context and --curriculum the other subcommands take."));
    command.parser().addOption({QStringLiteral("json"), QStringLiteral("Writes the list as JSON.")});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.applyLanguage();
    command.onlyReads();
    const int code = command.attempt([&] {
        const QList<StoredSetRow> sets = storedSets(command.server());
        if (command.parser().isSet(QStringLiteral("json"))) {
            QJsonArray list;
            for (const StoredSetRow &set : sets)
                list.append(QJsonObject{{QStringLiteral("kind"), set.target.kind},
                                        {QStringLiteral("object"), set.target.objectId.toLongLong()},
                                        {QStringLiteral("context"), set.target.context},
                                        {QStringLiteral("curriculum"), set.target.curriculum},
                                        {QStringLiteral("requirements"), set.requirements},
                                        {QStringLiteral("name"), set.name}});
            PrintLine(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented)).trimmed());
            return;
        }
        if (sets.isEmpty())
            PrintError(ReplaceParams(GetLangString(StrNoSets), {HidePasswords(command.server())}));
        for (const StoredSetRow &set : sets)
            PrintLine(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                          .arg(set.target.kind)
                          .arg(set.target.objectId)
                          .arg(set.target.context)
                          .arg(set.target.curriculum)
                          .arg(set.requirements)
                          .arg(set.name));
    });
    return code >= 0 ? code : ExitOk;
}

} // namespace zr::app::cli
