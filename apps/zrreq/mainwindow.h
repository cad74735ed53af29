#pragma once

#include "recordset/recordset.h"
#include "impactdialog.h"
#include "objecttree.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QComboBox;
class QDockWidget;
class QMenu;
class QSplitter;
class QLabel;

namespace zr {
class cContraints;
class zrRequirements;
}

namespace zr::app {

class ElidedLabel;
class RecentObjects;
class TryPane;

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
    /// Validates the edited set and saves it on the server, then reloads it.
    /// Returns false when validation or saving failed (the user was told).
    bool save();
    /// File > History of the set on screen: opens its versions over the window
    /// (without waiting for it to close); a restored version becomes unsaved
    /// changes. Nothing, after telling the user, when no set is loaded or its
    /// history cannot be read.
    class SetHistoryWindow *showHistory();
    /// File > Import data: opens the data import over the window (without waiting for it to
    /// close) and asks for its files. Written, the window shows the objects as they are now.
    class ImportDataDialog *importData();
    /// The requirements editor (tests drive it).
    zr::zrRequirements *editor() const { return m_editor; }
    /// The pane that tries the set on screen on one student (tests drive it).
    TryPane *tryPane() const { return m_tryPane; }
    /// The set on screen is one the database's user may read but not change: a banner says so,
    /// Save, File > Import and the edits are off; audits and the history stay.
    bool isReadOnly() const { return m_readOnly; }

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    /// Undo and Redo of the editor's steps, their texts in the current language.
    void fillEditMenu();
    void retranslate();
    void setLanguage(int languageId);
    void showAbout();
    void loadRequirements();
    /// Asks the database whether its user may change the set on screen (and import data), and
    /// offers only what he may; the database refuses the rest anyway.
    void applyRights();
    /// With unsaved edits, asks whether to save, discard or stay; true when
    /// the caller may go on (saved or discarded).
    bool confirmLeave();
    /// Edits in the editor, or an imported set, not yet saved.
    bool hasUnsavedChanges() const;
    /// A save refused because someone saved the set since it was loaded
    /// (`why` says who and when): reload, save the edits to a file, or
    /// overwrite. True when the user may go on (saved, or edits given up).
    bool resolveConflict(const QString &why);
    /// For a programme's set: whom the save would affect, asked before saving
    /// when anybody's result changes. Save when the save may go on.
    ImpactDialog::Answer confirmEffect(const QStringList &change);
    // The edits a save would write, named as the undo menu names them, under their curriculum.
    QStringList unsavedSteps() const;
    /// Runs `write` against the server and loads the saved set; a failure is
    /// shown (a refused save over someone's goes to resolveConflict). True when saved.
    bool store(const std::function<void(cContraints &)> &write);
    void onObjectChosen(const ObjectRef &object);
    void onContextChosen();
    void reload();
    /// Reads the object tree again, keeping the object on screen chosen and its unsaved edits.
    void refreshObjects();
    void updateTitle();
    void chooseServer();
    void showLog();
    void restoreWindowState();
    void saveWindowState() const;
    void showError(int number, const QString &description, const QString &source);

    QString m_serverName;
    ObjectRef m_object;
    // The hierarchical recordset the editor works on; the host saves it.
    Recordset m_set;
    int m_loadedContext = 0;
    // The editor wrote its edits into m_set for a save that has not reached the server.
    bool m_writtenUnsaved = false;
    ObjectTree *m_tree = nullptr;
    TryPane *m_tryPane = nullptr;
    QDockWidget *m_tryDock = nullptr;
    QMenu *m_viewMenu = nullptr;
    QMenu *m_editMenu = nullptr;
    QDockWidget *m_historyDock = nullptr;
    QComboBox *m_context = nullptr;
    QLabel *m_contextLabel = nullptr;
    ElidedLabel *m_objectTitle = nullptr;
    QLabel *m_readOnlyBanner = nullptr;
    bool m_readOnly = false;
    zr::zrRequirements *m_editor = nullptr;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QAction *m_reloadAction = nullptr;
    class SetFileActions *m_setFiles = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_serverAction = nullptr;
    QAction *m_logAction = nullptr;
    QAction *m_historyAction = nullptr;
    QAction *m_importDataAction = nullptr;
    QMenu *m_recentMenu = nullptr;
    RecentObjects *m_recent = nullptr;
    QSplitter *m_splitter = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_greekAction = nullptr;
    QAction *m_englishAction = nullptr;
    QAction *m_aboutAction = nullptr;
};

} // namespace zr::app
