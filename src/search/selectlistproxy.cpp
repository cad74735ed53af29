#include "search/selectlistproxy.h"

namespace zr {

SelectListProxy::SelectListProxy(QObject *parent) : QIdentityProxyModel(parent) {}

void SelectListProxy::setRecordset(const Recordset &records, const QString &idField)
{
    m_records = records;
    m_idField = records.isNull() || idField.isEmpty() ? -1 : records.fieldIndex(idField);
}

void SelectListProxy::setCheckColumn(int column)
{
    m_checkColumn = column;
}

QString SelectListProxy::idAt(int row) const
{
    if (m_idField < 0 || row < 0 || row >= m_records.recordCount())
        return {};
    return m_records.valueAt(row, m_idField).toString().trimmed();
}

bool SelectListProxy::isChecked(int row) const
{
    const QString id = idAt(row);
    return !id.isEmpty() && m_checked.contains(id);
}

void SelectListProxy::setChecked(int row, bool checked)
{
    const QString id = idAt(row);
    if (id.isEmpty() || m_checked.contains(id) == checked)
        return;
    if (checked)
        m_checked.insert(id);
    else
        m_checked.remove(id);
    if (m_checkColumn >= 0) {
        const QModelIndex cell = index(row, m_checkColumn);
        emit dataChanged(cell, cell, {Qt::CheckStateRole});
    }
}

void SelectListProxy::setCheckedIds(const QSet<QString> &ids)
{
    m_checked = ids;
    if (m_checkColumn >= 0 && rowCount() > 0)
        emit dataChanged(index(0, m_checkColumn), index(rowCount() - 1, m_checkColumn), {Qt::CheckStateRole});
}

void SelectListProxy::setHeader(int column, const QString &caption)
{
    m_headers.insert(column, caption);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void SelectListProxy::setValueList(int column, const QHash<QString, QString> &texts, bool bitMask)
{
    m_valueLists.insert(column, {texts, bitMask});
}

void SelectListProxy::clearValueLists()
{
    m_valueLists.clear();
}

QString SelectListProxy::textOf(const ValueList &list, const QVariant &value) const
{
    const QString code = value.toString().trimmed();
    if (!list.bitMask)
        return list.texts.value(code, code);
    bool ok = false;
    const qlonglong bits = code.toLongLong(&ok);
    if (!ok || bits <= 0)
        return list.texts.value(code, code);
    QStringList names;
    for (int bit = 0; bit < 62; ++bit) {
        const qlonglong flag = qlonglong(1) << bit;
        if (bits & flag)
            names << list.texts.value(QString::number(flag), QString::number(flag));
    }
    return names.join(QStringLiteral(", "));
}

QVariant SelectListProxy::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::CheckStateRole) {
        if (index.column() != m_checkColumn)
            return {};
        return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::DisplayRole) {
        const auto list = m_valueLists.constFind(index.column());
        if (list != m_valueLists.constEnd()) {
            const QVariant value = QIdentityProxyModel::data(index, Qt::EditRole);
            return value.isNull() ? QVariant() : QVariant(textOf(*list, value));
        }
    }
    // Columns stop at a width that leaves room for the others: a longer value says itself whole when pointed at.
    if (role == Qt::ToolTipRole) {
        const QVariant own = QIdentityProxyModel::data(index, role);
        return own.isValid() ? own : data(index, Qt::DisplayRole);
    }
    return QIdentityProxyModel::data(index, role);
}

bool SelectListProxy::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role == Qt::CheckStateRole && index.isValid() && index.column() == m_checkColumn) {
        setChecked(index.row(), value.toInt() == Qt::Checked);
        return true;
    }
    return false; // the list is for choosing, not for editing
}

Qt::ItemFlags SelectListProxy::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == m_checkColumn)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

QVariant SelectListProxy::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        const auto caption = m_headers.constFind(section);
        if (caption != m_headers.constEnd())
            return *caption;
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
}

} // namespace zr
