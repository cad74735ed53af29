#pragma once

#include "zrreq_export.h"

#include <QString>

namespace zr {

class ItemPanelModel;

/// What a parameter sheet depends on besides its type: the editor's context
/// and object kind.
struct SheetContext
{
    int context = 0;
    int objectKind = 0;
};

/// Appends the block of requirement `ocID` of type `typeId` (decimal text) to
/// the panel: its header row, captioned with the type's long name. A type
/// that is not one of the thirteen adds nothing. Returns whether a block was added.
ZRREQ_EXPORT bool CreateConstraint(ItemPanelModel &panel, const QString &typeId, qint32 ocID,
                                   const SheetContext &sheet);

} // namespace zr
