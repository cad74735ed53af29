#include "requirementvalue.h"

#include "common/systemnumber.h"
#include "common/zrerror.h"
#include "itempanel/itempanelmodel.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/descriptions.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/parametervalues.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/studentcolumns.h"

#include <QRegularExpression>

#include <algorithm>

namespace zr {

namespace {

const QString ColumnField = QStringLiteral("conselobjIDs");

// Option flags are whole numbers; anything unreadable counts as no flag set.
qint32 flagsOf(const QVariant &value)
{
    double number = 0;
    if (!ReadSystemNumber(NzStr(value), &number))
        return 0;
    return ValLng(number);
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

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// Writes only real changes, so that storing an unchanged sheet leaves the row unmodified.
void writeField(Recordset &rows, int row, const QString &field, const QVariant &value)
{
    // One look-up of the field per write: write back does thousands.
    const int index = rows.fieldIndex(field);
    const QVariant current = index < 0 ? RequirementFieldAt(rows, row, field) : rows.valueAt(row, index);
    if (current.isNull() == value.isNull() && NzStr(current) == NzStr(value))
        return;
    rows.setValueAt(row, index, value);
}

// The code now selected: `code`, or nothing when the row does not offer it.
QVariant selectCode(ItemPanelModel &panel, const QString &key, qint32 ocID, const QString &code)
{
    if (code.isEmpty() || !panel.selectChoice(key, ChoiceKey(ocID, code))) {
        panel.setValue(key, QVariant());
        return QVariant();
    }
    return code;
}

// An empty minimum means all of the chosen codes (subjects or courses, kept behind their names).
QVariant minimumOf(const QString &typed, const QString &codes)
{
    if (!typed.isEmpty() && typed != QLatin1String("0"))
        return typed;
    return QString::number(CodeCount(codes));
}

// Shows `shown` on the row `key` (ParamKey of `ocID` and the row's field);
// returns what the row now shows in its stored form, as storedValueOf reads
// it (a minimum: as typed, for the caller to count its codes).
QVariant loadRow(ItemPanelModel &panel, const QString &key, const ParameterRow &row, qint32 ocID,
             const ParameterValue &shown, const SheetContext &sheet)
{
    const int typeId = shown.typeId;
    const QVariant &stored = shown.stored;
    const QString text = NzStr(stored);
    switch (row.kind) {
    case RowKind::Choice: {
        QString code = text;
        const bool useFallback = stored.isNull() || (row.fallbackOnEmpty && text.isEmpty());
        if (useFallback && !row.loadFallback.isNull())
            code = row.loadFallback;
        return selectCode(panel, key, ocID, code);
    }
    case RowKind::Entry:
        panel.setValue(key, text);
        return textOrNull(withDecimalComma(text));
    case RowKind::Minimum:
        panel.setValue(key, text);
        return text;
    case RowKind::ValuePicker: {
        // Courses are kept as stored and shown by code and title.
        const QString names = ParameterNames(shown, row, sheet);
        panel.setHiddenValue(key, text);
        panel.setValue(key, names);
        panel.setDescription(key, names);
        return textOrNull(text);
    }
    case RowKind::CodeList:
    case RowKind::Totals: {
        const QString names = ParameterNames(shown, row, sheet);
        // Codes none of which is known are dropped with their names.
        panel.setHiddenValue(key, names.isEmpty() ? QString() : text);
        panel.setValue(key, names);
        panel.setDescription(key, names);
        return names.isEmpty() ? QVariant() : textOrNull(text);
    }
    case RowKind::Options:
        panel.setValue(key, text);
        panel.setDescription(key, ParameterNames(shown, row, sheet));
        return textOrNull(text);
    case RowKind::Flags: {
        // Unreadable flags stay as they are, for validation to name; they are not taken for none.
        const bool readable = UnreadableOptions(typeId, text).isEmpty();
        const QString flags = readable ? QString::number(flagsOf(stored)) : text;
        panel.setValue(key, flags);
        panel.setDescription(key, ParameterNames(shown, row, sheet));
        return readable ? QVariant(flagsOf(stored)) : QVariant(flags);
    }
    case RowKind::ExamPeriods:
        panel.setHiddenValue(key, text);
        panel.setValue(key, text);
        return textOrNull(text);
    case RowKind::TeachingPeriods: {
        const QString names = ParameterNames(shown, row, sheet);
        panel.setHiddenValue(key, text);
        panel.setValue(key, names);
        return names.isEmpty()
                   ? QVariant()
                   : textOrNull(TeachingPeriodsToIds(SheetLookupList(sheet, QStringLiteral("SYS_terms")), names));
    }
    case RowKind::StudentColumn: {
        const QVariant selected = selectCode(panel, key, ocID, text);
        // Named as when it is stored: by the column's description, a saved one with its id.
        panel.setCaption(GroupKey(ocID), StudentDataHeader(text, ocID, sheet));
        BuildStudentValueRows(panel, ocID, sheet);
        return selected;
    }
    case RowKind::StudentValue:
        if (panel.kind(key) == ItemPanelModel::Kind::ChoiceRow)
            selectCode(panel, key, ocID, text);
        else
            panel.setValue(key, text);
        // Number columns keep their values trimmed.
        return textOrNull(ParameterRowText(panel, ocID, row));
    }
    return QVariant();
}

QVariant storedValueOf(const ItemPanelModel &panel, const ParameterRow &row, int typeId, qint32 ocID,
                       const SheetContext &sheet)
{
    const QString key = ParamKey(ocID, row.field);
    const QString text = NzStr(panel.value(key));
    switch (row.kind) {
    case RowKind::Choice:
    case RowKind::StudentColumn:
    case RowKind::StudentValue:
        return textOrNull(ParameterRowText(panel, ocID, row));
    case RowKind::Entry:
        return textOrNull(withDecimalComma(text));
    case RowKind::ExamPeriods:
    case RowKind::Options:
        return textOrNull(text);
    case RowKind::ValuePicker:
        return textOrNull(NzStr(panel.hiddenValue(key)));
    case RowKind::Minimum:
        return minimumOf(text, NzStr(panel.hiddenValue(ParamKey(ocID, ColumnField))));
    case RowKind::CodeList:
    case RowKind::Totals:
        return textOrNull(ParameterRowText(panel, ocID, row));
    case RowKind::Flags:
        if (!UnreadableOptions(typeId, text).isEmpty())
            return text;
        return flagsOf(panel.value(key));
    case RowKind::TeachingPeriods:
        if (text.isEmpty())
            return QVariant();
        return textOrNull(TeachingPeriodsToIds(SheetLookupList(sheet, QStringLiteral("SYS_terms")), text));
    }
    return QVariant();
}

} // namespace

QVariant RequirementFieldAt(const Recordset &rows, int row, const QString &field)
{
    const int index = rows.fieldIndex(field);
    if (index < 0)
        throw ZrError(Recordset::ErrUnknownField, QStringLiteral("RequirementValue"),
                      QStringLiteral("No field %1.").arg(field));
    return rows.valueAt(row, index);
}

QList<YearPeriod> ParsePeriodList(const QString &list)
{
    QList<YearPeriod> periods;
    for (const QString &element : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString text = element.trimmed();
        if (text.isEmpty())
            continue;
        const int dash = text.indexOf(QLatin1Char('-'));
        periods.append(dash < 0 ? YearPeriod{text, QString()}
                                : YearPeriod{text.left(dash).trimmed(), text.mid(dash + 1).trimmed()});
    }
    return periods;
}

ParameterValue ParameterValue::fromStored(const QString &field, RowKind kind, int typeId, const QVariant &stored)
{
    ParameterValue value;
    value.field = field;
    value.kind = kind;
    value.typeId = typeId;
    value.stored = stored;
    return value;
}

QString ParameterValue::code() const
{
    return kind == RowKind::Choice || kind == RowKind::StudentColumn ? NzStr(stored) : QString();
}

QString ParameterValue::text() const
{
    return NzStr(stored);
}

std::optional<double> ParameterValue::number() const
{
    if (kind != RowKind::Entry && kind != RowKind::StudentValue && kind != RowKind::Minimum)
        return std::nullopt;
    double number = 0;
    if (!ReadSystemNumber(NzStr(stored), &number))
        return std::nullopt;
    return number;
}

QStringList ParameterValue::codes() const
{
    QStringList codes;
    if (kind != RowKind::ValuePicker && kind != RowKind::CodeList)
        return codes;
    for (const QString &code : NzStr(stored).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!code.trimmed().isEmpty())
            codes.append(code.trimmed());
    }
    return codes;
}

QList<CourseTypeTotal> ParameterValue::totals() const
{
    return kind == RowKind::Totals ? ParseCourseTypeTotals(NzStr(stored)) : QList<CourseTypeTotal>();
}

qint32 ParameterValue::flags() const
{
    if (kind != RowKind::Flags || !UnreadableOptions(typeId, NzStr(stored)).isEmpty())
        return 0;
    return flagsOf(stored);
}

QList<YearPeriod> ParameterValue::periods() const
{
    if (kind != RowKind::ExamPeriods && kind != RowKind::TeachingPeriods)
        return {};
    return ParsePeriodList(NzStr(stored));
}

RequirementValue RequirementValue::fromRow(const Recordset &rows, int row, int context)
{
    return RequirementReader(rows, context).read(row);
}

RequirementReader::RequirementReader(const Recordset &rows, int context)
    : m_rows(rows), m_context(context), m_idField(indexOf(QStringLiteral("ocID"))),
      m_typeField(indexOf(QStringLiteral("conID"))), m_expressionField(indexOf(QStringLiteral("coneval")))
{
}

int RequirementReader::indexOf(const QString &field) const
{
    return m_rows.isNull() ? -1 : m_rows.fieldIndex(field);
}

QVariant RequirementReader::at(int row, int index, const QString &field) const
{
    // A missing field is named by the error RequirementFieldAt throws.
    return index < 0 ? RequirementFieldAt(m_rows, row, field) : m_rows.valueAt(row, index);
}

RequirementValue RequirementReader::read(int row)
{
    RequirementValue value;
    value.ocID = ValLng(at(row, m_idField, QStringLiteral("ocID")));
    value.typeId = ValLng(at(row, m_typeField, QStringLiteral("conID")));
    value.context = m_context;
    auto type = m_types.find(value.typeId);
    if (type == m_types.end()) {
        TypeFields fields{SheetRows(value.typeId, m_context), {}};
        for (const ParameterRow &sheetRow : std::as_const(fields.rows))
            fields.indexes.append(indexOf(sheetRow.field));
        type = m_types.insert(value.typeId, fields);
    }
    value.parameters.reserve(type->rows.size());
    for (qsizetype i = 0; i < type->rows.size(); ++i) {
        const ParameterRow &sheetRow = type->rows.at(i);
        value.parameters.append(ParameterValue::fromStored(sheetRow.field, sheetRow.kind, value.typeId,
                                                           at(row, type->indexes.at(i), sheetRow.field)));
    }
    value.expression = at(row, m_expressionField, QStringLiteral("coneval"));
    return value;
}

RequirementValue RequirementValue::fromSheet(const ItemPanelModel &panel, qint32 ocID, int typeId,
                                             const SheetContext &sheet, const std::optional<QString> &expression)
{
    RequirementValue value;
    value.ocID = ocID;
    value.typeId = typeId;
    value.context = sheet.context;
    for (const ParameterRow &row : SheetRows(typeId, sheet.context)) {
        if (panel.contains(ParamKey(ocID, row.field)))
            value.parameters.append(ParameterValue::fromStored(row.field, row.kind, typeId,
                                                               storedValueOf(panel, row, typeId, ocID, sheet)));
    }
    value.expression = storedExpression(expression);
    return value;
}

QVariant RequirementValue::storedExpression(const std::optional<QString> &expression)
{
    return expression ? textOrNull(*expression) : QVariant();
}

void RequirementValue::writeTo(Recordset &rows, int row) const
{
    // "Different from the corresponding category" names no category; the
    // value keeps what the sheet shows, for the rules to see.
    const bool noCategories = typeId == 130 && operatorCode() == QLatin1String("100");
    for (const ParameterValue &parameter : parameters) {
        const bool cleared = noCategories && parameter.field == QLatin1String("conoptval10");
        writeField(rows, row, parameter.field, cleared ? QVariant() : parameter.stored);
    }
    writeField(rows, row, QStringLiteral("coneval"), expression);
}

RequirementValue RequirementValue::toSheet(ItemPanelModel &panel, const SheetContext &sheet) const
{
    RequirementValue shownValue;
    shownValue.ocID = ocID;
    shownValue.typeId = typeId;
    shownValue.context = sheet.context;
    shownValue.expression = expression;
    const QList<ParameterRow> rows = SheetRows(typeId, sheet.context);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ParameterRow &row = rows.at(i);
        // Made from the same sheet, the parameters stand in its order.
        const ParameterValue *shown = i < parameters.size() && parameters.at(i).field == row.field
                                          ? &parameters.at(i)
                                          : parameter(row.field);
        const QString key = ParamKey(ocID, row.field);
        if (!panel.contains(key))
            continue;
        // A row the value does not fill keeps what its sheet set.
        const QVariant now = shown ? loadRow(panel, key, row, ocID, *shown, sheet)
                                   : storedValueOf(panel, row, typeId, ocID, sheet);
        shownValue.parameters.append(ParameterValue::fromStored(row.field, row.kind, typeId, now));
    }
    // The minimum counts the codes its sheet ended up with.
    const ParameterValue *codes = shownValue.parameter(ColumnField);
    for (ParameterValue &parameter : shownValue.parameters) {
        if (parameter.kind == RowKind::Minimum)
            parameter.stored = minimumOf(parameter.text(), codes ? codes->text() : QString());
    }
    return shownValue;
}

const ParameterValue *RequirementValue::parameter(const QString &field) const
{
    for (const ParameterValue &p : parameters) {
        if (p.field == field)
            return &p;
    }
    return nullptr;
}

const ParameterValue *RequirementValue::unreadableCodes() const
{
    const auto whole = [](const QString &code) {
        bool ok = false;
        code.trimmed().toInt(&ok);
        return ok;
    };
    for (const ParameterValue &p : parameters) {
        const QString text = p.text().trimmed();
        if (text.isEmpty())
            continue;
        const bool list = p.kind == RowKind::CodeList || p.kind == RowKind::ValuePicker;
        if (!list && p.kind != RowKind::Choice)
            continue;
        const QStringList codes = list ? text.split(QLatin1Char(',')) : QStringList{text};
        if (!std::all_of(codes.cbegin(), codes.cend(), whole))
            return &p;
    }
    return nullptr;
}

QString RequirementValue::operatorCode() const
{
    const ParameterValue *op = parameter(QStringLiteral("conoperator"));
    return op ? op->code() : QString();
}

} // namespace zr
