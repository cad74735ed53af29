#pragma once

// The what-ifs of one student's audit: courses counted as passed (--plan) and another
// curriculum or programme (--what-if-curriculum, --what-if-programme).

#include "clicommon.h"

#include "audit/completionplan.h"
#include "audit/studentrecord.h"

#include <QJsonArray>
#include <QList>
#include <QString>

namespace zr::app::cli {

// A what-if audits a student against a programme's set as if he were of it: another
// programme's (--what-if-programme) or his own's in another curriculum (--what-if-curriculum).
struct WhatIf
{
    bool asked = false;
    qint32 programme = 0; ///< 0: his own
    qint32 curriculum = 0;
    QList<qint32> outside; ///< his courses the programme's list does not hold
    QList<CatalogCourse> catalog; ///< the programme's course list, when it is not his own
    QString caption;       ///< "programme, curriculum" as the report names them
};

/// The what-if the command line asks for; nothing asked when neither option is given. Throws
/// UsageError for a what-if with --kind or --object.
WhatIf ReadWhatIf(CommandLine &command);
/// The record as the what-if's programme (`target`'s object) would count it, named as of it:
/// its programme and curriculum, and its course list's types, semesters and groups. Fills in
/// `whatIf`'s outside courses and caption.
StudentRecord RecordInWhatIf(const QString &server, StudentRecord record, const SetTarget &target,
                             WhatIf &whatIf);

/// Refuses (62201) a student of another programme than a programme's set `kind`/`programme`:
/// he would be checked with his courses' types, semesters and groups of his own.
void CheckSameProgramme(const StudentRecord &record, qint32 kind, const QVariant &programme);

/// The courses `--plan` names ("ΜΗΥ101:8,ΜΗΥ205"), each from the programme's list `catalog` and
/// not passed yet, with its grade (5 when none is given). Throws UsageError naming the fault.
QList<PlannedCourse> PlannedCoursesOf(const QString &list, const QList<CatalogCourse> &catalog,
                                      const StudentRecord &record);
/// The planned courses as JSON: id, code, title and grade each.
QJsonArray PlannedJson(const QList<PlannedCourse> &planned);

} // namespace zr::app::cli
