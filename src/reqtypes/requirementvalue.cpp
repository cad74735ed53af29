#include "requirementvalue.h"

#include "common/systemnumber.h"
#include "common/zrerror.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/parametervalues.h"

#include <algorithm>

namespace zr {

namespace {

const QString ColumnField = QStringLiteral("conselobjIDs");

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

} // namespace

qint32 FlagsOf(const QVariant &value)
{
    // Anything unreadable counts as no flag set.
    double number = 0;
    if (!ReadSystemNumber(NzStr(value), &number))
        return 0;
    return ValLng(number);
}

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
    return FlagsOf(stored);
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

RequirementValue RequirementValue::counted() const
{
    RequirementValue value = *this;
    const ParameterValue *codes = parameter(ColumnField);
    for (ParameterValue &p : value.parameters) {
        const QString typed = p.text();
        if (p.kind == RowKind::Minimum && (typed.isEmpty() || typed == QLatin1String("0")))
            p.stored = QString::number(CodeCount(codes ? codes->text() : QString()));
    }
    return value;
}

void RequirementValue::setParameter(const QString &field, const QVariant &stored)
{
    for (ParameterValue &p : parameters) {
        if (p.field == field) {
            p.stored = stored;
            return;
        }
    }
    parameters.append(ParameterValue::fromStored(field, SheetRow(typeId, context, field).kind, typeId, stored));
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
