#pragma once

// Editing a loaded requirement recordset and catching what a save throws, for the save tests.

#include "recordset/recordset.h"
#include "common/zrerror.h"

#include <QString>
#include <functional>

namespace zr::test {

/// The requirement rows of a hierarchical recordset.
inline Recordset rowsOf(const Recordset &parent)
{
    Recordset row = parent.clone();
    row.moveFirst();
    return row.chapter(u"QEMObjectConstraint").clone();
}

/// Moves `rows` to requirement `ocID`.
inline bool onRow(Recordset &rows, int ocID)
{
    return rows.find(QStringLiteral("ocID = %1").arg(ocID), 0, Recordset::SearchForward, Recordset::StartFirst);
}

/// The number of the error `work` throws, 0 when it throws none.
inline int errorOf(const std::function<void()> &work, QString *description = nullptr)
{
    try {
        work();
    } catch (const ZrError &e) {
        if (description)
            *description = e.description;
        return e.number;
    }
    return 0;
}

} // namespace zr::test
