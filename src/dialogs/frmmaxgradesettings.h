#pragma once

#include "zrwidgets_export.h"
#include "dialogs/coursetypetotalsdialog.h"

namespace zr {

/// The course types that enter the maximum average, and how many of their
/// courses (0: all courses of the type).
class ZRWIDGETS_EXPORT frmMaxGradeSettings : public CourseTypeTotalsDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(frmMaxGradeSettings)

public:
    /// A dialog with its captions set; `parent` is the default owner window.
    explicit frmMaxGradeSettings(QWidget *parent = nullptr);
    ~frmMaxGradeSettings() override;
};

} // namespace zr
