#pragma once

#include <QDialog>

namespace zr::app {

/// The lines of `log` that hold `wanted` (ignoring case); all of it when `wanted` is blank.
QString FilterLogLines(const QString &log, const QString &wanted);

/// Shows the error log (the newest part of it, wrapped, filtered by what the
/// user types) with its path, and opens the folder that holds it and its
/// rotated copies.
class LogViewer : public QDialog
{
    Q_OBJECT
public:
    explicit LogViewer(QWidget *parent = nullptr);
    /// The text shown: the last `maxBytes` of the log, or a note that there is none yet.
    static QString readTail(const QString &path, qint64 maxBytes);
};

} // namespace zr::app
