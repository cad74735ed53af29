#include "auditwhatif.h"

#include "../auditsources.h"

#include "audit/passedcourses.h"
#include "audit/whatif.h"
#include "common/createserverobject.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"

#include <QJsonObject>

#include <algorithm>

namespace zr::app::cli {

namespace {

enum : qint32 {
    StrPlanGrade = 62266,
    StrPlanNoCourse = 62267,
    StrPlanPassed = 62268,
    StrPlanTwice = 62269,
    StrPlanNoCodes = 62270,
    StrWhatIfNamesProgramme = 62265,
};

// One row's column of a code table of the department object, or empty.
QString titleOf(const QString &server, const QString &table, const QString &where,
                const char16_t *column)
{
    Recordset rows = ServerObjectOf<cDepartment>(server)->getTextList(table, where);
    rows.moveFirst();
    return rows.eof() ? QString() : rows.value(QStringView(column)).toString();
}

} // namespace

WhatIf ReadWhatIf(CommandLine &command)
{
    WhatIf whatIf;
    whatIf.programme = command.wholeNumber(QStringLiteral("what-if-programme"), false);
    whatIf.curriculum = command.wholeNumber(QStringLiteral("what-if-curriculum"), false);
    whatIf.asked = command.parser().isSet(QStringLiteral("what-if-programme")) ||
                   command.parser().isSet(QStringLiteral("what-if-curriculum"));
    if (!whatIf.asked)
        return whatIf;
    if (command.parser().isSet(QStringLiteral("kind")) ||
        command.parser().isSet(QStringLiteral("object")))
        throw Usage(StrWhatIfNamesProgramme);
    if (whatIf.curriculum == 0)
        whatIf.curriculum = command.wholeNumber(QStringLiteral("curriculum"), false);
    return whatIf;
}

StudentRecord RecordInWhatIf(const QString &server, StudentRecord record, const SetTarget &target,
                             WhatIf &whatIf)
{
    const qint32 programme = qint32(target.objectId.toLongLong());
    if (record.student.value(QStringLiteral("progrspoud_ID")).toInt() != programme) {
        whatIf.catalog = ProgrammeCatalog(server, programme);
        record = RecordInProgramme(record, whatIf.catalog, &whatIf.outside);
        record.student.insert(QStringLiteral("progrspoud_ID"), programme);
        record.student.insert(QStringLiteral("prtitle"),
                              titleOf(server, QStringLiteral("QEMDepPrograms"),
                                      QStringLiteral("prID=") + QString::number(programme),
                                      u"prtitle"));
    }
    if (target.curriculum != 0) {
        record.student.insert(QStringLiteral("orient_ID"), target.curriculum);
        record.student.insert(QStringLiteral("ordescription"),
                              titleOf(server, QStringLiteral("QEMDPOrientation"),
                                      QStringLiteral("orID=") + QString::number(target.curriculum),
                                      u"ordescription"));
    }
    // His own degree requirements are his programme's: a what-if audits the set it names.
    record.regulation = false;
    QStringList caption{record.student.value(QStringLiteral("prtitle")).toString()};
    if (target.curriculum != 0)
        caption << record.student.value(QStringLiteral("ordescription")).toString();
    caption.removeAll(QString());
    whatIf.caption =
        caption.isEmpty() ? QString::number(programme) : caption.join(QStringLiteral(", "));
    return record;
}

void CheckSameProgramme(const StudentRecord &record, qint32 kind, const QVariant &programme)
{
    const QVariant own = record.student.value(QStringLiteral("progrspoud_ID"));
    if (kind != 1 || own.isNull() || programme.isNull() || own.toString() == programme.toString())
        return;
    throw MakeError(62201, QStringLiteral("zrreq audit"),
                    {QString::number(record.studentId()), own.toString(), programme.toString()});
}

QList<PlannedCourse> PlannedCoursesOf(const QString &list, const QList<CatalogCourse> &catalog,
                                      const StudentRecord &record)
{
    const audit::StudentDigest passed = audit::DigestRecord(record, false);
    QList<PlannedCourse> planned;
    for (const QString &item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString code = item.section(QLatin1Char(':'), 0, 0).trimmed();
        const QString gradeText = item.section(QLatin1Char(':'), 1).trimmed();
        bool ok = true;
        const double grade = gradeText.isEmpty() ? 5.0 : gradeText.toDouble(&ok);
        if (!ok || grade < 5 || grade > 10)
            throw Usage(StrPlanGrade, {code, gradeText});
        const auto course =
            std::find_if(catalog.cbegin(), catalog.cend(), [&](const CatalogCourse &c) {
                return c.code.compare(code, Qt::CaseInsensitive) == 0;
            });
        if (course == catalog.cend())
            throw Usage(StrPlanNoCourse, {code});
        if (passed.passedCourse(course->courseId))
            throw Usage(StrPlanPassed, {code});
        if (std::any_of(planned.cbegin(), planned.cend(), [&](const PlannedCourse &p) {
                return p.course.courseId == course->courseId;
            }))
            throw Usage(StrPlanTwice, {code});
        planned << PlannedCourse{*course, grade};
    }
    if (planned.isEmpty())
        throw Usage(StrPlanNoCodes);
    return planned;
}

QJsonArray PlannedJson(const QList<PlannedCourse> &planned)
{
    QJsonArray courses;
    for (const PlannedCourse &p : planned)
        courses.append(
            QJsonObject{{QStringLiteral("courseID"), p.course.courseId},
                        {QStringLiteral("code"), p.course.code},
                        {QStringLiteral("title"), p.course.title},
                        {QStringLiteral("grade"), p.grade ? QJsonValue(*p.grade) : QJsonValue()}});
    return courses;
}

} // namespace zr::app::cli
