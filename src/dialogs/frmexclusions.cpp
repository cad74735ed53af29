#include "dialogs/frmexclusions.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/waitcursor.h"
#include "common/msgboxex.h"
#include "recordset/recordsetmodel.h"
#include "recordset/recordsetutils.h"
#include "common/schema.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "dialogs/applyfont.h"
#include "recordset/lookupcache.h"
#include "search/frmselfromlist.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace zr {

namespace {

const QString StudentView = QStringLiteral("v_students");
const QString StudentIdField = QStringLiteral("student_ID");
const QString ExceptionLayout = QStringLiteral("excludeStudents");
const QString StudentsRequest = QStringLiteral("students");
constexpr qint32 DegreeContext = 103;


bool isDepartmentKind(qint32 kind)
{
    return kind == 13 || kind == 14;
}

// A list-source answer names the codes of the column of the same name.
void loadAnswer(ColumnValueList &values, const QString &columnName, const Recordset &answer)
{
    if (answer.isNull() || answer.fieldCount() == 0)
        return;
    const auto [id, text] = IdAndTextFields(answer, QString(), columnName);
    GRD_LoadColumn(values, answer.field(id).name, answer.field(text).name, answer);
}

} // namespace

class frmExclusionsPrivate
{
public:
    explicit frmExclusionsPrivate(frmExclusions *q) : q(q) {}

    void buildUi();
    void setTexts();
    void placeColumns();
    void loadValueLists();
    QList<SchemaColumn> layout() const;
    ColumnValueList valueListOf(const SchemaColumn &column);
    void bind();
    void updateState();
    void addStudents();
    void removeStudents();
    void answerStudentsRequest(const QString &requestName, const QString &filter, Recordset &result);
    void showError(int headingId, const ZrError &error);
    // Reads the list (and its version) from the server and shows it.
    void reload();
    // After a change refused over someone else's newer list, that list is the one shown.
    void reloadAfterConflict(const ZrError &error);
    std::unique_ptr<cStudent> students() const;
    QString source(const char *member) const { return QStringLiteral("frmExclusions.") + QLatin1String(member); }

    frmExclusions *const q;
    QVariant m_objectId;
    qint32 m_objectKind = 0;
    qint32 m_context = 0;
    qint32 m_extraKey = 0;
    QString m_serverName;
    QString m_sessionId;
    QString m_studentFilter;
    const Schema *m_schema = nullptr;
    Recordset m_requirementRows;
    Recordset m_set;
    // The version of the list shown: a change over someone else's newer one is refused.
    qint64 m_version = -1;

    QLabel *Label4 = nullptr;
    QTableView *gxStudents = nullptr;
    RecordsetModel *m_model = nullptr;
    QLabel *lblCount = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdClose = nullptr;
};

void frmExclusionsPrivate::buildUi()
{
    Label4 = new QLabel(q);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);

    m_model = new RecordsetModel(q);
    gxStudents = new QTableView(q);
    gxStudents->setObjectName(QStringLiteral("gxStudents"));
    gxStudents->setModel(m_model);
    gxStudents->setSelectionBehavior(QAbstractItemView::SelectRows);
    gxStudents->setSelectionMode(QAbstractItemView::ExtendedSelection);
    gxStudents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gxStudents->setAlternatingRowColors(true);
    gxStudents->setWordWrap(false);
    gxStudents->setTabKeyNavigation(false);
    gxStudents->verticalHeader()->hide();
    gxStudents->verticalHeader()->setDefaultSectionSize(gxStudents->fontMetrics().height() + 6);
    gxStudents->horizontalHeader()->setStretchLastSection(true);

    lblCount = new QLabel(q);
    lblCount->setObjectName(QStringLiteral("lblCount"));

    cmdAdd = new QPushButton(q);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setAutoDefault(false);
    cmdDelete = new QPushButton(q);
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    cmdDelete->setAutoDefault(false);
    cmdClose = new QPushButton(q);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblCount, 1);
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdDelete);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(q);
    layout->addWidget(Label4);
    layout->addWidget(gxStudents, 1);
    layout->addLayout(buttons);

    QObject::connect(cmdAdd, &QPushButton::clicked, q, [this] { addStudents(); });
    QObject::connect(cmdDelete, &QPushButton::clicked, q, [this] { removeStudents(); });
    // Nothing is pending when the dialog closes: every change is saved already.
    QObject::connect(cmdClose, &QPushButton::clicked, q, &QDialog::reject);
    q->resize(820, 480);
}

void frmExclusionsPrivate::setTexts()
{
    q->setWindowTitle(GetLangString(20537));
    // Unlike the set's edits, the list is written as it changes: said where the user acts on it.
    Label4->setText(GetLangString(20557) + QStringLiteral("\n\n") + GetLangString(20780));
    cmdAdd->setText(GetLangString(20538));
    cmdDelete->setText(GetLangString(20539));
    cmdClose->setText(GetLangString(20540));
    gxStudents->setAccessibleName(GetLangString(20537));
    updateState();
}

QList<SchemaColumn> frmExclusionsPrivate::layout() const
{
    const SchemaTable *view = m_schema ? m_schema->table(StudentView) : nullptr;
    return view ? view->layout(ExceptionLayout) : QList<SchemaColumn>();
}

// One column per field of the layout, in its order, headed by the schema's
// caption; fields the layout does not place stay hidden.
void frmExclusionsPrivate::placeColumns()
{
    const QList<SchemaColumn> layout = this->layout();
    if (layout.isEmpty())
        return; // every field of the set, as the server sent them
    QHeaderView *header = gxStudents->horizontalHeader();
    QStringList captions;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        gxStudents->setColumnHidden(c, true);
        captions << QString();
    }
    int visual = 0;
    for (const SchemaColumn &column : layout) {
        const int logical = m_model->columnOfField(column.name);
        if (logical < 0)
            continue;
        gxStudents->setColumnHidden(logical, false);
        header->moveSection(header->visualIndex(logical), visual++);
        captions[logical] = column.caption();
    }
    m_model->setCaptions(captions);
    // Exception lists are short: columns fit their texts, long titles within reason.
    gxStudents->resizeColumnsToContents();
    const int widest = gxStudents->fontMetrics().averageCharWidth() * 32;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (header->sectionSize(c) > widest)
            header->resizeSection(c, widest);
    }
}

// Asked once per opening; the model keeps the lists while rows come and go.
void frmExclusionsPrivate::loadValueLists()
{
    for (const SchemaColumn &column : layout()) {
        const int logical = m_model->columnOfField(column.name);
        if (logical >= 0 && !column.listSource.trimmed().isEmpty())
            m_model->setColumnValueList(logical, valueListOf(column));
    }
}

ColumnValueList frmExclusionsPrivate::valueListOf(const SchemaColumn &column)
{
    ColumnValueList values;
    values.unknownText = GetLangString(20565);
    const QString source = column.listSource.trimmed();
    if (source.startsWith(QLatin1String("TEXT:"), Qt::CaseInsensitive)) {
        loadAnswer(values, column.name,
                   ListTextToRecordset(source, QStringLiteral("ID"), QStringLiteral("descr"), QStringLiteral(";")));
        return values;
    }
    const QString kind = source.left(5).toUpper();
    if (kind != QLatin1String("SELEC") && kind != QLatin1String("RECOR"))
        return values;
    const bool isQuery = kind == QLatin1String("SELEC");
    const int colon = source.indexOf(QLatin1Char(':'));
    const QString request = isQuery ? source : source.mid(colon + 1).trimmed();
    bool cancel = false;
    Recordset answer;
    Q_EMIT q->ListSourceRequest(cancel, request, answer, isQuery);
    if (!cancel)
        loadAnswer(values, column.name, answer);
    return values;
}

void frmExclusionsPrivate::bind()
{
    m_model->setRecordset(m_set);
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_model->setColumnValueList(c, ColumnValueList());
    loadValueLists();
    placeColumns();
    updateState();
}

void frmExclusionsPrivate::updateState()
{
    const int count = m_set.isNull() ? 0 : m_set.recordCount();
    cmdDelete->setEnabled(count > 0);
    lblCount->setText(count == 0 ? GetLangString(20566) : ReplaceParams(GetLangString(20567), {QString::number(count)}));
}

std::unique_ptr<cStudent> frmExclusionsPrivate::students() const
{
    return ServerObjectOf<cStudent>(m_serverName);
}

void frmExclusionsPrivate::answerStudentsRequest(const QString &requestName, const QString &filter, Recordset &result)
{
    if (requestName != StudentsRequest)
        return;
    try {
        WaitCursor wait;
        result = students()->LoadStudents(filter);
    } catch (ZrError &error) {
        // The selection stays open: the user may search again.
        TrapError(error);
        int style = MbExclamation | MbOkOnly;
        MsgBoxEx(error.description, style, GetLangString(20556), {}, 0, {}, QApplication::activeModalWidget());
        result = Recordset();
    }
}

void frmExclusionsPrivate::addStudents()
{
    try {
        SelectRsResult chosen;
        {
            const bool department = isDepartmentKind(m_objectKind);
            SelectRsOptions options;
            options.schema = m_schema;
            options.tableName = StudentView;
            options.layoutName = department ? QStringLiteral("selectStudents2") : QStringLiteral("selectStudents");
            options.idField = StudentIdField;
            options.displayField = QStringLiteral("spec_aem");
            options.baseFilter = m_studentFilter;
            options.requestName = StudentsRequest;
            options.title = GetLangString(department ? 20558 : 20559);
            // The object's students are listed at once; criteria narrow them.
            options.searchOnOpen = true;
            options.owner = q;
            // One selection per click; released before the result is saved.
            frmSelFromList selection(q);
            selection.FrmFont(q->frmFont().family(), q->frmFont().pointSizeF());
            QObject::connect(&selection, &frmSelFromList::DataRequest, q,
                             [this](const QString &name, const QString &filter, Recordset &result) {
                                 answerStudentsRequest(name, filter, result);
                             });
            QObject::connect(&selection, &frmSelFromList::ListSourceRequest, q, &frmExclusions::ListSourceRequest);
            chosen = selection.Select_Rs(options);
        }
        if (chosen.cancelled || chosen.records.isNull() || chosen.records.recordCount() == 0)
            return;

        WaitCursor wait;
        QSet<QString> excepted;
        const int idField = m_set.fieldIndex(StudentIdField);
        for (int row = 0; row < m_set.recordCount(); ++row)
            excepted.insert(m_set.valueAt(row, idField).toString());
        QList<Recordset::Bookmark> added;
        QStringList ids;
        const int chosenId = chosen.records.fieldIndex(StudentIdField);
        for (int row = 0; row < chosen.records.recordCount(); ++row) {
            const QString id = chosen.records.valueAt(row, chosenId).toString();
            if (id.isEmpty() || excepted.contains(id))
                continue;
            excepted.insert(id);
            ids << id;
            added << chosen.records.bookmarkAt(row);
        }
        if (ids.isEmpty())
            return;

        students()->SaveExcludedStudent(m_sessionId, ids.join(QLatin1Char(',')), m_objectId, m_objectKind, m_context,
                                        m_extraKey, 0, &m_version);

        // Saved: the local list follows, in the order the students were chosen.
        Recordset source = chosen.records.clone();
        for (const Recordset::Bookmark bookmark : added) {
            source.setBookmark(bookmark);
            m_set.addNew();
            for (int f = 0; f < m_set.fieldCount(); ++f) {
                const Field &field = m_set.field(f);
                if (field.isChapter() || IsSystemField(field.name))
                    continue;
                const int from = source.fieldIndex(field.name);
                if (from >= 0)
                    m_set.setValue(f, source.value(from));
            }
        }
        m_set.updateBatch();
        m_model->refresh();
        placeColumns();
        updateState();
    } catch (ZrError &error) {
        TrapError(error);
        showError(20563, error);
        reloadAfterConflict(error);
    }
}

void frmExclusionsPrivate::removeStudents()
{
    if (m_set.isNull() || m_set.recordCount() == 0)
        return;
    QModelIndexList selected = gxStudents->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    int style = MbYesNo | MbQuestion | MbDefaultButton2;
    if (MsgBoxEx(GetLangString(20015), style, GetLangString(20539), {}, 0, {}, q) != IdYes)
        return;
    try {
        WaitCursor wait;
        std::sort(selected.begin(), selected.end(),
                  [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
        const int idField = m_set.fieldIndex(StudentIdField);
        QStringList ids;
        QList<Recordset::Bookmark> rows;
        for (const QModelIndex &index : std::as_const(selected)) {
            ids << m_set.valueAt(index.row(), idField).toString();
            rows << m_model->bookmarkOfRow(index.row());
        }

        students()->SaveExcludedStudent(m_sessionId, ids.join(QLatin1Char(',')), m_objectId, m_objectKind, m_context,
                                        m_extraKey, 1, &m_version);

        for (const Recordset::Bookmark bookmark : std::as_const(rows)) {
            m_set.setBookmark(bookmark);
            m_set.deleteCurrent();
        }
        m_set.updateBatch();
        m_model->refresh();
        placeColumns();
        updateState();
    } catch (ZrError &error) {
        TrapError(error);
        showError(20564, error);
        reloadAfterConflict(error);
    }
}

void frmExclusionsPrivate::reload()
{
    m_set = students()->LoadExcludedStudents(m_objectId, m_objectKind, m_context, m_extraKey, &m_version);
    bind();
}

void frmExclusionsPrivate::reloadAfterConflict(const ZrError &error)
{
    if (error.number != ErrStoredSetChanged)
        return;
    try {
        reload();
    } catch (ZrError &again) {
        TrapError(again);
    }
}

void frmExclusionsPrivate::showError(int headingId, const ZrError &error)
{
    const QString detail = GetLangString(20560) + QString::number(error.number) + QLatin1Char('\n')
        + GetLangString(20561) + error.source + QLatin1Char('\n') + GetLangString(20562) + error.description;
    int style = MbExclamation | MbOkOnly;
    MsgBoxEx(GetLangString(headingId) + QStringLiteral("\n\n") + detail, style, GetLangString(20556), {}, 0, {}, q);
}

// --- frmExclusions ----------------------------------------------------------

frmExclusions::frmExclusions(QWidget *parent) : LibraryDialog(parent), d(std::make_unique<frmExclusionsPrivate>(this))
{
    setObjectName(QStringLiteral("frmExclusions"));
    setModal(true);
    d->buildUi();
    d->setTexts();
}

frmExclusions::~frmExclusions() = default;

void frmExclusions::ShowExcludStudents(const QVariant &objectId, qint32 objectKind, qint32 context,
                                       const Schema *schema, const QString &serverName, const QString &sessionId,
                                       const Recordset &requirementRows, qint32 extraKey,
                                       const QString &studentFilter, QWidget *ownerWindow)
{
    try {
        {
            WaitCursor wait;
            d->m_objectId = objectId.isNull() || objectId.toString().isEmpty() ? QVariant() : objectId;
            d->m_objectKind = objectKind;
            d->m_context = context;
            d->m_schema = schema;
            d->m_serverName = serverName;
            d->m_sessionId = sessionId;
            d->m_requirementRows = requirementRows;
            d->m_extraKey = extraKey;
            d->m_studentFilter = studentFilter;
            if (ownerWindow && ownerWindow != parentWidget())
                setParent(ownerWindow, windowFlags() | Qt::Dialog);
            d->setTexts();
            if (context == DegreeContext)
                throw MakeError(20017, d->source("ShowExcludStudents"));
            d->reload();
        }
        d->gxStudents->setFocus();
        exec();
    } catch (ZrError &error) {
        TrapError(error);
        d->m_model->setRecordset(Recordset());
        d->m_set = Recordset();
        d->m_requirementRows = Recordset();
        throw;
    }
    // The lists live only while the dialog is open.
    d->m_model->setRecordset(Recordset());
    d->m_set = Recordset();
    d->m_requirementRows = Recordset();
    d->m_schema = nullptr;
}

void frmExclusions::retranslate()
{
    d->setTexts();
}

QString ExclusionStudentFilter(qint32 objectKind, const Recordset &parentRow, const QString &departId)
{
    const auto valueOf = [&](const char *field) {
        const QString name = QLatin1String(field);
        return parentRow.isNull() || !parentRow.hasField(name) || parentRow.eof() || parentRow.bof()
            ? QString()
            : NzStr(parentRow.value(name)).trimmed();
    };
    // A programme without an id admits no student rather than every one.
    const auto programme = [](const QString &id) {
        return id.isEmpty() ? QStringLiteral("progrspoud_ID IS NULL") : QStringLiteral("progrspoud_ID=") + id;
    };
    switch (objectKind) {
    case 1:
    case 3:
    case 4:
        return programme(valueOf("prID"));
    case 8:
    case 11:
        return programme(valueOf("progrspoud_ID"));
    case 13:
        return QStringLiteral("department_ID = '") + valueOf("depID").replace(QLatin1Char('\''), QStringLiteral("''"))
            + QLatin1Char('\'');
    case 14:
        return QStringLiteral("department_ID='") + QString(departId).replace(QLatin1Char('\''), QStringLiteral("''"))
            + QLatin1Char('\'');
    default:
        return QString();
    }
}

} // namespace zr
