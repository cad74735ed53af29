#pragma once

#include "benchutil.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zr::bench {

/// CPU time, wall time and peak memory of one run of a command, its output thrown away.
struct CommandRun
{
    qint64 cpuNs = 0;
    qint64 wallNs = 0;
    qint64 peakKb = 0;
    int exitCode = -1;
};

inline CommandRun runCommand(const QString &executable, const QStringList &arguments)
{
    QList<QByteArray> bytes{executable.toLocal8Bit()};
    for (const QString &a : arguments)
        bytes << a.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // The child's maximum resident size would count the pages it shared with this process before
    // its exec: the high-water mark of its own image is read while it runs, the last reading kept
    // (it only grows once the command runs, and a reading before the exec is the copy's).
    CommandRun run;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (const qint64 peak = peakRssKb(pid))
            run.peakKb = peak;
        usleep(2000);
    }
    run.wallNs = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.cpuNs = (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000000
                + (qint64(usage.ru_utime.tv_usec) + usage.ru_stime.tv_usec) * 1000;
    return run;
}

} // namespace zr::bench
