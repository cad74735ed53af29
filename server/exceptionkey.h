#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

namespace zr::server {

/// The condition on QEMExcludedStudents' own columns that selects the
/// exceptions of one object, context and key, its values appended to
/// `values`; a null or empty object id matches rows stored without one.
QString ExceptionKeyCondition(const QVariant &objectId, qint32 kind, qint32 context, qint32 extraKey,
                              QVariantList &values);

} // namespace zr::server
