#include "parametervalues.h"

#include "recordset/recordsetutils.h"
#include "common/zrerror.h"


namespace zr {

namespace {

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

} // namespace

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

} // namespace zr
