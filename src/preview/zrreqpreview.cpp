#include "zrreqpreview.h"

#include "requirements/expressionform.h"

#include "audit/auditcodesource.h"
#include "audit/auditset.h"
#include "reqtypes/typecatalog.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/notifyonchange.h"
#include "common/serverobjects.h"
#include "common/waitcursor.h"
#include "common/zrerror.h"
#include "preview/frmstudconstraints.h"
#include "preview/previewicons.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

namespace zr {

QString NumberedRequirements(const Recordset &requirements, const AuditTrace *trace)
{
    if (requirements.isNull() || requirements.isEmpty())
        return QString();
    Recordset rows = requirements.clone();
    const bool hasDescription = rows.hasField(u"condesc");
    QHash<qint32, const RequirementTrace *> traced;
    if (trace) {
        for (const RequirementTrace &r : trace->requirements)
            traced.insert(r.ocID, &r);
    }
    QStringList lines;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        const QVariant description = hasDescription ? rows.value(u"condesc") : QVariant();
        QString line = QString::number(lines.size() + 1) + QStringLiteral(") ");
        const RequirementTrace *r = traced.isEmpty() ? nullptr : traced.value(rows.value(u"ocID").toInt());
        if (r)
            line += VerdictMark(r->verdict) + QLatin1Char(' ');
        line += description.isNull() ? QString() : description.toString();
        if (r && !r->measured.isEmpty())
            line += QStringLiteral(" \u2014 ") + r->measured;
        lines.append(line);
    }
    return lines.join(QStringLiteral("\r\n"));
}

class zrReqPreviewPrivate
{
public:
    explicit zrReqPreviewPrivate(zrReqPreview *q) : q(q) {}

    void setTexts();
    void showHeader(bool individual);
    void fillText();
    /// Checks the shown requirements against the student's record, when asked to.
    void checkStudent();
    void updateButtons();
    void edit();
    void restore();
    // Records an error of a button's action and hands it to the host.
    void reportActionError(ZrError error, const QString &member);

    zrReqPreview *const q;
    QFrame *m_header = nullptr;
    QLabel *m_image = nullptr;
    QLabel *m_caption = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QLabel *m_expressionCaption = nullptr;
    QPlainTextEdit *m_expression = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_restore = nullptr;

    QString m_serverName;
    QString m_sessionId;
    int m_context = 0;
    int m_kind = 0;
    qint32 m_studentId = 0;
    // The version of the student's own set as shown: a removal over a newer save is refused.
    qint64 m_version = -1;
    bool m_loaded = false;
    bool m_individual = false;
    bool m_enabled = true;
    bool m_headerIndividual = false;
    std::shared_ptr<const Schema> m_schema;
    Recordset m_shown;
    bool m_showAudit = false;
    std::optional<AuditTrace> m_trace; ///< of m_shown against the student, when checked
    Recordset m_editSet;
    QString m_smCaption;
    int m_smStyles[5] = {};
};

void zrReqPreviewPrivate::setTexts()
{
    m_edit->setText(GetLangString(20550));
    m_restore->setText(GetLangString(20549));
    m_restore->setToolTip(GetLangString(10110));
    m_restore->setAccessibleDescription(GetLangString(10110));
    m_expressionCaption->setText(GetLangString(20520));
    m_expression->setAccessibleName(GetLangString(20520));
    showHeader(m_headerIndividual);
    fillText();
}

void zrReqPreviewPrivate::showHeader(bool individual)
{
    m_headerIndividual = individual;
    const int icon = individual ? 102 : 101;
    const int size = q->fontMetrics().height() * 2;
    m_image->setPixmap(PreviewIcon(icon, size, q->devicePixelRatioF()));
    QString caption = GetLangString(individual ? 20583 : 20584);
    if (m_trace)
        caption += QStringLiteral(" \u2014 ") + VerdictText(m_trace->verdict);
    m_caption->setText(caption);
    m_header->setAccessibleName(m_caption->text());
}

void zrReqPreviewPrivate::fillText()
{
    QString text = NumberedRequirements(m_shown, m_trace ? &*m_trace : nullptr);
    // The text box breaks lines at LF alone.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(text);
    // How the numbered requirements combine, each named by its number in the list.
    const bool any = !m_shown.isNull() && !m_shown.isEmpty();
    m_expressionCaption->setVisible(any);
    m_expression->setVisible(any);
    if (!any) {
        m_expression->clear();
        return;
    }
    QHash<qint32, int> numbers;
    Recordset rows = m_shown.clone();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        numbers.insert(rows.value(u"ocID").toInt(), int(numbers.size()) + 1);
    rows.moveFirst();
    const QString stored = rows.hasField(u"coneval") ? rows.value(u"coneval").toString() : QString();
    m_expression->setPlainText(ConvertExpression(stored, false, m_shown, [&numbers](qint32 ocID) {
        return QString::number(numbers.value(ocID));
    }));
}

void zrReqPreviewPrivate::checkStudent()
{
    m_trace.reset();
    if (!m_showAudit || m_shown.isNull() || m_shown.isEmpty())
        return;
    try {
        Recordset first = m_shown.clone();
        first.moveFirst();
        // Excepted from the set shown: the programme's, or the student's own.
        const RecordScope scope{first.value(u"conobject").toInt(), first.value(u"objID"), CtxDegree, 0};
        const StudentRecord record =
            StudentRecord::fromRows(ServerObjectOf<cStudent>(m_serverName)->LoadStudentRecord(m_studentId, scope));
        const AuditCodes codes = LoadAuditCodes(*ServerObjectOf<cDepartment>(m_serverName),
                                                record.student.value(QStringLiteral("department_ID")).toString());
        m_trace = AuditSet::prepare(m_shown, CtxDegree, codes).evaluate(record);
    } catch (ZrError &error) {
        // The requirements still show, without marks; why they could not be checked goes to the log.
        TrapError(error, QStringLiteral(", zrReqPreview.ShowAudit"));
    }
}

void zrReqPreviewPrivate::updateButtons()
{
    m_edit->setEnabled(m_enabled);
    m_restore->setEnabled(m_enabled && m_individual);
}

void zrReqPreviewPrivate::reportActionError(ZrError error, const QString &member)
{
    TrapError(error, QStringLiteral(", zrReqPreview.") + member);
    Q_EMIT q->ErrorOccurred(error.number, error.description, error.source);
}

void zrReqPreviewPrivate::edit()
{
    const qint32 studentId = m_studentId;
    try {
        {
            WaitCursor wait;
            m_editSet = ServerObjectOf<cStudent>(m_serverName)->LoadStudConstraints(m_sessionId, studentId);
        }
        bool cancelled = true;
        {
            frmStudConstraints dialog(q->window());
            dialog.setFrmFont(q->font());
            dialog.ShowStudConstraints(m_serverName, m_sessionId, studentId, m_editSet, cancelled, m_schema);
        }
        if (cancelled) {
            m_editSet = Recordset();
            return;
        }
        {
            WaitCursor wait;
            ServerObjectOf<cStudent>(m_serverName)->SaveStudConstraints(m_sessionId, m_editSet);
            m_editSet = Recordset();
            q->LoadStudConstraints(studentId);
        }
        Q_EMIT q->ConstraintsChanged();
    } catch (const ZrError &error) {
        m_editSet = Recordset();
        reportActionError(error, QStringLiteral("cmdEdit_Click"));
    }
}

void zrReqPreviewPrivate::restore()
{
    int style = MbYesNo | MbQuestion;
    const QString prompt = ReplaceParams(GetLangString(20581), {QStringLiteral("\n")});
    if (MsgBoxEx(prompt, style, GetLangString(20582), {}, 0, {}, q) != IdYes)
        return;
    try {
        {
            WaitCursor wait;
            q->DelStudConstraints(m_studentId);
        }
        m_individual = false;
        updateButtons();
        Q_EMIT q->ConstraintsChanged();
    } catch (const ZrError &error) {
        reportActionError(error, QStringLiteral("cmdRestore_Click"));
        // Someone saved the regulation since it was shown: it is shown as it is now.
        if (error.number == ErrStoredSetChanged) {
            try {
                q->LoadStudConstraints(m_studentId);
            } catch (const ZrError &) {
                // Reported by LoadStudConstraints itself.
            }
        }
    }
}

zrReqPreview::zrReqPreview(QWidget *parent)
    : QWidget(parent)
    , d(std::make_unique<zrReqPreviewPrivate>(this))
{
    setObjectName(QStringLiteral("zrReqPreview"));

    d->m_header = new QFrame(this);
    d->m_header->setObjectName(QStringLiteral("PicInfo"));
    d->m_header->setFrameShape(QFrame::StyledPanel);
    d->m_header->setBackgroundRole(QPalette::Base);
    d->m_header->setAutoFillBackground(true);
    d->m_image = new QLabel(d->m_header);
    d->m_image->setObjectName(QStringLiteral("Image1"));
    d->m_caption = new QLabel(d->m_header);
    d->m_caption->setObjectName(QStringLiteral("Label4"));
    d->m_caption->setWordWrap(true);
    QFont headerFont = d->m_caption->font();
    headerFont.setBold(true);
    d->m_caption->setFont(headerFont);
    auto *headerLayout = new QHBoxLayout(d->m_header);
    headerLayout->setContentsMargins(6, 4, 6, 4);
    headerLayout->addWidget(d->m_image);
    headerLayout->addWidget(d->m_caption, 1);

    d->m_text = new QPlainTextEdit(this);
    d->m_text->setObjectName(QStringLiteral("txtConstraints"));
    d->m_text->setReadOnly(true);
    d->m_text->setAccessibleName(GetLangString(20521));

    d->m_expressionCaption = new QLabel(this);
    d->m_expressionCaption->setObjectName(QStringLiteral("lblExpression"));
    d->m_expression = new QPlainTextEdit(this);
    d->m_expression->setObjectName(QStringLiteral("txtExpression"));
    d->m_expression->setReadOnly(true);
    d->m_expression->setMaximumHeight(d->m_expression->fontMetrics().lineSpacing() * 4);
    d->m_expressionCaption->setBuddy(d->m_expression);

    d->m_edit = new QPushButton(this);
    d->m_edit->setObjectName(QStringLiteral("cmdEdit"));
    d->m_restore = new QPushButton(this);
    d->m_restore->setObjectName(QStringLiteral("cmdRestore"));
    connect(d->m_edit, &QPushButton::clicked, this, [this] { d->edit(); });
    connect(d->m_restore, &QPushButton::clicked, this, [this] { d->restore(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(d->m_edit);
    buttons->addWidget(d->m_restore);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d->m_header);
    layout->addWidget(d->m_text, 1);
    layout->addWidget(d->m_expressionCaption);
    layout->addWidget(d->m_expression);
    layout->addLayout(buttons);

    d->setTexts();
    d->updateButtons();
}

zrReqPreview::~zrReqPreview()
{
    ClearAll();
}

bool zrReqPreview::ShowAudit() const { return d->m_showAudit; }
void zrReqPreview::setShowAudit(bool show)
{
    const NotifyOnChange notify(this, "ShowAudit");
    if (d->m_showAudit == show)
        return;
    d->m_showAudit = show;
    d->checkStudent();
    d->showHeader(d->m_headerIndividual);
    d->fillText();
}

bool zrReqPreview::IsLoaded() const { return d->m_loaded; }
void zrReqPreview::setIsLoaded(bool loaded)
{
    const NotifyOnChange notify(this, "IsLoaded");
    d->m_loaded = loaded;
}
QString zrReqPreview::ServerName() const { return d->m_serverName; }
void zrReqPreview::setServerName(const QString &name)
{
    const NotifyOnChange notify(this, "ServerName");
    d->m_serverName = name;
}
QString zrReqPreview::sessionID() const { return d->m_sessionId; }
void zrReqPreview::setSessionID(const QString &id)
{
    const NotifyOnChange notify(this, "sessionID");
    d->m_sessionId = id;
}
int zrReqPreview::ConstrType() const { return d->m_context; }
void zrReqPreview::setConstrType(int context)
{
    const NotifyOnChange notify(this, "ConstrType");
    d->m_context = context;
}
int zrReqPreview::AppliesTo() const { return d->m_kind; }
void zrReqPreview::setAppliesTo(int kind)
{
    const NotifyOnChange notify(this, "AppliesTo");
    d->m_kind = kind;
}
qint32 zrReqPreview::StudentID() const { return d->m_studentId; }
void zrReqPreview::setStudentID(qint32 id)
{
    const NotifyOnChange notify(this, "StudentID");
    d->m_studentId = id;
}
std::shared_ptr<const Schema> zrReqPreview::oSchema() const { return d->m_schema; }
void zrReqPreview::setOSchema(std::shared_ptr<const Schema> schema) { d->m_schema = std::move(schema); }

QFont zrReqPreview::Font() const
{
    return font();
}

void zrReqPreview::setControlFont(const QFont &font)
{
    const NotifyOnChange notify(this, "Font");
    setFont(font);
    QFont headerFont = font;
    headerFont.setBold(true);
    d->m_caption->setFont(headerFont);
    d->showHeader(d->m_headerIndividual);
}

QColor zrReqPreview::TextColor() const
{
    return d->m_text->palette().color(QPalette::Base);
}

void zrReqPreview::setTextColor(const QColor &color)
{
    const NotifyOnChange notify(this, "TextColor");
    QPalette palette = d->m_text->palette();
    palette.setColor(QPalette::Base, color);
    d->m_text->setPalette(palette);
}

QString zrReqPreview::SmCaption() const { return d->m_smCaption; }
void zrReqPreview::setSmCaption(const QString &caption)
{
    const NotifyOnChange notify(this, "SmCaption");
    d->m_smCaption = caption;
}
int zrReqPreview::SmBorderStyle() const { return d->m_smStyles[0]; }
void zrReqPreview::setSmBorderStyle(int style)
{
    const NotifyOnChange notify(this, "SmBorderStyle");
    d->m_smStyles[0] = style;
}
int zrReqPreview::SmCaptionStyle() const { return d->m_smStyles[1]; }
void zrReqPreview::setSmCaptionStyle(int style)
{
    const NotifyOnChange notify(this, "SmCaptionStyle");
    d->m_smStyles[1] = style;
}
int zrReqPreview::SmCaptionAlignment() const { return d->m_smStyles[2]; }
void zrReqPreview::setSmCaptionAlignment(int alignment)
{
    const NotifyOnChange notify(this, "SmCaptionAlignment");
    d->m_smStyles[2] = alignment;
}
int zrReqPreview::SmEdgeStyle() const { return d->m_smStyles[3]; }
void zrReqPreview::setSmEdgeStyle(int style)
{
    const NotifyOnChange notify(this, "SmEdgeStyle");
    d->m_smStyles[3] = style;
}
int zrReqPreview::SmScrollBarStyle() const { return d->m_smStyles[4]; }
void zrReqPreview::setSmScrollBarStyle(int style)
{
    const NotifyOnChange notify(this, "SmScrollBarStyle");
    d->m_smStyles[4] = style;
}

void zrReqPreview::EnableControl(bool enabled)
{
    d->m_enabled = enabled;
    d->updateButtons();
}

bool zrReqPreview::ShowPreview(const Recordset &pRs)
{
    Q_UNUSED(pRs);
    return false;
}

QVariant zrReqPreview::LoadStudConstraints(qint32 pStudID)
{
    d->m_studentId = pStudID;
    try {
        if (pStudID < 1) {
            d->m_version = -1;
            d->m_individual = false;
            d->m_shown = Recordset();
        } else {
            bool individual = false;
            Recordset rows = ServerObjectOf<cContraints>(d->m_serverName)
                                 ->LoadStudPtyxConstraints(d->m_sessionId, pStudID, individual, QVariant(), 1,
                                                           &d->m_version);
            d->m_shown = rows;
            d->m_individual = individual;
        }
        d->checkStudent();
        d->showHeader(d->m_individual);
        d->fillText();
        d->updateButtons();
    } catch (ZrError &error) {
        TrapError(error, QStringLiteral(", zrReqPreview.LoadStudConstraints"));
        d->m_shown = Recordset();
        d->fillText();
        throw;
    }
    return QVariant();
}

QVariant zrReqPreview::DelStudConstraints(qint32 pStudID)
{
    // The version shown is checked only for the student shown.
    qint64 version = pStudID == d->m_studentId ? d->m_version : -1;
    d->m_studentId = pStudID;
    try {
        d->m_shown = ServerObjectOf<cContraints>(d->m_serverName)->DeleteStudPtyxConstraints(d->m_sessionId, pStudID,
                                                                                             true, &version);
        d->m_version = version;
        d->showHeader(false);
        d->fillText();
    } catch (ZrError &error) {
        // Nothing was removed: the requirements shown stay.
        TrapError(error, QStringLiteral(", zrReqPreview.DelStudConstraints"));
        throw;
    }
    return QVariant();
}

void zrReqPreview::ClearAll()
{
    d->m_shown = Recordset();
    d->m_editSet = Recordset();
    d->m_schema.reset();
}

bool zrReqPreview::isIndividual() const
{
    return d->m_individual;
}

Recordset zrReqPreview::shownRequirements() const
{
    return d->m_shown;
}

void zrReqPreview::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        d->setTexts();
    QWidget::changeEvent(event);
}

} // namespace zr
