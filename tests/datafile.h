#pragma once

// Test rows kept as data: a tab-separated file under a suite's data/ folder whose first line
// names the columns as name:type, one row a line after it; the first cell names the row.

#include <QFile>
#include <cmath>
#include <climits>
#include <QJsonDocument>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QTest>
#include <QVariant>

namespace zr::test {

/// The text of a cell: \t, \n, \r and \\ stand for a tab, a line break, a carriage return, a
/// backslash; any other backslash stays, for the test to read (\N for NULL).
inline QString cellText(const QString &cell)
{
    QString out;
    out.reserve(cell.size());
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const QChar c = cell.at(i);
        const QChar next = i + 1 < cell.size() ? cell.at(i + 1) : QChar();
        if (c != u'\\' || (next != u't' && next != u'n' && next != u'r' && next != u'\\')) {
            out += c;
            continue;
        }
        out += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
        ++i;
    }
    return out;
}

/// The lines of a tab-separated data file kept beside a test (found with QFINDTESTDATA), split
/// into cells as written; blank lines and lines starting with # are left out. An unreadable file
/// stops the test run.
inline QList<QStringList> rawRows(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read test data %s", qPrintable(path));
    QList<QStringList> rows;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines)
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
            rows << line.split(QLatin1Char('\t'));
    return rows;
}

/// The rows of a data file with each cell's escapes read.
inline QList<QStringList> dataRows(const QString &path)
{
    QList<QStringList> rows = rawRows(path);
    for (QStringList &row : rows)
        for (QString &cell : row)
            cell = cellText(cell);
    return rows;
}

/// `v` with every JSON null, also inside lists, the null QVariant, and whole numbers integers.
inline QVariant withoutJsonNulls(const QVariant &v)
{
    if (v.typeId() == QMetaType::Nullptr)
        return {};
    if (const double d = v.toDouble(); v.typeId() == QMetaType::Double && std::abs(d) < 9e15 && d == std::trunc(d))
        return std::abs(d) <= INT_MAX ? QVariant(int(d)) : QVariant(qint64(d));
    if (v.typeId() == QMetaType::QVariantMap) {
        const QVariantMap in = v.toMap();
        QVariantMap out;
        for (auto it = in.cbegin(); it != in.cend(); ++it)
            out.insert(it.key(), withoutJsonNulls(it.value()));
        return out;
    }
    if (v.typeId() != QMetaType::QVariantList)
        return v;
    QVariantList out;
    const QVariantList in = v.toList();
    for (const QVariant &item : in)
        out << withoutJsonNulls(item);
    return out;
}

/// A cell read as JSON.
inline QVariant jsonCell(const QString &cell)
{
    return withoutJsonNulls(QJsonDocument::fromJson("[" + cell.toUtf8() + "]").toVariant().toList().value(0));
}

/// Adds the columns and rows of the data file `found` (from QFINDTESTDATA). Types: string, int,
/// bool (1/0), list (a QStringList split at |, or at ¦ when it starts with one; empty for none), json (a QVariant read as
/// JSON: null, numbers, arrays). With `backends`, a first QString column "backend" and every row
/// once per backend, named "<backend> <row>". Lines starting with # are left out.
inline void addDataRows(const QString &found, const QStringList &backends = {})
{
    QList<QStringList> lines = rawRows(found);
    const QStringList header = lines.takeFirst().mid(1);
    if (!backends.isEmpty())
        QTest::addColumn<QString>("backend");
    for (const QString &column : header) {
        // The test table keeps the name's pointer, not a copy.
        static QSet<QByteArray> names;
        const QByteArray name = *names.insert(column.section(QLatin1Char(':'), 0, 0).toLatin1());
        const QString type = column.section(QLatin1Char(':'), 1);
        const int id = type == u"int" ? QMetaType::Int : type == u"bool" ? QMetaType::Bool
                     : type == u"list" ? QMetaType::QStringList : type == u"json" ? QMetaType::QVariant : QMetaType::QString;
        QTest::addColumnInternal(id, name.constData());
    }
    for (const QString &prefix : backends.isEmpty() ? QStringList{QString()} : backends) {
        for (const QStringList &cells : std::as_const(lines)) {
            if (cells.size() != header.size() + 1)
                qFatal("%s: %lld cells in: %s", qPrintable(found), qlonglong(cells.size()), qPrintable(cells.join(QLatin1Char('\t'))));
            QTestData &row = QTest::newRow(qPrintable(prefix.isEmpty() ? cells.at(0) : prefix + u' ' + cells.at(0)));
            if (!prefix.isEmpty())
                row << prefix;
            for (qsizetype i = 1; i < cells.size(); ++i) {
                const QString type = header.at(i - 1).section(QLatin1Char(':'), 1);
                const QString text = cellText(cells.at(i));
                if (type == u"int")
                    row << text.toInt();
                else if (type == u"bool")
                    row << (text == u"1");
                else if (type == u"list")
                    row << (text.isEmpty() ? QStringList() : text.startsWith(u'¦') ? text.mid(1).split(u'¦') : text.split(u'|'));
                else if (type == u"json")
                    row << jsonCell(cells.at(i));
                else
                    row << text;
            }
        }
    }
}

} // namespace zr::test
