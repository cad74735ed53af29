#pragma once

#include "itempanel/shapedtexts.h"

#include <QStyledItemDelegate>

namespace zr {

class ItemPanelModel;

/// Draws and edits the rows of a TilePanel by their kind: a combo over a
/// choice row's choices, a line edit for entry and number rows, a "..."
/// button drawn in picker rows. Editors exist only while a row is edited;
/// beforeEdit is asked before each one is created.
class TilePanelDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TilePanelDelegate(QObject *parent = nullptr);

    /// Rectangle of the "..." button within a picker row's value cell.
    static QRect buttonRect(const QRect &cell);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    void paintText(QPainter *painter, QStyleOptionViewItem &cell) const;
    void paintPickerButton(QPainter *painter, const QStyleOptionViewItem &option) const;
    void paintEmptyBox(QPainter *painter, const QStyleOptionViewItem &cell) const;

    mutable ShapedTexts m_texts;
};

} // namespace zr
