#include "sheetadjust.h"

#include "itempanel/itempanelmodel.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/optionstext.h"
#include "descriptions.h"
#include "parametersheet.h"
#include "parametervalues.h"
#include "reqtypes/requirementkeys.h"
#include "sheetrows.h"
#include "studentcolumns.h"

namespace zr {

namespace {

const QString Answer = QStringLiteral("conoptval1");
const QString Operator = QStringLiteral("conoperator");
const QString Categories = QStringLiteral("conoptval10");
const QString Yes = QStringLiteral("-1");
const QString No = QStringLiteral("0");
const QString DifferentFromCorresponding = QStringLiteral("100");

void emptyCategories(ItemPanelModel &panel, qint32 ocID)
{
    const QString key = ParamKey(ocID, Categories);
    panel.setValue(key, QString());
    panel.setHiddenValue(key, QString());
    panel.setDescription(key, QString());
}

void applyClassCategoryStates(ItemPanelModel &panel, qint32 ocID)
{
    const bool corresponding = SelectedChoiceCode(panel, ocID, Answer) == Yes;
    const bool different = SelectedChoiceCode(panel, ocID, Operator) == DifferentFromCorresponding;
    panel.setItemEnabled(ParamKey(ocID, Operator), !corresponding);
    panel.setItemEnabled(ParamKey(ocID, Categories), !corresponding && !different);
}

bool adjustClassCategory(ItemPanelModel &panel, qint32 ocID, const QString &field)
{
    if (field == Answer) {
        if (SelectedChoiceCode(panel, ocID, Answer) == Yes) {
            panel.selectChoice(ParamKey(ocID, Operator), ChoiceKey(ocID, Yes));
            emptyCategories(panel, ocID);
        }
    } else if (field == Operator) {
        if (SelectedChoiceCode(panel, ocID, Operator) == DifferentFromCorresponding) {
            panel.selectChoice(ParamKey(ocID, Answer), ChoiceKey(ocID, No));
            emptyCategories(panel, ocID);
        }
    } else {
        return false;
    }
    applyClassCategoryStates(panel, ocID);
    return true;
}

} // namespace

bool AdjustSheetAfterChange(ItemPanelModel &panel, int typeId, const QString &key, const SheetContext &sheet)
{
    const qint32 ocID = OcIdFromKey(key);
    const QString field = FieldFromKey(key);
    const ParameterRow row = SheetRow(typeId, sheet.context, field);
    if (row.kind == RowKind::Options || row.kind == RowKind::Flags) {
        // The options row always describes the option string it holds.
        panel.setDescription(key, OptionsText(typeId, NzStr(panel.value(key))));
        return true;
    }
    if (typeId == 10 && field == QLatin1String("conselobjIDs")) {
        panel.setCaption(GroupKey(ocID), StudentDataCaption(panel.valueText(key)));
        BuildStudentValueRows(panel, ocID, sheet);
        return true;
    }
    if (typeId == 130)
        return adjustClassCategory(panel, ocID, field);
    return false;
}

void ApplyRowStates(ItemPanelModel &panel, int typeId, qint32 ocID)
{
    if (typeId == 130)
        applyClassCategoryStates(panel, ocID);
}

} // namespace zr
