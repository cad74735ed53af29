#include "preparedrequirement.h"

#include "audittext.h"
#include "common/systemnumber.h"
#include "common/zrerror.h"
#include "reqtypes/sheetrows.h"
#include "reqtypes/typecatalog.h"

#include <algorithm>

namespace zr::audit {

namespace {

const QString Source = QStringLiteral("Audit");

std::optional<qint32> wholeNumber(const QString &text)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

QSet<qint32> codeSet(const ParameterValue *value, QList<qint32> *inOrder = nullptr)
{
    QSet<qint32> codes;
    if (!value)
        return codes;
    for (const QString &code : value->codes()) {
        if (const auto id = wholeNumber(code)) {
            if (!codes.contains(*id) && inOrder)
                *inOrder << *id;
            codes.insert(*id);
        }
    }
    return codes;
}

// A value the rule needs and does not have: turned into the error, with the requirement's name, by PrepareRequirement.
struct MissingValue
{
    QString field;
};

[[noreturn]] void refuse(const RequirementValue &, const QString &field)
{
    throw MissingValue{field};
}

// The number of `field`, refused when the rule needs it and it has none.
std::optional<double> numberOf(const RequirementValue &value, const QString &field, bool needed)
{
    const ParameterValue *p = value.parameter(field);
    std::optional<double> n = p ? p->number() : std::nullopt;
    if (p && !n && !p->text().trimmed().isEmpty()) {
        double read = 0;
        if (ReadSystemNumber(p->text(), &read))
            n = read;
    }
    if (!n && needed)
        refuse(value, field);
    return n;
}

int operatorOf(const RequirementValue &value, std::initializer_list<int> allowed)
{
    const auto op = wholeNumber(value.operatorCode());
    if (!op || std::find(allowed.begin(), allowed.end(), *op) == allowed.end())
        refuse(value, QStringLiteral("conoperator"));
    return *op;
}

QString codeOf(const RequirementValue &value, const QString &field)
{
    const ParameterValue *p = value.parameter(field);
    return p ? p->code() : QString();
}

QList<PeriodItem> periodItems(const ParameterValue *value)
{
    QList<PeriodItem> items;
    if (!value)
        return items;
    for (const YearPeriod &yp : value->periods()) {
        PeriodItem item;
        item.year = yp.year.trimmed().toInt();
        item.period = wholeNumber(yp.period);
        items << item;
    }
    return items;
}

// Semester limits "above;below" of types 30 and 100.
void readSemesterLimits(PreparedRequirement &r, const RequirementValue &value)
{
    const ParameterValue *p = value.parameter(QStringLiteral("conoptval5"));
    if (!p)
        return;
    const QStringList parts = p->text().split(QLatin1Char(';'));
    double limit = 0;
    if (!parts.isEmpty() && ReadSystemNumber(parts.at(0), &limit))
        r.semesterAbove = limit;
    if (parts.size() > 1 && ReadSystemNumber(parts.at(1), &limit))
        r.semesterBelow = limit;
}

void readComparison(PreparedRequirement &r, const RequirementValue &value, std::initializer_list<int> operators)
{
    r.op = operatorOf(value, operators);
    r.value1 = numberOf(value, QStringLiteral("conoptval1"), true);
    r.value2 = numberOf(value, QStringLiteral("conoptval2"), r.op == 5);
}

void readCourseFilters(PreparedRequirement &r, const RequirementValue &value)
{
    r.exceptedCourses = codeSet(value.parameter(QStringLiteral("conoptval7")));
    r.exceptedTypes = codeSet(value.parameter(QStringLiteral("conoptval8")));
    r.modes = codeSet(value.parameter(QStringLiteral("conoptval9")));
    r.sectors = codeSet(value.parameter(QStringLiteral("conoptval10")));
    r.subjects = codeSet(value.parameter(QStringLiteral("conoptval11")));
}

void readSelection(PreparedRequirement &r, const RequirementValue &value)
{
    const QString field = QStringLiteral("conselobjIDs");
    r.selected = codeSet(value.parameter(field), &r.selectedInOrder);
    r.selectsAll = r.selected.contains(-1);
}

void readTotal(PreparedRequirement &r, const RequirementValue &value, int fallback)
{
    r.total = wholeNumber(codeOf(value, QStringLiteral("conoptval6"))).value_or(fallback);
}

void readAverage(PreparedRequirement &r, const RequirementValue &value)
{
    readCourseFilters(r, value);
    r.grade = *numberOf(value, QStringLiteral("conoptval3"), true) * 10;
    if (const ParameterValue *p = value.parameter(QStringLiteral("conoptval4")))
        r.flags = p->flags();
    if (const ParameterValue *p = value.parameter(QStringLiteral("conoptval5")))
        r.performance = p->totals();
    if (const ParameterValue *p = value.parameter(QStringLiteral("conoptval12")))
        r.averageTypes = p->totals();
}

} // namespace

namespace {
PreparedRequirement prepare(const RequirementValue &value);
} // namespace

PreparedRequirement PrepareRequirement(const RequirementValue &value, const QString &named)
{
    try {
        return prepare(value);
    } catch (const MissingValue &missing) {
        const ParameterRow row = SheetRow(value.typeId, value.context, missing.field);
        const QString label = row.labelId != 0 ? GetLangString(row.labelId) : missing.field;
        throw ZrError(ErrNoValueToCheck, Source,
                      named.isEmpty() ? AuditText(StrNoValueToCheck, {QString::number(value.ocID), GetTypeName(value.typeId), label})
                                      : AuditText(StrNoValueToCheckNamed, {named, label}));
    }
}

namespace {

PreparedRequirement prepare(const RequirementValue &value)
{
    PreparedRequirement r;
    r.ocID = value.ocID;
    r.typeId = value.typeId;
    r.context = value.context;
    r.caption = GetTypeName(value.typeId);
    const QString selectedField = QStringLiteral("conselobjIDs");
    switch (value.typeId) {
    case 10: {
        const ParameterValue *column = value.parameter(selectedField);
        r.column = column ? column->code() : QString();
        if (r.column.isEmpty())
            refuse(value, selectedField);
        r.op = operatorOf(value, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
        const ParameterValue *v1 = value.parameter(QStringLiteral("conoptval1"));
        const ParameterValue *v2 = value.parameter(QStringLiteral("conoptval2"));
        r.text1 = v1 ? v1->stored.toString() : QString();
        r.text2 = v2 ? v2->stored.toString() : QString();
        if (r.text1.isEmpty())
            refuse(value, QStringLiteral("conoptval1"));
        if (r.op == 5 && r.text2.isEmpty())
            refuse(value, QStringLiteral("conoptval2"));
        r.value1 = numberOf(value, QStringLiteral("conoptval1"), false);
        r.value2 = numberOf(value, QStringLiteral("conoptval2"), false);
        break;
    }
    case 20:
    case 40:
    case 50:
    case 110:
    case 120:
        readSelection(r, value);
        if (r.selected.isEmpty())
            refuse(value, selectedField);
        readTotal(r, value, 0);
        readComparison(r, value, {0, 3, 4, 5, 8, 9});
        readCourseFilters(r, value);
        if (value.typeId == 20)
            r.minimum = numberOf(value, QStringLiteral("conoptval4"), false);
        break;
    case 30:
        readSelection(r, value);
        if (r.selected.isEmpty())
            refuse(value, selectedField);
        r.minimum = numberOf(value, QStringLiteral("conoptval4"), false);
        r.op = operatorOf(value, {0, 3, 8});
        r.grade = *numberOf(value, QStringLiteral("conoptval3"), true) * 10;
        readSemesterLimits(r, value);
        r.substitutions = wholeNumber(codeOf(value, QStringLiteral("conoptval6"))).value_or(0) != 0;
        r.exemptionMeetsGrade = codeOf(value, QStringLiteral("conoptval7")) != QLatin1String("0");
        break;
    case 60:
        r.selected.insert(wholeNumber(codeOf(value, selectedField)).value_or(-1));
        r.selectsAll = r.selected.contains(-1);
        readTotal(r, value, 1);
        r.op = operatorOf(value, {0, 3, 4, 8, 9});
        r.value1 = numberOf(value, QStringLiteral("conoptval1"), true);
        break;
    case 70:
        r.total = 1;
        r.op = operatorOf(value, {0, 3, 4, 8, 9});
        r.value1 = numberOf(value, QStringLiteral("conoptval1"), true);
        break;
    case 80:
        readSelection(r, value);
        r.selectsAll = r.selectsAll || r.selected.isEmpty();
        r.examPeriods = periodItems(value.parameter(QStringLiteral("conoptval1")));
        r.teachingPeriods = periodItems(value.parameter(QStringLiteral("conoptval2")));
        readAverage(r, value);
        break;
    case 90: {
        r.op = operatorOf(value, {0, 5});
        const double first = *numberOf(value, QStringLiteral("conoptval1"), true);
        const double second = r.op == 5 ? *numberOf(value, QStringLiteral("conoptval2"), true) : first;
        r.yearFrom = qint32(std::min(first, second));
        r.yearTo = qint32(std::max(first, second));
        const auto term = wholeNumber(codeOf(value, QStringLiteral("conoptval6")));
        if (term && *term != -1)
            r.term = term;
        readAverage(r, value);
        break;
    }
    case 100:
        readSelection(r, value);
        if (r.selected.isEmpty())
            refuse(value, selectedField);
        r.minimum = numberOf(value, QStringLiteral("conoptval4"), false);
        r.enrolment = wholeNumber(codeOf(value, QStringLiteral("conoptval6"))).value_or(1);
        r.byProgrammePeriod = codeOf(value, QStringLiteral("conoptval3")) == QLatin1String("-1");
        readSemesterLimits(r, value);
        break;
    case 130:
        readSelection(r, value);
        if (r.selected.isEmpty())
            refuse(value, selectedField);
        r.corresponding = codeOf(value, QStringLiteral("conoptval1")) != QLatin1String("0");
        r.op = wholeNumber(value.operatorCode()).value_or(-1);
        r.categories = codeSet(value.parameter(QStringLiteral("conoptval10")));
        break;
    default:
        throw ZrError(ErrUnknownType, Source, AuditText(StrUnknownType, {QString::number(value.ocID),
                                                                    QString::number(value.typeId)}));
    }
    // Stored without the mark, as by a host that does not know it: the course counts everywhere.
    if (r.typeId == 20 || r.typeId == 30 || r.typeId == 40 || r.typeId == 50 || r.typeId == 110 || r.typeId == 120)
        r.claims = codeOf(value, QStringLiteral("conoptval12")) == QLatin1String("1");
    return r;
}

} // namespace

} // namespace zr::audit
