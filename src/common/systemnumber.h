#pragma once

#include "zrreq_export.h"

#include <QString>

namespace zr {

/// Reads a number written in the system's number format: the Greek decimal
/// comma ("2,5"), or a decimal point ("2.5"); no group separators, blanks
/// around it allowed. Returns false (and leaves `number` alone) for anything else.
ZRREQ_EXPORT bool ReadSystemNumber(const QString &text, double *number);

/// Writes a number in the system's number format: no group separators, a
/// decimal comma only when there is a fraction ("20", "2,5"), at most four
/// decimals as a currency value has.
ZRREQ_EXPORT QString FormatSystemNumber(double number);

} // namespace zr
