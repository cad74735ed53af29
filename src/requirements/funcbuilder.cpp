#include "funcbuilder.h"

#include "common/langstrings.h"
#include "requirements/expressioncheck.h"
#include "requirements/expressionform.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zr {

namespace {

constexpr int NameRole = Qt::UserRole;
constexpr int FirstCodeRole = Qt::UserRole + 1;
constexpr int OperatorIndexRole = Qt::UserRole;

struct PaletteEntry
{
    QString category;
    QString symbol;
    QString insertText;
    QString caption;
    QString helpText;
    bool enabled = true;
};

// The requirement id a variable stands for: names are "%" + ocID.
bool variableId(const QString &name, qint32 *id)
{
    if (!name.startsWith(QLatin1Char('%')))
        return false;
    bool ok = false;
    *id = QStringView(name).mid(1).toInt(&ok);
    return ok;
}

} // namespace

class zrFuncBuilderPrivate
{
public:
    explicit zrFuncBuilderPrivate(zrFuncBuilder *q) : q(q) {}

    void build();
    void setTexts();
    void applyCaptions();
    QString entryLabel(const PaletteEntry &entry) const;
    void relabelPalette();
    void insertVariable(const QListWidgetItem *item);
    void insertOperator(const QTreeWidgetItem *item);
    void updateStatus();
    /// The variables changed: check now when shown, otherwise on showing. Checking
    /// after each of thousands of additions made filling the list quadratic.
    void variablesChanged();

    bool m_statusStale = false;

    zrFuncBuilder *const q;
    QTabWidget *m_tabs = nullptr;
    QLabel *m_variablesLabel = nullptr;
    QListWidget *m_variables = nullptr;
    QLabel *m_description = nullptr;
    QLabel *m_operatorsLabel = nullptr;
    QTreeWidget *m_operators = nullptr;
    QLabel *m_operatorHelp = nullptr;
    QLabel *m_expressionLabel = nullptr;
    QPlainTextEdit *m_editor = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;

    QList<PaletteEntry> m_palette;
    QString m_expression;
    // Variables list label, variables tab, operators list label, operators tab, title.
    QStringList m_captions;
    bool m_customCaptions = false;
    bool m_showSymbols = true;
    bool m_showCheck = true;
};

// Widgets are created in focus order (tabs, lists, editor, OK, Cancel), which
// the focus chain follows; explicit tab orders break compound widgets' chains.
void zrFuncBuilderPrivate::build()
{
    m_tabs = new QTabWidget(q);
    m_tabs->setObjectName(QStringLiteral("tabLists"));

    auto *variablesPage = new QWidget(m_tabs);
    m_variablesLabel = new QLabel(variablesPage);
    m_variablesLabel->setObjectName(QStringLiteral("lblVariables"));
    m_variables = new QListWidget(variablesPage);
    m_variables->setObjectName(QStringLiteral("lstVariables"));
    // One line of text each: a set of thousands of requirements is laid out without measuring every item.
    m_variables->setUniformItemSizes(true);
    m_variablesLabel->setBuddy(m_variables);
    m_description = new QLabel(variablesPage);
    m_description->setObjectName(QStringLiteral("lblDescription"));
    m_description->setWordWrap(true);
    m_description->setTextFormat(Qt::PlainText);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_description->setFrameShape(QFrame::StyledPanel);
    m_description->setMinimumHeight(m_description->fontMetrics().lineSpacing() * 4);
    auto *variablesLayout = new QVBoxLayout(variablesPage);
    variablesLayout->addWidget(m_variablesLabel);
    variablesLayout->addWidget(m_variables, 1);
    variablesLayout->addWidget(m_description);

    auto *operatorsPage = new QWidget(m_tabs);
    m_operatorsLabel = new QLabel(operatorsPage);
    m_operatorsLabel->setObjectName(QStringLiteral("lblOperators"));
    m_operators = new QTreeWidget(operatorsPage);
    m_operators->setObjectName(QStringLiteral("tvOperators"));
    m_operators->setHeaderHidden(true);
    m_operators->setColumnCount(1);
    m_operators->setRootIsDecorated(true);
    m_operatorsLabel->setBuddy(m_operators);
    m_operatorHelp = new QLabel(operatorsPage);
    m_operatorHelp->setObjectName(QStringLiteral("lblOperatorHelp"));
    m_operatorHelp->setWordWrap(true);
    m_operatorHelp->setTextFormat(Qt::PlainText);
    m_operatorHelp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_operatorHelp->setFrameShape(QFrame::StyledPanel);
    m_operatorHelp->setMinimumHeight(m_operatorHelp->fontMetrics().lineSpacing() * 4);
    auto *operatorsLayout = new QVBoxLayout(operatorsPage);
    operatorsLayout->addWidget(m_operatorsLabel);
    operatorsLayout->addWidget(m_operators, 1);
    operatorsLayout->addWidget(m_operatorHelp);

    m_tabs->addTab(variablesPage, QString());
    m_tabs->addTab(operatorsPage, QString());

    auto *expressionPane = new QWidget(q);
    m_expressionLabel = new QLabel(expressionPane);
    m_expressionLabel->setObjectName(QStringLiteral("lblExpression"));
    m_editor = new QPlainTextEdit(expressionPane);
    m_editor->setObjectName(QStringLiteral("txtExpression"));
    m_editor->setTabChangesFocus(true);
    m_expressionLabel->setBuddy(m_editor);
    m_status = new QLabel(expressionPane);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 2);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *expressionLayout = new QVBoxLayout(expressionPane);
    expressionLayout->setContentsMargins(0, 0, 0, 0);
    expressionLayout->addWidget(m_expressionLabel);
    expressionLayout->addWidget(m_editor, 1);
    expressionLayout->addWidget(m_status);

    auto *splitter = new QSplitter(Qt::Horizontal, q);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_tabs);
    splitter->addWidget(expressionPane);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);

    m_ok = new QPushButton(q);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(q);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(q);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
}

void zrFuncBuilderPrivate::setTexts()
{
    m_ok->setText(GetLangString(20525));
    m_cancel->setText(GetLangString(20092));
    m_expressionLabel->setText(GetLangString(61462));
    m_editor->setAccessibleName(StripMnemonic(GetLangString(61462)));
    m_status->setAccessibleName(GetLangString(61463));
    m_description->setAccessibleName(GetLangString(61464));
    m_operatorHelp->setAccessibleName(GetLangString(61465));
    if (!m_customCaptions) {
        m_captions = {GetLangString(20761), GetLangString(20521), GetLangString(20762), GetLangString(20763),
                      GetLangString(20764)};
    }
    applyCaptions();
    updateStatus();
}

void zrFuncBuilderPrivate::applyCaptions()
{
    m_variablesLabel->setText(m_captions.value(0));
    m_variables->setAccessibleName(StripMnemonic(m_captions.value(0)));
    m_tabs->setTabText(0, m_captions.value(1));
    m_operatorsLabel->setText(m_captions.value(2));
    m_operators->setAccessibleName(StripMnemonic(m_captions.value(2)));
    m_tabs->setTabText(1, m_captions.value(3));
    q->setWindowTitle(m_captions.value(4));
}

QString zrFuncBuilderPrivate::entryLabel(const PaletteEntry &entry) const
{
    if (!m_showSymbols || entry.symbol.isEmpty() || entry.symbol == entry.caption)
        return entry.caption;
    return entry.symbol + QStringLiteral("  ") + entry.caption;
}

void zrFuncBuilderPrivate::relabelPalette()
{
    for (int c = 0; c < m_operators->topLevelItemCount(); ++c) {
        QTreeWidgetItem *category = m_operators->topLevelItem(c);
        for (int i = 0; i < category->childCount(); ++i) {
            QTreeWidgetItem *item = category->child(i);
            item->setText(0, entryLabel(m_palette.at(item->data(0, OperatorIndexRole).toInt())));
        }
    }
}

void zrFuncBuilderPrivate::insertVariable(const QListWidgetItem *item)
{
    if (!item)
        return;
    QTextCursor cursor = m_editor->textCursor();
    cursor.insertText(QLatin1Char('[') + item->data(NameRole).toString() + QLatin1Char(']'));
    m_editor->setTextCursor(cursor);
}

void zrFuncBuilderPrivate::insertOperator(const QTreeWidgetItem *item)
{
    if (!item || !item->parent() || !(item->flags() & Qt::ItemIsEnabled))
        return;
    const PaletteEntry &entry = m_palette.at(item->data(0, OperatorIndexRole).toInt());
    QTextCursor cursor = m_editor->textCursor();
    const qsizetype mark = entry.insertText.indexOf(QLatin1Char('%'));
    if (mark < 0) {
        cursor.insertText(entry.insertText);
        m_editor->setTextCursor(cursor);
        return;
    }
    QString selected = cursor.selectedText();
    // The document hands line breaks back as Unicode separators.
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    const QString after = entry.insertText.mid(mark + 1);
    cursor.insertText(entry.insertText.left(mark) + selected + after);
    if (selected.isEmpty())
        cursor.setPosition(cursor.position() - int(after.size()));
    m_editor->setTextCursor(cursor);
}

void zrFuncBuilderPrivate::variablesChanged()
{
    if (q->isVisible())
        updateStatus();
    else
        m_statusStale = true;
}

void zrFuncBuilderPrivate::updateStatus()
{
    m_statusStale = false;
    QList<qint32> ids;
    QHash<qint32, QString> captions;
    for (int i = 0; i < m_variables->count(); ++i) {
        const QListWidgetItem *item = m_variables->item(i);
        qint32 id = 0;
        if (variableId(item->data(NameRole).toString(), &id) && !captions.contains(id)) {
            ids << id;
            captions.insert(id, item->text());
        }
    }

    const QString text = m_editor->toPlainText();
    const ExpressionDiagnosis diagnosis = CheckExpressionSyntax(text, ids);
    QStringList parts;
    if (text.trimmed().isEmpty()) {
        parts << GetLangString(61461);
    } else if (!diagnosis.wellFormed) {
        // Where, as the text reads there: a character count means nothing to a reader.
        const qsizetype from =
            std::min(std::max<qsizetype>(diagnosis.errorPosition, 0), std::max<qsizetype>(text.size() - 16, 0));
        QString at = text.mid(from, 16).simplified();
        if (from + 16 < text.size())
            at += QStringLiteral("…");
        parts << ReplaceParams(GetLangString(61458), {at, diagnosis.message});
    } else {
        parts << GetLangString(61457);
    }
    if (!diagnosis.missingIds.isEmpty()) {
        QStringList missing;
        for (qint32 id : diagnosis.missingIds)
            missing << captions.value(id);
        parts << ReplaceParams(GetLangString(61459), {missing.join(QStringLiteral(", "))});
    }
    if (!diagnosis.unknownIds.isEmpty()) {
        QStringList unknown;
        for (qint32 id : diagnosis.unknownIds)
            unknown << ExpressionToken(id);
        parts << ReplaceParams(GetLangString(61460), {unknown.join(QStringLiteral(", "))});
    }
    m_status->setText(parts.join(QLatin1Char('\n')));

    m_ok->setEnabled(diagnosis.isComplete());

    const QColor problemColour(0xb0, 0x00, 0x20);
    QPalette palette = q->palette();
    if (!diagnosis.isComplete())
        palette.setColor(QPalette::WindowText, problemColour);
    m_status->setPalette(palette);

    // Underline what the first problem is about, so the user need not count.
    QList<QTextEdit::ExtraSelection> marks;
    if (!diagnosis.wellFormed && m_showCheck) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(m_editor->document());
        mark.cursor.setPosition(int(diagnosis.errorPosition));
        mark.cursor.setPosition(int(diagnosis.errorPosition + diagnosis.errorLength), QTextCursor::KeepAnchor);
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(problemColour);
        marks << mark;
    }
    m_editor->setExtraSelections(marks);
}

zrFuncBuilder::zrFuncBuilder(QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<zrFuncBuilderPrivate>(this))
{
    setObjectName(QStringLiteral("zrFuncBuilder"));
    setModal(true);
    d->build();

    connect(d->m_variables, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        d->insertVariable(item);
        d->m_editor->setFocus();
    });
    connect(d->m_variables, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        d->m_description->setText(item ? item->data(Qt::ToolTipRole).toString() : QString());
    });
    connect(d->m_operators, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (!item->parent())
            return; // a category: the tree folds or unfolds it
        d->insertOperator(item);
        d->m_editor->setFocus();
    });
    connect(d->m_operators, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        const bool isEntry = item && item->parent();
        d->m_operatorHelp->setText(isEntry ? d->m_palette.at(item->data(0, OperatorIndexRole).toInt()).helpText
                                           : QString());
    });
    connect(d->m_editor, &QPlainTextEdit::textChanged, this, [this] { d->updateStatus(); });
    connect(d->m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(d->m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Whichever way the dialog was run, OK takes the edited text.
    connect(this, &QDialog::accepted, this, [this] {
        const QString edited = d->m_editor->toPlainText();
        if (edited != d->m_expression) {
            d->m_expression = edited;
            Q_EMIT expressionChanged(edited);
        }
    });
    d->m_variables->installEventFilter(this);
    d->m_operators->installEventFilter(this);
    d->m_editor->installEventFilter(this);

    d->setTexts();
    resize(820, 460);
}

zrFuncBuilder::~zrFuncBuilder() = default;

void zrFuncBuilder::initialise()
{
    d->m_palette.clear();
    d->m_operators->clear();
    d->m_operatorHelp->clear();
    resetVariables();
    setExpression(QString());
}

void zrFuncBuilder::addOperator(const QString &category, const QString &symbol, const QString &insertText,
                                const QString &caption, const QString &helpText, bool enabled)
{
    QTreeWidgetItem *group = nullptr;
    for (int i = 0; i < d->m_operators->topLevelItemCount() && !group; ++i) {
        if (d->m_operators->topLevelItem(i)->text(0) == category)
            group = d->m_operators->topLevelItem(i);
    }
    if (!group) {
        group = new QTreeWidgetItem(d->m_operators, {category});
        group->setFlags(Qt::ItemIsEnabled);
        group->setExpanded(true);
    }

    d->m_palette.append({category, symbol, insertText, caption, helpText, enabled});
    auto *item = new QTreeWidgetItem(group);
    item->setData(0, OperatorIndexRole, int(d->m_palette.size() - 1));
    item->setText(0, d->entryLabel(d->m_palette.last()));
    item->setToolTip(0, helpText);
    if (!enabled)
        item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    group->setExpanded(true);
}

void zrFuncBuilder::setDisplaySwitches(bool showSymbols, bool showCheck)
{
    d->m_showSymbols = showSymbols;
    d->m_showCheck = showCheck;
    d->relabelPalette();
    d->m_status->setVisible(showCheck);
    d->updateStatus();
}

void zrFuncBuilder::setCaptions(const QString &variablesList, const QString &variablesTab,
                                const QString &operatorsList, const QString &operatorsTab, const QString &title)
{
    d->m_customCaptions = true;
    d->m_captions = {variablesList, variablesTab, operatorsList, operatorsTab, title};
    d->applyCaptions();
}

void zrFuncBuilder::resetVariables()
{
    d->m_variables->clear();
    d->m_description->clear();
    d->variablesChanged();
}

void zrFuncBuilder::addVariable(const QString &name, const QString &caption, const QString &description,
                                const QString &code1, const QString &code2, const QString &code3,
                                const QString &code4)
{
    auto *item = new QListWidgetItem(caption, d->m_variables);
    item->setData(NameRole, name);
    item->setToolTip(description);
    const QStringList codes{code1, code2, code3, code4};
    for (int i = 0; i < codes.size(); ++i)
        item->setData(FirstCodeRole + i, codes.at(i));
    if (d->m_variables->count() == 1)
        d->m_variables->setCurrentItem(item);
    d->variablesChanged();
}

void zrFuncBuilder::setExpression(const QString &storedForm)
{
    // Laying out a long expression is the dearest part of opening the wizard: only a new text is set.
    if (d->m_editor->toPlainText() != storedForm)
        d->m_editor->setPlainText(storedForm);
    if (storedForm != d->m_expression) {
        d->m_expression = storedForm;
        Q_EMIT expressionChanged(storedForm);
    }
}

QString zrFuncBuilder::expression() const
{
    return d->m_expression;
}

bool zrFuncBuilder::showWizard()
{
    if (d->m_editor->toPlainText() != d->m_expression)
        d->m_editor->setPlainText(d->m_expression);
    d->m_editor->moveCursor(QTextCursor::End);
    d->m_editor->setFocus();
    return exec() == QDialog::Accepted;
}

void zrFuncBuilder::showEvent(QShowEvent *event)
{
    if (d->m_statusStale)
        d->updateStatus();
    QDialog::showEvent(event);
}

bool zrFuncBuilder::eventFilter(QObject *watched, QEvent *event)
{
    // In the expression Enter is OK, as in any dialog: an expression is one line. Shift+Enter breaks it.
    if (event->type() == QEvent::KeyPress && watched == d->m_editor) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & Qt::ShiftModifier)) {
            if (d->m_ok->isEnabled())
                d->m_ok->click();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress
        && (watched == d->m_variables || watched == d->m_operators)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == d->m_variables)
                d->insertVariable(d->m_variables->currentItem());
            else
                d->insertOperator(d->m_operators->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void zrFuncBuilder::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        d->setTexts();
    QDialog::changeEvent(event);
}

} // namespace zr
