#include "coursetypetotalsdialog.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "dialogs/applyfont.h"
#include "reqtypes/coursetypetotals.h"
#include "dialogs/coursetypetotalsmodel.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zr {

namespace {

// The grid; lets OK hand an open editor's text to the model first.
class TotalsGrid : public QTableView
{
public:
    using QTableView::QTableView;

    void commitPendingEdit()
    {
        if (state() != QAbstractItemView::EditingState)
            return;
        QWidget *editor = indexWidget(currentIndex());
        if (!editor) {
            QWidget *focus = QApplication::focusWidget();
            editor = focus && isAncestorOf(focus) && focus != viewport() ? focus : nullptr;
        }
        if (!editor)
            return;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
};

QFont smallFont(const QFont &base, bool bold)
{
    QFont font = base;
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

} // namespace

class CourseTypeTotalsDialogPrivate
{
public:
    QString source() const
    {
        return q->objectName() + QStringLiteral(".Select_CourseTypeTotals");
    }
    void setTexts();

    CourseTypeTotalsDialog *q = nullptr;
    CourseTypeTotalsDialog::Purpose m_purpose = CourseTypeTotalsDialog::Purpose::MinimumTotals;
    QLabel *m_info = nullptr;
    QLabel *m_info1 = nullptr;
    QLabel *m_note = nullptr;
    TotalsGrid *m_grid = nullptr;
    CourseTypeTotalsModel *m_model = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_cancelled = true;
};

void CourseTypeTotalsDialogPrivate::setTexts()
{
    if (m_purpose == CourseTypeTotalsDialog::Purpose::MinimumTotals) {
        q->setWindowTitle(GetLangString(20541));
        m_info->setText(GetLangString(20028));
        m_info1->setText(ReplaceParams(GetLangString(20027), {GetLangString(10004)}));
    } else {
        q->setWindowTitle(GetLangString(20547));
        m_info->setText(GetLangString(20023));
        m_info1->setText(GetLangString(20024) + QLatin1Char(' ') + GetLangString(20025));
    }
    m_info->setFont(smallFont(m_info->font(), false));
    m_info1->setFont(smallFont(m_info1->font(), true));
    m_ok->setText(GetLangString(20525));
    m_cancel->setText(GetLangString(20092));
    m_grid->setAccessibleName(q->windowTitle());
    Q_EMIT m_model->headerDataChanged(Qt::Horizontal, 0, CourseTypeTotalsModel::ColumnCount - 1);
}

CourseTypeTotalsDialog::CourseTypeTotalsDialog(Purpose purpose, QWidget *parent)
    : LibraryDialog(parent)
    , d(std::make_unique<CourseTypeTotalsDialogPrivate>())
{
    d->q = this;
    d->m_purpose = purpose;
    setModal(true);

    d->m_info = new QLabel(this);
    d->m_info->setObjectName(QStringLiteral("lblInfo"));
    d->m_info->setWordWrap(true);

    d->m_model = new CourseTypeTotalsModel(this);
    d->m_grid = new TotalsGrid(this);
    d->m_grid->setObjectName(QStringLiteral("gxCourseTypes"));
    d->m_grid->setModel(d->m_model);
    d->m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    d->m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    d->m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                               | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    d->m_grid->verticalHeader()->hide();
    // One line per course type, as compact as the text allows.
    d->m_grid->verticalHeader()->setDefaultSectionSize(d->m_grid->fontMetrics().height() + 8);
    d->m_grid->horizontalHeader()->setSectionResizeMode(CourseTypeTotalsModel::SelColumn,
                                                        QHeaderView::ResizeToContents);
    d->m_grid->horizontalHeader()->setSectionResizeMode(CourseTypeTotalsModel::DescriptionColumn,
                                                        QHeaderView::Stretch);
    d->m_grid->horizontalHeader()->setSectionResizeMode(CourseTypeTotalsModel::CountColumn,
                                                        QHeaderView::ResizeToContents);
    d->m_grid->setTabKeyNavigation(false);

    d->m_info1 = new QLabel(this);
    d->m_info1->setObjectName(QStringLiteral("lblInfo1"));
    d->m_info1->setWordWrap(true);
    // What was not taken is said where the user looks, not dropped in silence.
    d->m_note = new QLabel(this);
    d->m_note->setObjectName(QStringLiteral("lblNote"));
    d->m_note->setWordWrap(true);
    d->m_note->setVisible(false);
    connect(d->m_model, &CourseTypeTotalsModel::countRefused, this, [this](const QString &text) {
        d->m_note->setText(ReplaceParams(GetLangString(10109), {text}));
        d->m_note->setVisible(true);
    });

    d->m_ok = new QPushButton(this);
    d->m_ok->setObjectName(QStringLiteral("cmdOK"));
    d->m_ok->setDefault(true);
    d->m_cancel = new QPushButton(this);
    d->m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    d->m_cancel->setAutoDefault(false);
    connect(d->m_ok, &QPushButton::clicked, this, &CourseTypeTotalsDialog::accept);
    connect(d->m_cancel, &QPushButton::clicked, this, &CourseTypeTotalsDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(d->m_ok);
    buttons->addWidget(d->m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(d->m_info);
    layout->addWidget(d->m_grid, 1);
    layout->addWidget(d->m_info1);
    layout->addWidget(d->m_note);
    layout->addLayout(buttons);
    d->setTexts();
    // Until the dialog is opened the label only says what the dialog is for.
    d->m_info->setText(purpose == Purpose::MinimumTotals ? GetLangString(20546) : GetLangString(20548));
    resize(560, 440);
}

CourseTypeTotalsDialog::~CourseTypeTotalsDialog() = default;

CourseTypeTotalsDialog::Purpose CourseTypeTotalsDialog::purpose() const
{
    return d->m_purpose;
}

Recordset CourseTypeTotalsDialog::Select_CourseTypeTotals(const Recordset &courseTypes, const QString &totalsValue,
                                                          bool addTotalRow, bool &cancelled, QWidget *ownerWindow)
{
    cancelled = true;
    d->m_cancelled = true;
    Recordset result;
    try {
        if (ownerWindow && ownerWindow != parentWidget())
            setParent(ownerWindow, windowFlags());
        d->setTexts();
        Recordset working = BuildCourseTypesWorkingList(courseTypes, addTotalRow);
        ApplyCourseTypeTotals(working, totalsValue, d->source());
        const QString unreadable = UnreadableTotals(totalsValue);
        d->m_note->setText(ReplaceParams(GetLangString(10108), {unreadable}));
        d->m_note->setVisible(!unreadable.isEmpty());
        d->m_model->setRecordset(working);
        d->m_grid->setCurrentIndex(d->m_model->index(0, CourseTypeTotalsModel::SelColumn));
        d->m_grid->setFocus();

        exec();

        if (!d->m_cancelled)
            result = CheckedCourseTypes(working);
        cancelled = d->m_cancelled;
    } catch (ZrError &error) {
        d->m_model->setRecordset(Recordset());
        TrapError(error);
        throw;
    }
    // The working list lives only as long as this call.
    d->m_model->setRecordset(Recordset());
    return result;
}

void CourseTypeTotalsDialog::retranslate()
{
    d->setTexts();
}

void CourseTypeTotalsDialog::accept()
{
    d->m_grid->commitPendingEdit();
    d->m_cancelled = false;
    QDialog::accept();
}

void CourseTypeTotalsDialog::reject()
{
    d->m_cancelled = true;
    QDialog::reject();
}

} // namespace zr
