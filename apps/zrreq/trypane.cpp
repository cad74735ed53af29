#include "trypane.h"

#include "auditsources.h"
#include "cli/auditreportoutput.h"
#include "reportbuttons.h"
#include "studentsearch.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QHash>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zr::app {

namespace {

enum : qint32 {
    StrChoose = 63522,       // "Choose a student of the programme..."
    StrNobody = 63523,       // "Choose a student of the programme ..."
    StrNotChecked = 63524,   // "The set can not be checked: %1"
    StrColumnRequirement = 63525,
    StrColumnMeasured = 63526,
    StrNotAProgramme = 63527, // "Only a programme's sets apply to students"
};
constexpr int RecentCount = 5;
// Long enough to let a typist finish a number, short enough to feel live.
constexpr int DebounceMs = 250;
const QString RecentKey = QStringLiteral("tryPane/recent");

QString studentLabel(const StudentRecord &record)
{
    return (record.registration() + QLatin1Char(' ') + record.name()).trimmed();
}

} // namespace

TryPane::TryPane(const QString &serverName, std::shared_ptr<const Schema> schema, QWidget *parent)
    : QWidget(parent), m_serverName(serverName), m_schema(std::move(schema))
{
    setObjectName(QStringLiteral("tryPane"));
    m_recent = new QComboBox(this);
    m_recent->setObjectName(QStringLiteral("tryStudent"));
    // As wide as the longest student remembered: the pane makes room for his whole name.
    m_recent->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_choose = new QToolButton(this);
    m_choose->setObjectName(QStringLiteral("tryChoose"));
    m_choose->setText(QStringLiteral("..."));
    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("tryVerdict"));
    m_verdict->setWordWrap(true);
    m_trace = new QTreeWidget(this);
    m_trace->setObjectName(QStringLiteral("tryTrace"));
    m_trace->setColumnCount(3);
    m_trace->setRootIsDecorated(false);
    m_trace->setWordWrap(true);
    // The requirement and what was measured share the pane's width, and grow with it.
    m_trace->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_trace->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    auto *chooser = new QHBoxLayout;
    chooser->addWidget(m_recent, 1);
    chooser->addWidget(m_choose);
    // What the set on screen says of him, as the report he would be handed. The pane sits in
    // the editor's window, whose menus keep their Alt keys.
    m_report = new ReportButtons(false, this);
    m_report->setEnabled(false);
    m_report->setSource([this] { return report(); });
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(chooser);
    layout->addWidget(m_verdict);
    layout->addWidget(m_trace, 1);
    layout->addWidget(m_report);

    m_debounce = new QTimer(this);
    m_debounce->setSingleShot(true);
    m_debounce->setInterval(DebounceMs);
    connect(m_debounce, &QTimer::timeout, this, &TryPane::check);
    connect(m_choose, &QToolButton::clicked, this, &TryPane::chooseStudent);
    connect(m_recent, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { setStudent(m_recent->itemData(index).toInt()); });
    connect(m_trace, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            emit requirementChosen(item->data(0, Qt::UserRole).toInt());
    });
    fillRecent();
    retranslate();
}

TryPane::~TryPane() = default;

void TryPane::retranslate()
{
    m_choose->setToolTip(GetLangString(StrChoose));
    m_trace->setHeaderLabels({QString(), GetLangString(StrColumnRequirement), GetLangString(StrColumnMeasured)});
    check();
}

void TryPane::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void TryPane::setObject(qint32 programme, const RecordScope &scope)
{
    const bool otherProgramme = programme != m_programme;
    m_programme = programme;
    m_scope = scope;
    m_recordRead = false; // the exceptions follow the set
    if (otherProgramme)
        m_studentId = 0;
    m_choose->setEnabled(programme != 0);
    m_recent->setEnabled(programme != 0);
    check();
}

AuditReport TryPane::report()
{
    if (m_studentId == 0 || !m_source)
        throw ZrError(0, QStringLiteral("TryPane.report"), GetLangString(StrNobody));
    loadRecord();
    AuditSet set = m_source(m_codes);
    if (m_describe)
        set = set.withDescriptions(m_describe());
    const QList<CatalogCourse> catalog =
        ProgrammeCatalog(m_serverName, m_record.student.value(QStringLiteral("progrspoud_ID")).toInt());
    return cli::ReportOfAudit(set, set.evaluate(m_record), m_record, catalog, ContextTitle(m_scope.context));
}

void TryPane::setDescriber(Describer describer)
{
    m_describe = std::move(describer);
}

void TryPane::setSetSource(SetSource source)
{
    m_source = std::move(source);
    scheduleCheck();
}

void TryPane::setStudent(qint32 studentId)
{
    m_studentId = studentId;
    m_recordRead = false;
    check();
    if (m_studentId == 0 || !m_recordRead)
        return;
    // The student goes first in the list of the last five tried.
    QStringList recent = QSettings().value(RecentKey).toStringList();
    const QString entry = QString::number(studentId) + QLatin1Char('\t') + studentLabel(m_record);
    recent.erase(std::remove_if(recent.begin(), recent.end(),
                                [studentId](const QString &e) { return e.section(QLatin1Char('\t'), 0, 0).toInt() == studentId; }),
                 recent.end());
    recent.prepend(entry);
    QSettings().setValue(RecentKey, QStringList(recent.mid(0, RecentCount)));
    fillRecent();
}

void TryPane::fillRecent()
{
    const QSignalBlocker blocker(m_recent);
    m_recent->clear();
    for (const QString &entry : QSettings().value(RecentKey).toStringList())
        m_recent->addItem(entry.section(QLatin1Char('\t'), 1), entry.section(QLatin1Char('\t'), 0, 0).toInt());
    m_recent->setCurrentIndex(m_recent->findData(m_studentId));
}

void TryPane::setCurriculumSource(std::function<qint32()> source)
{
    m_curriculumSource = std::move(source);
}

void TryPane::chooseStudent()
{
    try {
        QString programme = QStringLiteral("progrspoud_ID = %1").arg(m_programme);
        if (const qint32 curriculum = m_curriculumSource ? m_curriculumSource() : 0)
            programme += QStringLiteral(" AND orient_ID = %1").arg(curriculum);
        if (const qint32 chosen = ChooseStudent(window(), m_serverName, m_schema.get(), programme))
            setStudent(chosen);
    } catch (ZrError &error) {
        TrapError(error);
        ShowErrorMessage(error.description, this);
    }
}

void TryPane::loadRecord()
{
    if (m_recordRead)
        return;
    m_record = StudentRecord::fromRows(ServerObjectOf<cStudent>(m_serverName)->LoadStudentRecord(m_studentId, m_scope));
    m_codes = LoadCodes(m_serverName, m_record.student.value(QStringLiteral("department_ID")).toString());
    m_recordRead = true;
}

void TryPane::scheduleCheck()
{
    if (m_studentId == 0 || m_programme == 0)
        return;
    // Until the check runs the lines are of the set as it was: greyed, and not to be printed.
    m_trace->setEnabled(false);
    m_report->setEnabled(false);
    m_debounce->start();
}

void TryPane::check()
{
    m_debounce->stop();
    m_trace->clear();
    m_trace->setEnabled(true);
    m_report->setEnabled(false);
    if (m_programme == 0) {
        m_verdict->setText(GetLangString(StrNotAProgramme));
        return;
    }
    if (m_studentId == 0 || !m_source) {
        m_verdict->setText(GetLangString(StrNobody));
        return;
    }
    try {
        loadRecord();
        QElapsedTimer timer;
        timer.start();
        const AuditTrace trace = m_source(m_codes).evaluate(m_record);
        m_lastCheckMs = double(timer.nsecsElapsed()) / 1e6;
        m_verdict->setText(QStringLiteral("%1: %2").arg(studentLabel(m_record), VerdictText(trace.verdict)));
        // Requirements by name, never by id; by their place in the list only where two names are alike.
        QHash<QString, int> named;
        for (const RequirementTrace &r : trace.requirements)
            ++named[r.readableName()];
        for (qsizetype i = 0; i < trace.requirements.size(); ++i) {
            const RequirementTrace &r = trace.requirements.at(i);
            QString name = r.readableName();
            if (named.value(name) > 1)
                name += QStringLiteral(" (%1)").arg(i + 1);
            auto *item = new QTreeWidgetItem(m_trace, {VerdictMark(r.verdict), name, r.measured});
            item->setData(0, Qt::UserRole, r.ocID);
            // A narrow pane cuts the columns short: each says itself whole when pointed at.
            item->setToolTip(1, name);
            item->setToolTip(2, r.missing.isEmpty() ? r.measured : r.measured + QLatin1Char('\n') + r.missing.join(QStringLiteral(", ")));
        }
        m_report->setEnabled(true);
    } catch (const ZrError &error) {
        m_verdict->setText(ReplaceParams(GetLangString(StrNotChecked), {error.description}));
    }
}

} // namespace zr::app
