#pragma once

// Which texts of a window on screen are cut off: labels, buttons, combo boxes, tabs, the
// captions of list headers and the cells of item views, each measured with its own font
// against the room its style leaves it. A text elided on purpose fits only when its tooltip
// says it whole.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>
#include <QTreeView>

namespace zr::test {

/// Where `widget` sits in its window, by object names ("tryPane/tryTrace").
inline QString widgetPath(const QWidget *widget)
{
    QStringList names;
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            names.prepend(w->objectName());
    }
    const QString own = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : QString();
    return (names + (own.isEmpty() ? QStringList() : QStringList{own})).join(QLatin1Char('/'));
}

class TextFit
{
public:
    /// Whether a text elided with the whole of it in its tooltip fits; CutOff also counts a
    /// cell the view shows only in part, its whole to be scrolled to, as cut off.
    enum class Elided { Fits, CutOff };

    /// Every visible text of `root` and its children in its window that does not fit.
    static QStringList cutOff(QWidget *root, Elided elided = Elided::Fits)
    {
        TextFit fit;
        fit.m_elided = elided;
        QList<QWidget *> widgets = root->findChildren<QWidget *>();
        widgets.prepend(root);
        for (QWidget *w : std::as_const(widgets)) {
            if (w->window() != root->window() || !w->isVisible())
                continue;
            if (auto *label = qobject_cast<QLabel *>(w))
                fit.label(label);
            else if (auto *button = qobject_cast<QAbstractButton *>(w))
                fit.button(button);
            else if (auto *combo = qobject_cast<QComboBox *>(w))
                fit.combo(combo);
            else if (auto *tabs = qobject_cast<QTabBar *>(w))
                fit.tabBar(tabs);
            else if (auto *header = qobject_cast<QHeaderView *>(w))
                fit.header(header);
            else if (auto *view = qobject_cast<QAbstractItemView *>(w))
                fit.cells(view);
        }
        return fit.m_cut;
    }

private:
    // A text cut short by `missing` pixels is whole in `toolTip`, or it is reported.
    void report(const QWidget *w, const QString &what, const QString &text, int missing, const QString &toolTip = {})
    {
        if (missing <= 0 || (m_elided == Elided::Fits && !toolTip.isEmpty() && toolTip.contains(text)))
            return;
        m_cut << QStringLiteral("%1%2: «%3» %4 px short").arg(widgetPath(w), what, text).arg(missing);
    }

    static QString shown(const QString &text) { return QString(text).remove(QRegularExpression(QStringLiteral("&(?=[^&\\s])"))); }

    // A label clips what it cannot show; one that elides says the whole text in its tooltip.
    void label(QLabel *label)
    {
        const QString text = label->text();
        if (text.isEmpty())
            return;
        if (label->wordWrap()) {
            report(label, QStringLiteral(" (lines)"), text, label->heightForWidth(label->width()) - label->height());
            return;
        }
        if (const qsizetype dots = text.indexOf(QChar(0x2026)); dots >= 0) {
            const QString tip = label->toolTip();
            if (tip.size() <= text.size() || !tip.startsWith(text.left(dots)) || !tip.endsWith(text.mid(dots + 1)))
                m_cut << QStringLiteral("%1: «%2» elided, its tooltip «%3»").arg(widgetPath(label), text, tip);
        }
        report(label, QString(), text, label->sizeHint().width() - label->width());
    }

    void button(QAbstractButton *button)
    {
        const QString text = shown(button->text());
        if (text.isEmpty())
            return;
        QStyle *style = button->style();
        int room = button->width();
        if (qobject_cast<QCheckBox *>(button)) {
            room -= style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
                    + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
        } else if (qobject_cast<QRadioButton *>(button)) {
            room -= style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button)
                    + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
        } else if (auto *tool = qobject_cast<QToolButton *>(button)) {
            if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
                return;
            QStyleOptionToolButton option;
            option.initFrom(tool);
            room -= style->sizeFromContents(QStyle::CT_ToolButton, &option, QSize(), tool).width();
        } else if (auto *push = qobject_cast<QPushButton *>(button)) {
            // The frame and margins the style puts round an empty button's contents.
            QStyleOptionButton option;
            option.initFrom(push);
            if (push->autoDefault() || push->isDefault())
                option.features |= QStyleOptionButton::AutoDefaultButton;
            if (push->menu())
                option.features |= QStyleOptionButton::HasMenu;
            room -= style->sizeFromContents(QStyle::CT_PushButton, &option, QSize(), push).width();
        }
        if (!button->icon().isNull())
            room -= button->iconSize().width() + 4;
        report(button, QString(), text, button->fontMetrics().horizontalAdvance(text) - room, button->toolTip());
    }

    // The field a closed combo box shows its choice in takes its longest choice whole.
    void combo(QComboBox *combo)
    {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        option.subControls = QStyle::SC_All;
        const int room = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo).width() - 2;
        QString longest;
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i) {
            int width = combo->fontMetrics().horizontalAdvance(combo->itemText(i));
            if (!combo->itemIcon(i).isNull())
                width += combo->iconSize().width() + 4;
            if (width > widest) {
                widest = width;
                longest = combo->itemText(i);
            }
        }
        report(combo, QString(), longest, widest - room, combo->toolTip());
    }

    void tabBar(QTabBar *tabs)
    {
        const int space = tabs->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
        for (int i = 0; i < tabs->count(); ++i) {
            if (!tabs->isTabVisible(i))
                continue;
            const QString text = shown(tabs->tabText(i));
            int needed = tabs->fontMetrics().horizontalAdvance(text) + space;
            if (!tabs->tabIcon(i).isNull())
                needed += tabs->iconSize().width() + 4;
            report(tabs, QStringLiteral(" tab %1").arg(i), text, needed - tabs->tabRect(i).width(), tabs->tabToolTip(i));
        }
    }

    // Each caption of a horizontal header in its section, with room for a sort indicator when shown.
    void header(QHeaderView *header)
    {
        if (header->orientation() != Qt::Horizontal || !header->model())
            return;
        const QAbstractItemModel *model = header->model();
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section) || header->sectionSize(section) <= 0)
                continue;
            QStyleOptionHeader option;
            option.initFrom(header);
            option.section = section;
            option.text = model->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
            const QVariant font = model->headerData(section, Qt::Horizontal, Qt::FontRole);
            if (font.canConvert<QFont>())
                option.fontMetrics = QFontMetrics(font.value<QFont>());
            if (header->isSortIndicatorShown())
                option.sortIndicator = QStyleOptionHeader::SortDown;
            const int needed = header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
            report(header, QStringLiteral(" caption %1").arg(section), option.text, needed - header->sectionSize(section),
                   model->headerData(section, Qt::Horizontal, Qt::ToolTipRole).toString());
        }
    }

    // The cells on screen, each asked of its delegate with the room it has.
    void cells(QAbstractItemView *view)
    {
        if (!view->model())
            return;
        walkCells(view, QModelIndex());
    }

    void walkCells(QAbstractItemView *view, const QModelIndex &parent)
    {
        const QAbstractItemModel *model = view->model();
        auto *tree = qobject_cast<QTreeView *>(view);
        const QRect screen = view->viewport()->rect();
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const bool spanned = tree && tree->isFirstColumnSpanned(row, parent);
            for (int column = 0; column < (spanned ? 1 : model->columnCount(parent)); ++column) {
                const QModelIndex index = model->index(row, column, parent);
                const QRect rect = view->visualRect(index);
                if (rect.isEmpty() || !rect.intersects(screen))
                    continue;
                cell(view, index, rect);
            }
            const QModelIndex first = model->index(row, 0, parent);
            if (tree && tree->isExpanded(first))
                walkCells(view, first);
        }
    }

    void cell(QAbstractItemView *view, const QModelIndex &index, const QRect &rect)
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty())
            return;
        QStyleOptionViewItem option;
        option.initFrom(view->viewport());
        option.font = view->font();
        option.fontMetrics = view->fontMetrics();
        option.rect = rect;
        option.decorationSize = view->iconSize().isValid()
            ? view->iconSize()
            : QSize(view->style()->pixelMetric(QStyle::PM_SmallIconSize), view->style()->pixelMetric(QStyle::PM_SmallIconSize));
        option.textElideMode = view->textElideMode();
        if (view->property("wordWrap").toBool())
            option.features |= QStyleOptionViewItem::WrapText;
        option.widget = view;
        const QSize needed = view->itemDelegateForIndex(index)->sizeHint(option, index);
        const QString tip = index.data(Qt::ToolTipRole).toString();
        const int room = (m_elided == Elided::CutOff ? rect & view->viewport()->rect() : rect).width();
        report(view, QStringLiteral(" [%1,%2]").arg(index.row()).arg(index.column()), text, needed.width() - room, tip);
        if (option.features & QStyleOptionViewItem::WrapText)
            report(view, QStringLiteral(" [%1,%2] (lines)").arg(index.row()).arg(index.column()), text,
                   needed.height() - rect.height(), tip);
    }

    Elided m_elided = Elided::Fits;
    QStringList m_cut;
};

} // namespace zr::test
