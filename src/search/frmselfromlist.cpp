#include "search/frmselfromlist.h"

#include "common/errorlog.h"
#include "common/langstrings.h"
#include "common/waitcursor.h"
#include "common/msgboxex.h"
#include "recordset/recordsetmodel.h"
#include "recordset/recordsetutils.h"
#include "common/schema.h"
#include "common/zrerror.h"
#include "recordset/lookupcache.h"
#include "search/carddelegate.h"
#include "search/grouplistproxy.h"
#include "search/grouptreeview.h"
#include "search/listprint.h"
#include "search/selectlistproxy.h"
#include "search/zrsearchx.h"

#include <QAction>
#include <QActionGroup>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace zr {

namespace {

const QString ProgrammeCourses = QStringLiteral("QEMDepProgramCourses");


} // namespace

class frmSelFromListPrivate
{
public:
    explicit frmSelFromListPrivate(frmSelFromList *q) : q(q) {}

    void buildUi();
    void setCaptions();
    void applyLayout();
    void applyValueLists();
    QHash<QString, QString> valueListOf(const SchemaColumn &column);
    void updateStatus();
    void setSearchShown(bool shown);
    QString recordText(int row) const;
    void buildListViews();
    void buildListActions();
    void fillGroupMenu();
    void setGroupColumn(int column);
    void showView();
    void updateActionStates();
    QList<int> chosenRowsOf(QAbstractItemView *view) const;
    void selectInTree(int row);
    void fitColumns();
    std::unique_ptr<QTextDocument> printDocument() const;

    frmSelFromList *const q;
    SelectRsOptions m_options;
    Recordset m_list;
    bool m_cancelled = true;
    QString m_lastWhere;
    bool m_searched = false;
    bool m_columnsFitted = false; // to the first rows shown since setup; the user's widths stay after that
    QHash<QString, QHash<QString, QString>> m_valueListCache; // by lower-case field name

    QLabel *m_title = nullptr;
    QToolBar *m_toolbar = nullptr;
    QAction *m_findAction = nullptr;
    QAction *m_refreshAction = nullptr;
    QAction *m_groupAction = nullptr;
    QAction *m_expandAction = nullptr;
    QAction *m_collapseAction = nullptr;
    QAction *m_cardAction = nullptr;
    QAction *m_printAction = nullptr;
    QMenu *m_groupMenu = nullptr;
    QStackedWidget *m_views = nullptr;
    GroupTreeView *m_tree = nullptr;
    QListView *m_cards = nullptr;
    GroupListProxy *m_groups = nullptr;
    CardDelegate *m_cardDelegate = nullptr;
    QList<int> m_shownColumns; // logical columns in the order shown
    int m_lastGroupColumn = -1;
    QString m_groupOnOpen; // the caller's grouping, until the first rows show its column
    QSplitter *m_splitter = nullptr;
    zrSearchX *m_search = nullptr;
    QTableView *m_view = nullptr;
    RecordsetModel *m_model = nullptr;
    SelectListProxy *m_proxy = nullptr;
    QLabel *m_status = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

void frmSelFromListPrivate::buildUi()
{
    auto *layout = new QVBoxLayout(q);

    m_title = new QLabel(q);
    m_title->setObjectName(QStringLiteral("smTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    layout->addWidget(m_title);

    m_toolbar = new QToolBar(q);
    m_toolbar->setObjectName(QStringLiteral("smuToolbar"));
    m_findAction = m_toolbar->addAction(QString());
    m_findAction->setObjectName(QStringLiteral("find"));
    m_findAction->setCheckable(true);
    m_findAction->setChecked(true);
    m_refreshAction = m_toolbar->addAction(QString());
    m_refreshAction->setObjectName(QStringLiteral("refresh"));
    m_refreshAction->setShortcut(QKeySequence(Qt::Key_F5));
    layout->addWidget(m_toolbar);

    m_splitter = new QSplitter(Qt::Horizontal, q);
    m_splitter->setObjectName(QStringLiteral("SSSplitter1"));
    m_search = new zrSearchX(m_splitter);
    m_search->setObjectName(QStringLiteral("zrSearch1"));
    m_splitter->addWidget(m_search);

    m_view = new QTableView(m_splitter);
    m_view->setObjectName(QStringLiteral("zrSelectList1"));
    m_view->setAccessibleName(QStringLiteral("zrSelectList1"));
    m_model = new RecordsetModel(q);
    m_proxy = new SelectListProxy(q);
    m_proxy->setSourceModel(m_model);
    m_view->setModel(m_proxy);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    // Fixed row heights keep tens of thousands of rows cheap to lay out.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->horizontalHeader()->setSectionsMovable(true);
    buildListViews();
    m_splitter->addWidget(m_views);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({360, 640});
    layout->addWidget(m_splitter, 1);

    m_status = new QLabel(q);
    m_status->setObjectName(QStringLiteral("smStatus"));
    layout->addWidget(m_status);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, q);
    m_buttons->setObjectName(QStringLiteral("buttons"));
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(m_buttons);

    QObject::connect(m_buttons, &QDialogButtonBox::accepted, q, &QDialog::accept);
    QObject::connect(m_buttons, &QDialogButtonBox::rejected, q, &QDialog::reject);
    QObject::connect(m_findAction, &QAction::toggled, q, [this](bool on) { setSearchShown(on); });
    QObject::connect(m_refreshAction, &QAction::triggered, q, [this] {
        if (m_searched)
            q->search(m_lastWhere);
    });
    QObject::connect(m_search, &zrSearchX::Search, q, [this](QString &where) { q->search(where); });
    QObject::connect(m_search, &zrSearchX::ListSourceRequest, q, &frmSelFromList::ListSourceRequest);
    // Space checks or unchecks the selected rows, whichever cell is current.
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(m_view), static_cast<QAbstractItemView *>(m_tree),
                                    static_cast<QAbstractItemView *>(m_cards)}) {
        auto *toggle = new QShortcut(QKeySequence(Qt::Key_Space), view, nullptr, nullptr, Qt::WidgetShortcut);
        QObject::connect(toggle, &QShortcut::activated, q, [this, view] {
            if (!m_options.multiSelect)
                return;
            const QList<int> rows = chosenRowsOf(view);
            const bool check = !rows.isEmpty() && !m_proxy->isChecked(rows.first());
            for (int row : rows)
                m_proxy->setChecked(row, check);
        });
    }
    buildListActions();
    QObject::connect(m_view, &QAbstractItemView::doubleClicked, q, [this](const QModelIndex &index) {
        if (!m_options.multiSelect && index.isValid())
            q->accept();
    });
    q->resize(1000, 560); // wide enough for every toolbar command in Greek
}

// The records show as a table, as groups of a column's values, or as cards;
// all three read the same model, so checks and the chosen rows are shared.
void frmSelFromListPrivate::buildListViews()
{
    m_views = new QStackedWidget(m_splitter);
    m_views->setObjectName(QStringLiteral("listViews"));
    m_views->addWidget(m_view);

    m_groups = new GroupListProxy(q);
    m_groups->setSourceModel(m_proxy);
    m_tree = new GroupTreeView(m_views);
    m_tree->setObjectName(QStringLiteral("groupedList"));
    m_tree->setModel(m_groups);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setAlternatingRowColors(true);
    m_tree->setWordWrap(false);
    m_tree->header()->setStretchLastSection(true);
    m_tree->header()->setSectionsMovable(true);
    m_views->addWidget(m_tree);

    m_cards = new QListView(m_views);
    m_cards->setObjectName(QStringLiteral("cardList"));
    m_cardDelegate = new CardDelegate(m_cards);
    m_cards->setItemDelegate(m_cardDelegate);
    m_cards->setModel(m_proxy);
    m_cards->setSelectionModel(m_view->selectionModel());
    m_cards->setViewMode(QListView::ListMode);
    m_cards->setFlow(QListView::LeftToRight);
    m_cards->setWrapping(true);
    m_cards->setResizeMode(QListView::Adjust);
    m_cards->setMovement(QListView::Static);
    m_cards->setUniformItemSizes(true);
    // Whole rows, as in the table: a record is chosen when its row is selected.
    m_cards->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_cards->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_views->addWidget(m_cards);

    // A new list or grouping shows every group open, each heading across the row.
    QObject::connect(m_groups, &QAbstractItemModel::modelReset, q, [this] {
        for (int group = 0; group < m_groups->rowCount(); ++group)
            m_tree->setFirstColumnSpanned(group, QModelIndex(), true);
        m_tree->expandAll();
    });
    // The table's selection is the one that counts; the grouped view feeds it.
    QObject::connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, q, [this] {
        if (m_views->currentWidget() != m_tree)
            return;
        QItemSelection rows;
        for (int row : chosenRowsOf(m_tree))
            rows.select(m_proxy->index(row, 0), m_proxy->index(row, 0));
        m_view->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(m_tree), static_cast<QAbstractItemView *>(m_cards)}) {
        QObject::connect(view, &QAbstractItemView::doubleClicked, q, [this](const QModelIndex &index) {
            if (!m_options.multiSelect && index.isValid() && !m_groups->isGroup(index))
                q->accept();
        });
    }
    m_view->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(m_view->horizontalHeader(), &QWidget::customContextMenuRequested, q, [this](const QPoint &at) {
        const int column = m_view->horizontalHeader()->logicalIndexAt(at);
        if (column < 0)
            return;
        QMenu menu;
        QAction *group = menu.addAction(GetLangString(61601));
        if (menu.exec(m_view->horizontalHeader()->mapToGlobal(at)) == group)
            setGroupColumn(column);
    });
}

void frmSelFromListPrivate::buildListActions()
{
    m_groupMenu = new QMenu(q);
    m_groupMenu->setObjectName(QStringLiteral("groupColumns"));
    m_groupAction = m_toolbar->addAction(QString());
    m_groupAction->setObjectName(QStringLiteral("group"));
    m_groupAction->setCheckable(true);
    m_groupAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    m_groupAction->setMenu(m_groupMenu);
    if (auto *button = qobject_cast<QToolButton *>(m_toolbar->widgetForAction(m_groupAction)))
        button->setPopupMode(QToolButton::MenuButtonPopup);
    m_expandAction = m_toolbar->addAction(QString());
    m_expandAction->setObjectName(QStringLiteral("expand"));
    m_expandAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    m_collapseAction = m_toolbar->addAction(QString());
    m_collapseAction->setObjectName(QStringLiteral("collapse"));
    m_collapseAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F2));
    m_cardAction = m_toolbar->addAction(QString());
    m_cardAction->setObjectName(QStringLiteral("cards"));
    m_cardAction->setCheckable(true);
    m_cardAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    m_printAction = m_toolbar->addAction(QString());
    m_printAction->setObjectName(QStringLiteral("print"));
    m_printAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));

    // The button itself groups by the column last chosen, else by the first one shown.
    QObject::connect(m_groupAction, &QAction::triggered, q, [this](bool on) {
        int column = -1;
        if (on)
            column = m_shownColumns.contains(m_lastGroupColumn) ? m_lastGroupColumn : m_shownColumns.value(0, -1);
        setGroupColumn(column);
    });
    QObject::connect(m_expandAction, &QAction::triggered, m_tree, &QTreeView::expandAll);
    QObject::connect(m_collapseAction, &QAction::triggered, m_tree, &QTreeView::collapseAll);
    QObject::connect(m_cardAction, &QAction::toggled, q, [this] { showView(); });
    QObject::connect(m_printAction, &QAction::triggered, q, [this] {
        const std::unique_ptr<QTextDocument> document = printDocument();
        PreviewAndPrint(*document, GetLangString(20528), q);
    });
    updateActionStates();
}

// One entry per column shown, in the order shown.
void frmSelFromListPrivate::fillGroupMenu()
{
    m_groupMenu->clear();
    auto *entries = new QActionGroup(m_groupMenu);
    for (int column : std::as_const(m_shownColumns)) {
        QAction *entry = m_groupMenu->addAction(m_proxy->headerData(column, Qt::Horizontal).toString());
        const int field = m_model->fieldOfColumn(column);
        entry->setObjectName(QStringLiteral("group:") + (field >= 0 ? m_list.field(field).name : QString()));
        entry->setData(column);
        entry->setCheckable(true);
        entry->setChecked(column == m_groups->groupColumn());
        entries->addAction(entry);
        QObject::connect(entry, &QAction::triggered, q, [this, column] { setGroupColumn(column); });
    }
}

void frmSelFromListPrivate::setGroupColumn(int column)
{
    if (column >= m_proxy->columnCount())
        column = -1;
    if (column >= 0 && m_cardAction->isChecked())
        m_cardAction->setChecked(false);
    if (column >= 0)
        m_lastGroupColumn = column;
    if (column != m_groups->groupColumn()) {
        m_groups->setGroupColumn(column);
        m_tree->setShownColumns(m_shownColumns);
    }
    for (QAction *entry : m_groupMenu->actions())
        entry->setChecked(column >= 0 && entry->data().toInt() == column);
    showView();
}

void frmSelFromListPrivate::showView()
{
    QWidget *shown = m_view;
    if (m_cardAction->isChecked())
        shown = m_cards;
    else if (m_groups->groupColumn() >= 0)
        shown = m_tree;
    if (m_views->currentWidget() != shown) {
        const bool hadFocus = m_views->currentWidget() && m_views->currentWidget()->hasFocus();
        m_views->setCurrentWidget(shown);
        if (shown == m_tree) {
            const QList<int> rows = chosenRowsOf(m_view);
            if (!rows.isEmpty())
                selectInTree(rows.first());
        }
        if (hadFocus)
            shown->setFocus();
    }
    updateActionStates();
}

void frmSelFromListPrivate::updateActionStates()
{
    const bool cards = m_cardAction->isChecked();
    const bool grouped = m_groups->groupColumn() >= 0;
    m_groupAction->setEnabled(!cards && !m_shownColumns.isEmpty());
    m_groupAction->setChecked(grouped);
    m_expandAction->setEnabled(grouped && !cards);
    m_collapseAction->setEnabled(grouped && !cards);
}

// Rows of the list (not of the groups) selected in `view`, in list order.
QList<int> frmSelFromListPrivate::chosenRowsOf(QAbstractItemView *view) const
{
    QList<int> rows;
    if (!view->selectionModel())
        return rows;
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    QSet<int> seen;
    for (const QModelIndex &index : selected) {
        const QModelIndex row = view == m_tree ? m_groups->mapToSource(index) : index;
        if (row.isValid() && !seen.contains(row.row())) {
            seen.insert(row.row());
            rows << row.row();
        }
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void frmSelFromListPrivate::selectInTree(int row)
{
    const QModelIndex index = m_groups->mapFromSource(m_proxy->index(row, 0));
    if (!index.isValid())
        return;
    m_tree->expand(index.parent());
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_tree->scrollTo(index);
}

// Each column as wide as its caption and values, so that neither is clipped;
// long texts stop at a width that leaves room for the other columns.
void frmSelFromListPrivate::fitColumns()
{
    if (m_columnsFitted)
        return;
    m_columnsFitted = m_proxy->rowCount() > 0;
    const int widest = 40 * m_view->fontMetrics().averageCharWidth();
    QHeaderView *tree = m_tree->header();
    for (int c = 0; c < m_proxy->columnCount(); ++c) {
        m_view->resizeColumnToContents(c);
        const int width = qMin(m_view->columnWidth(c), widest);
        m_view->setColumnWidth(c, width);
        tree->resizeSection(c, width + (c == m_shownColumns.value(0, -1) ? m_tree->indentation() : 0));
    }
}

// Cards print as the table: the same columns, one record a row.
std::unique_ptr<QTextDocument> frmSelFromListPrivate::printDocument() const
{
    if (m_views->currentWidget() == m_tree)
        return ListDocument(*m_groups, m_tree->header(), m_options.title, m_status->text());
    return ListDocument(*m_proxy, m_view->horizontalHeader(), m_options.title, m_status->text());
}

void frmSelFromListPrivate::setCaptions()
{
    m_findAction->setText(GetLangString(20531));
    m_refreshAction->setText(GetLangString(20529));
    m_groupAction->setText(GetLangString(20532));
    // The buttons leave the keys to their tooltips, so that the toolbar fits.
    static const QRegularExpression keys(QStringLiteral("\\s*\\([^)]*\\)\\s*$"));
    m_expandAction->setText(GetLangString(20533).remove(keys));
    m_collapseAction->setText(GetLangString(20535).remove(keys));
    m_cardAction->setText(GetLangString(20530));
    m_groups->setEmptyText(GetLangString(61600));
    // Tooltips name the keys; the expand and collapse texts already do.
    m_groupAction->setToolTip(GetLangString(20532) + QStringLiteral(" (")
                              + m_groupAction->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    m_expandAction->setToolTip(GetLangString(20534));
    m_collapseAction->setToolTip(GetLangString(20536));
    m_cardAction->setToolTip(GetLangString(20530) + QStringLiteral(" (")
                             + m_cardAction->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    m_printAction->setText(GetLangString(20528));
    m_printAction->setToolTip(GetLangString(20528) + QStringLiteral(" (")
                              + m_printAction->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    m_buttons->button(QDialogButtonBox::Ok)->setText(GetLangString(20525));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(GetLangString(20092));
    m_title->setText(m_options.title);
    q->setWindowTitle(m_options.title.isEmpty() ? ApplicationTitle() : m_options.title);
    applyLayout();
    updateStatus();
}

// Headings, order and visibility of the columns follow the schema's layout.
void frmSelFromListPrivate::applyLayout()
{
    const SchemaTable *table = m_options.schema ? m_options.schema->table(m_options.tableName) : nullptr;
    const int columns = m_proxy->columnCount();
    QHeaderView *header = m_view->horizontalHeader();
    const QList<SchemaColumn> layout = table ? table->layout(m_options.layoutName) : QList<SchemaColumn>();
    int checkColumn = -1;
    if (!layout.isEmpty() && !m_list.isNull()) {
        for (int c = 0; c < columns; ++c)
            m_view->setColumnHidden(c, true);
        int visual = 0;
        for (const SchemaColumn &column : layout) {
            const int logical = m_model->columnOfField(column.name);
            if (logical < 0)
                continue;
            m_view->setColumnHidden(logical, false);
            header->moveSection(header->visualIndex(logical), visual++);
            if (checkColumn < 0)
                checkColumn = logical;
        }
    } else {
        for (int c = 0; c < columns; ++c)
            m_view->setColumnHidden(c, false);
        checkColumn = columns > 0 ? header->logicalIndex(0) : -1;
    }
    if (table && !m_list.isNull()) {
        for (int c = 0; c < columns; ++c) {
            const int field = m_model->fieldOfColumn(c);
            if (const SchemaColumn *column = field < 0 ? nullptr : table->column(m_list.field(field).name))
                m_proxy->setHeader(c, column->caption());
        }
    }
    m_proxy->setCheckColumn(m_options.multiSelect ? checkColumn : -1);

    // The grouped and card views show the same columns in the same order.
    m_shownColumns.clear();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            m_shownColumns << logical;
    }
    if (m_groups->groupColumn() >= 0 && !m_shownColumns.contains(m_groups->groupColumn()))
        m_groups->setGroupColumn(-1);
    if (!m_groupOnOpen.isEmpty() && !m_list.isNull()) {
        const int column = m_model->columnOfField(m_groupOnOpen);
        if (m_shownColumns.contains(column)) {
            m_groups->setGroupColumn(column);
            m_lastGroupColumn = column;
        }
        m_groupOnOpen.clear();
    }
    m_tree->setShownColumns(m_shownColumns);
    m_cardDelegate->setColumns(m_shownColumns);
    m_cardDelegate->setCheckColumn(m_proxy->checkColumn());
    m_cards->setModelColumn(m_shownColumns.value(0, 0));
    fillGroupMenu();
    showView();
}

// Codes in the list show their texts: the course kinds of programme courses,
// literal lists of the schema, and lists the caller supplies.
void frmSelFromListPrivate::applyValueLists()
{
    m_proxy->clearValueLists();
    const SchemaTable *table = m_options.schema ? m_options.schema->table(m_options.tableName) : nullptr;
    if (m_list.isNull())
        return;
    QSet<QString> shown;
    if (table) {
        for (const SchemaColumn &column : table->layout(m_options.layoutName))
            shown.insert(column.name.toLower());
    }
    const bool courses = m_options.tableName.compare(ProgrammeCourses, Qt::CaseInsensitive) == 0;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int field = m_model->fieldOfColumn(c);
        if (field < 0)
            continue;
        const QString name = m_list.field(field).name.toLower();
        if (courses && name == QLatin1String("coursetype")) {
            m_proxy->setValueList(c,
                                  {{QStringLiteral("1"), GetLangString(20568)},
                                   {QStringLiteral("2"), GetLangString(20569)},
                                   {QStringLiteral("4"), GetLangString(20570)},
                                   {QStringLiteral("8"), GetLangString(20571)}},
                                  true);
            continue;
        }
        const SchemaColumn *column = table ? table->column(name) : nullptr;
        if (!column || column->listSource.trimmed().isEmpty() || (!shown.isEmpty() && !shown.contains(name)))
            continue;
        // A code table's own ids stay ids: its text is a column of its own.
        if (name.compare(table->keyColumn, Qt::CaseInsensitive) == 0)
            continue;
        // Each list is asked for once per opening, not on every search.
        auto cached = m_valueListCache.constFind(name);
        if (cached == m_valueListCache.constEnd())
            cached = m_valueListCache.insert(name, valueListOf(*column));
        if (!cached->isEmpty())
            m_proxy->setValueList(c, *cached, column->type == FieldBitMask);
    }
}

QHash<QString, QString> frmSelFromListPrivate::valueListOf(const SchemaColumn &column)
{
    const QString source = column.listSource.trimmed();
    Recordset answer;
    const bool isTableSource = source.startsWith(QLatin1String("RECORDSET:"), Qt::CaseInsensitive);
    if (source.startsWith(QLatin1String("TEXT:"), Qt::CaseInsensitive)) {
        answer = ListTextToRecordset(source, QStringLiteral("ID"), QStringLiteral("descr"), QStringLiteral(";"));
    } else {
        const bool isQuery = source.left(5).toUpper() == QLatin1String("SELEC");
        bool cancel = false;
        emit q->ListSourceRequest(cancel, isQuery ? source : source.mid(10), answer, isQuery);
        if (cancel)
            return {};
    }
    QHash<QString, QString> texts;
    if (answer.isNull() || answer.fieldCount() == 0)
        return texts;
    const auto [id, text] = IdAndTextFields(answer, isTableSource ? source.mid(10) : QString());
    for (int row = 0; row < answer.recordCount(); ++row)
        texts.insert(answer.valueAt(row, id).toString().trimmed(), answer.valueAt(row, text).toString());
    return texts;
}

void frmSelFromListPrivate::updateStatus()
{
    const int count = m_list.isNull() ? 0 : m_list.recordCount();
    if (count == 0)
        m_status->setText(GetLangString(20572));
    else if (count == 1)
        m_status->setText(GetLangString(20573));
    else
        m_status->setText(ReplaceParams(GetLangString(20574), {QString::number(count)}));
}

void frmSelFromListPrivate::setSearchShown(bool shown)
{
    m_search->setVisible(shown);
    if (m_findAction->isChecked() != shown)
        m_findAction->setChecked(shown);
}

QString frmSelFromListPrivate::recordText(int row) const
{
    const QString pattern = m_options.displayTemplate.isEmpty()
        ? (m_options.displayField.isEmpty() ? QString() : QLatin1Char('%') + m_options.displayField + QLatin1Char('%'))
        : m_options.displayTemplate;
    static const QRegularExpression field(QStringLiteral("%([A-Za-z_][A-Za-z0-9_]*)%"));
    QString text;
    qsizetype last = 0;
    for (auto it = field.globalMatch(pattern); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        text += pattern.mid(last, match.capturedStart() - last);
        const int index = m_list.fieldIndex(match.capturedView(1));
        text += index >= 0 ? m_list.valueAt(row, index).toString() : match.captured(0);
        last = match.capturedEnd();
    }
    return text + pattern.mid(last);
}

// --- frmSelFromList ---------------------------------------------------------

frmSelFromList::frmSelFromList(QWidget *parent) : QDialog(parent), d(std::make_unique<frmSelFromListPrivate>(this))
{
    setObjectName(QStringLiteral("frmSelFromList"));
    d->buildUi();
    d->setCaptions();
}

frmSelFromList::~frmSelFromList() = default;

void frmSelFromList::setup(const SelectRsOptions &options)
{
    d->m_options = options;
    d->m_cancelled = true;
    d->m_searched = false;
    d->m_columnsFitted = false;
    d->m_lastWhere.clear();
    d->m_valueListCache.clear();
    if (options.owner) {
        setParent(options.owner, windowFlags() | Qt::Dialog);
        setWindowModality(Qt::WindowModal);
    }
    if (options.schema) {
        d->m_search->Init(options.schema, options.tableName, zrSearchX::SimpleView, true);
        d->setSearchShown(options.showSearch);
    } else {
        d->setSearchShown(false);
    }
    d->m_findAction->setEnabled(options.schema != nullptr);
    const auto selectionMode =
        options.multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    d->m_view->setSelectionMode(selectionMode);
    d->m_tree->setSelectionMode(selectionMode);
    d->m_cards->setSelectionMode(selectionMode);
    d->m_cardAction->setChecked(false);
    d->setGroupColumn(-1);
    d->m_lastGroupColumn = -1;
    d->m_groupOnOpen = options.groupBy.trimmed();

    QSet<QString> current;
    for (const QString &id : options.currentValue.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!id.trimmed().isEmpty())
            current.insert(id.trimmed());
    }
    d->m_proxy->setCheckedIds(current);
    setList(options.list);
    if (options.searchOnOpen)
        search(QString());
    if (!options.multiSelect) {
        // The current value is the selected row.
        for (int row = 0; row < d->m_proxy->rowCount(); ++row) {
            if (current.contains(d->m_proxy->idAt(row))) {
                setChosen(row, true);
                break;
            }
        }
    }
    d->setCaptions();
}

SelectRsResult frmSelFromList::Select_Rs(const SelectRsOptions &options)
{
    setup(options);
    exec();
    SelectRsResult result = outcome();
    setList(Recordset()); // the list lets go of the caller's rows
    return result;
}

SelectRsResult frmSelFromList::outcome() const
{
    SelectRsResult result;
    result.cancelled = d->m_cancelled;
    result.searchShown = d->m_findAction->isChecked();
    const int groupField = d->m_model->fieldOfColumn(d->m_groups->groupColumn());
    if (d->m_groups->groupColumn() >= 0 && groupField >= 0)
        result.groupBy = d->m_list.field(groupField).name;
    if (d->m_cancelled || d->m_list.isNull())
        return result;
    QList<Recordset::Bookmark> chosen;
    QStringList keys;
    const int idField = d->m_list.fieldIndex(d->m_options.idField);
    const int rows = d->m_list.recordCount();
    for (int row = 0; row < rows; ++row) {
        if (!isChosen(row))
            continue;
        chosen << d->m_list.bookmarkAt(row);
        if (idField >= 0)
            keys << d->m_list.valueAt(row, idField).toString();
        result.texts << d->recordText(row);
    }
    if (chosen.isEmpty())
        return result;
    result.records = d->m_list.clone();
    result.records.setFilter(chosen);
    result.keysText = keys.join(d->m_options.keySeparator);
    return result;
}

void frmSelFromList::FrmFont(const QString &name, double size)
{
    QFont font = this->font();
    if (!name.isEmpty())
        font.setFamily(name);
    if (size > 0)
        font.setPointSizeF(size);
    setFont(font);
}

QString frmSelFromList::combinedFilter(const QString &whereStatement) const
{
    const QString base = d->m_options.baseFilter.trimmed();
    const QString where = whereStatement.trimmed();
    if (base.isEmpty())
        return where;
    if (where.isEmpty())
        return base;
    return base + QStringLiteral(" AND (") + where + QLatin1Char(')');
}

void frmSelFromList::search(const QString &whereStatement)
{
    d->m_lastWhere = whereStatement;
    d->m_searched = true;
    const QString filter = combinedFilter(whereStatement);
    try {
        Recordset answer;
        {
            WaitCursor wait;
            emit DataRequest(d->m_options.requestName, filter, answer);
        }
        setList(answer);
    } catch (ZrError &error) {
        // The list keeps what it showed; the user may correct the criteria.
        TrapError(error);
        ShowErrorMessage(error.description, this);
    }
}

Recordset frmSelFromList::list() const
{
    return d->m_list;
}

void frmSelFromList::setList(const Recordset &records)
{
    d->m_list = records;
    d->m_proxy->setRecordset(records, d->m_options.idField);
    d->m_model->setRecordset(records);
    d->applyValueLists();
    d->applyLayout();
    d->fitColumns();
    d->updateStatus();
}

QAbstractItemModel *frmSelFromList::listModel() const
{
    return d->m_proxy;
}

void frmSelFromList::setChosen(int row, bool chosen)
{
    if (row < 0 || row >= d->m_proxy->rowCount())
        return;
    if (d->m_options.multiSelect) {
        d->m_proxy->setChecked(row, chosen);
        return;
    }
    QItemSelectionModel *selection = d->m_view->selectionModel();
    const QModelIndex index = d->m_proxy->index(row, 0);
    if (chosen) {
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        d->m_view->scrollTo(index);
        if (d->m_views->currentWidget() == d->m_tree)
            d->selectInTree(row);
    } else {
        selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
}

bool frmSelFromList::isChosen(int row) const
{
    if (d->m_options.multiSelect)
        return d->m_proxy->isChecked(row);
    return d->m_view->selectionModel()->isRowSelected(row, QModelIndex());
}

std::unique_ptr<QTextDocument> frmSelFromList::printDocument() const
{
    return d->printDocument();
}

QStringList frmSelFromList::cardLines(int row) const
{
    return d->m_cardDelegate->lines(d->m_proxy->index(row, d->m_cards->modelColumn()));
}

QString frmSelFromList::statusText() const
{
    return d->m_status->text();
}

zrSearchX *frmSelFromList::searchControl() const
{
    return d->m_search;
}

void frmSelFromList::done(int r)
{
    d->m_cancelled = r != QDialog::Accepted;
    QDialog::done(r);
}

void frmSelFromList::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        d->setCaptions();
    QDialog::changeEvent(event);
}

} // namespace zr
