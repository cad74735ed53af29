#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace zr::bench {

/// Median wall time in nanoseconds of `runs` runs of `work`, after one warm-up run.
inline qint64 medianNs(const std::function<void()> &work, int runs = 7)
{
    work();
    std::vector<qint64> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

/// Prints one figure: its floor, the measurement, the ratio and the goal.
/// Returns whether the ratio is within the goal.
inline bool report(const QString &name, qint64 floorNs, qint64 measuredNs, double goal)
{
    const double ratio = floorNs > 0 ? double(measuredNs) / double(floorNs) : 0.0;
    const bool ok = ratio <= goal;
    std::printf("%-60s floor %10.3f ms  measured %10.3f ms  ratio %6.2fx  goal <= %.1fx  %s\n",
                qPrintable(name), floorNs / 1e6, measuredNs / 1e6, ratio, goal, ok ? "ok" : "MISSED");
    std::fflush(stdout);
    return ok;
}

} // namespace zr::bench
