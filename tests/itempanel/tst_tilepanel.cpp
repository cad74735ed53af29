#include "itempanel/itempanelmodel.h"
#include "../datafile.h"
#include "itempanel/tilepanel.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <memory>

using zr::ItemPanelModel;
using zr::TilePanel;
namespace Style = zr::ItemStyle;

class tst_TilePanel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TilePanel> m_panel;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    ItemPanelModel *m_model = nullptr;
    QTreeView *m_tree = nullptr;

    // A requirement block, an options row of each other kind and the command
    // panel's "add" command with the thirteen requirement types.
    void build()
    {
        ItemPanelModel &m = *m_model;
        m_panel->setRedraw(false);
        m.addItem("I-1", "Prerequisite courses", Style::Header);
        m.addItem("I-1,conselobjIDs", "Codes", Style::Picker, "I-1");
        m.addItem("I-1,conoperator", "Operator", Style::ChoiceRow, "I-1");
        for (const int code : {0, 3, 8})
            m.addChoice("I-1,conoperator", QStringLiteral("KI-1,%1").arg(code), QStringLiteral("op %1").arg(code));
        m.selectChoice("I-1,conoperator", "KI-1,8");
        m.addItem("I-1,conoptval3", "Grading", Style::Entry, "I-1");
        m.setValue("I-1,conoptval3", "0,5");
        m.addItem("I-1,conoptval4", "Minimum", Style::Entry, "I-1");
        m.setVisible("I-1,conoptval4", false);
        m.addItem("excludeStudents", "Semester below", Style::Number);
        m.addItem("use_coeff", "Weighted average", Style::CheckBox);
        m.setValue("use_coeff", 1);
        m.addItem("note", "Read only", Style::TextRow);
        m.addItem("add", "Add", Style::Command);
        for (int type = 10; type <= 130; type += 10)
            m.addItem(QString::number(type), QStringLiteral("Type %1").arg(type), Style::MenuEntry, "add");
        m.setExpanded("I-1", true);
        m_panel->setRedraw(true);
    }

    void select(const QString &key, int column = 0)
    {
        m_tree->setCurrentIndex(m_model->indexOf(key, column));
        QCOMPARE(m_model->selectedKey(), key);
    }

    QWidget *editor(const QString &key) const
    {
        return m_tree->indexWidget(m_model->indexOf(key, ItemPanelModel::ValueColumn));
    }

private Q_SLOTS:
    void init()
    {
        m_panel = std::make_unique<TilePanel>();
        m_model = m_panel->model();
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_tree = m_panel->findChild<QTreeView *>("tree");
        QVERIFY(m_tree);
        m_panel->resize(500, 600);
        build();
        m_panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));
        m_tree->setFocus();
    }
    void cleanup()
    {
        m_tester.reset();
        m_panel.reset();
    }

    void opensEditorOfTheRowsKind_data() { zr::test::addDataRows(QFINDTESTDATA("data/tilepanel-opens-editor-of-the-rows-kind.tsv")); }
    void opensEditorOfTheRowsKind()
    {
        QFETCH(QString, key);
        QFETCH(QString, editorName);
        select(key);
        QTest::keyClick(m_tree, Qt::Key_F2);
        QWidget *opened = editor(key);
        QCOMPARE(opened ? opened->objectName() : QString(), editorName);
        // No editor stays behind once editing ends.
        QTest::keyClick(opened ? opened : m_tree, Qt::Key_Escape);
        QTRY_VERIFY(!editor(key));
    }

    void writesEditorsBack_data() { zr::test::addDataRows(QFINDTESTDATA("data/tilepanel-writes-editors-back.tsv")); }
    void writesEditorsBack()
    {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QSignalSpy changed(m_model, &ItemPanelModel::valueChanged);
        select(key);
        QTest::keyClick(m_tree, Qt::Key_Return);
        auto *edit = qobject_cast<QLineEdit *>(editor(key));
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(m_model->value(key).toString(), stored); // the delegate commits queued
        QCOMPARE(m_model->indexOf(key, 1).data().toString(), shown);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0), QVariantList({key, "Value"}));
    }

    // Text takes the colour of its row's state, and a caption's "&" marks no letter.
    void drawsTextInTheRowsColour_data() { zr::test::addDataRows(QFINDTESTDATA("data/tilepanel-draws-text-in-the-rows-colour.tsv")); }
    void drawsTextInTheRowsColour()
    {
        QFETCH(QString, key);
        QFETCH(int, column);
        QFETCH(QString, state);
        QFETCH(QString, colour);
        QPalette palette = m_tree->palette();
        palette.setColor(QPalette::Text, QColor("#c00000"));
        palette.setColor(QPalette::HighlightedText, QColor("#00a000"));
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor("#a000a0"));
        palette.setColor(QPalette::Inactive, QPalette::Text, QColor("#c00000"));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText, QColor("#00a000"));
        m_tree->setPalette(palette);
        m_model->setValue("I-1,conoptval3", "9,5");
        if (state == "selected")
            select(key);
        if (state == "disabled")
            m_model->setItemEnabled(key, false);
        const QImage shown = m_tree->viewport()->grab(m_tree->visualRect(m_model->indexOf(key, column))).toImage();
        // Anti-aliased glyphs blend with the background: each colour's nearest pixel tells.
        const auto nearest = [&](const char *name) {
            const QColor want(name);
            int best = 1 << 30;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x) {
                    const QColor got = shown.pixelColor(x, y);
                    best = qMin(best, qAbs(got.red() - want.red()) + qAbs(got.green() - want.green())
                                          + qAbs(got.blue() - want.blue()));
                }
            return best;
        };
        for (const char *other : {"#c00000", "#00a000", "#a000a0"})
            QVERIFY2((nearest(other) < 60) == (colour == other), other);
        m_model->setCaption(key, "Gr&&a&ding"); // drawn as "Gr&ading"
        const QImage marked = m_tree->viewport()->grab(m_tree->visualRect(m_model->indexOf(key, 0))).toImage();
        m_model->setCaption(key, "Gr&&ading");
        QCOMPARE(m_tree->viewport()->grab(m_tree->visualRect(m_model->indexOf(key, 0))).toImage(), marked);
    }

    void choiceComboSelectsByKey()
    {
        select("I-1,conoperator");
        QTest::keyClick(m_tree, Qt::Key_Space);
        auto *combo = qobject_cast<QComboBox *>(editor("I-1,conoperator"));
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QStringLiteral("op 8")); // opens on the selected choice
        QTRY_VERIFY(combo->view()->isVisible());                 // Space drops the list
        combo->hidePopup();
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QCOMPARE(m_model->value("I-1,conoperator").toString(), QStringLiteral("KI-1,3"));
        QTRY_VERIFY(!editor("I-1,conoperator"));
    }

    void keysRunTheRowsAction_data() { zr::test::addDataRows(QFINDTESTDATA("data/tilepanel-keys-run-the-rows-action.tsv")); }
    void keysRunTheRowsAction()
    {
        QFETCH(QString, key);
        QFETCH(int, pressed);
        QFETCH(bool, enabled);
        QFETCH(int, buttonClicks);
        QFETCH(int, itemClicks);
        m_model->setExpanded("add", true);
        select(key);
        m_model->setItemEnabled(key, enabled);
        QSignalSpy buttons(m_model, &ItemPanelModel::buttonClicked);
        QSignalSpy items(m_model, &ItemPanelModel::itemClicked);
        QTest::keyClick(m_tree, Qt::Key(pressed));
        QCOMPARE(buttons.count(), buttonClicks);
        QCOMPARE(items.count(), itemClicks);
        for (const QSignalSpy *clicks : {&buttons, &items})
            QVERIFY(clicks->isEmpty() || clicks->at(0).at(0).toString() == key);
        if (key == QLatin1String("use_coeff"))
            QCOMPARE(m_model->value(key).toInt(), 0); // the ticked box cleared
    }

    void arrowsMoveTheSelection()
    {
        select("I-1");
        QSignalSpy selected(m_model, &ItemPanelModel::itemSelected);
        QTest::keyClick(m_tree, Qt::Key_Down);
        QCOMPARE(m_model->selectedKey(), QStringLiteral("I-1,conselobjIDs"));
        QTest::keyClick(m_tree, Qt::Key_Down);
        QTest::keyClick(m_tree, Qt::Key_Down);
        // The hidden minimum row is skipped.
        QTest::keyClick(m_tree, Qt::Key_Down);
        QCOMPARE(m_model->selectedKey(), QStringLiteral("excludeStudents"));
        QCOMPARE(selected.count(), 4);

        m_model->setSelected("note", true);
        QCOMPARE(m_tree->currentIndex().siblingAtColumn(0), m_model->indexOf("note"));
    }

    void mouseClicksButtonsAndCommands()
    {
        QSignalSpy buttons(m_model, &ItemPanelModel::buttonClicked);
        QSignalSpy items(m_model, &ItemPanelModel::itemClicked);
        const QRect picker = m_tree->visualRect(m_model->indexOf("I-1,conselobjIDs", ItemPanelModel::ValueColumn));
        // Beside the button nothing happens; on it, the picker opens.
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, picker.topLeft() + QPoint(4, 4));
        QCOMPARE(buttons.count(), 0);
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, QPoint(picker.right() - 3, picker.center().y()));
        QCOMPARE(buttons.count(), 1);

        // The add command opens its thirteen entries; an entry is clicked like a menu item.
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, m_tree->visualRect(m_model->indexOf("add")).center());
        QCOMPARE(items.count(), 1);
        QVERIFY(m_model->isExpanded("add"));
        m_tree->scrollTo(m_model->indexOf("130"));
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, m_tree->visualRect(m_model->indexOf("130")).center());
        QCOMPARE(items.count(), 2);
        QCOMPARE(items.at(1).at(0).toString(), QStringLiteral("130"));
    }

    void viewFollowsHiddenExpandedAndHeaderState()
    {
        const QModelIndex group = m_model->indexOf("I-1");
        QVERIFY(m_tree->isExpanded(group));
        QVERIFY(m_tree->isFirstColumnSpanned(0, QModelIndex()));
        QVERIFY(m_tree->isRowHidden(m_model->indexOf("I-1,conoptval4").row(), group));

        m_model->setVisible("130", false);
        QVERIFY(m_tree->isRowHidden(12, m_model->indexOf("add")));

        // Collapsing in the view reaches the model; the model's state survives a reset.
        m_tree->collapse(group);
        QVERIFY(!m_model->isExpanded("I-1"));
        m_model->setExpanded("add", true);
        QVERIFY(m_tree->isExpanded(m_model->indexOf("add")));
        m_model->setSelected("I-1,conoperator", true);
        m_model->setEnabled(false);
        QVERIFY(m_tree->isExpanded(m_model->indexOf("add")));
        QVERIFY(!m_tree->isExpanded(m_model->indexOf("I-1")));
        m_model->setEnabled(true); // disabled rows cannot be current
        QCOMPARE(m_tree->currentIndex().siblingAtColumn(0), m_model->indexOf("I-1,conoperator"));
        m_panel->collapseAll();
        QVERIFY(!m_model->isExpanded("add"));

        // A row without sub-items that receives its first one can be expanded to show it.
        QVERIFY(m_model->addItem("note,detail", "Detail", Style::TextRow, "note"));
        m_model->setExpanded("note", true);
        QVERIFY(m_tree->visualRect(m_model->indexOf("note,detail")).isValid());

        // Headers added one by one with redraw on span as well.
        m_model->addItem("I-2", "Another", Style::Header, QString(), 0);
        QVERIFY(m_tree->isFirstColumnSpanned(0, QModelIndex()));
        QVERIFY(m_tree->isFirstColumnSpanned(1, QModelIndex())); // I-1 moved down and still spans
    }

    // A header's rows built only when the view first expands it: the hidden one stays hidden.
    void deferredRowsAreBuiltOnExpandAndKeepTheirState()
    {
        m_tester.reset(); // building on demand adds rows the views were told of already
        int builds = 0;
        m_model->setChildBuilder(
            [this, &builds](const QString &key) {
                ++builds;
                for (const char *field : {",a", ",b", ",c"})
                    m_model->addItem(key + QLatin1String(field), QStringLiteral("Row"), Style::Entry, key);
                m_model->setVisible(key + QStringLiteral(",b"), false);
            },
            [](const QString &) { return QString(); });
        m_model->addItem("I-3", "Deferred", Style::Header);
        QVERIFY(m_model->deferChildren("I-3"));
        QCOMPARE(builds, 0);
        m_tree->expand(m_model->indexOf("I-3"));
        QCOMPARE(builds, 1);
        const QModelIndex group = m_model->indexOf("I-3");
        QVERIFY(!m_tree->isRowHidden(0, group));
        QVERIFY(m_tree->isRowHidden(1, group));
        QVERIFY(m_tree->visualRect(m_model->indexOf("I-3,c")).isValid());
    }
};

QTEST_MAIN(tst_TilePanel)
#include "tst_tilepanel.moc"
