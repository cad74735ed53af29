#pragma once

#include "zrwidgets_export.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace zr {

/// The expression builder: a modal dialog in which the user combines
/// variables (the requirements of a set) with the operators of a palette
/// into one expression in stored form, "[%12] AND NOT([%14])".
///
/// The requirements editor creates one builder and keeps it; it calls, in
/// this order: initialise(), addOperator() once per palette entry,
/// setDisplaySwitches(), setCaptions(); then for every edit resetVariables(),
/// addVariable() per requirement, setExpression(), showWizard() and
/// expression().
///
/// Window: a tab widget (`tabLists`) with a variables tab (label
/// `lblVariables`, list `lstVariables`, description pane `lblDescription`)
/// and an operators tab (label `lblOperators`, tree `tvOperators` with one
/// top-level row per category, help pane `lblOperatorHelp`); the expression
/// editor `txtExpression` with its live check `lblStatus` under it; buttons
/// `cmdOK` and `cmdCancel`.
///
/// Double-click or Enter on a variable inserts "[" + name + "]" at the
/// editor's cursor, replacing any selection. Double-click or Enter on an
/// enabled operator inserts its insert text, the first "%" in it standing
/// for the selected text, which the operator thus surrounds; with nothing
/// selected the cursor is left where "%" was.
///
/// The check line reports, as the user types, whether the expression is
/// well formed and which variables it does not name yet (variables named
/// "%" + id are the requirement ids checked; see CheckExpressionSyntax), and
/// underlines in the editor what the first problem is about. OK stays
/// disabled while it reports a problem (a malformed text, a variable not
/// named, or a requirement token naming no variable), so only an expression
/// that can be stored is accepted; Cancel always leaves.
class ZRWIDGETS_EXPORT zrFuncBuilder : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(zrFuncBuilder)
    /// The expression in stored form: what setExpression gave, or what the
    /// user accepted with OK since. Empty by default.
    Q_PROPERTY(QString expression READ expression WRITE setExpression NOTIFY expressionChanged)

public:
    /// An empty builder with default captions; `parent` owns it.
    explicit zrFuncBuilder(QWidget *parent = nullptr);
    ~zrFuncBuilder() override;

    /// Empties the palette, the variables and the expression.
    void initialise();

    /// Appends one palette entry under `category` (categories are listed in
    /// the order they first appear, entries in call order). `symbol` is what
    /// the entry shows when symbols are switched on, `caption` its name,
    /// `helpText` what selecting it shows; `insertText` is what it writes
    /// into the expression, "%" standing for the selected text. A disabled
    /// entry is listed but inserts nothing.
    void addOperator(const QString &category, const QString &symbol, const QString &insertText,
                     const QString &caption, const QString &helpText, bool enabled);

    /// `showSymbols`: the palette shows each entry's symbol before its
    /// caption ("NOT  Logical NOT") instead of the caption alone.
    /// `showCheck`: the live check line under the expression is shown, and
    /// the first problem underlined.
    /// Both default to true.
    void setDisplaySwitches(bool showSymbols, bool showCheck);

    /// Captions of the variables' list label and tab, the operators' list
    /// label and tab, and the window title. A "&" marks a mnemonic.
    void setCaptions(const QString &variablesList, const QString &variablesTab, const QString &operatorsList,
                     const QString &operatorsTab, const QString &title);

    /// Removes every variable added so far.
    void resetVariables();

    /// Appends a variable. `name` is written into the expression as
    /// "[" + name + "]" ("%12" gives "[%12]"); `caption` is what the list
    /// shows and the check line names; `description` is its tooltip and the
    /// text of the description pane. The codes describe the variable's type
    /// and format for the host; every variable here is a requirement, a
    /// truth value, so they are kept with the list entry (roles
    /// Qt::UserRole + 1 to + 4) and not interpreted.
    void addVariable(const QString &name, const QString &caption, const QString &description,
                     const QString &code1, const QString &code2, const QString &code3, const QString &code4);

    /// The expression to edit next, in stored form (possibly empty).
    void setExpression(const QString &storedForm);
    /// See the `expression` property.
    QString expression() const;

    /// Shows the builder modally with the current expression in the editor.
    /// True when the user accepted with OK (expression() is then the edited
    /// text); false on Cancel, Escape or the close box, which leave
    /// expression() as it was.
    bool showWizard();

Q_SIGNALS:
    void expressionChanged(const QString &expression);

protected:
    /// Enter on a list inserts its current entry instead of pressing OK.
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// Re-reads the builder's own texts when the language changes.
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<class zrFuncBuilderPrivate> const d;
};

} // namespace zr
