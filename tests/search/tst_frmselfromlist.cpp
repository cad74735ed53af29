#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "recordset/recordset.h"
#include "common/schema.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "search/frmselfromlist.h"
#include "search/zrsearchx.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QListView>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QTextDocument>
#include <QTreeView>
#include <QTest>
#include <QTimer>

using namespace zr;

namespace {

SchemaColumn column(const QString &name, int type, const QString &caption, const QString &list = {})
{
    SchemaColumn c;
    c.name = name;
    c.captionGreek = caption;
    c.captionEnglish = caption;
    c.type = type;
    c.sqlType = (type == FieldText || type == FieldListText) ? SqlType::Text : SqlType::Integer;
    c.listSource = list;
    return c;
}

class TestSchema : public Schema
{
public:
    SchemaTable students;
    SchemaTable courses;
    TestSchema()
    {
        students.name = QStringLiteral("v_students");
        students.keyColumn = QStringLiteral("student_ID");
        students.whereText = QStringLiteral("statusID <> 3");
        students.columns = {
            column(QStringLiteral("student_ID"), FieldInteger, QStringLiteral("Κωδικός")),
            column(QStringLiteral("spec_aem"), FieldText, QStringLiteral("Α.Μ.")),
            column(QStringLiteral("lastname"), FieldText, QStringLiteral("Επώνυμο")),
            column(QStringLiteral("gender"), FieldListText, QStringLiteral("Φύλο"), QStringLiteral("TEXT:Α;Άνδρας;Θ;Γυναίκα")),
            column(QStringLiteral("statusID"), FieldList, QStringLiteral("Κατάσταση"),
                   QStringLiteral("RECORDSET:SYS_StudentStatus")),
        };
        students.columns[0].searchable = false;
        students.layouts.insert(QStringLiteral("selectStudents"),
                                {QStringLiteral("spec_aem"), QStringLiteral("lastname"), QStringLiteral("gender"),
                                 QStringLiteral("statusID")});
        courses.name = QStringLiteral("QEMDepProgramCourses");
        courses.keyColumn = QStringLiteral("courseID");
        courses.columns = {
            column(QStringLiteral("courseID"), FieldInteger, QStringLiteral("Μάθημα")),
            column(QStringLiteral("coursecode"), FieldText, QStringLiteral("Κωδικός μαθήματος")),
            column(QStringLiteral("title"), FieldText, QStringLiteral("Τίτλος")),
            column(QStringLiteral("coursetype"), FieldBitMask, QStringLiteral("Είδος μαθήματος")),
            column(QStringLiteral("semID"), FieldInteger, QStringLiteral("Εξάμηνο")),
        };
    }
    QString defaultTableName() const override { return students.name; }
    QStringList tableNames() const override { return {students.name, courses.name}; }
    const SchemaTable *table(const QString &name) const override
    {
        if (name.compare(students.name, Qt::CaseInsensitive) == 0)
            return &students;
        if (name.compare(courses.name, Qt::CaseInsensitive) == 0)
            return &courses;
        return nullptr;
    }
    SqlDialect dialect() const override { return SqlDialect::SQLite; }
};

// Students 1..count: "AEM<n>", lastname from a short cycle, alternating gender.
Recordset students(int count)
{
    Recordset rs({makeField(QStringLiteral("student_ID"), adInteger), makeField(QStringLiteral("spec_aem"), adVarWChar, 20),
                  makeField(QStringLiteral("lastname"), adVarWChar, 100), makeField(QStringLiteral("gender"), adVarWChar, 1),
                  makeField(QStringLiteral("statusID"), adInteger)});
    const QStringList names = {QStringLiteral("Παπαδόπουλος"), QStringLiteral("O'Brien"), QStringLiteral("Νικολάου")};
    for (int i = 1; i <= count; ++i) {
        rs.addNew();
        rs.setValue(0, i);
        rs.setValue(1, QStringLiteral("AEM%1").arg(i));
        rs.setValue(2, names.at((i - 1) % names.size()));
        rs.setValue(3, i % 2 ? QStringLiteral("Α") : QStringLiteral("Θ"));
        rs.setValue(4, 1 + i % 2);
    }
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

SelectRsOptions studentOptions(const TestSchema &schema)
{
    SelectRsOptions options;
    options.schema = &schema;
    options.tableName = QStringLiteral("v_students");
    options.layoutName = QStringLiteral("selectStudents");
    options.idField = QStringLiteral("student_ID");
    options.displayField = QStringLiteral("spec_aem");
    options.requestName = QStringLiteral("students");
    options.title = QStringLiteral("Επιλογή φοιτητών");
    return options;
}

// Courses 1..n of semesters `semesters` (an invalid value leaves the semester empty).
Recordset coursesOfSemesters(const QVariantList &semesters)
{
    Recordset rs({makeField(QStringLiteral("courseID"), adInteger), makeField(QStringLiteral("coursecode"), adVarWChar, 20),
                  makeField(QStringLiteral("semID"), adInteger)});
    for (int i = 0; i < semesters.size(); ++i) {
        rs.addNew();
        rs.setValue(0, i + 1);
        rs.setValue(1, QStringLiteral("ΜΑΘ%1").arg(i + 1));
        if (semesters.at(i).isValid())
            rs.setValue(2, semesters.at(i));
    }
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

// Triggers the toolbar's entry for grouping by `field`.
bool groupBy(frmSelFromList &dialog, const QString &field)
{
    auto *group = dialog.findChild<QAction *>(QStringLiteral("group"));
    if (!group || !group->menu())
        return false;
    for (QAction *entry : group->menu()->actions()) {
        if (entry->objectName() == QStringLiteral("group:") + field) {
            entry->trigger();
            return true;
        }
    }
    return false;
}

// Each group row as "heading|ids of its rows".
QStringList groupsOf(const QTreeView *tree)
{
    QStringList groups;
    const QAbstractItemModel *model = tree->model();
    for (int g = 0; g < model->rowCount(); ++g) {
        const QModelIndex group = model->index(g, 0);
        QStringList ids;
        for (int r = 0; r < model->rowCount(group); ++r)
            ids << model->index(r, 0, group).data().toString();
        groups << group.data().toString() + QLatin1Char('|') + ids.join(QLatin1Char(','));
    }
    return groups;
}

QString statusFor(int count)
{
    if (count == 0)
        return GetLangString(20572);
    if (count == 1)
        return GetLangString(20573);
    return ReplaceParams(GetLangString(20574), {QString::number(count)});
}

} // namespace

class TestFrmSelFromList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangGreek); }

    // The filter the caller receives: the base filter narrowed by the search pane's statement.
    void searchAsksWithCombinedFilter_data()
    {
        QTest::addColumn<QString>("baseFilter");
        QTest::addColumn<QString>("lastname");
        QTest::addColumn<QString>("expected");

        QTest::newRow("nothing: the table's own text") << QString() << QString() << "statusID <> 3";
        QTest::newRow("base only") << "  progrspoud_ID=5 " << QString() << "progrspoud_ID=5 AND (statusID <> 3)";
        QTest::newRow("criteria only") << QString() << "Pap" << "(lastname LIKE 'Pap%') AND (statusID <> 3)";
        QTest::newRow("base and criteria")
            << "department_ID = 'PHYS'" << "O'B"
            << "department_ID = 'PHYS' AND ((lastname LIKE 'O''B%') AND (statusID <> 3))";
    }

    void searchAsksWithCombinedFilter()
    {
        QFETCH(QString, baseFilter);
        QFETCH(QString, lastname);
        QFETCH(QString, expected);

        TestSchema schema;
        frmSelFromList dialog;
        QStringList requests;
        connect(&dialog, &frmSelFromList::DataRequest, &dialog,
                [&](const QString &name, const QString &filter, Recordset &result) {
                    requests << name + QLatin1Char('|') + filter;
                    result = students(3);
                });
        SelectRsOptions options = studentOptions(schema);
        options.baseFilter = baseFilter;
        dialog.setup(options);
        zrSearchX *search = dialog.findChild<zrSearchX *>(QStringLiteral("zrSearch1"));
        QVERIFY(search);
        if (!lastname.isEmpty())
            QVERIFY(search->fieldsPanel()->editValue(QStringLiteral("lastname"), lastname));
        search->buttonsPanel()->clickItem(QStringLiteral("find"));
        QCOMPARE(requests, QStringList{QStringLiteral("students|") + expected});
        QCOMPARE(dialog.listModel()->rowCount(), 3);
    }

    void combinedFilterWithoutTableText_data()
    {
        QTest::addColumn<QString>("baseFilter");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("expected");

        QTest::newRow("neither") << QString() << QString() << QString();
        QTest::newRow("blank base, statement") << "   " << " x = 1 " << "x = 1";
        QTest::newRow("base, blank statement") << "b = 2" << "  " << "b = 2";
        QTest::newRow("both") << "b = 2" << "x = 1 OR y = 2" << "b = 2 AND (x = 1 OR y = 2)";
    }

    void combinedFilterWithoutTableText()
    {
        QFETCH(QString, baseFilter);
        QFETCH(QString, where);
        QFETCH(QString, expected);
        frmSelFromList dialog;
        SelectRsOptions options;
        options.baseFilter = baseFilter;
        dialog.setup(options);
        QCOMPARE(dialog.combinedFilter(where), expected);
    }

    // What the caller answers decides the list and the status line; an error keeps the dialog open.
    void dataRequestAnswerFillsList_data()
    {
        QTest::addColumn<int>("answerRows"); // -1: no recordset, -2: throws
        QTest::addColumn<int>("expectedRows");
        QTest::addColumn<QString>("expectedStatus");
        QTest::addColumn<bool>("expectMessage");

        QTest::newRow("no recordset") << -1 << 0 << statusFor(0) << false;
        QTest::newRow("empty recordset") << 0 << 0 << statusFor(0) << false;
        QTest::newRow("one record") << 1 << 1 << statusFor(1) << false;
        QTest::newRow("many records") << 1234 << 1234 << statusFor(1234) << false;
        QTest::newRow("server error keeps the list") << -2 << 5 << statusFor(5) << true;
    }

    void dataRequestAnswerFillsList()
    {
        QFETCH(int, answerRows);
        QFETCH(int, expectedRows);
        QFETCH(QString, expectedStatus);
        QFETCH(bool, expectMessage);

        TestSchema schema;
        frmSelFromList dialog;
        connect(&dialog, &frmSelFromList::DataRequest, &dialog, [&](const QString &, const QString &, Recordset &result) {
            if (answerRows == -2)
                throw ZrError(462, QStringLiteral("cStudent.LoadStudents"), QStringLiteral("Ο διακομιστής δεν απαντά"));
            if (answerRows >= 0)
                result = students(answerRows);
        });
        SelectRsOptions options = studentOptions(schema);
        options.list = students(5);
        dialog.setup(options);
        QAbstractItemModelTester tester(dialog.listModel());
        QCOMPARE(dialog.statusText(), statusFor(5));
        dialog.show();

        QString shownMessage;
        QTimer::singleShot(0, &dialog, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shownMessage = box->text();
                box->reject();
            }
        });
        dialog.search(QString());
        QCOMPARE(dialog.listModel()->rowCount(), expectedRows);
        QCOMPARE(dialog.statusText(), expectedStatus);
        QCOMPARE(shownMessage, expectMessage ? QStringLiteral("Ο διακομιστής δεν απαντά") : QString());
        QVERIFY(dialog.isVisible());
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("smStatus"))->text(), expectedStatus);
    }

    void choosingAndCancelling_data()
    {
        QTest::addColumn<bool>("multi");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("texts");

        QTest::newRow("several checked") << true << QList<int>{4, 0, 2} << true << "1,3,5"
                                         << QStringList{"[AEM1] Παπαδόπουλος", "[AEM3] Νικολάου", "[AEM5] O'Brien"};
        QTest::newRow("none checked") << true << QList<int>{} << true << QString() << QStringList();
        QTest::newRow("cancelled") << true << QList<int>{1} << false << QString() << QStringList();
        QTest::newRow("single") << false << QList<int>{3} << true << "4" << QStringList{"[AEM4] Παπαδόπουλος"};
        QTest::newRow("single, last choice wins") << false << QList<int>{3, 1} << true << "2"
                                                  << QStringList{"[AEM2] O'Brien"};
    }

    void choosingAndCancelling()
    {
        QFETCH(bool, multi);
        QFETCH(QList<int>, rows);
        QFETCH(bool, accept);
        QFETCH(QString, keys);
        QFETCH(QStringList, texts);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(6);
        options.multiSelect = multi;
        options.displayTemplate = QStringLiteral("[%spec_aem%] %lastname%");
        dialog.setup(options);
        for (int row : rows)
            dialog.setChosen(row, true);
        accept ? dialog.accept() : dialog.reject();

        const SelectRsResult result = dialog.outcome();
        QCOMPARE(result.cancelled, !accept);
        QCOMPARE(result.keysText, keys);
        QCOMPARE(result.texts, texts);
        QCOMPARE(result.records.isNull(), keys.isEmpty());
        if (!result.records.isNull()) {
            QStringList ids;
            Recordset chosen = result.records;
            for (chosen.moveFirst(); !chosen.eof(); chosen.moveNext())
                ids << chosen.value(u"student_ID").toString();
            QCOMPARE(ids.join(QLatin1Char(',')), keys);
        }
    }

    void checkBoxesToggleWithTheMouse()
    {
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(4);
        dialog.setup(options);
        QAbstractItemModel *model = dialog.listModel();
        // The first column of the layout carries the check box.
        const int aem = 1;
        QCOMPARE(model->headerData(aem, Qt::Horizontal).toString(), QStringLiteral("Α.Μ."));
        QVERIFY(model->flags(model->index(2, aem)) & Qt::ItemIsUserCheckable);
        QVERIFY(model->setData(model->index(2, aem), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(model->index(2, aem).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(dialog.isChosen(2));
        // The literal list of the schema names the codes.
        QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("Άνδρας"));
        QCOMPARE(model->index(1, 3).data().toString(), QStringLiteral("Γυναίκα"));
        dialog.accept();
        QCOMPARE(dialog.outcome().keysText, QStringLiteral("3"));
    }

    void spaceTogglesTheSelectedRows()
    {
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(5);
        options.currentValue = QStringLiteral("2");
        dialog.setup(options);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *list = dialog.findChild<QTableView *>(QStringLiteral("zrSelectList1"));
        QVERIFY(list);
        list->setFocus();
        list->selectionModel()->select(QItemSelection(list->model()->index(2, 0), list->model()->index(3, 0)),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTest::keyClick(list, Qt::Key_Space);
        dialog.accept();
        QCOMPARE(dialog.outcome().keysText, QStringLiteral("2,3,4"));
    }

    void listCodesAreAskedForOnce()
    {
        TestSchema schema;
        frmSelFromList dialog;
        QStringList asked;
        connect(&dialog, &frmSelFromList::ListSourceRequest, &dialog,
                [&](bool &, const QString &source, Recordset &result, bool isQuery) {
                    asked << source + (isQuery ? QStringLiteral("?") : QString());
                    Recordset list({makeField(QStringLiteral("statusID"), adInteger),
                                    makeField(QStringLiteral("statusdescr"), adVarWChar, 50)});
                    for (const auto &[id, text] : {std::pair{1, "Ενεργός"}, std::pair{2, "Σε αναστολή"}}) {
                        list.addNew();
                        list.setValue(0, id);
                        list.setValue(1, QString::fromUtf8(text));
                    }
                    result = list;
                });
        connect(&dialog, &frmSelFromList::DataRequest, &dialog,
                [](const QString &, const QString &, Recordset &result) { result = students(4); });
        SelectRsOptions options = studentOptions(schema);
        options.list = students(2);
        dialog.setup(options);
        dialog.search(QString());
        dialog.search(QString());
        // Once for the search pane's choices, once for the list's texts.
        QCOMPARE(asked, (QStringList{"SYS_StudentStatus", "SYS_StudentStatus"}));
        QCOMPARE(dialog.listModel()->index(0, 4).data().toString(), QStringLiteral("Σε αναστολή"));
        QCOMPARE(dialog.listModel()->index(1, 4).data().toString(), QStringLiteral("Ενεργός"));
        QCOMPARE(dialog.listModel()->index(1, 4).data(Qt::EditRole).toInt(), 1);
    }

    void currentValueIsPreselected_data()
    {
        QTest::addColumn<bool>("multi");
        QTest::addColumn<QString>("currentValue");
        QTest::addColumn<QString>("keys");

        QTest::newRow("several") << true << "2,5" << "2,5";
        QTest::newRow("blanks and unknown ids") << true << " 4 , ,99,1" << "1,4";
        QTest::newRow("nothing") << true << QString() << QString();
        QTest::newRow("single") << false << "3" << "3";
        QTest::newRow("single, unknown") << false << "42" << QString();
    }

    void currentValueIsPreselected()
    {
        QFETCH(bool, multi);
        QFETCH(QString, currentValue);
        QFETCH(QString, keys);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(6);
        options.multiSelect = multi;
        options.currentValue = currentValue;
        dialog.setup(options);
        dialog.accept();
        QCOMPARE(dialog.outcome().keysText, keys);
    }

    void checksSurviveANewSearch()
    {
        TestSchema schema;
        frmSelFromList dialog;
        connect(&dialog, &frmSelFromList::DataRequest, &dialog,
                [](const QString &, const QString &, Recordset &result) { result = students(10); });
        SelectRsOptions options = studentOptions(schema);
        options.list = students(3);
        options.currentValue = QStringLiteral("2");
        dialog.setup(options);
        dialog.setChosen(0, true);
        dialog.search(QString());
        QVERIFY(dialog.isChosen(0));
        QVERIFY(dialog.isChosen(1));
        QVERIFY(!dialog.isChosen(2));
        dialog.accept();
        QCOMPARE(dialog.outcome().keysText, QStringLiteral("1,2"));
    }

    void courseKindsAreNamed_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");

        QTest::newRow("simple") << "QEMDepProgramCourses" << 1 << GetLangString(20568);
        QTest::newRow("group") << "QEMDepProgramCourses" << 2 << GetLangString(20569);
        QTest::newRow("composite") << "QEMDepProgramCourses" << 4 << GetLangString(20570);
        QTest::newRow("part") << "qemdepprogramcourses" << 8 << GetLangString(20571);
        QTest::newRow("two kinds") << "QEMDepProgramCourses" << 6
                                   << GetLangString(20569) + QStringLiteral(", ") + GetLangString(20570);
        QTest::newRow("other lists show the code") << "QEMCourses" << 4 << "4";
    }

    void courseKindsAreNamed()
    {
        QFETCH(QString, table);
        QFETCH(int, kind);
        QFETCH(QString, shown);

        Recordset courses({makeField(QStringLiteral("courseID"), adInteger),
                           makeField(QStringLiteral("coursecode"), adVarWChar, 20),
                           makeField(QStringLiteral("title"), adVarWChar, 250),
                           makeField(QStringLiteral("coursetype"), adInteger)});
        courses.addNew();
        courses.setValue(0, 10);
        courses.setValue(1, QStringLiteral("ΦΥΣ101"));
        courses.setValue(2, QStringLiteral("Μηχανική"));
        courses.setValue(3, kind);
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options;
        options.list = courses;
        options.tableName = table;
        options.idField = QStringLiteral("courseID");
        dialog.setup(options);
        QCOMPARE(dialog.listModel()->index(0, 3).data().toString(), shown);
    }

    void emptyListOpensEmptyAndReturnsNothing()
    {
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.currentValue = QStringLiteral("1,2");
        dialog.setup(options);
        QCOMPARE(dialog.listModel()->rowCount(), 0);
        QCOMPARE(dialog.statusText(), GetLangString(20572));
        dialog.accept();
        const SelectRsResult result = dialog.outcome();
        QVERIFY(!result.cancelled);
        QVERIFY(result.records.isNull());
        QVERIFY(result.keysText.isEmpty());
    }

    void searchPaneFollowsItsCommand()
    {
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.showSearch = false;
        dialog.setup(options);
        dialog.show();
        auto *search = dialog.findChild<zrSearchX *>(QStringLiteral("zrSearch1"));
        auto *find = dialog.findChild<QAction *>(QStringLiteral("find"));
        QVERIFY(search && find);
        QVERIFY(!search->isVisible());
        find->trigger();
        QVERIFY(search->isVisible());
        dialog.reject();
        QVERIFY(dialog.outcome().searchShown);
    }

    // At the dialog's own size the search pane shows every value box whole.
    void searchValueBoxesAreInViewAtTheDefaultSize()
    {
        TestSchema schema;
        frmSelFromList dialog;
        dialog.setup(studentOptions(schema));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const char *name : {"smFields", "smuAdvanced"}) {
            auto *search = dialog.findChild<zrSearchX *>(QStringLiteral("zrSearch1"));
            search->setCurrentView(QLatin1String(name) == QLatin1String("smFields") ? QStringLiteral("simple")
                                                                                     : QStringLiteral("advanced"));
            auto *panel = dialog.findChild<TilePanel *>(QLatin1String(name));
            QVERIFY(panel && panel->isVisible());
            QTreeView *tree = panel->treeView();
            const QModelIndex first = tree->model()->index(0, ItemPanelModel::ValueColumn,
                                                           tree->model()->hasChildren(tree->model()->index(0, 0))
                                                               ? tree->model()->index(0, 0)
                                                               : QModelIndex());
            QVERIFY(first.isValid());
            const QRect box = tree->visualRect(first);
            QVERIFY2(box.left() >= 0 && box.right() <= tree->viewport()->width() && box.width() >= 100,
                     qPrintable(QStringLiteral("%1: box %2..%3 in %4").arg(QLatin1String(name)).arg(box.left())
                                    .arg(box.right()).arg(tree->viewport()->width())));
        }
        dialog.reject();
    }

    void selectRsRunsModally()
    {
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(8);
        options.searchOnOpen = false;
        bool driven = false;
        QTimer::singleShot(0, &dialog, [&] {
            auto *open = qobject_cast<frmSelFromList *>(QApplication::activeModalWidget());
            if (!open)
                return;
            driven = true;
            open->setChosen(6, true);
            QTest::mouseClick(open->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        const SelectRsResult result = dialog.Select_Rs(options);
        QVERIFY(driven);
        QVERIFY(!result.cancelled);
        QCOMPARE(result.keysText, QStringLiteral("7"));
        QCOMPARE(result.records.recordCount(), 1);
    }

    void escapeCancels()
    {
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(3);
        options.currentValue = QStringLiteral("1");
        QTimer::singleShot(0, &dialog, [] {
            if (QWidget *open = QApplication::activeModalWidget())
                QTest::keyClick(open, Qt::Key_Escape);
        });
        const SelectRsResult result = dialog.Select_Rs(options);
        QVERIFY(result.cancelled);
        QVERIFY(result.records.isNull());
        QVERIFY(result.keysText.isEmpty());
    }

    // One group per distinct shown value, in natural order, with its rows in list order.
    void groupingByAColumn_data()
    {
        QTest::addColumn<bool>("courseList");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("groups");

        QTest::newRow("texts") << false << "lastname"
                               << QStringList{"Επώνυμο: O'Brien (2)|2,5", "Επώνυμο: Νικολάου (2)|3,6",
                                              "Επώνυμο: Παπαδόπουλος (3)|1,4,7"};
        QTest::newRow("named codes") << false << "gender"
                                     << QStringList{"Φύλο: Άνδρας (4)|1,3,5,7", "Φύλο: Γυναίκα (3)|2,4,6"};
        QTest::newRow("numbers by value, empty last")
            << true << "semID"
            << QStringList{"Εξάμηνο: 2 (1)|4", "Εξάμηνο: 9 (1)|2", "Εξάμηνο: 10 (2)|1,5",
                           "Εξάμηνο: " + GetLangString(61600) + " (1)|3"};
    }

    void groupingByAColumn()
    {
        QFETCH(bool, courseList);
        QFETCH(QString, field);
        QFETCH(QStringList, groups);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        if (courseList) {
            options.tableName = QStringLiteral("QEMDepProgramCourses");
            options.idField = QStringLiteral("courseID");
            options.list = coursesOfSemesters({10, 9, QVariant(), 2, 10});
        } else {
            options.list = students(7);
        }
        dialog.setup(options);
        dialog.show();
        auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("groupedList"));
        QVERIFY(tree);
        QVERIFY(!tree->isVisible());
        QVERIFY(groupBy(dialog, field));
        QVERIFY(tree->isVisible());
        QAbstractItemModelTester tester(tree->model());
        QCOMPARE(groupsOf(tree), groups);
        // Each heading is painted from the first column shown, also where the
        // layout hides the model's first column (the students' id).
        QCOMPARE(tree->treePosition(), courseList ? 0 : 1);
        const QImage picture = tree->viewport()->grab().toImage();
        for (int g = 0; g < tree->model()->rowCount(); ++g) {
            const QRect heading = tree->visualRect(tree->model()->index(g, tree->treePosition())) & picture.rect();
            QVERIFY(!heading.isEmpty());
            QSet<QRgb> colours;
            for (int y = heading.top(); y <= heading.bottom(); ++y) {
                for (int x = heading.left(); x <= heading.right(); ++x)
                    colours.insert(picture.pixel(x, y));
            }
            QVERIFY2(colours.size() > 2, qPrintable(groups.at(g)));
        }
        // A new search regroups its answer.
        dialog.setList(options.list);
        QCOMPARE(groupsOf(tree), groups);
    }

    // The caller's grouping opens the list grouped and comes back with the user's last choice.
    void groupingGivenByTheCaller_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<bool>("listLater"); // the rows arrive with the first search
        QTest::addColumn<QString>("regroup"); // the user's choice in the dialog, if any
        QTest::addColumn<QString>("returned");

        QTest::newRow("shown column") << "lastname" << false << QString() << "lastname";
        QTest::newRow("field name in any case") << " GENDER " << false << QString() << "gender";
        QTest::newRow("once the first rows arrive") << "gender" << true << QString() << "gender";
        QTest::newRow("hidden column: not grouped") << "student_ID" << false << QString() << QString();
        QTest::newRow("unknown field: not grouped") << "nosuchfield" << false << QString() << QString();
        QTest::newRow("none") << QString() << false << QString() << QString();
        QTest::newRow("user regroups") << "lastname" << false << "gender" << "gender";
    }

    void groupingGivenByTheCaller()
    {
        QFETCH(QString, given);
        QFETCH(bool, listLater);
        QFETCH(QString, regroup);
        QFETCH(QString, returned);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.groupBy = given;
        if (!listLater)
            options.list = students(5);
        dialog.setup(options);
        dialog.show();
        if (listLater)
            dialog.setList(students(5));
        if (!regroup.isEmpty())
            QVERIFY(groupBy(dialog, regroup));
        auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("groupedList"));
        QCOMPARE(tree->isVisible(), !returned.isEmpty());
        QCOMPARE(dialog.findChild<QAction *>(QStringLiteral("group"))->isChecked(), !returned.isEmpty());
        // A later list is not regrouped by what the caller gave at the start.
        dialog.setList(students(5));
        QCOMPARE(tree->isVisible(), !returned.isEmpty());
        dialog.accept();
        QCOMPARE(dialog.outcome().groupBy, returned);
    }

    // Expand and collapse act on the groups and are offered only while the list is grouped.
    void expandAndCollapseAll()
    {
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(9);
        dialog.setup(options);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *group = dialog.findChild<QAction *>(QStringLiteral("group"));
        auto *expand = dialog.findChild<QAction *>(QStringLiteral("expand"));
        auto *collapse = dialog.findChild<QAction *>(QStringLiteral("collapse"));
        auto *cards = dialog.findChild<QAction *>(QStringLiteral("cards"));
        auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("groupedList"));
        QVERIFY(group && expand && collapse && cards && tree);
        QVERIFY(!expand->isEnabled() && !collapse->isEnabled());
        QVERIFY(expand->toolTip().contains(QStringLiteral("Shift+F1")));

        const auto expandedGroups = [tree] {
            int open = 0;
            for (int g = 0; g < tree->model()->rowCount(); ++g)
                open += tree->isExpanded(tree->model()->index(g, 0)) ? 1 : 0;
            return open;
        };
        QVERIFY(groupBy(dialog, QStringLiteral("lastname")));
        QVERIFY(group->isChecked());
        QVERIFY(expand->isEnabled() && collapse->isEnabled());
        QCOMPARE(expandedGroups(), 3);
        QTest::keyClick(&dialog, Qt::Key_F2, Qt::ShiftModifier);
        QCOMPARE(expandedGroups(), 0);
        expand->trigger();
        QCOMPARE(expandedGroups(), 3);
        collapse->trigger();
        QCOMPARE(expandedGroups(), 0);

        // Cards have no groups; leaving them shows the groups again.
        cards->trigger();
        QVERIFY(!group->isEnabled() && !expand->isEnabled() && !collapse->isEnabled());
        cards->trigger();
        QVERIFY(tree->isVisible() && expand->isEnabled());
        group->trigger();
        QVERIFY(!group->isChecked() && !expand->isEnabled());
        QVERIFY(dialog.findChild<QTableView *>(QStringLiteral("zrSelectList1"))->isVisible());
        // The button alone groups again by the column chosen last.
        group->trigger();
        QCOMPARE(groupsOf(tree).size(), 3);
    }

    // The same records come back whichever view they were chosen in.
    void choosingInEveryView_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("multi");
        QTest::addColumn<QString>("keys");

        for (const QString view : {"table", "groups", "cards"}) {
            QTest::addRow("%s, check boxes", qPrintable(view)) << view << true << "2,5";
            QTest::addRow("%s, single", qPrintable(view)) << view << false << "5";
        }
    }

    void choosingInEveryView()
    {
        QFETCH(QString, view);
        QFETCH(bool, multi);
        QFETCH(QString, keys);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(6);
        options.multiSelect = multi;
        dialog.setup(options);
        dialog.resize(900, 600);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (view == QLatin1String("groups"))
            QVERIFY(groupBy(dialog, QStringLiteral("gender")));
        if (view == QLatin1String("cards"))
            dialog.findChild<QAction *>(QStringLiteral("cards"))->trigger();
        auto *shown = qobject_cast<QAbstractItemView *>(
            dialog.findChild<QStackedWidget *>(QStringLiteral("listViews"))->currentWidget());
        QVERIFY(shown);
        QCOMPARE(shown->objectName(), view == QLatin1String("table") ? QStringLiteral("zrSelectList1")
                                      : view == QLatin1String("groups") ? QStringLiteral("groupedList")
                                                                         : QStringLiteral("cardList"));

        // The view's index of the student `id`, in the column the view shows first.
        const auto indexOf = [shown](int id) {
            const QAbstractItemModel *model = shown->model();
            const int column = qobject_cast<QListView *>(shown) ? qobject_cast<QListView *>(shown)->modelColumn() : 1;
            const auto find = [&](const QModelIndex &parent) {
                for (int r = 0; r < model->rowCount(parent); ++r) {
                    if (model->index(r, 0, parent).data().toInt() == id)
                        return model->index(r, column, parent);
                }
                return QModelIndex();
            };
            QModelIndex found = find(QModelIndex());
            for (int g = 0; !found.isValid() && g < model->rowCount(); ++g)
                found = find(model->index(g, 0));
            return found;
        };
        // Chosen last row first: the answer still comes in list order.
        const QStringList ids = keys.split(QLatin1Char(','));
        for (auto id = ids.crbegin(); id != ids.crend(); ++id) {
            const QModelIndex index = indexOf(id->toInt());
            QVERIFY(index.isValid());
            const QRect rect = shown->visualRect(index);
            QVERIFY(!rect.isEmpty());
            if (!multi) {
                QTest::mouseClick(shown->viewport(), Qt::LeftButton, {}, rect.center());
            } else if (view == QLatin1String("cards")) {
                // The card's own check box, at its top left corner.
                const int box = shown->style()->pixelMetric(QStyle::PM_IndicatorWidth);
                QTest::mouseClick(shown->viewport(), Qt::LeftButton, {}, rect.topLeft() + QPoint(10 + box / 2, 10 + box / 2));
            } else if (view == QLatin1String("groups")) {
                // Space checks the rows selected under the groups.
                QTest::mouseClick(shown->viewport(), Qt::LeftButton, {}, rect.center());
                QTest::keyClick(shown, Qt::Key_Space);
            } else {
                QVERIFY(shown->model()->setData(index, Qt::Checked, Qt::CheckStateRole));
            }
        }
        dialog.accept();
        QCOMPARE(dialog.outcome().keysText, keys);
    }

    // A card names every column of the layout, in the layout's order, with its value.
    void cardsShowEveryCaption()
    {
        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(4);
        dialog.setup(options);
        dialog.show();
        dialog.findChild<QAction *>(QStringLiteral("cards"))->trigger();
        auto *cards = dialog.findChild<QListView *>(QStringLiteral("cardList"));
        QVERIFY(cards && cards->isVisible());
        QCOMPARE(dialog.cardLines(1), (QStringList{"Α.Μ.: AEM2", "Επώνυμο: O'Brien", "Φύλο: Γυναίκα", "Κατάσταση: 1"}));
        QVERIFY(!cards->grab().isNull());
        QVERIFY(cards->visualRect(cards->model()->index(3, cards->modelColumn())).height()
                >= 4 * cards->fontMetrics().height());
    }

    // Columns fit their captions and values when the first rows arrive, up to
    // a width that leaves room for the others; after that the user's widths stay.
    void columnsFitCaptionsAndValues_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("capped");

        QTest::newRow("caption wider than the values") << "ΜΑΘ1" << false;
        QTest::newRow("value wider than the caption") << "ΜΑΘ" + QString(20, QLatin1Char('n')) << false;
        QTest::newRow("very long value stops") << QString(300, QLatin1Char('n')) << true;
    }

    void columnsFitCaptionsAndValues()
    {
        QFETCH(QString, code);
        QFETCH(bool, capped);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.tableName = QStringLiteral("QEMDepProgramCourses");
        options.idField = QStringLiteral("courseID");
        options.list = coursesOfSemesters({1, 2});
        options.list.setValueAt(0, 1, code);
        options.list.updateBatch();
        dialog.setup(options);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto *table = dialog.findChild<QTableView *>(QStringLiteral("zrSelectList1"));
        QVERIFY(table);
        const QString caption = QStringLiteral("Κωδικός μαθήματος");
        QCOMPARE(table->model()->headerData(1, Qt::Horizontal).toString(), caption);
        const QFontMetrics metrics = table->fontMetrics();
        const int widest = 40 * metrics.averageCharWidth();
        const int width = table->columnWidth(1);
        if (capped) {
            QCOMPARE(width, widest);
        } else {
            QVERIFY2(width >= metrics.horizontalAdvance(caption) && width >= metrics.horizontalAdvance(code)
                         && width < widest,
                     qPrintable(QString::number(width)));
        }
        table->setColumnWidth(1, 77);
        dialog.setList(options.list);
        QCOMPARE(table->columnWidth(1), 77);
    }

    // Print (Ctrl+P) opens the print preview of the list as shown: the
    // layout's columns under their captions, the groups while grouped, the
    // checks of a list with check boxes.
    void printingTheListAsShown_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("multi");
        QTest::addColumn<QString>("printed"); // the document's lines, joined by '|'

        const QString head = QStringLiteral("Επιλογή φοιτητών|Α.Μ.|Επώνυμο|Φύλο|Κατάσταση|");
        const QString checkedTable = head
            + "☐ AEM1|Παπαδόπουλος|Άνδρας|2|☑ AEM2|O'Brien|Γυναίκα|1|☐ AEM3|Νικολάου|Άνδρας|2|" + statusFor(3);
        QTest::newRow("table, check boxes") << "table" << true << checkedTable;
        QTest::newRow("cards print as the table") << "cards" << true << checkedTable;
        QTest::newRow("groups, single choice")
            << "groups" << false
            << head + "Φύλο: Άνδρας (2)|AEM1|Παπαδόπουλος|Άνδρας|2|AEM3|Νικολάου|Άνδρας|2|"
                   "Φύλο: Γυναίκα (1)|AEM2|O'Brien|Γυναίκα|1|" + statusFor(3);
    }

    void printingTheListAsShown()
    {
        QFETCH(QString, view);
        QFETCH(bool, multi);
        QFETCH(QString, printed);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(3);
        options.multiSelect = multi;
        dialog.setup(options);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.setChosen(1, true);
        if (view == QLatin1String("groups"))
            QVERIFY(groupBy(dialog, QStringLiteral("gender")));
        if (view == QLatin1String("cards"))
            dialog.findChild<QAction *>(QStringLiteral("cards"))->trigger();

        QStringList lines = dialog.printDocument()->toPlainText().split(QLatin1Char('\n'));
        lines.removeAll(QString());
        QCOMPARE(lines.join(QLatin1Char('|')), printed);

        auto *print = dialog.findChild<QAction *>(QStringLiteral("print"));
        QVERIFY(print);
        QCOMPARE(print->text(), GetLangString(20528));
        QVERIFY(print->toolTip().contains(QStringLiteral("Ctrl+P")));
        QString previewTitle;
        QTimer::singleShot(0, &dialog, [&] {
            if (auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
                previewTitle = preview->windowTitle();
                preview->reject();
            }
        });
        QTest::keyClick(&dialog, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(previewTitle, GetLangString(20528));
        QVERIFY(dialog.isVisible());
    }
};

QTEST_MAIN(TestFrmSelFromList)
#include "tst_frmselfromlist.moc"
