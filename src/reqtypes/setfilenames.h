#pragma once

#include "reqtypes/sheetrows.h"
#include "zrreq_export.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zr {

// The English names a readable set file gives requirement types, their parameters and the
// parameters' choices: one name per thing, taken from the same sheets the editor shows.

/// How a parameter's value is written in a readable set file.
enum class FileValueForm {
    Text,       ///< a text as stored
    Number,     ///< a number as written on the sheet, or a text when it is not one
    Choice,     ///< the name of one of the row's fixed choices
    CodeOrAll,  ///< a whole-number code, or "all"
    Codes,      ///< a list of whole-number codes ("all" where the table offers it)
    Semesters,  ///< a list of semesters by their short names ("Α΄"), or "all"
    Groups,     ///< a list of course groups by their codes in the programme ("Ο2")
    Courses,    ///< a list of courses by code ("ΠΛΗ101"), another department's as {"department",
                ///< "code"}
    TypeTotals, ///< a list of {"courseType", "count"}
    SemesterLimits, ///< {"excludeSemestersAbove", "excludeSemestersBelow"}
    Flags,          ///< a list of flag names
};

/// One parameter of a requirement type as a file names it.
struct ZRREQ_EXPORT FileParameter
{
    QString name; ///< "courseTypes", "total"
    ParameterRow row;
    FileValueForm form = FileValueForm::Text;
};

/// The name of requirement type `typeId` in files ("course-type"); empty for an unknown type.
ZRREQ_EXPORT QString TypeFileName(int typeId);
/// The type a file name stands for; 0 for none.
ZRREQ_EXPORT int TypeOfFileName(const QString &name);
/// Every type's file name in catalogue order.
ZRREQ_EXPORT QStringList TypeFileNames();

/// The parameters of type `typeId` in `context` as a file writes them, in the order of the sheet
/// (hidden rows included: their values are kept too).
ZRREQ_EXPORT QList<FileParameter> FileParameters(int typeId, int context);

/// The file name of a fixed choice ("ects", ">=", "yes"); its code when it has none.
ZRREQ_EXPORT QString ChoiceFileName(const FixedChoice &choice);
/// The file names of the flags of types 80 and 90, in the order of their bits.
ZRREQ_EXPORT QStringList FlagFileNames();
/// The names of the two semester limits of types 30 and 100: above, below.
ZRREQ_EXPORT QStringList SemesterLimitFileNames();

/// Every type's fields as Markdown, one table per type, in English: the reference of the
/// readable set format.
ZRREQ_EXPORT QString SetFileReference();

/// The name of an object kind in files ("programme"); empty for an unknown kind.
ZRREQ_EXPORT QString KindFileName(int kind);
/// The kind a file name stands for; 0 for none.
ZRREQ_EXPORT int KindOfFileName(const QString &name);
/// The name of a requirement context in files ("degree"); empty for an unknown context.
ZRREQ_EXPORT QString ContextFileName(int context);
/// The context a file name stands for; 0 for none.
ZRREQ_EXPORT int ContextOfFileName(const QString &name);

} // namespace zr
