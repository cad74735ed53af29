#pragma once

#include <QString>

#include <sqlite3.h>

namespace zr::bench {

// Steps every row of a prepared statement and reads every column, as a
// hand-written loader would.
inline qint64 stepAll(sqlite3_stmt *stmt)
{
    qint64 sink = 0;
    const int n = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER: sink += sqlite3_column_int64(stmt, i); break;
            case SQLITE_FLOAT: sink += qint64(sqlite3_column_double(stmt, i)); break;
            case SQLITE_TEXT:
                sink += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                          sqlite3_column_bytes(stmt, i)).size();
                break;
            default: break;
            }
        }
    }
    sqlite3_reset(stmt);
    return sink;
}

} // namespace zr::bench
