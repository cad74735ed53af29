#include "setfileactions.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "requirements/setversion.h"
#include "requirements/zrrequirements.h"
#include "setfilecodes.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStatusBar>

namespace zr::app {

namespace {
enum : qint32 {
    StrExport = 60220,
    StrImport = 60221,
    StrFileFilter = 60222,
    StrExported = 60223,
    StrImported = 60224,
    StrExportFailed = 60225,
    StrImportFailed = 60226,
    StrUnsavedFirst = 60227,
    StrNothingLoaded = 60228,
    StrImportOverNewer = 62049,
    StrRestoreFailed = 64031,
    StrRestored = 64025,
};
} // namespace

SetFileActions::SetFileActions(QWidget *window, zrRequirements *editor, std::function<Recordset()> hostSet)
    : QObject(window), m_window(window), m_editor(editor), m_hostSet(std::move(hostSet))
{
    m_export = new QAction(this);
    m_export->setObjectName(QStringLiteral("exportAction"));
    m_import = new QAction(this);
    m_import->setObjectName(QStringLiteral("importAction"));
    connect(m_export, &QAction::triggered, this, &SetFileActions::chooseExportFile);
    connect(m_import, &QAction::triggered, this, &SetFileActions::chooseImportFile);
    retranslate();
}

void SetFileActions::retranslate()
{
    m_export->setText(GetLangString(StrExport));
    m_import->setText(GetLangString(StrImport));
}

qint32 SetFileActions::curriculum() const
{
    const bool perCurriculum = m_editor->AppliesTo() == 1 && (m_editor->ConstrType() == 102 || m_editor->ConstrType() == 103);
    return perCurriculum ? m_editor->currentCurriculum() : 0;
}

void SetFileActions::report(qint32 titleId, const QString &text)
{
    QMessageBox::warning(m_window, GetLangString(titleId), text);
}

bool SetFileActions::canLeaveSet(qint32 titleId)
{
    if (m_hostSet().isNull()) {
        report(titleId, GetLangString(StrNothingLoaded));
        return false;
    }
    // The file would not hold what the editor shows, or the edits would be lost.
    if (m_editor->isModified() || m_imported) {
        report(titleId, GetLangString(StrUnsavedFirst));
        return false;
    }
    return true;
}

bool SetFileActions::exportTo(const QString &path)
{
    return canLeaveSet(StrExportFailed) && writeFile(path);
}

bool SetFileActions::writeFile(const QString &path)
{
    try {
        QByteArray json =
            WriteRequirementFile(m_hostSet(), m_editor->AppliesTo(), m_editor->ConstrType(), curriculum());
        if (m_serverName) {
            server::DatabaseSetFileCodes codes(*m_serverName);
            json = WriteReadableSetFile(ReadRequirementFile(json), codes);
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
            throw MakeError(60200, QStringLiteral("SetFileActions.exportTo"), {path, file.errorString()});
    } catch (ZrError &error) {
        TrapError(error);
        report(StrExportFailed, error.description);
        return false;
    }
    if (auto *main = qobject_cast<QMainWindow *>(m_window))
        main->statusBar()->showMessage(ReplaceParams(GetLangString(StrExported), {path}), 5000);
    return true;
}

bool SetFileActions::importFrom(const QString &path)
{
    if (!canLeaveSet(StrImportFailed))
        return false;
    RequirementFile file;
    try {
        if (m_serverName) {
            server::DatabaseSetFileCodes codes(*m_serverName);
            file = ReadSetFile(path, codes);
        } else {
            file = ReadRequirementFile(path);
        }
    } catch (ZrError &error) {
        TrapError(error);
        report(StrImportFailed, error.description);
        return false;
    }
    // A file of this very set, older than the set as stored: importing it would drop what was saved since.
    const QStringList facts = OutdatedFileFacts(file, m_hostSet(), m_editor->AppliesTo(), m_editor->ConstrType(), curriculum());
    if (!facts.isEmpty()
        && QMessageBox::question(m_window, StripMnemonic(GetLangString(StrImport)),
                                 ReplaceParams(GetLangString(StrImportOverNewer), facts),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return false;
    return replaceSet(StrImportFailed, [&file] { return file; }, [&path](int count) {
        return ReplaceParams(GetLangString(StrImported), {QString::number(count), QFileInfo(path).fileName()});
    });
}

bool SetFileActions::restoreVersion(qint64 number, const QByteArray &file)
{
    if (!readyForFileDialog(StrRestoreFailed))
        return false;
    return replaceSet(StrRestoreFailed, [&file] { return ReadRequirementFile(file); }, [number](int count) {
        return ReplaceParams(GetLangString(StrRestored), {QString::number(number), QString::number(count)});
    });
}

QString SetFileActions::setKey() const
{
    const Recordset set = m_hostSet();
    return set.isNull() ? QString() : RequirementSetKeyOf(set, m_editor->AppliesTo(), m_editor->ConstrType(), curriculum());
}

bool SetFileActions::replaceSet(qint32 titleId, const std::function<RequirementFile()> &read, const std::function<QString(int)> &done)
{
    Recordset set = m_hostSet();
    int count = 0;
    try {
        count = ImportRequirementRows(read(), set, m_editor->AppliesTo(), m_editor->ConstrType(), curriculum());
    } catch (ZrError &error) {
        TrapError(error);
        report(titleId, error.description);
        return false;
    }
    // The editor keeps its curriculum across loads, so it shows the new rows.
    m_editor->setRsConstraints(set);
    m_imported = true;
    if (auto *main = qobject_cast<QMainWindow *>(m_window))
        main->statusBar()->showMessage(done(count), 5000);
    Q_EMIT imported();
    return true;
}

bool SetFileActions::readyForFileDialog(qint32 titleId)
{
    if (m_leaveCheck && !m_hostSet().isNull() && (m_editor->isModified() || m_imported) && !m_leaveCheck())
        return false;
    return canLeaveSet(titleId);
}

QString SetFileActions::suggestedFileName(const Recordset &hostSet, qint32 context, qint32 curriculum)
{
    QString title;
    if (!hostSet.isNull() && hostSet.hasField(u"title")) {
        Recordset parent = hostSet.clone();
        parent.moveFirst();
        if (!parent.eof())
            title = parent.value(u"title").toString();
    }
    QString name = title.simplified();
    static const QRegularExpression refused(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(refused, QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("requirements");
    name += QLatin1Char('-') + QString::number(context);
    if (curriculum != 0)
        name += QLatin1Char('-') + QString::number(curriculum);
    return name + QStringLiteral(".json");
}

QString SetFileActions::withJsonSuffix(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0)
        return path;
    return path + QStringLiteral(".json");
}

QString SetFileActions::askExportPath() const
{
    const QString suggested = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                  .filePath(suggestedFileName(m_hostSet(), m_editor->ConstrType(), curriculum()));
    return withJsonSuffix(QFileDialog::getSaveFileName(m_window, StripMnemonic(GetLangString(StrExport)), suggested,
                                                       GetLangString(StrFileFilter)));
}

void SetFileActions::chooseExportFile()
{
    if (!readyForFileDialog(StrExportFailed))
        return;
    if (const QString path = askExportPath(); !path.isEmpty())
        exportTo(path);
}

void SetFileActions::chooseUnsavedExportFile()
{
    if (const QString path = askExportPath(); !path.isEmpty())
        writeFile(path);
}

void SetFileActions::chooseImportFile()
{
    // Unsaved edits are settled before a file is chosen, not after.
    if (!readyForFileDialog(StrImportFailed))
        return;
    const QString path = QFileDialog::getOpenFileName(m_window, StripMnemonic(GetLangString(StrImport)), QString(),
                                                      GetLangString(StrFileFilter));
    if (!path.isEmpty())
        importFrom(path);
}

} // namespace zr::app
