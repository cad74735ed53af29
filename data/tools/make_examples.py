#!/usr/bin/env python3
"""Writes data/examples/: an example department a registry can learn from, as the CSV files
`zrreq data import` reads (one file per kind, named as `zrreq data template` names them) and
the degree requirements of its programme as a set file `zrreq import` reads.

The department is Τμήμα Οικονομικών Επιστημών (code 850): one undergraduate programme of
8 semesters and 240 ECTS with two curricula, 42 courses and 30 students. Deterministic
(fixed seed), so the files only change when this script does.

The set file names database ids. A new database (`zrreq init-db --empty`) that imports these
files gives them in file order: programme 1; curricula 1 ΟΘΠ and 2 ΧΡΤ; course groups 1 Ο1
(core), 2 Ο2 (ΟΘΠ electives), 3 Ο3 (ΧΡΤ electives), 4 Ο4 (free electives); courses and
students are numbered by their rows in courses.csv and students.csv, the first row under the
header being 1. Codes of course types, modes, periods, sectors and subjects are their ids.

Degree requirements (programme 1, context 103), one set that serves both curricula:
  [%1] AND [%2] AND ([%3] OR [%4]) AND (([%5] AND [%6]) OR ([%7] AND [%8]))
  [%1] ECTS of all course types >= 240     [%2] all 22 compulsory courses (group Ο1) passed, grade >= 5
  [%3] a completed πτυχιακή εργασία (project type 2)     [%4] a completed practicum
  [%5] the student's curriculum is ΟΘΠ (1)  [%6] at least 4 courses of group Ο2
  [%7] the student's curriculum is ΧΡΤ (2)  [%8] at least 4 courses of group Ο3
A programme's degree requirements are kept per curriculum, so the file is imported into each of
the two (README.md).

ECTS: the 20 compulsory courses of semesters 1-4 give 6 each (120), the two of semesters 5 and 6
7.5 each (15), every elective 7.5, the thesis 15 and the practicum 7.5. A student who writes the
thesis reaches 240 with 12 electives, one who does the practicum instead with 13, one who does
both with 11.

Who meets the degree requirements and who does not: student id (his row in students.csv),
curriculum, verdict, ECTS, courses of the curriculum's group, and why. FIGURES below holds the
same numbers, which this script checks against the rows it writes.
   1 ΟΘΠ MET    240   6  graduate, thesis
   2 ΧΡΤ MET    240   5  graduate, thesis; Μαθηματικά για Οικονομολόγους ΙΙ failed (3.5) before a pass
   3 ΟΘΠ MET    240   6  graduate, practicum instead of a thesis
   4 ΧΡΤ MET    240   6  not yet graduated, thesis
   5 ΟΘΠ MET    240   5  thesis and practicum, 11 electives
   6 ΧΡΤ MET    240   4  at the ends: exactly 240 ECTS and exactly 4 courses of Ο3; practicum
   7 ΟΘΠ MET    240   6  three first-year courses recognised as exemptions, without a grade
   8 ΧΡΤ MET    247.5 6  Αρχές Λογιστικής recognised as an exemption with a grade (7.0)
   9 ΟΘΠ UNMET  240   6  [%3] thesis in progress (project not completed) and no practicum
  10 ΧΡΤ UNMET  240   6  [%3] no thesis (a completed semester project is of another type),
                         [%4] practicum not completed
  11 ΟΘΠ UNMET  255   6  [%3] neither thesis nor practicum
  12 ΟΘΠ UNMET  240   3  [%6] 3 courses of Ο2; the ECTS come from Ο3 and free electives
  13 ΧΡΤ UNMET  240   3  [%8] 3 courses of Ο3, though 6 of Ο2: the other curriculum's group does not count
  14 ΧΡΤ UNMET  232.5 5  [%1] 11 electives and the thesis
  15 ΟΘΠ UNMET  232.5 6  [%1] 12 electives and the practicum
  16 ΟΘΠ UNMET  241.5 6  [%2] Οικονομετρία Ι failed three times (2.5, 3.0, 4.0), never passed
  17 ΧΡΤ UNMET  241.5 6  [%2] Πληροφορική για Οικονομολόγους (the lab course) failed, never passed
  18 ΧΡΤ UNMET  180   5  [%1] 4th year: semesters 1-7 examined
  19 ΟΘΠ UNMET  180   5  [%1] 4th year
  20 ΟΘΠ UNMET  150   2  [%1] 3rd year: semesters 1-5 examined
  21 ΧΡΤ UNMET  150   2  [%1] 3rd year, suspended
  22 ΟΘΠ UNMET   84   0  [%1] 2nd year: semesters 1-3 examined, Στατιστική ΙΙ failed in January 2025
  23 ΧΡΤ UNMET   84   0  [%1] 2nd year
  24 ΟΘΠ UNMET   54   0  [%1] removed after the second semester
  25 ΧΡΤ UNMET  225   6  [%1] every course but the thesis, which is in progress ([%3])
  26-30  UNMET  12-30  0  [%1] first-years: semester 1 examined in January 2025, some courses failed
The students choose their curriculum when they enter, so first-years have one too.
"""
import csv
import json
import os
import random
import sys

rnd = random.Random(850)
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "examples")

DEP = "850"
PROG = "ΠΠΣ"
CURRENT_YEAR = 2024   # academic year 2024-25: its winter exams (January 2025) are done, spring has begun
WINTER, SPRING = 1, 2                 # teaching periods
JAN, JUNE, SEPT = 1, 2, 3             # exam periods

departments = [(DEP, "Τμήμα Οικονομικών Επιστημών", "Department of Economics",
                "Σχολή Οικονομικών και Πολιτικών Επιστημών", "yes", CURRENT_YEAR, 2)]
# The university's course types, as the sample database has them, and the degree thesis.
course_types = [
    (1, "Υποχρεωτικό", "ΥΠ"), (2, "Κατ' επιλογήν υποχρεωτικό", "ΚΕΥ"), (3, "Ελεύθερης επιλογής", "ΕΕ"),
    (4, "Εργαστηριακό", "ΕΡΓ"), (5, "Διπλωματική εργασία", "ΔΕ"), (6, "Πρακτική άσκηση", "ΠΑ"),
    (7, "Ξένη γλώσσα", "ΞΓ"), (8, "Πτυχιακή εργασία", "ΠΤΕ")]
modes = [(1, "Μάθημα γενικού υποβάθρου"), (2, "Μάθημα ειδικού υποβάθρου"), (3, "Μάθημα ειδίκευσης"),
         (4, "Μάθημα ανάπτυξης δεξιοτήτων")]
teaching_periods = [(WINTER, "ΧΕΙΜ", "Χειμερινό εξάμηνο"), (SPRING, "ΕΑΡ", "Εαρινό εξάμηνο")]
exam_periods = [(JAN, "Εξεταστική Ιανουαρίου - Φεβρουαρίου", "ΙΑΝ", WINTER),
                (JUNE, "Εξεταστική Ιουνίου", "ΙΟΥΝ", SPRING),
                (SEPT, "Επαναληπτική εξεταστική Σεπτεμβρίου", "ΣΕΠ", None)]
# Sector and subject codes are the university's: the department's start at 8501 and 8511.
THEORY, QUANT, FINANCE, HISTORY = 8501, 8502, 8503, 8504
sectors = [(THEORY, "Τομέας Οικονομικής Θεωρίας και Πολιτικής"),
           (QUANT, "Τομέας Μαθηματικών, Στατιστικής και Οικονομετρίας"),
           (FINANCE, "Τομέας Χρηματοοικονομικής και Λογιστικής"),
           (HISTORY, "Τομέας Οικονομικής Ανάπτυξης, Ιστορίας και Θεσμών")]
subject_names = ["Μικροοικονομία", "Μακροοικονομία", "Μαθηματικά", "Στατιστική και Οικονομετρία", "Λογιστική",
                 "Χρηματοοικονομική", "Δημόσια Οικονομική", "Διεθνής Οικονομική", "Οικονομική Ιστορία",
                 "Οικονομική Ανάπτυξη", "Νομισματική και Τραπεζική", "Δίκαιο και Θεσμοί"]
subjects = [(8511 + i, name) for i, name in enumerate(subject_names)]
S = {name: code for code, name in subjects}

programme = (DEP, PROG, "Προπτυχιακό Πρόγραμμα Σπουδών Οικονομικών Επιστημών",
             "Undergraduate Programme in Economics", 8, 240, 2014)
# (code, name): ids 1 and 2 in a new database
curricula = [("ΟΘΠ", "Οικονομική Θεωρία και Πολιτική"), ("ΧΡΤ", "Χρηματοοικονομική και Τραπεζική")]
CURRICULUM_ID = {code: i + 1 for i, (code, _) in enumerate(curricula)}
# (code, name, group type, semester, least courses): ids 1 to 4
groups = [("Ο1", "Κορμός", 1, None, None),
          ("Ο2", "Μαθήματα κατεύθυνσης Οικονομικής Θεωρίας και Πολιτικής", 2, 5, 4),
          ("Ο3", "Μαθήματα κατεύθυνσης Χρηματοοικονομικής και Τραπεζικής", 2, 5, 4),
          ("Ο4", "Μαθήματα ελεύθερης επιλογής", 3, 5, None)]
GROUP_ID = {code: i + 1 for i, (code, *_rest) in enumerate(groups)}
STREAM_GROUP = {"ΟΘΠ": "Ο2", "ΧΡΤ": "Ο3"}
LEAST_OF_STREAM = 4

# (code, title, English title, semester, course type, mode, sector, subject, group, curriculum)
catalogue = [
    ("ΟΙΚ101", "Μικροοικονομική Θεωρία Ι", "Microeconomic Theory I", 1, 1, 1, THEORY, "Μικροοικονομία"),
    ("ΟΙΚ102", "Μακροοικονομική Θεωρία Ι", "Macroeconomic Theory I", 1, 1, 1, THEORY, "Μακροοικονομία"),
    ("ΟΙΚ103", "Μαθηματικά για Οικονομολόγους Ι", "Mathematics for Economists I", 1, 1, 1, QUANT, "Μαθηματικά"),
    ("ΟΙΚ104", "Αρχές Λογιστικής", "Principles of Accounting", 1, 1, 1, FINANCE, "Λογιστική"),
    ("ΟΙΚ105", "Οικονομική Ιστορία", "Economic History", 1, 1, 1, HISTORY, "Οικονομική Ιστορία"),
    ("ΟΙΚ201", "Μικροοικονομική Θεωρία ΙΙ", "Microeconomic Theory II", 2, 1, 1, THEORY, "Μικροοικονομία"),
    ("ΟΙΚ202", "Μακροοικονομική Θεωρία ΙΙ", "Macroeconomic Theory II", 2, 1, 1, THEORY, "Μακροοικονομία"),
    ("ΟΙΚ203", "Μαθηματικά για Οικονομολόγους ΙΙ", "Mathematics for Economists II", 2, 1, 1, QUANT, "Μαθηματικά"),
    ("ΟΙΚ204", "Στατιστική Ι", "Statistics I", 2, 1, 1, QUANT, "Στατιστική και Οικονομετρία"),
    ("ΟΙΚ205", "Εισαγωγή στο Δίκαιο της Οικονομίας", "Introduction to Economic Law", 2, 1, 1, HISTORY,
     "Δίκαιο και Θεσμοί"),
    ("ΟΙΚ301", "Στατιστική ΙΙ", "Statistics II", 3, 1, 2, QUANT, "Στατιστική και Οικονομετρία"),
    ("ΟΙΚ302", "Δημόσια Οικονομική", "Public Economics", 3, 1, 2, THEORY, "Δημόσια Οικονομική"),
    ("ΟΙΚ303", "Νομισματική Θεωρία και Πολιτική", "Monetary Theory and Policy", 3, 1, 2, THEORY,
     "Νομισματική και Τραπεζική"),
    ("ΟΙΚ304", "Διεθνής Οικονομική", "International Economics", 3, 1, 2, THEORY, "Διεθνής Οικονομική"),
    ("ΟΙΚ305", "Πληροφορική για Οικονομολόγους", "Computing for Economists", 3, 4, 4, QUANT, None),
    ("ΟΙΚ401", "Οικονομετρία Ι", "Econometrics I", 4, 1, 2, QUANT, "Στατιστική και Οικονομετρία"),
    ("ΟΙΚ402", "Οικονομική Μεγέθυνση και Ανάπτυξη", "Economic Growth and Development", 4, 1, 2, HISTORY,
     "Οικονομική Ανάπτυξη"),
    ("ΟΙΚ403", "Εισαγωγή στη Χρηματοοικονομική", "Introduction to Finance", 4, 1, 2, FINANCE, "Χρηματοοικονομική"),
    ("ΟΙΚ404", "Ιστορία της Οικονομικής Σκέψης", "History of Economic Thought", 4, 1, 2, HISTORY,
     "Οικονομική Ιστορία"),
    ("ΟΙΚ405", "Βιομηχανική Οργάνωση", "Industrial Organisation", 4, 1, 2, THEORY, "Μικροοικονομία"),
    ("ΟΙΚ501", "Οικονομετρία ΙΙ", "Econometrics II", 5, 1, 2, QUANT, "Στατιστική και Οικονομετρία"),
    ("ΟΙΚ511", "Θεωρία Παιγνίων", "Game Theory", 5, 2, 3, THEORY, "Μικροοικονομία", "Ο2", "ΟΘΠ"),
    ("ΟΙΚ512", "Οικονομικά της Εργασίας", "Labour Economics", 5, 2, 3, THEORY, "Μικροοικονομία", "Ο2", "ΟΘΠ"),
    ("ΟΙΚ521", "Τραπεζική Οικονομική", "Banking Economics", 5, 2, 3, FINANCE, "Νομισματική και Τραπεζική", "Ο3",
     "ΧΡΤ"),
    ("ΟΙΚ522", "Χρηματοοικονομική Λογιστική", "Financial Accounting", 5, 2, 3, FINANCE, "Λογιστική", "Ο3", "ΧΡΤ"),
    ("ΟΙΚ531", "Οικονομική Κοινωνιολογία", "Economic Sociology", 5, 3, 2, HISTORY, None, "Ο4"),
    ("ΟΙΚ601", "Ευρωπαϊκή Οικονομική Ολοκλήρωση", "European Economic Integration", 6, 1, 2, THEORY,
     "Διεθνής Οικονομική"),
    ("ΟΙΚ611", "Οικονομικά του Περιβάλλοντος", "Environmental Economics", 6, 2, 3, THEORY, "Δημόσια Οικονομική",
     "Ο2", "ΟΘΠ"),
    ("ΟΙΚ612", "Περιφερειακή Οικονομική", "Regional Economics", 6, 2, 3, HISTORY, "Οικονομική Ανάπτυξη", "Ο2",
     "ΟΘΠ"),
    ("ΟΙΚ621", "Αγορές Χρήματος και Κεφαλαίου", "Money and Capital Markets", 6, 2, 3, FINANCE, "Χρηματοοικονομική",
     "Ο3", "ΧΡΤ"),
    ("ΟΙΚ622", "Διεθνής Χρηματοοικονομική", "International Finance", 6, 2, 3, FINANCE, "Διεθνής Οικονομική", "Ο3",
     "ΧΡΤ"),
    ("ΟΙΚ631", "Επιχειρηματικότητα και Καινοτομία", "Entrepreneurship and Innovation", 6, 3, 4, FINANCE, None, "Ο4"),
    ("ΟΙΚ711", "Οικονομική Πολιτική", "Economic Policy", 7, 2, 3, THEORY, "Μακροοικονομία", "Ο2", "ΟΘΠ"),
    ("ΟΙΚ721", "Διαχείριση Χαρτοφυλακίου", "Portfolio Management", 7, 2, 3, FINANCE, "Χρηματοοικονομική", "Ο3",
     "ΧΡΤ"),
    ("ΟΙΚ731", "Οικονομικά του Τουρισμού", "Tourism Economics", 7, 3, 2, HISTORY, "Οικονομική Ανάπτυξη", "Ο4"),
    ("ΟΙΚ732", "Οικονομική Ανάλυση του Δικαίου", "Law and Economics", 7, 3, 2, HISTORY, "Δίκαιο και Θεσμοί", "Ο4"),
    ("ΟΙΚ811", "Συμπεριφορική Οικονομική", "Behavioural Economics", 8, 2, 3, THEORY, "Μικροοικονομία", "Ο2", "ΟΘΠ"),
    ("ΟΙΚ821", "Παράγωγα Χρηματοοικονομικά Προϊόντα", "Financial Derivatives", 8, 2, 3, FINANCE, "Χρηματοοικονομική",
     "Ο3", "ΧΡΤ"),
    ("ΟΙΚ831", "Ναυτιλιακή Οικονομική", "Maritime Economics", 8, 3, 2, HISTORY, "Διεθνής Οικονομική", "Ο4"),
    ("ΟΙΚ832", "Οικονομικά της Ενέργειας", "Energy Economics", 8, 3, 2, THEORY, "Δημόσια Οικονομική", "Ο4"),
    ("ΟΙΚ840", "Πτυχιακή Εργασία", "Degree Thesis", 8, 8, 3, None, None),
    ("ΟΙΚ841", "Πρακτική Άσκηση", "Internship", 8, 6, 4, None, None),
]
THESIS, PRACTICUM = "ΟΙΚ840", "ΟΙΚ841"


class Course:
    def __init__(self, cid, code, title, title_en, sem, ctype, mode, sector, subject, group=None, curriculum=None):
        self.id, self.code, self.title, self.title_en = cid, code, title, title_en
        self.sem, self.ctype, self.mode, self.sector = sem, ctype, mode, sector
        self.subject = S[subject] if subject else None
        self.curriculum = curriculum
        self.group = group or ("Ο1" if ctype in (1, 4) else None)
        # first and second year courses 6 ECTS, later ones 7.5, the thesis 15
        self.ects = 15 if ctype == 8 else (6 if sem <= 4 else 7.5)
        self.credits = 10 if ctype == 8 else (3 if ctype == 6 else 4)
        self.hours = None if ctype in (6, 8) else (3 if ctype == 4 else 4)
        # weight in the degree grade, by ECTS; the practicum does not count in the degree grade
        self.in_grade = ctype != 6
        self.coefficient = {6: 1.5, 7.5: 2.0, 15: 4.0}[self.ects] if self.in_grade else None

    @property
    def term(self):
        return WINTER if self.sem % 2 else SPRING


courses = [Course(i + 1, *row) for i, row in enumerate(catalogue)]
C = {c.code: c for c in courses}
compulsory = [c for c in courses if c.group == "Ο1"]
electives = {g: [c for c in courses if c.group == g] for g in ("Ο2", "Ο3", "Ο4")}

# (last name, first name, curriculum, year of entry, status, plan). A plan names how many electives
# were passed (own: of the student's curriculum; other: of the other curriculum; free), the thesis and
# the practicum ("done", "pending" or absent), the last semester examined (upto: a student on his way),
# grades of failed attempts before a pass (fails) or with no pass (never), a completed semester
# project, and courses recognised as exemptions (course: grade or None). Other failed attempts are
# drawn at random: each is passed in September, except in the latest exams of a student on his way.
STUDENTS = [
    ("Παπαδάκης", "Γεώργιος", "ΟΘΠ", 2017, 2, dict(own=6, other=2, free=4, thesis="done")),
    ("Κωνσταντίνου", "Μαρία", "ΧΡΤ", 2018, 2, dict(own=5, other=3, free=4, thesis="done",
                                                  fails={"ΟΙΚ203": [3.5]})),
    ("Αλεξίου", "Δημήτριος", "ΟΘΠ", 2018, 2, dict(own=6, other=3, free=4, practicum="done")),
    ("Σταματοπούλου", "Ελένη", "ΧΡΤ", 2019, 1, dict(own=6, other=3, free=3, thesis="done")),
    ("Νικολάου", "Ιωάννης", "ΟΘΠ", 2019, 1, dict(own=5, other=2, free=4, thesis="done", practicum="done")),
    ("Δημητρίου", "Αικατερίνη", "ΧΡΤ", 2020, 1, dict(own=4, other=4, free=5, practicum="done")),
    ("Βασιλείου", "Παναγιώτης", "ΟΘΠ", 2019, 1, dict(own=6, other=2, free=4, thesis="done",
                                                   exempt={"ΟΙΚ103": None, "ΟΙΚ203": None, "ΟΙΚ204": None})),
    ("Οικονόμου", "Σοφία", "ΧΡΤ", 2020, 1, dict(own=6, other=3, free=4, thesis="done", exempt={"ΟΙΚ104": 7.0})),
    ("Μακρής", "Νικόλαος", "ΟΘΠ", 2018, 1, dict(own=6, other=3, free=5, thesis="pending")),
    ("Γεωργίου", "Αγγελική", "ΧΡΤ", 2019, 1, dict(own=6, other=2, free=6, semester_project=True,
                                                 practicum="pending")),
    ("Ιωαννίδης", "Χρήστος", "ΟΘΠ", 2016, 1, dict(own=6, other=4, free=6)),
    ("Καραγιάννη", "Δέσποινα", "ΟΘΠ", 2019, 1, dict(own=3, other=4, free=5, thesis="done")),
    ("Χατζηδάκης", "Αντώνιος", "ΧΡΤ", 2020, 1, dict(own=3, other=6, free=3, thesis="done")),
    ("Λαμπροπούλου", "Χριστίνα", "ΧΡΤ", 2018, 1, dict(own=5, other=2, free=4, thesis="done")),
    ("Σαββίδης", "Ευάγγελος", "ΟΘΠ", 2017, 1, dict(own=6, other=2, free=4, practicum="done")),
    ("Πετροπούλου", "Ιωάννα", "ΟΘΠ", 2019, 1, dict(own=6, other=3, free=4, thesis="done",
                                                  never={"ΟΙΚ401": [2.5, 3.0, 4.0]})),
    ("Κυριακίδης", "Στέφανος", "ΧΡΤ", 2020, 1, dict(own=6, other=3, free=4, thesis="done",
                                                  never={"ΟΙΚ305": [4.5]})),
    ("Ζαφειρίου", "Αναστασία", "ΧΡΤ", 2021, 1, dict(upto=7)),
    ("Μιχαηλίδης", "Θεόδωρος", "ΟΘΠ", 2021, 1, dict(upto=7)),
    ("Ξενάκη", "Ζωή", "ΟΘΠ", 2022, 1, dict(upto=5)),
    ("Φραγκιαδάκης", "Ηλίας", "ΧΡΤ", 2022, 4, dict(upto=5)),
    ("Μπακάλη", "Θεοδώρα", "ΟΘΠ", 2023, 1, dict(upto=3)),
    ("Ντόκος", "Βασίλειος", "ΧΡΤ", 2023, 1, dict(upto=3)),
    ("Τσιρίγου", "Ευαγγελία", "ΟΘΠ", 2023, 3, dict(upto=2)),
    ("Ραφαηλίδης", "Μιχαήλ", "ΧΡΤ", 2020, 1, dict(own=6, other=2, free=4, thesis="pending")),
    ("Σταυροπούλου", "Γεωργία", "ΟΘΠ", 2024, 1, dict(upto=1)),
    ("Αθανασίου", "Κωνσταντίνος", "ΧΡΤ", 2024, 1, dict(upto=1)),
    ("Χριστοδούλου", "Ειρήνη", "ΟΘΠ", 2024, 1, dict(upto=1)),
    ("Αντωνίου", "Χαρίκλεια", "ΧΡΤ", 2024, 1, dict(upto=1)),
    ("Ζαχαρίου", "Φώτιος", "ΟΘΠ", 2024, 1, dict(upto=1)),
]


def registration(in_year, seq):
    """A registration number: the department, the year of entry and a serial number."""
    return "%s%02d%03d" % (DEP, in_year % 100, seq)


def year_of(in_year, sem):
    return in_year + (sem - 1) // 2


def grade_text(grade):
    return None if grade is None else "%.1f" % grade


class Transcript:
    """One student's results, enrolments, projects and practicums, course by course."""

    def __init__(self, reg, in_year, ability):
        self.reg, self.in_year, self.ability = reg, in_year, ability
        self.results, self.enrolments, self.projects, self.practicums = [], [], [], []
        self.passed = set()

    def pass_grade(self):
        return max(5.0, min(10.0, round(rnd.gauss(self.ability, 1.0), 1)))

    def take(self, course, fails=(), passes=True):
        """The course's own exam period of the year its semester falls in; a failed attempt is
        sat again in September, then in the next year's own period."""
        year, own = year_of(self.in_year, course.sem), JAN if course.term == WINTER else JUNE
        attempts = list(fails) + ([self.pass_grade()] if passes else [])
        for n, grade in enumerate(attempts):
            y, period = year + n // 2, (own if n % 2 == 0 else SEPT)
            assert (y, period) <= (CURRENT_YEAR, JAN), (self.reg, course.code, y, period)
            self.results.append((course.code, y, period, course.term, grade, False))
        if passes:
            self.passed.add(course.code)

    def exempt(self, course, grade):
        self.results.append((course.code, self.in_year, None, None, grade, True))
        self.passed.add(course.code)


def pick(pool, n):
    return sorted(rnd.sample(pool, n), key=lambda c: (c.sem, c.id))


def transcript_of(seq, curriculum, in_year, status, plan):
    t = Transcript(registration(in_year, seq), in_year, rnd.uniform(6.0, 8.4))
    upto = plan.get("upto", 8)
    own_group = STREAM_GROUP[curriculum]
    other_group = "Ο3" if own_group == "Ο2" else "Ο2"
    if "upto" in plan:
        # a student on his way: every course of his semesters, his curriculum's electives and one free
        taken = [c for c in compulsory if c.sem <= upto] + [c for c in electives[own_group] if c.sem <= upto]
        taken += [c for c in electives["Ο4"] if c.sem <= upto][:1]
    else:
        taken = list(compulsory) + pick(electives[own_group], plan.get("own", 0)) + \
            pick(electives[other_group], plan.get("other", 0)) + pick(electives["Ο4"], plan.get("free", 0))
    taken.sort(key=lambda c: (c.sem, c.id))
    exempt = plan.get("exempt", {})
    never = plan.get("never", {})
    fails = plan.get("fails", {})
    for c in taken:
        if c.code in exempt:
            t.exempt(c, exempt[c.code])
        elif c.code in never:
            t.take(c, never[c.code], passes=False)
        elif c.code in fails:
            t.take(c, fails[c.code])
        elif c.sem == upto < 8:
            # the latest exams: a few failed, to be sat again in September
            failed = rnd.random() < 0.3
            t.take(c, [round(rnd.uniform(1.5, 4.5), 1)] if failed else [], passes=not failed)
        elif rnd.random() < 0.025:
            t.take(c, [round(rnd.uniform(2.0, 4.5), 1)])
        else:
            t.take(c)
    if plan.get("thesis") == "done":
        t.take(C[THESIS])
        t.projects.append((2, True, 10, 15))
    elif plan.get("thesis") == "pending":
        t.projects.append((2, False, None, None))
        t.enrolments.append((THESIS, CURRENT_YEAR, SPRING, None))
    if plan.get("semester_project"):
        t.projects.append((3, True, 2, 4))
    if plan.get("practicum") == "done":
        t.take(C[PRACTICUM])
        t.practicums.append(True)
    elif plan.get("practicum") == "pending":
        t.practicums.append(False)
    # this spring's enrolments: the next semester's courses of students on their way
    if "upto" in plan and status == 1:
        nxt = upto + 1
        for c in compulsory + electives[own_group]:
            if c.sem == nxt:
                t.enrolments.append((c.code, CURRENT_YEAR, SPRING, None))
    return t


def audit(curriculum, t):
    """What the degree requirements say of a transcript, as the audit should find it."""
    ects = sum(C[code].ects for code in t.passed)
    own = sum(1 for code in t.passed if C[code].group == STREAM_GROUP[curriculum])
    missing = [c.code for c in compulsory if c.code not in t.passed]
    thesis = any(kind == 2 and done for kind, done, _c, _e in t.projects)
    practicum = any(t.practicums)
    met = ects >= 240 and not missing and own >= LEAST_OF_STREAM and (thesis or practicum)
    return "MET" if met else "UNMET", ects, own


# The table at the top: (verdict, ECTS, courses of the curriculum's group) of each student but the first-years.
FIGURES = [("MET", 240, 6), ("MET", 240, 5), ("MET", 240, 6), ("MET", 240, 6), ("MET", 240, 5), ("MET", 240, 4),
           ("MET", 240, 6), ("MET", 247.5, 6), ("UNMET", 240, 6), ("UNMET", 240, 6), ("UNMET", 255, 6),
           ("UNMET", 240, 3), ("UNMET", 240, 3), ("UNMET", 232.5, 5), ("UNMET", 232.5, 6), ("UNMET", 241.5, 6),
           ("UNMET", 241.5, 6), ("UNMET", 180, 5), ("UNMET", 180, 5), ("UNMET", 150, 2), ("UNMET", 150, 2),
           ("UNMET", 84, 0), ("UNMET", 84, 0), ("UNMET", 54, 0), ("UNMET", 225, 6)]
students, transcripts = [], []
for sid, (last, first, curriculum, in_year, status, plan) in enumerate(STUDENTS, 1):
    t = transcript_of(sid, curriculum, in_year, status, plan)
    found = audit(curriculum, t)
    if sid <= len(FIGURES):
        assert found == FIGURES[sid - 1], (sid, found)
    else:
        assert in_year == CURRENT_YEAR and found[0] == "UNMET" and 12 <= found[1] <= 30, (sid, found)
    # The semester of study: the spring semester of the current year; none for a graduate.
    semester = None if status == 2 else 2 * (CURRENT_YEAR - in_year) + 2
    students.append((DEP, t.reg, last, first, PROG, curriculum, in_year, semester, status))
    transcripts.append(t)

def number(v):
    if v is None:
        return None
    return "%d" % v if float(v).is_integer() else "%.1f" % v


def flag(v):
    return "yes" if v else "no"


def write(name, header, rows):
    with open(os.path.join(OUT, name), "w", encoding="utf-8-sig", newline="") as f:
        w = csv.writer(f)
        w.writerow(header)
        for r in rows:
            w.writerow(["" if v is None else v for v in r])


os.makedirs(OUT, exist_ok=True)
write("departments.csv", ["code", "name", "name_en", "school", "local", "current year", "current teaching period"],
      departments)
write("course-types.csv", ["code", "name", "abbreviation"], course_types)
write("modes.csv", ["code", "name"], modes)
write("teaching-periods.csv", ["code", "short name", "name"], teaching_periods)
write("exam-periods.csv", ["code", "name", "short name", "teaching period"], exam_periods)
write("sectors.csv", ["code", "name", "department"], [(code, name, DEP) for code, name in sectors])
write("subjects.csv", ["code", "name", "department"], [(code, name, DEP) for code, name in subjects])
write("programmes.csv", ["department", "code", "title", "title_en", "semesters", "ects", "first year"], [programme])
write("curricula.csv", ["department", "programme", "code", "name"], [(DEP, PROG) + c for c in curricula])
write("course-groups.csv", ["department", "programme", "code", "name", "group type", "semester", "least courses"],
      [(DEP, PROG) + g for g in groups])
write("courses.csv", ["department", "code", "title", "title_en", "ects", "credits", "hours", "semester", "type", "mode",
                      "sector", "subject"],
      [(DEP, c.code, c.title, c.title_en, number(c.ects), c.credits, c.hours, c.sem, c.ctype, c.mode, c.sector,
        c.subject) for c in courses])
write("programme-courses.csv", ["department", "programme", "course department", "course", "type", "semester", "group",
                                "curriculum", "ects", "credits", "hours", "coefficient", "counts in degree grade"],
      [(DEP, PROG, DEP, c.code, c.ctype, c.sem, c.group, c.curriculum, number(c.ects), c.credits, c.hours,
        number(c.coefficient), flag(c.in_grade)) for c in courses])
write("students.csv", ["department", "registration number", "last name", "first name", "programme", "curriculum",
                       "year of entry", "semester", "status"], students)
write("results.csv", ["department", "registration number", "course department", "course", "year", "exam period",
                      "teaching period", "grade", "exemption"],
      [(DEP, t.reg, DEP, code, year, period, term, grade_text(grade), flag(exempt))
       for t in transcripts for (code, year, period, term, grade, exempt) in t.results])
write("enrolments.csv", ["department", "registration number", "course department", "course", "year", "teaching period",
                         "class group category"],
      [(DEP, t.reg, DEP) + e for t in transcripts for e in t.enrolments])
write("projects.csv", ["department", "registration number", "project type", "completed", "credits", "ects"],
      [(DEP, t.reg, kind, flag(done), credits, ects)
       for t in transcripts for (kind, done, credits, ects) in t.projects])
write("practicums.csv", ["department", "registration number", "completed"],
      [(DEP, t.reg, flag(done)) for t in transcripts for done in t.practicums])


# The degree requirements of the programme (context 103) as a registrar writes them, readable, for
# curriculum ΟΘΠ; `zrreq import --curriculum 2` puts the same set into the other. No version: the
# file comes from no stored set.
def stream(curriculum):
    """The student is of `curriculum` (his curriculum's id), and passed the least number of its group's courses."""
    return [{"label": "in-" + curriculum, "type": "student-data", "column": "orient_ID", "operator": "=",
             "value": CURRICULUM_ID[curriculum]},
            {"label": "group-" + curriculum, "type": "course-group", "groups": [STREAM_GROUP[curriculum]],
             "total": "courses", "operator": ">=", "value": LEAST_OF_STREAM}]


reqs = [
    {"label": "ects", "type": "course-type", "courseTypes": ["all"], "total": "ects", "operator": ">=", "value": 240},
    # every compulsory course with a grade of 5 (0,5) or more: the minimum is the length of the list,
    # as the editor stores "all of them"; no check of substitutions
    {"label": "compulsory", "type": "prerequisite-course", "courses": [c.code for c in compulsory],
     "minimumCourses": len(compulsory), "operator": ">=", "grade": 0.5, "substitutions": "none"},
    {"label": "thesis", "type": "projects", "projectType": 2, "total": "projects", "operator": ">=", "value": 1},
    {"label": "practicum", "type": "practicums", "total": "practicums", "operator": ">=", "value": 1},
] + stream("ΟΘΠ") + stream("ΧΡΤ")
degree = {
    "format": "zrreq-requirements/2",
    "appliesTo": "programme",
    "context": "degree",
    "department": DEP,
    "programme": PROG,
    "curriculum": curricula[0][0],
    "title": programme[2],
    "expression": "ects and compulsory and (thesis or practicum)"
                  " and ((in-ΟΘΠ and group-ΟΘΠ) or (in-ΧΡΤ and group-ΧΡΤ))",
    "requirements": reqs,
}


def members(obj, indent):
    """An object one member a line, each value on its line, as `zrreq export` writes a set."""
    inline = lambda v: json.dumps(v, ensure_ascii=False, separators=(", ", ": "))
    return "{\n" + ",\n".join(indent + "    " + inline(k) + ": " + inline(v) for k, v in obj.items()) + "\n" + indent + "}"


with open(os.path.join(OUT, "degree-requirements.json"), "w", encoding="utf-8", newline="\n") as f:
    head = members({k: v for k, v in degree.items() if k != "requirements"}, "")
    f.write(head[:-2] + ',\n    "requirements": [\n'
            + ",\n".join("        " + members(r, "        ") for r in reqs) + "\n    ]\n}\n")
print("%d courses, %d students, %d results, %d enrolments, %d projects, %d practicums, %d requirements" % (
    len(courses), len(students), sum(len(t.results) for t in transcripts), sum(len(t.enrolments) for t in transcripts),
    sum(len(t.projects) for t in transcripts), sum(len(t.practicums) for t in transcripts), len(reqs)),
    file=sys.stderr)
