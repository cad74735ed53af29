#include "whatifdialog.h"

#include "auditsources.h"
#include "cli/studentaudit.h"
#include "reportbuttons.h"

#include "audit/passedcourses.h"
#include "audit/reportwriters.h"
#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zr::app {

namespace {

enum : qint32 {
    StrTitle = 60105,
    StrProgramme = 60106,
    StrCurriculum = 60107,
    StrOwn = 60108,
    StrCourses = 60109,
    StrFind = 60110,
    StrCourse = 60111,
    StrGrade = 60112,
    StrCheck = 60113,
    StrHint = 60114,
};

constexpr int CodeRole = Qt::UserRole;

// The rows of a code table of the department object: (code, `text`) pairs.
QList<std::pair<qint32, QString>> codeRows(const QString &server, const QString &table, const QString &where,
                                           const QString &text)
{
    QList<std::pair<qint32, QString>> rows;
    Recordset list = ServerObjectOf<cDepartment>(server)->getTextList(table, where);
    if (list.fieldCount() < 2 || !list.hasField(text))
        return rows;
    for (list.moveFirst(); !list.eof(); list.moveNext())
        rows.append({list.value(0).toInt(), list.value(text).toString()});
    return rows;
}

} // namespace

WhatIfDialog::WhatIfDialog(const QString &serverName, qint32 studentId, QWidget *parent)
    : QDialog(parent)
    , m_serverName(serverName)
    , m_studentId(studentId)
{
    setObjectName(QStringLiteral("WhatIfDialog"));
    setWindowTitle(ReplaceParams(GetLangString(StrTitle), {QString::number(studentId)}));

    m_programme = new QComboBox(this);
    m_programme->setObjectName(QStringLiteral("cboProgramme"));
    m_curriculum = new QComboBox(this);
    m_curriculum->setObjectName(QStringLiteral("cboCurriculum"));
    auto *where = new QFormLayout;
    where->addRow(GetLangString(StrProgramme), m_programme);
    where->addRow(GetLangString(StrCurriculum), m_curriculum);

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("txtFilter"));
    m_filter->setPlaceholderText(GetLangString(StrFind));
    m_filter->setClearButtonEnabled(true);
    m_courses = new QTreeWidget(this);
    m_courses->setObjectName(QStringLiteral("trCourses"));
    m_courses->setRootIsDecorated(false);
    m_courses->setHeaderLabels({GetLangString(StrCourse), GetLangString(StrGrade)});
    m_courses->header()->setStretchLastSection(false);
    m_courses->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_courses->setEditTriggers(QAbstractItemView::AllEditTriggers);
    auto *coursesLabel = new QLabel(GetLangString(StrCourses), this);
    coursesLabel->setBuddy(m_filter);

    m_check = new QPushButton(GetLangString(StrCheck), this);
    m_check->setObjectName(QStringLiteral("cmdCheck"));
    m_check->setDefault(true);
    m_answer = new QTextBrowser(this);
    m_answer->setObjectName(QStringLiteral("txtAnswer"));
    m_answer->setPlainText(GetLangString(StrHint));
    m_report = new ReportButtons(true, this);
    m_report->setSource([this] { return report(); });
    m_report->setEnabled(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *checkRow = new QHBoxLayout;
    checkRow->addStretch(1);
    checkRow->addWidget(m_check);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_report);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(where);
    layout->addWidget(coursesLabel);
    layout->addWidget(m_filter);
    layout->addWidget(m_courses, 1);
    layout->addLayout(checkRow);
    layout->addWidget(m_answer, 2);
    layout->addLayout(bottom);

    connect(m_check, &QPushButton::clicked, this, &WhatIfDialog::check);
    connect(m_filter, &QLineEdit::textChanged, this, &WhatIfDialog::filterCourses);
    loadChoices();
    connect(m_programme, &QComboBox::currentIndexChanged, this, &WhatIfDialog::loadCurricula);
    resize(720, 720);
}

WhatIfDialog::~WhatIfDialog() = default;

void WhatIfDialog::loadChoices()
{
    try {
        const StudentRecord record =
            StudentRecord::fromRows(ServerObjectOf<cStudent>(m_serverName)->LoadStudentRecord(m_studentId, {}));
        m_ownProgramme = record.student.value(QStringLiteral("progrspoud_ID")).toInt();
        for (const audit::PassedCourse &course : audit::DigestRecord(record, false).passed)
            m_passed.insert(course.courseId);
        const QString department = record.student.value(QStringLiteral("department_ID")).toString();
        const QSignalBlocker blocker(m_programme);
        for (const auto &[id, title] :
             codeRows(m_serverName, QStringLiteral("QEMDepPrograms"), QStringLiteral("prdepID='%1'").arg(department),
                      QStringLiteral("prtitle"))) {
            m_programme->addItem(id == m_ownProgramme ? title + QLatin1Char(' ') + GetLangString(StrOwn) : title, id);
            if (id == m_ownProgramme)
                m_programme->setCurrentIndex(m_programme->count() - 1);
        }
    } catch (const ZrError &error) {
        m_answer->setPlainText(error.description);
        m_check->setEnabled(false);
        return;
    }
    loadCurricula();
}

void WhatIfDialog::loadCurricula()
{
    const qint32 programme = m_programme->currentData().toInt();
    m_curriculum->clear();
    m_courses->clear();
    try {
        if (programme == m_ownProgramme)
            m_curriculum->addItem(GetLangString(StrOwn), 0);
        for (const auto &[id, title] :
             codeRows(m_serverName, QStringLiteral("QEMDPOrientation"), QStringLiteral("prID=%1").arg(programme),
                      QStringLiteral("ordescription")))
            m_curriculum->addItem(title, id);
        // The programme's courses he has not passed: those a plan can name.
        for (const CatalogCourse &course : ProgrammeCatalog(m_serverName, programme)) {
            if (m_passed.contains(course.courseId))
                continue;
            auto *item = new QTreeWidgetItem(m_courses, {(course.code + QLatin1Char(' ') + course.title).trimmed(), QString()});
            item->setData(0, CodeRole, course.code);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
            item->setCheckState(0, Qt::Unchecked);
        }
    } catch (const ZrError &error) {
        m_answer->setPlainText(error.description);
    }
    filterCourses(m_filter->text());
}

void WhatIfDialog::filterCourses(const QString &text)
{
    for (int i = 0; i < m_courses->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_courses->topLevelItem(i);
        item->setHidden(!text.isEmpty() && !item->text(0).contains(text, Qt::CaseInsensitive));
    }
}

QString WhatIfDialog::plan() const
{
    QStringList courses;
    for (int i = 0; i < m_courses->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_courses->topLevelItem(i);
        if (item->checkState(0) != Qt::Checked)
            continue;
        // A grade typed with a decimal comma reads as the command line's point.
        const QString grade = item->text(1).trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
        courses << item->data(0, CodeRole).toString() + (grade.isEmpty() ? QString() : QLatin1Char(':') + grade);
    }
    return courses.join(QLatin1Char(','));
}

void WhatIfDialog::check()
{
    cli::WhatIf whatIf;
    const qint32 programme = m_programme->currentData().toInt();
    whatIf.curriculum = m_curriculum->currentData().toInt();
    whatIf.programme = programme == m_ownProgramme ? 0 : programme;
    whatIf.asked = whatIf.programme != 0 || whatIf.curriculum != 0;
    const QString planned = plan();
    try {
        const cli::SetTarget target = whatIf.asked
                                          ? cli::TargetOfWhatIf(m_serverName, m_studentId, whatIf, CtxDegree)
                                          : cli::SetTarget{1, QString::number(m_ownProgramme), CtxDegree, 0};
        const cli::StudentAudit audit =
            cli::AuditStoredStudent(m_serverName, m_studentId, target, whatIf,
                                    planned.isEmpty() ? std::nullopt : std::optional<QString>(planned), {}, true);
        m_shown = std::make_unique<AuditReport>(audit.report(CtxDegree));
        m_answer->setHtml(ReportHtml(*m_shown));
        m_report->setEnabled(true);
    } catch (const ZrError &error) {
        m_shown.reset();
        m_answer->setPlainText(error.description);
        m_report->setEnabled(false);
    } catch (const cli::UsageError &error) {
        m_shown.reset();
        // Said as the command line says it; here there is no command to name.
        m_answer->setPlainText(QString(error.message).remove(QStringLiteral("zrreq audit: ")));
        m_report->setEnabled(false);
    }
}

QString WhatIfDialog::answerText() const
{
    return m_answer->toPlainText();
}

AuditReport WhatIfDialog::report() const
{
    if (!m_shown)
        throw ZrError(10354, QStringLiteral("WhatIfDialog.report"), GetLangString(StrHint));
    return *m_shown;
}

} // namespace zr::app
