#pragma once

#include <QString>

class QFont;
class QWidget;

namespace zr {

class RequirementsEditor;

/// Opens the students' exclusions of the editor's object and context, with
/// the dialog's lists drawn from the editor's code tables. A set with edits
/// not yet saved is refused with a message (exclusions are saved at once).
/// Throws ZrError.
void RunExclusions(RequirementsEditor &editor, const QString &sessionId, const QFont &font, QWidget *owner);

} // namespace zr
