#include "saveconflict.h"

#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "requirements/requirementfile.h"
#include "requirements/requirementset.h"
#include "requirements/setversion.h"
#include "reqtypes/typecatalog.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>

namespace zr::app {

namespace {
enum : qint32 {
    StrConflictQuestion = 62030,
    StrReloadStored = 62031,
    StrSaveMineToFile = 62032,
    StrOverwrite = 62033,
    StrConfirmOverwrite = 62034,
    StrCancel = 20092,
};
} // namespace

ConflictChoice AskSaveConflict(QWidget *parent, const QString &why, const std::function<void()> &saveToFile)
{
    for (;;) {
        QMessageBox box(QMessageBox::Warning, ApplicationTitle(),
                        why + QStringLiteral("\n\n") + GetLangString(StrConflictQuestion), QMessageBox::NoButton, parent);
        box.setObjectName(QStringLiteral("saveConflict"));
        QAbstractButton *reload = box.addButton(GetLangString(StrReloadStored), QMessageBox::DestructiveRole);
        reload->setObjectName(QStringLiteral("reloadStored"));
        QAbstractButton *toFile = box.addButton(GetLangString(StrSaveMineToFile), QMessageBox::ActionRole);
        toFile->setObjectName(QStringLiteral("saveMineToFile"));
        QAbstractButton *overwrite = box.addButton(GetLangString(StrOverwrite), QMessageBox::AcceptRole);
        overwrite->setObjectName(QStringLiteral("overwriteStored"));
        QAbstractButton *stay = box.addButton(GetLangString(StrCancel), QMessageBox::RejectRole);
        stay->setObjectName(QStringLiteral("stay"));
        box.setDefaultButton(qobject_cast<QPushButton *>(toFile));
        box.setEscapeButton(stay);
        box.exec();
        if (box.clickedButton() == reload)
            return ConflictChoice::Reload;
        if (box.clickedButton() == toFile) {
            saveToFile();
            continue;
        }
        if (box.clickedButton() != overwrite)
            return ConflictChoice::Stay;
        // Someone's work is lost by it: the second question defaults to no.
        QMessageBox confirm(QMessageBox::Question, ApplicationTitle(), GetLangString(StrConfirmOverwrite),
                            QMessageBox::Yes | QMessageBox::No, parent);
        confirm.setObjectName(QStringLiteral("confirmOverwrite"));
        confirm.setDefaultButton(QMessageBox::No);
        confirm.button(QMessageBox::Yes)->setText(GetLangString(StrOverwrite));
        confirm.button(QMessageBox::No)->setText(GetLangString(StrCancel));
        if (confirm.exec() == QMessageBox::Yes)
            return ConflictChoice::Overwrite;
    }
}

void ReplaceEditedSets(const Recordset &edited, Recordset &stored, qint32 kind, qint32 context)
{
    Recordset parent = edited.clone();
    parent.moveFirst();
    Recordset pending = parent.chapter(RequirementSet::chapterName()).clone();
    pending.setFilter(Recordset::FilterPendingRecords);
    // The sets with changes: one per curriculum where sets are kept per curriculum.
    QSet<qint32> curricula;
    const bool perCurriculum = kind == KindProgramme && IsKeyedBySecondary(kind, context);
    for (int i = 0, n = pending.recordCount(); i < n; ++i) {
        pending.setAbsolutePosition(i + 1);
        const bool gone = pending.status() == Recordset::adRecDeleted;
        const auto field = [&](QStringView name) { return gone ? pending.originalValue(name) : pending.value(name); };
        if (field(u"conobject").toInt() == kind && field(u"contypeID").toInt() == context)
            curricula.insert(perCurriculum ? field(u"secobjID").toInt() : 0);
    }
    for (qint32 curriculum : std::as_const(curricula)) {
        const RequirementFile mine = ReadRequirementFile(WriteRequirementFile(edited, kind, context, curriculum));
        ImportRequirementRows(mine, stored, kind, context, curriculum);
    }
}

} // namespace zr::app
