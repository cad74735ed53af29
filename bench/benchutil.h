#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <utility>
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

/// CPU time of the calling thread: on a machine shared with builds, wall time
/// mostly measures the other processes.
inline qint64 threadCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

/// Medians of the thread CPU time (or of `clock`) of `floor` and `work`, run alternately
/// `runs` times after one warm-up round, so that a busy machine slows both alike.
/// `settle`, untimed, runs before each of them.
inline std::pair<qint64, qint64> medianCpuPair(const std::function<void()> &floor, const std::function<void()> &work,
                                               int runs = 7, const std::function<qint64()> &clock = threadCpuNs,
                                               const std::function<void()> &settle = {})
{
    const auto timed = [&](const std::function<void()> &part) {
        if (settle)
            settle();
        const qint64 start = clock();
        part();
        return clock() - start;
    };
    std::vector<qint64> floors, works;
    for (int round = 0; round <= runs; ++round) {
        const qint64 f = timed(floor);
        const qint64 w = timed(work);
        if (round == 0)
            continue;
        floors.push_back(f);
        works.push_back(w);
    }
    std::sort(floors.begin(), floors.end());
    std::sort(works.begin(), works.end());
    return {floors[floors.size() / 2], works[works.size() / 2]};
}

/// Peak resident memory (VmHWM) in kB of this process, or of the running process `pid`; 0 when unknown.
inline qint64 peakRssKb(qint64 pid = 0)
{
    QFile status(pid > 0 ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

/// Prints a figure that is not a time (memory in kB, counts) like report().
inline bool reportAmount(const QString &name, qint64 floor, qint64 measured, const char *unit, double goal)
{
    const double ratio = floor > 0 ? double(measured) / double(floor) : 0.0;
    const bool ok = ratio <= goal;
    std::printf("%-60s floor %10lld %s  measured %10lld %s  ratio %6.2fx  goal <= %.1fx  %s\n", qPrintable(name),
                static_cast<long long>(floor), unit, static_cast<long long>(measured), unit, ratio, goal,
                ok ? "ok" : "MISSED");
    std::fflush(stdout);
    return ok;
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
