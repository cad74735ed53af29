-- Database of the requirement editor: code tables, departments, programmes,
-- curricula, courses, students and requirement rows.
-- One text for SQLite and PostgreSQL: plain types only, explicit ids, no
-- identity columns (the server hands out ids), flags are SMALLINT -1/0.

CREATE TABLE QEMDepartments (
    depID           VARCHAR(10)  NOT NULL PRIMARY KEY,
    depname         VARCHAR(200) NOT NULL,
    depname_en      VARCHAR(200),
    depschool       VARCHAR(200),
    local           SMALLINT     NOT NULL DEFAULT 0,
    curyear         INTEGER,
    curtermID       INTEGER
);

CREATE TABLE SYS_CourseType (
    ctypeID         INTEGER      NOT NULL PRIMARY KEY,
    ctypedesc       VARCHAR(100) NOT NULL,
    ctypeabbr       VARCHAR(20)  NOT NULL
);

CREATE TABLE SYS_semesters (
    semID           INTEGER      NOT NULL PRIMARY KEY,
    semshort        VARCHAR(20)  NOT NULL,
    semlong         VARCHAR(100) NOT NULL
);

CREATE TABLE SYS_terms (
    termID          INTEGER      NOT NULL PRIMARY KEY,
    termDesc        VARCHAR(20)  NOT NULL,
    termlong        VARCHAR(100)
);

CREATE TABLE SYS_ExamPeriod (
    epID            INTEGER      NOT NULL PRIMARY KEY,
    epdescr         VARCHAR(100) NOT NULL,
    epshort         VARCHAR(20),
    termID          INTEGER
);

CREATE TABLE SYS_ERGASIA_TYPE (
    ID              INTEGER      NOT NULL PRIMARY KEY,
    descr           VARCHAR(100) NOT NULL
);

CREATE TABLE SYS_Dep_CourseSector (
    sectorID        INTEGER      NOT NULL PRIMARY KEY,
    depID           VARCHAR(10),
    coursesector    VARCHAR(150) NOT NULL
);

CREATE TABLE SYS_Dep_CourseArea (
    areaID          INTEGER      NOT NULL PRIMARY KEY,
    depID           VARCHAR(10),
    coursearea      VARCHAR(150) NOT NULL
);

CREATE TABLE SYS_Dep_SectionCategories (
    sectcatID       INTEGER      NOT NULL PRIMARY KEY,
    depID           VARCHAR(10),
    sectcatdescr    VARCHAR(150) NOT NULL
);

CREATE TABLE SYS_CourseCategory (
    categoryID      INTEGER      NOT NULL PRIMARY KEY,
    coursecategory  VARCHAR(150) NOT NULL
);

CREATE TABLE SYS_EntryModes (
    in_modeID       INTEGER      NOT NULL PRIMARY KEY,
    modedescr       VARCHAR(150) NOT NULL
);

CREATE TABLE SYS_StudentStatus (
    statusID        INTEGER      NOT NULL PRIMARY KEY,
    statusdescr     VARCHAR(100) NOT NULL
);

CREATE TABLE SYS_ConstraintTypes (
    conID           SMALLINT     NOT NULL PRIMARY KEY,
    conshortdesc    VARCHAR(50)  NOT NULL,
    conlongdesc     VARCHAR(150) NOT NULL
);

CREATE TABLE QEMDepPrograms (
    prID            INTEGER      NOT NULL PRIMARY KEY,
    prdepID         VARCHAR(10)  NOT NULL REFERENCES QEMDepartments (depID),
    prtitle         VARCHAR(200) NOT NULL,
    prtitle_en      VARCHAR(200),
    prshort         VARCHAR(30),
    prsemesters     INTEGER,
    prects          INTEGER,
    prstartyear     INTEGER,
    practive        SMALLINT     NOT NULL DEFAULT -1
);

CREATE TABLE QEMDPOrientation (
    orID            INTEGER      NOT NULL PRIMARY KEY,
    prID            INTEGER      NOT NULL REFERENCES QEMDepPrograms (prID),
    ordescription   VARCHAR(200) NOT NULL,
    orshort         VARCHAR(30)
);

CREATE TABLE QEMDPGroup (
    dgID            INTEGER      NOT NULL PRIMARY KEY,
    prID            INTEGER      NOT NULL REFERENCES QEMDepPrograms (prID),
    groupID         VARCHAR(10)  NOT NULL,
    dgname          VARCHAR(200) NOT NULL,
    dgtypeID        INTEGER      NOT NULL DEFAULT 2,
    dgsemester      INTEGER,
    dgmincourses    INTEGER
);

-- coursetype is a bit mask: 1 simple, 2 group, 4 composite, 8 part
CREATE TABLE QEMCourses (
    courseID        INTEGER      NOT NULL PRIMARY KEY,
    depID           VARCHAR(10)  NOT NULL,
    coursecode      VARCHAR(20)  NOT NULL,
    title           VARCHAR(250) NOT NULL,
    title_en        VARCHAR(250),
    coursetype      INTEGER      NOT NULL DEFAULT 1,
    cshared         SMALLINT     NOT NULL DEFAULT 0,
    ctypeID         INTEGER,
    semID           INTEGER,
    areaID          INTEGER,
    sectorID        INTEGER,
    categoryID      INTEGER,
    credits         DOUBLE PRECISION,
    hours           INTEGER,
    ects            DOUBLE PRECISION,
    cactive         SMALLINT     NOT NULL DEFAULT -1
);

CREATE TABLE QEMDepProgramCourses (
    pcID            INTEGER      NOT NULL PRIMARY KEY,
    prID            INTEGER      NOT NULL REFERENCES QEMDepPrograms (prID),
    courseID        INTEGER      NOT NULL REFERENCES QEMCourses (courseID),
    coursecode      VARCHAR(20)  NOT NULL,
    title           VARCHAR(250) NOT NULL,
    coursetype      INTEGER      NOT NULL DEFAULT 1,
    ctypeID         INTEGER,
    semID           INTEGER,
    dgID            INTEGER,
    orID            INTEGER,
    credits         DOUBLE PRECISION,
    hours           INTEGER,
    ects            DOUBLE PRECISION,
    coefficient     DOUBLE PRECISION,
    indegreegrade   SMALLINT     NOT NULL DEFAULT -1
);

CREATE TABLE QEMStudents (
    student_ID      INTEGER      NOT NULL PRIMARY KEY,
    spec_aem        VARCHAR(20)  NOT NULL,
    lastname        VARCHAR(100) NOT NULL,
    firstname       VARCHAR(100) NOT NULL,
    fathername      VARCHAR(100),
    gender          VARCHAR(1),
    birthdate       DATE,
    email           VARCHAR(150),
    department_ID   VARCHAR(10)  NOT NULL REFERENCES QEMDepartments (depID),
    progrspoud_ID   INTEGER      NOT NULL REFERENCES QEMDepPrograms (prID),
    orient_ID       INTEGER,
    sector          INTEGER,
    statusID        INTEGER      NOT NULL DEFAULT 1,
    exam_ID         INTEGER,
    in_modeID       INTEGER,
    in_year         INTEGER,
    in_exam_ID      INTEGER,
    in_period_ID    INTEGER,
    sc_apofYear     INTEGER,
    sc_arseiras     INTEGER,
    or_ptyhgrade    DOUBLE PRECISION,
    studrate        DOUBLE PRECISION,
    or_date         DATE
);

-- One row per requirement. conoptval1..12 hold the parameters as text,
-- so every value field has a defined size that validation checks.
CREATE TABLE QEMObjectConstraint (
    ocID            INTEGER      NOT NULL PRIMARY KEY,
    contypeID       INTEGER      NOT NULL,
    conobject       INTEGER      NOT NULL,
    objID           INTEGER,
    secobjID        VARCHAR(20),
    conID           SMALLINT     NOT NULL,
    conoperator     INTEGER,
    conoptval1      VARCHAR(255),
    conoptval2      VARCHAR(255),
    conoptval3      VARCHAR(20),
    conoptval4      VARCHAR(50),
    conoptval5      VARCHAR(255),
    conoptval6      VARCHAR(20),
    conoptval7      VARCHAR(1000),
    conoptval8      VARCHAR(255),
    conoptval9      VARCHAR(255),
    conoptval10     VARCHAR(255),
    conoptval11     VARCHAR(255),
    conoptval12     VARCHAR(255),
    conselobjIDs    VARCHAR(1000),
    coneval         VARCHAR(4000),
    conlabel        VARCHAR(40),
    AltID           INTEGER,
    AltKey          VARCHAR(50),
    RowGuid         VARCHAR(38),
    ModifiedDate    TIMESTAMP
);

CREATE INDEX ix_constraint_object ON QEMObjectConstraint (conobject, contypeID, objID);

-- Students excepted from the requirement check of one object and context.
CREATE TABLE QEMExcludedStudents (
    exID            INTEGER      NOT NULL PRIMARY KEY,
    student_ID      INTEGER      NOT NULL REFERENCES QEMStudents (student_ID),
    objID           INTEGER,
    conobject       INTEGER      NOT NULL,
    contypeID       INTEGER      NOT NULL,
    extrakey        INTEGER      NOT NULL DEFAULT 0,
    sessionID       VARCHAR(50),
    ModifiedDate    TIMESTAMP
);

CREATE INDEX ix_excluded_object ON QEMExcludedStudents (conobject, contypeID, objID);

-- A student with a row here is checked against his own degree requirements
-- (rows of QEMObjectConstraint with conobject 8, objID = student_ID).
CREATE TABLE QEMStudRegulation (
    student_ID      INTEGER      NOT NULL PRIMARY KEY REFERENCES QEMStudents (student_ID),
    regdate         DATE,
    sessionID       VARCHAR(50),
    notes           VARCHAR(500)
);

-- Students' academic records. A course is read with the attributes the
-- student's programme gives it (QEMDepProgramCourses) over the course's own.
-- acyear is the academic year by its first calendar year (2023 is 2023-24).
-- A result is one examination (epID exam period, termID the course's teaching
-- period, grade 0 to 10) or a course recognised without one (exemption -1,
-- grade NULL or the grade recognised).
CREATE TABLE QEMStudentResults (
    resID           INTEGER      NOT NULL PRIMARY KEY,
    student_ID      INTEGER      NOT NULL REFERENCES QEMStudents (student_ID),
    courseID        INTEGER      NOT NULL REFERENCES QEMCourses (courseID),
    acyear          INTEGER      NOT NULL,
    epID            INTEGER,
    termID          INTEGER,
    grade           DOUBLE PRECISION,
    exemption       SMALLINT     NOT NULL DEFAULT 0
);

-- One row per course a student enrolled in for a teaching period.
CREATE TABLE QEMStudentEnrolments (
    enrID           INTEGER      NOT NULL PRIMARY KEY,
    student_ID      INTEGER      NOT NULL REFERENCES QEMStudents (student_ID),
    courseID        INTEGER      NOT NULL REFERENCES QEMCourses (courseID),
    acyear          INTEGER      NOT NULL,
    termID          INTEGER,
    sectcatID       INTEGER
);

-- prjtypeID is a project type of SYS_ERGASIA_TYPE.
CREATE TABLE QEMStudentProjects (
    prjID           INTEGER      NOT NULL PRIMARY KEY,
    student_ID      INTEGER      NOT NULL REFERENCES QEMStudents (student_ID),
    prjtypeID       INTEGER,
    completed       SMALLINT     NOT NULL DEFAULT 0,
    credits         DOUBLE PRECISION,
    ects            DOUBLE PRECISION
);

CREATE TABLE QEMStudentPracticums (
    pracID          INTEGER      NOT NULL PRIMARY KEY,
    student_ID      INTEGER      NOT NULL REFERENCES QEMStudents (student_ID),
    completed       SMALLINT     NOT NULL DEFAULT 0
);

-- The version of every stored set (the requirements of an object and context,
-- the students excepted from them): raised by one in the transaction of each
-- save, with who saved it and when. setkey: "<kind>/<object>/<context>/<secondary>"
-- for requirements, "exceptions/<kind>/<object>/<context>/<extra key>".
CREATE TABLE QEMSetVersion (
    setkey          VARCHAR(200) NOT NULL PRIMARY KEY,
    version         INTEGER      NOT NULL,
    savedby         VARCHAR(100),
    saveddate       TIMESTAMP
);

-- Every save of a set keeps the version it replaced: for version <version> of
-- <setkey>, who saved it, when, a one-line summary of the change and, for a
-- list of excepted students, the list as it was before (version - 1) in its
-- file form. A requirement set keeps its rows in QEMSetHistoryRow instead.
-- The file comes last: a list of versions never reads it.
CREATE TABLE QEMSetHistory (
    setkey          VARCHAR(200) NOT NULL,
    version         INTEGER      NOT NULL,
    savedby         VARCHAR(100),
    saveddate       TIMESTAMP,
    summary         VARCHAR(1000),
    replaced        TEXT,
    PRIMARY KEY (setkey, version)
);

-- A list of versions reads this index alone, never the rows with their files.
CREATE INDEX ix_sethistory_list ON QEMSetHistory (setkey, version, saveddate, savedby, summary);

-- The requirement rows of a set as they were before the save that made
-- <version> of <setkey>: the rows of QEMObjectConstraint, copied as they are
-- by the save, so that a save never writes them out as a file.
CREATE TABLE QEMSetHistoryRow (
    setkey          VARCHAR(200) NOT NULL,
    version         INTEGER      NOT NULL,
    ocID            INTEGER      NOT NULL,
    contypeID       INTEGER      NOT NULL,
    conobject       INTEGER      NOT NULL,
    objID           INTEGER,
    secobjID        VARCHAR(20),
    conID           SMALLINT     NOT NULL,
    conoperator     INTEGER,
    conoptval1      VARCHAR(255),
    conoptval2      VARCHAR(255),
    conoptval3      VARCHAR(20),
    conoptval4      VARCHAR(50),
    conoptval5      VARCHAR(255),
    conoptval6      VARCHAR(20),
    conoptval7      VARCHAR(1000),
    conoptval8      VARCHAR(255),
    conoptval9      VARCHAR(255),
    conoptval10     VARCHAR(255),
    conoptval11     VARCHAR(255),
    conoptval12     VARCHAR(255),
    conselobjIDs    VARCHAR(1000),
    coneval         VARCHAR(4000),
    conlabel        VARCHAR(40),
    AltID           INTEGER,
    AltKey          VARCHAR(50),
    RowGuid         VARCHAR(38),
    ModifiedDate    TIMESTAMP,
    PRIMARY KEY (setkey, version, ocID)
);

-- A save gives new requirements ids no requirement ever had: it asks the kept versions for theirs.
CREATE INDEX ix_sethistoryrow_id ON QEMSetHistoryRow (ocID);
CREATE INDEX ix_students_programme ON QEMStudents (progrspoud_ID);
-- Data files name a student and a course by their codes within their department.
CREATE INDEX ix_students_code ON QEMStudents (department_ID, spec_aem);
CREATE INDEX ix_courses_department ON QEMCourses (depID, coursecode);
CREATE INDEX ix_programme_courses ON QEMDepProgramCourses (prID, courseID);
-- A record is read student by student: each table in student order.
CREATE INDEX ix_results_student ON QEMStudentResults (student_ID, resID);
CREATE INDEX ix_enrolments_student ON QEMStudentEnrolments (student_ID, enrID);
CREATE INDEX ix_projects_student ON QEMStudentProjects (student_ID, prjID);
CREATE INDEX ix_practicums_student ON QEMStudentPracticums (student_ID, pracID);

CREATE VIEW v_students AS
SELECT s.student_ID, s.spec_aem, s.lastname, s.firstname, s.fathername,
       s.gender, s.email, s.department_ID, d.depname, s.progrspoud_ID,
       p.prtitle, s.orient_ID, o.ordescription, s.sector, s.statusID,
       s.exam_ID, s.in_modeID, s.in_year, s.in_exam_ID, s.in_period_ID,
       s.sc_apofYear, s.sc_arseiras, s.or_ptyhgrade, s.studrate, s.or_date
FROM QEMStudents s
JOIN QEMDepartments d ON d.depID = s.department_ID
JOIN QEMDepPrograms p ON p.prID = s.progrspoud_ID
LEFT JOIN QEMDPOrientation o ON o.orID = s.orient_ID;
