#pragma once

#include "recordset/recordset.h"

#include <QObject>
#include <functional>
#include <optional>

class QAction;
class QWidget;

namespace zr {
class zrRequirements;
struct RequirementFile;
}

namespace zr::app {

/// File > Export... and File > Import... of the host: the editor's set to
/// and from a requirement set file. An import replaces the set in the host's
/// recordset and shows it in the editor as unsaved changes, which the host
/// validates and saves like any edit.
class SetFileActions : public QObject
{
    Q_OBJECT
public:
    /// The curriculum of the set on screen; 0 for a set that is not kept per curriculum.
    qint32 curriculum() const;
    /// `window` parents the dialogs; `hostSet` gives the hierarchical
    /// recordset the editor works on (the host owns it).
    SetFileActions(QWidget *window, zrRequirements *editor, std::function<Recordset()> hostSet);

    /// The database whose codes the readable set files name things by (empty: the default
    /// one). Until it is given, files are written as the database's rows (format 1) and only
    /// those are read.
    void setServerName(const QString &server) { m_serverName = server; }

    QAction *exportAction() const { return m_export; }
    QAction *importAction() const { return m_import; }
    void retranslate();

    /// Writes the editor's set to `path`. False, after telling the user, when
    /// the set has unsaved changes or the file cannot be written.
    bool exportTo(const QString &path);
    /// Writes the host's set with the edits a save wrote into its rows, saved
    /// or not, to a file the user chooses: what a refused save keeps.
    void chooseUnsavedExportFile();
    /// Replaces the editor's set with the set of `path`, as unsaved changes.
    /// False, after telling the user, when the editor has unsaved changes or
    /// the file is unreadable or malformed; the set is then left as it was.
    bool importFrom(const QString &path);
    /// Replaces the editor's set with version `number` of it (`file`, as the
    /// history keeps it), as unsaved changes: saved, it is a new version.
    /// Unsaved edits are settled first, as before a file dialog. False, after
    /// telling the user, when that fails or the file does not read.
    bool restoreVersion(qint64 number, const QByteArray &file);
    /// The key the history keeps the editor's set under; empty with no set loaded.
    QString setKey() const;

    /// What the actions ask before a file dialog when the set has unsaved
    /// changes: true when the user saved or discarded them (the host then
    /// shows the set as stored). Without it they only say to save first.
    void setLeaveCheck(std::function<bool()> check) { m_leaveCheck = std::move(check); }

    /// The file name an export suggests: the object's title and the
    /// context (and curriculum), without characters file systems refuse, ".json".
    static QString suggestedFileName(const Recordset &hostSet, qint32 context, qint32 curriculum);
    /// `path` with ".json" added when it has no suffix of that name.
    static QString withJsonSuffix(const QString &path);

    /// True from an import until the host loads its set again.
    bool hasImport() const { return m_imported; }
    /// Called by the host whenever it loads its set from the server.
    void forgetImport() { m_imported = false; }

Q_SIGNALS:
    /// The editor now shows an imported set.
    void imported();

private:
    std::optional<QString> m_serverName;
    void chooseExportFile();
    QString askExportPath() const;
    bool writeFile(const QString &path);
    void chooseImportFile();
    /// Puts the rows `read` gives into the host's set and the editor; `done`
    /// words the status line, `titleId` the title of a failure.
    bool replaceSet(qint32 titleId, const std::function<RequirementFile()> &read, const std::function<QString(int count)> &done);
    bool canLeaveSet(qint32 titleId);
    /// Before a file dialog: unsaved changes are settled first (asked when the host can ask).
    bool readyForFileDialog(qint32 titleId);
    void report(qint32 titleId, const QString &text);


    QWidget *m_window;
    zrRequirements *m_editor;
    std::function<Recordset()> m_hostSet;
    std::function<bool()> m_leaveCheck;
    QAction *m_export = nullptr;
    QAction *m_import = nullptr;
    bool m_imported = false;
};

} // namespace zr::app
