#pragma once

#include "recordset/recordset.h"
#include "reqtypes/coursetypetotals.h"
#include "reqtypes/sheetrows.h"
#include "zrreq_export.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace zr {


/// The value of `field` in the visible row `row` (0-based) of a requirement
/// recordset, without its cursor. Throws ZrError for a missing field.
ZRREQ_EXPORT QVariant RequirementFieldAt(const Recordset &rows, int row, const QString &field);

/// Option flags as a whole number; 0 when they do not read as one.
ZRREQ_EXPORT qint32 FlagsOf(const QVariant &value);

/// One element of a period list ("2000-1,2001"): the year and, when given, the period.
struct ZRREQ_EXPORT YearPeriod
{
    QString year;
    QString period; ///< exam period, or teaching period id as stored; empty for the whole year

    bool operator==(const YearPeriod &other) const { return year == other.year && period == other.period; }
};

/// The elements of a stored period list in order; blank elements are passed over.
ZRREQ_EXPORT QList<YearPeriod> ParsePeriodList(const QString &list);

/// One parameter of a requirement, read in its own type. Which reading holds
/// the value follows the kind of the sheet row that edits it:
///   Choice, StudentColumn       code()
///   Entry, StudentValue         text(), and number() when the text is one
///   Minimum                     number()
///   ValuePicker, CodeList       codes()
///   Totals                      totals()
///   Options                     text() (the option string of types 30 and 100)
///   Flags                       flags() (types 80 and 90)
///   ExamPeriods, TeachingPeriods periods()
/// `stored` is the field's value in the row's own form; the readings are
/// made from it when asked (loading and writing back need none of them), so
/// writing a value back changes nothing that a reading cannot tell.
struct ZRREQ_EXPORT ParameterValue
{
    QString field;
    RowKind kind = RowKind::Entry;
    int typeId = 0;
    QVariant stored;

    static ParameterValue fromStored(const QString &field, RowKind kind, int typeId, const QVariant &stored);
    bool isNull() const { return stored.isNull(); }

    QString code() const;
    QString text() const;
    /// In the system's number format: "0,5" is 0.5; nothing for a text that is no number.
    std::optional<double> number() const;
    /// The codes of a list, blanks passed over.
    QStringList codes() const;
    QList<CourseTypeTotal> totals() const;
    /// The option flags; 0 when they do not read as a whole number.
    qint32 flags() const;
    QList<YearPeriod> periods() const;
};

/// The values of one requirement: its id, type, context, operator, each
/// parameter of its type's sheet in its own type, and the expression its row
/// carries: the one place an editor holds a requirement's values. Read from
/// and written to a requirement row; a sheet only shows it (sheetbinding.h). The audit reads requirements as these
/// values; a change of one is a pair of these values for one id.
class ZRREQ_EXPORT RequirementValue
{
public:
    qint32 ocID = 0;
    int typeId = 0;
    int context = 0;
    /// The parameters in the order of the type's sheet.
    QList<ParameterValue> parameters;
    /// `coneval` as stored (NULL when empty).
    QVariant expression;

    /// The value of the visible row `row` of a requirement recordset (0-based;
    /// the recordset's cursor is neither read nor moved): every parameter of
    /// the sheet of its type in `context`. Throws ZrError for a missing field.
    static RequirementValue fromRow(const Recordset &rows, int row, int context);
    /// Writes the parameters and the expression into the visible row `row`
    /// (0-based), type 130's categories as NULL under operator 100 (the value
    /// keeps them for the rules); a field whose value does not change is not written, so an
    /// unchanged value leaves the row unmodified. Does not accept the changes.
    void writeTo(Recordset &rows, int row) const;
    /// The value as it is stored: an empty or "0" minimum is the number of
    /// the chosen codes (`conselobjIDs`), counted when it is read.
    RequirementValue counted() const;
    /// Sets parameter `field` to `stored`; a field the value lacks is added
    /// with its row's kind in the value's type.
    void setParameter(const QString &field, const QVariant &stored);

    /// `coneval` as stored for `expression`: "" and nothing as NULL.
    static QVariant storedExpression(const std::optional<QString> &expression);

    /// The parameter stored in `field`; nullptr when the type has none.
    const ParameterValue *parameter(const QString &field) const;
    /// The first parameter that holds codes (a choice, a code list, a list of
    /// courses) whose text does not read as codes: whole numbers, separated by
    /// "," in a list. Nullptr when every one reads (an empty one does).
    const ParameterValue *unreadableCodes() const;
    /// The operator code (`conoperator`); empty when the type has none.
    QString operatorCode() const;
};

/// Reads the requirement values of the rows of one recordset as
/// RequirementValue::fromRow does, with the field indexes resolved once per
/// requirement type rather than by name for every row.
class ZRREQ_EXPORT RequirementReader
{
public:
    RequirementReader(const Recordset &rows, int context);
    /// The value of the visible row `row` (0-based). Throws ZrError for a missing field.
    RequirementValue read(int row);

private:
    struct TypeFields
    {
        QList<ParameterRow> rows;
        QList<int> indexes;
    };
    int indexOf(const QString &field) const;
    QVariant at(int row, int index, const QString &field) const;

    Recordset m_rows;
    int m_context = 0;
    int m_idField = -1;
    int m_typeField = -1;
    int m_expressionField = -1;
    QHash<int, TypeFields> m_types;
};

} // namespace zr
