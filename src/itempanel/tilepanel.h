#pragma once

#include "zrwidgets_export.h"

#include <QWidget>

#include <memory>

class QLabel;
class QTreeView;

namespace zr {

class ItemPanelModel;

/// An item panel: a caption above a two-column tree (caption, value) over
/// an ItemPanelModel. Header rows span both columns in bold and expand to
/// their rows; choice rows edit in a combo, entry and number rows in a line
/// edit, picker rows show a "..." button (emits buttonClicked); command and
/// menu rows emit itemClicked; check-box rows toggle. Editors exist only
/// while a row is edited.
///
/// Keys: arrows move, F2 and Enter edit, Space and F4 open a picker or a
/// choice list, Enter and Space click commands. The events are the model's
/// signals.
class ZRWIDGETS_EXPORT TilePanel : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(TilePanel)
    Q_PROPERTY(QString caption READ caption WRITE setCaption NOTIFY captionChanged)
    Q_PROPERTY(bool redraw READ redraw WRITE setRedraw NOTIFY redrawChanged)
    Q_PROPERTY(int borderStyle READ borderStyle WRITE setBorderStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int captionStyle READ captionStyle WRITE setCaptionStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int captionAlignment READ captionAlignment WRITE setCaptionAlignment NOTIFY appearanceChanged)
    Q_PROPERTY(int edgeStyle READ edgeStyle WRITE setEdgeStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int scrollBarStyle READ scrollBarStyle WRITE setScrollBarStyle NOTIFY appearanceChanged)

public:
    /// borderStyle values.
    enum BorderStyle { BorderNone = 0, BorderSingle = 1 };
    /// captionStyle values.
    enum CaptionStyle { CaptionHidden = 0, CaptionPlain = 1, CaptionBold = 2 };
    /// edgeStyle values.
    enum EdgeStyle { EdgeFlat = 0, EdgeSunken = 1, EdgeRaised = 2 };
    /// scrollBarStyle values; scroll bars show as needed in the allowed directions.
    enum ScrollBarStyle { ScrollNone = 0, ScrollHorizontal = 1, ScrollVertical = 2, ScrollBoth = 3 };
    Q_ENUM(BorderStyle)
    Q_ENUM(CaptionStyle)
    Q_ENUM(EdgeStyle)
    Q_ENUM(ScrollBarStyle)

    /// A panel with its own, empty model.
    explicit TilePanel(QWidget *parent = nullptr);
    ~TilePanel() override;

    /// The panel's items and events: its own, or the one given to setModel.
    ItemPanelModel *model() const;
    /// Shows `model`, which stays its owner's (a controller keeps its items
    /// without a widget); the panel's own model goes.
    void setModel(ItemPanelModel *model);
    /// The tree that shows the items (object name "tree").
    QTreeView *treeView() const;

    /// Title shown above the items (object name "caption"); also the tree's
    /// accessible name. Empty by default.
    QString caption() const;
    void setCaption(const QString &caption);

    /// Redrawing switch: off stops painting and batches the model's changes
    /// into one reset when switched on again. On by default.
    bool redraw() const;
    void setRedraw(bool on);

    /// Expands or collapses every item with sub-items.
    void expandAll();
    void collapseAll();

    int borderStyle() const;       ///< default BorderSingle
    void setBorderStyle(int style);
    int captionStyle() const;      ///< default CaptionBold
    void setCaptionStyle(int style);
    int captionAlignment() const;  ///< Qt::Alignment flags; default left, vertically centred
    void setCaptionAlignment(int alignment);
    int edgeStyle() const;         ///< default EdgeSunken
    void setEdgeStyle(int style);
    int scrollBarStyle() const;    ///< default ScrollBoth
    void setScrollBarStyle(int style);

Q_SIGNALS:
    void captionChanged();
    void redrawChanged();
    /// A border, caption, edge or scroll-bar style changed.
    void appearanceChanged();

private:
    std::unique_ptr<class TilePanelPrivate> const d;
};

} // namespace zr
