#include "sheetrules.h"

#include "common/systemnumber.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/descriptions.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/parametervalues.h"
#include "reqtypes/sheetchoices.h"
#include "reqtypes/studentcolumns.h"

#include <QRegularExpression>

#include <algorithm>

namespace zr {

namespace {

const QString ColumnField = QStringLiteral("conselobjIDs");
const QString Operator = QStringLiteral("conoperator");
const QString Answer = QStringLiteral("conoptval1");
const QString Categories = QStringLiteral("conoptval10");
const QString StudentValueFields[] = {QStringLiteral("conoptval1"), QStringLiteral("conoptval2")};
const QString Yes = QStringLiteral("-1");
const QString No = QStringLiteral("0");
const QString DifferentFromCorresponding = QStringLiteral("100");

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// Decimals are stored in one form, with the comma the defaults use ("0,5").
QString withDecimalComma(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^\\s*-?[0-9]+\\.[0-9]+\\s*$"));
    // Most entries have no point; a load reads thousands of them.
    if (!text.contains(QLatin1Char('.')) || !decimal.match(text).hasMatch())
        return text;
    return QString(text).replace(QLatin1Char('.'), QLatin1Char(','));
}

bool listHas(const Recordset &list, const QString &idField, const QString &textField, const QString &code)
{
    if (IsRsEmpty(list) || !list.hasField(idField) || !list.hasField(textField))
        return false;
    const int id = list.fieldIndex(idField);
    for (int row = 0; row < list.recordCount(); ++row) {
        if (NzStr(list.valueAt(row, id)) == code)
            return true;
    }
    return false;
}

// Whether the choice row `row` offers `code`, as its sheet lists its choices.
bool offers(const ParameterRow &row, const QString &code, const SheetContext &sheet)
{
    if (code.isEmpty())
        return false;
    switch (row.source) {
    case ChoiceSource::Fixed:
        return std::any_of(row.choices.cbegin(), row.choices.cend(),
                           [&code](const FixedChoice &choice) { return choice.code == code; });
    case ChoiceSource::ProjectTypes:
        return listHas(SheetLookupList(sheet, QStringLiteral("SYS_ERGASIA_TYPE"), QString(), true),
                       QStringLiteral("ID"), QStringLiteral("descr"), code);
    case ChoiceSource::Terms:
        return listHas(SheetLookupList(sheet, QStringLiteral("SYS_terms"), QString(), true),
                       QStringLiteral("termID"), QStringLiteral("termDesc"), code);
    case ChoiceSource::StudentColumns: {
        const QList<SchemaColumn> columns = StudentColumns(sheet.students, sheet.objectKind);
        return std::any_of(columns.cbegin(), columns.cend(),
                           [&code](const SchemaColumn &column) { return column.name == code; });
    }
    }
    return false;
}

// A type-10 value as the value rows of its column show it: one of the column's list, or typed.
QVariant studentValue(const QString &column, const QString &text, const SheetContext &sheet)
{
    const StudentValueList values = StudentColumnValues(column, sheet);
    QString shown = text;
    if (values.hasList
        && std::none_of(values.choices.cbegin(), values.choices.cend(),
                        [&text](const StudentValueChoice &choice) { return choice.code == text; }))
        shown.clear();
    return textOrNull(StudentColumnIsNumber(column) ? shown.trimmed() : shown);
}

QVariant shownParameter(const ParameterRow &row, const ParameterValue &parameter, const QString &column,
                        const SheetContext &sheet)
{
    const QString text = parameter.text();
    switch (row.kind) {
    case RowKind::Choice: {
        QString code = text;
        const bool useFallback = parameter.stored.isNull() || (row.fallbackOnEmpty && text.isEmpty());
        if (useFallback && !row.loadFallback.isNull())
            code = row.loadFallback;
        return offers(row, code, sheet) ? QVariant(code) : QVariant();
    }
    case RowKind::StudentColumn:
        return offers(row, text, sheet) ? QVariant(text) : QVariant();
    case RowKind::StudentValue:
        return studentValue(column, text, sheet);
    case RowKind::CodeList:
    case RowKind::Totals:
        // Codes none of which is known are dropped with their names.
        return ParameterNames(parameter, row, sheet).isEmpty() ? QVariant() : textOrNull(text);
    case RowKind::TeachingPeriods:
        return StoredFromText(row, parameter.typeId, ParameterNames(parameter, row, sheet), sheet);
    default:
        return StoredFromText(row, parameter.typeId, text, sheet);
    }
}

// The codes of `codes` that `table` lacks; none when the table came back empty.
QStringList missingCodes(const Recordset &table, const CodeListSource &source, const QStringList &codes)
{
    QStringList missing;
    if (IsRsEmpty(table))
        return missing;
    for (const QString &code : codes) {
        if (DescribeCodeList(table, source.keyField, source.text, code, source.isTemplate).isEmpty())
            missing << code;
    }
    return missing;
}

// Type 30's courses that the programme of the sheet does not teach (none for a department's set).
QStringList coursesOutsideProgramme(const QStringList &courses, const SheetContext &sheet)
{
    if (courses.isEmpty() || sheet.programmeId.isNull())
        return {};
    const Recordset taught = SheetLookupList(sheet, QStringLiteral("QEMDepProgramCourses"),
                                             QStringLiteral("prID=") + NzStr(sheet.programmeId));
    return missingCodes(taught, {QStringLiteral("QEMDepProgramCourses"), QStringLiteral("courseID"),
                                 QStringLiteral("courseID")},
                        courses);
}

} // namespace

QList<UnknownCode> UnknownCodes(const RequirementValue &shown, const RequirementValue &read, const SheetContext &sheet)
{
    QList<UnknownCode> unknown;
    for (const ParameterRow &row : SheetRows(shown.typeId, sheet.context)) {
        const ParameterValue *given = shown.parameter(row.field);
        if (!given)
            continue;
        if (row.kind == RowKind::ValuePicker && shown.typeId == 30 && row.field == ColumnField) {
            for (const QString &code : coursesOutsideProgramme(given->codes(), sheet))
                unknown.append({row.field, code, UnknownCode::Kind::Course, false});
            continue;
        }
        if (row.kind != RowKind::CodeList)
            continue;
        const ParameterValue *stored = read.parameter(row.field);
        const bool dropped = given->codes().isEmpty() && stored && !stored->codes().isEmpty();
        const QStringList codes = dropped ? stored->codes() : given->codes();
        if (codes.isEmpty())
            continue;
        const QStringList missing = missingCodes(CodeListTable(row.codes, sheet), row.codes, codes);
        // A list whose known codes the sheet showed was emptied by the user.
        if (dropped && missing.size() < codes.size())
            continue;
        const auto kind = row.codes.table == QLatin1String("QEMDPGroup") ? UnknownCode::Kind::Group
                                                                         : UnknownCode::Kind::Code;
        for (const QString &code : missing)
            unknown.append({row.field, code, kind, dropped});
    }
    return unknown;
}

RequirementValue WithDroppedCodes(const RequirementValue &shown, const RequirementValue &read,
                                  const SheetContext &sheet)
{
    // Only a list shown empty that its row fills can have been dropped: otherwise no table is read.
    const auto emptiedHere = [&](const ParameterRow &row) {
        const ParameterValue *given = shown.parameter(row.field);
        const ParameterValue *stored = read.parameter(row.field);
        return row.kind == RowKind::CodeList && given && given->codes().isEmpty() && stored && !stored->codes().isEmpty();
    };
    const QList<ParameterRow> rows = SheetRows(shown.typeId, sheet.context);
    if (std::none_of(rows.begin(), rows.end(), emptiedHere))
        return shown;
    RequirementValue kept = shown;
    for (const UnknownCode &code : UnknownCodes(shown, read, sheet)) {
        if (code.dropped)
            kept.setParameter(code.field, read.parameter(code.field)->stored);
    }
    return kept;
}

QVariant StoredFromText(const ParameterRow &row, int typeId, const QString &text, const SheetContext &sheet)
{
    switch (row.kind) {
    case RowKind::Entry:
        return textOrNull(withDecimalComma(text));
    case RowKind::Minimum:
        return text;
    case RowKind::Flags:
        // Unreadable flags stay as they are, for validation to name; they are not taken for none.
        if (!UnreadableOptions(typeId, text).isEmpty())
            return text;
        return FlagsOf(text);
    case RowKind::TeachingPeriods:
        return text.isEmpty() ? QVariant()
                              : textOrNull(TeachingPeriodsToIds(SheetLookupList(sheet, QStringLiteral("SYS_terms")), text));
    default:
        return textOrNull(text);
    }
}

RequirementValue ShownValue(const RequirementValue &value, const SheetContext &sheet)
{
    RequirementValue shown;
    shown.ocID = value.ocID;
    shown.typeId = value.typeId;
    shown.context = sheet.context;
    shown.expression = value.expression;
    QString column;
    const QList<ParameterRow> rows = SheetRows(value.typeId, sheet.context);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ParameterRow &row = rows.at(i);
        // Read from the same sheet, the parameters stand in its order.
        const ParameterValue *given = i < value.parameters.size() && value.parameters.at(i).field == row.field
                                          ? &value.parameters.at(i)
                                          : value.parameter(row.field);
        const ParameterValue parameter =
            given ? *given : ParameterValue::fromStored(row.field, row.kind, value.typeId, QVariant());
        const QVariant stored = shownParameter(row, parameter, column, sheet);
        if (row.kind == RowKind::StudentColumn)
            column = NzStr(stored);
        shown.parameters.append(ParameterValue::fromStored(row.field, row.kind, value.typeId, stored));
    }
    return shown;
}

RequirementValue DefaultValue(int typeId, qint32 ocID, const SheetContext &sheet)
{
    RequirementValue value;
    value.ocID = ocID;
    value.typeId = typeId;
    value.context = sheet.context;
    const bool ownCourse = typeId == 100 && (sheet.objectKind == 4 || sheet.objectKind == 14);
    for (const ParameterRow &row : SheetRows(typeId, sheet.context)) {
        QString text;
        if (row.isChoiceRow())
            text = offers(row, row.defaultValue, sheet) ? row.defaultValue : QString();
        else if (row.field == ColumnField && ownCourse)
            text = NzStr(sheet.courseId); // a course's own enrolment requirement starts with the course itself
        else if (!row.isPicker() && row.kind != RowKind::StudentValue)
            text = row.defaultValue;
        value.parameters.append(
            ParameterValue::fromStored(row.field, row.kind, typeId, StoredFromText(row, typeId, text, sheet)));
    }
    return value;
}

RequirementValue WithParameter(const RequirementValue &value, const QString &field, const QVariant &stored)
{
    RequirementValue after = value;
    after.setParameter(field, stored);
    if (value.typeId == 10 && field == ColumnField) {
        const QString op = after.operatorCode();
        const QList<FixedChoice> operators = OperatorChoices(OperatorList::AllTen);
        if (std::none_of(operators.cbegin(), operators.cend(), [&op](const FixedChoice &c) { return c.code == op; }))
            after.setParameter(Operator, QStringLiteral("0"));
        for (const QString &valueField : StudentValueFields)
            after.setParameter(valueField, QVariant());
    } else if (value.typeId == 130) {
        const ParameterValue *answer = after.parameter(Answer);
        if (field == Answer && answer && answer->code() == Yes) {
            after.setParameter(Operator, Yes);
            after.setParameter(Categories, QVariant());
        } else if (field == Operator && after.operatorCode() == DifferentFromCorresponding) {
            after.setParameter(Answer, No);
            after.setParameter(Categories, QVariant());
        }
    }
    return after;
}

QHash<QString, bool> DependentRowStates(const RequirementValue &value)
{
    if (value.typeId != 130)
        return {};
    const ParameterValue *answer = value.parameter(Answer);
    const bool corresponding = answer && answer->code() == Yes;
    const bool different = value.operatorCode() == DifferentFromCorresponding;
    return {{Operator, !corresponding}, {Categories, !corresponding && !different}};
}

} // namespace zr
