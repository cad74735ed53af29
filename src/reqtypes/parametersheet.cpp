#include "parametersheet.h"

#include "common/itempanelmodel.h"
#include "requirements/requirementkeys.h"
#include "typecatalog.h"

namespace zr {

bool CreateConstraint(ItemPanelModel &panel, const QString &typeId, qint32 ocID, const SheetContext &sheet)
{
    Q_UNUSED(sheet)
    const QString caption = GetTypeName(typeId);
    if (caption.isEmpty())
        return false;
    const QString key = GroupKey(ocID);
    if (!panel.addItem(key, caption, ItemStyle::Header))
        return false;
    panel.setHint(key, caption);
    return true;
}

} // namespace zr
