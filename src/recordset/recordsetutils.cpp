#include "recordset/recordsetutils.h"

#include "common/zrerror.h"
#include "recordset/recordsetfilter.h"

#include <cmath>

namespace zr {

namespace {

Field workingField(const Field &source)
{
    Field f;
    f.name = source.name;
    f.type = source.type;
    f.definedSize = source.definedSize;
    f.attributes = WorkingFieldAttributes;
    if (source.precision != 0)
        f.precision = source.precision;
    return f;
}

// Fields of `source` as a working copy declares them: no chapters, minus those left out.
QList<Field> workingFields(const Recordset &source, const QString &leaveOut)
{
    const QString marked = leaveOut.isEmpty() ? QString() : QLatin1Char(',') + leaveOut;
    QList<Field> out;
    for (const Field &f : source.fields()) {
        if (f.isChapter())
            continue;
        if (!marked.isEmpty() && marked.contains(QLatin1Char(',') + f.name + QLatin1Char(',')))
            continue;
        out.append(workingField(f));
    }
    return out;
}

// Copies the current source row into the current target row, field by name.
void copyRow(const Recordset &source, Recordset &target, const QList<int> &sourceFields,
             const QList<int> &targetFields)
{
    for (int i = 0; i < sourceFields.size(); ++i) {
        const QVariant v = source.value(sourceFields[i]);
        if (!v.isNull())
            target.setValue(targetFields[i], v);
    }
}

// Pairs source and target field indices of the copied fields (no chapters,
// no system fields); a field the target lacks throws.
void matchFields(const Recordset &source, const Recordset &target, QList<int> &sourceFields,
                 QList<int> &targetFields)
{
    for (int f = 0; f < source.fieldCount(); ++f) {
        const Field &field = source.field(f);
        if (field.isChapter() || IsSystemField(field.name))
            continue;
        const int t = target.fieldIndex(field.name);
        if (t < 0)
            throw ZrError(Recordset::ErrUnknownField, QStringLiteral("CopyRecordset"),
                          QStringLiteral("The target has no field '%1'.").arg(field.name));
        sourceFields.append(f);
        targetFields.append(t);
    }
}

bool numberOf(const QVariant &value, double &out)
{
    if (value.isNull())
        return false;
    return detail::numberOf(value, out);
}

} // namespace

bool IsSystemField(const QString &fieldName)
{
    return fieldName == QLatin1String("AltID") || fieldName == QLatin1String("RowGuid")
           || fieldName == QLatin1String("ModifiedDate") || fieldName == QLatin1String("AltKey");
}

bool IsRsEmpty(const Recordset &recordset)
{
    return recordset.isNull() || recordset.recordCount() == 0;
}

Recordset CreateRSDuplicate(const Recordset &source, const QString &leaveOut)
{
    try {
        if (source.isNull())
            throw ZrError(Recordset::ErrNothing, QStringLiteral("CreateRSDuplicate"),
                          QStringLiteral("The source recordset is nothing."));
        Recordset copy(workingFields(source, leaveOut));
        QList<int> from, to;
        for (int t = 0; t < copy.fieldCount(); ++t) {
            if (IsSystemField(copy.field(t).name))
                continue;
            from.append(source.fieldIndex(copy.field(t).name));
            to.append(t);
        }
        if (source.recordCount() > 0) {
            Recordset walker = source; // the same cursor: the source ends at EOF
            for (walker.moveFirst(); !walker.eof(); walker.moveNext()) {
                copy.addNew();
                copyRow(walker, copy, from, to);
            }
        }
        return copy;
    } catch (const ZrError &e) {
        RecordError(e.number, QStringLiteral("CreateRSDuplicate"), e.description);
        return Recordset();
    }
}

void CopyRecordset(const Recordset &source, Recordset &target, qint16 mode, const QStringList &extraNames,
                   const QList<int> &extraTypes, const QList<int> &extraSizes)
{
    try {
        if (source.isNull())
            throw ZrError(Recordset::ErrNothing, QStringLiteral("CopyRecordset"),
                          QStringLiteral("The source recordset is nothing."));
        if (target.isNull()) {
            QList<Field> fields = workingFields(source, QString());
            for (int i = 0; i < extraNames.size(); ++i)
                fields.append(makeField(extraNames[i], i < extraTypes.size() ? extraTypes[i] : int(adVarWChar),
                                        i < extraSizes.size() ? extraSizes[i] : 0, ExtraFieldAttributes));
            target = Recordset(fields);
        }
        if (mode == CopyStructure)
            return;
        QList<int> from, to;
        matchFields(source, target, from, to);
        if (mode == CopyCurrentRow) {
            target.addNew();
            if (source.recordCount() > 0)
                copyRow(source, target, from, to);
            return;
        }
        if (source.recordCount() > 0) {
            Recordset walker = source;
            for (walker.moveFirst(); !walker.eof(); walker.moveNext()) {
                target.addNew();
                copyRow(walker, target, from, to);
            }
        }
        target.updateBatch();
        target.moveFirst();
    } catch (const ZrError &e) {
        RecordError(e.number, QStringLiteral("CopyRecordset"), e.description);
    }
}

Recordset ListTextToRecordset(const QString &listText, const QString &idField, const QString &descrField,
                              const QString &delimiter, bool numericIds)
{
    try {
        Recordset rs({makeField(idField, numericIds ? int(adInteger) : int(adVarWChar), numericIds ? 0 : 255,
                                WorkingFieldAttributes),
                      makeField(descrField, adVarWChar, 255, WorkingFieldAttributes)});
        QString rest = listText;
        if (rest.startsWith(QLatin1String("TEXT:")))
            rest.remove(0, 5);
        if (rest.isEmpty())
            return rs;
        const QStringList items = rest.split(delimiter);
        for (int i = 0; i < items.size(); i += 2) {
            rs.addNew();
            rs.setValue(0, items[i]);
            if (i + 1 < items.size())
                rs.setValue(1, items[i + 1]);
        }
        return rs;
    } catch (const ZrError &e) {
        RecordError(e.number, QStringLiteral("ListTextToRecordset"), e.description);
        return Recordset();
    }
}

QString FormatRecord(const Recordset &recordset, const QString &format)
{
    if (!format.contains(QLatin1Char('%')))
        return NzStr(recordset.value(format));
    QString text = format;
    for (int f = 0; f < recordset.fieldCount() && text.contains(QLatin1Char('%')); ++f) {
        const Field &field = recordset.field(f);
        const QString token = QLatin1Char('%') + field.name + QLatin1Char('%');
        if (!text.contains(token))
            continue;
        text.replace(token, field.isChapter() ? QString() : NzStr(recordset.value(f)));
    }
    return text;
}

QString JoinRecordTexts(const Recordset &recordset, const QString &templateOrField, const QString &enclose,
                        bool isTemplate, const QString &separator)
{
    if (IsRsEmpty(recordset))
        return QString();
    Recordset rows = recordset.clone();
    const int field = isTemplate ? -1 : rows.fieldIndex(templateOrField);
    if (!isTemplate && field < 0)
        throw ZrError(Recordset::ErrUnknownField, QStringLiteral("JoinRecordTexts"),
                      QStringLiteral("Unknown field '%1'.").arg(templateOrField));
    QString out;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        out += isTemplate ? FormatRecord(rows, templateOrField) : enclose + NzStr(rows.value(field)) + enclose;
        out += separator;
    }
    if (!separator.isEmpty() && out.endsWith(separator))
        out.chop(separator.size());
    return out.trimmed();
}

QString DescribeIdList(const Recordset &recordset, const QString &keyField, const QString &textOrTemplate,
                       const QString &codeList, const QString &reserved, bool numericCodes, bool isTemplate,
                       const QString &separator)
{
    Q_UNUSED(reserved);
    Q_UNUSED(isTemplate);
    if (IsRsEmpty(recordset) || codeList.isEmpty())
        return QString();
    Recordset rows = recordset.clone();
    QString out;
    const QStringList codes = separator.isEmpty() ? QStringList{codeList} : codeList.split(separator);
    for (const QString &raw : codes) {
        const QString code = raw.trimmed();
        if (code.isEmpty())
            continue;
        QString criteria = keyField;
        if (numericCodes) {
            criteria += QLatin1Char('=') + code;
        } else {
            QString quoted = code;
            quoted.replace(QLatin1Char('\''), QLatin1String("''"));
            criteria += QLatin1String("='") + quoted + QLatin1Char('\'');
        }
        // A find by key reads the index without compiling a filter per code.
        if (rows.find(criteria, 0, Recordset::SearchForward, Recordset::StartFirst))
            out += FormatRecord(rows, textOrTemplate) + separator;
    }
    if (!separator.isEmpty() && out.endsWith(separator))
        out.chop(separator.size());
    return out;
}

void GRD_LoadColumn(ColumnValueList &column, const QString &idField, const QString &textField,
                    const Recordset &recordset)
{
    try {
        column.clear();
        if (IsRsEmpty(recordset))
            return;
        Recordset rows = recordset.clone();
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            column.append(rows.value(idField), NzStr(rows.value(textField)));
    } catch (const ZrError &e) {
        RecordError(e.number, QStringLiteral("GRD_LoadColumn"), e.description);
    }
}

qint32 ValLng(const QVariant &value)
{
    double d;
    if (!numberOf(value, d))
        return 0;
    const double r = std::nearbyint(d);
    if (r < -2147483648.0 || r > 2147483647.0)
        return 0;
    return qint32(r);
}

double ValCur(const QVariant &value)
{
    double d;
    if (!numberOf(value, d) || std::fabs(d) > 922337203685477.0)
        return 0;
    return std::nearbyint(d * 10000.0) / 10000.0;
}

QString NzStr(const QVariant &value)
{
    if (value.isNull() || value.metaType() == QMetaType::fromType<Recordset>())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QVariant EmptyToNull(const QVariant &value)
{
    return NzStr(value).isEmpty() ? QVariant() : value;
}

} // namespace zr
