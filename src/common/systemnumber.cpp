#include "systemnumber.h"

#include "langstrings.h"

#include <QLocale>

#include <cmath>

namespace zr {

bool ReadSystemNumber(const QString &text, double *number)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    // Greek first, so that "2,5" is two and a half; rejecting group separators
    // keeps "1.000" from reading as a thousand.
    QLocale greek(QLocale::Greek, QLocale::Greece);
    greek.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = greek.toDouble(t, &ok);
    if (!ok) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        value = c.toDouble(t, &ok);
    }
    if (!ok || !std::isfinite(value))
        return false;
    *number = value;
    return true;
}

QString FormatSystemNumber(double number)
{
    QLocale greek(QLocale::Greek, QLocale::Greece);
    greek.setNumberOptions(QLocale::OmitGroupSeparator);
    // Round to the four decimals of a currency value, then drop trailing zeros.
    const double rounded = std::round(number * 10000.0) / 10000.0;
    QString text = greek.toString(rounded, 'f', 4);
    if (text.contains(greek.decimalPoint())) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(greek.decimalPoint()))
            text.chop(greek.decimalPoint().size());
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

QString FormatLanguageNumber(double value, int decimals, int languageId)
{
    if (!std::isfinite(value))
        return QStringLiteral("?");
    static const QLocale greek = [] {
        QLocale l(QLocale::Greek, QLocale::Greece);
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }();
    static const QLocale english = [] {
        QLocale l(QLocale::English, QLocale::UnitedKingdom);
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }();
    const QLocale &locale = languageId == LangEnglish ? english : greek;
    const double scale = std::pow(10.0, decimals);
    QString text = locale.toString(std::round(value * scale) / scale, 'f', decimals);
    const QString point = locale.decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString FormatLanguageNumberKeeping(double value, int languageId, const std::function<bool(double)> &holds)
{
    const bool actual = holds(value);
    for (int decimals = 2; decimals < 9; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        if (holds(std::round(value * scale) / scale) == actual)
            return FormatLanguageNumber(value, decimals, languageId);
    }
    return FormatLanguageNumber(value, 9, languageId);
}

} // namespace zr
