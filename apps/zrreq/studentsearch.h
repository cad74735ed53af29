#pragma once

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace zr {
class Schema;
}

namespace zr::app {

class StudentCard;

/// The Students command of the host: finds a student by name or
/// registration number in the select-from-list dialog and opens the
/// student's card. Adds its action to `menu` and keeps its caption in the
/// language of the user interface.
/// Asks for one student of v_students (those `baseFilter` admits, every one
/// when empty); 0 when the user chose none. Throws the server's ZrError.
qint32 ChooseStudent(QWidget *window, const QString &serverName, const Schema *schema,
                     const QString &baseFilter = QString());

class StudentSearch : public QObject
{
    Q_OBJECT
public:
    StudentSearch(QMenu *menu, const QString &serverName, QWidget *window);
    ~StudentSearch() override;

    QAction *action() const { return m_action; }
    /// Asks for a student and opens the card of the one chosen.
    void search();
    /// Opens (or raises) the card of `studentId`.
    StudentCard *openCard(qint32 studentId);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retranslate();

    QString m_serverName;
    QWidget *m_window = nullptr;
    QAction *m_action = nullptr;
    std::shared_ptr<const Schema> m_schema;
};

} // namespace zr::app
