#pragma once

// The text of a PDF file as a reader's tool finds it: poppler's pdftotext (scripts/deps.sh
// installs poppler-utils), so that a test checks what a person would read, not what we wrote.

#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace zr::test {

/// The text of the PDF at `path`, pages ending with a form feed; empty, with the reason in
/// `error`, when it can not be read.
inline QString pdfText(const QString &path, QString *error)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QProcess process;
    process.start(tool, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (tool.isEmpty() || !process.waitForFinished(60000) || process.exitCode() != 0) {
        *error = QStringLiteral("pdftotext (poppler-utils, in scripts/deps.sh) could not read ") + path;
        return QString();
    }
    error->clear();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace zr::test
