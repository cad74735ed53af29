#include "itempanel/widgetfillers.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "itempanel/itempanelmodel.h"
#include "recordset/recordsetmodel.h"
#include "recordset/recordsetutils.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QComboBox>
#include <QItemSelectionModel>

namespace zr {

namespace {
constexpr qint32 StringBrowse = 20034;
} // namespace

Recordset GetSelectedRows(const QAbstractItemView *grid)
{
    if (!grid || !grid->model())
        return Recordset();
    // Walk through proxies down to the recordset's own model.
    const QAbstractItemModel *model = grid->model();
    QList<const QAbstractProxyModel *> proxies;
    while (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(model)) {
        proxies.append(proxy);
        model = proxy->sourceModel();
    }
    const auto *rsModel = qobject_cast<const RecordsetModel *>(model);
    if (!rsModel || grid->model()->rowCount() == 0 || IsRsEmpty(rsModel->recordset()))
        return Recordset();
    const auto toSourceRow = [&](QModelIndex index) {
        for (const QAbstractProxyModel *proxy : proxies)
            index = proxy->mapToSource(index);
        return index.isValid() ? index.row() : -1;
    };

    QList<Recordset::Bookmark> bookmarks;
    const QAbstractItemView::SelectionMode mode = grid->selectionMode();
    const bool several = mode == QAbstractItemView::MultiSelection || mode == QAbstractItemView::ExtendedSelection
                         || mode == QAbstractItemView::ContiguousSelection;
    if (several) {
        if (const QItemSelectionModel *selection = grid->selectionModel()) {
            QList<int> seen;
            for (const QModelIndex &index : selection->selectedIndexes()) {
                const int row = toSourceRow(index);
                if (row < 0 || row >= rsModel->rowCount() || seen.contains(row))
                    continue;
                seen.append(row);
                bookmarks.append(rsModel->bookmarkOfRow(row));
            }
        }
    } else {
        const int row = toSourceRow(grid->currentIndex());
        if (row >= 0 && row < rsModel->rowCount())
            bookmarks.append(rsModel->bookmarkOfRow(row));
    }
    if (bookmarks.isEmpty())
        return Recordset();
    Recordset rows = rsModel->recordset().clone();
    rows.setFilter(bookmarks);
    return CreateRSDuplicate(rows);
}

void FillChoices(ItemPanelModel *panel, const QString &rowKey, const Recordset &recordset, const QString &idField,
                 const QString &textField, const QVariant &selectKey, int flags)
{
    if (!panel || IsRsEmpty(recordset))
        return;
    Recordset rows = recordset.clone();
    const int id = rows.fieldIndex(idField);
    const int text = rows.fieldIndex(textField);
    if (id < 0 || text < 0)
        throw ZrError(Recordset::ErrUnknownField, QStringLiteral("FillChoices"),
                      QStringLiteral("Unknown field '%1'.").arg(id < 0 ? idField : textField));
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        const QString code = NzStr(rows.value(id));
        QString caption = NzStr(rows.value(text));
        const QString key = QLatin1Char('K') + code;
        if (flags & FillDottedCodes) {
            const int depth = int(code.count(QLatin1Char('.')));
            caption.prepend(QString(depth * 4, QLatin1Char(' ')));
            if (!panel->addChoice(rowKey, key, caption, ItemStyle::Choice))
                continue;
            if (depth > 0)
                panel->setChoiceTag(rowKey, key, code.left(code.lastIndexOf(QLatin1Char('.'))));
            continue;
        }
        panel->addChoice(rowKey, key, caption, ItemStyle::Choice);
    }
    if (flags & FillAddBrowse)
        panel->addChoice(rowKey, QStringLiteral("browse"), GetLangString(StringBrowse), ItemStyle::Choice);
    if (!selectKey.isNull())
        SelectChoice(panel, rowKey, selectKey);
}

namespace {
bool selectOne(ItemPanelModel *panel, const QString &rowKey, const QVariant &key)
{
    if (key.isNull())
        return false;
    switch (key.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return panel->selectChoiceAt(rowKey, int(key.toLongLong()) - 1);
    default:
        return panel->selectChoice(rowKey, QLatin1Char('K') + key.toString());
    }
}
} // namespace

bool SelectChoice(ItemPanelModel *panel, const QString &rowKey, const QVariant &key, const QVariant &secondKey)
{
    if (!panel)
        return false;
    return selectOne(panel, rowKey, key) || selectOne(panel, rowKey, secondKey);
}

void FillCombo(QComboBox *combo, const Recordset &recordset, const QString &textField, const QString &idField,
               bool selectFirst)
{
    if (!combo)
        return;
    combo->clear();
    if (!IsRsEmpty(recordset)) {
        Recordset rows = recordset; // the caller's cursor, as the routine always walked it
        const int text = rows.fieldIndex(textField);
        const int id = rows.fieldIndex(idField);
        if (text < 0 || id < 0)
            throw ZrError(Recordset::ErrUnknownField, QStringLiteral("FillCombo"),
                          QStringLiteral("Unknown field '%1'.").arg(text < 0 ? textField : idField));
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            combo->addItem(NzStr(rows.value(text)), ValLng(rows.value(id)));
    }
    combo->setCurrentIndex(selectFirst && combo->count() > 0 ? 0 : -1);
}

} // namespace zr
