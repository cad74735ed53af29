#include "sethistorywindow.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "database.h"
#include "requirements/setversion.h"
#include "requirementstore.h"
#include "setdifference.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace zr::app {

namespace {
enum : qint32 {
    StrNoChange = 64008,
    StrTitle = 64019,
    StrVersion = 64020,
    StrSavedAt = 64021,
    StrSavedBy = 64022,
    StrChange = 64023,
    StrRestore = 64024,
    StrFromTo = 64026,
    StrChoose = 64027,
    StrNoneKept = 64028,
    StrVersions = 64029,
    StrDifference = 64030,
    StrExceptedStudents = 64037,
};
const QString Source = QStringLiteral("SetHistoryWindow");
} // namespace

void SetHistoryModel::load(const QString &serverName, const QString &key)
{
    auto db = server::Database::open(serverName);
    QList<server::KeptVersion> versions = server::ReadableHistory(*db, key, Source);
    std::reverse(versions.begin(), versions.end());
    beginResetModel();
    m_versions = std::move(versions);
    endResetModel();
}

int SetHistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_versions.size());
}

int SetHistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SetHistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    const server::KeptVersion &v = m_versions.at(index.row());
    switch (index.column()) {
    case VersionColumn: return v.number;
    case SavedAtColumn: return v.savedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    case SavedByColumn: return v.savedBy;
    case SummaryColumn: return v.summary;
    }
    return QVariant();
}

QVariant SetHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const qint32 ids[ColumnCount] = {StrVersion, StrSavedAt, StrSavedBy, StrChange};
    return section >= 0 && section < ColumnCount ? GetLangString(ids[section]) : QVariant();
}

SetHistoryWindow::SetHistoryWindow(const QString &serverName, const QString &key, const QString &caption,
                                   QWidget *parent)
    : QDialog(parent), m_serverName(serverName), m_key(key)
{
    setObjectName(QStringLiteral("setHistory"));
    setWindowTitle(ReplaceParams(GetLangString(StrTitle), {caption}));
    m_model.load(serverName, key);
    m_exceptionKey = ExceptionListKeyOfSet(key);
    m_exceptions.load(serverName, m_exceptionKey);

    m_list = versionList(&m_model, QStringLiteral("historyVersions"));
    m_exceptionList = versionList(&m_exceptions, QStringLiteral("historyExceptions"));
    auto *listLabel = new QLabel(GetLangString(StrVersions), this);
    listLabel->setBuddy(m_list);

    m_difference = new QPlainTextEdit(this);
    m_difference->setObjectName(QStringLiteral("historyDifference"));
    m_difference->setReadOnly(true);
    m_difference->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_differenceLabel = new QLabel(GetLangString(StrDifference), this);
    m_differenceLabel->setBuddy(m_difference);

    auto *top = new QWidget(this);
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(listLabel);
    topLayout->addWidget(m_list, 3);
    // A list never changed has nothing to show.
    if (m_exceptions.rowCount() > 0) {
        auto *exceptionLabel = new QLabel(GetLangString(StrExceptedStudents), this);
        exceptionLabel->setBuddy(m_exceptionList);
        topLayout->addWidget(exceptionLabel);
        topLayout->addWidget(m_exceptionList, 1);
    } else {
        m_exceptionList->hide();
    }
    auto *bottom = new QWidget(this);
    auto *bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addWidget(m_differenceLabel);
    bottomLayout->addWidget(m_difference);
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(top);
    splitter->addWidget(bottom);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_restore = buttons->addButton(GetLangString(StrRestore), QDialogButtonBox::ActionRole);
    m_restore->setObjectName(QStringLiteral("historyRestore"));
    connect(m_restore, &QPushButton::clicked, this, &SetHistoryWindow::restore);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
    resize(900, 600);

    for (QTreeView *list : {m_list, m_exceptionList})
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, list] { showDifference(list); });
    if (m_model.rowCount() > 0) {
        m_list->setCurrentIndex(m_model.index(0, 0));
    } else {
        m_difference->setPlainText(GetLangString(StrNoneKept));
        showDifference(m_list);
    }
    m_list->setFocus();
}

QTreeView *SetHistoryWindow::versionList(SetHistoryModel *model, const QString &name)
{
    auto *list = new QTreeView(this);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Two versions are compared: Ctrl or Shift with the arrows and Space chooses the second.
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setModel(model);
    list->header()->setStretchLastSection(true);
    for (int c = 0; c < SetHistoryModel::SummaryColumn; ++c)
        list->resizeColumnToContents(c);
    return list;
}

QList<qint64> SetHistoryWindow::chosen(const QTreeView *list, const SetHistoryModel &model) const
{
    QList<qint64> numbers;
    for (const QModelIndex &row : list->selectionModel()->selectedRows())
        numbers << model.versionAt(row.row());
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void SetHistoryWindow::choose(const QList<qint64> &numbers, bool exceptions)
{
    QTreeView *list = exceptions ? m_exceptionList : m_list;
    const SetHistoryModel &model = exceptions ? m_exceptions : m_model;
    QItemSelection selection;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (numbers.contains(model.versionAt(row)))
            selection.select(model.index(row, 0), model.index(row, SetHistoryModel::ColumnCount - 1));
    }
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QString SetHistoryWindow::differenceText() const
{
    return m_difference->toPlainText();
}

void SetHistoryWindow::showDifference(QTreeView *list)
{
    const bool exceptions = list == m_exceptionList;
    const QList<qint64> numbers = chosen(list, exceptions ? m_exceptions : m_model);
    if (!numbers.isEmpty()) {
        QTreeView *other = exceptions ? m_list : m_exceptionList;
        const QSignalBlocker blocker(other->selectionModel());
        other->clearSelection();
        other->viewport()->update();
    }
    // Only a version of the set is restored here: an exception list changes in its own dialog.
    m_restore->setEnabled(!exceptions && numbers.size() == 1);
    if (numbers.isEmpty() || numbers.size() > 2) {
        if (m_model.rowCount() > 0)
            m_difference->setPlainText(GetLangString(StrChoose));
        return;
    }
    // One version: what its save changed; two: from the older to the newer.
    const qint64 from = numbers.size() == 1 ? numbers.first() - 1 : numbers.first();
    const qint64 to = numbers.last();
    QStringList text{ReplaceParams(GetLangString(StrFromTo), {QString::number(from), QString::number(to)})};
    try {
        auto db = server::Database::open(m_serverName);
        const QStringList lines =
            server::VersionDifferenceLines(*db, exceptions ? m_exceptionKey : m_key, from, to, Source);
        text << (lines.isEmpty() ? QStringList{GetLangString(StrNoChange)} : lines);
    } catch (ZrError &error) {
        TrapError(error);
        text << error.description;
    }
    m_difference->setPlainText(text.join(QLatin1Char('\n')));
}

void SetHistoryWindow::restore()
{
    const QList<qint64> numbers = chosen(m_list, m_model);
    if (numbers.size() != 1)
        return;
    try {
        auto db = server::Database::open(m_serverName);
        const QByteArray file = server::RequirementStore(*db).versionFile(m_key, numbers.first(), Source);
        Q_EMIT restoreRequested(numbers.first(), file);
    } catch (ZrError &error) {
        TrapError(error);
        m_difference->setPlainText(error.description);
    }
}

void SetHistoryWindow::setRestorable(bool restorable)
{
    m_restore->setVisible(restorable);
}

} // namespace zr::app
