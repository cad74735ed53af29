#include "datakinds.h"

namespace zr::server {

const QList<DataKind> &DataKinds()
{
    static const QList<DataKind> kinds{
        {QStringLiteral("departments"),
         QStringLiteral("τμήματα"),
         QStringLiteral("QEMDepartments"),
         QString(),
         {{QStringLiteral("code"),
           QStringLiteral("κωδικός"),
           QStringLiteral("depID"),
           true,
           true,
           {}},
          {QStringLiteral("name"),
           QStringLiteral("όνομα"),
           QStringLiteral("depname"),
           true,
           false,
           {}},
          {QStringLiteral("name_en"),
           QStringLiteral("όνομα αγγλικά"),
           QStringLiteral("depname_en"),
           false,
           false,
           {}},
          {QStringLiteral("school"),
           QStringLiteral("σχολή"),
           QStringLiteral("depschool"),
           false,
           false,
           {}}}},
        {QStringLiteral("courses"),
         QStringLiteral("μαθήματα"),
         QStringLiteral("QEMCourses"),
         QStringLiteral("courseID"),
         {{QStringLiteral("department"), QStringLiteral("τμήμα"), QStringLiteral("depID"), true,
           true, QStringLiteral("departments")},
          {QStringLiteral("code"),
           QStringLiteral("κωδικός"),
           QStringLiteral("coursecode"),
           true,
           true,
           {}},
          {QStringLiteral("title"),
           QStringLiteral("τίτλος"),
           QStringLiteral("title"),
           true,
           false,
           {}},
          {QStringLiteral("title_en"),
           QStringLiteral("τίτλος αγγλικά"),
           QStringLiteral("title_en"),
           false,
           false,
           {}},
          {QStringLiteral("ects"),
           QStringLiteral("ects"),
           QStringLiteral("ects"),
           false,
           false,
           {}},
          {QStringLiteral("credits"),
           QStringLiteral("διδακτικές μονάδες"),
           QStringLiteral("credits"),
           false,
           false,
           {}},
          {QStringLiteral("hours"),
           QStringLiteral("ώρες"),
           QStringLiteral("hours"),
           false,
           false,
           {}},
          {QStringLiteral("semester"),
           QStringLiteral("εξάμηνο"),
           QStringLiteral("semID"),
           false,
           false,
           {}}}},
    };
    return kinds;
}

const DataKind *FindDataKind(const QString &name)
{
    for (const DataKind &kind : DataKinds())
        if (name.compare(kind.name, Qt::CaseInsensitive) == 0 ||
            name.compare(kind.greek, Qt::CaseInsensitive) == 0)
            return &kind;
    return nullptr;
}

} // namespace zr::server
