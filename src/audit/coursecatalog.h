#pragma once

#include "audit/auditcodes.h"
#include "audit/studentrecord.h"
#include "zrreq_export.h"

#include <QList>
#include <QString>

namespace zr {

class cCourses;
class cDepPrograms;

/// A course of a student's programme, as a report names it and a plan would
/// add it: its code and title, and its attributes as the programme gives them.
struct ZRREQ_EXPORT CatalogCourse
{
    qint32 courseId = 0;
    QString code; ///< coursecode ("ΜΗΥ106")
    QString title;
    CourseAttributes attributes;
};

/// The courses of programme `programmeId` (its course list over each course's
/// own row), in semester then code order; titles in English where the
/// language is and the course has one.
ZRREQ_EXPORT QList<CatalogCourse> LoadProgrammeCourses(cDepPrograms &programmes, cCourses &courses,
                                                       qint32 programmeId);

/// "ΜΗΥ106 Προγραμματισμός": a course by code and title as `codes` know it;
/// the title alone without a code, the number alone when neither is known.
ZRREQ_EXPORT QString CourseLabel(const AuditCodes &codes, qint32 courseId);

} // namespace zr
