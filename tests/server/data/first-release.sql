-- A database as the first release of zrreq made it: its schema, and part of its sample department
-- (the code tables, both programmes, the first 50 courses and students, every requirement row).
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
    ects            DOUBLE PRECISION
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

CREATE INDEX ix_students_programme ON QEMStudents (progrspoud_ID);
CREATE INDEX ix_courses_department ON QEMCourses (depID);
CREATE INDEX ix_programme_courses ON QEMDepProgramCourses (prID);

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

INSERT INTO QEMDepartments (depID, depname, depname_en, depschool, local, curyear, curtermID) VALUES
  ('105', 'Τμήμα Μηχανικών Η/Υ και Πληροφορικής', 'Computer Engineering and Informatics Department', 'Πολυτεχνική Σχολή', -1, 2024, 1),
  ('120', 'Τμήμα Μαθηματικών', 'Department of Mathematics', 'Σχολή Θετικών Επιστημών', 0, 2024, 1);

INSERT INTO SYS_CourseType (ctypeID, ctypedesc, ctypeabbr) VALUES
  (1, 'Υποχρεωτικό', 'ΥΠ'),
  (2, 'Κατ'' επιλογήν υποχρεωτικό', 'ΚΕΥ'),
  (3, 'Ελεύθερης επιλογής', 'ΕΕ'),
  (4, 'Εργαστηριακό', 'ΕΡΓ'),
  (5, 'Διπλωματική εργασία', 'ΔΕ'),
  (6, 'Πρακτική άσκηση', 'ΠΑ'),
  (7, 'Ξένη γλώσσα', 'ΞΓ');

INSERT INTO SYS_semesters (semID, semshort, semlong) VALUES
  (1, 'Α΄', 'Πρώτο εξάμηνο'),
  (2, 'Β΄', 'Δεύτερο εξάμηνο'),
  (3, 'Γ΄', 'Τρίτο εξάμηνο'),
  (4, 'Δ΄', 'Τέταρτο εξάμηνο'),
  (5, 'Ε΄', 'Πέμπτο εξάμηνο'),
  (6, 'ΣΤ΄', 'Έκτο εξάμηνο'),
  (7, 'Ζ΄', 'Έβδομο εξάμηνο'),
  (8, 'Η΄', 'Όγδοο εξάμηνο'),
  (9, 'Θ΄', 'Ένατο εξάμηνο'),
  (10, 'Ι΄', 'Δέκατο εξάμηνο');

INSERT INTO SYS_terms (termID, termDesc, termlong) VALUES
  (1, 'ΧΕΙΜ', 'Χειμερινό εξάμηνο'),
  (2, 'ΕΑΡ', 'Εαρινό εξάμηνο');

INSERT INTO SYS_ExamPeriod (epID, epdescr, epshort, termID) VALUES
  (1, 'Εξεταστική Ιανουαρίου - Φεβρουαρίου', 'ΙΑΝ', 1),
  (2, 'Εξεταστική Ιουνίου', 'ΙΟΥΝ', 2),
  (3, 'Επαναληπτική εξεταστική Σεπτεμβρίου', 'ΣΕΠ', NULL);

INSERT INTO SYS_ERGASIA_TYPE (ID, descr) VALUES
  (1, 'Διπλωματική εργασία'),
  (2, 'Πτυχιακή εργασία'),
  (3, 'Εξαμηνιαία εργασία'),
  (4, 'Ερευνητική εργασία');

INSERT INTO SYS_Dep_CourseSector (sectorID, depID, coursesector) VALUES
  (1, '105', 'Τομέας Λογισμικού'),
  (2, '105', 'Τομέας Υλικού και Αρχιτεκτονικής Υπολογιστών'),
  (3, '105', 'Τομέας Θεωρητικής Πληροφορικής'),
  (4, '105', 'Τομέας Εφαρμογών Πληροφορικής');

INSERT INTO SYS_Dep_CourseArea (areaID, depID, coursearea) VALUES
  (1, '105', 'Προγραμματισμός'),
  (2, '105', 'Βάσεις Δεδομένων'),
  (3, '105', 'Δίκτυα Υπολογιστών'),
  (4, '105', 'Αλγόριθμοι'),
  (5, '105', 'Μαθηματικά'),
  (6, '105', 'Αρχιτεκτονική Υπολογιστών'),
  (7, '105', 'Τεχνητή Νοημοσύνη'),
  (8, '105', 'Ηλεκτρονική'),
  (9, '105', 'Τηλεπικοινωνίες'),
  (10, '105', 'Γραφικά');

INSERT INTO SYS_Dep_SectionCategories (sectcatID, depID, sectcatdescr) VALUES
  (1, '105', 'Τμήμα θεωρίας'),
  (2, '105', 'Εργαστηριακό τμήμα'),
  (3, '105', 'Φροντιστηριακό τμήμα'),
  (4, '105', 'Τμήμα επαναληπτών');

INSERT INTO SYS_CourseCategory (categoryID, coursecategory) VALUES
  (1, 'Μάθημα γενικού υποβάθρου'),
  (2, 'Μάθημα ειδικού υποβάθρου'),
  (3, 'Μάθημα ειδίκευσης'),
  (4, 'Μάθημα ανάπτυξης δεξιοτήτων');

INSERT INTO SYS_EntryModes (in_modeID, modedescr) VALUES
  (1, 'Πανελλαδικές εξετάσεις'),
  (2, 'Κατατακτήριες εξετάσεις'),
  (3, 'Μετεγγραφή'),
  (4, 'Αλλοδαποί - Ομογενείς'),
  (5, 'Δεύτερο πτυχίο');

INSERT INTO SYS_StudentStatus (statusID, statusdescr) VALUES
  (1, 'Ενεργός'),
  (2, 'Πτυχιούχος'),
  (3, 'Διαγραμμένος'),
  (4, 'Σε αναστολή φοίτησης');

INSERT INTO SYS_ConstraintTypes (conID, conshortdesc, conlongdesc) VALUES
  (10, 'Στ Φοιτ', 'Στοιχεία Φοιτητή'),
  (20, 'Προαπ Γν Αντικ', 'Προαπαιτούμενο γνωστικό αντικείμενο'),
  (30, 'Προαπ Μαθ', 'Προαπαιτούμενο μάθημα'),
  (40, 'Τύπ Μαθ', 'Τύπος μαθήματος'),
  (50, 'Ομάδα Μαθ', 'Ομάδα μαθήματος'),
  (60, 'Ολοκλ Εργ', 'Ολοκληρωμένες εργασίες'),
  (70, 'Ολοκλ Πρακτ Ασκ', 'Ολοκληρωμένες πρακτικές ασκήσεις'),
  (80, 'ΜΟ Βαθμ εξαμ', 'Μέσος όρος βαθμολογίας ανά εξάμηνα μαθημάτων'),
  (90, 'ΜΟ Βαθμ έτους', 'Μέσος όρος βαθμολογίας ανά ακαδημαϊκό έτος'),
  (100, 'Δήλ Μαθ', 'Δήλωση μαθήματος'),
  (110, 'Χαρακ Μαθ', 'Χαρακτηρισμός μαθήματος'),
  (120, 'Τομ Μαθ', 'Τομέας μαθήματος'),
  (130, 'Προαπ κατηγ τμήματος', 'Προαπαιτούμενη κατηγορία τμήματος τάξης');

INSERT INTO QEMDepPrograms (prID, prdepID, prtitle, prtitle_en, prshort, prsemesters, prects, prstartyear, practive) VALUES
  (1, '105', 'Προπτυχιακό Πρόγραμμα Σπουδών Μηχανικών Η/Υ και Πληροφορικής', 'Undergraduate Programme in Computer Engineering and Informatics', 'ΠΠΣ', 10, 300, 2010, -1),
  (2, '105', 'Πρόγραμμα Μεταπτυχιακών Σπουδών «Επιστήμη και Τεχνολογία των Υπολογιστών»', 'Postgraduate Programme in Computer Science and Technology', 'ΠΜΣ', 4, 120, 2015, -1);

INSERT INTO QEMDPOrientation (orID, prID, ordescription, orshort) VALUES
  (11, 1, 'Λογισμικό και Πληροφοριακά Συστήματα', 'ΛΟΓ'),
  (12, 1, 'Υλικό και Αρχιτεκτονική Υπολογιστών', 'ΥΛΙΚ'),
  (13, 1, 'Θεωρητική Πληροφορική', 'ΘΕΩΡ'),
  (21, 2, 'Γενική κατεύθυνση', 'ΓΕΝ');

INSERT INTO QEMDPGroup (dgID, prID, groupID, dgname, dgtypeID, dgsemester, dgmincourses) VALUES
  (1, 1, 'Ο1', 'Κορμός', 1, NULL, NULL),
  (2, 1, 'Ο2', 'Ομάδα μαθημάτων Λογισμικού', 2, 7, 3),
  (3, 1, 'Ο3', 'Ομάδα μαθημάτων Υλικού', 2, 7, 3),
  (4, 1, 'Ο4', 'Ομάδα μαθημάτων Θεωρίας', 2, 7, 3),
  (5, 1, 'Ο5', 'Ομάδα ελεύθερων επιλογών', 3, 9, 2),
  (6, 2, 'Μ1', 'Υποχρεωτικά μαθήματα ΠΜΣ', 1, NULL, NULL),
  (7, 2, 'Μ2', 'Ευφυή Συστήματα', 2, 2, 2),
  (8, 2, 'Μ3', 'Δίκτυα και Κατανεμημένα Συστήματα', 2, 2, 2);

INSERT INTO QEMCourses (courseID, depID, coursecode, title, title_en, coursetype, cshared, ctypeID, semID, areaID, sectorID, categoryID, credits, hours, ects, cactive) VALUES
  (1, '105', 'ΜΗΥ101', 'Μαθηματικά I', NULL, 1, 0, 1, 1, 5, 3, 1, 4, 4, 5, -1),
  (2, '105', 'ΜΗΥ102', 'Φυσική', NULL, 1, 0, 1, 1, 8, 2, 1, 4, 4, 5, -1),
  (3, '105', 'ΜΗΥ103', 'Εισαγωγή στον Προγραμματισμό', NULL, 1, 0, 1, 1, 1, 1, 1, 4, 4, 5, -1),
  (4, '105', 'ΜΗΥ104', 'Διακριτά Μαθηματικά', NULL, 1, 0, 1, 1, 5, 3, 1, 4, 4, 5, -1),
  (5, '105', 'ΜΗΥ105', 'Εισαγωγή στους Υπολογιστές', NULL, 1, 0, 1, 1, 6, 2, 1, 4, 4, 5, -1),
  (6, '105', 'ΜΗΥ106', 'Αγγλική Γλώσσα I', NULL, 1, 0, 7, 1, NULL, NULL, 4, 2, 3, 2, -1),
  (7, '105', 'ΜΗΥ207', 'Μαθηματικά II', NULL, 1, 0, 1, 2, 5, 3, 1, 4, 4, 5, -1),
  (8, '105', 'ΜΗΥ208', 'Γραμμική Άλγεβρα', NULL, 1, 0, 1, 2, 5, 3, 1, 4, 4, 5, -1),
  (9, '105', 'ΜΗΥ209', 'Αντικειμενοστρεφής Προγραμματισμός', NULL, 1, 0, 1, 2, 1, 1, 2, 4, 4, 5, -1),
  (10, '105', 'ΜΗΥ210', 'Ψηφιακή Σχεδίαση I', NULL, 1, 0, 1, 2, 6, 2, 2, 4, 4, 5, -1),
  (11, '105', 'ΜΗΥ211', 'Ηλεκτρικά Κυκλώματα', NULL, 1, 0, 1, 2, 8, 2, 1, 4, 4, 5, -1),
  (12, '105', 'ΜΗΥ212', 'Αγγλική Γλώσσα II', NULL, 1, 0, 7, 2, NULL, NULL, 4, 2, 3, 2, -1),
  (13, '105', 'ΜΗΥ313', 'Πιθανότητες και Στατιστική', NULL, 1, 0, 1, 3, 5, 3, 1, 4, 4, 5, -1),
  (14, '105', 'ΜΗΥ314', 'Δομές Δεδομένων', NULL, 1, 0, 1, 3, 4, 3, 2, 4, 4, 5, -1),
  (15, '105', 'ΜΗΥ315', 'Ψηφιακή Σχεδίαση II', NULL, 1, 0, 1, 3, 6, 2, 2, 4, 4, 5, -1),
  (16, '105', 'ΜΗΥ316', 'Ηλεκτρονική I', NULL, 1, 0, 1, 3, 8, 2, 2, 4, 4, 5, -1),
  (17, '105', 'ΜΗΥ317', 'Αριθμητική Ανάλυση', NULL, 1, 0, 1, 3, 5, 3, 1, 4, 4, 5, -1),
  (18, '105', 'ΜΗΥ318', 'Εργαστήριο Λογικών Κυκλωμάτων', NULL, 1, 0, 4, 3, 6, 2, 4, 3, 4, 5, -1),
  (19, '105', 'ΜΗΥ419', 'Αρχιτεκτονική Υπολογιστών I', NULL, 1, 0, 1, 4, 6, 2, 2, 4, 4, 5, -1),
  (20, '105', 'ΜΗΥ420', 'Αλγόριθμοι και Πολυπλοκότητα', NULL, 1, 0, 1, 4, 4, 3, 2, 4, 4, 5, -1),
  (21, '105', 'ΜΗΥ421', 'Σήματα και Συστήματα', NULL, 1, 0, 1, 4, 9, 2, 2, 4, 4, 5, -1),
  (22, '105', 'ΜΗΥ422', 'Θεωρία Υπολογισμού', NULL, 1, 0, 1, 4, 4, 3, 2, 4, 4, 5, -1),
  (23, '105', 'ΜΗΥ423', 'Αρχές Γλωσσών Προγραμματισμού', NULL, 1, 0, 1, 4, 1, 1, 2, 4, 4, 5, -1),
  (24, '105', 'ΜΗΥ424', 'Εργαστήριο Μικροϋπολογιστών', NULL, 1, 0, 4, 4, 6, 2, 4, 3, 4, 5, -1),
  (25, '105', 'ΜΗΥ525', 'Λειτουργικά Συστήματα', NULL, 1, 0, 1, 5, 1, 1, 2, 4, 4, 5, -1),
  (26, '105', 'ΜΗΥ526', 'Βάσεις Δεδομένων', NULL, 1, 0, 1, 5, 2, 1, 2, 4, 4, 5, -1),
  (27, '105', 'ΜΗΥ527', 'Δίκτυα Υπολογιστών I', NULL, 1, 0, 1, 5, 3, 4, 2, 4, 4, 5, -1),
  (28, '105', 'ΜΗΥ528', 'Τεχνολογία Λογισμικού', NULL, 1, 0, 1, 5, 1, 1, 2, 4, 4, 5, -1),
  (29, '105', 'ΜΗΥ529', 'Αρχιτεκτονική Υπολογιστών II', NULL, 1, 0, 1, 5, 6, 2, 3, 4, 4, 5, -1),
  (30, '105', 'ΜΗΥ530', 'Εργαστήριο Λειτουργικών Συστημάτων', NULL, 1, 0, 4, 5, 1, 1, 4, 3, 4, 5, -1),
  (31, '105', 'ΜΗΥ631', 'Μεταγλωττιστές', NULL, 1, 0, 1, 6, 1, 1, 3, 4, 4, 5, -1),
  (32, '105', 'ΜΗΥ632', 'Δίκτυα Υπολογιστών II', NULL, 1, 0, 1, 6, 3, 4, 3, 4, 4, 5, -1),
  (33, '105', 'ΜΗΥ633', 'Τεχνητή Νοημοσύνη', NULL, 1, 0, 1, 6, 7, 3, 3, 4, 4, 5, -1),
  (34, '105', 'ΜΗΥ634', 'Ψηφιακές Επικοινωνίες', NULL, 1, 0, 1, 6, 9, 2, 3, 4, 4, 5, -1),
  (35, '105', 'ΜΗΥ635', 'Κατανεμημένα Συστήματα', NULL, 1, 0, 1, 6, 3, 1, 3, 4, 4, 5, -1),
  (36, '105', 'ΜΗΥ636', 'Εργαστήριο Δικτύων', NULL, 1, 0, 4, 6, 3, 4, 4, 3, 4, 5, -1),
  (37, '105', 'ΜΗΥ737', 'Ανάκτηση Πληροφορίας', NULL, 1, 0, 2, 7, 2, 1, 3, 4, 4, 5, -1),
  (38, '105', 'ΜΗΥ738', 'Μηχανική Μάθηση', NULL, 1, 0, 2, 7, 7, 3, 3, 4, 4, 5, -1),
  (39, '105', 'ΜΗΥ739', 'Ασφάλεια Υπολογιστικών Συστημάτων', NULL, 1, 0, 2, 7, 3, 4, 3, 4, 4, 5, -1),
  (40, '105', 'ΜΗΥ740', 'Γραφικά Υπολογιστών', NULL, 1, 0, 2, 7, 10, 4, 3, 4, 4, 5, -1),
  (41, '105', 'ΜΗΥ741', 'Ενσωματωμένα Συστήματα', NULL, 1, 0, 2, 7, 6, 2, 3, 4, 4, 5, -1),
  (42, '105', 'ΜΗΥ742', 'Σχεδίαση Συστημάτων VLSI', NULL, 1, 0, 2, 7, 8, 2, 3, 4, 4, 5, -1),
  (43, '105', 'ΜΗΥ743', 'Κρυπτογραφία', NULL, 1, 0, 2, 7, 4, 3, 3, 4, 4, 5, -1),
  (44, '105', 'ΜΗΥ744', 'Υπολογιστική Γεωμετρία', NULL, 1, 0, 2, 7, 4, 3, 3, 4, 4, 5, -1),
  (45, '105', 'ΜΗΥ745', 'Παράλληλοι Υπολογισμοί', NULL, 1, 0, 2, 7, 6, 2, 3, 4, 4, 5, -1),
  (46, '105', 'ΜΗΥ746', 'Ανάπτυξη Διαδικτυακών Εφαρμογών', NULL, 1, 0, 2, 7, 1, 4, 4, 4, 4, 5, -1),
  (47, '105', 'ΜΗΥ847', 'Συστήματα Διαχείρισης Βάσεων Δεδομένων', NULL, 1, 0, 2, 8, 2, 1, 3, 4, 4, 5, -1),
  (48, '105', 'ΜΗΥ848', 'Όραση Υπολογιστών', NULL, 1, 0, 2, 8, 7, 3, 3, 4, 4, 5, -1),
  (49, '105', 'ΜΗΥ849', 'Ασύρματα Δίκτυα', NULL, 1, 0, 2, 8, 3, 4, 3, 4, 4, 5, -1),
  (50, '105', 'ΜΗΥ850', 'Επεξεργασία Φυσικής Γλώσσας', NULL, 1, 0, 2, 8, 7, 3, 3, 4, 4, 5, -1);

INSERT INTO QEMDepProgramCourses (pcID, prID, courseID, coursecode, title, coursetype, ctypeID, semID, dgID, orID, credits, hours, ects) VALUES
  (1, 1, 1, 'ΜΗΥ101', 'Μαθηματικά I', 1, 1, 1, 1, NULL, 4, 4, 5),
  (2, 1, 2, 'ΜΗΥ102', 'Φυσική', 1, 1, 1, 1, NULL, 4, 4, 5),
  (3, 1, 3, 'ΜΗΥ103', 'Εισαγωγή στον Προγραμματισμό', 1, 1, 1, 1, NULL, 4, 4, 5),
  (4, 1, 4, 'ΜΗΥ104', 'Διακριτά Μαθηματικά', 1, 1, 1, 1, NULL, 4, 4, 5),
  (5, 1, 5, 'ΜΗΥ105', 'Εισαγωγή στους Υπολογιστές', 1, 1, 1, 1, NULL, 4, 4, 5),
  (6, 1, 6, 'ΜΗΥ106', 'Αγγλική Γλώσσα I', 1, 7, 1, 1, NULL, 2, 3, 2),
  (7, 1, 7, 'ΜΗΥ207', 'Μαθηματικά II', 1, 1, 2, 1, NULL, 4, 4, 5),
  (8, 1, 8, 'ΜΗΥ208', 'Γραμμική Άλγεβρα', 1, 1, 2, 1, NULL, 4, 4, 5),
  (9, 1, 9, 'ΜΗΥ209', 'Αντικειμενοστρεφής Προγραμματισμός', 1, 1, 2, 1, NULL, 4, 4, 5),
  (10, 1, 10, 'ΜΗΥ210', 'Ψηφιακή Σχεδίαση I', 1, 1, 2, 1, NULL, 4, 4, 5),
  (11, 1, 11, 'ΜΗΥ211', 'Ηλεκτρικά Κυκλώματα', 1, 1, 2, 1, NULL, 4, 4, 5),
  (12, 1, 12, 'ΜΗΥ212', 'Αγγλική Γλώσσα II', 1, 7, 2, 1, NULL, 2, 3, 2),
  (13, 1, 13, 'ΜΗΥ313', 'Πιθανότητες και Στατιστική', 1, 1, 3, 1, NULL, 4, 4, 5),
  (14, 1, 14, 'ΜΗΥ314', 'Δομές Δεδομένων', 1, 1, 3, 1, NULL, 4, 4, 5),
  (15, 1, 15, 'ΜΗΥ315', 'Ψηφιακή Σχεδίαση II', 1, 1, 3, 1, NULL, 4, 4, 5),
  (16, 1, 16, 'ΜΗΥ316', 'Ηλεκτρονική I', 1, 1, 3, 1, NULL, 4, 4, 5),
  (17, 1, 17, 'ΜΗΥ317', 'Αριθμητική Ανάλυση', 1, 1, 3, 1, NULL, 4, 4, 5),
  (18, 1, 18, 'ΜΗΥ318', 'Εργαστήριο Λογικών Κυκλωμάτων', 1, 4, 3, 1, NULL, 3, 4, 5),
  (19, 1, 19, 'ΜΗΥ419', 'Αρχιτεκτονική Υπολογιστών I', 1, 1, 4, 1, NULL, 4, 4, 5),
  (20, 1, 20, 'ΜΗΥ420', 'Αλγόριθμοι και Πολυπλοκότητα', 1, 1, 4, 1, NULL, 4, 4, 5),
  (21, 1, 21, 'ΜΗΥ421', 'Σήματα και Συστήματα', 1, 1, 4, 1, NULL, 4, 4, 5),
  (22, 1, 22, 'ΜΗΥ422', 'Θεωρία Υπολογισμού', 1, 1, 4, 1, NULL, 4, 4, 5),
  (23, 1, 23, 'ΜΗΥ423', 'Αρχές Γλωσσών Προγραμματισμού', 1, 1, 4, 1, NULL, 4, 4, 5),
  (24, 1, 24, 'ΜΗΥ424', 'Εργαστήριο Μικροϋπολογιστών', 1, 4, 4, 1, NULL, 3, 4, 5),
  (25, 1, 25, 'ΜΗΥ525', 'Λειτουργικά Συστήματα', 1, 1, 5, 1, NULL, 4, 4, 5),
  (26, 1, 26, 'ΜΗΥ526', 'Βάσεις Δεδομένων', 1, 1, 5, 1, NULL, 4, 4, 5),
  (27, 1, 27, 'ΜΗΥ527', 'Δίκτυα Υπολογιστών I', 1, 1, 5, 1, NULL, 4, 4, 5),
  (28, 1, 28, 'ΜΗΥ528', 'Τεχνολογία Λογισμικού', 1, 1, 5, 1, NULL, 4, 4, 5),
  (29, 1, 29, 'ΜΗΥ529', 'Αρχιτεκτονική Υπολογιστών II', 1, 1, 5, 1, NULL, 4, 4, 5),
  (30, 1, 30, 'ΜΗΥ530', 'Εργαστήριο Λειτουργικών Συστημάτων', 1, 4, 5, 1, NULL, 3, 4, 5),
  (31, 1, 31, 'ΜΗΥ631', 'Μεταγλωττιστές', 1, 1, 6, 1, NULL, 4, 4, 5),
  (32, 1, 32, 'ΜΗΥ632', 'Δίκτυα Υπολογιστών II', 1, 1, 6, 1, NULL, 4, 4, 5),
  (33, 1, 33, 'ΜΗΥ633', 'Τεχνητή Νοημοσύνη', 1, 1, 6, 1, NULL, 4, 4, 5),
  (34, 1, 34, 'ΜΗΥ634', 'Ψηφιακές Επικοινωνίες', 1, 1, 6, 1, NULL, 4, 4, 5),
  (35, 1, 35, 'ΜΗΥ635', 'Κατανεμημένα Συστήματα', 1, 1, 6, 1, NULL, 4, 4, 5),
  (36, 1, 36, 'ΜΗΥ636', 'Εργαστήριο Δικτύων', 1, 4, 6, 1, NULL, 3, 4, 5),
  (37, 1, 37, 'ΜΗΥ737', 'Ανάκτηση Πληροφορίας', 1, 2, 7, 2, 11, 4, 4, 5),
  (38, 1, 38, 'ΜΗΥ738', 'Μηχανική Μάθηση', 1, 2, 7, 4, 13, 4, 4, 5),
  (39, 1, 39, 'ΜΗΥ739', 'Ασφάλεια Υπολογιστικών Συστημάτων', 1, 2, 7, 2, 11, 4, 4, 5),
  (40, 1, 40, 'ΜΗΥ740', 'Γραφικά Υπολογιστών', 1, 2, 7, 2, 11, 4, 4, 5),
  (41, 1, 41, 'ΜΗΥ741', 'Ενσωματωμένα Συστήματα', 1, 2, 7, 3, 12, 4, 4, 5),
  (42, 1, 42, 'ΜΗΥ742', 'Σχεδίαση Συστημάτων VLSI', 1, 2, 7, 3, 12, 4, 4, 5),
  (43, 1, 43, 'ΜΗΥ743', 'Κρυπτογραφία', 1, 2, 7, 4, 13, 4, 4, 5),
  (44, 1, 44, 'ΜΗΥ744', 'Υπολογιστική Γεωμετρία', 1, 2, 7, 4, 13, 4, 4, 5),
  (45, 1, 45, 'ΜΗΥ745', 'Παράλληλοι Υπολογισμοί', 1, 2, 7, 3, 12, 4, 4, 5),
  (46, 1, 46, 'ΜΗΥ746', 'Ανάπτυξη Διαδικτυακών Εφαρμογών', 1, 2, 7, 2, 11, 4, 4, 5),
  (47, 1, 47, 'ΜΗΥ847', 'Συστήματα Διαχείρισης Βάσεων Δεδομένων', 1, 2, 8, 2, 11, 4, 4, 5),
  (48, 1, 48, 'ΜΗΥ848', 'Όραση Υπολογιστών', 1, 2, 8, 4, 13, 4, 4, 5),
  (49, 1, 49, 'ΜΗΥ849', 'Ασύρματα Δίκτυα', 1, 2, 8, 2, 11, 4, 4, 5),
  (50, 1, 50, 'ΜΗΥ850', 'Επεξεργασία Φυσικής Γλώσσας', 1, 2, 8, 4, 13, 4, 4, 5);

INSERT INTO QEMStudents (student_ID, spec_aem, lastname, firstname, fathername, gender, birthdate, email, department_ID, progrspoud_ID, orient_ID, sector, statusID, exam_ID, in_modeID, in_year, in_exam_ID, in_period_ID, sc_apofYear, sc_arseiras, or_ptyhgrade, studrate, or_date) VALUES
  (1, '1001007', 'Χατζηδάκη', 'Χαρίκλεια', 'Παναγιώτης', 'Θ', '2000-01-07', 'st1000001@upnet.gr', '105', 1, 12, 2, 2, 13, 2, 2018, 1, 1, 2024, 2, 6.02, 5.98, '2024-07-09'),
  (2, '1001014', 'Ραφαηλίδης', 'Γεώργιος', 'Ιωάννης', 'Α', '2004-06-02', 'st1000002@upnet.gr', '105', 1, NULL, NULL, 1, 6, 4, 2022, 1, 1, NULL, NULL, NULL, 6.16, NULL),
  (3, '1001021', 'Αλεξίου', 'Ιωάννα', 'Νικόλαος', 'Θ', '1997-05-21', 'st1000003@upnet.gr', '105', 1, 12, 2, 2, 16, 1, 2015, 1, 1, 2022, 4, 9.24, 8.78, '2022-10-15'),
  (4, '1001028', 'Παπανικολάου', 'Αγγελική', 'Σπυρίδων', 'Θ', '2005-10-23', 'st1000004@upnet.gr', '105', 1, NULL, NULL, 1, 4, 1, 2023, 1, 1, NULL, NULL, NULL, 6.63, NULL),
  (5, '1001035', 'Μακρής', 'Σπυρίδων', 'Γεώργιος', 'Α', '2006-10-16', 'st1000005@upnet.gr', '105', 1, NULL, NULL, 1, 2, 3, 2024, 1, 1, NULL, NULL, NULL, 5.76, NULL),
  (6, '1001042', 'Χριστοδούλου', 'Νικόλαος', 'Αντώνιος', 'Α', '2001-03-14', 'st1000006@upnet.gr', '105', 1, 11, 1, 2, 11, 1, 2019, 1, 1, 2024, 7, 7.45, 8.87, '2024-03-02'),
  (7, '1001049', 'Αντωνίου', 'Ευάγγελος', 'Δημήτριος', 'Α', '1999-10-09', 'st1000007@upnet.gr', '105', 1, 13, 3, 1, 15, 3, 2017, 1, 1, NULL, NULL, NULL, 6.37, NULL),
  (8, '1001056', 'Μιχαηλίδης', 'Σπυρίδων', 'Δημήτριος', 'Α', '1997-02-17', 'st1000008@upnet.gr', '105', 1, 11, 1, 2, 16, 1, 2015, 1, 1, 2021, 9, 6.87, 8.8, '2021-03-11'),
  (9, '1001063', 'Φραγκιαδάκης', 'Φώτιος', 'Παναγιώτης', 'Α', '1995-08-19', 'st1000009@upnet.gr', '105', 1, 11, 1, 1, 16, 1, 2013, 1, 1, NULL, NULL, NULL, 6.4, NULL),
  (10, '1001070', 'Κυριακίδης', 'Στέφανος', 'Φώτιος', 'Α', '2003-01-15', 'st1000010@upnet.gr', '105', 1, 12, 2, 1, 7, 4, 2021, 1, 1, NULL, NULL, NULL, 9.47, NULL),
  (11, '1001077', 'Μιχαηλίδου', 'Αικατερίνη', 'Σπυρίδων', 'Θ', '2000-07-08', 'st1000011@upnet.gr', '105', 1, 11, 1, 1, 14, 1, 2018, 1, 1, NULL, NULL, NULL, 7.98, NULL),
  (12, '1001084', 'Τσιρίγος', 'Αναστάσιος', 'Θεόδωρος', 'Α', '2006-10-09', 'st1000012@upnet.gr', '105', 1, NULL, NULL, 1, 2, 5, 2024, 1, 1, NULL, NULL, NULL, 7.94, NULL),
  (13, '1001091', 'Αλεξίου', 'Μαρία', 'Ηλίας', 'Θ', '1998-06-27', 'st1000013@upnet.gr', '105', 1, 13, 3, 1, 16, 1, 2016, 1, 1, NULL, NULL, NULL, 5.27, NULL),
  (14, '1001098', 'Χατζηδάκης', 'Φώτιος', 'Φώτιος', 'Α', '2000-12-11', 'st1000014@upnet.gr', '105', 1, 11, 1, 2, 13, 1, 2018, 1, 2, 2024, 15, 6.79, 8.25, '2024-10-24'),
  (15, '1001105', 'Αλεξίου', 'Αναστάσιος', 'Σπυρίδων', 'Α', '1996-10-10', 'st1000015@upnet.gr', '105', 1, 13, 3, 2, 16, 1, 2014, 1, 1, 2021, 16, 9.12, 7.13, '2021-07-27'),
  (16, '1001112', 'Σαββίδης', 'Δημήτριος', 'Αντώνιος', 'Α', '2000-09-11', 'st1000016@upnet.gr', '105', 1, 11, 1, 2, 13, 1, 2018, 1, 1, 2023, 17, 7.73, 9.43, '2023-07-04'),
  (17, '1001119', 'Ντόκου', 'Ευαγγελία', 'Άγγελος', 'Θ', '2003-10-08', 'st1000017@upnet.gr', '105', 1, 13, 3, 1, 7, 1, 2021, 1, 1, NULL, NULL, NULL, 5.62, NULL),
  (18, '1001126', 'Λαμπροπούλου', 'Ζωή', 'Άγγελος', 'Θ', '2001-04-24', 'st1000018@upnet.gr', '105', 1, 12, 2, 1, 12, 5, 2019, 1, 1, NULL, NULL, NULL, 6.49, NULL),
  (19, '1001133', 'Χατζηδάκη', 'Ιωάννα', 'Άγγελος', 'Θ', '1999-04-07', 'st1000019@upnet.gr', '105', 1, 11, 1, 2, 16, 4, 2017, 1, 1, 2023, 20, 6.36, 8.31, '2023-07-02'),
  (20, '1001140', 'Παπανικολάου', 'Αναστασία', 'Αναστάσιος', 'Θ', '1996-01-03', 'st1000020@upnet.gr', '105', 1, 12, 2, 2, 16, 1, 2014, 1, 1, 2019, 21, 8.73, 8.06, '2019-07-27'),
  (21, '1001147', 'Αθανασίου', 'Θεοδώρα', 'Ευάγγελος', 'Θ', '1998-11-05', 'st1000021@upnet.gr', '105', 1, 11, 1, 1, 16, 1, 2016, 1, 1, NULL, NULL, NULL, 9.17, NULL),
  (22, '1001154', 'Παπαγεωργίου', 'Ιωάννης', 'Βασίλειος', 'Α', '1998-06-12', 'st1000022@upnet.gr', '105', 1, 11, 1, 1, 16, 4, 2016, 1, 2, NULL, NULL, NULL, 8.64, NULL),
  (23, '1001161', 'Παπαγεωργίου', 'Αναστάσιος', 'Αναστάσιος', 'Α', '2000-01-01', 'st1000023@upnet.gr', '105', 1, 13, 3, 2, 13, 1, 2018, 1, 1, 2025, 24, 7.69, 5.08, '2025-10-21'),
  (24, '1001168', 'Ιωαννίδης', 'Σπυρίδων', 'Θεόδωρος', 'Α', '2001-11-11', 'st1000024@upnet.gr', '105', 1, 12, 2, 2, 11, 5, 2019, 1, 1, 2024, 25, 5.6, 9.41, '2024-10-28'),
  (25, '1001175', 'Ραφαηλίδης', 'Σπυρίδων', 'Ευάγγελος', 'Α', '1997-05-03', 'st1000025@upnet.gr', '105', 1, 12, 2, 1, 16, 1, 2015, 1, 1, NULL, NULL, NULL, 9.46, NULL),
  (26, '1001182', 'Ξενάκη', 'Σοφία', 'Γεώργιος', 'Θ', '2006-05-13', 'st1000026@upnet.gr', '105', 1, NULL, NULL, 1, 2, 1, 2024, 1, 1, NULL, NULL, NULL, 8.74, NULL),
  (27, '1001189', 'Μιχαηλίδης', 'Σπυρίδων', 'Φώτιος', 'Α', '1997-06-28', 'st1000027@upnet.gr', '105', 1, 12, 2, 2, 16, 3, 2015, 1, 1, 2020, 28, 6.6, 7.84, '2020-07-07'),
  (28, '1001196', 'Καραγιάννη', 'Βασιλική', 'Ευάγγελος', 'Θ', '1995-12-28', 'st1000028@upnet.gr', '105', 1, 12, 2, 1, 16, 3, 2013, 1, 1, NULL, NULL, NULL, 9.34, NULL),
  (29, '1001203', 'Αντωνίου', 'Μαρία', 'Κωνσταντίνος', 'Θ', '2000-02-28', 'st1000029@upnet.gr', '105', 1, 11, 1, 1, 13, 4, 2018, 1, 1, NULL, NULL, NULL, 8.66, NULL),
  (30, '1001210', 'Παπαγεωργίου', 'Αθανάσιος', 'Αναστάσιος', 'Α', '2004-12-01', 'st1000030@upnet.gr', '105', 1, NULL, NULL, 1, 5, 4, 2022, 1, 2, NULL, NULL, NULL, 5.72, NULL),
  (31, '1001217', 'Αντωνίου', 'Μιχαήλ', 'Δημήτριος', 'Α', '2003-05-21', 'st1000031@upnet.gr', '105', 1, 12, 2, 1, 8, 3, 2021, 1, 1, NULL, NULL, NULL, 7.22, NULL),
  (32, '1001224', 'Παπανικολάου', 'Αφροδίτη', 'Αναστάσιος', 'Θ', '1996-05-24', 'st1000032@upnet.gr', '105', 1, 11, 1, 2, 16, 5, 2014, 1, 1, 2020, 33, 9.09, 5.63, '2020-07-15'),
  (33, '1001231', 'Δημητρίου', 'Άγγελος', 'Εμμανουήλ', 'Α', '2001-06-28', 'st1000033@upnet.gr', '105', 1, 12, 2, 2, 11, 1, 2019, 1, 1, 2025, 34, 8.73, 7.39, '2025-10-18'),
  (34, '1001238', 'Ιωαννίδου', 'Δέσποινα', 'Μιχαήλ', 'Θ', '1999-05-01', 'st1000034@upnet.gr', '105', 1, 11, 1, 1, 15, 1, 2017, 1, 1, NULL, NULL, NULL, 8.72, NULL),
  (35, '1001245', 'Χατζηδάκη', 'Ελένη', 'Αθανάσιος', 'Θ', '2003-02-27', 'st1000035@upnet.gr', '105', 1, 12, 2, 4, 8, 3, 2021, 1, 1, NULL, NULL, NULL, 5.62, NULL),
  (36, '1001252', 'Ντόκος', 'Παναγιώτης', 'Χρήστος', 'Α', '2004-10-08', 'st1000036@upnet.gr', '105', 1, NULL, NULL, 1, 5, 1, 2022, 1, 1, NULL, NULL, NULL, 9.0, NULL),
  (37, '1001259', 'Ζαφειρίου', 'Δημήτριος', 'Κωνσταντίνος', 'Α', '2000-12-11', 'st1000037@upnet.gr', '105', 1, 12, 2, 2, 13, 3, 2018, 1, 1, 2023, 38, 7.69, 7.78, '2023-10-16'),
  (38, '1001266', 'Νικολάου', 'Αναστασία', 'Χρήστος', 'Θ', '2001-05-11', 'st1000038@upnet.gr', '105', 1, 11, 1, 2, 11, 5, 2019, 1, 1, 2024, 39, 6.65, 7.92, '2024-07-19'),
  (39, '1001273', 'Σαββίδης', 'Δημήτριος', 'Ιωάννης', 'Α', '1996-03-25', 'st1000039@upnet.gr', '105', 1, 11, 1, 2, 16, 1, 2014, 1, 1, 2019, 40, 6.02, 7.08, '2019-07-18'),
  (40, '1001280', 'Νικολάου', 'Μαρία', 'Αντώνιος', 'Θ', '2003-04-19', 'st1000040@upnet.gr', '105', 1, 12, 2, 1, 8, 3, 2021, 1, 1, NULL, NULL, NULL, 7.9, NULL),
  (41, '1001287', 'Οικονόμου', 'Παναγιώτης', 'Ευάγγελος', 'Α', '2003-01-15', 'st1000041@upnet.gr', '105', 1, 13, 3, 1, 7, 1, 2021, 1, 1, NULL, NULL, NULL, 6.83, NULL),
  (42, '1001294', 'Πετρόπουλος', 'Νικόλαος', 'Ιωάννης', 'Α', '2004-12-15', 'st1000042@upnet.gr', '105', 1, NULL, NULL, 1, 5, 1, 2022, 1, 2, NULL, NULL, NULL, 7.41, NULL),
  (43, '1001301', 'Βασιλείου', 'Ειρήνη', 'Ιωάννης', 'Θ', '1996-02-04', 'st1000043@upnet.gr', '105', 1, 13, 3, 1, 16, 2, 2014, 1, 1, NULL, NULL, NULL, 7.66, NULL),
  (44, '1001308', 'Βασιλείου', 'Ειρήνη', 'Βασίλειος', 'Θ', '2002-02-23', 'st1000044@upnet.gr', '105', 1, 11, 1, 1, 9, 1, 2020, 1, 1, NULL, NULL, NULL, 9.24, NULL),
  (45, '1001315', 'Ιωαννίδου', 'Ελένη', 'Γεώργιος', 'Θ', '1999-06-22', 'st1000045@upnet.gr', '105', 1, 11, 1, 2, 15, 1, 2017, 1, 1, 2023, 46, 6.36, 7.5, '2023-07-20'),
  (46, '1001322', 'Παπαδοπούλου', 'Ιωάννα', 'Δημήτριος', 'Θ', '2003-07-02', 'st1000046@upnet.gr', '105', 1, 12, 2, 1, 7, 1, 2021, 1, 1, NULL, NULL, NULL, 8.33, NULL),
  (47, '1001329', 'Χριστοδούλου', 'Γεώργιος', 'Ευάγγελος', 'Α', '2000-01-15', 'st1000047@upnet.gr', '105', 1, 11, 1, 1, 13, 1, 2018, 1, 1, NULL, NULL, NULL, 6.0, NULL),
  (48, '1001336', 'Αντωνίου', 'Αντώνιος', 'Βασίλειος', 'Α', '2006-08-14', 'st1000048@upnet.gr', '105', 1, NULL, NULL, 1, 2, 2, 2024, 1, 2, NULL, NULL, NULL, 5.55, NULL),
  (49, '1001343', 'Κυριακίδου', 'Δέσποινα', 'Φώτιος', 'Θ', '1998-11-18', 'st1000049@upnet.gr', '105', 1, 11, 1, 1, 16, 1, 2016, 1, 1, NULL, NULL, NULL, 9.14, NULL),
  (50, '1001350', 'Αλεξίου', 'Αικατερίνη', 'Εμμανουήλ', 'Θ', '2003-11-03', 'st1000050@upnet.gr', '105', 1, 12, 2, 1, 8, 3, 2021, 1, 1, NULL, NULL, NULL, 5.4, NULL);

INSERT INTO QEMObjectConstraint (ocID, contypeID, conobject, objID, secobjID, conID, conoperator, conoptval1, conoptval2, conoptval3, conoptval4, conoptval5, conoptval6, conoptval7, conoptval8, conoptval9, conoptval10, conoptval11, conoptval12, conselobjIDs, coneval, ModifiedDate) VALUES
  (1, 101, 1, 2, NULL, 10, 8, '6,5', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'or_ptyhgrade', NULL, '2024-09-01 10:00:00'),
  (2, 101, 1, 2, NULL, 10, 0, '5', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'in_modeID', NULL, '2024-09-01 10:00:00'),
  (3, 102, 1, 1, '11', 40, 8, '120', NULL, NULL, NULL, NULL, '3', NULL, NULL, NULL, NULL, NULL, NULL, '1', '[%3] AND ([%4] OR [%5])', '2024-09-01 10:00:00'),
  (4, 102, 1, 1, '11', 80, NULL, NULL, NULL, '0,6', '1', '1;20', NULL, NULL, NULL, NULL, NULL, NULL, NULL, '1,2,3,4', '[%3] AND ([%4] OR [%5])', '2024-09-01 10:00:00'),
  (5, 102, 1, 1, '11', 30, 8, NULL, NULL, '0,7', '0', NULL, '0', NULL, NULL, NULL, NULL, NULL, NULL, '14,20', '[%3] AND ([%4] OR [%5])', '2024-09-01 10:00:00'),
  (6, 102, 1, 1, '12', 40, 8, '120', NULL, NULL, NULL, NULL, '3', NULL, NULL, NULL, NULL, NULL, NULL, '1', NULL, '2024-09-01 10:00:00'),
  (7, 102, 1, 1, '12', 30, 8, NULL, NULL, '0,5', '2', NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '10,15,16', NULL, '2024-09-01 10:00:00'),
  (8, 102, 1, 1, '13', 40, 8, '120', NULL, NULL, NULL, NULL, '3', NULL, NULL, NULL, NULL, NULL, NULL, '1', '[%8] AND NOT([%9])', '2024-09-01 10:00:00'),
  (9, 102, 1, 1, '13', 10, 0, '4', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'statusID', '[%8] AND NOT([%9])', '2024-09-01 10:00:00'),
  (10, 103, 1, 1, '11', 40, 8, '300', NULL, NULL, NULL, NULL, '3', '6', NULL, NULL, NULL, NULL, NULL, '-1', '[%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]', '2024-09-01 10:00:00'),
  (11, 103, 1, 1, '11', 50, 8, '4', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '2', '[%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]', '2024-09-01 10:00:00'),
  (12, 103, 1, 1, '11', 60, 8, '1', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '1', '[%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]', '2024-09-01 10:00:00'),
  (13, 103, 1, 1, '11', 70, 8, '1', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, NULL, '[%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]', '2024-09-01 10:00:00'),
  (14, 103, 1, 1, '11', 20, 8, '40', NULL, NULL, '2', NULL, '0', NULL, NULL, NULL, NULL, NULL, NULL, '1,2,4', '[%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]', '2024-09-01 10:00:00'),
  (15, 103, 1, 1, '11', 110, 5, '10', '20', NULL, NULL, NULL, '1', NULL, NULL, NULL, '1', NULL, NULL, '2,3', '[%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]', '2024-09-01 10:00:00'),
  (16, 103, 1, 1, '11', 120, 8, '4', NULL, NULL, NULL, NULL, '1', NULL, '3,7', NULL, NULL, NULL, NULL, '1', '[%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]', '2024-09-01 10:00:00'),
  (17, 103, 1, 1, '12', 40, 8, '300', NULL, NULL, NULL, NULL, '3', NULL, NULL, NULL, NULL, NULL, NULL, '-1', NULL, '2024-09-01 10:00:00'),
  (18, 103, 1, 1, '12', 50, 8, '4', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '3', NULL, '2024-09-01 10:00:00'),
  (19, 103, 1, 1, '12', 60, 8, '1', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '1', NULL, '2024-09-01 10:00:00'),
  (20, 103, 1, 1, '13', 40, 8, '300', NULL, NULL, NULL, NULL, '3', NULL, NULL, NULL, NULL, NULL, NULL, '-1', NULL, '2024-09-01 10:00:00'),
  (21, 103, 1, 1, '13', 50, 8, '4', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '4', NULL, '2024-09-01 10:00:00'),
  (22, 103, 1, 1, '13', 60, 8, '1', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '1', NULL, '2024-09-01 10:00:00'),
  (23, 103, 1, 2, '21', 40, 8, '120', NULL, NULL, NULL, NULL, '3', NULL, NULL, NULL, NULL, NULL, NULL, '-1', NULL, '2024-09-01 10:00:00'),
  (24, 103, 1, 2, '21', 60, 8, '1', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '1', NULL, '2024-09-01 10:00:00'),
  (25, 104, 1, 1, NULL, 40, 8, '180', NULL, NULL, NULL, NULL, '3', NULL, NULL, NULL, NULL, NULL, NULL, '1,2', '[%25] OR [%26]', '2024-09-01 10:00:00'),
  (26, 104, 1, 1, NULL, 90, 5, '2021', '2023', '0,65', '0', '-1;30', '-1', NULL, NULL, NULL, NULL, NULL, NULL, NULL, '[%25] OR [%26]', '2024-09-01 10:00:00'),
  (27, 105, 1, 1, NULL, 10, 8, '7', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'exam_ID', NULL, '2024-09-01 10:00:00'),
  (28, 105, 1, 1, NULL, 80, NULL, '2022-1,2022-2,2023', '2022-1,2023-2', '0,5', '5', '1;20#2;4', NULL, '122', NULL, NULL, NULL, NULL, NULL, '-1', NULL, '2024-09-01 10:00:00'),
  (29, 108, 1, 1, NULL, 40, 5, '20', '60', NULL, NULL, NULL, '0', NULL, NULL, '1', NULL, '5', NULL, '1', NULL, '2024-09-01 10:00:00'),
  (30, 110, 1, 1, NULL, 80, NULL, NULL, NULL, '0,85', '9', NULL, NULL, NULL, NULL, NULL, NULL, NULL, '1;30#-1;50', '1,2,3,4,5,6,7,8', NULL, '2024-09-01 10:00:00'),
  (31, 110, 1, 1, NULL, 10, 4, '11', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'exam_ID', NULL, '2024-09-01 10:00:00'),
  (32, 109, 11, 1, NULL, 90, 0, '2023', NULL, '0,8', '1', NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, '2024-09-01 10:00:00'),
  (33, 109, 11, 1, NULL, 10, 8, '8,5', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'studrate', NULL, '2024-09-01 10:00:00'),
  (34, 107, 3, 1, '3', 40, 8, '20', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '1', NULL, '2024-09-01 10:00:00'),
  (35, 106, 4, 1, '25', 30, 8, NULL, NULL, '0,5', '1', '8;', '0', NULL, NULL, NULL, NULL, NULL, NULL, '14,3', '[%35] OR [%36]', '2024-09-01 10:00:00'),
  (36, 106, 4, 1, '25', 100, NULL, NULL, NULL, '0', '0', NULL, '-2', NULL, NULL, NULL, NULL, NULL, NULL, '25', '[%35] OR [%36]', '2024-09-01 10:00:00'),
  (37, 111, 4, 1, '30', 130, 0, '0', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, '1,3', NULL, NULL, '25', NULL, '2024-09-01 10:00:00'),
  (38, 106, 4, 1, '119', 30, 8, NULL, NULL, '0,5', '-1', NULL, '2', NULL, NULL, NULL, NULL, NULL, NULL, '120,122', NULL, '2024-09-01 10:00:00'),
  (39, 112, 13, 105, NULL, 40, 8, '2', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '-1', NULL, '2024-09-01 10:00:00'),
  (40, 112, 13, 105, NULL, 10, 0, '2', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'sector', NULL, '2024-09-01 10:00:00'),
  (41, 106, 13, 105, NULL, 120, 8, '12', NULL, NULL, NULL, NULL, '2', NULL, NULL, NULL, NULL, NULL, NULL, '1,4', NULL, '2024-09-01 10:00:00'),
  (42, 106, 13, 105, NULL, 10, 2, '3', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'statusID', NULL, '2024-09-01 10:00:00'),
  (43, 103, 8, 7, NULL, 40, 8, '280', NULL, NULL, NULL, NULL, '3', NULL, NULL, NULL, NULL, NULL, NULL, '-1', '[%43] AND ([%44] OR [%45])', '2024-09-01 10:00:00'),
  (44, 103, 8, 7, NULL, 50, 8, '5', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '2,4', '[%43] AND ([%44] OR [%45])', '2024-09-01 10:00:00'),
  (45, 103, 8, 7, NULL, 60, 8, '1', NULL, NULL, NULL, NULL, '1', NULL, NULL, NULL, NULL, NULL, NULL, '2', '[%43] AND ([%44] OR [%45])', '2024-09-01 10:00:00');

INSERT INTO QEMStudRegulation (student_ID, regdate, sessionID, notes) VALUES
  (7, '2023-10-02', 'sample', 'Μετεγγραφή με αναγνώριση μαθημάτων');

INSERT INTO QEMExcludedStudents (exID, student_ID, objID, conobject, contypeID, extrakey, sessionID, ModifiedDate) VALUES
  (1, 12, 1, 1, 105, 0, 'sample', '2024-09-15 12:00:00'),
  (2, 45, 1, 1, 105, 0, 'sample', '2024-09-15 12:00:00');
