#pragma once

#include "recordset/recordset.h"

#include <QString>
#include <functional>

class QWidget;

namespace zr::app {

/// What the user chose when a save was refused because someone else saved
/// the same set after it was loaded.
enum class ConflictChoice {
    Reload,     ///< drop the edits and load the stored set
    Overwrite,  ///< replace the stored set with the edits (confirmed twice)
    Stay,       ///< keep editing; nothing is saved
};

/// Asks what to do about a refused save; `why` is the server's message (who
/// saved and when). "Save mine to a file" calls `saveToFile` and asks again;
/// "Overwrite" asks a second time before it counts. Closing the question stays.
ConflictChoice AskSaveConflict(QWidget *parent, const QString &why, const std::function<void()> &saveToFile);

/// In `stored`, a fresh load of the object, replaces every set of `kind` and
/// `context` that has pending changes in `edited` (the host's recordset after
/// the editor wrote its rows) with the edited set, as an import of each set
/// would: the stored rows are deleted, the edited rows added. Nothing is
/// saved; `stored` then names the versions it was loaded at.
void ReplaceEditedSets(const Recordset &edited, Recordset &stored, qint32 kind, qint32 context);

} // namespace zr::app
