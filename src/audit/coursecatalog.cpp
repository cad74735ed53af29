#include "coursecatalog.h"

#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "recordset/recordset.h"

#include <algorithm>

namespace zr {

namespace {

std::optional<qint32> code(const QVariant &value)
{
    return value.isNull() || value.toString().isEmpty() ? std::nullopt : std::optional<qint32>(value.toInt());
}

std::optional<double> figure(const QVariant &value)
{
    return value.isNull() || value.toString().isEmpty() ? std::nullopt : std::optional<double>(value.toDouble());
}

// The programme's value where it gives one, else the course's own, as the record reader joins them.
QVariant either(const Recordset &programme, const Recordset *course, const char16_t *field)
{
    const QVariant own = programme.value(QStringView(field));
    if (!own.isNull() && !own.toString().isEmpty())
        return own;
    return course ? course->value(QStringView(field)) : QVariant();
}

} // namespace

QList<CatalogCourse> LoadProgrammeCourses(cDepPrograms &programmes, cCourses &courses, qint32 programmeId)
{
    Recordset listed = programmes.GetRSProgramCourses(programmeId, 1, QString(), QString());
    QString all;
    Recordset own = courses.LoadCourses(all, QStringLiteral("courseID"), 1);
    const bool english = CurrentLanguage() == LangEnglish;
    QHash<qint32, int> rowOf;
    int row = 0;
    for (own.moveFirst(); !own.eof(); own.moveNext())
        rowOf.insert(own.value(u"courseID").toInt(), row++);
    QList<CatalogCourse> catalog;
    for (listed.moveFirst(); !listed.eof(); listed.moveNext()) {
        CatalogCourse c;
        c.courseId = listed.value(u"courseID").toInt();
        c.code = listed.value(u"coursecode").toString();
        c.title = listed.value(u"title").toString();
        const auto found = rowOf.constFind(c.courseId);
        const Recordset *course = nullptr;
        if (found != rowOf.constEnd()) {
            own.setAbsolutePosition(*found + 1);
            course = &own;
            const QString inEnglish = english && own.hasField(u"title_en") ? own.value(u"title_en").toString() : QString();
            if (!inEnglish.isEmpty())
                c.title = inEnglish;
        }
        CourseAttributes &a = c.attributes;
        a.courseType = code(either(listed, course, u"ctypeID"));
        a.semester = code(either(listed, course, u"semID"));
        a.group = code(listed.value(u"dgID"));
        if (course) {
            a.mode = code(course->value(u"categoryID"));
            a.sector = code(course->value(u"sectorID"));
            a.subject = code(course->value(u"areaID"));
        }
        a.credits = figure(either(listed, course, u"credits"));
        a.hours = figure(either(listed, course, u"hours"));
        a.ects = figure(either(listed, course, u"ects"));
        a.coefficient = figure(listed.value(u"coefficient"));
        a.inDegreeGrade = listed.value(u"indegreegrade").toInt() != 0;
        catalog << c;
    }
    std::stable_sort(catalog.begin(), catalog.end(), [](const CatalogCourse &x, const CatalogCourse &y) {
        const qint32 a = x.attributes.semester.value_or(INT_MAX), b = y.attributes.semester.value_or(INT_MAX);
        return a != b ? a < b : x.code < y.code;
    });
    return catalog;
}

QString CourseLabel(const AuditCodes &codes, qint32 courseId)
{
    const QString code = codes.courseCodes.value(courseId);
    const QString title = codes.courseNames.value(courseId);
    if (code.isEmpty())
        return title.isEmpty() ? QString::number(courseId) : title;
    return title.isEmpty() ? code : code + QLatin1Char(' ') + title;
}

} // namespace zr
