#include "parametersheet.h"

#include "descriptions.h"

#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "common/schema.h"
#include "common/zrerror.h"
#include "reqtypes/optionstext.h"
#include "recordset/lookupcache.h"
#include "reqtypes/requirementkeys.h"
#include "sheetrows.h"
#include "sheetbinding.h"
#include "studentcolumns.h"
#include "typecatalog.h"

namespace zr {

namespace {

// The text of the row meaning "all" that a drop-down table gets.
qint32 allTextOf(const QString &table)
{
    if (table == QLatin1String("SYS_semesters"))
        return 20715;
    if (table == QLatin1String("SYS_terms"))
        return 20716;
    return 20714;
}

void addLookupChoices(ItemPanelModel &panel, const QString &rowKey, qint32 ocID, const Recordset &list,
                      const QString &idField, const QString &textField)
{
    if (IsRsEmpty(list) || !list.hasField(idField) || !list.hasField(textField))
        return;
    Recordset walk = list.clone();
    for (walk.moveFirst(); !walk.eof(); walk.moveNext())
        panel.addChoice(rowKey, ChoiceKey(ocID, NzStr(walk.value(idField))), NzStr(walk.value(textField)));
}

void addRow(ItemPanelModel &panel, int typeId, qint32 ocID, const ParameterRow &row, const SheetContext &sheet)
{
    const QString key = ParamKey(ocID, row.field);
    const int style = row.isChoiceRow() ? ItemStyle::ChoiceRow : row.isPicker() ? ItemStyle::Picker : ItemStyle::Entry;
    panel.addItem(key, GetLangString(row.labelId), style, GroupKey(ocID));

    const QString help = RowHelpText(row);
    if (row.helpPlacement != HelpPlacement::DescriptionOnly)
        panel.setHint(key, help);
    if (row.helpPlacement != HelpPlacement::HintOnly)
        panel.setDescription(key, help);

    switch (row.source) {
    case ChoiceSource::Fixed:
        for (const FixedChoice &choice : row.choices)
            panel.addChoice(key, ChoiceKey(ocID, choice.code), choice.textId ? GetLangString(choice.textId) : QString());
        break;
    case ChoiceSource::ProjectTypes:
        addLookupChoices(panel, key, ocID, SheetLookupList(sheet, QStringLiteral("SYS_ERGASIA_TYPE"), QString(), true),
                         QStringLiteral("ID"), QStringLiteral("descr"));
        break;
    case ChoiceSource::Terms:
        addLookupChoices(panel, key, ocID, SheetLookupList(sheet, QStringLiteral("SYS_terms"), QString(), true),
                         QStringLiteral("termID"), QStringLiteral("termDesc"));
        break;
    case ChoiceSource::StudentColumns:
        for (const SchemaColumn &column : StudentColumns(sheet.students, sheet.objectKind))
            panel.addChoice(key, ChoiceKey(ocID, column.name), column.caption());
        break;
    }

    if (row.isChoiceRow()) {
        if (!row.defaultValue.isNull())
            panel.selectChoice(key, ChoiceKey(ocID, row.defaultValue));
    } else if (typeId == 100 && row.field == QLatin1String("conselobjIDs")) {
        // A course's own enrolment requirement starts with the course itself.
        if (sheet.objectKind == 4 || sheet.objectKind == 14) {
            const QString names = CourseCodeNames(NzStr(sheet.courseId), sheet);
            panel.setHiddenValue(key, NzStr(sheet.courseId));
            panel.setValue(key, names);
            panel.setDescription(key, names);
        }
    } else if (!row.defaultValue.isNull()) {
        panel.setValue(key, row.defaultValue);
    }
    if (row.kind == RowKind::Options || row.kind == RowKind::Flags)
        panel.setDescription(key, OptionsText(typeId, row.defaultValue));
    if (!row.visible)
        panel.setVisible(key, false);
}

} // namespace

Recordset SheetLookupList(const SheetContext &sheet, const QString &table, const QString &filter, bool withAll)
{
    Recordset list;
    if (sheet.lookups)
        list = sheet.lookups->list(table, filter);
    if (!withAll)
        return list;
    const LookupColumns columns = LookupColumnsOf(table);
    if (!list.isNull() && list.hasField(columns.idField) && list.hasField(columns.textField))
        return sheet.lookups->listWithAll(table);
    // A table the server did not give still offers "all".
    QList<Field> fields{makeField(columns.idField, adInteger), makeField(columns.textField, adVarWChar, 255)};
    if (!columns.shortTextField.isEmpty())
        fields << makeField(columns.shortTextField, adVarWChar, 255);
    Recordset all(fields);
    all.addNew();
    all.setValue(columns.idField, -1);
    all.setValue(columns.textField, GetLangString(allTextOf(table)));
    if (table == QLatin1String("SYS_CourseType"))
        all.setValue(columns.shortTextField, GetLangString(20714));
    all.updateBatch();
    all.moveFirst();
    return all;
}

bool CreateConstraintHeader(ItemPanelModel &panel, const QString &typeId, qint32 ocID, int position)
{
    const QString caption = GetTypeName(typeId);
    if (caption.isEmpty())
        return false;
    const QString group = GroupKey(ocID);
    if (!panel.addItem(group, caption, ItemStyle::Header, QString(), position))
        return false;
    panel.setHint(group, caption);
    return true;
}

void CreateParameterRows(ItemPanelModel &panel, int typeId, qint32 ocID, const SheetContext &sheet)
{
    try {
        for (const ParameterRow &row : SheetRows(typeId, sheet.context)) {
            // Type 10's value rows depend on the column; they follow it below.
            if (row.kind != RowKind::StudentValue)
                addRow(panel, typeId, ocID, row, sheet);
        }
        if (typeId == 10)
            BuildStudentValueRows(panel, ocID, SelectedChoiceCode(panel, ocID, QStringLiteral("conselobjIDs")), sheet);
    } catch (ZrError &error) {
        TrapError(error, QStringLiteral(" CreateConstraint"));
        throw;
    }
}

bool CreateConstraint(ItemPanelModel &panel, const QString &typeId, qint32 ocID, const SheetContext &sheet,
                      int position)
{
    if (!CreateConstraintHeader(panel, typeId, ocID, position))
        return false;
    CreateParameterRows(panel, int(typeId.trimmed().toDouble()), ocID, sheet);
    return true;
}

} // namespace zr
