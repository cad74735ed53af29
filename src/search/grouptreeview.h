#pragma once

#include <QTreeView>

namespace zr {

/// The select-from-list dialog's grouped view. A group row is one heading
/// across the row, starting in the column that carries the tree. QTreeView
/// spans only the model's first column, which a column layout may hide
/// (the id column usually is); the heading would then not show at all.
class GroupTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit GroupTreeView(QWidget *parent = nullptr);

    /// Puts the tree (branches, indentation and group headings) in the first
    /// of `shown` (logical columns in the order shown).
    void setShownColumns(const QList<int> &shown);

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace zr
