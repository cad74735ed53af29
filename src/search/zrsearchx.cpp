#include "search/zrsearchx.h"

#include "common/notifyonchange.h"
#include "common/errorlog.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "common/schema.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "search/criteriabuilder.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace zr {

namespace {

const QString KeyFind = QStringLiteral("find");
const QString KeyClear = QStringLiteral("clear");
const QString KeyAndOr = QStringLiteral("andor");
const QString KeyMatch = QStringLiteral("match");
const QString KeyContains = QStringLiteral("contains");
const QString KeyCriteria = QStringLiteral("criteria");
const QString KeySimple = QStringLiteral("simple");
const QString KeyAdvanced = QStringLiteral("advanced");
const QString KeyCustom = QStringLiteral("custom");
const QString KeyFields = QStringLiteral("fields");
const QString KeyOperators = QStringLiteral("operators");
const QString KeyValue1 = QStringLiteral("value1");
const QString KeyValue2 = QStringLiteral("value2");
const QString KeyAddCrit = QStringLiteral("addcrit");
const QString KeyDelCrit = QStringLiteral("delcrit");
// Field entries are keyed by field name; the header key can never be one.
const QString KeyTitle = QStringLiteral("#fields");

// The operator list in the order it is offered: caption string and code.
struct OperatorSpec
{
    int stringId;
    int code;
};
constexpr OperatorSpec Operators[] = {
    {20044, 0}, {20045, 1}, {20046, 2}, {20047, 3}, {20048, 8},
    {20049, 4}, {20050, 9}, {20051, 5}, {20052, 6},
};
constexpr int BetweenCode = 5;

constexpr int MsgValueDoesNotFit = 61080;
constexpr int InitErrorNumber = 30021;
constexpr int InitErrorString = 20330;

// Item kinds of the value editors, by field type, as the item panel knows them.
int styleOfFieldType(int type, int subType)
{
    switch (type) {
    case FieldText:
        return subType == 6 ? ItemStyle::SearchWideText : ItemStyle::SearchText;
    case FieldInteger:
    case FieldDate:
        return ItemStyle::SearchNumber;
    case FieldDecimal:
        return 905;
    case FieldCurrency:
        return 900;
    case FieldTime:
        return 903;
    case FieldDateTime:
        return 902;
    case FieldMemo:
        return 906;
    case FieldBitMask:
        return 907;
    default:
        return ItemStyle::SearchText;
    }
}

// Item captions show no mnemonic marks: the items' shortcuts are their own.
QString plainCaption(qint32 id)
{
    QString text = GetLangString(id);
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
    return text;
}

bool isListType(int type)
{
    return type == FieldList || type == FieldListText || type == FieldCodeList;
}

struct Choice
{
    QVariant id;
    QString text;
};

struct SearchField
{
    QString name;
    QString caption;
    int type = FieldText;
    int subType = 0;
    QList<Choice> choices; // list fields and yes/no fields
    bool hasChoices() const { return isListType(type) || type == FieldYesNo; }
};

QString choiceKey(const QVariant &id)
{
    return QStringLiteral("K") + id.toString();
}

} // namespace

class zrSearchXPrivate
{
public:
    explicit zrSearchXPrivate(zrSearchX *q) : q(q) {}

    void buildUi();
    void buildButtons();
    void buildAdvanced();
    void setCaptions();
    void loadFields(const SchemaTable &table);
    QList<Choice> choicesOf(const SchemaColumn &column);
    void addChoices(ItemPanelModel *panel, const QString &rowKey, const SearchField &field);
    void setValueEditors(int fieldIndex);
    void clearAdvancedEntries();
    void updateAndOrCaption();
    void showMessage(const QString &text, ItemPanelModel *panel = nullptr, const QString &key = {});
    void commitPendingEdit(QAbstractItemView *view);
    bool buildSimple(CriteriaBuilder &builder);
    bool buildAdvancedCriteria(CriteriaBuilder &builder);
    void onItemClicked(const QString &key);
    void runCommand(const QString &key);
    QVariant choiceId(ItemPanelModel *panel, const QString &key) const;
    const SearchField *chosenAdvancedField() const;

    zrSearchX *const q;
    const Schema *m_schema = nullptr;
    const SchemaTable *m_table = nullptr;
    QList<SearchField> m_fields;
    QString m_currentView = KeySimple;
    QString m_where;
    QString m_message;
    bool m_andOrToggled = false;
    QPointer<QObject> m_connectedGrid;

    ItemPanelModel *m_buttons = nullptr;
    ItemPanelModel *m_simple = nullptr;
    ItemPanelModel *m_advanced = nullptr;
    QStandardItemModel *m_criteria = nullptr;
    TilePanel *m_buttonsView = nullptr;
    TilePanel *m_simpleView = nullptr;
    TilePanel *m_advancedView = nullptr;
    QTableView *m_criteriaView = nullptr;
    QStackedWidget *m_stack = nullptr;
    QLabel *m_messageLabel = nullptr;
    QLabel *m_customLabel = nullptr;
};

static TilePanel *makePanel(const QString &name, QWidget *parent)
{
    auto *panel = new TilePanel(parent);
    panel->setObjectName(name);
    panel->setCaptionStyle(TilePanel::CaptionHidden);
    panel->setAccessibleName(name);
    // The pane is narrow: captions take what they need, within bounds, and the
    // value boxes the rest, so that they are in view at the dialog's size.
    QHeaderView *header = panel->treeView()->header();
    header->setMaximumSectionSize(180);
    header->setSectionResizeMode(ItemPanelModel::CaptionColumn, QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    // A criterion's value is typed where it is clicked, as in a form.
    panel->treeView()->setEditTriggers(panel->treeView()->editTriggers() | QAbstractItemView::CurrentChanged);
    return panel;
}

void zrSearchXPrivate::buildUi()
{
    m_criteria = new QStandardItemModel(0, zrSearchX::CriteriaColumnCount, q);

    auto *layout = new QVBoxLayout(q);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *splitter = new QSplitter(Qt::Vertical, q);
    layout->addWidget(splitter);

    m_buttonsView = makePanel(QStringLiteral("smuButtons"), splitter);
    m_buttons = m_buttonsView->model();
    splitter->addWidget(m_buttonsView);

    m_stack = new QStackedWidget(splitter);
    m_stack->setObjectName(QStringLiteral("tabViews"));
    splitter->addWidget(m_stack);
    splitter->setStretchFactor(1, 1);

    m_simpleView = makePanel(QStringLiteral("smFields"), m_stack);
    m_simple = m_simpleView->model();
    m_stack->addWidget(m_simpleView);

    auto *advancedPage = new QWidget(m_stack);
    auto *advancedLayout = new QVBoxLayout(advancedPage);
    advancedLayout->setContentsMargins(0, 0, 0, 0);
    m_advancedView = makePanel(QStringLiteral("smuAdvanced"), advancedPage);
    m_advanced = m_advancedView->model();
    advancedLayout->addWidget(m_advancedView);
    m_criteriaView = new QTableView(advancedPage);
    m_criteriaView->setObjectName(QStringLiteral("gxCriteria"));
    m_criteriaView->setAccessibleName(QStringLiteral("gxCriteria"));
    m_criteriaView->setModel(m_criteria);
    m_criteriaView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_criteriaView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_criteriaView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_criteriaView->verticalHeader()->hide();
    m_criteriaView->horizontalHeader()->setStretchLastSection(true);
    for (int column : {int(zrSearchX::ColValue1), int(zrSearchX::ColValue2), int(zrSearchX::ColOperator)})
        m_criteriaView->setColumnHidden(column, true);
    advancedLayout->addWidget(m_criteriaView, 1);
    m_stack->addWidget(advancedPage);

    // The schema offers no special criteria of its own: the custom view only
    // says that its search uses the table's own filter.
    m_customLabel = new QLabel(m_stack);
    m_customLabel->setObjectName(QStringLiteral("lblCustom"));
    m_customLabel->setWordWrap(true);
    m_customLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_stack->addWidget(m_customLabel);

    m_messageLabel = new QLabel(q);
    m_messageLabel->setObjectName(QStringLiteral("lblMessage"));
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_messageLabel->hide();
    layout->addWidget(m_messageLabel);

    buildButtons();
    buildAdvanced();
    m_simple->addItem(KeyTitle, QString(), ItemStyle::Header);
    m_simple->setExpanded(KeyTitle, true);

    for (ItemPanelModel *panel : {m_buttons, m_advanced}) {
        QObject::connect(panel, &ItemPanelModel::itemClicked, q,
                         [this](const QString &key) { onItemClicked(key); });
    }
    QObject::connect(m_buttons, &ItemPanelModel::valueChanged, q,
                     [this](const QString &key, const QString &property) {
                         if (key == KeyAndOr && property == QLatin1String("Value")) {
                             m_andOrToggled = true;
                             updateAndOrCaption();
                         }
                     });
    QObject::connect(m_advanced, &ItemPanelModel::valueChanged, q,
                     [this](const QString &key, const QString &property) {
                         if (key == KeyFields && property == QLatin1String("Value")) {
                             const SearchField *field = chosenAdvancedField();
                             setValueEditors(field ? int(field - m_fields.constData()) : -1);
                         }
                     });

    // Keys of the control and the shortcuts of its items.
    const auto addShortcut = [this](const QKeySequence &keys, const QString &command) {
        auto *shortcut = new QShortcut(keys, q);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, q, [this, command] { runCommand(command); });
    };
    addShortcut(QKeySequence(Qt::ALT | Qt::Key_A), KeyFind);
    addShortcut(QKeySequence(Qt::Key_F3), KeyFind);
    // Enter, as in any search box: a value being typed is taken first (Find commits it).
    addShortcut(QKeySequence(Qt::Key_Return), KeyFind);
    addShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_Enter), KeyFind);
    addShortcut(QKeySequence(Qt::ALT | Qt::Key_K), KeyClear);
    addShortcut(QKeySequence(Qt::ALT | Qt::Key_U), KeyClear);
    addShortcut(QKeySequence(Qt::ALT | Qt::Key_Y), KeyAndOr);
    addShortcut(QKeySequence(Qt::ALT | Qt::Key_T), KeyMatch);
    addShortcut(QKeySequence(Qt::ALT | Qt::Key_R), KeyContains);
    addShortcut(QKeySequence(Qt::ALT | Qt::Key_P), KeyAddCrit);
    addShortcut(QKeySequence(Qt::ALT | Qt::Key_D), KeyDelCrit);
}

void zrSearchXPrivate::buildButtons()
{
    m_buttons->addItem(KeyFind, QString(), ItemStyle::Command);
    m_buttons->setShortcut(KeyFind, QStringLiteral("Alt+A"));
    m_buttons->addItem(KeyClear, QString(), ItemStyle::Command);
    m_buttons->setShortcut(KeyClear, QStringLiteral("Alt+U"));
    m_buttons->addItem(KeyAndOr, QString(), ItemStyle::CheckItem);
    m_buttons->setShortcut(KeyAndOr, QStringLiteral("Alt+Y"));
    m_buttons->setValue(KeyAndOr, 1);
    m_buttons->addItem(KeyMatch, QString(), ItemStyle::CheckItem);
    m_buttons->setShortcut(KeyMatch, QStringLiteral("Alt+T"));
    m_buttons->setValue(KeyMatch, 0);
    // Texts are found from their start; this finds them anywhere in a title.
    m_buttons->addItem(KeyContains, QString(), ItemStyle::CheckItem);
    m_buttons->setShortcut(KeyContains, QStringLiteral("Alt+R"));
    m_buttons->setValue(KeyContains, 0);
    m_buttons->addItem(KeyCriteria, QString(), ItemStyle::Command);
    for (const QString &key : {KeySimple, KeyAdvanced, KeyCustom})
        m_buttons->addItem(key, QString(), ItemStyle::MenuEntry, KeyCriteria);
    m_buttons->setExpanded(KeyCriteria, true);
}

void zrSearchXPrivate::buildAdvanced()
{
    m_advanced->addItem(KeyFields, QString(), ItemStyle::ChoiceRow);
    m_advanced->addItem(KeyOperators, QString(), ItemStyle::ChoiceRow);
    for (const OperatorSpec &op : Operators)
        m_advanced->addChoice(KeyOperators, QString::number(op.code), QString());
    m_advanced->addItem(KeyValue1, QString(), ItemStyle::SearchText);
    m_advanced->addItem(KeyValue2, QString(), ItemStyle::SearchText);
    m_advanced->addItem(KeyAddCrit, QString(), ItemStyle::Command);
    m_advanced->setShortcut(KeyAddCrit, QStringLiteral("Alt+P"));
    m_advanced->addItem(KeyDelCrit, QString(), ItemStyle::Command);
    m_advanced->setShortcut(KeyDelCrit, QStringLiteral("Alt+D"));
}

void zrSearchXPrivate::setCaptions()
{
    m_buttons->setCaption(KeyFind, plainCaption(20035));
    m_buttons->setHint(KeyFind, GetLangString(20059));
    m_buttons->setCaption(KeyClear, plainCaption(20060));
    m_buttons->setHint(KeyClear, GetLangString(20061));
    updateAndOrCaption();
    m_buttons->setCaption(KeyMatch, plainCaption(20063));
    m_buttons->setCaption(KeyContains, plainCaption(10116));
    m_buttons->setHint(KeyContains, GetLangString(10117));
    m_buttons->setCaption(KeyCriteria, GetLangString(20064));
    m_buttons->setCaption(KeySimple, GetLangString(20065));
    m_buttons->setCaption(KeyAdvanced, GetLangString(20066));
    m_buttons->setCaption(KeyCustom, GetLangString(20067));

    m_simple->setCaption(KeyTitle, GetLangString(20057));

    m_advanced->setCaption(KeyFields, GetLangString(20338));
    m_advanced->setCaption(KeyOperators, GetLangString(20339));
    for (const OperatorSpec &op : Operators)
        m_advanced->setChoiceCaption(KeyOperators, QString::number(op.code), GetLangString(op.stringId));
    m_advanced->setCaption(KeyValue1, GetLangString(20340).trimmed());
    m_advanced->setCaption(KeyValue2, GetLangString(20341).trimmed());
    m_advanced->setCaption(KeyAddCrit, plainCaption(20053));
    m_advanced->setHint(KeyAddCrit, GetLangString(20054));
    m_advanced->setCaption(KeyDelCrit, plainCaption(20055));
    m_advanced->setHint(KeyDelCrit, GetLangString(20056));

    m_criteria->setHorizontalHeaderLabels({GetLangString(20338), GetLangString(20339), QStringLiteral("value1"),
                                           GetLangString(20340).trimmed(), QStringLiteral("value2"),
                                           GetLangString(20341).trimmed(), QStringLiteral("operator")});
    m_customLabel->setText(m_table && !m_table->whereText.isEmpty() ? m_table->whereText : QString());
}

void zrSearchXPrivate::updateAndOrCaption()
{
    const bool on = m_buttons->value(KeyAndOr).toBool();
    // The initial caption carries the item's mnemonic; once toggled it names the combination.
    if (!m_andOrToggled)
        m_buttons->setCaption(KeyAndOr, plainCaption(20062));
    else
        m_buttons->setCaption(KeyAndOr, ReplaceParams(GetLangString(20331), {GetLangString(on ? 20332 : 20333)}));
}

QList<Choice> zrSearchXPrivate::choicesOf(const SchemaColumn &column)
{
    QList<Choice> choices;
    if (column.type == FieldYesNo) {
        choices.append({-1, GetLangString(20295)});
        choices.append({0, GetLangString(20296)});
        return choices;
    }
    const QString source = column.listSource.trimmed();
    if (source.isEmpty())
        return choices;
    Recordset result;
    if (source.startsWith(QLatin1String("TEXT:"), Qt::CaseInsensitive)) {
        result = ListTextToRecordset(source, QStringLiteral("ID"), QStringLiteral("descr"), QStringLiteral(";"),
                                     column.type == FieldList);
        if (result.isNull())
            RaiseLastError();
    } else {
        const bool isQuery = source.left(5).toUpper() == QLatin1String("SELEC");
        if (!isQuery && source.left(5).toUpper() != QLatin1String("RECOR"))
            throw ZrError(InitErrorNumber, QStringLiteral("zrSearch.Init"),
                          QStringLiteral("Unknown list source of %1: %2").arg(column.name, source));
        bool cancel = false;
        emit q->ListSourceRequest(cancel, isQuery ? source : source.mid(10), result, isQuery);
        if (cancel)
            return choices;
    }
    if (result.isNull() || result.fieldCount() == 0)
        return choices;
    int idField = result.fieldIndex(u"ID");
    int textField = result.fieldIndex(u"descr");
    if (idField < 0 || textField < 0) {
        idField = 0;
        textField = result.fieldCount() > 1 ? 1 : 0;
    }
    const int rows = result.recordCount();
    choices.reserve(rows);
    for (int row = 0; row < rows; ++row)
        choices.append({result.valueAt(row, idField), result.valueAt(row, textField).toString()});
    return choices;
}

void zrSearchXPrivate::addChoices(ItemPanelModel *panel, const QString &rowKey, const SearchField &field)
{
    // A blank first choice lets the user take a list criterion back.
    panel->addChoice(rowKey, QStringLiteral("K"), QString());
    for (const Choice &choice : field.choices) {
        const QString key = choiceKey(choice.id);
        if (panel->addChoice(rowKey, key, choice.text))
            panel->setChoiceTag(rowKey, key, choice.id);
    }
}

void zrSearchXPrivate::loadFields(const SchemaTable &table)
{
    QList<SearchField> fields;
    for (const SchemaColumn &column : table.searchableColumns()) {
        SearchField field;
        field.name = column.name;
        field.caption = column.caption().isEmpty() ? column.name : column.caption();
        field.type = column.type;
        field.subType = column.subType;
        if (field.hasChoices())
            field.choices = choicesOf(column);
        fields.append(field);
    }
    m_fields = fields;

    m_simple->setRedraw(false);
    m_simple->clear();
    m_simple->addItem(KeyTitle, GetLangString(20057), ItemStyle::Header);
    for (const SearchField &field : std::as_const(m_fields)) {
        const int style = field.hasChoices() ? ItemStyle::ChoiceRow : styleOfFieldType(field.type, field.subType);
        m_simple->addItem(field.name, field.caption, style, KeyTitle);
        if (field.hasChoices())
            addChoices(m_simple, field.name, field);
    }
    m_simple->setExpanded(KeyTitle, true);
    m_simple->setRedraw(true);
    m_simpleView->expandAll();

    m_advanced->clearChoices(KeyFields);
    for (int i = 0; i < m_fields.size(); ++i) {
        m_advanced->addChoice(KeyFields, QString::number(i + 1), m_fields.at(i).caption);
        m_advanced->setChoiceTag(KeyFields, QString::number(i + 1), i);
    }
    clearAdvancedEntries();
    m_criteria->removeRows(0, m_criteria->rowCount());
}

const SearchField *zrSearchXPrivate::chosenAdvancedField() const
{
    const QString key = m_advanced->value(KeyFields).toString();
    if (key.isEmpty() || !m_advanced->containsChoice(KeyFields, key))
        return nullptr;
    const int index = m_advanced->choiceTag(KeyFields, key).toInt();
    return index >= 0 && index < m_fields.size() ? &m_fields.at(index) : nullptr;
}

void zrSearchXPrivate::setValueEditors(int fieldIndex)
{
    const SearchField *field = fieldIndex >= 0 && fieldIndex < m_fields.size() ? &m_fields.at(fieldIndex) : nullptr;
    const int style = !field ? ItemStyle::SearchText
        : field->hasChoices() ? ItemStyle::ChoiceRow : styleOfFieldType(field->type, field->subType);
    // The value rows change kind with the field: rebuild them in place.
    for (const QString &key : {KeyValue1, KeyValue2}) {
        const QString caption = m_advanced->caption(key);
        m_advanced->removeItem(key);
        m_advanced->insertItem(KeyAddCrit, key, caption, style);
        if (field && field->hasChoices())
            addChoices(m_advanced, key, *field);
    }
}

void zrSearchXPrivate::clearAdvancedEntries()
{
    m_advanced->setValue(KeyFields, QVariant());
    m_advanced->setValue(KeyOperators, QVariant());
    setValueEditors(-1);
}

void zrSearchXPrivate::showMessage(const QString &text, ItemPanelModel *panel, const QString &key)
{
    m_message = text;
    m_messageLabel->setText(text);
    m_messageLabel->setVisible(!text.isEmpty());
    if (panel && !key.isEmpty()) {
        panel->setSelected(key, true);
        panel->ensureVisible(key);
    }
}

void zrSearchXPrivate::commitPendingEdit(QAbstractItemView *view)
{
    // An entry still open in its editor has not reached the model yet.
    const QModelIndex current = view->currentIndex();
    if (!current.isValid())
        return;
    if (QWidget *editor = view->indexWidget(current.siblingAtColumn(ItemPanelModel::ValueColumn)))
        QMetaObject::invokeMethod(view, "commitData", Qt::DirectConnection, Q_ARG(QWidget *, editor));
}

QVariant zrSearchXPrivate::choiceId(ItemPanelModel *panel, const QString &key) const
{
    const QString choice = panel->value(key).toString();
    if (choice.isEmpty() || !panel->containsChoice(key, choice))
        return {};
    return panel->choiceTag(key, choice);
}

bool zrSearchXPrivate::buildSimple(CriteriaBuilder &builder)
{
    const bool exact = m_buttons->value(KeyMatch).toBool();
    for (const SearchField &field : std::as_const(m_fields)) {
        QVariant value;
        if (field.hasChoices()) {
            value = choiceId(m_simple, field.name);
        } else {
            value = m_simple->value(field.name);
            if (value.toString().trimmed().isEmpty())
                value = QVariant();
        }
        if (value.isNull())
            continue;
        // "Starts with" is a text match; ids, numbers and dates always compare equal.
        const bool prefixable = field.type == FieldText || field.type == FieldMemo;
        const int op = exact || !prefixable ? 0 : (m_buttons->value(KeyContains).toBool() ? 1 : 6);
        if (!builder.addCriterion(field.name, field.type, op, value)) {
            showMessage(ReplaceParams(GetLangString(MsgValueDoesNotFit), {value.toString(), field.caption}),
                        m_simple, field.name);
            return false;
        }
    }
    return true;
}

bool zrSearchXPrivate::buildAdvancedCriteria(CriteriaBuilder &builder)
{
    for (int row = 0; row < m_criteria->rowCount(); ++row) {
        const QString name = m_criteria->item(row, zrSearchX::ColField)->data(Qt::UserRole).toString();
        const int type = m_criteria->item(row, zrSearchX::ColField)->data(Qt::UserRole + 1).toInt();
        const int op = m_criteria->item(row, zrSearchX::ColOperator)->data(Qt::EditRole).toInt();
        const QVariant v1 = m_criteria->item(row, zrSearchX::ColValue1)->data(Qt::EditRole);
        const QVariant v2 = m_criteria->item(row, zrSearchX::ColValue2)->data(Qt::EditRole);
        if (!builder.addCriterion(name, type, op, v1, v2)) {
            showMessage(ReplaceParams(GetLangString(MsgValueDoesNotFit),
                                      {v1.toString(), m_criteria->item(row, zrSearchX::ColField)->text()}));
            return false;
        }
    }
    return true;
}

void zrSearchXPrivate::runCommand(const QString &key)
{
    ItemPanelModel *panel = (key == KeyAddCrit || key == KeyDelCrit) ? m_advanced : m_buttons;
    panel->clickItem(key);
}

void zrSearchXPrivate::onItemClicked(const QString &key)
{
    // Item clicks arrive from Qt's event loop: nothing may escape from here.
    try {
        if (key == KeyFind)
            q->Find();
        else if (key == KeyClear)
            q->Clear();
        else if (key == KeySimple || key == KeyAdvanced || key == KeyCustom)
            q->setCurrentView(key);
        else if (key == KeyAddCrit)
            q->AddCriterion();
        else if (key == KeyDelCrit)
            q->DeleteCriterion();
    } catch (ZrError &error) {
        TrapError(error);
    }
}

// --- zrSearchX -----------------------------------------------------------------

zrSearchX::zrSearchX(QWidget *parent) : QWidget(parent), d(std::make_unique<zrSearchXPrivate>(this))
{
    setObjectName(QStringLiteral("zrSearchX"));
    d->buildUi();
    d->setCaptions();
    setCurrentView(KeySimple);
}

zrSearchX::~zrSearchX()
{
    // Panels are emptied before their views go, as on termination.
    d->m_buttons->clear();
    d->m_simple->clear();
    d->m_advanced->clear();
}

void zrSearchX::Init(const Schema *schema, const QString &tableName, int startView, bool setupViews)
{
    try {
        if (!schema)
            throw ZrError(InitErrorNumber, QStringLiteral("zrSearch.Init"), QStringLiteral("No schema"));
        const QString name = tableName.trimmed().isEmpty() ? schema->defaultTableName() : tableName.trimmed();
        const SchemaTable *table = schema->table(name);
        if (!table)
            throw ZrError(InitErrorNumber, QStringLiteral("zrSearch.Init"),
                          QStringLiteral("Unknown table %1").arg(name));
        d->m_schema = schema;
        d->m_table = table;
        d->loadFields(*table);
        d->m_where.clear();
        d->showMessage(QString());
        d->setCaptions();
        if (setupViews) {
            static const QString keys[] = {KeySimple, KeyAdvanced, KeyCustom};
            setCurrentView(startView >= 0 && startView <= 2 ? keys[startView] : KeySimple);
        }
    } catch (ZrError &error) {
        // The cause goes to the log; the caller sees the schema error.
        TrapError(error);
        ZrError schemaError(InitErrorNumber, QStringLiteral("zrSearch.Init"), GetLangString(InitErrorString));
        TrapError(schemaError);
        throw schemaError;
    }
}

QString zrSearchX::CurrentView() const
{
    return d->m_currentView;
}

void zrSearchX::setCurrentView(const QString &key)
{
    int page = -1;
    if (key == KeySimple)
        page = 0;
    else if (key == KeyAdvanced)
        page = 1;
    else if (key == KeyCustom)
        page = 2;
    if (page < 0)
        return;
    d->m_stack->setCurrentIndex(page);
    for (const QString &k : {KeySimple, KeyAdvanced, KeyCustom})
        d->m_buttons->setSelected(k, k == key);
    if (d->m_currentView != key) {
        d->m_currentView = key;
        emit CurrentViewChanged(key);
    }
}

QString zrSearchX::WhereStatement() const
{
    return d->m_where;
}

QObject *zrSearchX::ConnectedGrid() const
{
    return d->m_connectedGrid;
}

void zrSearchX::setConnectedGrid(QObject *grid)
{
    const NotifyOnChange notify(this, "ConnectedGrid");
    d->m_connectedGrid = grid;
}

bool zrSearchX::isAndCombination() const
{
    return d->m_buttons->value(KeyAndOr).toBool();
}

void zrSearchX::setAndCombination(bool on)
{
    const NotifyOnChange notify(this, "AndCombination");
    d->m_buttons->setValue(KeyAndOr, on ? 1 : 0);
}

bool zrSearchX::isExactMatch() const
{
    return d->m_buttons->value(KeyMatch).toBool();
}

void zrSearchX::setExactMatch(bool on)
{
    const NotifyOnChange notify(this, "ExactMatch");
    d->m_buttons->setValue(KeyMatch, on ? 1 : 0);
}

bool zrSearchX::isContainsMatch() const
{
    return d->m_buttons->value(KeyContains).toBool();
}

void zrSearchX::setContainsMatch(bool on)
{
    const NotifyOnChange notify(this, "ContainsMatch");
    d->m_buttons->setValue(KeyContains, on ? 1 : 0);
}

void zrSearchX::Clear()
{
    d->m_where.clear();
    d->showMessage(QString());
    for (const SearchField &field : std::as_const(d->m_fields))
        d->m_simple->setValue(field.name, QVariant());
    setExactMatch(false);
    setContainsMatch(false);
    d->m_criteria->removeRows(0, d->m_criteria->rowCount());
    d->clearAdvancedEntries();
    emit Cleared();
}

void zrSearchX::Find()
{
    d->commitPendingEdit(d->m_simpleView->treeView());
    d->showMessage(QString());
    CriteriaBuilder builder(d->m_schema ? d->m_schema->dialect() : SqlDialect::SQLite);
    builder.setMode(CriteriaBuilder::IgnoreCase | CriteriaBuilder::TrimValues);
    builder.setCombination(isAndCombination() ? CriteriaBuilder::CombineAnd : CriteriaBuilder::CombineOr);
    bool built = true;
    if (d->m_currentView == KeySimple)
        built = d->buildSimple(builder);
    else if (d->m_currentView == KeyAdvanced)
        built = d->buildAdvancedCriteria(builder);
    if (!built)
        return;

    QString where = builder.statement();
    if (!where.isEmpty())
        where = where.mid(6).trimmed(); // "WHERE "
    const QString own = d->m_table ? d->m_table->whereText.trimmed() : QString();
    if (!own.isEmpty())
        where = where.isEmpty() ? own : QStringLiteral("(") + where + QStringLiteral(") AND (") + own + QStringLiteral(")");
    d->m_where = where;
    emit Search(d->m_where);
}

bool zrSearchX::AddCriterion()
{
    ItemPanelModel *panel = d->m_advanced;
    const SearchField *field = d->chosenAdvancedField();
    if (!field) {
        d->showMessage(GetLangString(20334), panel, KeyFields);
        return false;
    }
    const QString opKey = panel->value(KeyOperators).toString();
    if (opKey.isEmpty() || !panel->containsChoice(KeyOperators, opKey)) {
        d->showMessage(GetLangString(20335), panel, KeyOperators);
        return false;
    }
    const int op = opKey.toInt();
    const bool list = field->hasChoices();
    const auto valueOf = [&](const QString &key) -> QVariant {
        if (list)
            return d->choiceId(panel, key);
        const QVariant v = panel->value(key);
        return v.toString().trimmed().isEmpty() ? QVariant() : v;
    };
    const QVariant value1 = valueOf(KeyValue1);
    if (value1.isNull()) {
        d->showMessage(GetLangString(20336), panel, KeyValue1);
        return false;
    }
    const QVariant value2 = op == BetweenCode ? valueOf(KeyValue2) : QVariant();
    if (op == BetweenCode && value2.isNull()) {
        d->showMessage(GetLangString(20337), panel, KeyValue2);
        return false;
    }
    // A value the builder cannot write for this field is refused now, not at find.
    CriteriaBuilder trial(d->m_schema ? d->m_schema->dialect() : SqlDialect::SQLite);
    if (!trial.addCriterion(field->name, field->type, op, value1, value2)) {
        d->showMessage(ReplaceParams(GetLangString(MsgValueDoesNotFit), {value1.toString(), field->caption}),
                       panel, KeyValue1);
        return false;
    }

    const auto textOf = [&](const QString &key, const QVariant &value) {
        return list ? panel->valueText(key) : value.toString();
    };
    QList<QStandardItem *> row;
    auto *fieldItem = new QStandardItem(field->caption);
    fieldItem->setData(field->name, Qt::UserRole);
    fieldItem->setData(field->type, Qt::UserRole + 1);
    row << fieldItem << new QStandardItem(panel->valueText(KeyOperators));
    auto *v1 = new QStandardItem;
    v1->setData(value1, Qt::EditRole);
    row << v1 << new QStandardItem(textOf(KeyValue1, value1));
    auto *v2 = new QStandardItem;
    v2->setData(value2, Qt::EditRole);
    row << v2 << new QStandardItem(value2.isNull() ? QString() : textOf(KeyValue2, value2));
    auto *opItem = new QStandardItem;
    opItem->setData(op, Qt::EditRole);
    row << opItem;
    d->m_criteria->appendRow(row);
    d->clearAdvancedEntries();
    d->showMessage(QString());
    return true;
}

void zrSearchX::DeleteCriterion()
{
    if (d->m_criteria->rowCount() == 0)
        return;
    const QModelIndex current = d->m_criteriaView->currentIndex();
    if (current.isValid())
        d->m_criteria->removeRow(current.row());
}

QString zrSearchX::message() const
{
    return d->m_message;
}

ItemPanelModel *zrSearchX::buttonsPanel() const
{
    return d->m_buttons;
}

ItemPanelModel *zrSearchX::fieldsPanel() const
{
    return d->m_simple;
}

ItemPanelModel *zrSearchX::advancedPanel() const
{
    return d->m_advanced;
}

QAbstractItemModel *zrSearchX::criteriaModel() const
{
    return d->m_criteria;
}

int zrSearchX::operatorCodeAt(int position)
{
    return position >= 0 && position < operatorCount() ? Operators[position].code : -1;
}

int zrSearchX::operatorCount()
{
    return int(std::size(Operators));
}

void zrSearchX::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        d->setCaptions();
    // The font is QWidget's own property: its change comes as an event.
    if (event->type() == QEvent::FontChange)
        Q_EMIT FontChanged();
    QWidget::changeEvent(event);
}

} // namespace zr
