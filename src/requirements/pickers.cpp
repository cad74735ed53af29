#include "pickers.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "recordset/lookupcache.h"
#include "reqtypes/typecatalog.h"

namespace zr {

namespace {
// Both course tables describe a layout of this name for choosing courses.
const QString CourseLayout = QStringLiteral("selectCourses");

bool isOneOf(int value, std::initializer_list<int> values)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

bool isProgrammeKind(int kind)
{
    return isOneOf(kind, {KindProgramme, KindProgramme3, KindProgramme4, KindStudent});
}

PickerSpec listOf(const QString &table, const QString &filter = QString())
{
    const LookupColumns columns = LookupColumnsOf(table);
    PickerSpec picker;
    picker.kind = PickerKind::List;
    picker.table = table;
    picker.filter = filter;
    picker.idField = columns.idField;
    picker.textField = columns.textField;
    picker.displayTemplate = columns.template_;
    return picker;
}

PickerSpec departmentCourses(const PickerContext &context, bool exceptionsOnly)
{
    QString filter = QStringLiteral("(depID=") + quoted(context.departmentId) + QStringLiteral(" OR cshared=-1)");
    // Course exceptions list only simple and composite courses (type bits 1 and 4).
    if (exceptionsOnly)
        filter = QStringLiteral("(") + filter + QStringLiteral(" AND ((coursetype & 5) <> 0))");
    PickerSpec picker = listOf(QStringLiteral("QEMCourses"), filter);
    picker.layoutName = CourseLayout;
    picker.titleId = 20585;
    picker.searchesServer = true;
    return picker;
}

} // namespace

PickerSpec PickerFor(int conID, const QString &field, const PickerContext &context)
{
    const bool averages = conID == 80 || conID == 90;
    if (field == QLatin1String("conoptval5")) {
        PickerSpec picker;
        picker.kind = averages ? PickerKind::CourseTypeTotals : PickerKind::Options;
        if (averages)
            picker.table = QStringLiteral("SYS_CourseType");
        return picker;
    }
    if (field == QLatin1String("conoptval4") && averages) {
        PickerSpec picker;
        picker.kind = PickerKind::Options;
        return picker;
    }
    if (field == QLatin1String("conoptval12") && averages) {
        PickerSpec picker;
        picker.kind = PickerKind::MaxGradeTotals;
        picker.table = QStringLiteral("SYS_CourseType");
        return picker;
    }
    if (field == QLatin1String("conselobjIDs")) {
        if (isOneOf(conID, {30, 100, 130})) {
            if (isProgrammeKind(context.objectKind)) {
                PickerSpec picker = listOf(QStringLiteral("QEMDepProgramCourses"),
                                         QStringLiteral("prID=") + context.programmeId.toString());
                picker.layoutName = CourseLayout;
                picker.titleId = 50002;
                picker.searchesServer = true;
                return picker;
            }
            return departmentCourses(context, false);
        }
        switch (conID) {
        case 20:
            return listOf(QStringLiteral("SYS_Dep_CourseArea"));
        case 80:
            return listOf(QStringLiteral("SYS_semesters"));
        case 40:
            return listOf(QStringLiteral("SYS_CourseType"));
        case 50:
            return listOf(QStringLiteral("QEMDPGroup"), QStringLiteral("prID = ") + context.programmeId.toString()
                                                            + QStringLiteral(" AND dgtypeID <> 1"));
        case 120:
            return listOf(QStringLiteral("SYS_Dep_CourseSector"));
        case 110:
            return listOf(QStringLiteral("SYS_CourseCategory"));
        }
        return {};
    }
    if (field == QLatin1String("conoptval7") && isOneOf(conID, {20, 40, 50, 80, 90, 110, 120}))
        return departmentCourses(context, true);
    if (field == QLatin1String("conoptval8") && isOneOf(conID, {20, 80, 90, 110, 120}))
        return listOf(QStringLiteral("SYS_CourseType"));
    if (field == QLatin1String("conoptval9") && isOneOf(conID, {20, 40, 80, 90, 120}))
        return listOf(QStringLiteral("SYS_CourseCategory"));
    if (field == QLatin1String("conoptval10")) {
        if (isOneOf(conID, {20, 40, 80, 90, 110}))
            return listOf(QStringLiteral("SYS_Dep_CourseSector"));
        if (isOneOf(conID, {100, 130}))
            return listOf(QStringLiteral("SYS_Dep_SectionCategories"));
    }
    if (field == QLatin1String("conoptval11") && isOneOf(conID, {40, 80, 90, 110, 120}))
        return listOf(QStringLiteral("SYS_Dep_CourseArea"));
    return {};
}

Recordset AnswerPickerSearch(const QString &table, int conID, const PickerContext &context, const QString &filter,
                             const QString &serverName, LookupCache &lookups)
{
    QString where = filter;
    const bool programmeCourses = isOneOf(conID, {30, 100, 130});
    if (table == QLatin1String("QEMCourses") || (programmeCourses && !isProgrammeKind(context.objectKind))) {
        return ServerObjectOf<cCourses>(serverName)->LoadCourses(where, QStringLiteral("title"), 1);
    }
    if (programmeCourses) {
        return ServerObjectOf<cDepPrograms>(serverName)
            ->GetRSProgramCourses(context.programmeId.toInt(), 1, QStringLiteral("title"), where);
    }
    if (conID == 80)
        return lookups.listWithAll(QStringLiteral("SYS_semesters"));
    return {};
}

} // namespace zr
