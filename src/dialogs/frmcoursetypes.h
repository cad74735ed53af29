#pragma once

#include "zrwidgets_export.h"
#include "dialogs/coursetypetotalsdialog.h"

namespace zr {

/// The totals of course types a student must have (at least so many
/// courses, or course credits when the option `use_units` is set).
class ZRWIDGETS_EXPORT frmCourseTypes : public CourseTypeTotalsDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(frmCourseTypes)

public:
    /// A dialog with its captions set; `parent` is the default owner window.
    explicit frmCourseTypes(QWidget *parent = nullptr);
    ~frmCourseTypes() override;
};

} // namespace zr
