#include "itempanel/tilepaneltree.h"

#include "itempanel/itempanelmodel.h"
#include "itempanel/tilepaneldelegate.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>

namespace zr {

namespace {
using Kind = ItemPanelModel::Kind;
}

TilePanelTree::TilePanelTree(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("tree"));
    // Rows of one height let the view lay out tens of thousands of rows without asking each.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                    | QAbstractItemView::EditKeyPressed);
    setHeaderHidden(true);
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setDefaultSectionSize(220);
    setItemDelegate(new TilePanelDelegate(this));
    connect(this, &QAbstractItemView::clicked, this, &TilePanelTree::onClicked);
    connect(this, &QAbstractItemView::doubleClicked, this, &TilePanelTree::onDoubleClicked);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (!m_syncing && m_model)
            m_model->setExpanded(m_model->keyOf(index), true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        if (!m_syncing && m_model)
            m_model->setExpanded(m_model->keyOf(index), false);
    });
}

void TilePanelTree::setPanelModel(ItemPanelModel *model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    setModel(model);
    if (!model)
        return;
    // Connected after setModel, so that these run after the view's own handling.
    connect(model, &QAbstractItemModel::modelReset, this, &TilePanelTree::restoreState);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TilePanelTree::onRowsInserted);
    connect(model, &ItemPanelModel::expandedChanged, this, &TilePanelTree::onExpandedChanged);
    connect(model, &ItemPanelModel::visibleChanged, this, &TilePanelTree::onVisibleChanged);
    connect(model, &ItemPanelModel::childrenBuilt, this, &TilePanelTree::onChildrenBuilt);
    connect(model, &ItemPanelModel::itemSelected, this, &TilePanelTree::onItemSelected);
    connect(model, &ItemPanelModel::scrollToRequested, this, [this](const QString &key) {
        scrollTo(m_model->indexOf(key));
    });
    restoreState();
}

ItemPanelModel *TilePanelTree::panelModel() const
{
    return m_model;
}

void TilePanelTree::setAllExpanded(bool expanded)
{
    if (!m_model)
        return;
    m_model->setAllExpanded(expanded); // answered by onExpandedChanged with an empty key
}

void TilePanelTree::restoreState()
{
    if (!m_model || !m_model->redraw())
        return;
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    QModelIndex selected;
    // Spans go first: setting one lays out every row the view has been told
    // about since the last layout, so a span after each hidden row made a
    // rebuild quadratic in the number of items.
    std::vector<QModelIndex> hidden, expanded;
    m_model->visitItems([&](const ItemPanelModel::ItemState &item) {
        if (item.kind == Kind::Header)
            setFirstColumnSpanned(item.index.row(), item.index.parent(), true);
        if (!item.visible)
            hidden.push_back(item.index);
        if (item.expanded)
            expanded.push_back(item.index);
        if (item.selected)
            selected = item.index;
    });
    for (const QModelIndex &index : hidden)
        setRowHidden(index.row(), index.parent(), true);
    for (const QModelIndex &index : expanded)
        expand(index);
    if (selected.isValid())
        setCurrentIndex(selected);
    m_syncing = wasSyncing;
}

void TilePanelTree::onRowsInserted(const QModelIndex &parent, int first, int last)
{
    // Items arrive one at a time and without sub-items; only their own state applies.
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = m_model->index(row, 0, parent);
        if (Kind(index.data(ItemPanelModel::KindRole).toInt()) == Kind::Header)
            setFirstColumnSpanned(row, parent, true);
    }
}

void TilePanelTree::onExpandedChanged(const QString &key, bool expanded)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (key.isEmpty()) {
        if (expanded)
            expandAll();
        else
            collapseAll();
    } else {
        setExpanded(m_model->indexOf(key), expanded);
    }
    m_syncing = false;
}

void TilePanelTree::onVisibleChanged(const QString &key, bool visible)
{
    const QModelIndex index = m_model->indexOf(key);
    if (index.isValid())
        setRowHidden(index.row(), index.parent(), !visible);
}

void TilePanelTree::onChildrenBuilt(const QString &key)
{
    // Built while the view lays the item out: hidden rows are hidden before it places them.
    const QModelIndex parent = m_model->indexOf(key);
    const QStringList children = m_model->keys(key);
    for (int row = 0; row < children.size(); ++row) {
        if (!m_model->isVisible(children.at(row)))
            setRowHidden(row, parent, true);
    }
}

void TilePanelTree::onItemSelected(const QString &key)
{
    if (m_syncing)
        return;
    const QModelIndex index = m_model->indexOf(key);
    if (index.isValid() && currentIndex().siblingAtColumn(0) != index) {
        m_syncing = true;
        setCurrentIndex(index);
        m_syncing = false;
    }
}

void TilePanelTree::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    if (!m_syncing && m_model && current.isValid())
        m_model->setSelected(m_model->keyOf(current), true);
}

void TilePanelTree::onClicked(const QModelIndex &index)
{
    if (!m_model || !index.isValid())
        return;
    const QString key = m_model->keyOf(index);
    const Kind kind = m_model->kind(key);
    if (kind == Kind::Command || kind == Kind::MenuEntry) {
        m_model->clickItem(key);
        // A command that holds menu entries opens and closes them like a menu.
        if (m_model->count(key) > 0 && m_model->isItemEnabled(key))
            setExpanded(index.siblingAtColumn(0), !isExpanded(index.siblingAtColumn(0)));
    }
}

void TilePanelTree::onDoubleClicked(const QModelIndex &index)
{
    if (m_model && index.isValid() && m_model->kind(m_model->keyOf(index)) == Kind::Picker)
        m_model->clickButton(m_model->keyOf(index));
}

bool TilePanelTree::editValue(const QModelIndex &index, bool popup)
{
    const QModelIndex value = index.siblingAtColumn(ItemPanelModel::ValueColumn);
    if (!(model()->flags(value) & Qt::ItemIsEditable))
        return false;
    setCurrentIndex(value);
    edit(value);
    QWidget *editor = indexWidget(value);
    if (!editor)
        return false; // refused: disabled, or cancelled by beforeEdit
    if (popup) {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            combo->showPopup();
    }
    return true;
}

bool TilePanelTree::activate(const QModelIndex &index)
{
    const QString key = m_model->keyOf(index);
    switch (m_model->kind(key)) {
    case Kind::Picker:
        return m_model->clickButton(key);
    case Kind::Command:
    case Kind::MenuEntry:
    case Kind::CheckBox:
        return m_model->clickItem(key);
    case Kind::Header:
        setExpanded(index.siblingAtColumn(0), !isExpanded(index.siblingAtColumn(0)));
        return true;
    default:
        return false;
    }
}

void TilePanelTree::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    if (!m_model || !current.isValid() || state() == QAbstractItemView::EditingState
        || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QTreeView::keyPressEvent(event);
        return;
    }
    const Kind kind = m_model->kind(m_model->keyOf(current));
    bool handled = false;
    switch (event->key()) {
    case Qt::Key_F2:
        handled = kind == Kind::Picker ? activate(current) : editValue(current, false);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        handled = editValue(current, false) || activate(current);
        break;
    case Qt::Key_Space:
    case Qt::Key_F4:
        if (kind == Kind::ChoiceRow)
            handled = editValue(current, true);
        else if (kind != Kind::Header)
            handled = activate(current);
        break;
    default:
        break;
    }
    if (handled)
        event->accept();
    else
        QTreeView::keyPressEvent(event);
}

} // namespace zr
