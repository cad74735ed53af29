#include "requirementswidgets.h"

#include "common/langstrings.h"
#include "itempanel/itempanelmodel.h"
#include "itempanel/tilepanel.h"
#include "requirements/requirementseditor.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextDocument>
#include <QTreeView>
#include <QVBoxLayout>

namespace zr {

void RequirementsWidgets::build(QWidget *owner, ItemPanelModel *commands, ItemPanelModel *list)
{
    PicInfo = new QWidget(owner);
    PicInfo->setObjectName(QStringLiteral("PicInfo"));
    Label4 = new QLabel(PicInfo);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    auto *infoLayout = new QHBoxLayout(PicInfo);
    infoLayout->setContentsMargins(4, 4, 4, 4);
    infoLayout->addWidget(Label4);

    picOrient = new QWidget(owner);
    picOrient->setObjectName(QStringLiteral("picOrient"));
    Label1 = new QLabel(picOrient);
    Label1->setObjectName(QStringLiteral("Label1"));
    cbOrient = new QComboBox(picOrient);
    cbOrient->setObjectName(QStringLiteral("cbOrient"));
    cbOrient->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Label1->setBuddy(cbOrient);
    auto *orientLayout = new QHBoxLayout(picOrient);
    orientLayout->setContentsMargins(0, 0, 0, 0);
    orientLayout->addWidget(Label1);
    orientLayout->addWidget(cbOrient, 1);

    smButtons = new TilePanel(owner);
    smButtons->setObjectName(QStringLiteral("smButtons"));
    smButtons->setCaptionStyle(TilePanel::CaptionHidden);
    smButtons->setModel(commands);
    // Long type names differ at their ends ("... ανά εξάμηνα", "... ανά ακαδημαϊκό έτος"):
    // a narrow panel keeps both ends, and the whole name is the tooltip.
    smButtons->treeView()->setTextElideMode(Qt::ElideMiddle);
    smRequirements = new TilePanel(owner);
    smRequirements->setObjectName(QStringLiteral("smRequirements"));
    smRequirements->setModel(list);

    auto *splitter = new QSplitter(Qt::Horizontal, owner);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(smButtons);
    splitter->addWidget(smRequirements);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 600});

    txtInfo = new QPlainTextEdit(owner);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setReadOnly(true);
    txtInfo->setMaximumHeight(80);
    Label2 = new QLabel(owner);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtEval = new QPlainTextEdit(owner);
    txtEval->setObjectName(QStringLiteral("txtEval"));
    txtEval->setReadOnly(true);
    txtEval->setMaximumHeight(70);
    Label2->setBuddy(txtEval);

    auto *layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PicInfo);
    layout->addWidget(picOrient);
    layout->addWidget(splitter, 1);
    layout->addWidget(txtInfo);
    layout->addWidget(Label2);
    layout->addWidget(txtEval);
    PicInfo->setVisible(false);
    picOrient->setVisible(false);

    clearAction = new QAction(smRequirements);
    clearAction->setObjectName(QStringLiteral("actClearValue"));
    clearAction->setShortcut(QKeySequence::Delete);
    clearAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    smRequirements->treeView()->addAction(clearAction);
    smRequirements->treeView()->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void RequirementsWidgets::retranslate()
{
    Label1->setText(GetLangString(20518));
    Label2->setText(GetLangString(20520));
    smRequirements->setCaption(GetLangString(20521));
    Label4->setText(GetLangString(10000));
    txtEval->setAccessibleName(GetLangString(20520));
    txtInfo->setAccessibleName(GetLangString(20521));
    clearAction->setText(GetLangString(10106));
    cbOrient->setAccessibleName(GetLangString(20518));
}

namespace {

// The width the captions under `parent` take in `tree`'s first column, indented as shown.
int captionWidth(const QTreeView *tree, const QModelIndex &parent, int depth)
{
    const QAbstractItemModel *model = tree->model();
    QStyleOptionViewItem option;
    option.initFrom(tree->viewport());
    option.font = tree->font();
    option.widget = tree;
    int widest = 0;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        if (tree->isRowHidden(row, parent))
            continue;
        const QModelIndex index = model->index(row, 0, parent);
        widest = qMax(widest, tree->itemDelegateForIndex(index)->sizeHint(option, index).width() + depth * tree->indentation());
        // A folded menu takes no room: the list keeps it until the user opens the menu.
        if (tree->isExpanded(index))
            widest = qMax(widest, captionWidth(tree, index, depth + 1));
    }
    return widest;
}

} // namespace

void RequirementsWidgets::fitCommands(bool shrink)
{
    QTreeView *tree = smButtons->treeView();
    auto *splitter = qobject_cast<QSplitter *>(smButtons->parentWidget());
    if (!tree->model() || !splitter)
        return;
    // Commands have no values: their captions take the panel's whole width, elided when narrower.
    tree->setColumnHidden(ItemPanelModel::ValueColumn, true);
    const QList<int> sizes = splitter->sizes();
    if (!splitter->isVisible() || sizes.size() != 2)
        return; // the sizes are the splitter's once it is shown
    int panel = captionWidth(tree, QModelIndex(), tree->rootIsDecorated() ? 1 : 0) + 2 * tree->frameWidth();
    if (tree->verticalScrollBar()->isVisible())
        panel += tree->verticalScrollBar()->width();
    // The requirement list keeps at least half, in a window narrowed later too.
    const int total = sizes.at(0) + sizes.at(1);
    const int width = qMin(panel, total / 2);
    if (sizes.at(0) < width || sizes.at(0) > total / 2 || (shrink && sizes.at(0) > width))
        splitter->setSizes({width, total - width});
}

void RequirementsWidgets::resetOnLoad(bool curriculumDependent, bool scholarship)
{
    smRequirements->setCaption(GetLangString(20521));
    txtInfo->clear();
    QPalette palette = txtEval->palette();
    palette.setColor(QPalette::Base, QColor(240, 240, 225));
    txtEval->setPalette(palette);
    picOrient->setVisible(curriculumDependent);
    PicInfo->setVisible(scholarship);
    Label4->setText(GetLangString(10000));
}

void RequirementsWidgets::showCurricula(const QList<CurriculumEntry> &curricula, qint32 shown)
{
    cbOrient->clear();
    for (const CurriculumEntry &entry : curricula)
        cbOrient->addItem(entry.name, entry.id);
    const int index = cbOrient->findData(shown);
    if (index >= 0)
        cbOrient->setCurrentIndex(index);
}

void RequirementsWidgets::showExpression(const QString &display, const QString &highlight)
{
    // A set reloaded after a save shows the same expression: it is not laid out again, nor scrolled back.
    if (shownExpression != display) {
        txtEval->setPlainText(display);
        shownExpression = display;
    }
    QList<QTextEdit::ExtraSelection> marks;
    if (!highlight.isEmpty()) {
        // The requirement just added stands last in the expression.
        QTextCursor found = txtEval->document()->find(QLatin1Char('[') + highlight + QLatin1Char(']'),
                                                      txtEval->document()->characterCount(),
                                                      QTextDocument::FindBackward);
        if (!found.isNull()) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = found;
            mark.format.setBackground(txtEval->palette().color(QPalette::Highlight));
            mark.format.setForeground(txtEval->palette().color(QPalette::HighlightedText));
            marks << mark;
        }
    }
    txtEval->setExtraSelections(marks);
}

void RequirementsWidgets::goTo(const QString &group, const QString &key, bool edit)
{
    ItemPanelModel *list = smRequirements->model();
    list->setExpanded(group, true);
    list->setSelected(key, true);
    list->ensureVisible(key);
    QTreeView *view = smRequirements->treeView();
    view->setFocus(Qt::OtherFocusReason);
    const QModelIndex value = list->indexOf(key, ItemPanelModel::ValueColumn);
    view->setCurrentIndex(value);
    // Making the value current scrolls a narrow list sideways; the row's caption says what to mend.
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->minimum());
    if (edit)
        view->edit(value);
}

void RequirementsWidgets::answerMnemonics(QWidget *owner, ItemPanelModel *commands, const QStringList &keys,
                                          const QString &addKey)
{
    qDeleteAll(shortcuts);
    shortcuts.clear();
    for (const QString &key : keys) {
        const QString shortcut = commands->shortcut(key);
        if (shortcut.isEmpty())
            continue;
        auto *action = new QShortcut(QKeySequence(shortcut), owner, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        QObject::connect(action, &QShortcut::activated, owner, [this, commands, key, addKey] {
            if (key == addKey)
                smButtons->setFocus();
            else
                commands->clickItem(key);
        });
        shortcuts << action;
    }
}

} // namespace zr
