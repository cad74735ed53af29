#include "recordset/recordsetmodel.h"

#include "common/zrerror.h"

#include <QHash>

namespace zr {

class RecordsetModelPrivate
{
public:
    Recordset rs;
    QStringList captions;
    QString checkName;
    int checkFieldIndex = -1;
    bool editable = false;
    std::vector<int> columns;   // field index per column; chapters are not shown
    QHash<int, ColumnValueList> valueLists;   // by column
    int rows = 0;

    void load()
    {
        columns.clear();
        for (int f = 0; f < rs.fieldCount(); ++f)
            if (!rs.field(f).isChapter())
                columns.push_back(f);
        checkFieldIndex = checkName.isEmpty() ? -1 : rs.fieldIndex(checkName);
        rows = rs.recordCount();
    }

    bool valid(const QModelIndex &index) const
    {
        return index.isValid() && index.row() < rows && index.column() < int(columns.size());
    }
};

RecordsetModel::RecordsetModel(QObject *parent)
    : QAbstractTableModel(parent), d(std::make_unique<RecordsetModelPrivate>())
{
}

RecordsetModel::~RecordsetModel() = default;

void RecordsetModel::setRecordset(const Recordset &recordset, const QStringList &captions)
{
    beginResetModel();
    d->rs = recordset;
    d->captions = captions;
    d->load();
    endResetModel();
}

Recordset RecordsetModel::recordset() const { return d->rs; }

void RecordsetModel::setCaptions(const QStringList &captions)
{
    d->captions = captions;
    if (!d->columns.empty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(d->columns.size()) - 1);
}

void RecordsetModel::setCheckField(const QString &fieldName)
{
    beginResetModel();
    d->checkName = fieldName;
    d->load();
    endResetModel();
}

QString RecordsetModel::checkField() const { return d->checkName; }

void RecordsetModel::setColumnValueList(int column, const ColumnValueList &values)
{
    if (values.size() == 0)
        d->valueLists.remove(column);
    else
        d->valueLists.insert(column, values);
    if (column >= 0 && column < int(d->columns.size()) && d->rows > 0)
        Q_EMIT dataChanged(index(0, column), index(d->rows - 1, column), {Qt::DisplayRole});
}

bool RecordsetModel::isEditable() const { return d->editable; }

void RecordsetModel::setEditable(bool editable)
{
    if (d->editable == editable)
        return;
    d->editable = editable;
    Q_EMIT editableChanged(editable);
}

int RecordsetModel::fieldOfColumn(int column) const
{
    return column >= 0 && column < int(d->columns.size()) ? d->columns[size_t(column)] : -1;
}

int RecordsetModel::columnOfField(const QString &fieldName) const
{
    const int f = d->rs.fieldIndex(fieldName);
    for (size_t c = 0; c < d->columns.size(); ++c)
        if (d->columns[c] == f)
            return int(c);
    return -1;
}

Recordset::Bookmark RecordsetModel::bookmarkOfRow(int row) const
{
    Q_ASSERT(row >= 0 && row < d->rows);
    return d->rs.bookmarkAt(row);
}

int RecordsetModel::rowOfBookmark(Recordset::Bookmark bookmark) const
{
    const int row = d->rs.rowOfBookmark(bookmark);
    return row < d->rows ? row : -1;
}

void RecordsetModel::refresh()
{
    beginResetModel();
    d->load();
    endResetModel();
}

int RecordsetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : d->rows;
}

int RecordsetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(d->columns.size());
}

static bool isTrue(const QVariant &v)
{
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double n = v.toString().toDouble(&ok);
        return ok ? n != 0 : v.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    }
    return v.toDouble() != 0 || (v.typeId() == QMetaType::Bool && v.toBool());
}

QVariant RecordsetModel::data(const QModelIndex &index, int role) const
{
    if (!d->valid(index))
        return QVariant();
    const int field = d->columns[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (field == d->checkFieldIndex && role == Qt::DisplayRole)
            return QVariant();
        const QVariant v = d->rs.valueAt(index.row(), field);
        if (role == Qt::DisplayRole && !v.isNull()) {
            const auto list = d->valueLists.constFind(index.column());
            if (list != d->valueLists.constEnd()) {
                const int at = list->indexOf(v);
                if (at >= 0)
                    return list->texts[at];
                if (!list->unknownText.isEmpty())
                    return list->unknownText;
            }
        }
        return v;
    }
    case Qt::CheckStateRole:
        if (field != d->checkFieldIndex)
            return QVariant();
        return isTrue(d->rs.valueAt(index.row(), field)) ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        // A code shown by its name reads as text.
        if (d->rs.field(field).isNumeric() && !d->valueLists.contains(index.column()))
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    case BookmarkRole:
        return d->rs.bookmarkAt(index.row());
    case StatusRole:
        return int(d->rs.statusAt(index.row()));
    case FieldNameRole:
        return d->rs.field(field).name;
    default:
        return QVariant();
    }
}

bool RecordsetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!d->valid(index) || !d->editable)
        return false;
    const int field = d->columns[size_t(index.column())];
    QVariant stored = value;
    if (role == Qt::CheckStateRole) {
        if (field != d->checkFieldIndex)
            return false;
        const bool on = value.toInt() == Qt::Checked;
        const Field &f = d->rs.field(field);
        stored = f.type == adBoolean ? QVariant(on) : f.isText() ? QVariant(on ? QStringLiteral("-1") : QStringLiteral("0"))
                                                                  : QVariant(on ? -1 : 0);
    } else if (role != Qt::EditRole) {
        return false;
    }
    // A value the field cannot hold is refused; no exception leaves a model call.
    try {
        d->rs.setValueAt(index.row(), field, stored);
    } catch (ZrError &e) {
        TrapError(e);
        return false;
    }
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::CheckStateRole, StatusRole});
    return true;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section >= 0 && section < d->rows ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= int(d->columns.size()))
        return QVariant();
    if (section < d->captions.size() && !d->captions[section].isEmpty())
        return d->captions[section];
    return d->rs.field(d->columns[size_t(section)]).name;
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex &index) const
{
    if (!d->valid(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const bool deleted = d->rs.statusAt(index.row()) == Recordset::adRecDeleted;
    if (d->editable && !deleted) {
        if (d->columns[size_t(index.column())] == d->checkFieldIndex)
            f |= Qt::ItemIsUserCheckable;
        else
            f |= Qt::ItemIsEditable;
    }
    return f;
}

} // namespace zr
