#include "largevolume.h"

#include "database.h"

#include <QRandomGenerator>
#include <QStringList>

namespace zr::server {

namespace {

const QString kSource = QStringLiteral("zrQEMSvr.GenerateLargeVolume");

// Inserts rows many at a time: one statement per round trip matters on a
// database server.
class BulkInsert
{
public:
    BulkInsert(Database &db, const QString &table, const QStringList &columns)
        : m_db(db), m_table(table), m_columns(columns)
    {
        m_perStatement = qMax(1, 2000 / int(columns.size()));
    }
    ~BulkInsert() = default;

    void add(const QVariantList &row)
    {
        m_values += row;
        if (++m_pending == m_perStatement)
            flush();
    }

    void flush()
    {
        if (m_pending == 0)
            return;
        const QString one = QLatin1Char('(') + QStringList(m_columns.size(), QStringLiteral("?")).join(QLatin1Char(','))
            + QLatin1Char(')');
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(m_table, m_columns.join(QLatin1Char(',')))
            + QStringList(m_pending, one).join(QLatin1Char(','));
        m_db.exec(sql, m_values, kSource);
        m_values.clear();
        m_pending = 0;
    }

private:
    Database &m_db;
    QString m_table;
    QStringList m_columns;
    QVariantList m_values;
    int m_pending = 0;
    int m_perStatement = 1;
};

const char *const kFirst[] = {"Γεώργιος", "Μαρία", "Ιωάννης", "Ελένη", "Κωνσταντίνος", "Αικατερίνη", "Δημήτριος",
                              "Σοφία", "Νικόλαος", "Βασιλική", "Παναγιώτης", "Γεωργία", "Χρήστος", "Ειρήνη"};
const char *const kLast[] = {"Παπαδόπουλος", "Γεωργίου", "Οικονόμου", "Νικολάου", "Μακρής", "Αθανασίου",
                             "Ιωαννίδης", "Αντωνίου", "Καραγιάννης", "Σταυρόπουλος", "Αλεξίου", "Ξενάκης"};
const char *const kSubjects[] = {"Προγραμματισμός", "Βάσεις Δεδομένων", "Δίκτυα", "Αλγόριθμοι", "Μαθηματικά",
                                 "Αρχιτεκτονική", "Τεχνητή Νοημοσύνη", "Ηλεκτρονική", "Τηλεπικοινωνίες", "Γραφικά"};

struct GeneratedStudent
{
    int id;
    int year;
    int semester;
    bool graduate;
};

// Each student takes `coursesPerSemester` courses of every semester up to
// his own: results (a fifth after a failed attempt, one in fifty
// recognised), the enrolments of his last two semesters, a thesis after
// the tenth, semester projects and practicums now and then.
void generateRecords(Database &db, const LargeVolume &sizes, const QList<GeneratedStudent> &students)
{
    QRandomGenerator rnd(1034);   // a stream of its own: the rows drawn before stay as they were
    BulkInsert results(db, QStringLiteral("QEMStudentResults"),
                       {QStringLiteral("resID"), QStringLiteral("student_ID"), QStringLiteral("courseID"),
                        QStringLiteral("acyear"), QStringLiteral("epID"), QStringLiteral("termID"),
                        QStringLiteral("grade"), QStringLiteral("exemption")});
    BulkInsert enrolments(db, QStringLiteral("QEMStudentEnrolments"),
                          {QStringLiteral("enrID"), QStringLiteral("student_ID"), QStringLiteral("courseID"),
                           QStringLiteral("acyear"), QStringLiteral("termID"), QStringLiteral("sectcatID")});
    BulkInsert projects(db, QStringLiteral("QEMStudentProjects"),
                        {QStringLiteral("prjID"), QStringLiteral("student_ID"), QStringLiteral("prjtypeID"),
                         QStringLiteral("completed"), QStringLiteral("credits"), QStringLiteral("ects")});
    BulkInsert practicums(db, QStringLiteral("QEMStudentPracticums"),
                          {QStringLiteral("pracID"), QStringLiteral("student_ID"), QStringLiteral("completed")});
    int resultId = LargeVolumeKeys::firstRecordRow, enrolmentId = resultId, projectId = resultId,
        practicumId = resultId;
    const int courses = qMax(10, sizes.courses);
    for (const GeneratedStudent &s : students) {
        const int done = qMin(s.semester - 1, 10);
        for (int k = 1; k <= qMin(s.semester, 10); ++k) {
            const int year = qMin(s.year + (k - 1) / 2, 2024);
            const int term = k % 2 ? 1 : 2;
            // Course i belongs to semester 1 + i % 10.
            const int ofSemester = (courses - k + 10) / 10;
            for (int n = 0; n < sizes.coursesPerSemester; ++n) {
                const int course = LargeVolumeKeys::firstCourse + (k - 1) + 10 * int(rnd.bounded(ofSemester));
                if (k >= done)
                    enrolments.add({enrolmentId++, s.id, course, year, term, 1 + int(rnd.bounded(3))});
                if (k > done)
                    continue;
                if (rnd.bounded(50) == 0) {
                    results.add({resultId++, s.id, course, s.year, QVariant(), QVariant(), QVariant(), -1});
                    continue;
                }
                const bool resit = rnd.bounded(5) == 0;
                if (resit)
                    results.add({resultId++, s.id, course, year, term, term, 0.5 * rnd.bounded(10), 0});
                results.add({resultId++, s.id, course, year, resit ? 3 : term, term, 5.0 + 0.5 * rnd.bounded(11), 0});
            }
        }
        if (done == 10)
            projects.add({projectId++, s.id, 1, (s.graduate || rnd.bounded(2)) ? -1 : 0, 10.0, 30.0});
        if (done >= 6 && rnd.bounded(3) == 0)
            projects.add({projectId++, s.id, 3, -1, 2.0, 5.0});
        if (done >= 8 && rnd.bounded(2) == 0)
            practicums.add({practicumId++, s.id, (s.graduate || rnd.bounded(3)) ? -1 : 0});
    }
    results.flush();
    enrolments.flush();
    projects.flush();
    practicums.flush();
}

} // namespace

LargeVolume LargeVolume::forStudents(int students)
{
    LargeVolume v;
    v.students = qMax(1, students);
    v.courses = qMax(13, students / 5);
    v.requirements = qMax(13, students * 3 / 50);
    return v;
}

void GenerateLargeVolume(Database &db, const LargeVolume &sizes)
{
    QRandomGenerator rnd(1033);
    const QString dep = LargeVolumeKeys::department();
    const int pr = LargeVolumeKeys::programme;
    Database::Transaction tx(db, Database::Transaction::Write, kSource);
    db.exec(QStringLiteral("INSERT INTO QEMDepartments (depID, depname, depname_en, depschool, local, curyear, curtermID) "
                           "VALUES (?, ?, ?, ?, -1, 2024, 1)"),
            {dep, QStringLiteral("Τμήμα Πληροφορικής και Τηλεματικής"), QStringLiteral("Department of Informatics and Telematics"),
             QStringLiteral("Σχολή Ψηφιακής Τεχνολογίας")},
            kSource);
    db.exec(QStringLiteral("INSERT INTO QEMDepPrograms (prID, prdepID, prtitle, prshort, prsemesters, prects, prstartyear, "
                           "practive) VALUES (?, ?, ?, ?, 10, 300, 2012, -1)"),
            {pr, dep, QStringLiteral("Προπτυχιακό Πρόγραμμα Πληροφορικής και Τηλεματικής"), QStringLiteral("ΠΠΣ-ΠΤ")},
            kSource);
    const QStringList curricula{QStringLiteral("Λογισμικό"), QStringLiteral("Δίκτυα και Τηλεματική"),
                                QStringLiteral("Δεδομένα και Μάθηση"), QStringLiteral("Ενσωματωμένα Συστήματα")};
    for (int i = 0; i < sizes.curricula; ++i) {
        const QString name = i < curricula.size() ? curricula.at(i) : QStringLiteral("Κατεύθυνση %1").arg(i + 1);
        db.exec(QStringLiteral("INSERT INTO QEMDPOrientation (orID, prID, ordescription, orshort) VALUES (?, ?, ?, ?)"),
                {LargeVolumeKeys::curriculum + i, pr, name, QStringLiteral("Κ%1").arg(i + 1)}, kSource);
    }
    for (int g = 0; g < 8; ++g)
        db.exec(QStringLiteral("INSERT INTO QEMDPGroup (dgID, prID, groupID, dgname, dgtypeID, dgsemester) "
                               "VALUES (?, ?, ?, ?, ?, ?)"),
                {100 + g, pr, QStringLiteral("Π%1").arg(g + 1), QStringLiteral("Ομάδα μαθημάτων %1").arg(g + 1),
                 g == 0 ? 1 : 2, 5 + g % 6},
                kSource);

    BulkInsert courses(db, QStringLiteral("QEMCourses"),
                       {QStringLiteral("courseID"), QStringLiteral("depID"), QStringLiteral("coursecode"),
                        QStringLiteral("title"), QStringLiteral("coursetype"), QStringLiteral("cshared"),
                        QStringLiteral("ctypeID"), QStringLiteral("semID"), QStringLiteral("areaID"),
                        QStringLiteral("sectorID"), QStringLiteral("categoryID"), QStringLiteral("credits"),
                        QStringLiteral("hours"), QStringLiteral("ects"), QStringLiteral("cactive")});
    BulkInsert programmeCourses(db, QStringLiteral("QEMDepProgramCourses"),
                                {QStringLiteral("pcID"), QStringLiteral("prID"), QStringLiteral("courseID"),
                                 QStringLiteral("coursecode"), QStringLiteral("title"), QStringLiteral("coursetype"),
                                 QStringLiteral("ctypeID"), QStringLiteral("semID"), QStringLiteral("dgID"),
                                 QStringLiteral("credits"), QStringLiteral("hours"), QStringLiteral("ects"),
                                 QStringLiteral("coefficient"), QStringLiteral("indegreegrade")});
    QList<QVariantList> programmeRows;
    for (int i = 0; i < sizes.courses; ++i) {
        const int id = LargeVolumeKeys::firstCourse + i;
        const int sem = 1 + i % 10;
        const int ctype = 1 + int(rnd.bounded(7));
        const QString code = QStringLiteral("ΠΤ%1").arg(id);
        const QString title = QStringLiteral("%1 %2").arg(QString::fromUtf8(kSubjects[i % 10])).arg(i / 10 + 1);
        const int kind = i % 50 == 0 ? 2 : (i % 37 == 0 ? 8 : 1);
        courses.add({id, dep, code, title, kind, i % 97 == 0 ? -1 : 0, ctype, sem, 1 + i % 10, 1 + i % 4, 1 + i % 4,
                     4.0, 4, 5.0, -1});
        programmeRows.append({1000000 + i, pr, id, code, title, kind, ctype, sem, 100 + i % 8, 4.0, 4, 5.0,
                              ctype == 5 ? 2.0 : 1.5, ctype == 6 || ctype == 7 ? 0 : -1});
    }
    // Programme courses refer to the courses, so those go in first.
    courses.flush();
    for (const QVariantList &row : std::as_const(programmeRows))
        programmeCourses.add(row);
    programmeCourses.flush();

    BulkInsert students(db, QStringLiteral("QEMStudents"),
                        {QStringLiteral("student_ID"), QStringLiteral("spec_aem"), QStringLiteral("lastname"),
                         QStringLiteral("firstname"), QStringLiteral("fathername"), QStringLiteral("department_ID"),
                         QStringLiteral("progrspoud_ID"), QStringLiteral("orient_ID"), QStringLiteral("sector"),
                         QStringLiteral("statusID"), QStringLiteral("exam_ID"), QStringLiteral("in_modeID"),
                         QStringLiteral("in_year"), QStringLiteral("in_exam_ID"), QStringLiteral("in_period_ID"),
                         QStringLiteral("studrate"), QStringLiteral("or_date")});
    QList<GeneratedStudent> generated;
    generated.reserve(sizes.students);
    for (int i = 0; i < sizes.students; ++i) {
        const int id = LargeVolumeKeys::firstStudent + i;
        const int year = 2010 + int(rnd.bounded(15));
        const int semester = qMin(16, 2 * (2024 - year) + 1);
        const bool graduate = semester >= 11 && rnd.bounded(2) == 0;
        generated.append({id, year, semester, graduate});
        students.add({id, QStringLiteral("77%1").arg(id), QString::fromUtf8(kLast[rnd.bounded(12)]),
                      QString::fromUtf8(kFirst[rnd.bounded(14)]), QString::fromUtf8(kFirst[2 * rnd.bounded(7)]), dep, pr,
                      semester >= 7 ? QVariant(LargeVolumeKeys::curriculum + int(rnd.bounded(4))) : QVariant(),
                      1 + int(rnd.bounded(4)), graduate ? 2 : 1, semester, 1 + int(rnd.bounded(5)), year, 1,
                      1 + int(rnd.bounded(2)), 5.0 + rnd.bounded(45) / 10.0,
                      graduate ? QVariant(QStringLiteral("%1-07-15").arg(year + 6)) : QVariant()});
    }
    students.flush();
    generateRecords(db, sizes, generated);

    // One big degree set cycling through the thirteen types, each row filled
    // as the editor would store it.
    BulkInsert reqs(db, QStringLiteral("QEMObjectConstraint"),
                    {QStringLiteral("ocID"), QStringLiteral("contypeID"), QStringLiteral("conobject"),
                     QStringLiteral("objID"), QStringLiteral("secobjID"), QStringLiteral("conID"),
                     QStringLiteral("conoperator"), QStringLiteral("conoptval1"), QStringLiteral("conoptval3"),
                     QStringLiteral("conoptval4"), QStringLiteral("conoptval6"), QStringLiteral("conoptval10"),
                     QStringLiteral("conselobjIDs")});
    const int sets = qBound(0, sizes.curriculumSets, sizes.curricula);
    for (int n = 0; n < sets * sizes.requirements; ++n) {
        const int i = n % qMax(1, sizes.requirements);
        const QString curriculum = QString::number(LargeVolumeKeys::curriculum + n / qMax(1, sizes.requirements));
        const int type = 10 * (1 + i % 13);
        const QString course = QString::number(LargeVolumeKeys::firstCourse + i % qMax(1, sizes.courses));
        QVariant op = 8, v1 = QStringLiteral("1"), v3, v4, v6 = QStringLiteral("0"), v10, sel;
        switch (type) {
        case 10: sel = QStringLiteral("in_year"); v1 = QString::number(2010 + i % 10); v6 = QVariant(); break;
        case 20: sel = QStringLiteral("1,2,3"); v1 = QStringLiteral("20"); v4 = QStringLiteral("2"); break;
        case 30: sel = course; v3 = QStringLiteral("0,5"); v4 = QStringLiteral("0"); break;
        case 40: sel = QStringLiteral("-1"); v6 = QStringLiteral("3"); v1 = QStringLiteral("240"); break;
        case 50: sel = QStringLiteral("101,102"); v6 = QStringLiteral("1"); v1 = QStringLiteral("4"); break;
        case 60: sel = QStringLiteral("1"); v6 = QStringLiteral("1"); break;
        case 70: v6 = QStringLiteral("1"); break;
        case 80: op = QVariant(); sel = QStringLiteral("1,2,3,4"); v3 = QStringLiteral("0,5"); v4 = QStringLiteral("1"); v1 = QVariant(); v6 = QVariant(); break;
        case 90: op = 0; v1 = QStringLiteral("2022"); v3 = QStringLiteral("0,6"); v6 = QStringLiteral("-1"); break;
        case 100: op = QVariant(); sel = course; v1 = QVariant(); v4 = QStringLiteral("0"); v6 = QStringLiteral("-1"); v3 = QStringLiteral("0"); break;
        case 110: sel = QStringLiteral("2,3"); v1 = QStringLiteral("10"); break;
        case 120: sel = QStringLiteral("1"); v6 = QStringLiteral("1"); v1 = QStringLiteral("3"); break;
        case 130: op = 0; sel = course; v1 = QStringLiteral("0"); v6 = QVariant(); v10 = QStringLiteral("1"); break;
        }
        reqs.add({LargeVolumeKeys::firstRequirement + n, 103, 1, pr, curriculum, type, op, v1, v3, v4, v6, v10, sel});
    }
    reqs.flush();
    tx.commit();
}

} // namespace zr::server
