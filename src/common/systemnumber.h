#pragma once

#include "zrreq_export.h"

#include <QString>

#include <functional>

namespace zr {

/// Reads a number written in the system's number format: the Greek decimal
/// comma ("2,5"), or a decimal point ("2.5"); no group separators, blanks
/// around it allowed. Returns false (and leaves `number` alone) for anything else.
ZRREQ_EXPORT bool ReadSystemNumber(const QString &text, double *number);

/// Writes a number in the system's number format: no group separators, a
/// decimal comma only when there is a fraction ("20", "2,5"), at most four
/// decimals as a currency value has.
ZRREQ_EXPORT QString FormatSystemNumber(double number);

/// Writes a figure as people read it in language `languageId`: a decimal
/// comma in Greek, a point in English, no group separators, at most
/// `decimals` decimals and no trailing zeros; "?" for what is not a number.
ZRREQ_EXPORT QString FormatLanguageNumber(double value, int decimals, int languageId);

/// The same with the fewest decimals, from two up, for which `holds` of the
/// figure shown is what it is of `value`: a figure never seems to meet a
/// bound it misses, nor the reverse (6.996 against 7 reads "6.996", not "7").
ZRREQ_EXPORT QString FormatLanguageNumberKeeping(double value, int languageId,
                                                 const std::function<bool(double)> &holds);

} // namespace zr
