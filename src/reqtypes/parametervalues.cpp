#include "parametervalues.h"

#include "reqtypes/requirementvalue.h"

#include "itempanel/itempanelmodel.h"
#include "recordset/recordsetutils.h"
#include "common/zrerror.h"
#include "descriptions.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/optionstext.h"
#include "common/systemnumber.h"
#include "parametersheet.h"
#include "reqtypes/requirementkeys.h"
#include "sheetrows.h"
#include "studentcolumns.h"

#include <QRegularExpression>

namespace zr {

namespace {

const QString ColumnField = QStringLiteral("conselobjIDs");

QString convertPeriods(const Recordset &terms, const QString &periods, const QString &from, const QString &to)
{
    if (periods.isEmpty() || IsRsEmpty(terms) || !terms.hasField(from) || !terms.hasField(to))
        return periods;
    Recordset lookup = terms.clone();
    QStringList out;
    for (const QString &element : periods.split(QLatin1Char(','))) {
        const QStringList parts = element.split(QLatin1Char('-'));
        const QString period = parts.size() == 2 ? parts[1].trimmed() : QString();
        if (period.isEmpty()) {
            out << element;
            continue;
        }
        QString quoted = period;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        try {
            lookup.setFilter(from + QStringLiteral("='") + quoted + QLatin1Char('\''));
        } catch (const ZrError &) {
            // A period the column can not even compare with names no period.
            out << element;
            continue;
        }
        out << (lookup.eof() ? element : parts[0] + QLatin1Char('-') + NzStr(lookup.value(to)));
    }
    return out.join(QLatin1Char(','));
}

// Type 10 columns whose values are numbers typed by the user.
bool storesTrimmed(const QString &column)
{
    static const QStringList trimmed = {QStringLiteral("in_year"), QStringLiteral("sc_apofYear"),
                                        QStringLiteral("sc_arseiras"), QStringLiteral("or_ptyhgrade"),
                                        QStringLiteral("studrate")};
    return trimmed.contains(column, Qt::CaseInsensitive);
}

} // namespace

QString ParameterRowText(const ItemPanelModel &panel, qint32 ocID, const ParameterRow &row)
{
    const QString key = ParamKey(ocID, row.field);
    switch (row.kind) {
    case RowKind::Choice:
    case RowKind::StudentColumn:
        return SelectedChoiceCode(panel, ocID, row.field);
    case RowKind::CodeList:
    case RowKind::Totals:
    case RowKind::ValuePicker:
        return NzStr(panel.hiddenValue(key));
    case RowKind::StudentValue: {
        const QString value = panel.kind(key) == ItemPanelModel::Kind::ChoiceRow
                                  ? SelectedChoiceCode(panel, ocID, row.field)
                                  : NzStr(panel.value(key));
        return storesTrimmed(SelectedChoiceCode(panel, ocID, ColumnField)) ? value.trimmed() : value;
    }
    default:
        return NzStr(panel.value(key));
    }
}

QString SelectedChoiceCode(const ItemPanelModel &panel, qint32 ocID, const QString &field)
{
    const QString selected = NzStr(panel.value(ParamKey(ocID, field)));
    const QString prefix = ChoiceKey(ocID, QString());
    return selected.startsWith(prefix) ? selected.mid(prefix.size()) : QString();
}

int CodeCount(const QString &codes)
{
    return codes.isEmpty() ? 0 : int(codes.split(QLatin1Char(',')).size());
}

QString TeachingPeriodsToNames(const Recordset &terms, const QString &periods)
{
    return convertPeriods(terms, periods, QStringLiteral("termID"), QStringLiteral("termDesc"));
}

QString TeachingPeriodsToIds(const Recordset &terms, const QString &periods)
{
    return convertPeriods(terms, periods, QStringLiteral("termDesc"), QStringLiteral("termID"));
}

RequirementValue LoadConstraintValues(ItemPanelModel &panel, const Recordset &rows, int row, const SheetContext &sheet)
{
    return RequirementValue::fromRow(rows, row, sheet.context).toSheet(panel, sheet);
}

void StoreConstraintValues(ItemPanelModel &panel, Recordset &rows, int row, const SheetContext &sheet,
                           const std::optional<QString> &expression)
{
    const qint32 ocID = ValLng(RequirementFieldAt(rows, row, QStringLiteral("ocID")));
    const int typeId = ValLng(RequirementFieldAt(rows, row, QStringLiteral("conID")));
    StoreValue(panel, RequirementValue::fromSheet(panel, ocID, typeId, sheet, expression), rows, row);
}

void StoreValue(ItemPanelModel &panel, const RequirementValue &value, Recordset &rows, int row)
{
    const qint32 ocID = value.ocID;
    const int typeId = value.typeId;
    value.writeTo(rows, row);
    // What was stored is what the sheet shows.
    const QString categories = ParamKey(ocID, QStringLiteral("conoptval10"));
    if (typeId == 130 && value.operatorCode() == QLatin1String("100") && panel.contains(categories)) {
        panel.setValue(categories, QString());
        panel.setHiddenValue(categories, QString());
        panel.setDescription(categories, QString());
    }
    for (const ParameterValue &parameter : value.parameters) {
        if (parameter.kind != RowKind::StudentColumn)
            continue;
        const QString group = GroupKey(ocID);
        const QString caption = StudentDataCaption(panel.valueText(ParamKey(ocID, parameter.field)), ocID);
        panel.setCaption(group, caption);
        panel.setHint(group, caption);
    }
}

} // namespace zr
