#include "setfilenames.h"

#include "reqtypes/customoptions.h"
#include "reqtypes/typecatalog.h"

#include <QHash>

namespace zr {

namespace {

struct Named
{
    int id;
    const char *name;
};

constexpr Named TypeNames[] = {
    {10, "student-data"},
    {20, "subject"},
    {30, "prerequisite-course"},
    {40, "course-type"},
    {50, "course-group"},
    {60, "projects"},
    {70, "practicums"},
    {80, "semester-average"},
    {90, "year-average"},
    {100, "course-enrolment"},
    {110, "course-mode"},
    {120, "course-sector"},
    {130, "class-group-category"},
};

constexpr Named KindNames[] = {
    {KindProgramme, "programme"},
    {KindProgramme3, "programme-group"},
    {KindProgramme4, "programme-course"},
    {KindStudent, "student"},
    {KindStudentProgramme, "student-programme"},
    {KindDepartment, "department"},
    {KindDepartmentById, "department-course"},
};

constexpr Named ContextNames[] = {
    {CtxProgrammeEntry, "programme-entry"},
    {CtxCurriculumChoice, "curriculum-choice"},
    {CtxDegree, "degree"},
    {CtxProject, "project"},
    {CtxPracticum, "practicum"},
    {CtxCourseEnrolment, "course-enrolment"},
    {CtxGroupRegistration, "group-registration"},
    {CtxSemesterRegistration, "semester-registration"},
    {CtxScholarship, "scholarship"},
    {CtxAward, "award"},
    {CtxClassGroup, "class-group"},
    {CtxTextbooks, "textbooks"},
};

// Fixed choices by the string id of their caption: the caption says what the name says.
constexpr Named ChoiceNames[] = {
    {20044, "="},
    {20593, "contains"},
    {20046, "<>"},
    {20589, ">"},
    {20590, "<"},
    {20591, "between"},
    {20592, "starts-with"},
    {20594, "not-contains"},
    {20595, ">="},
    {20596, "<="},
    {20606, "credits"},
    {20607, "courses"},
    {20608, "hours"},
    {20767, "ects"},
    {20637, "projects"},
    {20639, "practicums"},
    {20632, "textbooks"},
    {20295, "yes"},
    {20297, "no"},
    {20769, "none"},
    {20770, "all"},
    {20771, "course-only"},
    {20663, "ignore"},
    {20664, "any-earlier"},
    {20665, "none-earlier"},
    {20666, "previous"},
    {20667, "not-previous"},
    {20677, "one-of"},
    {20678, "not-one-of"},
    {20679, "not-corresponding"},
    {0, "none"},
};

// A parameter's name: the field's own unless its type names it otherwise (type 0: every type).
struct FieldName
{
    int typeId;
    const char *field;
    const char *name;
};

constexpr FieldName FieldNames[] = {
    {0, "conoperator", "operator"},
    {0, "conoptval1", "value"},
    {0, "conoptval2", "value2"},
    {0, "conoptval3", "grade"},
    {0, "conoptval4", "minimum"},
    {0, "conoptval5", "options"},
    {0, "conoptval6", "total"},
    {0, "conoptval7", "exceptCourses"},
    {0, "conoptval8", "exceptCourseTypes"},
    {0, "conoptval9", "modes"},
    {0, "conoptval10", "sectors"},
    {0, "conoptval11", "subjects"},
    {0, "conoptval12", "averageCourseTypes"},
    {10, "conselobjIDs", "column"},
    {20, "conselobjIDs", "subjects"},
    {30, "conselobjIDs", "courses"},
    {40, "conselobjIDs", "courseTypes"},
    {50, "conselobjIDs", "groups"},
    {60, "conselobjIDs", "projectType"},
    {80, "conselobjIDs", "semesters"},
    {100, "conselobjIDs", "courses"},
    {110, "conselobjIDs", "modes"},
    {120, "conselobjIDs", "sectors"},
    {130, "conselobjIDs", "courses"},
    {30, "conoptval4", "minimumCourses"},
    {100, "conoptval4", "minimumCourses"},
    {30, "conoptval6", "substitutions"},
    {30, "conoptval7", "exemptionMeetsGrade"},
    {20, "conoptval12", "countsNowhereElse"},
    {30, "conoptval12", "countsNowhereElse"},
    {40, "conoptval12", "countsNowhereElse"},
    {50, "conoptval12", "countsNowhereElse"},
    {110, "conoptval12", "countsNowhereElse"},
    {120, "conoptval12", "countsNowhereElse"},
    {90, "conoptval6", "period"},
    {100, "conoptval6", "enrolment"},
    {80, "conoptval1", "examPeriods"},
    {80, "conoptval2", "teachingPeriods"},
    {90, "conoptval1", "year"},
    {90, "conoptval2", "year2"},
    {80, "conoptval3", "minimumGrade"},
    {90, "conoptval3", "minimumGrade"},
    {100, "conoptval3", "byProgrammePeriod"},
    {80, "conoptval5", "courseTypeTotals"},
    {90, "conoptval5", "courseTypeTotals"},
    {80, "conoptval4", "options"},
    {90, "conoptval4", "options"},
    {130, "conoptval1", "correspondingCategory"},
    {130, "conoptval10", "categories"},
};

// The flags of types 80 and 90 in the order of their bits.
constexpr const char *FlagNames[] = {"weighted-by-coefficient", "exemptions-not-counted",
                                     "maximum-average", "performance-by-credits",
                                     "courses-outside-degree-grade"};

template <size_t N> QString nameOf(const Named (&table)[N], int id)
{
    for (const Named &entry : table)
        if (entry.id == id)
            return QString::fromLatin1(entry.name);
    return {};
}

template <size_t N> int idOf(const Named (&table)[N], const QString &name)
{
    for (const Named &entry : table)
        if (name == QLatin1String(entry.name))
            return entry.id;
    return 0;
}

QString parameterName(int typeId, const QString &field)
{
    const char *name = nullptr;
    for (const FieldName &entry : FieldNames) {
        if (field != QLatin1String(entry.field))
            continue;
        if (entry.typeId == typeId)
            return QString::fromLatin1(entry.name);
        if (entry.typeId == 0)
            name = entry.name;
    }
    // A sheet row no name was given for is a fault of this table, found by its test.
    return name ? QString::fromLatin1(name) : field;
}

FileValueForm formOf(const ParameterRow &row)
{
    switch (row.kind) {
    case RowKind::Choice:
        return row.source == ChoiceSource::Fixed ? FileValueForm::Choice : FileValueForm::CodeOrAll;
    case RowKind::Entry:
    case RowKind::StudentValue:
    case RowKind::Minimum:
        return FileValueForm::Number;
    case RowKind::ValuePicker:
        return FileValueForm::Courses;
    case RowKind::CodeList:
        if (row.codes.table == QLatin1String("SYS_semesters"))
            return FileValueForm::Semesters;
        if (row.codes.table == QLatin1String("QEMDPGroup"))
            return FileValueForm::Groups;
        return FileValueForm::Codes;
    case RowKind::Totals:
        return FileValueForm::TypeTotals;
    case RowKind::Options:
        return FileValueForm::SemesterLimits;
    case RowKind::Flags:
        return FileValueForm::Flags;
    case RowKind::StudentColumn:
    case RowKind::ExamPeriods:
    case RowKind::TeachingPeriods:
        return FileValueForm::Text;
    }
    return FileValueForm::Text;
}

} // namespace

QString TypeFileName(int typeId)
{
    return nameOf(TypeNames, typeId);
}

int TypeOfFileName(const QString &name)
{
    return idOf(TypeNames, name);
}

QStringList TypeFileNames()
{
    QStringList names;
    for (const Named &entry : TypeNames)
        names << QString::fromLatin1(entry.name);
    return names;
}

QList<FileParameter> FileParameters(int typeId, int context)
{
    QList<FileParameter> parameters;
    for (const ParameterRow &row : SheetRows(typeId, context))
        parameters.append({parameterName(typeId, row.field), row, formOf(row)});
    return parameters;
}

QString ChoiceFileName(const FixedChoice &choice)
{
    // Type 130's empty operator choice is "none"; any other choice without a caption is its code.
    if (choice.textId == 0 && choice.code != QLatin1String("-1"))
        return choice.code;
    const QString name = nameOf(ChoiceNames, choice.textId);
    return name.isEmpty() ? choice.code : name;
}

QStringList FlagFileNames()
{
    QStringList names;
    for (const char *name : FlagNames)
        names << QString::fromLatin1(name);
    return names;
}

QStringList SemesterLimitFileNames()
{
    return {QStringLiteral("excludeSemestersAbove"), QStringLiteral("excludeSemestersBelow")};
}

QString KindFileName(int kind)
{
    return nameOf(KindNames, kind);
}

int KindOfFileName(const QString &name)
{
    return idOf(KindNames, name);
}

QString ContextFileName(int context)
{
    return nameOf(ContextNames, context);
}

int ContextOfFileName(const QString &name)
{
    return idOf(ContextNames, name);
}

} // namespace zr
