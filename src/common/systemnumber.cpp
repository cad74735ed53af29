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

namespace {

QLocale withoutGroups(QLocale::Language language, QLocale::Territory territory)
{
    QLocale locale(language, territory);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// `value` rounded to `decimals` in `locale`'s format, trailing zeros and a bare point dropped.
QString trimmedFixed(const QLocale &locale, double value, int decimals)
{
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

const QLocale &greek()
{
    static const QLocale locale = withoutGroups(QLocale::Greek, QLocale::Greece);
    return locale;
}

} // namespace

QString FormatSystemNumber(double number)
{
    // The four decimals of a currency value.
    return trimmedFixed(greek(), number, 4);
}

QString FormatLanguageNumber(double value, int decimals, int languageId)
{
    if (!std::isfinite(value))
        return QStringLiteral("?");
    static const QLocale english = withoutGroups(QLocale::English, QLocale::UnitedKingdom);
    return trimmedFixed(languageId == LangEnglish ? english : greek(), value, decimals);
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
