#include "exclusionsrunner.h"

#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "dialogs/frmexclusions.h"
#include "recordset/recordsetutils.h"
#include "requirementseditor.h"

namespace zr {

void RunExclusions(RequirementsEditor &editor, const QString &sessionId, const QFont &font, QWidget *owner)
{
    RequirementSet &set = editor.set();
    if (set.isModified()) {
        int style = MbInformation | MbOkOnly;
        MsgBoxEx(GetLangString(20016), style, ApplicationTitle(), {}, 0, {}, owner);
        return;
    }
    Recordset parentRow = set.parent().clone();
    parentRow.moveFirst();
    // Exceptions belong to the object of the current requirement row (NULL when it names none):
    // for a department's course that is the course, not the department.
    Recordset current = set.walk();
    const int row = set.currentRecordId() != 0 ? set.rowOf(set.currentRecordId()) : 0;
    const QVariant objID = row >= 0 && row < current.recordCount() ? current.valueAt(row, current.fieldIndex(u"objID"))
                                                                     : QVariant();
    const QVariant objectId = objID.toString().isEmpty() ? QVariant() : objID;
    frmExclusions dialog(owner);
    dialog.setFrmFont(font);
    // The dialog's value lists come from the same cache as the editor's own.
    LookupCache &lookups = editor.lookups();
    QObject::connect(&dialog, &frmExclusions::ListSourceRequest, owner,
                     [&lookups, objectId](bool &cancel, const QString &source, Recordset &result, bool isQuery) {
                         if (isQuery) {
                             cancel = true;
                             return;
                         }
                         const bool curricula =
                             source.compare(QLatin1String("QEMDPOrientation"), Qt::CaseInsensitive) == 0;
                         result = lookups.list(source, curricula ? QStringLiteral("prID=") + NzStr(objectId)
                                                                 : QString());
                     });
    dialog.ShowExcludStudents(objectId, set.objectKind(), set.context(), editor.schema().get(), editor.serverName(),
                              sessionId, set.rows(), 0,
                              ExclusionStudentFilter(set.objectKind(), parentRow, editor.departmentId()), owner);
}

} // namespace zr
