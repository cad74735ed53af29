#pragma once

#include "zrreq_export.h"

#include <QAbstractItemModel>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace zr {

/// Item styles passed by the callers when an item is created. The panel maps
/// each style to a Kind (how the row is drawn and edited); unknown styles are
/// plain entry rows unless registered with ItemPanelModel::setStyleKind.
namespace ItemStyle {
constexpr int Header = 1200;     ///< group/header row of a requirement block
constexpr int Picker = 1203;     ///< value chosen in a dialog; "..." button
constexpr int Entry = 1204;      ///< typed value
constexpr int ChoiceRow = 1205;  ///< value chosen from its choice sub-items
constexpr int Choice = 901;      ///< one choice of a choice row
constexpr int TextRow = 1210;    ///< read-only text row
constexpr int MenuEntry = 206;   ///< entry of a command's menu (the add palette)
constexpr int Command = 200;     ///< clickable command row (command panels)
constexpr int CheckBox = 503;    ///< check-box row of an options list; value 1 or 0
constexpr int CheckItem = 504;   ///< check-box row of the search panels
constexpr int Number = 1401;     ///< whole-number field of an options list
constexpr int SearchText = 1400; ///< text entry of the search panels
constexpr int SearchWideText = 1406;
constexpr int SearchNumber = 1408;
} // namespace ItemStyle

/// Keyed, nested items of an item panel (requirement list, command panels,
/// search panels, options list) as a two-column tree model: column 0 the
/// caption, column 1 the value. Every item is found again by its key through
/// a hash; keys are unique within the panel, except the choices of a choice
/// row, which are keyed within their row (two choice rows may both offer "K0").
///
/// Choices are not rows of the model: the view offers them in the row's combo
/// editor. A choice row's value is the key of its selected choice and it shows
/// that choice's caption.
///
/// Changes made through the setters emit valueChanged(key, "Value") when the
/// value changes; edits made by the user (setData, editValue) first emit
/// beforeValueChange, whose handler may cancel them.
class ZRREQ_EXPORT ItemPanelModel : public QAbstractItemModel
{
    Q_OBJECT
    Q_DISABLE_COPY(ItemPanelModel)
    Q_PROPERTY(bool redraw READ redraw WRITE setRedraw NOTIFY redrawChanged)
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled NOTIFY enabledChanged)

public:
    /// How a row is drawn and edited.
    enum class Kind {
        Header,    ///< bold caption over both columns, expands to its sub-items
        Entry,     ///< line edit
        Number,    ///< line edit accepting whole numbers (or nothing)
        Picker,    ///< text plus a "..." button that emits buttonClicked
        ChoiceRow, ///< combo over its choices
        Choice,    ///< a choice of a choice row (never a model row)
        CheckBox,  ///< check box; value 1 (checked) or 0
        Command,   ///< clickable; emits itemClicked; may hold menu entries
        MenuEntry, ///< clickable entry under a command; emits itemClicked
        Text,      ///< read-only text
    };
    Q_ENUM(Kind)

    enum Column { CaptionColumn = 0, ValueColumn = 1, ColumnCount = 2 };

    /// Extra data roles, on either column.
    enum Role {
        KeyRole = Qt::UserRole + 1, ///< QString key
        StyleRole,                  ///< int style as created
        KindRole,                   ///< int(Kind)
        HiddenValueRole,            ///< QVariant hidden value
        HintRole,                   ///< QString hint
        DescriptionRole,            ///< QString description
        ShortcutRole,               ///< QString shortcut ("Alt+A")
        TagRole,                    ///< QVariant caller data
        ExpandedRole,               ///< bool
        VisibleRole,                ///< bool
        SelectedRole,               ///< bool
        ChoiceKeysRole,             ///< QStringList keys of a choice row's choices
        ChoiceCaptionsRole,         ///< QStringList captions of a choice row's choices
    };

    explicit ItemPanelModel(QObject *parent = nullptr);
    ~ItemPanelModel() override;

    /// The kind of rows of `style` in this panel (entry rows by default).
    Kind kindOfStyle(int style) const;
    /// Registers or changes the kind of rows created with `style` afterwards.
    void setStyleKind(int style, Kind kind);

    // --- building -----------------------------------------------------------

    /// Adds an item under `parentKey` (top level when empty) at `row`
    /// (0-based; -1 or past the end appends). Under a choice row the item is
    /// added as a choice. Returns false (and adds nothing) when the key is
    /// empty or already used, or the parent does not exist.
    bool addItem(const QString &key, const QString &caption, int style,
                 const QString &parentKey = QString(), int row = -1);
    /// Adds an item just before the item `beforeKey`, under the same parent.
    bool insertItem(const QString &beforeKey, const QString &key, const QString &caption, int style);
    /// Adds a choice to the choice row `rowKey`; choice keys are unique in the row.
    bool addChoice(const QString &rowKey, const QString &choiceKey, const QString &caption,
                   int style = ItemStyle::Choice, int position = -1);
    /// Removes an item with all its sub-items. Returns false when absent.
    bool removeItem(const QString &key);
    /// Removes one choice of a choice row; a selected choice leaves the value empty.
    bool removeChoice(const QString &rowKey, const QString &choiceKey);
    /// Removes all choices of a choice row and empties its value.
    void clearChoices(const QString &rowKey);
    /// Removes every item.
    void clear();

    /// Redrawing switch. Off: changes emit no per-item model signals (one
    /// model reset follows when it is turned on again), for fast rebuilds;
    /// the item events (valueChanged ...) are still emitted. On by default;
    /// switching to the current state does nothing. A cleared panel keeps its
    /// storage for the next build.
    void setRedraw(bool on);
    bool redraw() const;

    /// Enabled state of the whole panel; a disabled panel refuses edits and
    /// clicks as a disabled item does. Default true.
    void setEnabled(bool on);
    bool isEnabled() const;

    // --- looking up ---------------------------------------------------------

    bool contains(const QString &key) const;
    /// Index of an item (column 0 or 1); invalid when absent, and while
    /// redrawing is off (the model then shows no rows until it is on again).
    QModelIndex indexOf(const QString &key, int column = CaptionColumn) const;
    /// Key of the item at `index`; empty for an invalid index.
    QString keyOf(const QModelIndex &index) const;
    /// Key of the parent item; empty at top level or when absent.
    QString parentKey(const QString &key) const;
    /// Number of sub-items of `parentKey` (top-level items when empty); for a
    /// choice row, its number of choices.
    int count(const QString &parentKey = QString()) const;
    /// Key of the sub-item at `row` of `parentKey` (top level when empty),
    /// or of the choice at `row` of a choice row; empty when out of range.
    QString keyAt(int row, const QString &parentKey = QString()) const;
    /// Keys of the sub-items (or choices) of `parentKey`, in order.
    QStringList keys(const QString &parentKey = QString()) const;
    /// Number of items in the panel, choices not counted (sub-items not built yet neither).
    int itemCount() const;

    // --- sub-items built on demand -----------------------------------------------
    // A large list builds the sub-items of an item only when something asks for
    // them: a view showing them, their keys or count, or one of their keys.
    // To views they were always there: building them emits no model signals.

    /// Builds the sub-items of the deferred item `key`.
    using ChildBuilder = std::function<void(const QString &key)>;
    /// The item whose deferred sub-items would hold `key` (a key not found); empty for none.
    using KeyOwner = std::function<QString(const QString &key)>;
    void setChildBuilder(ChildBuilder build, KeyOwner ownerOf);
    /// Marks `key`, which has no sub-items, as having sub-items the child
    /// builder adds the first time they are asked for. False when absent, when
    /// it has sub-items already, or when no child builder is set.
    bool deferChildren(const QString &key);
    /// True while the sub-items of `key` wait to be built.
    bool isDeferred(const QString &key) const;

    /// What visitItems reports of one item.
    struct ItemState
    {
        QModelIndex index; ///< column 0
        Kind kind;
        bool visible;
        bool expanded;
        bool selected;
    };
    /// Calls `visit` for every item (choices excepted), parents before their
    /// sub-items, in row order; nothing while redrawing is off. Lets views
    /// restore their state after a reset without one data() call per role and row.
    void visitItems(const std::function<void(const ItemState &)> &visit) const;

    // --- properties -----------------------------------------------------------
    // Getters return a default-constructed value for an absent key; setters
    // on an absent key do nothing and return false.

    QString caption(const QString &key) const;
    bool setCaption(const QString &key, const QString &caption);
    int style(const QString &key) const;
    Kind kind(const QString &key) const;
    /// The stored value: a choice row holds the key of its selected choice,
    /// a check box 1 or 0. Null when absent or never set.
    QVariant value(const QString &key) const;
    /// Sets the value from code; emits valueChanged(key, "Value") when it changes.
    bool setValue(const QString &key, const QVariant &value);
    /// The text shown in the value column: a choice row shows the caption of
    /// its selected choice, other rows their value as text.
    QString valueText(const QString &key) const;
    QVariant hiddenValue(const QString &key) const;
    bool setHiddenValue(const QString &key, const QVariant &value);
    QString hint(const QString &key) const;
    bool setHint(const QString &key, const QString &hint);
    QString description(const QString &key) const;
    bool setDescription(const QString &key, const QString &description);
    /// Key sequence text ("Alt+A") kept for the item; the panel's owner binds it
    /// (one owner may bind the same keys across several panels).
    QString shortcut(const QString &key) const;
    bool setShortcut(const QString &key, const QString &shortcut);
    QVariant tag(const QString &key) const;
    bool setTag(const QString &key, const QVariant &tag);
    /// Enabled state of the item itself (default true).
    bool isItemEnabled(const QString &key) const;
    bool setItemEnabled(const QString &key, bool enabled);
    /// Sets the enabled state of every item (choices excepted).
    void setAllItemsEnabled(bool enabled);
    /// Visible state (default true); hidden items keep their place and values.
    bool isVisible(const QString &key) const;
    bool setVisible(const QString &key, bool visible);
    /// Expanded state of an item with sub-items (default false).
    bool isExpanded(const QString &key) const;
    bool setExpanded(const QString &key, bool expanded);
    /// Expands or collapses every item with sub-items; emits expandedChanged
    /// once, with an empty key.
    void setAllExpanded(bool expanded);
    /// At most one item is selected; selecting one deselects the previous
    /// one and emits itemSelected. Deselecting emits nothing.
    bool isSelected(const QString &key) const;
    bool setSelected(const QString &key, bool selected);
    /// Key of the selected item; empty when none.
    QString selectedKey() const;
    /// Asks the views to scroll the item into view (emits scrollToRequested).
    void ensureVisible(const QString &key);

    // --- choices ------------------------------------------------------------

    /// Selects the choice `choiceKey` of the choice row `rowKey`: the row's
    /// value becomes the choice's key. False (nothing changes) when either is absent.
    bool selectChoice(const QString &rowKey, const QString &choiceKey);
    /// Selects the choice at `position` (0-based) of a choice row.
    bool selectChoiceAt(const QString &rowKey, int position);
    bool containsChoice(const QString &rowKey, const QString &choiceKey) const;
    QString choiceCaption(const QString &rowKey, const QString &choiceKey) const;
    bool setChoiceCaption(const QString &rowKey, const QString &choiceKey, const QString &caption);
    QVariant choiceTag(const QString &rowKey, const QString &choiceKey) const;
    bool setChoiceTag(const QString &rowKey, const QString &choiceKey, const QVariant &tag);
    /// Position (0-based) of the selected choice; -1 when none.
    int selectedChoicePosition(const QString &rowKey) const;

    // --- user actions (the views call these; so may the host) ----------------

    /// Asks to edit an item: false when the item or panel is disabled, the
    /// kind has no editor, or a beforeEdit handler cancels.
    bool requestEdit(const QString &key);
    /// A value entered by the user: emits beforeValueChange; unless cancelled
    /// (or the item is disabled) stores it and emits valueChanged. Returns
    /// whether the value was stored.
    bool editValue(const QString &key, const QVariant &value);
    /// Emits buttonClicked for an enabled picker row; returns whether it did.
    bool clickButton(const QString &key);
    /// Emits itemClicked for an enabled command or menu entry (a check-box
    /// command also toggles); returns whether it did.
    bool clickItem(const QString &key);

    // --- QAbstractItemModel ---------------------------------------------------

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    /// EditRole on the value column and CheckStateRole go through editValue.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    void redrawChanged();
    void enabledChanged();
    /// An item became the selected item.
    void itemSelected(const QString &key);
    /// The user is about to change a value; set `cancel` to keep the old one.
    void beforeValueChange(const QString &key, const QVariant &newValue, bool &cancel);
    /// The user is about to edit an item; set `cancel` to open no editor.
    void beforeEdit(const QString &key, bool &cancel);
    /// A property of an item changed: "Value" or "Caption".
    void valueChanged(const QString &key, const QString &propertyName);
    /// The "..." button of a picker row was pressed.
    void buttonClicked(const QString &key);
    /// A command or menu entry was clicked.
    void itemClicked(const QString &key);
    /// For views: an item's expanded state changed (an empty key: all items).
    void expandedChanged(const QString &key, bool expanded);
    /// For views: an item's visible state changed.
    void visibleChanged(const QString &key, bool visible);
    /// For views: the deferred sub-items of `key` were built, with no rows
    /// inserted (the view asked for them); their visible states apply now.
    void childrenBuilt(const QString &key);
    /// For views: an item should be scrolled into view.
    void scrollToRequested(const QString &key);

private:
    friend class ItemPanelModelPrivate;
    std::unique_ptr<class ItemPanelModelPrivate> const d;
};

} // namespace zr
