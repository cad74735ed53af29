#include "itempanel/tilepaneldelegate.h"

#include "common/langstrings.h"
#include "itempanel/itempanelmodel.h"

#include <QApplication>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace zr {

namespace {

using Kind = ItemPanelModel::Kind;

Kind kindAt(const QModelIndex &index)
{
    return Kind(index.data(ItemPanelModel::KindRole).toInt());
}

ItemPanelModel *panelModel(const QModelIndex &index)
{
    return qobject_cast<ItemPanelModel *>(const_cast<QAbstractItemModel *>(index.model()));
}

} // namespace

TilePanelDelegate::TilePanelDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QRect TilePanelDelegate::buttonRect(const QRect &cell)
{
    const int width = qMin(cell.width(), qMax(cell.height(), 22));
    return QRect(cell.right() - width + 1, cell.top(), width, cell.height());
}

QWidget *TilePanelDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                         const QModelIndex &index) const
{
    ItemPanelModel *model = panelModel(index);
    if (!model || index.column() != ItemPanelModel::ValueColumn)
        return nullptr;
    const QString key = model->keyOf(index);
    // Every editor, whatever opened it, passes the host's beforeEdit first.
    if (!model->requestEdit(key))
        return nullptr;
    switch (model->kind(key)) {
    case Kind::ChoiceRow: {
        auto *combo = new QComboBox(parent);
        combo->setObjectName(QStringLiteral("choiceEditor"));
        combo->setFrame(false);
        const QStringList keys = index.data(ItemPanelModel::ChoiceKeysRole).toStringList();
        const QStringList captions = index.data(ItemPanelModel::ChoiceCaptionsRole).toStringList();
        for (qsizetype i = 0; i < keys.size(); ++i)
            combo->addItem(captions.value(i), keys.at(i));
        // A choice picked from the list is the whole edit: commit and close at once.
        connect(combo, &QComboBox::activated, this, [this, combo] {
            emit const_cast<TilePanelDelegate *>(this)->commitData(combo);
            emit const_cast<TilePanelDelegate *>(this)->closeEditor(combo);
        });
        return combo;
    }
    case Kind::Number: {
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("numberEditor"));
        edit->setFrame(false);
        edit->setValidator(new QIntValidator(edit));
        return edit;
    }
    case Kind::Entry: {
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("entryEditor"));
        edit->setFrame(false);
        return edit;
    }
    default:
        return nullptr;
    }
}

void TilePanelDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentIndex(combo->findData(index.data(Qt::EditRole).toString()));
    } else if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        edit->setText(index.data(Qt::EditRole).toString());
    }
}

void TilePanelDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                     const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentData(), Qt::EditRole);
    } else if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        model->setData(index, edit->text(), Qt::EditRole);
    }
}

void TilePanelDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                             const QModelIndex &) const
{
    editor->setGeometry(option.rect);
}

void TilePanelDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // Captions carry "&" before their mnemonic letter, as button texts do; a row shows the text without it.
    if (index.column() == ItemPanelModel::CaptionColumn && option->text.contains(QLatin1Char('&')))
        option->text = StripMnemonic(option->text);
    if (kindAt(index) == Kind::Header)
        option->font.setBold(true);
}

void TilePanelDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const bool picker = index.column() == ItemPanelModel::ValueColumn && kindAt(index) == Kind::Picker;
    QStyleOptionViewItem cell(option);
    if (picker)
        cell.rect.setRight(buttonRect(option.rect).left() - 1);
    QStyleOptionViewItem shown(cell);
    initStyleOption(&shown, index);
    const bool emptyToFill = shown.text.isEmpty() && index.column() == ItemPanelModel::ValueColumn
        && (index.flags() & Qt::ItemIsEditable) && (index.flags() & Qt::ItemIsEnabled);
    if (shown.features & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration))
        QStyledItemDelegate::paint(painter, cell, index);
    else
        paintText(painter, shown); // takes the text out of `shown`
    if (emptyToFill)
        paintEmptyBox(painter, cell);
    if (picker)
        paintPickerButton(painter, option);
}

// An empty value a user may fill in is outlined, so that it is seen as a box to type in.
void TilePanelDelegate::paintEmptyBox(QPainter *painter, const QStyleOptionViewItem &cell) const
{
    painter->save();
    painter->setPen(QPen(cell.palette.color(QPalette::Mid), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(cell.rect).adjusted(2.5, 2.5, -2.5, -2.5));
    painter->restore();
}

// The style draws the cell without its text (background, selection, focus), then
// the text is drawn shaped once: the style would shape it up to five times a paint.
void TilePanelDelegate::paintText(QPainter *painter, QStyleOptionViewItem &cell) const
{
    const QWidget *widget = cell.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QString text = cell.text;
    cell.text.clear();
    cell.features &= ~QStyleOptionViewItem::HasDisplay;
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    QPalette::ColorGroup group = QPalette::Disabled;
    if (cell.state & QStyle::State_Enabled)
        group = cell.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
    const QColor color = cell.palette.color(group, cell.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                        : QPalette::Text);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    m_texts.draw(painter, cell.rect.adjusted(margin, 0, -margin, 0), text, cell.font, color, cell.displayAlignment,
                 cell.textElideMode);
}

void TilePanelDelegate::paintPickerButton(QPainter *painter, const QStyleOptionViewItem &option) const
{
    QStyleOptionButton opt;
    opt.rect = buttonRect(option.rect);
    opt.text = QStringLiteral("...");
    opt.state = QStyle::State_Raised;
    if (option.state & QStyle::State_Enabled)
        opt.state |= QStyle::State_Enabled;
    opt.palette = option.palette;
    opt.fontMetrics = option.fontMetrics;
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_PushButton, &opt, painter, widget);
}

bool TilePanelDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                    const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() == QEvent::MouseButtonRelease && index.column() == ItemPanelModel::ValueColumn
        && kindAt(index) == Kind::Picker) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && buttonRect(option.rect).contains(mouse->position().toPoint())) {
            if (ItemPanelModel *panel = panelModel(index))
                panel->clickButton(panel->keyOf(index));
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

} // namespace zr
