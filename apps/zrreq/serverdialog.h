#pragma once

#include <QDialog>

class QLineEdit;
class QLabel;
class QRadioButton;

namespace zr::app {

/// Chooses the database the host works on: the embedded SQLite database,
/// an SQLite file, or a PostgreSQL server given by its URL. OK is accepted
/// only when the database can be opened; the reason is shown otherwise.
class ServerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ServerDialog(const QString &current, QWidget *parent = nullptr);

    /// The server name of the choice: "" (embedded), "sqlite:///file" or the URL.
    QString serverName() const;

    void accept() override;

private:
    void updateStates();

    QRadioButton *m_embedded = nullptr;
    QRadioButton *m_file = nullptr;
    QRadioButton *m_postgres = nullptr;
    QLineEdit *m_path = nullptr;
    QLineEdit *m_url = nullptr;
    QLabel *m_message = nullptr;
};

/// Asks whether to bring the database of `serverName`, made by an earlier version,
/// up to date, and does it when the user agrees. True when it is up to date now;
/// a failure is shown and leaves the database as it was.
bool OfferUpgrade(QWidget *parent, const QString &serverName);

} // namespace zr::app
