#include "studentcard.h"

#include "auditsources.h"
#include "cli/auditreportoutput.h"
#include "reportbuttons.h"
#include "whatifdialog.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/schema.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "preview/zrreqpreview.h"
#include "reqtypes/typecatalog.h"

#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace zr::app {

namespace {

enum : qint32 {
    StrCardTitle = 60101,
    StrParticulars = 60102,
};

const QString StudentView = QStringLiteral("v_students");

// The particulars shown, in order; captions come from the view's description.
const char *const Particulars[] = {"spec_aem",  "lastname",   "firstname",     "fathername", "depname", "prtitle",
                                   "ordescription", "exam_ID", "statusID",     "in_year",    "email"};

} // namespace

StudentCard::StudentCard(const QString &serverName, std::shared_ptr<const Schema> schema, qint32 studentId,
                         QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_serverName(serverName)
    , m_schema(std::move(schema))
    , m_studentId(studentId)
{
    setObjectName(QStringLiteral("StudentCard"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *particulars = new QGroupBox(this);
    particulars->setObjectName(QStringLiteral("grpParticulars"));
    m_form = new QFormLayout(particulars);
    m_form->setLabelAlignment(Qt::AlignRight);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("lblCaption"));
    QFont captionFont = m_caption->font();
    captionFont.setBold(true);
    captionFont.setPointSizeF(captionFont.pointSizeF() * 1.25);
    m_caption->setFont(captionFont);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMessage"));
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #a40000;"));
    m_message->hide();

    m_preview = new zrReqPreview(this);
    m_preview->setObjectName(QStringLiteral("zrReqPreview1"));
    m_preview->setServerName(serverName);
    m_preview->setSessionID(QStringLiteral("zrreq"));
    m_preview->setOSchema(m_schema);
    // The card says at a glance which requirements the student meets.
    m_preview->setShowAudit(true);
    // The preview tells the host; the host tells the user.
    connect(m_preview, &zrReqPreview::ErrorOccurred, this,
            [this](int, const QString &description, const QString &) { ShowErrorMessage(description, this); });

    // A card is looked at and put away: Escape or Close.
    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("cmdClose"));
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    // The audit as a document the student can be handed, printed or as a PDF file.
    m_report = new ReportButtons(true, this);
    m_report->setSource([this] { return report(); });
    // What the audit would say if he passed more courses, or were of another curriculum or programme.
    m_whatIf = new QPushButton(this);
    m_whatIf->setObjectName(QStringLiteral("cmdWhatIf"));
    connect(m_whatIf, &QPushButton::clicked, this, [this] {
        auto *dialog = new WhatIfDialog(m_serverName, m_studentId, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    auto *closeRow = new QHBoxLayout;
    closeRow->addWidget(m_report);
    closeRow->addWidget(m_whatIf);
    closeRow->addStretch(1);
    closeRow->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addWidget(particulars);
    layout->addWidget(m_message);
    layout->addWidget(m_preview, 1);
    layout->addLayout(closeRow);

    retranslate();
    reload();
    resize(760, 640);
}

QString StudentCard::message() const
{
    return m_message->isHidden() ? QString() : m_message->text();
}

void StudentCard::showMessage(const QString &text)
{
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
}

void StudentCard::reload()
{
    showMessage(QString());
    loadParticulars();
    loadRequirements();
}

QString StudentCard::codeText(const QString &listSource, const QVariant &code) const
{
    if (code.isNull() || !listSource.startsWith(QLatin1String("RECORDSET:")))
        return code.toString();
    Recordset list = ServerObjectOf<cDepartment>(m_serverName)->getTextList(listSource.mid(10), QString());
    if (list.fieldCount() < 2)
        return code.toString();
    for (list.moveFirst(); !list.eof(); list.moveNext())
        if (list.value(0).toString() == code.toString())
            return list.value(1).toString();
    return code.toString();
}

void StudentCard::loadParticulars()
{
    while (m_form->rowCount() > 0)
        m_form->removeRow(0);
    m_studentName.clear();
    try {
        Recordset student = ServerObjectOf<cStudent>(m_serverName)
                                ->LoadStudents(QStringLiteral("student_ID = ") + QString::number(m_studentId));
        const bool found = !student.isEmpty();
        findChild<QGroupBox *>(QStringLiteral("grpParticulars"))->setVisible(found);
        if (!found) {
            showMessage(ReplaceParams(GetLangString(61552), {QString::number(m_studentId)}));
            retranslate();
            return;
        }
        student.moveFirst();
        const SchemaTable *view = m_schema ? m_schema->table(StudentView) : nullptr;
        for (const char *name : Particulars) {
            const QString field = QString::fromLatin1(name);
            if (!student.hasField(field))
                continue;
            const SchemaColumn *column = view ? view->column(field) : nullptr;
            auto *value = new QLabel(column ? codeText(column->listSource, student.value(field))
                                            : student.value(field).toString());
            value->setObjectName(QStringLiteral("lbl_") + field);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            m_form->addRow(new QLabel, value);
        }
        m_studentName = student.value(u"spec_aem").toString() + QStringLiteral(" - ")
            + student.value(u"lastname").toString() + QLatin1Char(' ') + student.value(u"firstname").toString();
    } catch (ZrError &error) {
        TrapError(error);
        showMessage(error.description);
    }
    retranslate();
}

void StudentCard::loadRequirements()
{
    try {
        m_preview->LoadStudConstraints(m_studentId);
        m_preview->EnableControl(true);
        const Recordset shown = m_preview->shownRequirements();
        m_report->setEnabled(!shown.isNull() && !shown.isEmpty());
        m_whatIf->setEnabled(true);
    } catch (const ZrError &error) {
        // Already recorded by the preview; a student without a programme lands here.
        // Nothing can be edited for a student the server does not know.
        m_preview->EnableControl(false);
        m_report->setEnabled(false);
        m_whatIf->setEnabled(false);
        if (m_message->isHidden())
            showMessage(error.description);
    }
}

AuditReport StudentCard::report() const
{
    const Recordset shown = m_preview->shownRequirements();
    if (shown.isNull() || shown.isEmpty())
        throw ZrError(10354, QStringLiteral("StudentCard.report"), GetLangString(63244));
    Recordset first = shown.clone();
    first.moveFirst();
    // Checked as the preview marks it: excepted from the set shown, the programme's or his own.
    const RecordScope scope{first.value(u"conobject").toInt(), first.value(u"objID"), CtxDegree, 0};
    const StudentRecord record =
        StudentRecord::fromRows(ServerObjectOf<cStudent>(m_serverName)->LoadStudentRecord(m_studentId, scope));
    const AuditCodes codes = LoadCodes(m_serverName, record.student.value(QStringLiteral("department_ID")).toString());
    const AuditSet set = PrepareDescribed(m_serverName, shown, CtxDegree, codes);
    const QList<CatalogCourse> catalog =
        ProgrammeCatalog(m_serverName, record.student.value(QStringLiteral("progrspoud_ID")).toInt());
    return cli::ReportOfAudit(set, set.evaluate(record), record, catalog,
                              GetLangString(m_preview->isIndividual() ? 20583 : 20584));
}

void StudentCard::retranslate()
{
    const SchemaTable *view = m_schema ? m_schema->table(StudentView) : nullptr;
    for (const char *name : Particulars) {
        const QString field = QString::fromLatin1(name);
        auto *value = findChild<QLabel *>(QStringLiteral("lbl_") + field);
        auto *label = value ? qobject_cast<QLabel *>(m_form->labelForField(value)) : nullptr;
        const SchemaColumn *column = view ? view->column(field) : nullptr;
        if (label)
            label->setText((column ? column->caption() : field) + QLatin1Char(':'));
    }
    const QString name = m_studentName.isEmpty() ? QString::number(m_studentId) : m_studentName;
    setWindowTitle(ReplaceParams(GetLangString(StrCardTitle), {name}));
    m_caption->setText(name);
    findChild<QGroupBox *>(QStringLiteral("grpParticulars"))->setTitle(GetLangString(StrParticulars));
    m_close->setText(GetLangString(20540));
    m_whatIf->setText(GetLangString(60104));
}

void StudentCard::changeEvent(QEvent *event)
{
    // The server writes the requirements' descriptions in the language of the
    // strings, so they are read again. No child widget may be deleted here:
    // the switch is still sending the event to the others.
    if (event->type() == QEvent::LanguageChange && m_form) {
        retranslate();
        loadRequirements();
    }
    QWidget::changeEvent(event);
}

} // namespace zr::app
