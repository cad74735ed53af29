#include "sheetbinding.h"

#include "itempanel/itempanelmodel.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/descriptions.h"
#include "reqtypes/optionstext.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/sheetrows.h"
#include "reqtypes/sheetrules.h"
#include "reqtypes/studentcolumns.h"

namespace zr {

namespace {

const QString ColumnField = QStringLiteral("conselobjIDs");

void selectCode(ItemPanelModel &panel, const QString &key, qint32 ocID, const QString &code)
{
    if (code.isEmpty() || !panel.selectChoice(key, ChoiceKey(ocID, code)))
        panel.setValue(key, QVariant());
}

void showNames(ItemPanelModel &panel, const QString &key, const QString &hidden, const QString &names)
{
    panel.setHiddenValue(key, hidden);
    panel.setValue(key, names);
    panel.setDescription(key, names);
}

void showParameter(ItemPanelModel &panel, const ParameterRow &row, qint32 ocID, const ParameterValue &parameter,
                   const SheetContext &sheet)
{
    const QString key = ParamKey(ocID, row.field);
    const QString text = parameter.text();
    switch (row.kind) {
    case RowKind::Choice:
    case RowKind::StudentColumn:
        selectCode(panel, key, ocID, text);
        break;
    case RowKind::StudentValue:
        if (panel.kind(key) == ItemPanelModel::Kind::ChoiceRow)
            selectCode(panel, key, ocID, text);
        else
            panel.setValue(key, text);
        break;
    case RowKind::ValuePicker:
        // Courses are kept as stored and shown by code and title.
        showNames(panel, key, text, ParameterNames(parameter, row, sheet));
        break;
    case RowKind::CodeList:
    case RowKind::Totals: {
        const QString names = ParameterNames(parameter, row, sheet);
        showNames(panel, key, names.isEmpty() ? QString() : text, names);
        break;
    }
    case RowKind::Options:
    case RowKind::Flags:
        panel.setValue(key, text);
        panel.setDescription(key, ParameterNames(parameter, row, sheet));
        break;
    case RowKind::ExamPeriods:
        panel.setHiddenValue(key, text);
        panel.setValue(key, text);
        break;
    case RowKind::TeachingPeriods:
        panel.setHiddenValue(key, text);
        panel.setValue(key, ParameterNames(parameter, row, sheet));
        break;
    case RowKind::Entry:
    case RowKind::Minimum:
        panel.setValue(key, text);
        break;
    }
}

QString columnOf(const RequirementValue &value)
{
    const ParameterValue *column = value.parameter(ColumnField);
    return column ? column->text() : QString();
}

} // namespace

QString SelectedChoiceCode(const ItemPanelModel &panel, qint32 ocID, const QString &field)
{
    const QString selected = NzStr(panel.value(ParamKey(ocID, field)));
    const QString prefix = ChoiceKey(ocID, QString());
    return selected.startsWith(prefix) ? selected.mid(prefix.size()) : QString();
}

void ShowValue(ItemPanelModel &panel, const RequirementValue &shown, const SheetContext &sheet)
{
    const qint32 ocID = shown.ocID;
    if (shown.typeId == 10) {
        const QString column = columnOf(shown);
        // Named as when it is stored: by the column's description, a saved one with its id.
        panel.setCaption(GroupKey(ocID), StudentDataHeader(column, ocID, sheet));
        BuildStudentValueRows(panel, ocID, column, sheet);
    }
    for (const ParameterRow &row : SheetRows(shown.typeId, sheet.context)) {
        const ParameterValue *parameter = shown.parameter(row.field);
        // A row the value does not fill keeps what its sheet set.
        if (parameter && panel.contains(ParamKey(ocID, row.field)))
            showParameter(panel, row, ocID, *parameter, sheet);
    }
    ShowRowStates(panel, shown);
}

void ShowEdit(ItemPanelModel &panel, const RequirementValue &before, const RequirementValue &after,
              const QString &field, const SheetContext &sheet)
{
    const qint32 ocID = after.ocID;
    const QString key = ParamKey(ocID, field);
    const ParameterRow edited = SheetRow(after.typeId, sheet.context, field);
    if (edited.kind == RowKind::Options || edited.kind == RowKind::Flags)
        panel.setDescription(key, OptionsText(after.typeId, NzStr(panel.value(key))));
    if (after.typeId == 10 && field == ColumnField) {
        panel.setCaption(GroupKey(ocID), StudentDataCaption(panel.valueText(key)));
        BuildStudentValueRows(panel, ocID, columnOf(after), sheet);
    }
    for (const ParameterRow &row : SheetRows(after.typeId, sheet.context)) {
        const ParameterValue *now = after.parameter(row.field);
        const ParameterValue *was = before.parameter(row.field);
        const bool same = was && now && was->stored.isNull() == now->stored.isNull() && was->text() == now->text();
        if (row.field != field && now && !same && panel.contains(ParamKey(ocID, row.field)))
            showParameter(panel, row, ocID, *now, sheet);
    }
    ShowRowStates(panel, after);
}

QVariant EditedValue(const ItemPanelModel &panel, const QString &key, int typeId, const SheetContext &sheet)
{
    const qint32 ocID = OcIdFromKey(key);
    const ParameterRow row = SheetRow(typeId, sheet.context, FieldFromKey(key));
    QString text;
    switch (row.kind) {
    case RowKind::Choice:
    case RowKind::StudentColumn:
        text = SelectedChoiceCode(panel, ocID, row.field);
        break;
    case RowKind::CodeList:
    case RowKind::Totals:
    case RowKind::ValuePicker:
        text = NzStr(panel.hiddenValue(key));
        break;
    case RowKind::StudentValue:
        text = panel.kind(key) == ItemPanelModel::Kind::ChoiceRow ? SelectedChoiceCode(panel, ocID, row.field)
                                                                   : NzStr(panel.value(key));
        if (StudentColumnIsNumber(SelectedChoiceCode(panel, ocID, ColumnField)))
            text = text.trimmed();
        break;
    default:
        text = NzStr(panel.value(key));
        break;
    }
    return StoredFromText(row, typeId, text, sheet);
}

void ShowRowStates(ItemPanelModel &panel, const RequirementValue &value)
{
    const QHash<QString, bool> states = DependentRowStates(value);
    for (auto it = states.constBegin(); it != states.constEnd(); ++it)
        panel.setItemEnabled(ParamKey(value.ocID, it.key()), it.value());
}

void ShowStored(ItemPanelModel &panel, const RequirementValue &value)
{
    const qint32 ocID = value.ocID;
    // A minimum left empty was written as the count of its codes, as the sheet shows it once reloaded.
    for (const ParameterValue &parameter : value.parameters) {
        const QString key = ParamKey(ocID, parameter.field);
        if (parameter.kind == RowKind::Minimum && panel.contains(key))
            panel.setValue(key, parameter.text());
    }
    const QString column = ParamKey(ocID, ColumnField);
    if (value.typeId == 10 && panel.contains(column)) {
        const QString caption = StudentDataCaption(panel.valueText(column), ocID);
        panel.setCaption(GroupKey(ocID), caption);
        panel.setHint(GroupKey(ocID), caption);
    }
}

} // namespace zr
