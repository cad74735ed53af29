#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QString>
#include <functional>

namespace zr {

/// The token of a requirement in the stored expression: "[%" + ocID + "]".
ZRREQ_EXPORT QString ExpressionToken(qint32 ocID);

/// An expression in stored form (storedForm true) or display form (false)
/// over the requirements of `wholeSet`: a non-empty stored text is returned
/// unchanged, or with every token replaced by "[" + caption + "]"; an empty
/// one becomes the default expression, every requirement joined by AND.
ZRREQ_EXPORT QString ConvertExpression(const QString &text, bool storedForm, const Recordset &wholeSet,
                                       const std::function<QString(qint32 ocID)> &captionOf);

/// The display form broken into lines for a text box: a line break takes the
/// place of the blank before a word outside brackets (an operator) once the line
/// holds `lineLength` characters. Replacing the breaks by blanks gives `display` back.
ZRREQ_EXPORT QString BreakExpressionLines(QString display, int lineLength = 100);

/// True when an edited expression must be kept as written: it holds NOT or OR.
/// An expression of ANDs only is stored empty, as the default.
ZRREQ_EXPORT bool ExpressionNeedsStoring(const QString &text);

} // namespace zr
