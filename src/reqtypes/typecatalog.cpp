#include "typecatalog.h"

#include "common/langstrings.h"

#include <QHash>

#include <algorithm>

namespace zr {

namespace {
struct TypeNames
{
    int typeId;
    qint32 shortId;
    qint32 longId;
};

// Type 40 shares its long name with the course-type column of the totals dialogs.
constexpr TypeNames Names[] = {
    {10, 20727, 20728},  {20, 20729, 20730},  {30, 20731, 20732},  {40, 20733, 20543},
    {50, 20734, 20735},  {60, 20736, 20737},  {70, 20738, 20739},  {80, 20740, 20741},
    {90, 20742, 20743},  {100, 20744, 20745}, {110, 20746, 20747}, {120, 20748, 20749},
    {130, 20750, 20751},
};

int typeNumber(const QVariant &typeId)
{
    bool ok = false;
    const bool text = typeId.typeId() == QMetaType::QString;
    // Whole numbers first: a load names thousands of requirements, and reading a double is slow.
    const int whole = text ? typeId.toString().toInt(&ok) : typeId.toInt(&ok);
    if (ok && (text || typeId.toDouble() == whole))
        return whole;
    const double number = text ? typeId.toString().trimmed().toDouble(&ok) : typeId.toDouble(&ok);
    if (!ok || number != double(int(number)))
        return 0;
    return int(number);
}
} // namespace

bool IsRequirementType(const QVariant &typeId)
{
    const int id = typeNumber(typeId);
    return std::any_of(std::begin(Names), std::end(Names), [id](const TypeNames &names) { return names.typeId == id; });
}

QString GetTypeName(const QVariant &typeId, bool shortName)
{
    const int id = typeNumber(typeId);
    for (const TypeNames &names : Names) {
        if (names.typeId == id)
            return GetLangString(shortName ? names.shortId : names.longId);
    }
    return {};
}

qint32 TypeNameStringId(int typeId)
{
    for (const TypeNames &names : Names) {
        if (names.typeId == typeId)
            return names.longId;
    }
    return 0;
}

QString ContextTitle(int context)
{
    static const QHash<int, qint32> titles = {
        {CtxProgrammeEntry, 20717},  {CtxCurriculumChoice, 20718},    {CtxDegree, 20719},
        {CtxProject, 20720},         {CtxPracticum, 20721},           {CtxCourseEnrolment, 20722},
        {CtxGroupRegistration, 20723}, {CtxSemesterRegistration, 20724}, {CtxScholarship, 20725},
        {CtxAward, 20726},           {CtxClassGroup, 20777},          {CtxTextbooks, 20778},
    };
    const qint32 id = titles.value(context);
    return id ? GetLangString(id) : QString();
}

QList<PaletteEntry> RequirementPalette(int context, int objectKind)
{
    QList<PaletteEntry> palette;
    for (int typeId : RequirementTypes) {
        PaletteEntry entry;
        entry.typeId = typeId;
        entry.key = QString::number(typeId);
        entry.caption = GetTypeName(typeId);
        if (typeId == 50)
            entry.visible = objectKind != KindDepartment && objectKind != KindDepartmentById;
        if (typeId == 130)
            entry.visible = context == CtxClassGroup;
        // The textbook context offers only student data and course types.
        if (context == CtxTextbooks)
            entry.visible = typeId == 10 || typeId == 40;
        palette << entry;
    }
    return palette;
}

} // namespace zr
