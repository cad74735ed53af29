#pragma once

#include "zrreq_export.h"

#include <QString>

namespace zr {

/// The expression after requirement `ocID` is deleted from its set: every
/// token of it is taken out together with what only made sense beside it
/// (the AND or OR that joined it, a NOT before it, parentheses or a NOT()
/// left empty). Of two operators beside it the AND goes, so "A OR B AND C"
/// without B reads "A OR C". An expression left with neither OR nor NOT is
/// the default one and comes back empty. A text that does not read as an
/// expression only loses the token's text.
ZRREQ_EXPORT QString RemoveFromExpression(const QString &text, qint32 ocID);

/// The expression after requirement `ocID` is added to its set: the new
/// token joined with AND to the whole of it ("(A OR B) AND [%-1]"). An
/// empty expression, the default, already holds every requirement and
/// stays empty.
ZRREQ_EXPORT QString AppendToExpression(const QString &text, qint32 ocID);

} // namespace zr
