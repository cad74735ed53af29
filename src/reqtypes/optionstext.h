#pragma once

#include "zrreq_export.h"

#include <QString>

namespace zr {

/// The text that describes a requirement's options value, as the editor
/// shows it in its help box after the options dialog closes.
///
/// Types 30 and 100: a line for the "greater than" limit when it is given and
/// a line for the "less than" limit when the value has a second part (even
/// an empty one), joined by CR LF. Types 80 and 90: the five flag captions,
/// each with Yes or No. Other types, and an empty value of 30/100: "".
ZRREQ_EXPORT QString OptionsText(qint32 requirementType, const QString &optionsValue);

} // namespace zr
