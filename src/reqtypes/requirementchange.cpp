#include "requirementchange.h"

#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/descriptions.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/sheetrows.h"
#include "reqtypes/typecatalog.h"

namespace zr {

namespace {

enum : qint32 {
    StrFieldChange = 64009,
    StrFieldChangeOf = 64010,
    StrEmptyValue = 64011,
    StrFieldSetTo = 63530,
};

bool sameValue(const ParameterValue &a, const ParameterValue &b)
{
    const QString x = NzStr(a.stored).trimmed(), y = NzStr(b.stored).trimmed();
    if (x == y)
        return true;
    // "0.5" and "0,5", "300" and "300,0": one number.
    const std::optional<double> m = a.number(), n = b.number();
    return m && n && *m == *n;
}

QString shown(const ParameterValue &value, const SheetContext &sheet)
{
    const QString text = ParameterValueText(value, sheet);
    return text.isEmpty() ? GetLangString(StrEmptyValue) : text;
}

QString labelOf(const FieldChange &change, const SheetContext &sheet)
{
    const ParameterRow row = SheetRow(change.after.typeId, sheet.context, change.after.field);
    return row.labelId ? GetLangString(row.labelId) : change.after.field;
}

} // namespace

QList<FieldChange> ChangedFields(const RequirementValue &before, const RequirementValue &after)
{
    QList<FieldChange> changes;
    for (const ParameterValue &now : after.parameters) {
        const ParameterValue *was = before.parameter(now.field);
        const ParameterValue then = was ? *was : ParameterValue::fromStored(now.field, now.kind, now.typeId, QVariant());
        if (!sameValue(then, now))
            changes.append({then, now});
    }
    return changes;
}

QString FieldChangeText(const FieldChange &change, const SheetContext &sheet)
{
    return ReplaceParams(GetLangString(StrFieldChange),
                         {labelOf(change, sheet), shown(change.before, sheet), shown(change.after, sheet)});
}

QString FieldSetToText(const FieldChange &change, const QString &caption, const SheetContext &sheet)
{
    return ReplaceParams(GetLangString(StrFieldSetTo), {labelOf(change, sheet), caption, shown(change.after, sheet)});
}

QString FieldChangeInRequirementText(const FieldChange &change, const SheetContext &sheet)
{
    return ReplaceParams(GetLangString(StrFieldChangeOf), {labelOf(change, sheet), GetTypeName(change.after.typeId),
                                                           shown(change.before, sheet), shown(change.after, sheet)});
}

} // namespace zr
