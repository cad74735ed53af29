#!/usr/bin/env python3
"""Writes data/schema/tables.json, the table descriptions of the schema layer,
from data/schema.sql (names, storage types, defined sizes) and the captions,
field types, list sources and layouts below. Keeping both in one place means
the descriptions can never disagree with the database."""
import json
import os
import re

here = os.path.dirname(os.path.abspath(__file__))
sql = open(os.path.join(here, "..", "schema.sql"), encoding="utf-8").read()

# Field types of the search editor: 0 text (sub-type 6: long text), 1 list with
# numeric ids, 2 list with text ids, 3 integer, 4 yes/no (-1/0), 5 date,
# 6 decimal, 7 currency, 8 time, 9 date and time, 10 list of codes,
# 11 memo, 12 bit mask.
# name: (Greek caption, English caption, type, sub-type, list source, searchable)
C = {
    "depID": ("Τμήμα", "Department", 2, 1, "RECORDSET:QEMDepartments", True),
    "depname": ("Ονομασία τμήματος", "Department name", 0, 0, "", True),
    "depname_en": ("Ονομασία τμήματος (αγγλικά)", "Department name (English)", 0, 0, "", True),
    "depschool": ("Σχολή", "School", 0, 0, "", True),
    "local": ("Τμήμα του ιδρύματος", "Own department", 4, 0, "", True),
    "curyear": ("Τρέχον ακαδ. έτος", "Current academic year", 3, 0, "", True),
    "curtermID": ("Τρέχουσα περίοδος", "Current period", 1, 1, "RECORDSET:SYS_terms", True),
    "ctypeID": ("Τύπος μαθήματος", "Course type", 1, 1, "RECORDSET:SYS_CourseType", True),
    "ctypedesc": ("Περιγραφή τύπου", "Course type description", 0, 0, "", True),
    "ctypeabbr": ("Συντομογραφία", "Abbreviation", 0, 0, "", True),
    "semID": ("Εξάμηνο", "Semester", 1, 1, "RECORDSET:SYS_semesters", True),
    "semshort": ("Εξάμηνο (σύντομα)", "Semester (short)", 0, 0, "", True),
    "semlong": ("Εξάμηνο", "Semester", 0, 0, "", True),
    "termID": ("Περίοδος", "Period", 1, 1, "RECORDSET:SYS_terms", True),
    "termDesc": ("Περίοδος (σύντομα)", "Period (short)", 0, 0, "", True),
    "termlong": ("Περίοδος", "Period", 0, 0, "", True),
    "epID": ("Εξεταστική περίοδος", "Exam period", 3, 0, "", True),
    "epdescr": ("Περιγραφή", "Description", 0, 0, "", True),
    "epshort": ("Συντομογραφία", "Abbreviation", 0, 0, "", True),
    "ID": ("Κωδικός", "Id", 3, 0, "", True),
    "descr": ("Περιγραφή", "Description", 0, 0, "", True),
    "sectorID": ("Τομέας", "Sector", 1, 1, "RECORDSET:SYS_Dep_CourseSector", True),
    "coursesector": ("Τομέας", "Sector", 0, 0, "", True),
    "areaID": ("Γνωστικό αντικείμενο", "Subject", 1, 1, "RECORDSET:SYS_Dep_CourseArea", True),
    "coursearea": ("Γνωστικό αντικείμενο", "Subject", 0, 0, "", True),
    "sectcatID": ("Κατηγορία τμήματος", "Section category", 1, 1, "RECORDSET:SYS_Dep_SectionCategories", True),
    "sectcatdescr": ("Κατηγορία τμήματος", "Section category", 0, 0, "", True),
    "categoryID": ("Χαρακτηρισμός", "Course mode", 1, 1, "RECORDSET:SYS_CourseCategory", True),
    "coursecategory": ("Χαρακτηρισμός", "Course mode", 0, 0, "", True),
    "in_modeID": ("Τρόπος εισαγωγής", "Entry mode", 1, 1, "RECORDSET:SYS_EntryModes", True),
    "modedescr": ("Τρόπος εισαγωγής", "Entry mode", 0, 0, "", True),
    "statusID": ("Κατάσταση φοίτησης", "Student status", 1, 1, "RECORDSET:SYS_StudentStatus", True),
    "statusdescr": ("Κατάσταση", "Status", 0, 0, "", True),
    "conID": ("Τύπος προϋπόθεσης", "Requirement type", 3, 0, "", True),
    "conshortdesc": ("Σύντομη περιγραφή", "Short name", 0, 0, "", True),
    "conlongdesc": ("Περιγραφή", "Name", 0, 0, "", True),
    "prID": ("Πρόγραμμα σπουδών", "Programme", 1, 1, "RECORDSET:QEMDepPrograms", True),
    "prdepID": ("Τμήμα", "Department", 2, 1, "RECORDSET:QEMDepartments", True),
    "prtitle": ("Πρόγραμμα σπουδών", "Programme", 0, 6, "", True),
    "prtitle_en": ("Πρόγραμμα σπουδών (αγγλικά)", "Programme (English)", 0, 6, "", True),
    "prshort": ("Συντομογραφία", "Abbreviation", 0, 0, "", True),
    "prsemesters": ("Εξάμηνα", "Semesters", 3, 0, "", True),
    "prects": ("Μονάδες ECTS", "ECTS units", 3, 0, "", True),
    "prstartyear": ("Έτος έναρξης", "First year", 3, 0, "", True),
    "practive": ("Ενεργό", "Active", 4, 0, "", True),
    "orID": ("Κατεύθυνση", "Curriculum", 1, 1, "RECORDSET:QEMDPOrientation", True),
    "ordescription": ("Κατεύθυνση", "Curriculum", 0, 0, "", True),
    "orshort": ("Συντομογραφία", "Abbreviation", 0, 0, "", True),
    "dgID": ("Ομάδα μαθημάτων", "Course group", 1, 1, "RECORDSET:QEMDPGroup", True),
    "groupID": ("Κωδικός ομάδας", "Group code", 0, 0, "", True),
    "dgname": ("Ομάδα μαθημάτων", "Course group", 0, 0, "", True),
    "dgtypeID": ("Είδος ομάδας", "Group kind", 1, 1, "TEXT:1;Κορμός;2;Κατ' επιλογήν υποχρεωτική;3;Ελεύθερη", True),
    "dgsemester": ("Εξάμηνο ομάδας", "Group semester", 3, 0, "", True),
    "dgmincourses": ("Ελάχιστα μαθήματα", "Minimum courses", 3, 0, "", True),
    "courseID": ("Μάθημα", "Course", 3, 0, "", True),
    "coursecode": ("Κωδικός μαθήματος", "Course code", 0, 0, "", True),
    "title": ("Τίτλος", "Title", 0, 6, "", True),
    "title_en": ("Τίτλος (αγγλικά)", "Title (English)", 0, 6, "", True),
    "coursetype": ("Είδος μαθήματος", "Course kind", 12, 0,
                   "TEXT:1;Απλό;2;Ομάδα;4;Σύνθετο;8;Μέρος", True),
    "cshared": ("Κοινό μάθημα", "Shared course", 4, 0, "", True),
    "credits": ("Διδακτικές μονάδες", "Course credits", 6, 0, "", True),
    "hours": ("Ώρες διδασκαλίας", "Teaching hours", 3, 0, "", True),
    "ects": ("Μονάδες ECTS", "ECTS units", 6, 0, "", True),
    "cactive": ("Ενεργό", "Active", 4, 0, "", True),
    "pcID": ("Α/Α", "No", 3, 0, "", False),
    "student_ID": ("Κωδικός φοιτητή", "Student id", 3, 0, "", False),
    "spec_aem": ("Α.Μ.", "Registration number", 0, 0, "", True),
    "lastname": ("Επώνυμο", "Last name", 0, 0, "", True),
    "firstname": ("Όνομα", "First name", 0, 0, "", True),
    "fathername": ("Πατρώνυμο", "Father's name", 0, 0, "", True),
    "gender": ("Φύλο", "Gender", 2, 1, "TEXT:Α;Άνδρας;Θ;Γυναίκα", True),
    "birthdate": ("Ημερομηνία γέννησης", "Date of birth", 5, 0, "", True),
    "email": ("Ηλεκτρονικό ταχυδρομείο", "E-mail", 0, 0, "", True),
    "department_ID": ("Τμήμα", "Department", 2, 1, "RECORDSET:QEMDepartments", True),
    "progrspoud_ID": ("Πρόγραμμα σπουδών", "Programme", 1, 1, "RECORDSET:QEMDepPrograms", True),
    "orient_ID": ("Κατεύθυνση", "Curriculum", 1, 1, "RECORDSET:QEMDPOrientation", True),
    "sector": ("Τομέας", "Sector", 1, 1, "RECORDSET:SYS_Dep_CourseSector", True),
    "exam_ID": ("Εξάμηνο φοίτησης", "Current semester", 3, 0, "", True),
    "in_year": ("Έτος εισαγωγής", "Year of entry", 3, 0, "", True),
    "in_exam_ID": ("Εξάμηνο εισαγωγής", "Semester of entry", 3, 0, "", True),
    "in_period_ID": ("Περίοδος εισαγωγής", "Period of entry", 1, 1, "RECORDSET:SYS_terms", True),
    "sc_apofYear": ("Έτος αποφοίτησης", "Year of graduation", 3, 0, "", True),
    "sc_arseiras": ("Αριθμός σειράς αποφοίτησης", "Graduation serial number", 3, 0, "", True),
    "or_ptyhgrade": ("Βαθμός πτυχίου", "Degree grade", 6, 0, "", True),
    "studrate": ("Μέσος όρος", "Grade average", 6, 0, "", True),
    "or_date": ("Ημερομηνία ορκωμοσίας", "Graduation date", 5, 0, "", True),
    "prtitle@v": None,
    "ocID": ("Κωδικός προϋπόθεσης", "Requirement id", 3, 0, "", False),
    "contypeID": ("Πλαίσιο", "Context", 3, 0, "", True),
    "conobject": ("Είδος αντικειμένου", "Object kind", 3, 0, "", True),
    "objID": ("Αντικείμενο", "Object", 3, 0, "", True),
    "secobjID": ("Δευτερεύον αντικείμενο", "Secondary object", 0, 0, "", True),
    "conoperator": ("Τελεστής", "Operator", 3, 0, "", True),
    "conselobjIDs": ("Επιλεγμένοι κωδικοί", "Selected ids", 10, 0, "", False),
    "coneval": ("Έκφραση", "Expression", 11, 0, "", False),
    "conlabel": ("Ετικέτα", "Label", 0, 0, "", True),
    "AltID": ("Εναλλακτικός κωδικός", "Alternative id", 3, 0, "", False),
    "AltKey": ("Εναλλακτικό κλειδί", "Alternative key", 0, 0, "", False),
    "RowGuid": ("Αναγνωριστικό γραμμής", "Row guid", 0, 0, "", False),
    "ModifiedDate": ("Ημερομηνία μεταβολής", "Modified", 9, 0, "", False),
    "exID": ("Α/Α", "No", 3, 0, "", False),
    "extrakey": ("Πρόσθετο κλειδί", "Extra key", 3, 0, "", False),
    "sessionID": ("Συνεδρία", "Session", 0, 0, "", False),
    "regdate": ("Ημερομηνία κανονισμού", "Regulation date", 5, 0, "", True),
    "coefficient": ("Συντελεστής βαρύτητας", "Weighting coefficient", 6, 0, "", True),
    "indegreegrade": ("Στο βαθμό πτυχίου", "Counts in the degree grade", 4, 0, "", True),
    "resID": ("Α/Α", "No", 3, 0, "", False),
    "enrID": ("Α/Α", "No", 3, 0, "", False),
    "prjID": ("Α/Α", "No", 3, 0, "", False),
    "pracID": ("Α/Α", "No", 3, 0, "", False),
    "acyear": ("Ακαδημαϊκό έτος", "Academic year", 3, 0, "", True),
    "grade": ("Βαθμός", "Grade", 6, 0, "", True),
    "exemption": ("Απαλλαγή", "Exemption", 4, 0, "", True),
    "prjtypeID": ("Τύπος εργασίας", "Project type", 1, 1, "RECORDSET:SYS_ERGASIA_TYPE", True),
    "completed": ("Ολοκληρώθηκε", "Completed", 4, 0, "", True),
    "notes": ("Σημειώσεις", "Notes", 11, 0, "", True),
}
for i in range(1, 13):
    C["conoptval%d" % i] = ("Τιμή %d" % i, "Value %d" % i, 0, 0, "", False)

TABLES = {
    "QEMDepartments": ("Τμήματα", "Departments"),
    "SYS_CourseType": ("Τύποι μαθημάτων", "Course types"),
    "SYS_semesters": ("Εξάμηνα", "Semesters"),
    "SYS_terms": ("Διδακτικές περίοδοι", "Teaching periods"),
    "SYS_ExamPeriod": ("Εξεταστικές περίοδοι", "Exam periods"),
    "SYS_ERGASIA_TYPE": ("Τύποι εργασιών", "Project types"),
    "SYS_Dep_CourseSector": ("Τομείς μαθημάτων", "Course sectors"),
    "SYS_Dep_CourseArea": ("Γνωστικά αντικείμενα", "Subjects"),
    "SYS_Dep_SectionCategories": ("Κατηγορίες τμημάτων τάξης", "Class section categories"),
    "SYS_CourseCategory": ("Χαρακτηρισμοί μαθημάτων", "Course modes"),
    "SYS_EntryModes": ("Τρόποι εισαγωγής", "Entry modes"),
    "SYS_StudentStatus": ("Καταστάσεις φοίτησης", "Student status"),
    "SYS_ConstraintTypes": ("Τύποι προϋποθέσεων", "Requirement types"),
    "QEMDepPrograms": ("Προγράμματα σπουδών", "Programmes"),
    "QEMDPOrientation": ("Κατευθύνσεις", "Curricula"),
    "QEMDPGroup": ("Ομάδες μαθημάτων", "Course groups"),
    "QEMCourses": ("Μαθήματα", "Courses"),
    "QEMDepProgramCourses": ("Μαθήματα προγράμματος σπουδών", "Programme courses"),
    "QEMStudents": ("Φοιτητές", "Students"),
    "QEMObjectConstraint": ("Προϋποθέσεις", "Requirements"),
    "QEMExcludedStudents": ("Εξαιρέσεις φοιτητών", "Excepted students"),
    "QEMStudRegulation": ("Ατομικοί κανονισμοί", "Individual regulations"),
    "QEMStudentResults": ("Βαθμολογίες φοιτητών", "Students' course results"),
    "QEMStudentEnrolments": ("Δηλώσεις μαθημάτων", "Course enrolments"),
    "QEMStudentProjects": ("Εργασίες φοιτητών", "Students' projects"),
    "QEMStudentPracticums": ("Πρακτικές ασκήσεις φοιτητών", "Students' practicums"),
    "v_students": ("Φοιτητές", "Students"),
}
KEYS = {"QEMDepartments": "depID", "SYS_CourseType": "ctypeID", "SYS_semesters": "semID", "SYS_terms": "termID",
        "SYS_ExamPeriod": "epID", "SYS_ERGASIA_TYPE": "ID", "SYS_Dep_CourseSector": "sectorID",
        "SYS_Dep_CourseArea": "areaID", "SYS_Dep_SectionCategories": "sectcatID",
        "SYS_CourseCategory": "categoryID", "SYS_EntryModes": "in_modeID", "SYS_StudentStatus": "statusID",
        "SYS_ConstraintTypes": "conID", "QEMDepPrograms": "prID", "QEMDPOrientation": "orID",
        "QEMDPGroup": "dgID", "QEMCourses": "courseID", "QEMDepProgramCourses": "pcID",
        "QEMStudents": "student_ID", "QEMObjectConstraint": "ocID", "QEMExcludedStudents": "exID",
        "QEMStudRegulation": "student_ID", "QEMStudentResults": "resID", "QEMStudentEnrolments": "enrID",
        "QEMStudentProjects": "prjID", "QEMStudentPracticums": "pracID", "v_students": "student_ID"}
# a table's own where text: added to every search over it
WHERE = {"QEMCourses": "cactive = -1", "v_students": "statusID <> 3"}
LAYOUTS = {
    "v_students": {
        "excludeStudents": ["spec_aem", "lastname", "firstname", "fathername", "prtitle", "exam_ID", "statusID"],
        "selectStudents": ["spec_aem", "lastname", "firstname", "fathername", "orient_ID", "exam_ID",
                           "in_year", "statusID"],
        "selectStudents2": ["spec_aem", "lastname", "firstname", "fathername", "progrspoud_ID", "sector",
                            "exam_ID", "statusID"],
    },
    # the course pickers: what tells courses apart when choosing among thousands
    "QEMCourses": {"selectCourses": ["coursecode", "title", "semID", "ctypeID", "credits", "ects"]},
    "QEMDepProgramCourses": {"selectCourses": ["coursecode", "title", "semID", "coursetype", "ctypeID", "dgID",
                                               "ects"]},
}
VIEW_EXTRA = {"prtitle": ("Πρόγραμμα σπουδών", "Programme", 0, 6, "", True),
              "ordescription": ("Κατεύθυνση", "Curriculum", 0, 0, "", True),
              "depname": ("Τμήμα", "Department", 0, 0, "", True)}


def parse_type(t):
    t = t.upper()
    m = re.match(r"VARCHAR\((\d+)\)", t)
    if m:
        return "text", int(m.group(1))
    return {"INTEGER": "int", "SMALLINT": "int", "DOUBLE PRECISION": "real", "DATE": "date",
            "TIMESTAMP": "timestamp"}[t], 0


tables = []
defs = {}
# Tables the server keeps for itself and serves to no look-up or search.
INTERNAL = {"QEMSetVersion", "QEMSetHistory", "QEMSetHistoryRow"}
for m in re.finditer(r"CREATE TABLE (\w+) \((.*?)\n\);", sql, re.S):
    name, body = m.group(1), m.group(2)
    if name in INTERNAL:
        continue
    cols = []
    for line in body.split("\n"):
        cm = re.match(r"\s+(\w+)\s+(VARCHAR\(\d+\)|INTEGER|SMALLINT|DOUBLE PRECISION|DATE|TIMESTAMP)", line)
        if cm:
            cols.append((cm.group(1),) + parse_type(cm.group(2)))
    defs[name] = cols

vm = re.search(r"CREATE VIEW v_students AS\s+SELECT (.*?)\nFROM", sql, re.S)
alias = {"s": "QEMStudents", "d": "QEMDepartments", "p": "QEMDepPrograms", "o": "QEMDPOrientation"}
vcols = []
for ref in vm.group(1).replace("\n", " ").split(","):
    a, c = ref.strip().split(".")
    vcols.append(next(x for x in defs[alias[a]] if x[0] == c))
defs["v_students"] = vcols

for name, cols in defs.items():
    out_cols = []
    for (c, sqltype, size) in cols:
        d = (VIEW_EXTRA.get(c) if name == "v_students" else None) or C[c]
        el, en, ftype, sub, src, searchable = d
        col = {"name": c, "caption": el, "caption_en": en, "sqltype": sqltype, "type": ftype}
        if sub:
            col["subtype"] = sub
        if size:
            col["size"] = size
        if src:
            col["list"] = src
        if not searchable:
            col["searchable"] = False
        out_cols.append(col)
    t = {"name": name, "caption": TABLES[name][0], "caption_en": TABLES[name][1], "key": KEYS[name],
         "view": name.startswith("v_"), "where": WHERE.get(name, ""), "columns": out_cols}
    if name in LAYOUTS:
        t["layouts"] = LAYOUTS[name]
    tables.append(t)

os.makedirs(os.path.join(here, "..", "schema"), exist_ok=True)
with open(os.path.join(here, "..", "schema", "tables.json"), "w", encoding="utf-8") as f:
    json.dump({"defaultTable": "v_students", "tables": tables}, f, ensure_ascii=False, indent=1)
    f.write("\n")
