#include "studentcolumns.h"

#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "descriptions.h"
#include "recordset/recordsetutils.h"
#include "common/zrerror.h"
#include "parametersheet.h"
#include "sheetbinding.h"
#include "recordset/lookupcache.h"
#include "reqtypes/requirementkeys.h"
#include "sheetchoices.h"

namespace zr {

namespace {

const QString OperatorField = QStringLiteral("conoperator");
const QString ValueFields[] = {QStringLiteral("conoptval1"), QStringLiteral("conoptval2")};
constexpr qint32 ValueLabels[] = {20597, 20598};

} // namespace

namespace {
// A department's requirements do not offer the curriculum column, a programme's not the sector.
bool isOffered(const SchemaColumn &column, int objectKind)
{
    const bool department = objectKind == 13 || objectKind == 14;
    return column.name.compare(department ? QLatin1String("orient_ID") : QLatin1String("sector"), Qt::CaseInsensitive)
           != 0;
}
} // namespace

QList<SchemaColumn> StudentColumns(const SchemaTable *students, int objectKind)
{
    QList<SchemaColumn> columns;
    if (!students)
        return columns;
    for (const SchemaColumn &column : students->columns) {
        if (isOffered(column, objectKind))
            columns << column;
    }
    return columns;
}

QString StudentDataHeader(const QString &column, qint32 ocID, const SheetContext &sheet)
{
    QString shown = column;
    if (!sheet.students)
        return StudentDataCaption(shown, ocID);
    for (const SchemaColumn &offered : sheet.students->columns) {
        if (offered.name == column && isOffered(offered, sheet.objectKind)) {
            const QString caption = offered.caption();
            shown = caption.isEmpty() ? column : caption;
            break;
        }
    }
    return StudentDataCaption(shown, ocID);
}

QString StudentColumnFilter(const QString &columnName, const SheetContext &sheet)
{
    if (columnName.compare(QLatin1String("orient_ID"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("prID=") + NzStr(sheet.programmeId);
    if (columnName.compare(QLatin1String("progrspoud_ID"), Qt::CaseInsensitive) == 0) {
        if (sheet.objectKind == 13 || sheet.objectKind == 14) {
            QString department = sheet.departmentId;
            department.replace(QLatin1Char('\''), QLatin1String("''"));
            return QStringLiteral("prdepID='") + department + QLatin1Char('\'');
        }
        return QStringLiteral("prID=") + NzStr(sheet.programmeId);
    }
    if (columnName.compare(QLatin1String("department_ID"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("local=-1");
    return QString();
}

StudentValueList StudentColumnValues(const SchemaColumn &column, const SheetContext &sheet)
{
    StudentValueList values;
    if (column.type == FieldYesNo) {
        values.hasList = true;
        for (const FixedChoice &choice : YesNoChoices())
            values.choices.append({choice.code, GetLangString(choice.textId)});
        return values;
    }
    const QString source = column.listSource.trimmed();
    Recordset list;
    QString table;
    if (source.startsWith(QLatin1String("TEXT:"), Qt::CaseInsensitive)) {
        values.hasList = true;
        list = ListTextToRecordset(source, QStringLiteral("ID"), QStringLiteral("descr"), QStringLiteral(";"));
    } else if (source.startsWith(QLatin1String("RECORDSET:"), Qt::CaseInsensitive)) {
        values.hasList = true;
        table = source.mid(10).trimmed();
        list = SheetLookupList(sheet, table, StudentColumnFilter(column.name, sheet));
    }
    if (IsRsEmpty(list))
        return values;
    const auto [id, text] = IdAndTextFields(list, table);
    Recordset walk = list.clone();
    for (walk.moveFirst(); !walk.eof(); walk.moveNext())
        values.choices.append({NzStr(walk.value(id)).trimmed(), NzStr(walk.value(text))});
    return values;
}

StudentValueList StudentColumnValues(const QString &columnName, const SheetContext &sheet)
{
    const SchemaColumn *column =
        sheet.students && !columnName.isEmpty() ? sheet.students->column(columnName) : nullptr;
    return column ? StudentColumnValues(*column, sheet) : StudentValueList();
}

bool StudentColumnIsNumber(const QString &column)
{
    static const QStringList numbers = {QStringLiteral("in_year"), QStringLiteral("sc_apofYear"),
                                        QStringLiteral("sc_arseiras"), QStringLiteral("or_ptyhgrade"),
                                        QStringLiteral("studrate")};
    return numbers.contains(column, Qt::CaseInsensitive);
}

void BuildStudentValueRows(ItemPanelModel &panel, qint32 ocID, const QString &column, const SheetContext &sheet)
{
    const QString group = GroupKey(ocID);
    const StudentValueList values = StudentColumnValues(column, sheet);

    const QString operatorKey = ParamKey(ocID, OperatorField);
    if (panel.contains(operatorKey)) {
        const QString chosen = SelectedChoiceCode(panel, ocID, OperatorField);
        panel.clearChoices(operatorKey);
        for (const FixedChoice &choice : OperatorChoices(OperatorList::AllTen))
            panel.addChoice(operatorKey, ChoiceKey(ocID, choice.code), GetLangString(choice.textId));
        if (chosen.isEmpty() || !panel.selectChoice(operatorKey, ChoiceKey(ocID, chosen)))
            panel.selectChoice(operatorKey, ChoiceKey(ocID, QStringLiteral("0")));
    }

    for (int i = 0; i < 2; ++i) {
        const QString key = ParamKey(ocID, ValueFields[i]);
        int position = panel.keys(group).indexOf(key);
        if (position >= 0)
            panel.removeItem(key);
        else
            position = panel.keys(group).indexOf(operatorKey) + 1 + i;
        panel.addItem(key, GetLangString(ValueLabels[i]), values.hasList ? ItemStyle::ChoiceRow : ItemStyle::Entry,
                      group, position);
        for (const StudentValueChoice &choice : values.choices)
            panel.addChoice(key, ChoiceKey(ocID, choice.code), choice.caption);
    }
}

} // namespace zr
