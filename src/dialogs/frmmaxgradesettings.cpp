#include "frmmaxgradesettings.h"

namespace zr {

frmMaxGradeSettings::frmMaxGradeSettings(QWidget *parent) : CourseTypeTotalsDialog(Purpose::MaximumAverage, parent)
{
    setObjectName(QStringLiteral("frmMaxGradeSettings"));
}

frmMaxGradeSettings::~frmMaxGradeSettings() = default;

} // namespace zr
