#pragma once

#include "zrreq_export.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace zr {

/// Requirement contexts (field contypeID).
enum RequirementContext : int {
    CtxProgrammeEntry = 101,
    CtxCurriculumChoice = 102,
    CtxDegree = 103,
    CtxProject = 104,
    CtxPracticum = 105,
    CtxCourseEnrolment = 106,
    CtxGroupRegistration = 107,
    CtxSemesterRegistration = 108,
    CtxScholarship = 109,
    CtxAward = 110,
    CtxClassGroup = 111,
    CtxTextbooks = 112,
};

/// Kinds of object a requirement belongs to (field conobject).
enum ObjectKind : int {
    KindProgramme = 1,
    KindProgramme3 = 3,
    KindProgramme4 = 4,
    KindStudent = 8,
    KindStudentProgramme = 11,
    KindDepartment = 13,
    KindDepartmentById = 14,
};

/// The thirteen requirement types (field conID), in catalogue order.
constexpr int RequirementTypes[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130};

/// True when `typeId` (a number or its decimal text) is one of the thirteen types.
ZRREQ_EXPORT bool IsRequirementType(const QVariant &typeId);

/// The long (or short) localised name of a requirement type given as a number
/// or its decimal text; empty for anything that is not one of the thirteen.
ZRREQ_EXPORT QString GetTypeName(const QVariant &typeId, bool shortName = false);

/// The string id of a type's long name; 0 for anything that is not one of the thirteen.
ZRREQ_EXPORT qint32 TypeNameStringId(int typeId);

/// Title of a requirement context; empty for contexts without one.
ZRREQ_EXPORT QString ContextTitle(int context);

/// One entry of the palette of new requirements.
struct PaletteEntry
{
    int typeId = 0;
    QString key;     ///< decimal text of typeId
    QString caption; ///< long name
    bool visible = true;
};

/// The palette of new requirements for a context and object kind: all thirteen
/// types in catalogue order, each marked visible or hidden.
ZRREQ_EXPORT QList<PaletteEntry> RequirementPalette(int context, int objectKind);

} // namespace zr
