#include "periodlists.h"

#include "parametervalidation.h"
#include "validationmessage.h"

#include <QStringList>

namespace zr {

namespace {

const QString Source = QStringLiteral("ValidateInput");

// The filter of a look-up may not parse (a field the table lacks): that is
// no match, as for a table that is missing altogether.
bool hasMatch(const Recordset &table, const QString &criteria)
{
    if (table.isNull())
        return false;
    Recordset lookup = table.clone();
    try {
        lookup.setFilter(criteria);
    } catch (const ZrError &) {
        return false;
    }
    return !lookup.eof();
}

bool examPeriodExists(const Recordset &examPeriods, const QString &period)
{
    // Only a whole number can be an exam period code; formatting it again
    // keeps the user's text out of the filter.
    bool ok = false;
    const qlonglong code = period.toLongLong(&ok);
    return ok && hasMatch(examPeriods, QStringLiteral("epID=") + QString::number(code));
}

bool teachingPeriodExists(const Recordset &terms, const QString &period)
{
    QString quoted = period;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return hasMatch(terms, QStringLiteral("termDesc='") + quoted + QLatin1Char('\''));
}

struct PeriodRules
{
    qint32 unknownPeriod;  // a period the table does not have
    qint32 emptyElement;   // nothing between two commas
    bool (*exists)(const Recordset &, const QString &);
};

void checkPeriods(const QString &list, const QString &rowCaption, const QString &requirement,
                  const Recordset &table, const PeriodRules &rules)
{
    if (list.isEmpty())
        return;
    for (const QString &untrimmed : list.split(QLatin1Char(','))) {
        const QString element = untrimmed.trimmed();
        if (element.isEmpty())
            raiseMessage(rules.emptyElement, Source, {Caption(rowCaption), Caption(requirement)});
        const QStringList parts = element.split(QLatin1Char('-'));
        if (parts.size() > 2)
            continue; // not a year with one period; left as it is
        if (!IsPositiveNumber(parts[0].trimmed(), QStringLiteral("=4")))
            raiseMessage(20710, Source, {FixedText(element), Caption(rowCaption), Caption(requirement)});
        if (parts.size() == 2 && !rules.exists(table, parts[1].trimmed()))
            raiseMessage(rules.unknownPeriod, Source, {FixedText(element), Caption(rowCaption), Caption(requirement)});
    }
}

} // namespace

void checkExamPeriodList(const QString &list, const QString &rowCaption, const QString &requirement,
                         const Recordset &examPeriods)
{
    checkPeriods(list, rowCaption, requirement, examPeriods, {20712, 20713, examPeriodExists});
}

void checkTeachingPeriodList(const QString &list, const QString &rowCaption, const QString &requirement,
                             const Recordset &terms)
{
    checkPeriods(list, rowCaption, requirement, terms, {20709, 20711, teachingPeriodExists});
}

void CheckExamPeriods(const QString &list, const QString &rowCaption, const QString &requirement,
                      const Recordset &examPeriods)
{
    RecordedCheck([&] { checkExamPeriodList(list, rowCaption, requirement, examPeriods); });
}

void CheckTeachingPeriods(const QString &list, const QString &rowCaption, const QString &requirement,
                          const Recordset &terms)
{
    RecordedCheck([&] { checkTeachingPeriodList(list, rowCaption, requirement, terms); });
}

} // namespace zr
