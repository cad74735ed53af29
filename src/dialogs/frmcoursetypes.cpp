#include "frmcoursetypes.h"

namespace zr {

frmCourseTypes::frmCourseTypes(QWidget *parent) : CourseTypeTotalsDialog(Purpose::MinimumTotals, parent)
{
    setObjectName(QStringLiteral("frmCourseTypes"));
}

frmCourseTypes::~frmCourseTypes() = default;

} // namespace zr
