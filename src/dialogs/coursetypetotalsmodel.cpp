#include "coursetypetotalsmodel.h"

#include "common/langstrings.h"
#include "common/systemnumber.h"

namespace zr {

CourseTypeTotalsModel::CourseTypeTotalsModel(QObject *parent) : QAbstractTableModel(parent) {}

CourseTypeTotalsModel::~CourseTypeTotalsModel() = default;

void CourseTypeTotalsModel::setRecordset(const Recordset &workingList)
{
    beginResetModel();
    m_rs = workingList;
    m_sel = m_rs.fieldIndex(u"sel");
    m_desc = m_rs.fieldIndex(u"ctypedesc");
    m_cnt = m_rs.fieldIndex(u"cnt");
    endResetModel();
}

int CourseTypeTotalsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rs.recordCount();
}

int CourseTypeTotalsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CourseTypeTotalsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    switch (index.column()) {
    case SelColumn:
        if (role == Qt::CheckStateRole && m_sel >= 0)
            return m_rs.valueAt(row, m_sel).toInt() == -1 ? Qt::Checked : Qt::Unchecked;
        break;
    case DescriptionColumn:
        if ((role == Qt::DisplayRole || role == Qt::ToolTipRole) && m_desc >= 0)
            return m_rs.valueAt(row, m_desc).toString();
        break;
    case CountColumn:
        if ((role == Qt::DisplayRole || role == Qt::EditRole) && m_cnt >= 0) {
            const QVariant count = m_rs.valueAt(row, m_cnt);
            // Text for editing too, so that the editor is a line edit and a
            // letter reaches setData to be refused there.
            return count.isNull() ? QString() : FormatSystemNumber(count.toDouble());
        }
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    default:
        break;
    }
    return {};
}

bool CourseTypeTotalsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const int row = index.row();
    if (index.column() == SelColumn && role == Qt::CheckStateRole && m_sel >= 0) {
        const bool checked = value.toInt() == Qt::Checked;
        m_rs.setValueAt(row, m_sel, checked ? QVariant(-1) : QVariant());
        Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }
    if (index.column() == CountColumn && role == Qt::EditRole && m_cnt >= 0) {
        const QString text = value.toString().trimmed();
        double number = 0;
        if (!text.isEmpty() && !ReadSystemNumber(text, &number)) {
            Q_EMIT countRefused(text);
            return false;
        }
        m_rs.setValueAt(row, m_cnt, text.isEmpty() ? QVariant() : QVariant(number));
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }
    return false;
}

Qt::ItemFlags CourseTypeTotalsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == SelColumn)
        flags |= Qt::ItemIsUserCheckable;
    else if (index.column() == CountColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant CourseTypeTotalsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case SelColumn:
        return GetLangString(20542);
    case DescriptionColumn:
        return GetLangString(20543);
    case CountColumn:
        return GetLangString(20544);
    default:
        return {};
    }
}

} // namespace zr
