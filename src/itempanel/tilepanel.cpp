#include "itempanel/tilepanel.h"

#include "common/notifyonchange.h"
#include "itempanel/itempanelmodel.h"
#include "itempanel/tilepaneltree.h"

#include <QLabel>
#include <QVBoxLayout>

namespace zr {

class TilePanelPrivate
{
public:
    void applyFrame()
    {
        m_tree->setFrameShape(m_borderStyle == TilePanel::BorderNone ? QFrame::NoFrame
                                                                      : QFrame::StyledPanel);
        switch (m_edgeStyle) {
        case TilePanel::EdgeFlat:
            m_tree->setFrameShadow(QFrame::Plain);
            break;
        case TilePanel::EdgeRaised:
            m_tree->setFrameShadow(QFrame::Raised);
            break;
        default:
            m_tree->setFrameShadow(QFrame::Sunken);
            break;
        }
    }

    void applyCaption()
    {
        m_caption->setVisible(m_captionStyle != TilePanel::CaptionHidden && !m_caption->text().isEmpty());
        QFont font = m_caption->font();
        font.setBold(m_captionStyle == TilePanel::CaptionBold);
        m_caption->setFont(font);
        m_caption->setAlignment(Qt::Alignment(m_captionAlignment));
    }

    void applyScrollBars()
    {
        const bool horizontal = m_scrollBarStyle & TilePanel::ScrollHorizontal;
        const bool vertical = m_scrollBarStyle & TilePanel::ScrollVertical;
        m_tree->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        m_tree->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    }

    ItemPanelModel *m_model = nullptr;
    TilePanelTree *m_tree = nullptr;
    QLabel *m_caption = nullptr;
    int m_borderStyle = TilePanel::BorderSingle;
    int m_captionStyle = TilePanel::CaptionBold;
    int m_captionAlignment = int(Qt::AlignLeft | Qt::AlignVCenter);
    int m_edgeStyle = TilePanel::EdgeSunken;
    int m_scrollBarStyle = TilePanel::ScrollBoth;
};

TilePanel::TilePanel(QWidget *parent) : QWidget(parent), d(std::make_unique<TilePanelPrivate>())
{
    d->m_model = new ItemPanelModel(this);
    d->m_caption = new QLabel(this);
    d->m_caption->setObjectName(QStringLiteral("caption"));
    d->m_tree = new TilePanelTree(this);
    d->m_tree->setPanelModel(d->m_model);
    d->m_caption->setBuddy(d->m_tree);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(d->m_caption);
    layout->addWidget(d->m_tree, 1);
    setFocusProxy(d->m_tree);

    d->applyFrame();
    d->applyCaption();
    d->applyScrollBars();
}

TilePanel::~TilePanel() = default;

void TilePanel::setModel(ItemPanelModel *model)
{
    if (!model || model == d->m_model)
        return;
    ItemPanelModel *previous = d->m_model;
    d->m_model = model;
    d->m_tree->setPanelModel(model);
    if (previous->QObject::parent() == this)
        delete previous;
}

ItemPanelModel *TilePanel::model() const
{
    return d->m_model;
}

QTreeView *TilePanel::treeView() const
{
    return d->m_tree;
}

QString TilePanel::caption() const
{
    return d->m_caption->text();
}

void TilePanel::setCaption(const QString &caption)
{
    const NotifyOnChange notify(this, "caption");
    d->m_caption->setText(caption);
    d->m_tree->setAccessibleName(caption);
    d->applyCaption();
}

bool TilePanel::redraw() const
{
    return d->m_model->redraw();
}

void TilePanel::setRedraw(bool on)
{
    const NotifyOnChange notify(this, "redraw");
    if (on == d->m_model->redraw())
        return;
    if (!on) {
        d->m_tree->setUpdatesEnabled(false);
        d->m_model->setRedraw(false);
    } else {
        d->m_model->setRedraw(true);
        d->m_tree->setUpdatesEnabled(true);
    }
}

void TilePanel::expandAll()
{
    d->m_tree->setAllExpanded(true);
}

void TilePanel::collapseAll()
{
    d->m_tree->setAllExpanded(false);
}

int TilePanel::borderStyle() const
{
    return d->m_borderStyle;
}

void TilePanel::setBorderStyle(int style)
{
    const NotifyOnChange notify(this, "borderStyle");
    d->m_borderStyle = style;
    d->applyFrame();
}

int TilePanel::captionStyle() const
{
    return d->m_captionStyle;
}

void TilePanel::setCaptionStyle(int style)
{
    const NotifyOnChange notify(this, "captionStyle");
    d->m_captionStyle = style;
    d->applyCaption();
}

int TilePanel::captionAlignment() const
{
    return d->m_captionAlignment;
}

void TilePanel::setCaptionAlignment(int alignment)
{
    const NotifyOnChange notify(this, "captionAlignment");
    d->m_captionAlignment = alignment;
    d->applyCaption();
}

int TilePanel::edgeStyle() const
{
    return d->m_edgeStyle;
}

void TilePanel::setEdgeStyle(int style)
{
    const NotifyOnChange notify(this, "edgeStyle");
    d->m_edgeStyle = style;
    d->applyFrame();
}

int TilePanel::scrollBarStyle() const
{
    return d->m_scrollBarStyle;
}

void TilePanel::setScrollBarStyle(int style)
{
    const NotifyOnChange notify(this, "scrollBarStyle");
    d->m_scrollBarStyle = style;
    d->applyScrollBars();
}

} // namespace zr
