#include "frmstudconstraints.h"

#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/zrerror.h"
#include "dialogs/applyfont.h"
#include "requirements/zrrequirements.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

namespace zr {

namespace {
const int StudentKind = 8;
const int DegreeContext = 103;
} // namespace

class frmStudConstraintsPrivate
{
public:
    void setTexts(QDialog *dialog);

    zrRequirements *m_requirements = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QString m_serverName;
    QString m_sessionId;
    qint32 m_studentId = 0;
    bool m_cancelled = true;
    bool m_open = false;
    // The editor reports a failed load by signal; while opening it counts
    // as the dialog's own failure.
    std::optional<ZrError> m_loadError;
};

void frmStudConstraintsPrivate::setTexts(QDialog *dialog)
{
    dialog->setWindowTitle(GetLangString(m_open ? 20575 : 20521));
    m_ok->setText(GetLangString(20525));
    m_cancel->setText(GetLangString(20092));
}

frmStudConstraints::frmStudConstraints(QWidget *parent)
    : LibraryDialog(parent)
    , d(std::make_unique<frmStudConstraintsPrivate>())
{
    setObjectName(QStringLiteral("frmStudConstraints"));
    setModal(true);

    d->m_requirements = new zrRequirements(this);
    d->m_requirements->setObjectName(QStringLiteral("zrRequirements1"));
    d->m_ok = new QPushButton(this);
    d->m_ok->setObjectName(QStringLiteral("cmdOK"));
    d->m_ok->setAutoDefault(false);
    d->m_cancel = new QPushButton(this);
    d->m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    d->m_cancel->setAutoDefault(false);
    connect(d->m_ok, &QPushButton::clicked, this, &frmStudConstraints::accept);
    connect(d->m_cancel, &QPushButton::clicked, this, &frmStudConstraints::reject);
    connect(d->m_requirements, &zrRequirements::ErrorOccurred, this,
            [this](int number, const QString &description, const QString &source) {
                if (!d->m_open)
                    d->m_loadError = ZrError(number, source, description);
            });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(d->m_ok);
    buttons->addWidget(d->m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(d->m_requirements, 1);
    layout->addLayout(buttons);
    d->setTexts(this);
    resize(760, 560);
}

frmStudConstraints::~frmStudConstraints() = default;

zrRequirements *frmStudConstraints::requirements() const
{
    return d->m_requirements;
}

void frmStudConstraints::ShowStudConstraints(const QString &serverName, const QString &sessionId, qint32 studentId,
                                             Recordset &editSet, bool &cancelled, std::shared_ptr<const Schema> schema)
{
    cancelled = true;
    d->m_cancelled = true;
    d->m_open = false;
    d->m_loadError.reset();
    d->m_serverName = serverName;
    d->m_sessionId = sessionId;
    d->m_studentId = studentId;
    const QString source = QStringLiteral("frmStudConstraints.ShowStudConstraints");
    try {
        Recordset parent = editSet.isNull() ? Recordset() : editSet.clone();
        if (parent.isNull() || !parent.hasField(u"department_ID") || parent.isEmpty())
            throw MakeError(61550, source);
        parent.moveFirst();
        const QVariant department = parent.value(u"department_ID");

        zrRequirements *editor = d->m_requirements;
        editor->setServerName(serverName);
        editor->setSessionID(sessionId);
        editor->setAppliesTo(StudentKind);
        editor->setConstrType(DegreeContext);
        editor->setOSchema(std::move(schema));
        editor->setShowExclusions(false);
        editor->setDepartID(department.isNull() ? QString() : department.toString());
        editor->setRsConstraints(editSet);
        if (d->m_loadError)
            throw *d->m_loadError;
    } catch (ZrError &error) {
        TrapError(error);
        d->m_requirements->ClearAll();
        throw;
    }

    d->m_open = true;
    d->setTexts(this);
    exec();

    cancelled = d->m_cancelled;
    d->m_open = false;
    d->m_requirements->ClearAll();
    d->setTexts(this);
}

void frmStudConstraints::accept()
{
    try {
        d->m_requirements->UpdateRecordset();
    } catch (ZrError &error) {
        TrapError(error, QStringLiteral(", frmStudConstraints.cmdOK_Click"));
        int style = MbInformation | MbOkOnly;
        MsgBoxEx(error.description, style, GetLangString(20576), {}, 0, {}, this);
        d->m_requirements->showLastProblem();
        return;
    }
    d->m_cancelled = false;
    QDialog::accept();
}

void frmStudConstraints::reject()
{
    d->m_cancelled = true;
    QDialog::reject();
}

void frmStudConstraints::retranslate()
{
    d->setTexts(this);
}

} // namespace zr
