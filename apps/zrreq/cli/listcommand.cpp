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

namespace zr::app::cli {

namespace {

enum : qint32 {
    StrNoSets = 62214, // "No requirement set is stored in %1."
    StrDescription = 62327,
    StrJsonOption = 62328,
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

// Each stored set in words: its object, its secondary key and its context, named in the language asked.
QStringList setNames(const QString &server, const QList<StoredSetEntry> &sets)
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
    QStringList names;
    for (const StoredSetEntry &set : sets) {
        const SetTarget &target = set.target;
        const QString object = target.objectId;
        QStringList name;
        switch (target.kind) {
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
        const QString second = QString::number(target.curriculum);
        if (target.curriculum != 0)
            name << (target.kind == KindProgramme3   ? groups.value(second, second)
                     : target.kind == KindProgramme4 ? courses.value(second, second)
                                                     : curricula.value(second, second));
        names << name.join(QStringLiteral(", ")) + QStringLiteral(": ") + ContextTitle(target.context);
    }
    return names;
}

} // namespace

int runList(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("list"), GetLangString(StrDescription));
    command.addOption({QStringLiteral("json"), GetLangString(StrJsonOption)});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    command.onlyReads();
    const int code = command.attempt([&] {
        const QList<StoredSetEntry> sets = StoredSets(command.server(), QStringLiteral("zrreq list"));
        const QStringList names = setNames(command.server(), sets);
        if (command.parser().isSet(QStringLiteral("json"))) {
            QJsonArray list;
            for (qsizetype i = 0; i < sets.size(); ++i)
                list.append(QJsonObject{{QStringLiteral("kind"), sets.at(i).target.kind},
                                        {QStringLiteral("object"), sets.at(i).target.objectId.toLongLong()},
                                        {QStringLiteral("context"), sets.at(i).target.context},
                                        {QStringLiteral("curriculum"), sets.at(i).target.curriculum},
                                        {QStringLiteral("requirements"), sets.at(i).requirements},
                                        {QStringLiteral("name"), names.at(i)}});
            PrintLine(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented)).trimmed());
            return;
        }
        if (sets.isEmpty())
            PrintError(ReplaceParams(GetLangString(StrNoSets), {HidePasswords(command.server())}));
        for (qsizetype i = 0; i < sets.size(); ++i) {
            const SetTarget &target = sets.at(i).target;
            PrintLine(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                          .arg(target.kind)
                          .arg(target.objectId)
                          .arg(target.context)
                          .arg(target.curriculum)
                          .arg(sets.at(i).requirements)
                          .arg(names.at(i)));
        }
    });
    return code >= 0 ? code : ExitOk;
}

} // namespace zr::app::cli
