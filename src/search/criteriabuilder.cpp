#include "criteriabuilder.h"

#include "common/schema.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

namespace zr {

namespace {

bool isPlainName(const QString &name)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(name).hasMatch();
}

bool isNumberType(int type)
{
    return type == FieldList || type == FieldInteger || type == FieldYesNo || type == FieldDecimal
        || type == FieldCurrency || type == FieldBitMask;
}

bool isIntegerType(int type)
{
    return type == FieldList || type == FieldInteger || type == FieldYesNo || type == FieldBitMask;
}

// A NUL cannot be typed, only pasted, and no database keeps one in a text.
bool hasNul(const QString &text)
{
    return text.contains(QChar(0));
}

QString quoted(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

// Users type Greek dates (d/M/yyyy) as often as ISO ones.
QDate parseDate(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().date();
    const QString text = value.toString().trimmed();
    for (const char *format : {"yyyy-MM-dd", "d/M/yyyy", "d-M-yyyy", "d.M.yyyy"}) {
        const QDate d = QDate::fromString(text, QString::fromLatin1(format));
        if (d.isValid())
            return d;
    }
    return {};
}

QDateTime parseDateTime(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    const QString text = value.toString().trimmed();
    for (const char *format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm",
                               "d/M/yyyy HH:mm:ss", "d/M/yyyy HH:mm"}) {
        const QDateTime d = QDateTime::fromString(text, QString::fromLatin1(format));
        if (d.isValid())
            return d;
    }
    const QDate date = parseDate(value);
    return date.isValid() ? QDateTime(date, QTime(0, 0)) : QDateTime();
}

} // namespace

CriteriaBuilder::CriteriaBuilder(SqlDialect dialect) : m_dialect(dialect) {}

QString CriteriaBuilder::literal(int fieldType, const QVariant &value, bool *ok) const
{
    *ok = false;
    if (!value.isValid() || value.isNull())
        return {};
    if (isNumberType(fieldType)) {
        if (fieldType == FieldYesNo && value.metaType().id() == QMetaType::Bool) {
            *ok = true;
            return value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
        }
        QString text = value.toString().trimmed();
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        bool isNumber = false;
        const double number = QLocale::c().toDouble(text, &isNumber);
        if (!isNumber || text.isEmpty())
            return {};
        if (fieldType == FieldYesNo) {
            *ok = true;
            return number != 0 ? QStringLiteral("-1") : QStringLiteral("0");
        }
        if (isIntegerType(fieldType)) {
            const qlonglong whole = QLocale::c().toLongLong(text, &isNumber);
            if (!isNumber)
                return {};
            *ok = true;
            return QString::number(whole);
        }
        *ok = true;
        return QString::number(number, 'g', 15);
    }
    if (fieldType == FieldDate) {
        const QDate d = parseDate(value);
        if (!d.isValid())
            return {};
        *ok = true;
        const QString text = quoted(d.toString(QStringLiteral("yyyy-MM-dd")));
        // SQLite keeps dates as ISO text; PostgreSQL wants a typed literal.
        return m_dialect == SqlDialect::PostgreSQL ? QStringLiteral("DATE ") + text : text;
    }
    if (fieldType == FieldDateTime) {
        const QDateTime d = parseDateTime(value);
        if (!d.isValid())
            return {};
        *ok = true;
        const QString text = quoted(d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        return m_dialect == SqlDialect::PostgreSQL ? QStringLiteral("TIMESTAMP ") + text : text;
    }
    if (fieldType == FieldTime) {
        const QTime t = QTime::fromString(value.toString().trimmed(), QStringLiteral("H:mm:ss")).isValid()
            ? QTime::fromString(value.toString().trimmed(), QStringLiteral("H:mm:ss"))
            : QTime::fromString(value.toString().trimmed(), QStringLiteral("H:mm"));
        if (!t.isValid())
            return {};
        *ok = true;
        return quoted(t.toString(QStringLiteral("HH:mm:ss")));
    }
    QString text = value.toString();
    if (m_mode & TrimValues)
        text = text.trimmed();
    if (text.isEmpty() || hasNul(text))
        return {};
    *ok = true;
    return quoted(text);
}

QString CriteriaBuilder::likePattern(const QString &field, int fieldType, const QVariant &value,
                                     bool negate, bool prefixOnly, bool *ok) const
{
    *ok = false;
    QString text = value.toString();
    if (m_mode & TrimValues)
        text = text.trimmed();
    if (text.isEmpty() || hasNul(text))
        return {};
    if (isNumberType(fieldType))
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    // The user's % and _ are text to find, not wildcards.
    const bool needsEscape = text.contains(QLatin1Char('%')) || text.contains(QLatin1Char('_'))
        || text.contains(QLatin1Char('\\'));
    if (needsEscape) {
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        text.replace(QLatin1Char('%'), QLatin1String("\\%"));
        text.replace(QLatin1Char('_'), QLatin1String("\\_"));
    }
    const QString pattern = (prefixOnly ? QString() : QStringLiteral("%")) + text + QStringLiteral("%");
    // SQLite's LIKE ignores case already; PostgreSQL needs ILIKE for that.
    const QString op = (m_dialect == SqlDialect::PostgreSQL && (m_mode & IgnoreCase))
        ? QStringLiteral("ILIKE") : QStringLiteral("LIKE");
    *ok = true;
    return field + (negate ? QStringLiteral(" NOT ") : QStringLiteral(" ")) + op + QLatin1Char(' ')
        + quoted(pattern) + (needsEscape ? QStringLiteral(" ESCAPE '\\'") : QString());
}

bool CriteriaBuilder::addCriterion(const QString &field, int fieldType, int operatorCode,
                                   const QVariant &value1, const QVariant &value2)
{
    if (!isPlainName(field))
        return false;
    bool ok = false;
    QString criterion;
    switch (operatorCode) {
    case 1:
        criterion = likePattern(field, fieldType, value1, false, false, &ok);
        break;
    case 6:
        criterion = likePattern(field, fieldType, value1, false, true, &ok);
        break;
    case 7:
        criterion = likePattern(field, fieldType, value1, true, false, &ok);
        break;
    case 5: {
        const QString low = literal(fieldType, value1, &ok);
        if (!ok)
            return false;
        const QString high = literal(fieldType, value2, &ok);
        criterion = field + QStringLiteral(" BETWEEN ") + low + QStringLiteral(" AND ") + high;
        break;
    }
    case 0: case 2: case 3: case 4: case 8: case 9: {
        static const char *const ops[] = {"=", "", "<>", ">", "<", "", "", "", ">=", "<="};
        const QString value = literal(fieldType, value1, &ok);
        criterion = field + QLatin1Char(' ') + QLatin1String(ops[operatorCode]) + QLatin1Char(' ') + value;
        break;
    }
    default:
        return false;
    }
    if (!ok)
        return false;
    m_criteria.append(criterion);
    return true;
}

QString CriteriaBuilder::statement() const
{
    if (m_criteria.isEmpty())
        return {};
    if (m_criteria.size() == 1)
        return QStringLiteral("WHERE ") + m_criteria.first();
    const QString glue = m_combination == CombineAnd ? QStringLiteral(") AND (") : QStringLiteral(") OR (");
    return QStringLiteral("WHERE (") + m_criteria.join(glue) + QLatin1Char(')');
}

} // namespace zr
