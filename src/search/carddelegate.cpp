#include "search/carddelegate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace zr {

namespace {
constexpr int Margin = 4;  // between cards
constexpr int Padding = 6; // inside a card
constexpr int CardWidth = 280;
} // namespace

CardDelegate::CardDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QStringList CardDelegate::lines(const QModelIndex &index) const
{
    QStringList result;
    if (!index.isValid())
        return result;
    const QAbstractItemModel *model = index.model();
    for (int column : m_columns) {
        const QString caption = model->headerData(column, Qt::Horizontal).toString();
        const QString value = model->index(index.row(), column, index.parent()).data().toString();
        result << caption + QStringLiteral(": ") + value;
    }
    return result;
}

QRect CardDelegate::checkRect(const QStyleOptionViewItem &option) const
{
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int size = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, widget);
    const QRect card = option.rect.adjusted(Margin, Margin, -Margin, -Margin);
    return QRect(card.left() + Padding, card.top() + Padding, size, size);
}

void CardDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QRect card = opt.rect.adjusted(Margin, Margin, -Margin, -Margin);
    const bool selected = opt.state & QStyle::State_Selected;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(opt.palette.color(selected ? QPalette::Highlight : QPalette::Mid));
    painter->setBrush(selected ? opt.palette.color(QPalette::Highlight).lighter(170)
                               : opt.palette.color(QPalette::Base));
    painter->drawRoundedRect(QRectF(card).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    int textLeft = card.left() + Padding;
    if (m_checkColumn >= 0) {
        QStyleOptionViewItem check = opt;
        check.rect = checkRect(option);
        const auto state = index.sibling(index.row(), m_checkColumn).data(Qt::CheckStateRole);
        check.state = (check.state & ~(QStyle::State_On | QStyle::State_Off)) |
                      (state.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);
        textLeft = check.rect.right() + Padding;
    }

    painter->setPen(opt.palette.color(QPalette::Text));
    QFont bold = opt.font;
    bold.setBold(true);
    const QFontMetrics plainMetrics(opt.font);
    const QFontMetrics boldMetrics(bold);
    const int lineHeight = qMax(plainMetrics.height(), boldMetrics.height());
    const QAbstractItemModel *model = index.model();
    // Values line up after the widest caption, which may take half the card.
    const int width = card.right() - Padding - textLeft;
    const QString colon = QStringLiteral(": ");
    int captionWidth = 0;
    for (int column : m_columns) {
        const QString caption = model->headerData(column, Qt::Horizontal).toString();
        captionWidth = qMax(captionWidth, boldMetrics.horizontalAdvance(caption + colon));
    }
    captionWidth = qMin(captionWidth + 2, width / 2);
    const int captionRoom = captionWidth - boldMetrics.horizontalAdvance(colon);
    int y = card.top() + Padding;
    for (int column : m_columns) {
        const QString caption = model->headerData(column, Qt::Horizontal).toString();
        const QString value = model->index(index.row(), column, index.parent()).data().toString();
        painter->setFont(bold);
        painter->drawText(
            QRect(textLeft, y, captionWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
            boldMetrics.elidedText(caption, Qt::ElideRight, captionRoom) + colon.trimmed());
        painter->setFont(opt.font);
        painter->drawText(QRect(textLeft + captionWidth, y, width - captionWidth, lineHeight),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          plainMetrics.elidedText(value, Qt::ElideRight, width - captionWidth));
        y += lineHeight;
    }
    painter->restore();
}

QSize CardDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    QFont bold = option.font;
    bold.setBold(true);
    const int lineHeight = qMax(QFontMetrics(option.font).height(), QFontMetrics(bold).height());
    const int lines = qMax(1, int(m_columns.size()));
    return QSize(CardWidth, lines * lineHeight + 2 * (Padding + Margin));
}

bool CardDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                               const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (m_checkColumn < 0 || !index.isValid())
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const QModelIndex check = index.sibling(index.row(), m_checkColumn);
    if (!(check.flags() & Qt::ItemIsUserCheckable))
        return false;
    if (event->type() == QEvent::MouseButtonRelease ||
        event->type() == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton ||
            !checkRect(option).contains(mouse->position().toPoint()))
            return false;
        // A double click toggles once, on its release; the second press is swallowed.
        if (event->type() == QEvent::MouseButtonDblClick)
            return true;
        const bool checked = check.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(check, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    return false;
}

} // namespace zr
