#include "coursetypetotals.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "common/systemnumber.h"

namespace zr {

namespace {

const QString SelField = QStringLiteral("sel");
const QString CntField = QStringLiteral("cnt");
const QString IdField = QStringLiteral("ctypeID");
const QString DescField = QStringLiteral("ctypedesc");

// Appends copies of the visible rows of `source` to `target`, field by field
// by name, and accepts them so that the copy carries no pending changes.
void copyRows(const Recordset &source, Recordset &target, bool checkedOnly)
{
    const int fieldCount = source.fieldCount();
    QList<int> targetIndex;
    for (int f = 0; f < fieldCount; ++f)
        targetIndex << target.fieldIndex(source.field(f).name);
    const int sel = source.fieldIndex(SelField);
    for (int row = 0; row < source.recordCount(); ++row) {
        if (checkedOnly && (sel < 0 || source.valueAt(row, sel).toInt() != -1))
            continue;
        target.addNew();
        for (int f = 0; f < fieldCount; ++f) {
            if (targetIndex[f] >= 0 && !source.field(f).isChapter())
                target.setValue(targetIndex[f], source.valueAt(row, f));
        }
    }
    target.updateBatch();
    target.moveFirst();
}

} // namespace

QList<CourseTypeTotal> ParseCourseTypeTotals(const QString &totalsValue)
{
    QList<CourseTypeTotal> totals;
    if (totalsValue.isEmpty())
        return totals;
    const QStringList items = totalsValue.split(QLatin1Char('#'));
    for (const QString &item : items) {
        const QStringList parts = item.split(QLatin1Char(';'));
        bool ok = false;
        const qint32 id = parts[0].trimmed().toInt(&ok);
        if (!ok)
            continue;
        CourseTypeTotal total;
        total.typeId = id;
        double count = 0;
        if (parts.size() > 1 && ReadSystemNumber(parts[1], &count))
            total.count = count;
        totals << total;
    }
    return totals;
}

QString UnreadableTotals(const QString &totalsValue)
{
    if (totalsValue.isEmpty())
        return QString();
    for (const QString &item : totalsValue.split(QLatin1Char('#'))) {
        const QStringList parts = item.split(QLatin1Char(';'));
        bool idOk = false;
        parts[0].trimmed().toInt(&idOk);
        double count = 0;
        if (!idOk || parts.size() != 2 || !ReadSystemNumber(parts[1], &count))
            return item;
    }
    return QString();
}

Recordset BuildCourseTypesWorkingList(const Recordset &courseTypes, bool addTotalRow)
{
    const Recordset source = courseTypes.clone();
    QList<Field> fields;
    for (const Field &field : source.fields()) {
        if (!field.isChapter())
            fields << field;
    }
    fields << makeField(SelField, adInteger) << makeField(CntField, adCurrency);
    Recordset working(fields);
    copyRows(source, working, false);
    if (addTotalRow) {
        working.moveLast();
        working.addNew();
        working.setValue(IdField, AllCourseTypesId);
        if (working.hasField(DescField))
            working.setValue(DescField, GetLangString(20026));
        working.updateBatch();
        working.moveFirst();
    }
    return working;
}

void ApplyCourseTypeTotals(Recordset &workingList, const QString &totalsValue, const QString &source)
{
    const QList<CourseTypeTotal> totals = ParseCourseTypeTotals(totalsValue);
    try {
        for (const CourseTypeTotal &total : totals) {
            workingList.setFilter(IdField + QLatin1Char('=') + QString::number(total.typeId));
            if (workingList.eof())
                throw MakeError(61100, source, {QString::number(total.typeId)});
            workingList.setValue(SelField, -1);
            workingList.setValue(CntField, total.count);
        }
    } catch (...) {
        workingList.setFilter(QString());
        throw;
    }
    workingList.setFilter(QString());
}

Recordset CheckedCourseTypes(const Recordset &workingList)
{
    Recordset result(workingList.fields());
    copyRows(workingList.clone(), result, true);
    return result;
}

QString EncodeCourseTypeTotals(const Recordset &rows)
{
    if (rows.isNull())
        return QString();
    const int id = rows.fieldIndex(IdField);
    const int cnt = rows.fieldIndex(CntField);
    if (id < 0 || cnt < 0)
        return QString();
    QStringList items;
    for (int row = 0; row < rows.recordCount(); ++row) {
        const QVariant count = rows.valueAt(row, cnt);
        items << rows.valueAt(row, id).toString() + QLatin1Char(';')
                + FormatSystemNumber(count.isNull() ? 0.0 : count.toDouble());
    }
    return items.join(QLatin1Char('#'));
}

} // namespace zr
