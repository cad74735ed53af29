#!/usr/bin/env python3
"""Writes data/sample.sql: a Greek university department with two programmes,
courses, students and requirement sets. Deterministic (fixed seed), so the
committed file only changes when this script does."""
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sample_transcripts  # noqa: E402

rnd = random.Random(1032)
out = []
# The program's own code tables, which every database has (data/system.sql): not a registry's data.
system = []


def q(v):
    if v is None:
        return "NULL"
    if isinstance(v, (int, float)):
        return repr(v)
    return "'" + str(v).replace("'", "''") + "'"


def insert(table, cols, rows, chunk=50, into=None):
    into = out if into is None else into
    for i in range(0, len(rows), chunk):
        part = rows[i:i + chunk]
        into.append("INSERT INTO %s (%s) VALUES\n%s;" % (
            table, ", ".join(cols),
            ",\n".join("  (" + ", ".join(q(v) for v in r) + ")" for r in part)))


DEP = "105"
MATH = "120"
insert("QEMDepartments", ["depID", "depname", "depname_en", "depschool", "local", "curyear", "curtermID"], [
    (DEP, "Τμήμα Μηχανικών Η/Υ και Πληροφορικής", "Computer Engineering and Informatics Department",
     "Πολυτεχνική Σχολή", -1, 2024, 1),
    (MATH, "Τμήμα Μαθηματικών", "Department of Mathematics", "Σχολή Θετικών Επιστημών", 0, 2024, 1),
])
insert("SYS_CourseType", ["ctypeID", "ctypedesc", "ctypeabbr"], [
    (1, "Υποχρεωτικό", "ΥΠ"), (2, "Κατ' επιλογήν υποχρεωτικό", "ΚΕΥ"), (3, "Ελεύθερης επιλογής", "ΕΕ"),
    (4, "Εργαστηριακό", "ΕΡΓ"), (5, "Διπλωματική εργασία", "ΔΕ"), (6, "Πρακτική άσκηση", "ΠΑ"),
    (7, "Ξένη γλώσσα", "ΞΓ")])
ords = ["Α", "Β", "Γ", "Δ", "Ε", "ΣΤ", "Ζ", "Η", "Θ", "Ι"]
longs = ["Πρώτο", "Δεύτερο", "Τρίτο", "Τέταρτο", "Πέμπτο", "Έκτο", "Έβδομο", "Όγδοο", "Ένατο", "Δέκατο"]
insert("SYS_semesters", ["semID", "semshort", "semlong"],
       [(i + 1, ords[i] + "΄", longs[i] + " εξάμηνο") for i in range(10)], into=system)
insert("SYS_terms", ["termID", "termDesc", "termlong"], [(1, "ΧΕΙΜ", "Χειμερινό εξάμηνο"), (2, "ΕΑΡ", "Εαρινό εξάμηνο")])
insert("SYS_ExamPeriod", ["epID", "epdescr", "epshort", "termID"], [
    (1, "Εξεταστική Ιανουαρίου - Φεβρουαρίου", "ΙΑΝ", 1), (2, "Εξεταστική Ιουνίου", "ΙΟΥΝ", 2),
    (3, "Επαναληπτική εξεταστική Σεπτεμβρίου", "ΣΕΠ", None)])
insert("SYS_ERGASIA_TYPE", ["ID", "descr"], [
    (1, "Διπλωματική εργασία"), (2, "Πτυχιακή εργασία"), (3, "Εξαμηνιαία εργασία"), (4, "Ερευνητική εργασία")], into=system)
sectors = ["Τομέας Λογισμικού", "Τομέας Υλικού και Αρχιτεκτονικής Υπολογιστών",
           "Τομέας Θεωρητικής Πληροφορικής", "Τομέας Εφαρμογών Πληροφορικής"]
insert("SYS_Dep_CourseSector", ["sectorID", "depID", "coursesector"], [(i + 1, DEP, s) for i, s in enumerate(sectors)])
areas = ["Προγραμματισμός", "Βάσεις Δεδομένων", "Δίκτυα Υπολογιστών", "Αλγόριθμοι", "Μαθηματικά",
         "Αρχιτεκτονική Υπολογιστών", "Τεχνητή Νοημοσύνη", "Ηλεκτρονική", "Τηλεπικοινωνίες", "Γραφικά"]
insert("SYS_Dep_CourseArea", ["areaID", "depID", "coursearea"], [(i + 1, DEP, s) for i, s in enumerate(areas)])
insert("SYS_Dep_SectionCategories", ["sectcatID", "depID", "sectcatdescr"], [
    (1, DEP, "Τμήμα θεωρίας"), (2, DEP, "Εργαστηριακό τμήμα"), (3, DEP, "Φροντιστηριακό τμήμα"),
    (4, DEP, "Τμήμα επαναληπτών")])
insert("SYS_CourseCategory", ["categoryID", "coursecategory"], [
    (1, "Μάθημα γενικού υποβάθρου"), (2, "Μάθημα ειδικού υποβάθρου"), (3, "Μάθημα ειδίκευσης"),
    (4, "Μάθημα ανάπτυξης δεξιοτήτων")])
insert("SYS_EntryModes", ["in_modeID", "modedescr"], [
    (1, "Πανελλαδικές εξετάσεις"), (2, "Κατατακτήριες εξετάσεις"), (3, "Μετεγγραφή"),
    (4, "Αλλοδαποί - Ομογενείς"), (5, "Δεύτερο πτυχίο")], into=system)
insert("SYS_StudentStatus", ["statusID", "statusdescr"], [
    (1, "Ενεργός"), (2, "Πτυχιούχος"), (3, "Διαγραμμένος"), (4, "Σε αναστολή φοίτησης")], into=system)
insert("SYS_ConstraintTypes", ["conID", "conshortdesc", "conlongdesc"], [
    (10, "Στ Φοιτ", "Στοιχεία Φοιτητή"), (20, "Προαπ Γν Αντικ", "Προαπαιτούμενο γνωστικό αντικείμενο"),
    (30, "Προαπ Μαθ", "Προαπαιτούμενο μάθημα"), (40, "Τύπ Μαθ", "Τύπος μαθήματος"),
    (50, "Ομάδα Μαθ", "Ομάδα μαθήματος"), (60, "Ολοκλ Εργ", "Ολοκληρωμένες εργασίες"),
    (70, "Ολοκλ Πρακτ Ασκ", "Ολοκληρωμένες πρακτικές ασκήσεις"),
    (80, "ΜΟ Βαθμ εξαμ", "Μέσος όρος βαθμολογίας ανά εξάμηνα μαθημάτων"),
    (90, "ΜΟ Βαθμ έτους", "Μέσος όρος βαθμολογίας ανά ακαδημαϊκό έτος"),
    (100, "Δήλ Μαθ", "Δήλωση μαθήματος"), (110, "Χαρακ Μαθ", "Χαρακτηρισμός μαθήματος"),
    (120, "Τομ Μαθ", "Τομέας μαθήματος"),
    (130, "Προαπ κατηγ τμήματος", "Προαπαιτούμενη κατηγορία τμήματος τάξης")], into=system)
insert("QEMDepPrograms", ["prID", "prdepID", "prtitle", "prtitle_en", "prshort", "prsemesters", "prects",
                          "prstartyear", "practive"], [
    (1, DEP, "Προπτυχιακό Πρόγραμμα Σπουδών Μηχανικών Η/Υ και Πληροφορικής",
     "Undergraduate Programme in Computer Engineering and Informatics", "ΠΠΣ", 10, 300, 2010, -1),
    (2, DEP, "Πρόγραμμα Μεταπτυχιακών Σπουδών «Επιστήμη και Τεχνολογία των Υπολογιστών»",
     "Postgraduate Programme in Computer Science and Technology", "ΠΜΣ", 4, 120, 2015, -1)])
insert("QEMDPOrientation", ["orID", "prID", "ordescription", "orshort"], [
    (11, 1, "Λογισμικό και Πληροφοριακά Συστήματα", "ΛΟΓ"),
    (12, 1, "Υλικό και Αρχιτεκτονική Υπολογιστών", "ΥΛΙΚ"),
    (13, 1, "Θεωρητική Πληροφορική", "ΘΕΩΡ"),
    (21, 2, "Γενική κατεύθυνση", "ΓΕΝ")])
insert("QEMDPGroup", ["dgID", "prID", "groupID", "dgname", "dgtypeID", "dgsemester", "dgmincourses"], [
    (1, 1, "Ο1", "Κορμός", 1, None, None),
    (2, 1, "Ο2", "Ομάδα μαθημάτων Λογισμικού", 2, 7, 3),
    (3, 1, "Ο3", "Ομάδα μαθημάτων Υλικού", 2, 7, 3),
    (4, 1, "Ο4", "Ομάδα μαθημάτων Θεωρίας", 2, 7, 3),
    (5, 1, "Ο5", "Ομάδα ελεύθερων επιλογών", 3, 9, 2),
    (6, 2, "Μ1", "Υποχρεωτικά μαθήματα ΠΜΣ", 1, None, None),
    (7, 2, "Μ2", "Ευφυή Συστήματα", 2, 2, 2),
    (8, 2, "Μ3", "Δίκτυα και Κατανεμημένα Συστήματα", 2, 2, 2)])

# (title, semester, course type, area, sector, category, group)
core = [
    ("Μαθηματικά I", 1, 1, 5, 3, 1), ("Φυσική", 1, 1, 8, 2, 1), ("Εισαγωγή στον Προγραμματισμό", 1, 1, 1, 1, 1),
    ("Διακριτά Μαθηματικά", 1, 1, 5, 3, 1), ("Εισαγωγή στους Υπολογιστές", 1, 1, 6, 2, 1),
    ("Αγγλική Γλώσσα I", 1, 7, None, None, 4),
    ("Μαθηματικά II", 2, 1, 5, 3, 1), ("Γραμμική Άλγεβρα", 2, 1, 5, 3, 1),
    ("Αντικειμενοστρεφής Προγραμματισμός", 2, 1, 1, 1, 2), ("Ψηφιακή Σχεδίαση I", 2, 1, 6, 2, 2),
    ("Ηλεκτρικά Κυκλώματα", 2, 1, 8, 2, 1), ("Αγγλική Γλώσσα II", 2, 7, None, None, 4),
    ("Πιθανότητες και Στατιστική", 3, 1, 5, 3, 1), ("Δομές Δεδομένων", 3, 1, 4, 3, 2),
    ("Ψηφιακή Σχεδίαση II", 3, 1, 6, 2, 2), ("Ηλεκτρονική I", 3, 1, 8, 2, 2),
    ("Αριθμητική Ανάλυση", 3, 1, 5, 3, 1), ("Εργαστήριο Λογικών Κυκλωμάτων", 3, 4, 6, 2, 4),
    ("Αρχιτεκτονική Υπολογιστών I", 4, 1, 6, 2, 2), ("Αλγόριθμοι και Πολυπλοκότητα", 4, 1, 4, 3, 2),
    ("Σήματα και Συστήματα", 4, 1, 9, 2, 2), ("Θεωρία Υπολογισμού", 4, 1, 4, 3, 2),
    ("Αρχές Γλωσσών Προγραμματισμού", 4, 1, 1, 1, 2), ("Εργαστήριο Μικροϋπολογιστών", 4, 4, 6, 2, 4),
    ("Λειτουργικά Συστήματα", 5, 1, 1, 1, 2), ("Βάσεις Δεδομένων", 5, 1, 2, 1, 2),
    ("Δίκτυα Υπολογιστών I", 5, 1, 3, 4, 2), ("Τεχνολογία Λογισμικού", 5, 1, 1, 1, 2),
    ("Αρχιτεκτονική Υπολογιστών II", 5, 1, 6, 2, 3), ("Εργαστήριο Λειτουργικών Συστημάτων", 5, 4, 1, 1, 4),
    ("Μεταγλωττιστές", 6, 1, 1, 1, 3), ("Δίκτυα Υπολογιστών II", 6, 1, 3, 4, 3),
    ("Τεχνητή Νοημοσύνη", 6, 1, 7, 3, 3), ("Ψηφιακές Επικοινωνίες", 6, 1, 9, 2, 3),
    ("Κατανεμημένα Συστήματα", 6, 1, 3, 1, 3), ("Εργαστήριο Δικτύων", 6, 4, 3, 4, 4),
]
electives = [
    ("Ανάκτηση Πληροφορίας", 7, 2, 2, 1, 3, 2), ("Μηχανική Μάθηση", 7, 2, 7, 3, 3, 4),
    ("Ασφάλεια Υπολογιστικών Συστημάτων", 7, 2, 3, 4, 3, 2), ("Γραφικά Υπολογιστών", 7, 2, 10, 4, 3, 2),
    ("Ενσωματωμένα Συστήματα", 7, 2, 6, 2, 3, 3), ("Σχεδίαση Συστημάτων VLSI", 7, 2, 8, 2, 3, 3),
    ("Κρυπτογραφία", 7, 2, 4, 3, 3, 4), ("Υπολογιστική Γεωμετρία", 7, 2, 4, 3, 3, 4),
    ("Παράλληλοι Υπολογισμοί", 7, 2, 6, 2, 3, 3), ("Ανάπτυξη Διαδικτυακών Εφαρμογών", 7, 2, 1, 4, 4, 2),
    ("Συστήματα Διαχείρισης Βάσεων Δεδομένων", 8, 2, 2, 1, 3, 2), ("Όραση Υπολογιστών", 8, 2, 7, 3, 3, 4),
    ("Ασύρματα Δίκτυα", 8, 2, 3, 4, 3, 3), ("Επεξεργασία Φυσικής Γλώσσας", 8, 2, 7, 3, 3, 4),
    ("Αρχιτεκτονική Δικτύων", 8, 2, 3, 2, 3, 3), ("Θεωρία Γράφων", 8, 2, 4, 3, 3, 4),
    ("Διαχείριση Έργων Λογισμικού", 8, 2, 1, 1, 4, 2), ("Κινητός Υπολογισμός", 8, 2, 3, 4, 3, 2),
    ("Σχεδίαση Ψηφιακών Συστημάτων", 8, 2, 6, 2, 3, 3), ("Ρομποτική", 8, 2, 7, 2, 3, 3),
    ("Εξόρυξη Δεδομένων", 9, 2, 2, 1, 3, 2), ("Βιοπληροφορική", 9, 2, 4, 3, 3, 4),
    ("Κβαντικός Υπολογισμός", 9, 2, 4, 3, 3, 4), ("Υπολογιστικό Νέφος", 9, 2, 3, 4, 3, 2),
    ("Σχεδίαση Μικροεπεξεργαστών", 9, 2, 6, 2, 3, 3), ("Ψηφιακή Επεξεργασία Εικόνας", 9, 2, 10, 4, 3, 4),
    ("Οικονομικά της Τεχνολογίας", 9, 3, None, None, 4, 5), ("Επιχειρηματικότητα", 9, 3, None, None, 4, 5),
    ("Ιστορία της Τεχνολογίας", 9, 3, None, None, 4, 5), ("Τεχνική Συγγραφή", 9, 3, None, None, 4, 5),
    ("Δίκαιο της Πληροφορικής", 10, 3, None, None, 4, 5), ("Ηθική της Τεχνητής Νοημοσύνης", 10, 3, 7, None, 4, 5),
]
variants = ["Θεωρία και Εφαρμογές", "Προχωρημένα Θέματα", "Εργαστηριακές Ασκήσεις"]
courses = []
pcs = []
cid = 0


# Course titles in English, for reports written in English.
TITLES_EN = { "Μαθηματικά I": "Mathematics I", "Φυσική": "Physics", "Εισαγωγή στον Προγραμματισμό": "Introduction to Programming", "Διακριτά Μαθηματικά": "Discrete Mathematics", "Εισαγωγή στους Υπολογιστές": "Introduction to Computers", "Αγγλική Γλώσσα I": "English I", "Μαθηματικά II": "Mathematics II", "Γραμμική Άλγεβρα": "Linear Algebra", "Αντικειμενοστρεφής Προγραμματισμός": "Object-Oriented Programming", "Ψηφιακή Σχεδίαση I": "Digital Design I", "Ηλεκτρικά Κυκλώματα": "Electric Circuits", "Αγγλική Γλώσσα II": "English II", "Πιθανότητες και Στατιστική": "Probability and Statistics", "Δομές Δεδομένων": "Data Structures", "Ψηφιακή Σχεδίαση II": "Digital Design II", "Ηλεκτρονική I": "Electronics I", "Αριθμητική Ανάλυση": "Numerical Analysis", "Εργαστήριο Λογικών Κυκλωμάτων": "Logic Circuits Laboratory", "Αρχιτεκτονική Υπολογιστών I": "Computer Architecture I", "Αλγόριθμοι και Πολυπλοκότητα": "Algorithms and Complexity", "Σήματα και Συστήματα": "Signals and Systems", "Θεωρία Υπολογισμού": "Theory of Computation", "Αρχές Γλωσσών Προγραμματισμού": "Principles of Programming Languages", "Εργαστήριο Μικροϋπολογιστών": "Microcomputer Laboratory", "Λειτουργικά Συστήματα": "Operating Systems", "Βάσεις Δεδομένων": "Databases", "Δίκτυα Υπολογιστών I": "Computer Networks I", "Τεχνολογία Λογισμικού": "Software Engineering", "Αρχιτεκτονική Υπολογιστών II": "Computer Architecture II", "Εργαστήριο Λειτουργικών Συστημάτων": "Operating Systems Laboratory", "Μεταγλωττιστές": "Compilers", "Δίκτυα Υπολογιστών II": "Computer Networks II", "Τεχνητή Νοημοσύνη": "Artificial Intelligence", "Ψηφιακές Επικοινωνίες": "Digital Communications", "Κατανεμημένα Συστήματα": "Distributed Systems", "Εργαστήριο Δικτύων": "Networks Laboratory", "Ανάκτηση Πληροφορίας": "Information Retrieval", "Μηχανική Μάθηση": "Machine Learning", "Ασφάλεια Υπολογιστικών Συστημάτων": "Computer Systems Security", "Γραφικά Υπολογιστών": "Computer Graphics", "Ενσωματωμένα Συστήματα": "Embedded Systems", "Σχεδίαση Συστημάτων VLSI": "VLSI Systems Design", "Κρυπτογραφία": "Cryptography", "Υπολογιστική Γεωμετρία": "Computational Geometry", "Παράλληλοι Υπολογισμοί": "Parallel Computing", "Ανάπτυξη Διαδικτυακών Εφαρμογών": "Web Application Development", "Συστήματα Διαχείρισης Βάσεων Δεδομένων": "Database Management Systems", "Όραση Υπολογιστών": "Computer Vision", "Ασύρματα Δίκτυα": "Wireless Networks", "Επεξεργασία Φυσικής Γλώσσας": "Natural Language Processing", "Αρχιτεκτονική Δικτύων": "Network Architecture", "Θεωρία Γράφων": "Graph Theory", "Διαχείριση Έργων Λογισμικού": "Software Project Management", "Κινητός Υπολογισμός": "Mobile Computing", "Σχεδίαση Ψηφιακών Συστημάτων": "Digital Systems Design", "Ρομποτική": "Robotics", "Εξόρυξη Δεδομένων": "Data Mining", "Βιοπληροφορική": "Bioinformatics", "Κβαντικός Υπολογισμός": "Quantum Computing", "Υπολογιστικό Νέφος": "Cloud Computing", "Σχεδίαση Μικροεπεξεργαστών": "Microprocessor Design", "Ψηφιακή Επεξεργασία Εικόνας": "Digital Image Processing", "Οικονομικά της Τεχνολογίας": "Economics of Technology", "Επιχειρηματικότητα": "Entrepreneurship", "Ιστορία της Τεχνολογίας": "History of Technology", "Τεχνική Συγγραφή": "Technical Writing", "Δίκαιο της Πληροφορικής": "Information Technology Law", "Ηθική της Τεχνητής Νοημοσύνης": "Ethics of Artificial Intelligence", "Θεωρία και Εφαρμογές": "Theory and Applications", "Προχωρημένα Θέματα": "Advanced Topics", "Εργαστηριακές Ασκήσεις": "Laboratory Exercises", "Φιλοσοφία της Επιστήμης": "Philosophy of Science", "Ψυχολογία της Μάθησης": "Psychology of Learning", "Διοίκηση Επιχειρήσεων": "Business Administration", "Λογιστική": "Accounting", "Οικονομική Ανάλυση": "Economic Analysis", "Γαλλική Γλώσσα": "French", "Γερμανική Γλώσσα": "German", "Περιβαλλοντική Μηχανική": "Environmental Engineering", "Ενεργειακά Συστήματα": "Energy Systems", "Βιοϊατρική Τεχνολογία": "Biomedical Technology", "Ψηφιακός Πολιτισμός": "Digital Culture", "Διδακτική της Πληροφορικής": "Teaching Computer Science", "Εκπαιδευτική Τεχνολογία": "Educational Technology", "Αλληλεπίδραση Ανθρώπου Υπολογιστή": "Human-Computer Interaction", "Σχεδίαση Παιχνιδιών": "Game Design", "Γεωγραφικά Συστήματα Πληροφοριών": "Geographic Information Systems", "Ηλεκτρονικό Εμπόριο": "Electronic Commerce", "Ανοικτό Λογισμικό": "Open Source Software", "Διπλωματική Εργασία": "Diploma Thesis", "Διπλωματική Εργασία - Μέρος Α": "Diploma Thesis - Part A", "Διπλωματική Εργασία - Μέρος Β": "Diploma Thesis - Part B", "Πρακτική Άσκηση": "Practicum", "Μαθηματική Λογική": "Mathematical Logic", "Θεωρία Αριθμών": "Number Theory", "Συνδυαστική": "Combinatorics", "Στοχαστικές Διαδικασίες": "Stochastic Processes", "Προχωρημένοι Αλγόριθμοι": "Advanced Algorithms", "Έρευνα και Μεθοδολογία": "Research and Methodology", "Βαθιά Μάθηση": "Deep Learning", "Πιθανοτικά Γραφικά Μοντέλα": "Probabilistic Graphical Models", "Συστήματα Πολλαπλών Πρακτόρων": "Multi-Agent Systems", "Ενισχυτική Μάθηση": "Reinforcement Learning", "Δίκτυα Επόμενης Γενιάς": "Next-Generation Networks", "Κατανεμημένοι Αλγόριθμοι": "Distributed Algorithms", "Ασφάλεια Δικτύων": "Network Security", "Διαδίκτυο των Πραγμάτων": "Internet of Things", "Μεταπτυχιακή Διπλωματική Εργασία": "Master's Thesis", "Σεμινάριο Έρευνας": "Research Seminar", "Θεωρία Πληροφορίας": "Information Theory", "Επεξεργασία Μεγάλων Δεδομένων": "Big Data Processing" }


def title_en(title):
    # An advanced variant is "title - variant": each part has its own English title.
    return TITLES_EN.get(title) or " - ".join(TITLES_EN[part] for part in title.split(" - "))


def add_course(title, sem, ctype, area, sector, cat, coursetype=1, dep=DEP, shared=0):
    global cid
    cid += 1
    code = ("ΜΑΘ" if dep == MATH else "ΜΗΥ") + "%d%02d" % (sem, cid % 100)
    credits = 4 if ctype in (1, 2) else (2 if ctype == 7 else 3)
    ects = 5 if ctype in (1, 2, 4) else (2 if ctype == 7 else 4)
    courses.append((cid, dep, code, title, title_en(title), coursetype, shared, ctype, sem, area, sector, cat,
                    credits, 3 + (ctype != 7), ects, -1))
    return cid


for t in core:
    add_course(*t)
for t in electives:
    add_course(*t[:6])
# advanced variants of the electives bring the undergraduate list past 120 courses
for i, t in enumerate(electives):
    add_course(t[0] + " - " + variants[i % 3], min(t[1] + 1, 10), t[2], t[3], t[4], t[5])
free = ["Φιλοσοφία της Επιστήμης", "Ψυχολογία της Μάθησης", "Διοίκηση Επιχειρήσεων", "Λογιστική",
        "Οικονομική Ανάλυση", "Γαλλική Γλώσσα", "Γερμανική Γλώσσα", "Περιβαλλοντική Μηχανική",
        "Ενεργειακά Συστήματα", "Βιοϊατρική Τεχνολογία", "Ψηφιακός Πολιτισμός", "Διδακτική της Πληροφορικής",
        "Εκπαιδευτική Τεχνολογία", "Αλληλεπίδραση Ανθρώπου Υπολογιστή", "Σχεδίαση Παιχνιδιών",
        "Γεωγραφικά Συστήματα Πληροφοριών", "Ηλεκτρονικό Εμπόριο", "Ανοικτό Λογισμικό"]
for i, t in enumerate(free):
    add_course(t, 7 + i % 4, 3, None, None, 4 if i % 3 else 2)
thesis = add_course("Διπλωματική Εργασία", 10, 5, None, None, 4, coursetype=4)
thesis1 = add_course("Διπλωματική Εργασία - Μέρος Α", 9, 5, None, None, 4, coursetype=8)
thesis2 = add_course("Διπλωματική Εργασία - Μέρος Β", 10, 5, None, None, 4, coursetype=8)
practicum = add_course("Πρακτική Άσκηση", 8, 6, None, None, 4)
# shared courses taught by the department of Mathematics
add_course("Μαθηματική Λογική", 5, 3, 5, None, 1, dep=MATH, shared=-1)
add_course("Θεωρία Αριθμών", 6, 3, 5, None, 1, dep=MATH, shared=-1)
add_course("Συνδυαστική", 7, 3, 5, None, 1, dep=MATH, shared=-1)
add_course("Στοχαστικές Διαδικασίες", 7, 3, 5, None, 1, dep=MATH, shared=-1)
ugrad_last = cid
postgrad = [
    ("Προχωρημένοι Αλγόριθμοι", 1, 1, 4, 3, 3, 6), ("Έρευνα και Μεθοδολογία", 1, 1, None, None, 4, 6),
    ("Βαθιά Μάθηση", 1, 2, 7, 3, 3, 7), ("Πιθανοτικά Γραφικά Μοντέλα", 2, 2, 7, 3, 3, 7),
    ("Συστήματα Πολλαπλών Πρακτόρων", 2, 2, 7, 3, 3, 7), ("Ενισχυτική Μάθηση", 2, 2, 7, 3, 3, 7),
    ("Δίκτυα Επόμενης Γενιάς", 1, 2, 3, 4, 3, 8), ("Κατανεμημένοι Αλγόριθμοι", 2, 2, 3, 3, 3, 8),
    ("Ασφάλεια Δικτύων", 2, 2, 3, 4, 3, 8), ("Διαδίκτυο των Πραγμάτων", 2, 2, 3, 4, 3, 8),
    ("Μεταπτυχιακή Διπλωματική Εργασία", 3, 5, None, None, 4, 6), ("Σεμινάριο Έρευνας", 3, 3, None, None, 4, 6),
    ("Θεωρία Πληροφορίας", 1, 2, 9, 3, 3, 8), ("Επεξεργασία Μεγάλων Δεδομένων", 2, 2, 2, 1, 3, 7),
]
for t in postgrad:
    add_course(*t[:6])

# programme 1: every undergraduate course; programme 2: the postgraduate ones
pcid = 0
group_of = {}
for t in electives:
    pass
for c in courses:
    (cid_, dep, code, title, _e, ctype_kind, shared, ctype, sem, area, sector, cat, credits, hours, ects, _a) = c
    if cid_ <= ugrad_last:
        pr = 1
        if ctype == 1 or ctype == 4 or ctype == 7:
            dg = 1
        elif ctype == 2:
            dg = [2, 3, 4][{1: 0, 4: 0, 2: 1, 3: 2}.get(sector or 1, 0)]
        elif ctype == 3:
            dg = 5
        else:
            dg = None
        orid = {1: 11, 4: 11, 2: 12, 3: 13}.get(sector) if ctype == 2 else None
    else:
        pr = 2
        idx = cid_ - ugrad_last - 1
        dg = postgrad[idx][6]
        orid = 21
    pcid += 1
    # Weight in the degree grade: the thesis counts double, core and electives one and a half; foreign
    # languages, the practicum and the research seminar do not count in the degree grade at all.
    coefficient = 2.0 if ctype == 5 else (1.5 if ctype in (1, 2) and pr == 1 else 1.0)
    in_grade = 0 if ctype in (6, 7) or (pr == 2 and ctype == 3) else -1
    pcs.append((pcid, pr, cid_, code, title, ctype_kind, ctype, sem, dg, orid, credits, hours, ects,
                coefficient, in_grade))

insert("QEMCourses", ["courseID", "depID", "coursecode", "title", "title_en", "coursetype", "cshared", "ctypeID",
                      "semID", "areaID", "sectorID", "categoryID", "credits", "hours", "ects", "cactive"], courses)
insert("QEMDepProgramCourses", ["pcID", "prID", "courseID", "coursecode", "title", "coursetype", "ctypeID", "semID",
                                "dgID", "orID", "credits", "hours", "ects", "coefficient", "indegreegrade"], pcs)

male_first = ["Γεώργιος", "Ιωάννης", "Κωνσταντίνος", "Δημήτριος", "Νικόλαος", "Παναγιώτης", "Βασίλειος",
              "Χρήστος", "Αθανάσιος", "Μιχαήλ", "Ευάγγελος", "Σπυρίδων", "Αντώνιος", "Αναστάσιος", "Θεόδωρος",
              "Ηλίας", "Στέφανος", "Εμμανουήλ", "Άγγελος", "Φώτιος"]
female_first = ["Μαρία", "Ελένη", "Αικατερίνη", "Βασιλική", "Σοφία", "Αγγελική", "Γεωργία", "Δήμητρα",
                "Κωνσταντίνα", "Παναγιώτα", "Ευαγγελία", "Χριστίνα", "Ιωάννα", "Ειρήνη", "Αναστασία",
                "Δέσποινα", "Θεοδώρα", "Χαρίκλεια", "Ζωή", "Αφροδίτη"]
last = [("Παπαδόπουλος", "Παπαδοπούλου"), ("Γεωργίου", "Γεωργίου"), ("Παπανικολάου", "Παπανικολάου"),
        ("Οικονόμου", "Οικονόμου"), ("Βασιλείου", "Βασιλείου"), ("Νικολάου", "Νικολάου"),
        ("Κωνσταντινίδης", "Κωνσταντινίδου"), ("Μακρής", "Μακρή"), ("Αθανασίου", "Αθανασίου"),
        ("Δημητρίου", "Δημητρίου"), ("Ιωαννίδης", "Ιωαννίδου"), ("Παπαγεωργίου", "Παπαγεωργίου"),
        ("Αντωνίου", "Αντωνίου"), ("Χατζηδάκης", "Χατζηδάκη"), ("Καραγιάννης", "Καραγιάννη"),
        ("Μιχαηλίδης", "Μιχαηλίδου"), ("Σταυρόπουλος", "Σταυροπούλου"), ("Αλεξίου", "Αλεξίου"),
        ("Λαμπρόπουλος", "Λαμπροπούλου"), ("Πετρόπουλος", "Πετροπούλου"), ("Ζαφειρίου", "Ζαφειρίου"),
        ("Τσιρίγος", "Τσιρίγου"), ("Κυριακίδης", "Κυριακίδου"), ("Ραφαηλίδης", "Ραφαηλίδου"),
        ("Ξενάκης", "Ξενάκη"), ("Φραγκιαδάκης", "Φραγκιαδάκη"), ("Μπακάλης", "Μπακάλη"),
        ("Ντόκος", "Ντόκου"), ("Σαββίδης", "Σαββίδου"), ("Χριστοδούλου", "Χριστοδούλου")]
students = []
for sid in range(1, 401):
    female = rnd.random() < 0.42
    first = rnd.choice(female_first if female else male_first)
    ln = rnd.choice(last)[1 if female else 0]
    father = rnd.choice(male_first)
    pr = 1 if sid <= 330 else 2
    if pr == 1:
        in_year = rnd.randint(2013, 2024)
        exam = min(2 * (2024 - in_year) + 1 + rnd.randint(0, 1), 16)
        orient = rnd.choice([11, 12, 13]) if exam >= 7 else None
        in_exam = 1
    else:
        in_year = rnd.randint(2020, 2024)
        exam = min(2 * (2024 - in_year) + 1, 6)
        orient = 21
        in_exam = 1
    graduated = pr == 1 and exam >= 11 and rnd.random() < 0.6 or pr == 2 and exam >= 5 and rnd.random() < 0.6
    status = 2 if graduated else (4 if rnd.random() < 0.03 else 1)
    sector = {11: 1, 12: 2, 13: 3}.get(orient) if pr == 1 else 4
    studrate = round(rnd.uniform(5.0, 9.6), 2)
    aem = ("10%05d" if pr == 1 else "M%05d") % (sid * 7 + 1000)
    apof = in_year + (5 if pr == 1 else 2) + rnd.randint(0, 2) if graduated else None
    students.append((sid, aem, ln, first, father, "Θ" if female else "Α",
                     "%04d-%02d-%02d" % (in_year - 18, rnd.randint(1, 12), rnd.randint(1, 28)),
                     "st%d@upnet.gr" % (1000000 + sid), DEP, pr, orient, sector, status, exam,
                     rnd.choice([1, 1, 1, 1, 2, 3, 4, 5]) if pr == 1 else 5, in_year, in_exam,
                     1 if rnd.random() < 0.85 else 2,
                     apof, (sid % 97) + 1 if graduated else None,
                     round(rnd.uniform(5.5, 9.5), 2) if graduated else None, studrate,
                     "%04d-%02d-%02d" % (apof, rnd.choice([3, 7, 10]), rnd.randint(1, 28)) if graduated else None))
insert("QEMStudents", ["student_ID", "spec_aem", "lastname", "firstname", "fathername", "gender", "birthdate",
                       "email", "department_ID", "progrspoud_ID", "orient_ID", "sector", "statusID", "exam_ID",
                       "in_modeID", "in_year", "in_exam_ID", "in_period_ID", "sc_apofYear", "sc_arseiras",
                       "or_ptyhgrade", "studrate", "or_date"], students)

# Requirement rows. Each set is (conobject, contypeID, objID, secobjID, expression, [rows]);
# a row is (conID, conoperator, {field: value}). Ids are handed out in order;
# the expression uses {0}, {1} ... for the ids of the set's own rows.
cname = {c[3]: c[0] for c in courses}
sets = [
    (1, 101, 2, None, None, [
        (10, 8, {"conselobjIDs": "or_ptyhgrade", "conoptval1": "6,5"}),
        (10, 0, {"conselobjIDs": "in_modeID", "conoptval1": "5"}),
    ]),
    (1, 102, 1, "11", "{0} AND ({1} OR {2})", [
        (40, 8, {"conselobjIDs": "1", "conoptval6": "3", "conoptval1": "120"}),
        (80, None, {"conselobjIDs": "1,2,3,4", "conoptval1": "", "conoptval3": "0,6", "conoptval4": 1,
                    "conoptval5": "1;20"}),
        (30, 8, {"conselobjIDs": "%d,%d" % (cname["Δομές Δεδομένων"], cname["Αλγόριθμοι και Πολυπλοκότητα"]),
                 "conoptval4": "0", "conoptval3": "0,7", "conoptval6": "0"}),
    ]),
    (1, 102, 1, "12", None, [
        (40, 8, {"conselobjIDs": "1", "conoptval6": "3", "conoptval1": "120"}),
        (30, 8, {"conselobjIDs": "%d,%d,%d" % (cname["Ψηφιακή Σχεδίαση I"], cname["Ψηφιακή Σχεδίαση II"],
                                               cname["Ηλεκτρονική I"]),
                 "conoptval4": "2", "conoptval3": "0,5", "conoptval6": "1"}),
    ]),
    (1, 102, 1, "13", "{0} AND NOT({1})", [
        (40, 8, {"conselobjIDs": "1", "conoptval6": "3", "conoptval1": "120"}),
        (10, 0, {"conselobjIDs": "statusID", "conoptval1": "4"}),
    ]),
    (1, 103, 1, "11", "{0} AND {1} AND {2} AND ({3} OR {4}) AND {5} AND {6}", [
        (40, 8, {"conselobjIDs": "-1", "conoptval6": "3", "conoptval1": "300",
                 "conoptval7": "%d" % cname["Αγγλική Γλώσσα I"]}),
        (50, 8, {"conselobjIDs": "2", "conoptval6": "1", "conoptval1": "4"}),
        (60, 8, {"conselobjIDs": "1", "conoptval6": "1", "conoptval1": "1"}),
        (70, 8, {"conoptval6": "1", "conoptval1": "1"}),
        (20, 8, {"conselobjIDs": "1,2,4", "conoptval6": "0", "conoptval1": "40", "conoptval4": "2"}),
        (110, 5, {"conselobjIDs": "2,3", "conoptval6": "1", "conoptval1": "10", "conoptval2": "20",
                  "conoptval10": "1"}),
        (120, 8, {"conselobjIDs": "1", "conoptval6": "1", "conoptval1": "4", "conoptval8": "3,7"}),
    ]),
    (1, 103, 1, "12", None, [
        (40, 8, {"conselobjIDs": "-1", "conoptval6": "3", "conoptval1": "300"}),
        (50, 8, {"conselobjIDs": "3", "conoptval6": "1", "conoptval1": "4"}),
        (60, 8, {"conselobjIDs": "1", "conoptval6": "1", "conoptval1": "1"}),
    ]),
    (1, 103, 1, "13", None, [
        (40, 8, {"conselobjIDs": "-1", "conoptval6": "3", "conoptval1": "300"}),
        (50, 8, {"conselobjIDs": "4", "conoptval6": "1", "conoptval1": "4"}),
        (60, 8, {"conselobjIDs": "1", "conoptval6": "1", "conoptval1": "1"}),
    ]),
    (1, 103, 2, "21", None, [
        (40, 8, {"conselobjIDs": "-1", "conoptval6": "3", "conoptval1": "120"}),
        (60, 8, {"conselobjIDs": "1", "conoptval6": "1", "conoptval1": "1"}),
    ]),
    (1, 104, 1, None, "{0} OR {1}", [
        (40, 8, {"conselobjIDs": "1,2", "conoptval6": "3", "conoptval1": "180"}),
        (90, 5, {"conoptval1": "2021", "conoptval2": "2023", "conoptval6": "-1", "conoptval3": "0,65",
                 "conoptval4": 0, "conoptval5": "-1;30"}),
    ]),
    (1, 105, 1, None, None, [
        (10, 8, {"conselobjIDs": "exam_ID", "conoptval1": "7"}),
        (80, None, {"conselobjIDs": "-1", "conoptval1": "2022-1,2022-2,2023", "conoptval2": "2022-1,2023-2",
                    "conoptval3": "0,5", "conoptval4": 5, "conoptval5": "1;20#2;4", "conoptval7": "%d" % practicum}),
    ]),
    (1, 108, 1, None, None, [
        (40, 5, {"conselobjIDs": "1", "conoptval6": "0", "conoptval1": "20", "conoptval2": "60",
                 "conoptval9": "1", "conoptval11": "5"}),
    ]),
    (1, 110, 1, None, None, [
        (80, None, {"conselobjIDs": "1,2,3,4,5,6,7,8", "conoptval1": "", "conoptval3": "0,85", "conoptval4": 9,
                    "conoptval12": "1;30#-1;50"}),
        (10, 4, {"conselobjIDs": "exam_ID", "conoptval1": "11"}),
    ]),
    (11, 109, 1, None, None, [
        (90, 0, {"conoptval1": "2023", "conoptval6": "1", "conoptval3": "0,8", "conoptval4": 1}),
        (10, 8, {"conselobjIDs": "studrate", "conoptval1": "8,5"}),
    ]),
    (3, 107, 1, "3", None, [
        (40, 8, {"conselobjIDs": "1", "conoptval6": "1", "conoptval1": "20"}),
    ]),
    (4, 106, 1, str(cname["Λειτουργικά Συστήματα"]), "{0} OR {1}", [
        (30, 8, {"conselobjIDs": "%d,%d" % (cname["Δομές Δεδομένων"], cname["Εισαγωγή στον Προγραμματισμό"]),
                 "conoptval4": "1", "conoptval3": "0,5", "conoptval5": "8;", "conoptval6": "0"}),
        (100, None, {"conselobjIDs": str(cname["Λειτουργικά Συστήματα"]), "conoptval4": "0",
                     "conoptval6": "-2", "conoptval3": "0"}),
    ]),
    (4, 111, 1, str(cname["Εργαστήριο Λειτουργικών Συστημάτων"]), None, [
        (130, 0, {"conselobjIDs": str(cname["Λειτουργικά Συστήματα"]), "conoptval1": "0",
                  "conoptval10": "1,3"}),
    ]),
    (4, 106, 1, str(thesis), None, [
        (30, 8, {"conselobjIDs": "%d,%d" % (thesis1, practicum), "conoptval4": "-1", "conoptval3": "0,5",
                 "conoptval6": "2"}),
    ]),
    (13, 112, int(DEP), None, None, [
        (40, 8, {"conselobjIDs": "-1", "conoptval6": "1", "conoptval1": "2"}),
        (10, 0, {"conselobjIDs": "sector", "conoptval1": "2"}),
    ]),
    (13, 106, int(DEP), None, None, [
        (120, 8, {"conselobjIDs": "1,4", "conoptval6": "2", "conoptval1": "12"}),
        (10, 2, {"conselobjIDs": "statusID", "conoptval1": "3"}),
    ]),
    # student 7 studies under an individual regulation
    (8, 103, 7, None, "{0} AND ({1} OR {2})", [
        (40, 8, {"conselobjIDs": "-1", "conoptval6": "3", "conoptval1": "280"}),
        (50, 8, {"conselobjIDs": "2,4", "conoptval6": "1", "conoptval1": "5"}),
        (60, 8, {"conselobjIDs": "2", "conoptval6": "1", "conoptval1": "1"}),
    ]),
]
cols = ["ocID", "contypeID", "conobject", "objID", "secobjID", "conID", "conoperator"] + \
       ["conoptval%d" % i for i in range(1, 13)] + ["conselobjIDs", "coneval", "ModifiedDate"]
rows = []
oc = 0
for (kind, ctx, obj, sec, expr, reqs) in sets:
    ids = list(range(oc + 1, oc + 1 + len(reqs)))
    oc += len(reqs)
    ev = expr.format(*["[%%%d]" % i for i in ids]) if expr else None
    for i, (conid, op, vals) in zip(ids, reqs):
        r = [i, ctx, kind, obj, sec, conid, op]
        for n in range(1, 13):
            v = vals.get("conoptval%d" % n)
            r.append(None if v == "" else (str(v) if v is not None else None))
        r += [vals.get("conselobjIDs"), ev, "2024-09-01 10:00:00"]
        rows.append(r)
insert("QEMObjectConstraint", cols, rows)

insert("QEMStudRegulation", ["student_ID", "regdate", "sessionID", "notes"], [
    (7, "2023-10-02", "sample", "Μετεγγραφή με αναγνώριση μαθημάτων")])
# programme 1, context 105: a few students are excepted from the practicum requirements
insert("QEMExcludedStudents", ["exID", "student_ID", "objID", "conobject", "contypeID", "extrakey",
                               "sessionID", "ModifiedDate"], [
    (1, 12, 1, 1, 105, 0, "sample", "2024-09-15 12:00:00"),
    (2, 45, 1, 1, 105, 0, "sample", "2024-09-15 12:00:00"),
    (3, 101, 1, 1, 108, 0, "sample", "2024-09-16 09:30:00"),
    (4, 340, int(DEP), 13, 106, 0, "sample", "2024-09-17 11:00:00")] +
    [(5 + i, sid, 1, 1, 103, 0, "sample", "2024-09-18 10:00:00")
     for i, sid in enumerate(sample_transcripts.EXCEPTED_IN_DEGREE)])

# Academic records: course results, enrolments, projects and practicums.
notes, results, enrolments, projects, practicums = sample_transcripts.build(courses, pcs, students)
out.append("\n".join("-- " + line for line in notes))
insert("QEMStudentResults", ["resID", "student_ID", "courseID", "acyear", "epID", "termID", "grade", "exemption"],
       results, chunk=500)
insert("QEMStudentEnrolments", ["enrID", "student_ID", "courseID", "acyear", "termID", "sectcatID"], enrolments,
       chunk=500)
insert("QEMStudentProjects", ["prjID", "student_ID", "prjtypeID", "completed", "credits", "ects"], projects,
       chunk=500)
insert("QEMStudentPracticums", ["pracID", "student_ID", "completed"], practicums, chunk=500)

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system.sql"), "w", encoding="utf-8") as f:
    f.write("-- Generated by data/tools/make_sample.py; edit that script, not this file.\n")
    f.write("\n\n".join(system) + "\n")
sys.stdout.write("-- Generated by data/tools/make_sample.py; edit that script, not this file.\n")
sys.stdout.write("\n\n".join(out) + "\n")
print("-- %d courses, %d programme courses, %d students, %d requirements, %d results, %d enrolments" % (
    len(courses), len(pcs), len(students), len(rows), len(results), len(enrolments)), file=sys.stderr)
