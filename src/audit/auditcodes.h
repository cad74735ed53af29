#pragma once

#include "zrreq_export.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

namespace zr {

/// The code tables an audit reads, handed over as plain data: the audit
/// fetches nothing itself. Names only label the trace; a code without a name
/// is shown as its number.
struct ZRREQ_EXPORT AuditCodes
{
    /// Teaching periods (SYS_terms) in their order within an academic year:
    /// the period before the first is the previous year's last.
    QList<qint32> termOrder;
    QHash<qint32, QString> termNames;        ///< termDesc ("ΧΕΙΜ")
    /// The department's current academic year and teaching period (course enrolment, type 100).
    qint32 currentYear = 0;
    qint32 currentTerm = 0;
    QHash<qint32, QString> courseNames;      ///< courseID -> title, in English when the language is and it has one
    QHash<qint32, QString> courseCodes;      ///< courseID -> coursecode
    QHash<qint32, QString> courseTypeNames;  ///< ctypeID -> name
    QHash<qint32, QString> subjectNames;     ///< areaID -> name
    QHash<qint32, QString> categoryNames;    ///< sectcatID -> class group category
    /// Text as student data is compared (case, accents); plain case folding when not set.
    std::function<QString(const QString &)> fold;
};

} // namespace zr
