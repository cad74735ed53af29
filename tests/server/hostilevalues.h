#pragma once

// Hostile text for the injection and abuse tests, read from data/ beside this header.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <QTest>

namespace zr::test {

/// The strings of a JSON array in data/, one a line.
inline QStringList corpus(const QString &found)
{
    QFile file(found);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(found));
    QStringList out;
    for (const QJsonValue v : QJsonDocument::fromJson(file.readAll()).array())
        out << v.toString();
    return out;
}

/// Filters a caller must never get past the server: second statements, comments, sub-queries,
/// unions, functions, unknown columns, malformed text, and one character past the longest taken.
inline QStringList hostileFilters()
{
    return corpus(QFINDTESTDATA("../server/data/hostile-filters.json")) << QStringLiteral("courseID = 1").leftJustified(16001);
}

/// What a user might type to reach the database, each payload bare and in the forms a real
/// attack takes (after a Greek name, after a number, spaced out), then very long and control text.
inline QStringList hostileValues()
{
    QStringList values;
    for (const QString &p : corpus(QFINDTESTDATA("../server/data/hostile-values.json")))
        values << p << QString::fromUtf16(u"\u03a0\u03b1\u03c0\u03b1\u03b4") + p << QStringLiteral("12345") + p
               << QStringLiteral("  ") + p + QStringLiteral("  ");
    values << QString(4000, QLatin1Char('\'')) << QString(4000, QLatin1Char('%'))
           << QStringLiteral("' OR '1'='1").repeated(300) << (QStringLiteral("x") + QChar(0) + QStringLiteral("' OR 1=1 --"))
           << QStringLiteral("x\x01\x02\x1b[2J'");
    return values;
}

} // namespace zr::test
