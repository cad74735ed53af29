#include "common/languageswitch.h"
#include "common/langstrings.h"
#include "requirements/funcbuilder.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

using namespace zr;

// The expression builder driven as a user would: palette and variables as
// the requirements editor gives them, insertion at the cursor and around the
// selection, OK and Cancel, and the live check line.
class tst_FuncBuilder : public QObject
{
    Q_OBJECT

    // The palette, captions and variables the requirements editor hands over.
    static void setUpAsEditor(zrFuncBuilder &builder)
    {
        builder.initialise();
        const QString logical = GetLangString(20752);
        const QString numeric = GetLangString(20757);
        builder.addOperator(logical, "AND", " AND ", GetLangString(20753), QString(), true);
        builder.addOperator(logical, "OR", " OR ", GetLangString(20754), QString(), true);
        builder.addOperator(logical, "NOT", " NOT(%)", GetLangString(20755), GetLangString(20756), true);
        builder.addOperator(numeric, "()", "(%)", "()", GetLangString(20758), true);
        builder.addOperator(numeric, "(", "(", "(", GetLangString(20759), true);
        builder.addOperator(numeric, ")", ")", ")", GetLangString(20760), true);
        builder.setDisplaySwitches(false, true);
        builder.setCaptions(GetLangString(20761), GetLangString(20521), GetLangString(20762), GetLangString(20763),
                            GetLangString(20764));
        builder.resetVariables();
        builder.addVariable("%12", "(12) Average", "Average of the year", "0", "3", "0", "6");
        builder.addVariable("%14", "(14) Courses", "Courses passed", "0", "3", "0", "6");
        builder.addVariable("%-2", "(-2) New", GetLangString(20766), "0", "3", "0", "6");
    }

    template<typename T>
    static T *child(const zrFuncBuilder &builder, const char *name)
    {
        T *widget = builder.findChild<T *>(QLatin1String(name));
        if (!widget)
            qWarning("no child %s", name);
        return widget;
    }

    // "Category: entry | entry! ; Category: ..." with "!" after a disabled entry.
    static QString paletteDump(const QTreeWidget *tree)
    {
        QStringList groups;
        for (int c = 0; c < tree->topLevelItemCount(); ++c) {
            const QTreeWidgetItem *category = tree->topLevelItem(c);
            QStringList entries;
            for (int i = 0; i < category->childCount(); ++i) {
                const QTreeWidgetItem *item = category->child(i);
                entries << item->text(0) + (item->flags() & Qt::ItemIsEnabled ? "" : "!");
            }
            groups << category->text(0) + ": " + entries.join(" | ");
        }
        return groups.join(" ; ");
    }

    static QTreeWidgetItem *operatorItem(const QTreeWidget *tree, const QString &label)
    {
        for (int c = 0; c < tree->topLevelItemCount(); ++c) {
            for (int i = 0; i < tree->topLevelItem(c)->childCount(); ++i) {
                if (tree->topLevelItem(c)->child(i)->text(0) == label)
                    return tree->topLevelItem(c)->child(i);
            }
        }
        return nullptr;
    }

    static QListWidgetItem *variableItem(const QListWidget *list, const QString &name)
    {
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->data(Qt::UserRole).toString() == name)
                return list->item(i);
        }
        return nullptr;
    }

    static QStringList variableCaptions(const QListWidget *list)
    {
        QStringList captions;
        for (int i = 0; i < list->count(); ++i)
            captions << list->item(i)->text();
        return captions;
    }

    // Runs showWizard with `act` driving the open dialog; a dialog that `act`
    // leaves open is cancelled so that a failing step cannot hang the test.
    bool runWizard(zrFuncBuilder &builder, const std::function<void()> &act)
    {
        QTimer::singleShot(0, this, [&] {
            QVERIFY(QApplication::activeModalWidget() == &builder);
            act();
            if (builder.isVisible())
                builder.reject();
        });
        return builder.showWizard();
    }

    static void replaceText(QPlainTextEdit *editor, const QString &text)
    {
        editor->setFocus();
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, text);
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangEnglish); }

    void paletteGroupsEntriesInCallOrder()
    {
        zrFuncBuilder builder;
        auto *tree = child<QTreeWidget>(builder, "tvOperators");
        QVERIFY(tree);
        QAbstractItemModelTester tester(tree->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        builder.initialise();
        builder.addOperator("Logical", "AND", " AND ", "Logical AND", QString(), true);
        builder.addOperator("Brackets", "(", "(", "Left", "Left parenthesis", true);
        builder.addOperator("Logical", "OR", " OR ", "Logical OR", QString(), false);
        builder.addOperator("Brackets", ")", ")", "Right", "Right parenthesis", true);
        builder.addOperator("Logical", "NOT", " NOT(%)", "Logical NOT", "Surrounds the selection", true);
        builder.setDisplaySwitches(false, true);
        QCOMPARE(paletteDump(tree),
                 "Logical: Logical AND | Logical OR! | Logical NOT ; Brackets: Left | Right");

        builder.setDisplaySwitches(true, true);
        QCOMPARE(paletteDump(tree),
                 "Logical: AND  Logical AND | OR  Logical OR! | NOT  Logical NOT ; Brackets: (  Left | )  Right");

        builder.setDisplaySwitches(false, true);
        tree->setCurrentItem(operatorItem(tree, "Logical NOT"));
        QCOMPARE(child<QLabel>(builder, "lblOperatorHelp")->text(), "Surrounds the selection");
        tree->setCurrentItem(operatorItem(tree, "Right"));
        QCOMPARE(child<QLabel>(builder, "lblOperatorHelp")->text(), "Right parenthesis");

        builder.initialise();
        QCOMPARE(paletteDump(tree), QString());
    }

    void captionMnemonicsReachTheLists()
    {
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setCaptions("&Available:", "&Requirements", "O&perators:", "&Operators", "Edit wizard");
        QCOMPARE(builder.windowTitle(), "Edit wizard");
        QCOMPARE(child<QListWidget>(builder, "lstVariables")->accessibleName(), "Available:");
        builder.show();
        builder.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&builder));
        auto *tabs = child<QTabWidget>(builder, "tabLists");
        QTest::keyClick(&builder, Qt::Key_O, Qt::AltModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        QTest::keyClick(&builder, Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(child<QTreeWidget>(builder, "tvOperators")->hasFocus());
        QTest::keyClick(&builder, Qt::Key_R, Qt::AltModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(&builder, Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(child<QListWidget>(builder, "lstVariables")->hasFocus());
    }

    void variablesShowDescriptionsAndCanBeReset()
    {
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        auto *list = child<QListWidget>(builder, "lstVariables");
        auto *description = child<QLabel>(builder, "lblDescription");
        QAbstractItemModelTester tester(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(variableCaptions(list), QStringList({"(12) Average", "(14) Courses", "(-2) New"}));
        QCOMPARE(list->item(1)->toolTip(), "Courses passed");
        list->setCurrentRow(2);
        QCOMPARE(description->text(), GetLangString(20766));
        list->setCurrentRow(1);
        QCOMPARE(description->text(), "Courses passed");

        builder.resetVariables();
        QCOMPARE(list->count(), 0);
        QCOMPARE(description->text(), QString());
        builder.addVariable("%30", "(30) Thesis", "Thesis assigned", "0", "3", "0", "6");
        QCOMPARE(variableCaptions(list), QStringList{"(30) Thesis"});
        QCOMPARE(description->text(), "Thesis assigned");

        // The check now knows only the new variable.
        builder.setExpression("[%12] OR [%14]");
        const QString status = child<QLabel>(builder, "lblStatus")->text();
        QVERIFY2(status.contains("Missing requirements: (30) Thesis"), qPrintable(status));
        QVERIFY2(status.contains("[%12], [%14]"), qPrintable(status));
        QVERIFY2(!status.contains("Courses"), qPrintable(status));
    }

    void insertsAtTheCursor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("target"); // "var:" + name or "op:" + palette label
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("cursorAfter");

        QTest::newRow("variable, double-click") << "[%12] AND " << 10 << 10 << "var:%14" << false
                                                << "[%12] AND [%14]" << 15;
        QTest::newRow("variable, Enter") << "[%12] OR  AND [%-2]" << 9 << 9 << "var:%14" << true
                                         << "[%12] OR [%14] AND [%-2]" << 14;
        QTest::newRow("variable replaces the selection") << "[%12] AND xyz" << 10 << 13 << "var:%-2" << false
                                                         << "[%12] AND [%-2]" << 15;
        QTest::newRow("NOT wraps the selection") << "[%12] AND [%14]" << 10 << 15 << "op:Logical NOT" << false
                                                 << "[%12] AND  NOT([%14])" << 21;
        QTest::newRow("NOT wraps a selection made backwards") << "[%12] AND [%14]" << 15 << 10 << "op:Logical NOT"
                                                              << false << "[%12] AND  NOT([%14])" << 21;
        QTest::newRow("() wraps the selection, Enter") << "[%12] AND [%14] OR [%-2]" << 10 << 24 << "op:()" << true
                                                       << "[%12] AND ([%14] OR [%-2])" << 26;
        QTest::newRow("() keeps a line break of the selection") << "[%12] OR\n[%14]" << 0 << 14 << "op:()"
                                                                << false << "([%12] OR\n[%14])" << 16;
        QTest::newRow("NOT with nothing selected waits inside") << "[%12] AND" << 9 << 9 << "op:Logical NOT"
                                                                << false << "[%12] AND NOT()" << 14;
        QTest::newRow("AND between two requirements") << "[%12][%14]" << 5 << 5 << "op:Logical AND" << false
                                                       << "[%12] AND [%14]" << 10;
        QTest::newRow("disabled entry inserts nothing") << "[%12] AND " << 10 << 10 << "op:Exclusive OR" << false
                                                        << "[%12] AND " << 10;
        QTest::newRow("disabled entry ignores Enter") << "[%12] AND " << 10 << 10 << "op:Exclusive OR" << true
                                                      << "[%12] AND " << 10;
    }
    void insertsAtTheCursor()
    {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(QString, target);
        QFETCH(bool, keyboard);
        QFETCH(QString, expected);
        QFETCH(int, cursorAfter);

        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.addOperator(GetLangString(20752), "XOR", " XOR ", "Exclusive OR", QString(), false);
        builder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&builder));
        auto *editor = child<QPlainTextEdit>(builder, "txtExpression");
        auto *tabs = child<QTabWidget>(builder, "tabLists");
        editor->setPlainText(text);
        QTextCursor cursor(editor->document());
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);

        QAbstractItemView *view = nullptr;
        QRect rect;
        if (target.startsWith("var:")) {
            auto *list = child<QListWidget>(builder, "lstVariables");
            tabs->setCurrentIndex(0);
            QListWidgetItem *item = variableItem(list, target.mid(4));
            QVERIFY(item);
            list->setCurrentItem(item);
            view = list;
            rect = list->visualItemRect(item);
        } else {
            auto *tree = child<QTreeWidget>(builder, "tvOperators");
            tabs->setCurrentIndex(1);
            QTreeWidgetItem *item = operatorItem(tree, target.mid(3));
            QVERIFY(item);
            tree->setCurrentItem(item);
            view = tree;
            rect = tree->visualItemRect(item);
        }
        if (keyboard) {
            view->setFocus();
            QTest::keyClick(view, Qt::Key_Return);
        } else {
            // A real double-click starts with a click: views act on the item both press.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        }

        QCOMPARE(editor->toPlainText(), expected);
        QCOMPARE(editor->textCursor().position(), cursorAfter);
        QVERIFY2(builder.isVisible(), "Enter on a list must not press OK");
    }

    void cancelKeepsTheExpression_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void cancelKeepsTheExpression()
    {
        QFETCH(QString, how);
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setExpression("[%12] OR [%14]");
        QSignalSpy changed(&builder, &zrFuncBuilder::expressionChanged);
        auto *editor = child<QPlainTextEdit>(builder, "txtExpression");

        const bool accepted = runWizard(builder, [&] {
            QCOMPARE(editor->toPlainText(), "[%12] OR [%14]");
            replaceText(editor, "[%-2]");
            QCOMPARE(editor->toPlainText(), "[%-2]");
            if (how == "cancel")
                QTest::mouseClick(child<QPushButton>(builder, "cmdCancel"), Qt::LeftButton);
            else if (how == "escape")
                QTest::keyClick(editor, Qt::Key_Escape);
            else
                builder.close();
            QVERIFY(!builder.isVisible());
        });
        QVERIFY(!accepted);
        QCOMPARE(builder.expression(), "[%12] OR [%14]");
        QCOMPARE(changed.count(), 0);

        // Opening again starts from the expression, not the abandoned edit.
        QString shown;
        runWizard(builder, [&] { shown = editor->toPlainText(); });
        QCOMPARE(shown, "[%12] OR [%14]");
    }

    void okTakesOnlyAStorableExpression_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("storable");
        QTest::newRow("complete expression") << "[%12] OR NOT([%14]) AND [%-2]" << true;
        QTest::newRow("emptied: the default") << "" << true;
        QTest::newRow("open parenthesis at the end") << "[%12] AND [%14] AND [%-2] AND (" << false;
        QTest::newRow("two operators") << "[%12] AND AND [%14] OR [%-2]" << false;
        QTest::newRow("a requirement left out") << "[%12] OR [%14]" << false;
        QTest::newRow("a requirement of no variable") << "[%12] OR [%14] OR [%-2] OR [%999]" << false;
    }
    void okTakesOnlyAStorableExpression()
    {
        QFETCH(QString, typed);
        QFETCH(bool, storable);
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setExpression("[%12] AND [%14] AND [%-2]");
        QSignalSpy changed(&builder, &zrFuncBuilder::expressionChanged);
        auto *editor = child<QPlainTextEdit>(builder, "txtExpression");
        auto *ok = child<QPushButton>(builder, "cmdOK");

        bool okEnabled = false;
        QString status;
        const bool accepted = runWizard(builder, [&] {
            replaceText(editor, typed);
            okEnabled = ok->isEnabled();
            status = child<QLabel>(builder, "lblStatus")->text();
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QCOMPARE(okEnabled, storable);
        QCOMPARE(accepted, storable);
        QCOMPARE(builder.expression(), storable ? typed : QString("[%12] AND [%14] AND [%-2]"));
        QCOMPARE(changed.count(), storable ? 1 : 0);
        // What keeps OK disabled stays in view.
        if (!storable)
            QVERIFY2(status.contains("Position") || status.contains("Missing") || status.contains("Unknown"),
                     qPrintable(status));
    }

    void checkLineFollowsTyping_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::addColumn<QString>("underlined");
        QTest::newRow("nothing typed") << "" << QStringList{"Empty expression"} << QStringList{"Missing"} << "";
        QTest::newRow("complete") << "[%12] AND ([%14] OR NOT [%-2])" << QStringList{"well formed"}
                                  << QStringList{"Missing", "Unknown", "Position"} << "";
        QTest::newRow("one requirement missing") << "[%12] OR [%14]"
                                                 << QStringList{"well formed", "Missing requirements: (-2) New"}
                                                 << QStringList{"(12)", "(14)"} << "";
        QTest::newRow("missing ones in list order") << "[%14]"
                                                    << QStringList{"Missing requirements: (12) Average, (-2) New"}
                                                    << QStringList{"(14)"} << "";
        QTest::newRow("unbalanced parenthesis") << "([%12] OR [%14] OR [%-2]"
                                                << QStringList{"Position 1:", "never closed"}
                                                << QStringList{"well formed", "Missing"} << "(";
        QTest::newRow("unknown requirement") << "[%12] OR [%14] OR [%-2] OR [%999]"
                                             << QStringList{"well formed", "Unknown requirements: [%999]"}
                                             << QStringList{"Missing"} << "";
    }
    void checkLineFollowsTyping()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        QFETCH(QString, underlined);
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setExpression("[%12]");
        builder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&builder));
        auto *status = child<QLabel>(builder, "lblStatus");
        QVERIFY(status->isVisible());
        QVERIFY(status->text().contains("Missing requirements: (14) Courses, (-2) New"));

        auto *editor = child<QPlainTextEdit>(builder, "txtExpression");
        replaceText(editor, typed);
        const QString shown = status->text();
        for (const QString &fragment : present)
            QVERIFY2(shown.contains(fragment), qPrintable(shown));
        for (const QString &fragment : absent)
            QVERIFY2(!shown.contains(fragment), qPrintable(shown));

        const QList<QTextEdit::ExtraSelection> marks = editor->extraSelections();
        QCOMPARE(marks.size(), underlined.isEmpty() ? 0 : 1);
        if (!marks.isEmpty())
            QCOMPARE(marks.first().cursor.selectedText(), underlined);
    }

    // The lists and the editor are reached with Tab; Enter on a list inserts
    // without leaving it, so several entries can be added in a row.
    // Variables added or removed while the builder is hidden, or while it is
    // shown, reach the check line by the time it can be seen.
    void checkLineFollowsTheVariables()
    {
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setExpression("[%12] AND [%14]");
        builder.addVariable("%30", "(30) Thesis", "Thesis assigned", "0", "3", "0", "6");
        builder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&builder));
        auto *status = child<QLabel>(builder, "lblStatus");
        QVERIFY2(status->text().contains("Missing requirements: (-2) New, (30) Thesis"), qPrintable(status->text()));

        builder.addVariable("%31", "(31) Practicum", "Practicum assigned", "0", "3", "0", "6");
        QVERIFY2(status->text().contains("(30) Thesis, (31) Practicum"), qPrintable(status->text()));
        builder.hide();
        builder.resetVariables();
        builder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&builder));
        QVERIFY2(status->text().contains("Unknown requirements: [%12], [%14]"), qPrintable(status->text()));
        QVERIFY2(!status->text().contains("Missing"), qPrintable(status->text()));
    }

    void keyboardReachesListsAndEditor()
    {
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setExpression(QString());
        builder.show();
        builder.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&builder));
        auto *editor = child<QPlainTextEdit>(builder, "txtExpression");
        auto *list = child<QListWidget>(builder, "lstVariables");
        auto *tree = child<QTreeWidget>(builder, "tvOperators");
        editor->setFocus();
        QTRY_VERIFY(editor->hasFocus());

        QTest::keyClick(editor, Qt::Key_Backtab);
        QTRY_VERIFY(list->hasFocus());
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(list->hasFocus());
        QTest::keyClick(list, Qt::Key_Tab);
        QTRY_VERIFY(editor->hasFocus());
        QTest::keyClicks(editor, " or ");

        child<QTabWidget>(builder, "tabLists")->setCurrentIndex(1);
        QTest::keyClick(editor, Qt::Key_Backtab);
        QTRY_VERIFY(tree->hasFocus());
        tree->setCurrentItem(operatorItem(tree, "("));
        QTest::keyClick(tree, Qt::Key_Enter);
        QCOMPARE(editor->toPlainText(), "[%12] or (");
        QVERIFY(builder.isVisible());
    }

    // The builder's own texts follow the language; the captions the caller
    // gave stay as given, the caller re-sends them.
    void followsALanguageSwitch()
    {
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setExpression("([%12]");
        const QString englishTab = child<QTabWidget>(builder, "tabLists")->tabText(0);
        SwitchLanguage(LangGreek);
        const QString ok = child<QPushButton>(builder, "cmdOK")->text();
        const QString status = child<QLabel>(builder, "lblStatus")->text();
        const QString tab = child<QTabWidget>(builder, "tabLists")->tabText(0);
        SwitchLanguage(LangEnglish);
        QCOMPARE(ok, StringTableText(20525, LangGreek));
        QVERIFY2(status.startsWith(ReplaceParams(StringTableText(61458, LangGreek), {"1", QString()})),
                 qPrintable(status));
        QCOMPARE(tab, englishTab);
    }

    void checkLineCanBeSwitchedOff()
    {
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setDisplaySwitches(false, false);
        builder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&builder));
        QVERIFY(!child<QLabel>(builder, "lblStatus")->isVisible());
        QVERIFY(child<QPlainTextEdit>(builder, "txtExpression")->isVisible());
    }
};

QTEST_MAIN(tst_FuncBuilder)
#include "tst_funcbuilder.moc"
