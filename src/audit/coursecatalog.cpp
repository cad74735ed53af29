#include "coursecatalog.h"

#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "recordset/recordset.h"

#include <algorithm>

namespace zr {

namespace {

std::optional<qint32> code(const QVariant &value)
{
    return value.isNull() || value.toString().isEmpty() ? std::nullopt
                                                        : std::optional<qint32>(value.toInt());
}

std::optional<double> figure(const QVariant &value)
{
    return value.isNull() || value.toString().isEmpty() ? std::nullopt
                                                        : std::optional<double>(value.toDouble());
}

// One row of a recordset read by column index: an absent column reads as null.
struct Row
{
    const Recordset &rows;
    int row;
    QVariant operator()(int field) const
    {
        return field < 0 || row < 0 ? QVariant() : rows.valueAt(row, field);
    }
};

// The programme's value where it gives one, else the course's own, as the record reader joins them.
QVariant either(const QVariant &programme, const QVariant &course)
{
    return !programme.isNull() && !programme.toString().isEmpty() ? programme : course;
}

} // namespace

QList<CatalogCourse> LoadProgrammeCourses(cDepPrograms &programmes, cCourses &courses,
                                          qint32 programmeId)
{
    const Recordset listed = programmes.GetRSProgramCourses(programmeId, 1, QString(), QString());
    const auto field = [](const Recordset &rows, const char16_t *name) {
        return rows.fieldIndex(QStringView(name));
    };
    const int listedId = field(listed, u"courseID");
    // The courses' own rows, of the listed courses alone.
    QStringList ids;
    for (int row = 0; row < listed.recordCount(); ++row)
        ids << QString::number(listed.valueAt(row, listedId).toInt());
    QString filter = ids.isEmpty()
                         ? QStringLiteral("courseID = 0")
                         : QStringLiteral("courseID IN (%1)").arg(ids.join(QLatin1Char(',')));
    const Recordset own = courses.LoadCourses(filter, QStringLiteral("courseID"), 1);
    const int ownId = field(own, u"courseID");
    QHash<qint32, int> rowOf;
    for (int row = 0; row < own.recordCount(); ++row)
        rowOf.insert(own.valueAt(row, ownId).toInt(), row);
    const bool english = CurrentLanguage() == LangEnglish;
    const int code_ = field(listed, u"coursecode"), title = field(listed, u"title"),
              type = field(listed, u"ctypeID"), semester = field(listed, u"semID"),
              group = field(listed, u"dgID"), credits = field(listed, u"credits"),
              hours = field(listed, u"hours"), ects = field(listed, u"ects"),
              weight = field(listed, u"coefficient"), inGrade = field(listed, u"indegreegrade");
    const int ownTitle = english ? field(own, u"title_en") : -1, ownType = field(own, u"ctypeID"),
              ownSemester = field(own, u"semID"), mode = field(own, u"categoryID"),
              sector = field(own, u"sectorID"), subject = field(own, u"areaID"),
              ownCredits = field(own, u"credits"), ownHours = field(own, u"hours"),
              ownEcts = field(own, u"ects");
    QList<CatalogCourse> catalog;
    catalog.reserve(listed.recordCount());
    for (int row = 0; row < listed.recordCount(); ++row) {
        const Row p{listed, row};
        CatalogCourse c;
        c.courseId = p(listedId).toInt();
        const Row o{own, int(rowOf.value(c.courseId, -1))};
        c.code = p(code_).toString();
        const QString inEnglish = o(ownTitle).toString();
        c.title = inEnglish.isEmpty() ? p(title).toString() : inEnglish;
        CourseAttributes &a = c.attributes;
        a.courseType = code(either(p(type), o(ownType)));
        a.semester = code(either(p(semester), o(ownSemester)));
        a.group = code(p(group));
        a.mode = code(o(mode));
        a.sector = code(o(sector));
        a.subject = code(o(subject));
        a.credits = figure(either(p(credits), o(ownCredits)));
        a.hours = figure(either(p(hours), o(ownHours)));
        a.ects = figure(either(p(ects), o(ownEcts)));
        a.coefficient = figure(p(weight));
        a.inDegreeGrade = p(inGrade).toInt() != 0;
        catalog << c;
    }
    std::stable_sort(catalog.begin(), catalog.end(),
                     [](const CatalogCourse &x, const CatalogCourse &y) {
                         const qint32 a = x.attributes.semester.value_or(INT_MAX),
                                      b = y.attributes.semester.value_or(INT_MAX);
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
