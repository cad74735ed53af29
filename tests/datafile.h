#pragma once

#include <QFile>
#include <QList>
#include <QStringList>

#include <cstdio>

namespace zr::test {

/// The rows of a tab-separated data file kept beside a test (found with
/// QFINDTESTDATA): one list of columns a line, "\t" and "\n" written as
/// escapes; blank lines and lines starting with "#" are skipped. An unreadable
/// file yields no rows and a warning, so that the test fails for lack of data.
inline QList<QStringList> dataRows(const QString &path)
{
    QList<QStringList> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot read test data %s\n", qPrintable(path));
        return rows;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).remove(QLatin1Char('\n'));
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList columns = line.split(QLatin1Char('\t'));
        for (QString &column : columns)
            column.replace(QLatin1String("\\t"), QLatin1String("\t")).replace(QLatin1String("\\n"), QLatin1String("\n"));
        rows << columns;
    }
    return rows;
}

} // namespace zr::test
