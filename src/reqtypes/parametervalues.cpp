#include "parametervalues.h"

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
    return decimal.match(text).hasMatch() ? QString(text).replace(QLatin1Char('.'), QLatin1Char(',')) : text;
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// Writes only real changes, so that storing an unchanged sheet leaves the row unmodified.
void writeField(Recordset &rows, const QString &field, const QVariant &value)
{
    const QVariant current = rows.value(field);
    if (current.isNull() == value.isNull() && NzStr(current) == NzStr(value))
        return;
    rows.setValue(field, value);
}

void selectCode(ItemPanelModel &panel, const QString &key, qint32 ocID, const QString &code)
{
    if (code.isEmpty() || !panel.selectChoice(key, ChoiceKey(ocID, code)))
        panel.setValue(key, QVariant());
}

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

void loadRow(ItemPanelModel &panel, const ParameterRow &row, int typeId, qint32 ocID, const QVariant &stored,
             const SheetContext &sheet)
{
    const QString key = ParamKey(ocID, row.field);
    const QString text = NzStr(stored);
    switch (row.kind) {
    case RowKind::Choice: {
        QString code = text;
        const bool useFallback = stored.isNull() || (row.fallbackOnEmpty && text.isEmpty());
        if (useFallback && !row.loadFallback.isNull())
            code = row.loadFallback;
        selectCode(panel, key, ocID, code);
        break;
    }
    case RowKind::Entry:
    case RowKind::Minimum:
        panel.setValue(key, text);
        break;
    case RowKind::ValuePicker: {
        // Courses are kept as stored and shown by code and title.
        const QString names = CourseCodeNames(text, sheet);
        panel.setHiddenValue(key, text);
        panel.setValue(key, names);
        panel.setDescription(key, names);
        break;
    }
    case RowKind::CodeList:
    case RowKind::Totals: {
        const QString names = row.kind == RowKind::Totals ? CourseTypeTotalsText(text, sheet)
                                                          : CodeListNames(row.codes, text, sheet);
        // Codes none of which is known are dropped with their names.
        panel.setHiddenValue(key, names.isEmpty() ? QString() : text);
        panel.setValue(key, names);
        panel.setDescription(key, names);
        break;
    }
    case RowKind::Options:
        panel.setValue(key, text);
        panel.setDescription(key, OptionsText(typeId, text));
        break;
    case RowKind::Flags: {
        // Unreadable flags stay as they are, for validation to name; they are not taken for none.
        const QString flags = UnreadableOptions(typeId, text).isEmpty() ? QString::number(flagsOf(stored)) : text;
        panel.setValue(key, flags);
        panel.setDescription(key, OptionsText(typeId, flags));
        break;
    }
    case RowKind::ExamPeriods:
        panel.setHiddenValue(key, text);
        panel.setValue(key, text);
        break;
    case RowKind::TeachingPeriods:
        panel.setHiddenValue(key, text);
        panel.setValue(key, text.isEmpty() ? text
                                           : TeachingPeriodsToNames(SheetLookupList(sheet, QStringLiteral("SYS_terms")), text));
        break;
    case RowKind::StudentColumn:
        selectCode(panel, key, ocID, text);
        // Named as when it is stored: by the column's description, a saved one with its id.
        panel.setCaption(GroupKey(ocID),
                         StudentDataCaption(panel.valueText(key).isEmpty() ? text : panel.valueText(key), ocID));
        BuildStudentValueRows(panel, ocID, sheet);
        break;
    case RowKind::StudentValue:
        if (panel.kind(key) == ItemPanelModel::Kind::ChoiceRow)
            selectCode(panel, key, ocID, text);
        else
            panel.setValue(key, text);
        break;
    }
}

QVariant storedValueOf(ItemPanelModel &panel, const ParameterRow &row, int typeId, qint32 ocID,
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
    case RowKind::Minimum: {
        if (!text.isEmpty() && text != QLatin1String("0"))
            return text;
        // An empty minimum means all of the chosen codes (subjects or courses, kept behind their names).
        const QString codes = NzStr(panel.hiddenValue(ParamKey(ocID, ColumnField)));
        return QString::number(CodeCount(codes));
    }
    case RowKind::CodeList:
    case RowKind::Totals:
        if (typeId == 130 && row.field == QLatin1String("conoptval10")
            && SelectedChoiceCode(panel, ocID, QStringLiteral("conoperator")) == QLatin1String("100")) {
            // "Different from the corresponding category" names no category.
            panel.setValue(key, QString());
            panel.setHiddenValue(key, QString());
            panel.setDescription(key, QString());
            return QVariant();
        }
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

void LoadConstraintValues(ItemPanelModel &panel, const Recordset &rows, const SheetContext &sheet)
{
    const qint32 ocID = ValLng(rows.value(u"ocID"));
    const int typeId = ValLng(rows.value(u"conID"));
    for (const ParameterRow &row : SheetRows(typeId, sheet.context)) {
        if (panel.contains(ParamKey(ocID, row.field)))
            loadRow(panel, row, typeId, ocID, rows.value(row.field), sheet);
    }
}

void StoreConstraintValues(ItemPanelModel &panel, Recordset &rows, const SheetContext &sheet,
                           const std::optional<QString> &expression)
{
    const qint32 ocID = ValLng(rows.value(u"ocID"));
    const int typeId = ValLng(rows.value(u"conID"));
    for (const ParameterRow &row : SheetRows(typeId, sheet.context)) {
        if (!panel.contains(ParamKey(ocID, row.field)))
            continue;
        writeField(rows, row.field, storedValueOf(panel, row, typeId, ocID, sheet));
        if (row.kind == RowKind::StudentColumn) {
            const QString group = GroupKey(ocID);
            const QString caption = StudentDataCaption(panel.valueText(ParamKey(ocID, row.field)), ocID);
            panel.setCaption(group, caption);
            panel.setHint(group, caption);
        }
    }
    writeField(rows, QStringLiteral("coneval"), expression ? textOrNull(*expression) : QVariant());
}

} // namespace zr
