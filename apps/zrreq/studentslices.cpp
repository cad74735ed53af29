#include "studentslices.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "database.h"

#include <QScopeGuard>
#include <QSqlQuery>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace zr::app {

namespace {

// Several slices per thread keep both busy to the end and let output flow while the rest is read;
// a slice below this many students costs more in statements than it saves.
constexpr int SlicesPerJob = 16;
constexpr qint64 SmallestSlice = 25;
// How many slices may wait, read, for their turn: bounds memory when the output is slow.
constexpr int SlicesAheadPerJob = 2;

std::vector<qint64> studentIds(const StudentWalk &walk)
{
    auto db = server::Database::open(walk.server);
    QString sql = QStringLiteral("SELECT student_ID FROM QEMStudents WHERE progrspoud_ID = ?");
    QVariantList values{walk.programme};
    if (walk.curriculum != 0) {
        sql += QStringLiteral(" AND orient_ID = ?");
        values << walk.curriculum;
    }
    QSqlQuery &q =
        db->exec(sql + QStringLiteral(" ORDER BY student_ID"), values, QStringLiteral("audit"));
    std::vector<qint64> ids;
    while (q.next())
        ids.push_back(q.value(0).toLongLong());
    q.finish();
    return ids;
}

} // namespace

QList<StudentIdRange> StudentSlices(const StudentWalk &walk, int parts, qint64 *students)
{
    const std::vector<qint64> ids = studentIds(walk);
    const qint64 n = qint64(ids.size());
    if (students)
        *students = n;
    const qint64 count = std::clamp<qint64>(n / SmallestSlice, 1, std::max(parts, 1));
    QList<StudentIdRange> slices;
    for (qint64 k = 0; k < count; ++k) {
        StudentIdRange range;
        // Each slice ends where the next begins: a student added meanwhile still falls in one.
        if (k > 0)
            range.first = ids[size_t(k * n / count)];
        if (k + 1 < count)
            range.last = ids[size_t((k + 1) * n / count)] - 1;
        slices << range;
    }
    return slices;
}

int DefaultWalkJobs()
{
    return std::clamp(QThread::idealThreadCount(), 1, 8);
}

void WalkInSlices(const StudentWalk &walk, int jobs, const SliceVisitor &visit,
                  const SliceDelivery &deliver, qint64 *students)
{
    jobs = std::max(jobs, 1);
    const QList<StudentIdRange> slices = StudentSlices(walk, jobs * SlicesPerJob, students);
    jobs = std::min<int>(jobs, int(slices.size()));
    struct Slice
    {
        SliceOutput out;
        std::exception_ptr error;
        bool done = false;
    };
    std::vector<Slice> results(size_t(slices.size()));
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype next = 0;
    qsizetype delivered = 0;
    bool stop = false;
    const int language = CurrentLanguage();

    // A thread reads slice after slice on one connection, as long as there are slices and it is
    // not too far ahead of the output; a slice is done when the walk asks for the next range.
    const auto work = [&] {
        InitLanguage(language);
        qsizetype current = -1;
        Slice slice;
        const auto finish = [&] {
            if (current < 0)
                return;
            {
                std::lock_guard lock(mutex);
                slice.done = true;
                results[size_t(current)] = std::move(slice);
            }
            changed.notify_all();
            slice = Slice();
            current = -1;
        };
        const auto nextRange = [&]() -> std::optional<StudentIdRange> {
            finish();
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] {
                return stop || next >= slices.size() || next < delivered + jobs * SlicesAheadPerJob;
            });
            if (stop || next >= slices.size())
                return std::nullopt;
            current = next++;
            return slices[current];
        };
        try {
            std::unique_ptr<cStudent> reader;
            {
                // The walk reads each page once: the cache that serves the editing of large sets
                // would only make the run's memory grow with the database.
                auto db = server::Database::open(walk.server);
                if (db->dialect() == SqlDialect::SQLite)
                    db->execControl(QStringLiteral("PRAGMA cache_size = -4096"),
                                    QStringLiteral("audit"));
                reader = ServerObjectOf<cStudent>(walk.server);
            }
            reader->WalkStudentRecords(
                walk.programme, walk.curriculum, walk.scope,
                [&](const StudentRecordRows &record) {
                    visit(record, slice.out);
                    ++slice.out.students;
                    return true;
                },
                nextRange);
        } catch (...) {
            // The slice being read carries the error; one that failed before any was taken, the
            // next.
            if (current < 0) {
                std::lock_guard lock(mutex);
                if (next < slices.size())
                    current = next++;
            }
            slice.error = std::current_exception();
            finish();
        }
        // The thread's connection is closed here, on its own thread, before the thread ends.
        server::Database::closeAll();
    };

    std::vector<std::thread> threads;
    const auto joinAll = qScopeGuard([&] {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (std::thread &t : threads)
            t.join();
    });
    for (int j = 0; j < jobs; ++j)
        threads.emplace_back(work);
    while (delivered < slices.size()) {
        Slice slice;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return results[size_t(delivered)].done; });
            slice = std::move(results[size_t(delivered)]);
        }
        if (slice.error)
            std::rethrow_exception(slice.error);
        deliver(slice.out);
        {
            std::lock_guard lock(mutex);
            ++delivered;
        }
        changed.notify_all();
    }
}

} // namespace zr::app
