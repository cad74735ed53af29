#include "auditcodesource.h"

#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "recordset/recordset.h"

namespace zr {

namespace {

QHash<qint32, QString> names(cDepartment &department, const QString &table, const char *key, const char *name)
{
    QHash<qint32, QString> out;
    Recordset rows = department.getTextList(table, QString());
    const QString keyField = QString::fromLatin1(key);
    const QString nameField = QString::fromLatin1(name);
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        out.insert(rows.value(keyField).toInt(), rows.value(nameField).toString());
    return out;
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

} // namespace

AuditCodes LoadAuditCodes(cDepartment &department, const QString &departmentId, CourseNames courses)
{
    AuditCodes codes;
    Recordset terms = department.getTextList(QStringLiteral("SYS_terms"), QString());
    for (terms.moveFirst(); !terms.eof(); terms.moveNext()) {
        const qint32 id = terms.value(u"termID").toInt();
        codes.termOrder << id;
        codes.termNames.insert(id, terms.value(u"termDesc").toString());
    }
    if (!departmentId.isEmpty()) {
        Recordset current = department.getTextList(QStringLiteral("QEMDepartments"),
                                                    QStringLiteral("depID = ") + quoted(departmentId));
        current.moveFirst();
        if (!current.eof()) {
            codes.currentYear = current.value(u"curyear").toInt();
            codes.currentTerm = current.value(u"curtermID").toInt();
        }
    }
    if (courses == CourseNames::Read) {
        const bool english = CurrentLanguage() == LangEnglish;
        Recordset rows = department.getTextList(QStringLiteral("QEMCourses"), QString());
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            const qint32 id = rows.value(u"courseID").toInt();
            const QString inEnglish = english && rows.hasField(u"title_en") ? rows.value(u"title_en").toString()
                                                                             : QString();
            codes.courseNames.insert(id, inEnglish.isEmpty() ? rows.value(u"title").toString() : inEnglish);
            codes.courseCodes.insert(id, rows.value(u"coursecode").toString());
        }
    }
    codes.courseTypeNames = names(department, QStringLiteral("SYS_CourseType"), "ctypeID", "ctypedesc");
    codes.subjectNames = names(department, QStringLiteral("SYS_Dep_CourseArea"), "areaID", "coursearea");
    codes.categoryNames = names(department, QStringLiteral("SYS_Dep_SectionCategories"), "sectcatID", "sectcatdescr");
    return codes;
}

} // namespace zr
