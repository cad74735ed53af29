#pragma once

#include "zrsvr_export.h"

#include <QString>

namespace zr::server {

class Database;

/// Sizes of the large-volume department the generator adds.
struct LargeVolume
{
    int courses = 10000;
    int students = 50000;
    int requirements = 3000;   ///< rows of the big degree requirement set of a curriculum
    int curricula = 4;         ///< curricula of the programme
    int curriculumSets = 1;    ///< curricula, from the first, that get a degree set of `requirements` rows
    int coursesPerSemester = 4; ///< courses a student takes each semester (about 40 results by the tenth)

    /// The sizes `zrreq init-db --large N` uses: N students, N/5 courses and
    /// 3 requirements per 50 students.
    static LargeVolume forStudents(int students);
};

/// Identities of what the generator adds, for benchmarks and tests.
struct LargeVolumeKeys
{
    static constexpr int programme = 10;       ///< prID of the generated programme
    static constexpr int curriculum = 101;     ///< orID whose degree set holds the big requirement set
    static constexpr int firstCourse = 100001;  ///< courseID of the first generated course
    static constexpr int firstStudent = 1000001; ///< student_ID of the first generated student
    static constexpr int firstRequirement = 1000001; ///< ocID of the first generated requirement
    static constexpr int firstRecordRow = 10000001;  ///< id of the first generated result, enrolment, project, practicum
    static QString department() { return QStringLiteral("777"); }
};

/// Adds a large department (one programme with its curricula, its courses,
/// students with their academic records, and big degree requirement sets
/// using all thirteen types) to a database that has the schema, in one
/// transaction. Deterministic.
ZRSVR_EXPORT void GenerateLargeVolume(Database &db, const LargeVolume &sizes);

} // namespace zr::server
