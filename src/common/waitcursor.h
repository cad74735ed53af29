#pragma once

#include <QGuiApplication>

namespace zr {

/// The hourglass for the span of a slow step (a server call, a search, reading files), gone
/// again however the step ends, an exception included.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor()
    {
        if (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }
    Q_DISABLE_COPY(WaitCursor)
};

} // namespace zr
