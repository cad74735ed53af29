#include "serverdialog.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "database.h"
#include "servererrors.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zr::app {

namespace {
enum : qint32 {
    StrTitle = 60027,
    StrEmbedded = 60028,
    StrFile = 60029,
    StrPostgres = 60030,
    StrBrowse = 60031,
    StrNoFile = 60032,
    StrBadUrl = 60033,
    StrFileFilter = 60034,
    StrUpgraded = 62045,
    StrAskUpgrade = 62046,
    StrUpgradeTitle = 62047,
};
const QString SqlitePrefix = QStringLiteral("sqlite://");
const QString PostgresPrefix = QStringLiteral("postgresql://");
} // namespace

ServerDialog::ServerDialog(const QString &current, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("serverDialog"));
    setWindowTitle(GetLangString(StrTitle));
    m_embedded = new QRadioButton(GetLangString(StrEmbedded), this);
    m_embedded->setObjectName(QStringLiteral("embedded"));
    m_file = new QRadioButton(GetLangString(StrFile), this);
    m_file->setObjectName(QStringLiteral("sqliteFile"));
    m_postgres = new QRadioButton(GetLangString(StrPostgres), this);
    m_postgres->setObjectName(QStringLiteral("postgres"));
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("path"));
    m_url = new QLineEdit(this);
    m_url->setObjectName(QStringLiteral("url"));
    m_url->setPlaceholderText(QStringLiteral("postgresql://user@host:5432/dbname"));
    auto *browse = new QPushButton(GetLangString(StrBrowse), this);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #a00000"));

    if (current.startsWith(PostgresPrefix)) {
        m_postgres->setChecked(true);
        m_url->setText(current);
    } else if (current.startsWith(SqlitePrefix)) {
        m_file->setChecked(true);
        m_path->setText(current.mid(SqlitePrefix.size()));
    } else {
        m_embedded->setChecked(true);
    }

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(browse);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_embedded);
    layout->addWidget(m_file);
    layout->addLayout(fileRow);
    layout->addWidget(m_postgres);
    layout->addWidget(m_url);
    layout->addWidget(m_message);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, GetLangString(StrFile), m_path->text(),
                                                          GetLangString(StrFileFilter), nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        if (!file.isEmpty()) {
            m_path->setText(file);
            m_file->setChecked(true);
        }
    });
    for (QRadioButton *button : {m_embedded, m_file, m_postgres})
        connect(button, &QRadioButton::toggled, this, &ServerDialog::updateStates);
    connect(buttons, &QDialogButtonBox::accepted, this, &ServerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateStates();
    resize(520, sizeHint().height());
}

QString ServerDialog::serverName() const
{
    if (m_file->isChecked())
        return SqlitePrefix + m_path->text().trimmed();
    if (m_postgres->isChecked())
        return m_url->text().trimmed();
    return QString();
}

void ServerDialog::updateStates()
{
    m_path->setEnabled(m_file->isChecked());
    m_url->setEnabled(m_postgres->isChecked());
    m_message->clear();
}

void ServerDialog::accept()
{
    if (m_file->isChecked() && m_path->text().trimmed().isEmpty()) {
        m_message->setText(GetLangString(StrNoFile));
        return;
    }
    if (m_postgres->isChecked() && !m_url->text().trimmed().startsWith(PostgresPrefix)) {
        m_message->setText(GetLangString(StrBadUrl));
        return;
    }
    // Only a database that opens is offered to the window.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        server::Database::open(serverName());
    } catch (const ZrError &error) {
        QGuiApplication::restoreOverrideCursor();
        // A database an earlier version made is offered to be brought up to date.
        if (error.number == server::ErrSchemaOutdated && OfferUpgrade(this, serverName())) {
            QDialog::accept();
            return;
        }
        m_message->setText(error.description);
        return;
    }
    QGuiApplication::restoreOverrideCursor();
    QDialog::accept();
}

bool OfferUpgrade(QWidget *parent, const QString &serverName)
{
    try {
        auto db = server::Database::open(serverName, server::Database::Opening::Initialize);
        const QStringList missing = db->missingFromSchema();
        if (missing.isEmpty())
            return true;
        const QString question =
            ReplaceParams(GetLangString(StrAskUpgrade), {db->displayName(), missing.join(QStringLiteral(", "))});
        if (QMessageBox::question(parent, GetLangString(StrUpgradeTitle), question, QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::No)
            != QMessageBox::Yes)
            return false;
        db->upgrade();
        return true;
    } catch (ZrError &error) {
        TrapError(error);
        QMessageBox::warning(parent, GetLangString(StrUpgradeTitle), error.description);
        return false;
    }
}

} // namespace zr::app
