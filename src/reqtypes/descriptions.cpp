#include "descriptions.h"

#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/coursetypetotals.h"
#include "common/systemnumber.h"
#include "parametersheet.h"
#include "studentcolumns.h"
#include "recordset/lookupcache.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/optionstext.h"
#include "reqtypes/parametervalues.h"
#include "reqtypes/requirementvalue.h"
#include "sheetrows.h"
#include "typecatalog.h"

#include <QRegularExpression>

namespace zr {

namespace {
bool isWholeNumber(const QString &code)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9]{1,9}$"));
    return number.match(code).hasMatch();
}
} // namespace

QString DescribeCodeList(const Recordset &table, const QString &keyField, const QString &text, const QString &codes,
                         bool isTemplate)
{
    // Only whole numbers reach the filter, so a stored text can never widen it.
    QStringList known;
    for (const QString &code : codes.split(QLatin1Char(','))) {
        if (isWholeNumber(code.trimmed()))
            known << code.trimmed();
    }
    if (known.isEmpty())
        return QString();
    return DescribeIdList(table, keyField, text, known.join(QLatin1Char(',')), QString(), true, isTemplate);
}

QString CourseCodeNames(const QString &codes, const SheetContext &sheet)
{
    if (codes.trimmed().isEmpty())
        return QString();
    const QStringList list = codes.split(QLatin1Char(','));
    QList<qint32> ids;
    for (const QString &code : list) {
        if (isWholeNumber(code.trimmed()))
            ids << code.trimmed().toInt();
    }
    if (sheet.lookups)
        sheet.lookups->fetchCourseNames(ids);
    QStringList names;
    for (const QString &code : list) {
        const QString name = sheet.lookups && isWholeNumber(code.trimmed())
                                 ? sheet.lookups->courseName(code.trimmed().toInt())
                                 : QString();
        names << (name.isEmpty() ? code.trimmed() : name);
    }
    return names.join(QStringLiteral(", "));
}

Recordset CodeListTable(const CodeListSource &source, const SheetContext &sheet)
{
    if (source.table.isEmpty())
        return Recordset();
    QString filter;
    if (source.table == QLatin1String("QEMDPGroup"))
        filter = QStringLiteral("prID = ") + NzStr(sheet.programmeId) + QStringLiteral(" AND dgtypeID <> 1");
    return SheetLookupList(sheet, source.table, filter, source.withAll);
}

QString CodeListNames(const CodeListSource &source, const QString &codes, const SheetContext &sheet)
{
    if (codes.trimmed().isEmpty() || source.table.isEmpty())
        return QString();
    return DescribeCodeList(CodeListTable(source, sheet), source.keyField, source.text, codes, source.isTemplate);
}

QString CourseTypeTotalsText(const Recordset &courseTypes, const QString &totals)
{
    QString text;
    for (const CourseTypeTotal &total : ParseCourseTypeTotals(totals)) {
        const QString count = FormatSystemNumber(total.count);
        if (total.typeId == AllCourseTypesId) {
            // One pass over the template, so a "%2" in a name stays as it is.
            text = GetLangString(20706).arg(text, count);
        } else {
            text += DescribeCodeList(courseTypes, QStringLiteral("ctypeID"), QStringLiteral("ctypeabbr"),
                                     QString::number(total.typeId))
                + QStringLiteral(" (") + count + QStringLiteral("), ");
        }
    }
    text = text.trimmed();
    if (!text.isEmpty())
        text.chop(1);
    return text;
}

QString CourseTypeTotalsText(const QString &totals, const SheetContext &sheet)
{
    if (totals.trimmed().isEmpty())
        return QString();
    return CourseTypeTotalsText(SheetLookupList(sheet, QStringLiteral("SYS_CourseType")), totals);
}

QString ParameterNames(const ParameterValue &parameter, const ParameterRow &row, const SheetContext &sheet)
{
    const QString text = parameter.text();
    switch (row.kind) {
    case RowKind::ValuePicker:
        return CourseCodeNames(text, sheet);
    case RowKind::CodeList:
        return CodeListNames(row.codes, text, sheet);
    case RowKind::Totals:
        return CourseTypeTotalsText(text, sheet);
    case RowKind::Options:
        return OptionsText(parameter.typeId, text);
    case RowKind::Flags:
        // Unreadable flags are named as they are, not taken for none.
        return OptionsText(parameter.typeId, UnreadableOptions(parameter.typeId, text).isEmpty()
                                                 ? QString::number(parameter.flags())
                                                 : text);
    case RowKind::TeachingPeriods:
        return text.isEmpty() ? text : TeachingPeriodsToNames(SheetLookupList(sheet, QStringLiteral("SYS_terms")), text);
    default:
        return text;
    }
}

namespace {
// The caption of a choice row's code; the code itself when nothing names it.
QString choiceText(const ParameterRow &row, const QString &code, const SheetContext &sheet)
{
    QString name;
    switch (row.source) {
    case ChoiceSource::Fixed:
        for (const FixedChoice &choice : row.choices) {
            if (choice.code == code && choice.textId)
                name = GetLangString(choice.textId);
        }
        break;
    case ChoiceSource::ProjectTypes:
        name = DescribeCodeList(SheetLookupList(sheet, QStringLiteral("SYS_ERGASIA_TYPE"), QString(), true),
                                QStringLiteral("ID"), QStringLiteral("descr"), code);
        break;
    case ChoiceSource::Terms:
        name = DescribeCodeList(SheetLookupList(sheet, QStringLiteral("SYS_terms"), QString(), true),
                                QStringLiteral("termID"), QStringLiteral("termDesc"), code);
        break;
    case ChoiceSource::StudentColumns:
        for (const SchemaColumn &column : StudentColumns(sheet.students, sheet.objectKind)) {
            if (column.name == code)
                name = column.caption();
        }
        break;
    }
    return name.isEmpty() ? code : name;
}
} // namespace

QString ParameterValueText(const ParameterValue &value, const SheetContext &sheet)
{
    const QString text = NzStr(value.stored);
    if (text.trimmed().isEmpty())
        return QString();
    const ParameterRow row = SheetRow(value.typeId, sheet.context, value.field);
    QString shown;
    switch (value.kind) {
    case RowKind::Choice:
    case RowKind::StudentColumn:
        shown = choiceText(row, text, sheet);
        break;
    case RowKind::CodeList: {
        // One by one, so that a code no table names still shows: a change to it is a change.
        QStringList names;
        for (const QString &code : value.codes()) {
            const QString name = CodeListNames(row.codes, code, sheet);
            names << (name.isEmpty() ? code : name);
        }
        shown = names.join(QStringLiteral(", "));
        break;
    }
    default:
        shown = ParameterNames(value, row, sheet);
        break;
    }
    // Option texts come in lines; a change is said on one.
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("; "));
    return shown.isEmpty() ? text : shown;
}

QString StudentDataCaption(const QString &columnText, qint32 savedId)
{
    // A requirement without a column keeps the plain type name.
    const QString caption = columnText.isEmpty() ? GetTypeName(10) : GetTypeName(10) + QStringLiteral(" - ") + columnText;
    if (savedId > 0)
        return QLatin1Char('(') + QString::number(savedId) + QStringLiteral(") ") + caption;
    return caption;
}

} // namespace zr
