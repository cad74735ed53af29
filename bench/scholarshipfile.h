#pragma once

#include <QByteArray>
#include <QString>

namespace zr::bench {

// Programme 1's scholarship requirements: a set of its own, not kept per curriculum.
constexpr int Kind = 1;
constexpr int Programme = 1;
constexpr int Scholarship = 109;

/// The text of a file of `rows` course-type requirements for programme 1's
/// scholarship set (context 109; too many for one expression to name), with
/// ids from `firstId` on. Files of another `edition` give every requirement another value.
inline QByteArray scholarshipFileText(int rows, int edition = 0, int firstId = 1)
{
    QByteArray json = "{\"format\": \"zrreq-requirements/1\", \"AppliesTo\": 1, \"ConstrType\": 109, "
                      "\"object\": {\"objID\": 1}, \"rows\": [";
    for (int i = 1; i <= rows; ++i) {
        json += QStringLiteral("%1{\"ocID\": %2, \"conID\": 40, \"conoperator\": 8, \"conoptval1\": \"%3\", "
                               "\"conselobjIDs\": \"%4\"}")
                    .arg(i > 1 ? QStringLiteral(", ") : QString())
                    .arg(firstId + i - 1)
                    .arg((i + edition) % 60 + 1)
                    .arg(i % 7 + 1)
                    .toUtf8();
    }
    return json + "]}";
}

} // namespace zr::bench
