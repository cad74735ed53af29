#include "customoptions.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "common/systemnumber.h"
#include "reqtypes/parametervalidation.h"

#include <cmath>

namespace zr {

namespace {

const QList<OptionEntry> &semesterEntries()
{
    static const QList<OptionEntry> entries{
        {QString::fromLatin1(CustomOptions::KeyGreaterThan), 10005, false, 0},
        {QString::fromLatin1(CustomOptions::KeyLessThan), 10006, false, 0},
    };
    return entries;
}

const QList<OptionEntry> &flagEntries()
{
    static const QList<OptionEntry> entries{
        {QString::fromLatin1(CustomOptions::KeyUseCoeff), 10001, true, 1},
        {QString::fromLatin1(CustomOptions::KeyApalCount), 10002, true, 2},
        {QString::fromLatin1(CustomOptions::KeyMaxGrade), 10003, true, 4},
        {QString::fromLatin1(CustomOptions::KeyUseUnits), 10004, true, 8},
        {QString::fromLatin1(CustomOptions::KeyUseCalcGrade), 10008, true, 16},
    };
    return entries;
}

constexpr int AllFlagBits = 1 | 2 | 4 | 8 | 16;

// A whole number written as digits with an optional sign; anything else is
// not readable as a semester limit or a set of flags.
bool readWholeNumber(const QString &text, qint64 *number)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (ok)
        *number = value;
    return ok;
}

// Converts a number field to the whole number that is stored; values that
// passed the check keep their integer part.
QString wholeNumberText(const QVariant &value)
{
    // A whole number is written exactly, however large, so that a stored
    // value that is only read and saved again keeps every digit.
    qint64 whole = 0;
    if (readWholeNumber(value.toString(), &whole))
        return QString::number(whole);
    double number = 0;
    if (!ReadSystemNumber(value.toString(), &number) || std::fabs(number) >= 1e15)
        return QString();
    return QString::number(static_cast<qint64>(std::trunc(number)));
}

} // namespace

OptionSet OptionSetOf(qint32 requirementType)
{
    switch (requirementType) {
    case 30:
    case 100:
        return OptionSet::SemesterLimits;
    case 80:
    case 90:
        return OptionSet::AverageFlags;
    default:
        return OptionSet::None;
    }
}

QList<OptionEntry> OptionEntriesOf(qint32 requirementType)
{
    switch (OptionSetOf(requirementType)) {
    case OptionSet::SemesterLimits:
        return semesterEntries();
    case OptionSet::AverageFlags:
        return flagEntries();
    case OptionSet::None:
        break;
    }
    return {};
}

CustomOptions::CustomOptions(qint32 requirementType)
    : m_type(requirementType)
    , m_entries(OptionEntriesOf(requirementType))
{
    for (const OptionEntry &entry : std::as_const(m_entries)) {
        m_values << (entry.isCheckBox ? QVariant(0) : QVariant(QString()));
        m_enabled << true;
    }
}

QString UnreadableOptions(qint32 requirementType, const QString &stored)
{
    QStringList parts;
    switch (OptionSetOf(requirementType)) {
    case OptionSet::SemesterLimits:
        parts = stored.split(QLatin1Char(';'));
        break;
    case OptionSet::AverageFlags:
        parts = {stored};
        break;
    case OptionSet::None:
        return QString();
    }
    for (const QString &part : std::as_const(parts)) {
        qint64 number = 0;
        if (!part.trimmed().isEmpty() && !readWholeNumber(part, &number))
            return part;
    }
    return QString();
}

CustomOptions CustomOptions::decode(qint32 requirementType, const QVariant &stored)
{
    CustomOptions options(requirementType);
    const QString text = stored.isNull() ? QString() : stored.toString();
    if (text.isEmpty())
        return options;

    switch (options.optionSet()) {
    case OptionSet::SemesterLimits: {
        const QStringList parts = text.split(QLatin1Char(';'));
        for (int i = 0; i < 2 && i < parts.size(); ++i) {
            qint64 limit = 0;
            // What cannot be read is shown as it is, for the check on OK to refuse.
            options.m_values[i] = readWholeNumber(parts[i], &limit) ? QString::number(limit) : parts[i].trimmed();
        }
        break;
    }
    case OptionSet::AverageFlags: {
        qint64 flags = 0;
        if (!readWholeNumber(text, &flags) || flags < 0)
            flags = 0;
        flags &= AllFlagBits;
        for (int i = 0; i < options.m_entries.size(); ++i)
            options.m_values[i] = (flags & options.m_entries[i].bit) ? 1 : 0;
        // A stored value with both bits set shows both boxes cleared and
        // disabled, so that the user has to decide again.
        const int coeff = options.indexOf(QLatin1String(KeyUseCoeff));
        const int maxGrade = options.indexOf(QLatin1String(KeyMaxGrade));
        if (flags & 1)
            options.m_values[maxGrade] = 0;
        options.m_enabled[maxGrade] = !(flags & 1);
        if (flags & 4)
            options.m_values[coeff] = 0;
        options.m_enabled[coeff] = !(flags & 4);
        break;
    }
    case OptionSet::None:
        break;
    }
    return options;
}

int CustomOptions::indexOf(const QString &key) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].key == key)
            return i;
    }
    return -1;
}

QVariant CustomOptions::value(const QString &key) const
{
    const int i = indexOf(key);
    return i < 0 ? QVariant() : m_values[i];
}

bool CustomOptions::setValue(const QString &key, const QVariant &value, Interlock interlock)
{
    const int i = indexOf(key);
    if (i < 0 || (interlock == Interlock::Apply && !m_enabled[i]))
        return false;
    if (m_entries[i].isCheckBox) {
        qint64 number = 0;
        const bool checked = value.typeId() == QMetaType::Bool ? value.toBool()
                                                               : readWholeNumber(value.toString(), &number) && number != 0;
        m_values[i] = checked ? 1 : 0;
        if (interlock == Interlock::Apply)
            applyInterlock(key);
    } else {
        m_values[i] = value.isNull() ? QString() : value.toString();
    }
    return true;
}

void CustomOptions::applyInterlock(const QString &changedKey)
{
    QString otherKey;
    if (changedKey == QLatin1String(KeyUseCoeff))
        otherKey = QString::fromLatin1(KeyMaxGrade);
    else if (changedKey == QLatin1String(KeyMaxGrade))
        otherKey = QString::fromLatin1(KeyUseCoeff);
    const int other = indexOf(otherKey);
    if (other < 0)
        return;
    const bool checked = isChecked(changedKey);
    m_enabled[other] = !checked;
    if (checked)
        m_values[other] = 0;
}

bool CustomOptions::isChecked(const QString &key) const
{
    const int i = indexOf(key);
    return i >= 0 && m_entries[i].isCheckBox && m_values[i].toInt() != 0;
}

bool CustomOptions::isEnabled(const QString &key) const
{
    const int i = indexOf(key);
    return i >= 0 && m_enabled[i];
}

void CustomOptions::check(const QString &source) const
{
    switch (optionSet()) {
    case OptionSet::SemesterLimits: {
        for (int i = 0; i < 2; ++i) {
            const QString text = m_values[i].toString().trimmed();
            if (!text.isEmpty() && !IsPositiveNumber(text))
                throw ZrError(CheckErrorNumber, source, i == 0 ? GetLangString(20553) : GetLangString(20554));
        }
        break;
    }
    case OptionSet::AverageFlags:
        if (isChecked(QLatin1String(KeyUseCoeff)) && isChecked(QLatin1String(KeyMaxGrade)))
            throw ZrError(CheckErrorNumber, source, GetLangString(20555));
        break;
    case OptionSet::None:
        break;
    }
}

QString CustomOptions::encode() const
{
    switch (optionSet()) {
    case OptionSet::SemesterLimits: {
        const QString greater = wholeNumberText(m_values[0]);
        const QString less = wholeNumberText(m_values[1]);
        return less.isEmpty() ? greater : greater + QLatin1Char(';') + less;
    }
    case OptionSet::AverageFlags: {
        int sum = 0;
        for (int i = 0; i < m_entries.size(); ++i)
            sum += m_entries[i].bit * m_values[i].toInt();
        return QString::number(sum);
    }
    case OptionSet::None:
        break;
    }
    return QString();
}

} // namespace zr
