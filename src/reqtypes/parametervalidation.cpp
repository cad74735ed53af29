#include "parametervalidation.h"

#include "common/langstrings.h"
#include "reqtypes/coursetypetotals.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/descriptions.h"
#include "reqtypes/sheetrules.h"
#include "common/systemnumber.h"
#include "parametersheet.h"
#include "parametervalues.h"
#include "periodlists.h"
#include "reqtypes/requirementvalue.h"
#include "reqtypes/studentcolumns.h"
#include "sheetrows.h"
#include "validationmessage.h"

#include <QDate>
#include <QLocale>

namespace zr {

namespace {

const QString InputSource = QStringLiteral("ValidateInput");
const QString StudentSource = QStringLiteral("ValidateStudent");
const QString Codes = QStringLiteral("conselobjIDs");
const QString Operator = QStringLiteral("conoperator");
const QString Value1 = QStringLiteral("conoptval1");
const QString Value2 = QStringLiteral("conoptval2");
const QString Grade = QStringLiteral("conoptval3");
const QString Minimum = QStringLiteral("conoptval4");
const QString CourseExceptions = QStringLiteral("conoptval7");
const QString Categories = QStringLiteral("conoptval10");
const QString YearRule = QStringLiteral("=4");
constexpr qint32 StrNotCodes = 20029;
constexpr qint32 StrNotOfProgramme = 20030;
constexpr qint32 StrNoSuchCode = 20031;
constexpr qint32 StrNotTaught = 20032;

bool isNumeric(const QString &text)
{
    double ignored = 0;
    return ReadSystemNumber(text, &ignored);
}

// The numeric reading of a value, 0 for one that is not a number.
double numberOf(const QString &text)
{
    double number = 0;
    ReadSystemNumber(text, &number);
    return number;
}

bool isDate(const QString &text)
{
    const QString t = text.trimmed();
    if (QDate::fromString(t, Qt::ISODate).isValid())
        return true;
    static const QStringList formats = {QStringLiteral("d/M/yyyy"), QStringLiteral("d-M-yyyy"),
                                        QStringLiteral("d.M.yyyy")};
    for (const QString &format : formats) {
        if (QDate::fromString(t, format).isValid())
            return true;
    }
    const QLocale greek(QLocale::Greek, QLocale::Greece);
    return greek.toDate(t, QLocale::ShortFormat).isValid();
}

// The rules of one student column for one value; throws without recording.
void checkStudentValue(const QString &column, const QString &value, const QString &label, const QString &requirement)
{
    if (value.isEmpty())
        return;
    auto is = [&column](const char *name) { return column.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("exam_ID") || is("sc_arseiras")) {
        if (!IsPositiveNumber(value))
            raiseMessage(20008, StudentSource,
                         {FixedText(GetLangString(20704)), Caption(label), Caption(requirement)});
    } else if (is("in_modeID") || is("in_year") || is("in_exam_ID") || is("in_period_ID") || is("sc_apofYear")) {
        if (!IsPositiveNumber(value, YearRule))
            raiseMessage(20009, StudentSource, {Caption(label), Caption(requirement)});
    } else if (is("or_ptyhgrade") || is("studrate")) {
        if (!isNumeric(value))
            raiseMessage(20001, StudentSource, {Caption(label), Caption(requirement)});
    } else if (is("or_date")) {
        if (!isDate(value))
            raiseMessage(20008, StudentSource,
                         {FixedText(GetLangString(20705)), Caption(label), Caption(requirement)});
    }
}

/// What the rules of one requirement read: its parameters as the sheet
/// shows them, the captions of its rows, and the sizes of its record's fields.
class RequirementValues
{
public:
    RequirementValues(const RequirementValue &value, const RequirementNaming &naming, const Recordset &row,
                      const SheetContext &sheet)
        : m_value(value), m_naming(naming), m_row(row), m_sheet(sheet)
    {
    }

    bool has(const QString &field) const { return m_value.parameter(field) != nullptr; }
    // Type 10's value rows offer the column's list when it has one.
    bool isListed(const QString &field) const
    {
        return has(field) && StudentColumnValues(text(Codes), m_sheet).hasList;
    }

    // A row the sheet lacks reads as empty, so that its rule reports it.
    QString text(const QString &field) const
    {
        const ParameterValue *parameter = m_value.parameter(field);
        if (!parameter || field.isEmpty())
            return QString();
        // The sheet shows teaching periods by name, and the user typed those.
        if (parameter->kind == RowKind::TeachingPeriods)
            return TeachingPeriodsToNames(SheetLookupList(m_sheet, QStringLiteral("SYS_terms")), parameter->text());
        return parameter->text();
    }
    QString text(const ParameterRow &row) const { return text(row.field); }

    QString label(const QString &field) const
    {
        return GetLangString(SheetRow(m_value.typeId, m_value.context, field).labelId);
    }
    QString requirement() const { return m_naming.caption; }
    // The requirement as a message names it: with its place in the list when
    // another one reads the same.
    QString requirementNamed() const { return m_naming.distinct ? m_naming.distinct() : m_naming.caption; }
    int typeId() const { return m_value.typeId; }
    const SheetContext &sheet() const { return m_sheet; }

    // 0 (no bound) for a field the record does not have.
    int definedSize(const QString &field) const
    {
        const int index = m_row.isNull() ? -1 : m_row.fieldIndex(field);
        return index < 0 ? 0 : m_row.field(index).definedSize;
    }

    // `field` is the row the failed rule is about, where the editor takes the user.
    [[noreturn]] void fail(const QString &field, qint32 messageId, QList<MessageArg> args) const
    {
        SetFailedField(field);
        const QString caption = requirement();
        for (MessageArg &arg : args) {
            if (arg.isCaption && arg.text == caption)
                arg.text = requirementNamed();
        }
        raiseMessage(messageId, InputSource, args);
    }

    void checkSize(const QString &field, const QString &value) const
    {
        const int size = definedSize(field);
        if (size > 0 && value.size() > size)
            fail(field, 20021, {Caption(label(field)), Caption(requirement()), FixedText(QString::number(size))});
    }

    void checkSizeOfRow(const QString &field) const
    {
        if (has(field))
            checkSize(field, text(field));
    }

private:
    const RequirementValue &m_value;
    const RequirementNaming &m_naming;
    const Recordset &m_row;
    const SheetContext &m_sheet;
};

void checkStudentData(const RequirementValues &r)
{
    const QString column = r.text(Codes);
    if (column.isEmpty())
        r.fail(Codes, 20005, {Caption(r.requirement())});
    for (const QString &field : {Value1, Value2}) {
        // A value picked from the column's list is one of its codes; the rules are for typed values.
        if (!r.isListed(field)) {
            SetFailedField(field);
            checkStudentValue(column, r.text(field), r.label(field), r.requirement());
        }
    }
}

void checkTotals(const RequirementValues &r)
{
    const QString codes = r.text(Codes);
    const QString req = r.requirement();
    if (codes.isEmpty()) {
        switch (r.typeId()) {
        case 20: r.fail(Codes, 20682, {Caption(req)});
        case 40: r.fail(Codes, 20683, {Caption(req)});
        case 50: r.fail(Codes, 20684, {Caption(req)});
        case 110: r.fail(Codes, 20685, {Caption(req)});
        default: r.fail(Codes, 20686, {Caption(req)});
        }
    }
    if (r.typeId() == 40 && codes != QLatin1String("-1") && codes.split(QLatin1Char(',')).contains(QLatin1String("-1")))
        r.fail(Codes, 20687, {Caption(req)});

    const QString value1 = r.text(Value1);
    const QString value2 = r.text(Value2);
    const QString value1Name = GetLangString(20688);
    auto negativeOrText = [](const QString &value) { return !isNumeric(value) || numberOf(value) < 0; };
    if (!value1.isEmpty() && negativeOrText(value1))
        r.fail(Value1, 20001, {FixedText(value1Name), Caption(req)});
    if (!value2.isEmpty() && negativeOrText(value2))
        r.fail(Value2, 20001, {FixedText(GetLangString(20689)), Caption(req)});
    if (r.text(Operator) == QLatin1String("5")) {
        if (value1.isEmpty() || value2.isEmpty())
            r.fail(value1.isEmpty() ? Value1 : Value2, 20690, {Caption(req)});
    } else if (value1.isEmpty()) {
        r.fail(Value1, 20001, {FixedText(value1Name), Caption(req)});
    }

    if (r.typeId() == 20) {
        const QString minimum = r.text(Minimum);
        const QString minimumName = GetLangString(20691);
        if (!minimum.isEmpty() && !IsPositiveNumber(minimum))
            r.fail(Minimum, 20001, {FixedText(minimumName), Caption(req)});
        if (!minimum.isEmpty() && numberOf(minimum) > CodeCount(codes))
            r.fail(Minimum, 20004, {FixedText(minimumName), FixedText(GetLangString(20692)), Caption(req)});
    }
    r.checkSize(Codes, codes);
    r.checkSizeOfRow(CourseExceptions);
}

void checkGrade(const RequirementValues &r)
{
    const QString grade = r.text(Grade);
    if (grade.isEmpty() || !isNumeric(grade) || numberOf(grade) > 1)
        r.fail(Grade, 20002, {FixedText(GetLangString(20696)), Caption(r.requirement())});
}

void checkCourseLists(const RequirementValues &r)
{
    const QString codes = r.text(Codes);
    const QString req = r.requirement();
    const bool semesters = r.typeId() == 80;
    if (codes.isEmpty())
        r.fail(Codes, 20006, {FixedText(semesters ? GetLangString(20694) : GetLangString(20693)), Caption(req)});
    r.checkSize(Codes, codes);

    const QString minimum = r.text(Minimum);
    if (!semesters && !minimum.isEmpty()) {
        // Type 30 keeps -1 for "none of the courses passed".
        const bool none = r.typeId() == 30 && minimum.trimmed() == QLatin1String("-1");
        const QString minimumName = GetLangString(20691);
        if (!none && !IsPositiveNumber(minimum))
            r.fail(Minimum, 20003, {FixedText(minimumName), Caption(req)});
        if (numberOf(minimum) > CodeCount(codes))
            r.fail(Minimum, 20004, {FixedText(minimumName), FixedText(GetLangString(20695)), Caption(req)});
    }
    if (r.typeId() == 30 || semesters)
        checkGrade(r);

    if (semesters) {
        const QString examPeriods = r.text(Value1);
        r.checkSize(Value1, examPeriods);
        SetFailedField(Value1);
        if (!examPeriods.isEmpty())
            checkExamPeriodList(examPeriods, r.label(Value1), req,
                                SheetLookupList(r.sheet(), QStringLiteral("SYS_ExamPeriod")));
        const QString teachingPeriods = r.text(Value2);
        if (!teachingPeriods.isEmpty()) {
            const Recordset terms = SheetLookupList(r.sheet(), QStringLiteral("SYS_terms"));
            // The row shows period names; the field keeps their ids.
            r.checkSize(Value2, TeachingPeriodsToIds(terms, teachingPeriods));
            SetFailedField(Value2);
            checkTeachingPeriodList(teachingPeriods, r.label(Value2), req, terms);
        }
    }
    r.checkSizeOfRow(CourseExceptions);
}

void checkCount(const RequirementValues &r)
{
    const QString value = r.text(Value1);
    if (value.isEmpty() || !isNumeric(value) || numberOf(value) < 1)
        r.fail(Value1, 20007, {FixedText(GetLangString(20697)), Caption(r.requirement())});
}

void checkAcademicYears(const RequirementValues &r)
{
    const QString req = r.requirement();
    const QString year1 = r.text(Value1);
    const QString year2 = r.text(Value2);
    for (const QString &field : {Value1, Value2}) {
        const QString year = field == Value1 ? year1 : year2;
        if (!year.isEmpty() && !IsPositiveNumber(year, YearRule))
            r.fail(field, 20009, {Caption(r.label(field)), Caption(req)});
    }
    const QString year1Name = GetLangString(20698);
    const QString year2Name = GetLangString(20699);
    const QString op = r.text(Operator);
    if (op == QLatin1String("0")) {
        if (numberOf(year1) == 0)
            r.fail(Value1, 20010, {FixedText(year1Name), Caption(req)});
        if (numberOf(year2) != 0)
            r.fail(Value2, 20012, {FixedText(year2Name), Caption(req)});
    } else if (op == QLatin1String("5")) {
        if (numberOf(year1) == 0 || numberOf(year2) == 0)
            r.fail(numberOf(year1) == 0 ? Value1 : Value2, 20013, {Caption(req)});
        if (numberOf(year1) > numberOf(year2))
            r.fail(Value1, 20011, {FixedText(year1Name), FixedText(year2Name), Caption(req)});
    }
    checkGrade(r);
    r.checkSizeOfRow(CourseExceptions);
}

void checkClassCategory(const RequirementValues &r)
{
    const QString req = r.requirement();
    if (r.text(Codes).isEmpty())
        r.fail(Codes, 20700, {Caption(req)});
    const QString respective = r.text(Value1);
    const QString op = r.text(Operator);
    const bool noCategories = r.text(Categories).isEmpty();
    const bool differentFromRespective = op == QLatin1String("100");
    if (respective == QLatin1String("0") && !differentFromRespective) {
        // "-1" is the operator's empty choice.
        if (noCategories || op.isEmpty() || op == QLatin1String("-1"))
            r.fail(noCategories ? Categories : Operator, 20701, {Caption(req)});
    } else if (respective == QLatin1String("-1") && !noCategories) {
        r.fail(Categories, 20702, {Caption(req)});
    }
    if (differentFromRespective && (respective != QLatin1String("0") || !noCategories))
        r.fail(Categories, 20703, {Caption(req)});
}

void checkRequirement(const RequirementValues &r)
{
    switch (r.typeId()) {
    case 10:
        checkStudentData(r);
        break;
    case 20:
    case 40:
    case 50:
    case 110:
    case 120:
        checkTotals(r);
        break;
    case 30:
    case 80:
    case 100:
        checkCourseLists(r);
        break;
    case 60:
    case 70:
        checkCount(r);
        break;
    case 90:
        checkAcademicYears(r);
        break;
    case 130:
        checkClassCategory(r);
        break;
    default:
        break;
    }
    // What a type's rules let through must still fit its field. Flags are
    // stored as a short number, teaching periods by id (checked by type 80).
    for (const ParameterRow &row : SheetRows(r.typeId(), r.sheet().context)) {
        if (row.kind != RowKind::Flags && row.kind != RowKind::TeachingPeriods)
            r.checkSize(row.field, r.text(row));
        // Options and totals that cannot be read would be stored, and read back, as something else.
        QString unreadable;
        if (row.kind == RowKind::Options || row.kind == RowKind::Flags)
            unreadable = UnreadableOptions(r.typeId(), r.text(row));
        else if (row.kind == RowKind::Totals)
            unreadable = UnreadableTotals(r.text(row));
        if (!unreadable.isEmpty())
            r.fail(row.field, 10107, {FixedText(unreadable), Caption(r.label(row.field)), Caption(r.requirement())});
    }
}

} // namespace

bool IsPositiveNumber(const QString &text, const QString &lengthRule)
{
    if (lengthRule == YearRule && text.size() != 4)
        return false;
    int digits = 0;
    int separators = 0;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char(',') || c == QLatin1Char('.'))
            ++separators;
        else
            return false;
    }
    return digits > 0 && separators <= 1;
}

void ValidateStudent(const QString &column, const QString &value, const QString &label, const QString &requirement)
{
    RecordedCheck([&] { checkStudentValue(column, value, label, requirement); });
}

void CheckStoredCodes(const RequirementValue &read, const RequirementNaming &naming)
{
    const ParameterValue *unreadable = read.unreadableCodes();
    if (!unreadable)
        return;
    SetFailedField(unreadable->field);
    const ParameterRow row = SheetRow(read.typeId, read.context, unreadable->field);
    const QString label = row.labelId != 0 ? GetLangString(row.labelId) : unreadable->field;
    RecordedCheck([&] {
        raiseMessage(StrNotCodes, InputSource,
                     {FixedText(unreadable->text()), FixedText(label),
                      Caption(naming.distinct ? naming.distinct() : naming.caption)});
    });
}

QList<ValidationWarning> CheckCodesKnown(const RequirementValue &shown, const RequirementValue &read,
                                         const RequirementNaming &naming, const SheetContext &sheet)
{
    QList<ValidationWarning> warnings;
    for (const UnknownCode &unknown : UnknownCodes(shown, read, sheet)) {
        const qint32 id = unknown.kind == UnknownCode::Kind::Group    ? StrNotOfProgramme
                          : unknown.kind == UnknownCode::Kind::Course ? StrNotTaught
                                                                      : StrNoSuchCode;
        const QString code = unknown.kind == UnknownCode::Kind::Course ? CourseCodeNames(unknown.code, sheet)
                                                                       : unknown.code;
        const QString label = GetLangString(SheetRow(shown.typeId, sheet.context, unknown.field).labelId);
        const QList<MessageArg> args{FixedText(code), Caption(label),
                                     Caption(naming.distinct ? naming.distinct() : naming.caption)};
        // Shown empty, the list would meet the rule that asks for a code, which would not say why.
        if (unknown.dropped && unknown.field == Codes) {
            SetFailedField(unknown.field);
            RecordedCheck([&] { raiseMessage(id, InputSource, args); });
        }
        warnings.append({id, unknown.field, FormatMessage(id, args)});
    }
    return warnings;
}

void ValidateInput(const RequirementValue &value, const RequirementNaming &naming, const Recordset &rows,
                   const SheetContext &sheet)
{
    SetFailedField(QString());
    RecordedCheck([&] { checkRequirement(RequirementValues(value, naming, rows, sheet)); });
}

void CheckInput(const RequirementValue &value, const RequirementNaming &naming, const Recordset &rows,
                const SheetContext &sheet)
{
    SetFailedField(QString());
    checkRequirement(RequirementValues(value, naming, rows, sheet));
}

} // namespace zr
