#include "search/grouptreeview.h"

#include <QHeaderView>
#include <QPainter>

namespace zr {

GroupTreeView::GroupTreeView(QWidget *parent) : QTreeView(parent) {}

void GroupTreeView::setShownColumns(const QList<int> &shown)
{
    QHeaderView *columns = header();
    for (int c = 0; c < columns->count(); ++c)
        columns->setSectionHidden(c, !shown.contains(c));
    for (int visual = 0; visual < shown.size(); ++visual)
        columns->moveSection(columns->visualIndex(shown.at(visual)), visual);
    setTreePosition(shown.value(0, 0));
}

void GroupTreeView::drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int column = treePosition();
    if (index.parent().isValid() || !model()->hasChildren(index.siblingAtColumn(0)) || column < 0
        || header()->isSectionHidden(column)) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    const int left = columnViewportPosition(column);
    const int right = header()->length() - header()->offset();
    const QRect row(left, option.rect.top(), qMax(0, right - left), option.rect.height());
    QStyleOptionViewItem heading = option;
    heading.state &= ~QStyle::State_Selected;
    heading.rect = row;
    style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &heading, painter, this);
    const int branch = rootIsDecorated() ? indentation() : 0;
    drawBranches(painter, QRect(left, row.top(), branch, row.height()), index);
    heading.rect = row.adjusted(branch, 0, 0, 0);
    const QModelIndex cell = index.siblingAtColumn(column);
    itemDelegateForIndex(cell)->paint(painter, heading, cell);
}

} // namespace zr
