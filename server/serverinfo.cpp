#include "serverinfo.h"

namespace zr::server {

QString serverVersion()
{
    return QStringLiteral("0.1.0");
}

} // namespace zr::server
