#pragma once

#include "objecttree.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QLabel;

namespace zr {
class zrRequirements;
}

namespace zr::app {

/// The host application's main window: the objects on the left, the
/// context chooser and the requirements editor on the right.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(const QString &serverName, QWidget *parent = nullptr);

    /// Loads the object tree from the server; errors go to the status bar.
    void loadObjects();
    /// Selects an object of the tree (the first programme when none is given).
    void selectFirstProgramme();

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildMenus();
    void retranslate();
    void setLanguage(int languageId);
    void showAbout();
    void loadRequirements();
    void showError(int number, const QString &description, const QString &source);

    QString m_serverName;
    ObjectRef m_object;
    ObjectTree *m_tree = nullptr;
    QComboBox *m_context = nullptr;
    QLabel *m_contextLabel = nullptr;
    QLabel *m_objectTitle = nullptr;
    zr::zrRequirements *m_editor = nullptr;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QAction *m_reloadAction = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_greekAction = nullptr;
    QAction *m_englishAction = nullptr;
    QAction *m_aboutAction = nullptr;
};

} // namespace zr::app
