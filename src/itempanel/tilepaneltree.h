#pragma once

#include <QTreeView>

namespace zr {

class ItemPanelModel;

/// The tree inside a TilePanel. Keeps the view in step with the model's
/// visible, expanded and selected states and maps the panel's keys: F2 and
/// Enter edit the value, Space and F4 open a picker or a choice list, Enter
/// and Space click commands and toggle check boxes.
class TilePanelTree : public QTreeView
{
    Q_OBJECT

public:
    explicit TilePanelTree(QWidget *parent = nullptr);

    /// Shows `model` (not owned).
    void setPanelModel(ItemPanelModel *model);
    ItemPanelModel *panelModel() const;

    /// Expands or collapses every item, in the model and the view at once.
    void setAllExpanded(bool expanded);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void restoreState();
    void onRowsInserted(const QModelIndex &parent, int first, int last);
    void onExpandedChanged(const QString &key, bool expanded);
    void onVisibleChanged(const QString &key, bool visible);
    void onChildrenBuilt(const QString &key);
    void onItemSelected(const QString &key);
    void onClicked(const QModelIndex &index);
    void onDoubleClicked(const QModelIndex &index);
    /// Opens the value editor of `index`'s row; `popup` also drops a combo's list.
    bool editValue(const QModelIndex &index, bool popup);
    /// The single action of a row (click, toggle, picker); false when it has none.
    bool activate(const QModelIndex &index);

    ItemPanelModel *m_model = nullptr;
    bool m_syncing = false; // true while the view follows the model, to stop echoes
};

} // namespace zr
