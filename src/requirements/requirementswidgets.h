#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QAction;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QShortcut;
class QWidget;

namespace zr {

class ItemPanelModel;
class TilePanel;
struct CurriculumEntry;

/// The child widgets of the requirements control and their layout, top to
/// bottom: the scholarship hint, the curriculum chooser, the commands beside
/// the requirement list, the help text and the expression. They show what
/// the editor holds; what the user does with them is wired by the control.
struct RequirementsWidgets
{
    /// Creates the widgets in `owner` over the editor's command and requirement models.
    void build(QWidget *owner, ItemPanelModel *commands, ItemPanelModel *list);
    /// The captions and accessible names in the current language.
    void retranslate();
    /// Empty help, the expression's background, the chooser and the hint shown as the set needs.
    void resetOnLoad(bool curriculumDependent, bool scholarship);
    /// Widens the command panel, when narrower, to show its widest caption whole (the add
    /// menu's type names differ at their ends), as far as the requirement list keeps half;
    /// with `shrink`, a panel wider than it needs (its menu folded) gives the room back.
    void fitCommands(bool shrink = false);
    /// Fills the curriculum chooser, on the curriculum `shown`.
    void showCurricula(const QList<CurriculumEntry> &curricula, qint32 shown);
    /// Shows the expression in display form; the last "[caption]" of `highlight`, when given, marked.
    void showExpression(const QString &display, const QString &highlight = QString());
    /// Takes the user to item `key` of the requirement list: its requirement
    /// `group` expanded, the item selected and in view, with the focus; with
    /// `edit`, its editor open.
    void goTo(const QString &group, const QString &key, bool edit);
    /// Shortcuts for the mnemonics of the commands `keys` (the command panel
    /// draws none); the add menu's takes the focus to the panel instead.
    void answerMnemonics(QWidget *owner, ItemPanelModel *commands, const QStringList &keys, const QString &addKey);

    QList<QShortcut *> shortcuts;

    TilePanel *smRequirements = nullptr;
    TilePanel *smButtons = nullptr;
    QWidget *picOrient = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cbOrient = nullptr;
    QWidget *PicInfo = nullptr;
    QLabel *Label4 = nullptr;
    QPlainTextEdit *txtInfo = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *txtEval = nullptr;
    /// What txtEval was last given: reading its text back costs more than the set's load.
    QString shownExpression;
    /// Empties the picker row selected: Delete on the row, or Clear in its context menu.
    QAction *clearAction = nullptr;
};

} // namespace zr
