"""Academic records of the sample department's students: course results,
course enrolments, projects and practicums, for data/sample.sql.

Most students get a transcript drawn from their semester, their average and
their entry mode: graduates passed everything their degree needs, active
students are where their semester puts them, with re-sits and a few courses
still missing. A handful of students have transcripts written by hand so that
the degree requirements of programme 1 (context 103) are met by some and
missed by others for one reason each; CASES says who and why, sample.sql shows
it as a table above the transcripts, and build() checks every figure the table
states against the rows it writes."""
import random

# What the degree sets of programme 1 (context 103) ask, by requirement id, as sample.sql shows them.
LEGEND = [
    "Curriculum 11: [%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]",
    "  [%10] ECTS >= 300, Αγγλική Γλώσσα I excepted   [%11] 4 courses of group 2   [%12] a completed diploma thesis",
    "  [%13] a completed practicum   [%14] 40 credits in subjects 1, 2, 4 (two of them at least)",
    "  [%15] between 10 and 20 courses of modes 2, 3 in sector 1   [%16] 4 courses of sector 1, course types 3, 7 excepted",
    "Curriculum 12: [%17] ECTS >= 300, [%18] 4 courses of group 3, [%19] a completed diploma thesis, all of them",
    "Curriculum 13: [%20] ECTS >= 300, [%21] 4 courses of group 4, [%22] a completed diploma thesis, all of them",
    "Student 7's own set: [%43] ECTS >= 280 AND ([%44] 5 courses of groups 2, 4 OR [%45] a completed πτυχιακή εργασία)",
]
# (student, curriculum, outcome, figures a registrar can check on paper)
CASES = [
    (21, 11, "MET", "ECTS 313; group 2: 6 courses; thesis and practicum completed; modes 2,3 in sector 1: 12"),
    (34, 11, "MET", "no practicum, but 79 credits in subjects 1, 2, 4 ([%13] OR [%14])"),
    (49, 11, "MET", "at the ends: ECTS exactly 300 (302 with Αγγλική Γλώσσα I); modes 2,3 in sector 1: exactly 10"),
    (186, 11, "MET", "failed Αλγόριθμοι και Πολυπλοκότητα twice (3, 4,5) before passing it with 6,5: it counts once"),
    (22, 11, "MET", "four first-year courses recognised as exemptions (no grade) count as passed"),
    (84, 11, "UNMET", "[%10] ECTS 298: Αγγλική Γλώσσα I (2) is excepted; Βάσεις Δεδομένων passed twice "
                      "(5,5, then 8 as an improvement) counts once"),
    (75, 11, "UNMET", "[%11] group 2 has 3 courses, needs 4"),
    (9, 11, "UNMET", "[%12] diploma thesis still in progress; a completed semester project is of another type"),
    (11, 11, "UNMET", "[%13] practicum not completed and [%14] 36 credits in subjects 1, 2, 4 (failed Εισαγωγή στον "
                      "Προγραμματισμό, Δομές Δεδομένων, Αλγόριθμοι και Πολυπλοκότητα, Θεωρία Υπολογισμού, "
                      "Εργαστήριο Λειτουργικών Συστημάτων)"),
    (164, 11, "UNMET", "[%15] 9 courses of modes 2,3 in sector 1, needs between 10 and 20"),
    (205, 11, "EXCEPTED", "excepted from the degree requirements (thesis in progress)"),
    (25, 12, "MET", "ECTS 311; group 3: 9 courses; thesis completed"),
    (28, 12, "MET", "transfer student: five courses recognised, two of them with a grade"),
    (70, 12, "UNMET", "[%17] ECTS 295, needs 300"),
    (133, 12, "UNMET", "[%18] group 3 has 3 courses, needs 4"),
    (166, 12, "UNMET", "[%19] no diploma thesis at all"),
    (102, 13, "MET", "ECTS 303; group 4: 6 courses; thesis completed"),
    (43, 13, "UNMET", "[%21] group 4 has 2 courses, needs 4 (ECTS exactly 300)"),
    (78, 13, "UNMET", "[%20] ECTS 289, needs 300"),
    (7, 13, "MET", "individual regulation: [%43] ECTS 284; [%44] groups 2, 4: 4 courses, but [%45] a completed "
                   "πτυχιακή εργασία; the programme's [%20] would need 300"),
]
# Curriculum choice (context 102), curriculum 12: [%6] ECTS of compulsory courses >= 120 AND [%7] two of
# Ψηφιακή Σχεδίαση I, Ψηφιακή Σχεδίαση II, Ηλεκτρονική I passed.
CHOICE_CASES = [
    (154, 12, "UNMET", "[%7] of the three prerequisite courses only Ψηφιακή Σχεδίαση I passed"),
]
EXCEPTED_IN_DEGREE = [205]

GROUP_OF_CURRICULUM = {11: 2, 12: 3, 13: 4}
CURRENT_YEAR = 2024   # the department's current academic year; its winter exams are still to come
LAST_EXAM_YEAR = CURRENT_YEAR - 1


class Catalogue:
    """The courses of a programme with the attributes its course list gives them."""

    def __init__(self, courses, pcs, pr):
        self.pr = pr
        self.course = {c[0]: c for c in courses}
        self.title = {c[3]: c[0] for c in courses}
        self.list = {}
        for p in pcs:
            if p[1] == pr:
                (_, _, cid, _, _, kind, ctype, sem, dg, orid, credits, hours, ects, coeff, in_grade) = p
                c = self.course[cid]
                self.list[cid] = dict(kind=kind, ctype=ctype, sem=sem, dg=dg, area=c[9], sector=c[10], cat=c[11],
                                      credits=credits, hours=hours, ects=ects)

    def id(self, title):
        return self.title[title]

    def where(self, **match):
        return [cid for cid, a in self.list.items() if all(a[k] == v for k, v in match.items())]


class Transcript:
    """One student's record, built course by course in the order the student took them."""

    def __init__(self, sid, in_year, last_year, rate, rnd):
        self.sid, self.in_year, self.last_year, self.rate, self.rnd = sid, in_year, last_year, rate, rnd
        self.results, self.enrolments, self.projects, self.practicums = [], [], [], []
        self.passed = set()
        self.pending = []   # (course, term) planned but not passed: enrolled again this year

    def pass_grade(self):
        return max(5.0, min(10.0, round(self.rnd.gauss(self.rate, 1.1) * 2) / 2))

    def fail_grade(self):
        return self.rnd.choice([1.5, 2.0, 2.5, 3.0, 3.5, 4.0, 4.5])

    def usual_fails(self):
        p = max(0.05, min(0.45, 0.45 - (self.rate - 5.0) * 0.08))
        fails = 0
        while fails < 3 and self.rnd.random() < p:
            fails += 1
        return fails

    def take(self, cid, sem, lab=False, passes=True, fails=None, grades=None, improve=None):
        """Attempts: the course's own exam period (1 winter, 2 spring) of the year its semester
        falls in, then September (3), then the next year; `grades` fixes the grades tried."""
        year = min(self.in_year + (sem - 1) // 2, self.last_year)
        term = 1 if sem % 2 else 2
        if grades is None:
            fails = self.usual_fails() if fails is None else fails
            grades = [self.fail_grade() for _ in range(fails)]
            grades += [self.pass_grade()] if passes else [self.fail_grade()]
        # a re-sit that would fall after the last exams moves the course's first year back
        while year > self.in_year and year + (len(grades) - 1) // 2 > self.last_year:
            year -= 1
        enrolled = set()
        for attempt, grade in enumerate(grades):
            y = year + attempt // 2
            if y > self.last_year:
                break
            if y not in enrolled:
                self.enrolments.append((cid, y, term, 4 if enrolled or attempt else (2 if lab else 1)))
                enrolled.add(y)
            self.results.append((cid, y, term if attempt % 2 == 0 else 3, term, grade, 0))
            if grade >= 5:
                self.passed.add(cid)
                break
        if improve is not None and cid in self.passed:
            y = self.results[-1][1]
            self.results.append((cid, y, 3, term, improve, 0))
        if cid not in self.passed:
            self.pending.append((cid, term))

    def exempt(self, cid, grade=None):
        self.results.append((cid, self.in_year, None, None, grade, -1))
        self.passed.add(cid)

    def project(self, kind, completed, credits, ects):
        self.projects.append((kind, -1 if completed else 0, credits, ects))

    def practicum(self, completed):
        self.practicums.append((-1 if completed else 0,))

    def enrol_current(self, cat):
        """This winter's enrolments: the winter courses still to pass."""
        for cid, term in self.pending:
            if term == 1 and cat.list[cid]["sem"] <= 10:
                self.enrolments.append((cid, CURRENT_YEAR, 1, 4))


def totals(t, cat, exclude=()):
    courses = [c for c in t.passed if c in cat.list and c not in exclude]
    return sum(cat.list[c]["ects"] for c in courses)


def count(t, cat, **match):
    return sum(1 for c in t.passed if c in cat.list and all(cat.list[c][k] == v for k, v in match.items()))


def modes_in_sector(t, cat, modes, sector):
    return sum(1 for c in t.passed if c in cat.list and cat.list[c]["cat"] in modes and cat.list[c]["sector"] == sector)


def subject_credits(t, cat, areas):
    return sum(cat.list[c]["credits"] for c in t.passed if c in cat.list and cat.list[c]["area"] in areas)


class Undergraduate:
    """Plans of programme 1: the core of semesters 1 to 6, electives from semester 7 on."""

    def __init__(self, cat, rnd):
        self.cat, self.rnd = cat, rnd
        self.core = sorted(cat.where(dg=1), key=lambda c: (cat.list[c]["sem"], c))
        self.electives = sorted([c for c in cat.list if cat.list[c]["dg"] in (2, 3, 4, 5)],
                                key=lambda c: (cat.list[c]["sem"], c))
        self.thesis = cat.id("Διπλωματική Εργασία")
        self.practicum = cat.id("Πρακτική Άσκηση")
        self.english1 = cat.id("Αγγλική Γλώσσα I")
        # electives of sector 1 in modes 2 and 3: what curriculum 11's requirement [6] counts
        self.sector1 = [c for c in self.electives if cat.list[c]["sector"] == 1 and cat.list[c]["cat"] in (2, 3)]

    def lab(self, cid):
        return self.cat.list[cid]["ctype"] == 4

    def sem(self, cid):
        return min(self.cat.list[cid]["sem"], 10)

    def pick_electives(self, group, n, avoid=()):
        own = [c for c in self.electives if self.cat.list[c]["dg"] == group and c not in avoid]
        rest = [c for c in self.electives if self.cat.list[c]["dg"] != group and c not in avoid]
        chosen = self.rnd.sample(own, min(len(own), (n * 3 + 4) // 5))
        chosen += self.rnd.sample(rest, n - len(chosen))
        return sorted(chosen, key=lambda c: (self.sem(c), c))

    def take_all(self, t, courses, leave=0.0):
        for c in courses:
            passes = self.rnd.random() >= leave
            t.take(c, self.sem(c), lab=self.lab(c), passes=passes)


def student_rows(t, sid, ids):
    res, enr, prj, prac = [], [], [], []
    for r in t.results:
        ids["res"] += 1
        res.append((ids["res"], sid) + r)
    # the enrolments of the student's last year of examinations and of this year; older ones are archived
    last = max((r[1] for r in t.results), default=CURRENT_YEAR)
    for e in [e for e in t.enrolments if e[1] >= last or e[1] == CURRENT_YEAR]:
        ids["enr"] += 1
        enr.append((ids["enr"], sid) + e)
    for p in t.projects:
        ids["prj"] += 1
        prj.append((ids["prj"], sid) + p)
    for p in t.practicums:
        ids["prac"] += 1
        prac.append((ids["prac"], sid) + p)
    return res, enr, prj, prac


def build(courses, pcs, students):
    """Returns (comment lines, results, enrolments, projects, practicums) as rows for sample.sql."""
    rnd = random.Random(2025)   # a stream of its own: the rows drawn before stay as they were
    ug_cat = Catalogue(courses, pcs, 1)
    pg_cat = Catalogue(courses, pcs, 2)
    ug = Undergraduate(ug_cat, rnd)
    designed = {c[0]: c for c in CASES + CHOICE_CASES}
    ids = dict(res=0, enr=0, prj=0, prac=0)
    rows = ([], [], [], [])
    for st in students:
        (sid, _aem, _ln, _fn, _fa, _g, _bd, _em, _dep, pr, orient, _sector, status, exam, in_mode, in_year,
         _ie, _ip, apof, _ars, _grade, rate, _od) = st
        graduated = status == 2
        last_year = min(apof - 1, LAST_EXAM_YEAR) if graduated else LAST_EXAM_YEAR
        t = Transcript(sid, in_year, last_year, rate, rnd)
        if pr == 2:
            postgraduate(t, pg_cat, rnd, exam, graduated)
        elif sid in designed:
            DESIGNED[sid](t, ug, ug_cat)
        else:
            undergraduate(t, ug, ug_cat, rnd, orient, exam, graduated, in_mode)
        if not graduated and status != 3:
            t.enrol_current(ug_cat if pr == 1 else pg_cat)
        for table, new in zip(rows, student_rows(t, sid, ids)):
            table.extend(new)
        if sid in designed:
            check(sid, t, ug, ug_cat)
    return comment_lines(), rows[0], rows[1], rows[2], rows[3]


def undergraduate(t, ug, cat, rnd, orient, exam, graduated, in_mode):
    progress = 10 if graduated else min(exam - 1, 10)
    core = [c for c in ug.core if ug.sem(c) <= progress]
    exempt = []
    if in_mode in (3, 5):   # transfers and second degrees bring recognised courses
        early = [c for c in core if ug.sem(c) <= 4]
        exempt = rnd.sample(early, min(len(early), rnd.randint(3, 7)))
    for c in exempt:
        t.exempt(c, rnd.choice([None, 6.0, 6.5, 7.0, 8.0]))
    leave = 0.0 if graduated else max(0.02, 0.05 + (9.6 - t.rate) * 0.03)
    ug.take_all(t, [c for c in core if c not in exempt], leave)
    if progress < 7:
        return
    group = GROUP_OF_CURRICULUM.get(orient, rnd.choice([2, 3, 4]))
    electives = ug.pick_electives(group, 4 * (progress - 6) + rnd.randint(0, 2 * (progress - 6)))
    if orient == 11:   # curriculum 11 asks for courses of modes 2 and 3 in sector 1
        electives = sorted(set(electives) | set(rnd.sample(ug.sector1, 3)), key=lambda c: (ug.sem(c), c))
    ug.take_all(t, electives, leave)
    if progress >= 8 and (graduated or rnd.random() < 0.5):
        done = graduated and orient == 11 or rnd.random() < 0.7
        t.practicum(done)
        if done:
            t.take(ug.practicum, 8, grades=[t.pass_grade()])
    if progress >= 6 and rnd.random() < 0.3:
        t.project(3, True, 2, 5)
    if progress == 10:
        done = graduated or exam >= 12 and rnd.random() < 0.5
        t.project(1, done, 10, 30)
        if done:
            t.take(ug.thesis, 10, grades=[t.pass_grade()])
    if graduated:
        # a graduate has what the degree needs: ECTS above 300 and the curriculum's group
        target = rnd.randint(304, 320)
        extra = [c for c in ug.electives if c not in t.passed]
        rnd.shuffle(extra)
        extra.sort(key=lambda c: ug_cat_group(cat, c) != group)
        while totals(t, cat, exclude=(ug.english1,)) < target or count(t, cat, dg=group) < 5:
            c = extra.pop(0)
            t.take(c, ug.sem(c), passes=True)


def ug_cat_group(cat, cid):
    return cat.list[cid]["dg"]


def postgraduate(t, cat, rnd, exam, graduated):
    progress = 4 if graduated else min(exam - 1, 4)
    courses = sorted(cat.list, key=lambda c: (cat.list[c]["sem"], c))
    compulsory = [c for c in courses if cat.list[c]["dg"] == 6 and cat.list[c]["ctype"] in (1, 3)]
    electives = rnd.sample([c for c in courses if cat.list[c]["dg"] in (7, 8)], 6)
    thesis = cat.id("Μεταπτυχιακή Διπλωματική Εργασία")
    for c in sorted(compulsory + electives, key=lambda c: (cat.list[c]["sem"], c)):
        if cat.list[c]["sem"] <= progress:
            t.take(c, cat.list[c]["sem"], passes=graduated or rnd.random() < 0.93)
    if progress >= 3:
        done = graduated or progress >= 4 and rnd.random() < 0.4
        t.project(1, done, 10, 30)
        if done:
            t.take(thesis, 3, grades=[t.pass_grade()])


# Hand-written transcripts: the full programme of a curriculum with the changes each case needs.

def full(t, ug, cat, curriculum, electives, practicum=True, thesis=True, skip=(), fail=(), exempt=()):
    """The core (less `skip`, failing `fail`, recognising `exempt`), the named electives, the
    practicum and the thesis."""
    for title in exempt:
        t.exempt(cat.id(title))
    exempt_ids = {cat.id(title) for title in exempt}
    skip_ids = {cat.id(title) for title in skip} | exempt_ids
    fail_ids = {cat.id(title) for title in fail}
    for c in ug.core:
        if c in skip_ids:
            continue
        t.take(c, ug.sem(c), lab=ug.lab(c), passes=c not in fail_ids, fails=1 if c in fail_ids else None)
    for title in electives:
        c = cat.id(title)
        t.take(c, ug.sem(c))
    if practicum is not None:
        t.practicum(practicum)
        if practicum:
            t.take(ug.practicum, 8, grades=[t.pass_grade()])
    if thesis is not None:
        t.project(1, thesis, 10, 30)
        if thesis:
            t.take(ug.thesis, 10, grades=[t.pass_grade()])


# Electives by group; those of group 2 in sector 1 and modes 2 and 3 apart.
G2_SECTOR1 = ["Ανάκτηση Πληροφορίας", "Συστήματα Διαχείρισης Βάσεων Δεδομένων", "Εξόρυξη Δεδομένων"]
G2_OTHER = ["Ασφάλεια Υπολογιστικών Συστημάτων", "Γραφικά Υπολογιστών", "Ανάπτυξη Διαδικτυακών Εφαρμογών",
            "Ασύρματα Δίκτυα", "Κινητός Υπολογισμός", "Υπολογιστικό Νέφος"]
G3 = ["Ενσωματωμένα Συστήματα", "Σχεδίαση Συστημάτων VLSI", "Παράλληλοι Υπολογισμοί", "Αρχιτεκτονική Δικτύων",
      "Σχεδίαση Ψηφιακών Συστημάτων", "Ρομποτική", "Σχεδίαση Μικροεπεξεργαστών"]
G4 = ["Μηχανική Μάθηση", "Κρυπτογραφία", "Υπολογιστική Γεωμετρία", "Όραση Υπολογιστών",
      "Επεξεργασία Φυσικής Γλώσσας", "Θεωρία Γράφων", "Βιοπληροφορική", "Κβαντικός Υπολογισμός"]
FREE = ["Οικονομικά της Τεχνολογίας", "Επιχειρηματικότητα", "Ιστορία της Τεχνολογίας", "Τεχνική Συγγραφή",
        "Δίκαιο της Πληροφορικής"]


def sector1(cat, n):
    """The first `n` electives of sector 1 in modes 2 and 3: the three of group 2 and their variants."""
    return (G2_SECTOR1 + variants(cat, G2_SECTOR1))[:n]


def variants(cat, titles):
    """The advanced variant of each elective ("<title> - Προχωρημένα Θέματα" and the like)."""
    return [next(name for name in cat.title if name.startswith(title + " - ")) for title in titles]


def s21(t, ug, cat):
    full(t, ug, cat, 11, sector1(cat, 5) + G2_OTHER[:1] + G3 + G4 + variants(cat, G3[:4]) + FREE[:2])


def s34(t, ug, cat):
    full(t, ug, cat, 11, sector1(cat, 4) + G2_OTHER[:2] + G3 + G4 + variants(cat, G3[:3]) + FREE[:2], practicum=None)


def s49(t, ug, cat):
    full(t, ug, cat, 11, sector1(cat, 3) + G2_OTHER[:3] + G3 + G4 + variants(cat, G4[:3]))


def s186(t, ug, cat):
    algorithms = cat.id("Αλγόριθμοι και Πολυπλοκότητα")
    full(t, ug, cat, 11, sector1(cat, 4) + G2_OTHER[:2] + G3 + G4 + variants(cat, G3[:3]) + FREE[:2],
         skip=["Αλγόριθμοι και Πολυπλοκότητα"])
    t.take(algorithms, 4, grades=[3.0, 4.5, 6.5])


def s22(t, ug, cat):
    full(t, ug, cat, 11, sector1(cat, 4) + G2_OTHER[:2] + G3 + G4 + variants(cat, G3[:3]) + FREE[:2],
         exempt=["Μαθηματικά I", "Φυσική", "Γραμμική Άλγεβρα", "Ηλεκτρικά Κυκλώματα"])


def s84(t, ug, cat):
    databases = cat.id("Βάσεις Δεδομένων")
    full(t, ug, cat, 11, sector1(cat, 3) + G2_OTHER[:3] + G3 + G4 + variants(cat, G4[:1]) + FREE[:2],
         skip=["Βάσεις Δεδομένων"])
    t.take(databases, 5, grades=[5.5], improve=8.0)


def s75(t, ug, cat):
    full(t, ug, cat, 11, sector1(cat, 3) + G3 + G4 + variants(cat, G3[:3]) + FREE[:4])


def s9(t, ug, cat):
    full(t, ug, cat, 11, sector1(cat, 4) + G2_OTHER[:2] + G3 + G4 + variants(cat, G3[:3]) + FREE[:2], thesis=False)
    t.project(3, True, 2, 5)


def s11(t, ug, cat):
    # no elective of subjects 1, 2 or 4 beyond the three of sector 1 that requirement [6] needs
    failed = ["Εισαγωγή στον Προγραμματισμό", "Δομές Δεδομένων", "Αλγόριθμοι και Πολυπλοκότητα",
              "Θεωρία Υπολογισμού", "Εργαστήριο Λειτουργικών Συστημάτων"]
    other = ["Ασφάλεια Υπολογιστικών Συστημάτων", "Γραφικά Υπολογιστών", "Ασύρματα Δίκτυα", "Κινητός Υπολογισμός",
             "Υπολογιστικό Νέφος"]
    learning = ["Μηχανική Μάθηση", "Όραση Υπολογιστών", "Επεξεργασία Φυσικής Γλώσσας"]
    full(t, ug, cat, 11, sector1(cat, 3) + other + variants(cat, other) + G3 + variants(cat, G3[:5]) + learning
         + FREE[:3], practicum=False, fail=failed)


def s164(t, ug, cat):
    full(t, ug, cat, 11, sector1(cat, 2) + G2_OTHER[:4] + G3 + G4 + variants(cat, G3[:1]) + FREE[:4])


def s205(t, ug, cat):
    full(t, ug, cat, 11, sector1(cat, 4) + G2_OTHER[:2] + G3 + G4 + variants(cat, G3[:3]) + FREE[:2], thesis=False)


def s25(t, ug, cat):
    full(t, ug, cat, 12, G3 + variants(cat, G3[:2]) + G2_OTHER + G4 + variants(cat, G4[:2]) + FREE[:2],
         practicum=None)


def s28(t, ug, cat):
    t.exempt(cat.id("Ψηφιακή Σχεδίαση I"), 7.0)
    t.exempt(cat.id("Αριθμητική Ανάλυση"), 6.5)
    full(t, ug, cat, 12, G3 + variants(cat, G3[:2]) + G2_OTHER + G4 + variants(cat, G4[:2]) + FREE[:2],
         practicum=None, exempt=["Μαθηματικά I", "Διακριτά Μαθηματικά", "Γραμμική Άλγεβρα"],
         skip=["Ψηφιακή Σχεδίαση I", "Αριθμητική Ανάλυση"])


def s70(t, ug, cat):
    full(t, ug, cat, 12, G3[:6] + G2_OTHER[:4] + G4[:6] + variants(cat, G3[:5]) + FREE[:3], practicum=None)


def s133(t, ug, cat):
    full(t, ug, cat, 12, G3[:3] + G2_OTHER + G4 + variants(cat, G2_OTHER[:4] + G4[:1]) + FREE[:4], practicum=None)


def s166(t, ug, cat):
    full(t, ug, cat, 12, G3[:6] + G2_OTHER[:4] + G4 + variants(cat, G3[:3]) + FREE[:5], thesis=None)


def s102(t, ug, cat):
    full(t, ug, cat, 13, G4[:6] + G2_OTHER + G3 + variants(cat, G3[:6]), practicum=None)


def s43(t, ug, cat):
    full(t, ug, cat, 13, G4[:2] + G2_OTHER + G3 + variants(cat, G3) + FREE[:3], practicum=None)


def s78(t, ug, cat):
    full(t, ug, cat, 13, G4[:6] + G2_OTHER[:4] + G3 + variants(cat, G3[:2]) + FREE[:3])


def s7(t, ug, cat):
    # a transfer under his own regulation: the first year recognised; his own set asks 280 ECTS
    full(t, ug, cat, 13, G4[:2] + G2_OTHER[:2] + G3 + variants(cat, G3) + FREE[:5],
         practicum=None, thesis=None,
         exempt=["Μαθηματικά I", "Φυσική", "Διακριτά Μαθηματικά", "Μαθηματικά II", "Γραμμική Άλγεβρα",
                 "Ηλεκτρικά Κυκλώματα"])
    t.project(2, True, 6, 15)


def s154(t, ug, cat):
    core = [c for c in ug.core if ug.sem(c) <= 6]
    failed = {cat.id("Ψηφιακή Σχεδίαση II"), cat.id("Ηλεκτρονική I")}
    for c in core:
        t.take(c, ug.sem(c), lab=ug.lab(c), passes=c not in failed, fails=1 if c in failed else None)
    for title in G3[:3]:
        c = cat.id(title)
        t.take(c, ug.sem(c))


DESIGNED = {21: s21, 34: s34, 49: s49, 186: s186, 22: s22, 84: s84, 75: s75, 9: s9, 11: s11, 164: s164, 205: s205,
            25: s25, 28: s28, 70: s70, 133: s133, 166: s166, 102: s102, 43: s43, 78: s78, 7: s7, 154: s154}

# The figures CASES states, checked against each hand-written transcript.
EXPECTED = {
    21: dict(ects=313, group=6, sector1=12),
    34: dict(practicum=None, subjects=79),
    49: dict(ects=300, ects_all=302, sector1=10),
    84: dict(ects=298, ects_all=300),
    75: dict(group=3),
    9: dict(thesis=False),
    11: dict(practicum=False, subjects=36),
    164: dict(sector1=9),
    25: dict(ects=311, group=9),
    70: dict(ects=295),
    133: dict(group=3),
    166: dict(thesis=None),
    102: dict(ects=303, group=6),
    43: dict(group=2, ects=300),
    78: dict(ects=289),
    7: dict(ects=284, groups24=4),
}


def check(sid, t, ug, cat):
    curriculum = next(c[1] for c in CASES + CHOICE_CASES if c[0] == sid)
    group = GROUP_OF_CURRICULUM[curriculum]
    english = (ug.english1,) if curriculum == 11 else ()
    facts = dict(
        ects=totals(t, cat, exclude=english), ects_all=totals(t, cat), group=count(t, cat, dg=group),
        sector1=modes_in_sector(t, cat, (2, 3), 1), subjects=subject_credits(t, cat, (1, 2, 4)),
        groups24=count(t, cat, dg=2) + count(t, cat, dg=4),
        practicum=any(p[0] == -1 for p in t.practicums) if t.practicums else None,
        thesis=next((p[1] == -1 for p in t.projects if p[0] == 1), None))
    for name, want in EXPECTED.get(sid, {}).items():
        assert facts[name] == want, "student %d: %s is %r, the table says %r" % (sid, name, facts[name], want)
    outcome = next(c[2] for c in CASES + CHOICE_CASES if c[0] == sid)
    if outcome == "MET" and sid != 7:
        assert facts["ects"] >= 300 and facts["group"] >= 4 and facts["thesis"], "student %d: %r" % (sid, facts)


def comment_lines():
    lines = ["Who meets the degree requirements of programme 1 (context 103), and why not."] + LEGEND
    lines.append("student  curriculum  outcome   figures")
    for sid, curriculum, outcome, why in CASES:
        lines.append("%-8d %-11d %-9s %s" % (sid, curriculum, outcome, why))
    lines.append("Curriculum choice (context 102), curriculum 12: [%6] ECTS of compulsory courses >= 120 AND [%7] two "
                 "of Ψηφιακή Σχεδίαση I, II, Ηλεκτρονική I passed")
    for sid, curriculum, outcome, why in CHOICE_CASES:
        lines.append("%-8d %-11d %-9s %s" % (sid, curriculum, outcome, why))
    lines.append("Graduates (status 2) of programme 1 meet the requirements of their curriculum; every other student "
                 "is where his semester puts him.")
    return lines
