#pragma once

#include <QMainWindow>

class QAction;
class QLabel;

namespace zr::app {

/// The host application's main window.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildMenus();
    void retranslate();
    void setLanguage(int languageId);
    void showAbout();

    QMenu *m_fileMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_greekAction = nullptr;
    QAction *m_englishAction = nullptr;
    QAction *m_aboutAction = nullptr;
    QLabel *m_welcome = nullptr;
};

} // namespace zr::app
