#pragma once

// A programme's students walked over several connections at once: slices of
// consecutive ids, each read on a thread of its own, what each slice wrote
// handed back in student order so that the output is that of one walk.

#include "common/studentrecordrows.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <functional>

namespace zr::app {

/// Whose records a walk reads: a programme's students (of one curriculum when it is not 0).
struct StudentWalk
{
    QString server;
    qint32 programme = 0;
    qint32 curriculum = 0;
    RecordScope scope;
};

/// What the walk of one slice wrote: its output, its students and a count per kind of outcome.
struct SliceOutput
{
    QByteArray text;
    qint64 students = 0;
    std::array<qint64, 3> counts{};
};

/// The students of `walk` cut into at most `parts` ranges of consecutive ids, about as many
/// students each, in order; together they cover every id. `students` receives their number.
QList<StudentIdRange> StudentSlices(const StudentWalk &walk, int parts, qint64 *students = nullptr);

/// Called on a worker thread with each record of a slice and that slice's output.
using SliceVisitor = std::function<void(const StudentRecordRows &record, SliceOutput &out)>;
/// Called on the calling thread with each slice's output, in student order.
using SliceDelivery = std::function<void(const SliceOutput &out)>;

/// Walks the students of `walk` on `jobs` threads, each with its own connection, and hands
/// each slice to `deliver` as soon as it and those before it are done. A slice's error is
/// thrown when its turn comes, and nothing after it is delivered. `students` receives the
/// number of students the walk covers before the first slice is read.
void WalkInSlices(const StudentWalk &walk, int jobs, const SliceVisitor &visit,
                  const SliceDelivery &deliver, qint64 *students = nullptr);

/// The number of threads a walk uses when none is asked: the machine's cores, at most 8.
int DefaultWalkJobs();

} // namespace zr::app
