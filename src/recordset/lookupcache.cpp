#include "lookupcache.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"

namespace zr {

LookupCache::LookupCache()
    : m_fetcher([this](const QString &table, const QString &filter) {
          auto department = ServerObjectOf<cDepartment>(m_serverName);
          return department->getTextList(table, filter);
      })
{
}

Recordset LookupCache::list(const QString &table, const QString &filter, bool refresh)
{
    // Curricula, groups and courses of a programme: a set of another programme asks with another filter.
    static const QStringList ofOneProgramme = {QStringLiteral("QEMDPOrientation"), QStringLiteral("QEMDPGroup"),
                                               QStringLiteral("QEMDepProgramCourses")};
    if (!refresh && (!ofOneProgramme.contains(table) || m_filters.value(table) == filter)) {
        const auto it = m_lists.constFind(table);
        if (it != m_lists.constEnd())
            return *it;
    }
    m_lists.remove(table);
    m_withAll.remove(table);
    ++m_fetchCount;
    Recordset rows = m_fetcher(table, filter);
    m_lists.insert(table, rows);
    m_filters.insert(table, filter);
    return rows;
}

Recordset LookupCache::listWithAll(const QString &table)
{
    const auto cached = m_withAll.constFind(table);
    if (cached != m_withAll.constEnd())
        return cached->clone();

    const LookupColumns columns = LookupColumnsOf(table);
    qint32 allText = 20714; // "all" for course and project types
    if (table == QLatin1String("SYS_semesters"))
        allText = 20715;
    else if (table == QLatin1String("SYS_terms"))
        allText = 20716;

    Recordset copy = CreateRSDuplicate(list(table).clone());
    copy.addNew();
    copy.setValue(columns.idField, -1);
    copy.setValue(columns.textField, GetLangString(allText));
    if (table == QLatin1String("SYS_CourseType") && copy.hasField(u"ctypeabbr"))
        copy.setValue(u"ctypeabbr", GetLangString(20714));
    copy.updateBatch();
    m_withAll.insert(table, copy);
    return copy.clone();
}

QString LookupCache::courseName(qint32 courseId)
{
    if (!m_courseNames.contains(courseId))
        fetchCourseNames({courseId});
    return m_courseNames.value(courseId);
}

void LookupCache::fetchCourseNames(const QList<qint32> &courseIds)
{
    QList<qint32> missing;
    for (qint32 id : courseIds) {
        if (!m_courseNames.contains(id) && !missing.contains(id))
            missing << id;
    }
    constexpr qsizetype perQuery = 400;
    for (qsizetype from = 0; from < missing.size(); from += perQuery) {
        QStringList ids;
        for (qint32 id : missing.mid(from, perQuery)) {
            ids << QString::number(id);
            m_courseNames.insert(id, QString());
        }
        try {
            Recordset courses = m_fetcher(QStringLiteral("QEMCourses"),
                                          QStringLiteral("courseID IN (") + ids.join(QLatin1Char(',')) + QLatin1Char(')'));
            if (courses.isNull() || !courses.hasField(u"courseID") || !courses.hasField(u"title"))
                continue;
            const bool hasCode = courses.hasField(u"coursecode");
            for (courses.moveFirst(); !courses.eof(); courses.moveNext()) {
                const QString title = NzStr(courses.value(u"title"));
                const QString code = hasCode ? NzStr(courses.value(u"coursecode")) : QString();
                m_courseNames.insert(ValLng(courses.value(u"courseID")),
                                     code.isEmpty() ? title : code + QLatin1Char(' ') + title);
            }
        } catch (const ZrError &error) {
            // Names only help the reader; the codes themselves are still shown and kept.
            RecordError(error, false);
        }
    }
}

void LookupCache::clear()
{
    m_lists.clear();
    m_courseNames.clear();
    m_filters.clear();
    m_withAll.clear();
}

LookupColumns LookupColumnsOf(const QString &table)
{
    static const QHash<QString, LookupColumns> columns = {
        {QStringLiteral("QEMDPOrientation"), {"orID", "ordescription", {}, {}}},
        {QStringLiteral("QEMDepProgramCourses"), {"courseID", "title", {}, "[%coursecode%] %title%"}},
        {QStringLiteral("QEMCourses"), {"courseID", "title", {}, "[%coursecode%] %title%"}},
        {QStringLiteral("SYS_CourseType"), {"ctypeID", "ctypedesc", "ctypeabbr", "%ctypedesc%"}},
        {QStringLiteral("SYS_semesters"), {"semID", "semshort", "semlong", "%semshort%"}},
        {QStringLiteral("SYS_Dep_CourseArea"), {"areaID", "coursearea", {}, "%coursearea%"}},
        {QStringLiteral("SYS_Dep_CourseSector"), {"sectorID", "coursesector", {}, "%coursesector%"}},
        {QStringLiteral("SYS_CourseCategory"), {"categoryID", "coursecategory", {}, "%coursecategory%"}},
        {QStringLiteral("SYS_Dep_SectionCategories"), {"sectcatID", "sectcatdescr", {}, "%sectcatdescr%"}},
        {QStringLiteral("QEMDPGroup"), {"dgID", "dgname", {}, "[%groupID%] %dgname%"}},
        {QStringLiteral("SYS_ERGASIA_TYPE"), {"ID", "descr", {}, {}}},
        {QStringLiteral("SYS_terms"), {"termID", "termDesc", {}, {}}},
    };
    return columns.value(table);
}

std::pair<int, int> IdAndTextFields(const Recordset &list, const QString &table, const QString &idField)
{
    int id = list.fieldIndex(u"ID");
    int text = list.fieldIndex(u"descr");
    if (id >= 0 && text >= 0)
        return {id, text};
    if (!table.isEmpty()) {
        const LookupColumns known = LookupColumnsOf(table);
        if (!known.idField.isEmpty()) {
            id = list.fieldIndex(known.idField);
            text = list.fieldIndex(known.textField);
            if (id >= 0 && text >= 0)
                return {id, text};
        }
    }
    id = idField.isEmpty() ? -1 : list.fieldIndex(idField);
    if (id < 0)
        id = 0;
    for (int i = 0; i < list.fieldCount(); ++i) {
        const Field &field = list.field(i);
        if (i != id && field.isText() && !field.name.endsWith(QLatin1String("ID"), Qt::CaseInsensitive))
            return {id, i};
    }
    return {id, list.fieldCount() > 1 ? (id == 0 ? 1 : 0) : id};
}

} // namespace zr
