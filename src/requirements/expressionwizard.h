#pragma once

#include <QString>

#include <optional>

class QFont;
class QWidget;

namespace zr {

class RequirementsEditor;
class zrFuncBuilder;

/// The expression wizard of the requirements control: made with its palette
/// at the first load and kept until the control is cleared; filled with the
/// requirements of the set at each opening.
class ExpressionWizard
{
public:
    /// Makes the wizard in `owner`, once.
    void create(QWidget *owner);
    void destroy();
    /// The palette's names and help are language strings too.
    void retranslate();
    /// Opens the wizard on the expression of the curriculum the editor shows;
    /// returns the expression the user left (stored form, "" for the default),
    /// or nothing when it did not change or there is no wizard. Throws ZrError.
    std::optional<QString> edit(RequirementsEditor &editor, const QFont &font);

private:
    zrFuncBuilder *m_builder = nullptr;
};

} // namespace zr
