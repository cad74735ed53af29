#pragma once

#include "reqtypes/sheetchoices.h"
#include "zrreq_export.h"

#include <QList>
#include <QString>

namespace zr {

/// What a parameter row edits and how its value moves between the row and
/// the record field.
enum class RowKind {
    Choice,          ///< a fixed or looked-up choice; stores the selected code
    Entry,           ///< typed text; stores it, empty as NULL
    Minimum,         ///< typed minimum number; empty or "0" stores the count of codes
    ValuePicker,     ///< picked course codes kept hidden behind the courses' codes and titles; empty as NULL
    CodeList,        ///< picked codes kept hidden behind their names
    Totals,          ///< course-type totals kept hidden behind their text
    Options,         ///< option string of types 30 and 100, shown with its text
    Flags,           ///< option flags of types 80 and 90, stored as a number
    ExamPeriods,     ///< years and exam periods (type 80), stored as typed
    TeachingPeriods, ///< years and teaching periods (type 80): typed with names, stored with ids
    StudentColumn,   ///< the student column of type 10
    StudentValue,    ///< a value of the student column of type 10
};

/// Where a choice row's choices come from.
enum class ChoiceSource {
    Fixed,          ///< ParameterRow::choices
    ProjectTypes,   ///< SYS_ERGASIA_TYPE with its "all" row
    Terms,          ///< SYS_terms with its "all" row
    StudentColumns, ///< the columns of the student view
};

/// Where a row's help text goes.
enum class HelpPlacement { HintAndDescription, HintOnly, DescriptionOnly };

/// The code table that names the codes of a code-list row.
struct ZRREQ_EXPORT CodeListSource
{
    QString table;
    QString keyField;
    QString text;         ///< text field, or a template with %field% names
    bool isTemplate = false;
    bool withAll = false; ///< the table gets an id -1 row meaning "all"
};

/// One parameter row of a requirement type's sheet.
struct ZRREQ_EXPORT ParameterRow
{
    QString field;         ///< record field the row edits
    qint32 labelId = 0;    ///< string id of the caption
    RowKind kind = RowKind::Entry;
    ChoiceSource source = ChoiceSource::Fixed;
    QList<FixedChoice> choices;
    /// Code selected, or value set, on a new sheet; null for none.
    QString defaultValue;
    /// Code a choice row selects when the stored value is NULL (or, when
    /// `fallbackOnEmpty`, empty); null selects the stored value as it is.
    QString loadFallback;
    bool fallbackOnEmpty = true;
    qint32 helpId = 0;       ///< 0: no help
    qint32 helpSecondId = 0; ///< joined after a blank, or put into %1 of helpId
    bool helpIsTemplate = false;
    HelpPlacement helpPlacement = HelpPlacement::HintAndDescription;
    bool visible = true;
    CodeListSource codes;  ///< CodeList rows

    bool isChoiceRow() const { return kind == RowKind::Choice || kind == RowKind::StudentColumn; }
    bool isPicker() const;
};

/// The parameter rows of requirement type `typeId` in the requirement
/// context `context`, in the order of the sheet. Empty for an unknown type.
ZRREQ_EXPORT QList<ParameterRow> SheetRows(int typeId, int context);

/// The row of `field` in the sheet of `typeId`; a row with an empty field
/// when the type has none.
ZRREQ_EXPORT ParameterRow SheetRow(int typeId, int context, const QString &field);

/// The localised help text of a row; empty for rows without help.
ZRREQ_EXPORT QString RowHelpText(const ParameterRow &row);

} // namespace zr
