#include "pickerrunner.h"

#include "common/createserverobject.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "reqtypes/coursetypetotals.h"
#include "dialogs/frmcoursetypes.h"
#include "dialogs/frmcustsettings.h"
#include "dialogs/frmmaxgradesettings.h"
#include "reqtypes/optionstext.h"
#include "recordset/lookupcache.h"
#include "pickers.h"
#include "reqtypes/descriptions.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/sheetrows.h"
#include "reqtypes/requirementkeys.h"
#include "search/frmselfromlist.h"

namespace zr {

namespace {

bool runList(ItemPanelModel &list, const QString &key, int conID, const ParameterRow &row,
             const PickerSpec &picker, const SheetContext &sheet, const PickerContext &context,
             const QString &serverName, const Schema *schema, const QFont &font, QWidget *owner, QString *info)
{
    const bool showsNames = row.kind == RowKind::CodeList || row.kind == RowKind::ValuePicker;
    SelectRsOptions options;
    // Course lists are searched on the server; code tables come from the cache.
    if (!picker.searchesServer) {
        // Course types and semesters to check offer "All" (-1), as their help texts say.
        const bool offersAll = row.field == QLatin1String("conselobjIDs") && row.codes.withAll;
        options.list = SheetLookupList(sheet, picker.table, picker.filter, offersAll);
    }
    options.searchOnOpen = picker.searchesServer;
    options.baseFilter = picker.searchesServer ? picker.filter : QString();
    options.schema = schema;
    options.tableName = picker.table;
    options.layoutName = picker.layoutName;
    options.displayTemplate = picker.displayTemplate;
    options.idField = picker.idField;
    options.displayField = picker.textField;
    options.currentValue = NzStr(showsNames ? list.hiddenValue(key) : list.value(key));
    options.requestName = picker.table;
    options.title = picker.titleId ? GetLangString(picker.titleId) : list.caption(key);
    options.owner = owner;

    frmSelFromList dialog(owner);
    dialog.FrmFont(font.family(), font.pointSizeF());
    QObject::connect(&dialog, &frmSelFromList::DataRequest,
                     [&](const QString &, const QString &filter, Recordset &result) {
                         if (picker.searchesServer || conID == 80) {
                             result = AnswerPickerSearch(picker.table, conID, context, filter, serverName,
                                                         *sheet.lookups);
                             return;
                         }
                         result = ServerObjectOf<cDepartment>(serverName)->getTextList(picker.table, filter);
                     });
    // Codes in the list and the search pane's choices name themselves from the cached tables.
    QObject::connect(&dialog, &frmSelFromList::ListSourceRequest,
                     [&](bool &cancel, const QString &source, Recordset &result, bool isQuery) {
                         if (isQuery) {
                             cancel = true;
                             return;
                         }
                         const bool ofProgramme = source.compare(QLatin1String("QEMDPGroup"), Qt::CaseInsensitive) == 0
                             || source.compare(QLatin1String("QEMDPOrientation"), Qt::CaseInsensitive) == 0;
                         const QString filter = ofProgramme && !context.programmeId.isNull()
                             ? QStringLiteral("prID=") + context.programmeId.toString()
                             : QString();
                         try {
                             result = sheet.lookups->list(source, filter);
                         } catch (ZrError &error) {
                             TrapError(error);
                             cancel = true;
                         }
                     });
    const SelectRsResult chosen = dialog.Select_Rs(options);
    if (chosen.cancelled || chosen.keysText.isEmpty())
        return false;

    if (showsNames) {
        const QString names = row.kind == RowKind::ValuePicker ? CourseCodeNames(chosen.keysText, sheet)
                                                               : CodeListNames(row.codes, chosen.keysText, sheet);
        list.setHiddenValue(key, chosen.keysText);
        list.setDescription(key, names);
        list.setValue(key, names);
    } else {
        list.setValue(key, chosen.keysText);
    }
    if (info)
        *info = chosen.texts.join(QStringLiteral(", "));
    return true;
}

bool runOptions(ItemPanelModel &list, const QString &key, int conID, const QFont &font, QWidget *owner,
                QString *info)
{
    frmCustSettings dialog(owner);
    dialog.setFrmFont(font);
    QVariant value = list.value(key);
    bool cancelled = true;
    dialog.CustomSettings(conID, value, cancelled, owner);
    if (cancelled)
        return false;
    const QString text = OptionsText(conID, value.toString());
    list.setDescription(key, text);
    list.setValue(key, value.toString());
    if (info)
        *info = text;
    return true;
}

bool runTotals(ItemPanelModel &list, const QString &key, bool maxGrade, const SheetContext &sheet,
               const QFont &font, QWidget *owner, QString *info)
{
    std::unique_ptr<CourseTypeTotalsDialog> dialog;
    if (maxGrade)
        dialog = std::make_unique<frmMaxGradeSettings>(owner);
    else
        dialog = std::make_unique<frmCourseTypes>(owner);
    dialog->setFrmFont(font);
    bool cancelled = true;
    const Recordset chosen = dialog->Select_CourseTypeTotals(sheet.lookups->list(QStringLiteral("SYS_CourseType")),
                                                             NzStr(list.hiddenValue(key)), true, cancelled, owner);
    if (cancelled)
        return false;
    const QString totals = EncodeCourseTypeTotals(chosen);
    const QString text = CourseTypeTotalsText(totals, sheet);
    list.setHiddenValue(key, totals);
    list.setDescription(key, text);
    list.setValue(key, text);
    if (info)
        *info = text;
    return true;
}

} // namespace

bool RunRowPicker(ItemPanelModel &list, const QString &key, int conID, const SheetContext &sheet,
                  const PickerContext &context, const QString &serverName, const Schema *schema, const QFont &font,
                  QWidget *owner, QString *info)
{
    if (!sheet.lookups)
        return false;
    const QString field = FieldFromKey(key);
    const PickerSpec picker = PickerFor(conID, field, context);
    switch (picker.kind) {
    case PickerKind::None:
        return false;
    case PickerKind::List:
        return runList(list, key, conID, SheetRow(conID, sheet.context, field), picker, sheet, context, serverName,
                       schema, font, owner, info);
    case PickerKind::Options:
        return runOptions(list, key, conID, font, owner, info);
    case PickerKind::CourseTypeTotals:
    case PickerKind::MaxGradeTotals:
        return runTotals(list, key, picker.kind == PickerKind::MaxGradeTotals, sheet, font, owner, info);
    }
    return false;
}

bool ClearPickerRow(ItemPanelModel &list, const QString &key)
{
    if (list.kind(key) != ItemPanelModel::Kind::Picker || !list.isItemEnabled(key))
        return false;
    if (list.value(key).toString().isEmpty() && list.hiddenValue(key).toString().isEmpty())
        return false;
    list.setHiddenValue(key, QString());
    list.setDescription(key, QString());
    list.setValue(key, QString());
    return true;
}

} // namespace zr
