#pragma once

#include <QList>
#include <QStyledItemDelegate>

namespace zr {

/// Paints each record of a list as a card: a check box when the list has
/// one, then a "caption: value" line for each column shown. The view shows
/// one column of the model; the other columns are read from the same row.
class CardDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit CardDelegate(QObject *parent = nullptr);

    /// Columns whose lines a card shows, in order.
    void setColumns(const QList<int> &columns) { m_columns = columns; }
    const QList<int> &columns() const { return m_columns; }
    /// Column whose check state the card's check box shows (-1: none).
    void setCheckColumn(int column) { m_checkColumn = column; }

    /// The card's lines for the record of `index`, as painted.
    QStringList lines(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    QRect checkRect(const QStyleOptionViewItem &option) const;

    QList<int> m_columns;
    int m_checkColumn = -1;
};

} // namespace zr
