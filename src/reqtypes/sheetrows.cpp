#include "sheetrows.h"

#include "common/langstrings.h"

#include <QHash>

namespace zr {

namespace {

ParameterRow row(const QString &field, qint32 labelId, RowKind kind, qint32 helpId = 0,
                 HelpPlacement placement = HelpPlacement::HintAndDescription)
{
    ParameterRow r;
    r.field = field;
    r.labelId = labelId;
    r.kind = kind;
    r.helpId = helpId;
    r.helpPlacement = placement;
    return r;
}

ParameterRow codeList(const QString &field, qint32 labelId, qint32 helpId, HelpPlacement placement,
                      CodeListSource codes)
{
    ParameterRow r = row(field, labelId, RowKind::CodeList, helpId, placement);
    r.codes = std::move(codes);
    return r;
}

ParameterRow choice(const QString &field, qint32 labelId, QList<FixedChoice> choices, const QString &defaultCode,
                    qint32 helpId = 0, HelpPlacement placement = HelpPlacement::HintAndDescription)
{
    ParameterRow r = row(field, labelId, RowKind::Choice, helpId, placement);
    r.choices = std::move(choices);
    r.defaultValue = defaultCode;
    return r;
}

ParameterRow withFallback(ParameterRow r, const QString &code, bool onEmptyToo = true)
{
    r.loadFallback = code;
    r.fallbackOnEmpty = onEmptyToo;
    return r;
}

ParameterRow withDefault(ParameterRow r, const QString &value)
{
    r.defaultValue = value;
    return r;
}

ParameterRow hiddenIf(ParameterRow r, bool hidden)
{
    r.visible = !hidden;
    return r;
}

const QString Selected = QStringLiteral("conselobjIDs");

// The code tables that name the codes of the list rows.
CodeListSource courseTypes() { return {QStringLiteral("SYS_CourseType"), QStringLiteral("ctypeID"), QStringLiteral("ctypedesc"), false, true}; }
CodeListSource semesters() { return {QStringLiteral("SYS_semesters"), QStringLiteral("semID"), QStringLiteral("semshort"), false, true}; }
CodeListSource groups() { return {QStringLiteral("QEMDPGroup"), QStringLiteral("dgID"), QStringLiteral("[%groupID%] %dgname%"), true, false}; }
CodeListSource subjects() { return {QStringLiteral("SYS_Dep_CourseArea"), QStringLiteral("areaID"), QStringLiteral("coursearea"), false, false}; }
CodeListSource modes() { return {QStringLiteral("SYS_CourseCategory"), QStringLiteral("categoryID"), QStringLiteral("coursecategory"), false, false}; }
CodeListSource sectors() { return {QStringLiteral("SYS_Dep_CourseSector"), QStringLiteral("sectorID"), QStringLiteral("coursesector"), false, false}; }
CodeListSource sectionCategories() { return {QStringLiteral("SYS_Dep_SectionCategories"), QStringLiteral("sectcatID"), QStringLiteral("sectcatdescr"), false, false}; }

ParameterRow operatorRow(OperatorList list, const QString &defaultCode, qint32 helpId = 0,
                         HelpPlacement placement = HelpPlacement::HintAndDescription)
{
    return choice(QStringLiteral("conoperator"), 20339, OperatorChoices(list), defaultCode, helpId, placement);
}

ParameterRow totalRow(int typeId, int context, const QString &defaultCode)
{
    return choice(QStringLiteral("conoptval6"), 20605, TotalChoices(typeId, context), defaultCode);
}

ParameterRow value1Row() { return row(QStringLiteral("conoptval1"), 20597, RowKind::Entry, 20610); }
ParameterRow value2Row() { return row(QStringLiteral("conoptval2"), 20598, RowKind::Entry, 20611); }
ParameterRow courseExceptions() { return row(QStringLiteral("conoptval7"), 20614, RowKind::ValuePicker, 20615); }
ParameterRow courseTypeExceptions()
{
    return codeList(QStringLiteral("conoptval8"), 20616, 20617, HelpPlacement::HintAndDescription, courseTypes());
}
ParameterRow modesFilter() { return codeList(QStringLiteral("conoptval9"), 20601, 20618, HelpPlacement::HintOnly, modes()); }
ParameterRow sectorsFilter() { return codeList(QStringLiteral("conoptval10"), 20603, 20619, HelpPlacement::HintOnly, sectors()); }
ParameterRow subjectsFilter() { return codeList(QStringLiteral("conoptval11"), 20599, 20620, HelpPlacement::HintOnly, subjects()); }
ParameterRow typePerformance() { return row(QStringLiteral("conoptval5"), 20646, RowKind::Totals, 20647); }
ParameterRow averageCourseTypes() { return row(QStringLiteral("conoptval12"), 20650, RowKind::Totals, 20651); }
// An extension of ours: a row stored without it reads as "no", each course counted wherever it is selected.
ParameterRow claimRow()
{
    return choice(QStringLiteral("conoptval12"), 20775, ClaimChoices(), QStringLiteral("0"), 20776);
}
ParameterRow gradeRow(qint32 helpId, HelpPlacement placement)
{
    return withDefault(row(QStringLiteral("conoptval3"), 20648, RowKind::Entry, helpId, placement), QStringLiteral("0,5"));
}

// The options row's description is the text of its option string; only the hint is fixed.
ParameterRow optionsRow(const QString &field, qint32 labelId, RowKind kind, const QString &defaultValue)
{
    return withDefault(row(field, labelId, kind, 20629, HelpPlacement::HintOnly), defaultValue);
}

// A new total asks for at least its figure ("≥"), as regulations do; a course group counts courses.
QList<ParameterRow> classificationRows(int typeId, int context)
{
    QList<ParameterRow> rows;
    switch (typeId) {
    case 20:
        rows << codeList(Selected, 20599, 20600, HelpPlacement::HintOnly, subjects());
        break;
    case 110:
        rows << codeList(Selected, 20601, 20602, HelpPlacement::HintOnly, modes());
        break;
    default:
        rows << codeList(Selected, 20603, 20604, HelpPlacement::HintOnly, sectors());
        break;
    }
    rows << totalRow(typeId, context, QStringLiteral("0"))
         << operatorRow(OperatorList::NumericTotals, QStringLiteral("8"), 20609) << value1Row() << value2Row();
    // The hidden minimum makes the stored minimum the number of chosen subjects.
    if (typeId == 20)
        rows << hiddenIf(withDefault(row(QStringLiteral("conoptval4"), 20612, RowKind::Minimum, 20613), QStringLiteral("0")),
                         true);
    rows << courseExceptions() << courseTypeExceptions();
    if (typeId == 20)
        rows << modesFilter() << sectorsFilter();
    else if (typeId == 110)
        rows << sectorsFilter() << subjectsFilter();
    else
        rows << modesFilter() << subjectsFilter();
    rows << claimRow();
    return rows;
}

} // namespace

bool ParameterRow::isPicker() const
{
    switch (kind) {
    case RowKind::ValuePicker:
    case RowKind::CodeList:
    case RowKind::Totals:
    case RowKind::Options:
    case RowKind::Flags:
        return true;
    default:
        return false;
    }
}

namespace {
QList<ParameterRow> buildSheetRows(int typeId, int context)
{
    const bool textbooks = context == 112;
    switch (typeId) {
    case 10: {
        ParameterRow column = row(Selected, 20586, RowKind::StudentColumn);
        column.source = ChoiceSource::StudentColumns;
        column.defaultValue = QStringLiteral("exam_ID");
        return {column, operatorRow(OperatorList::AllTen, QStringLiteral("0")),
                row(QStringLiteral("conoptval1"), 20597, RowKind::StudentValue),
                row(QStringLiteral("conoptval2"), 20598, RowKind::StudentValue)};
    }
    case 20:
    case 110:
    case 120:
        return classificationRows(typeId, context);
    case 30: {
        ParameterRow minimum = withDefault(row(QStringLiteral("conoptval4"), 20623, RowKind::Minimum, 20624,
                                               HelpPlacement::DescriptionOnly),
                                           QStringLiteral("0"));
        minimum.helpSecondId = 20772;
        return {row(Selected, 20621, RowKind::ValuePicker, 20622),
                minimum,
                operatorRow(OperatorList::Grade, QStringLiteral("8"), 20625, HelpPlacement::DescriptionOnly),
                withDefault(row(QStringLiteral("conoptval3"), 20626, RowKind::Entry, 20627, HelpPlacement::DescriptionOnly),
                            QStringLiteral("0,5")),
                optionsRow(QStringLiteral("conoptval5"), 20628, RowKind::Options, QString(QLatin1String(""))),
                choice(QStringLiteral("conoptval6"), 20768, SubstitutionChoices(), QStringLiteral("0")),
                // An extension of ours: a row stored without it reads as "yes", the rule as it always was.
                choice(QStringLiteral("conoptval7"), 20773, ExemptionGradeChoices(), QStringLiteral("1"), 20774),
                claimRow()};
    }
    case 40:
        return {codeList(Selected, 20630, 20631, HelpPlacement::HintAndDescription, courseTypes()),
                withFallback(totalRow(40, context, textbooks ? QStringLiteral("1") : QStringLiteral("0")), QStringLiteral("0")),
                operatorRow(OperatorList::NumericTotals, QStringLiteral("8"), 20609),
                value1Row(),
                value2Row(),
                hiddenIf(courseExceptions(), textbooks),
                hiddenIf(modesFilter(), textbooks),
                hiddenIf(sectorsFilter(), textbooks),
                hiddenIf(subjectsFilter(), textbooks),
                hiddenIf(claimRow(), textbooks)};
    case 50:
        return {codeList(Selected, 20633, 20634, HelpPlacement::HintAndDescription, groups()),
                withFallback(totalRow(50, context, QStringLiteral("1")), QStringLiteral("0")),
                operatorRow(OperatorList::NumericTotals, QStringLiteral("8"), 20609),
                value1Row(),
                value2Row(),
                courseExceptions(),
                claimRow()};
    case 60: {
        ParameterRow projectType = row(Selected, 20635, RowKind::Choice, 20636);
        projectType.source = ChoiceSource::ProjectTypes;
        projectType.defaultValue = QStringLiteral("-1");
        return {withFallback(projectType, QStringLiteral("-1")),
                withFallback(totalRow(60, context, QStringLiteral("0")), QStringLiteral("0")),
                operatorRow(OperatorList::Counts, QStringLiteral("0"), 20609),
                row(QStringLiteral("conoptval1"), 20638, RowKind::Entry)};
    }
    case 70:
        return {withFallback(totalRow(70, context, QStringLiteral("1")), QStringLiteral("0")),
                operatorRow(OperatorList::Counts, QStringLiteral("0"), 20609),
                row(QStringLiteral("conoptval1"), 20638, RowKind::Entry, 20610)};
    case 80:
        return {codeList(Selected, 20640, 20641, HelpPlacement::DescriptionOnly, semesters()),
                withDefault(row(QStringLiteral("conoptval1"), 20642, RowKind::ExamPeriods, 20643,
                                HelpPlacement::DescriptionOnly),
                            QString(QLatin1String(""))),
                withDefault(row(QStringLiteral("conoptval2"), 20644, RowKind::TeachingPeriods, 20645,
                                HelpPlacement::DescriptionOnly),
                            QString(QLatin1String(""))),
                typePerformance(),
                courseExceptions(),
                courseTypeExceptions(),
                modesFilter(),
                sectorsFilter(),
                subjectsFilter(),
                gradeRow(20649, HelpPlacement::DescriptionOnly),
                optionsRow(QStringLiteral("conoptval4"), 20552, RowKind::Flags, QStringLiteral("0")),
                averageCourseTypes()};
    case 90: {
        ParameterRow period = row(QStringLiteral("conoptval6"), 20657, RowKind::Choice, 20658);
        period.source = ChoiceSource::Terms;
        period.defaultValue = QStringLiteral("-1");
        return {operatorRow(OperatorList::AcademicYears, QStringLiteral("0"), 20652),
                row(QStringLiteral("conoptval1"), 20653, RowKind::Entry, 20654),
                row(QStringLiteral("conoptval2"), 20655, RowKind::Entry, 20656),
                period,
                typePerformance(),
                courseExceptions(),
                courseTypeExceptions(),
                modesFilter(),
                sectorsFilter(),
                subjectsFilter(),
                gradeRow(20659, HelpPlacement::HintAndDescription),
                optionsRow(QStringLiteral("conoptval4"), 20628, RowKind::Flags, QStringLiteral("0")),
                averageCourseTypes()};
    }
    case 100:
        return {row(Selected, 20621, RowKind::ValuePicker, 20660),
                withDefault(row(QStringLiteral("conoptval4"), 20661, RowKind::Minimum, 20624,
                                HelpPlacement::DescriptionOnly),
                            QStringLiteral("0")),
                withFallback(choice(QStringLiteral("conoptval6"), 20662, EnrolmentChoices(), QStringLiteral("-1"), 20668),
                             QStringLiteral("0")),
                withFallback(choice(QStringLiteral("conoptval3"), 20669, YesNoChoices(), QStringLiteral("0"), 20670),
                             QStringLiteral("0")),
                optionsRow(QStringLiteral("conoptval5"), 20552, RowKind::Options, QString(QLatin1String("")))};
    case 130: {
        ParameterRow answer = choice(QStringLiteral("conoptval1"), 20673, YesNoChoices(), QStringLiteral("-1"), 20675);
        answer.helpSecondId = 20674;
        answer.helpIsTemplate = true;
        return {row(Selected, 20671, RowKind::ValuePicker, 20672),
                withFallback(answer, QStringLiteral("-1")),
                withFallback(operatorRow(OperatorList::ClassCategory, QStringLiteral("-1"), 20676), QStringLiteral("-1"),
                             false),
                codeList(QStringLiteral("conoptval10"), 20680, 20681, HelpPlacement::HintAndDescription,
                         sectionCategories())};
    }
    default:
        return {};
    }
}

} // namespace

QList<ParameterRow> SheetRows(int typeId, int context)
{
    // Loading, checking and writing back ask for a type's rows several times per
    // requirement; they depend on the type and the context alone (texts are kept
    // as string ids), so each pair is built once per thread.
    static thread_local QHash<quint64, QList<ParameterRow>> built;
    const quint64 key = (quint64(quint32(typeId)) << 32) | quint32(context);
    auto it = built.constFind(key);
    if (it == built.constEnd())
        it = built.insert(key, buildSheetRows(typeId, context));
    return *it;
}

ParameterRow SheetRow(int typeId, int context, const QString &field)
{
    for (const ParameterRow &candidate : SheetRows(typeId, context)) {
        if (candidate.field.compare(field, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return {};
}

QString RowHelpText(const ParameterRow &row)
{
    if (row.helpId == 0)
        return QString();
    const QString text = GetLangString(row.helpId);
    if (row.helpSecondId == 0)
        return ReplaceParams(text, {});
    if (row.helpIsTemplate)
        return ReplaceParams(text, {GetLangString(row.helpSecondId)});
    return text + QLatin1Char(' ') + GetLangString(row.helpSecondId);
}

} // namespace zr
