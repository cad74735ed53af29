#include "../datafile.h"
#include "common/langstrings.h"
#include "requirements/funcbuilder.h"

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

    // A palette with a disabled entry, and three requirements, one of them new.
    static void setUpAsEditor(zrFuncBuilder &builder)
    {
        builder.initialise();
        builder.addOperator("Logical", "AND", " AND ", "Logical AND", QString(), true);
        builder.addOperator("Logical", "NOT", " NOT(%)", "Logical NOT", QString(), true);
        builder.addOperator("Logical", "XOR", " XOR ", "Exclusive OR", QString(), false);
        builder.addOperator("Brackets", "()", "(%)", "()", QString(), true);
        builder.setDisplaySwitches(false, true);
        builder.resetVariables();
        builder.addVariable("%12", "(12) Average", "Average of the year", "0", "3", "0", "6");
        builder.addVariable("%14", "(14) Courses", "Courses passed", "0", "3", "0", "6");
        builder.addVariable("%-2", "(-2) New", "A new requirement", "0", "3", "0", "6");
    }

    template<typename T>
    static T *child(const zrFuncBuilder &builder, const char *name)
    {
        T *widget = builder.findChild<T *>(QLatin1String(name));
        if (!widget)
            qWarning("no child %s", name);
        return widget;
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

    void insertsAtTheCursor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("target"); // "var:" + name or "op:" + palette label
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("cursorAfter");

        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/builderinserts.tsv")))
            QTest::newRow(qPrintable(row.at(0))) << row.value(1) << row.value(2).toInt() << row.value(3).toInt()
                                                 << row.value(4) << (row.value(5) == u"1") << row.value(6)
                                                 << row.value(7).toInt();
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
        builder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&builder));
        auto *editor = child<QPlainTextEdit>(builder, "txtExpression");
        auto *tabs = child<QTabWidget>(builder, "tabLists");
        editor->setPlainText(text);
        QTextCursor cursor(editor->document());
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);

        const bool variable = target.startsWith(QLatin1String("var:"));
        tabs->setCurrentIndex(variable ? 0 : 1);
        QAbstractItemView *view = variable ? static_cast<QAbstractItemView *>(child<QListWidget>(builder, "lstVariables"))
                                           : child<QTreeWidget>(builder, "tvOperators");
        const QModelIndex item = view->model()
                                     ->match(view->model()->index(0, 0), Qt::DisplayRole, target.section(u':', 1), 1,
                                             Qt::MatchExactly | Qt::MatchRecursive)
                                     .value(0);
        QVERIFY(item.isValid());
        view->setCurrentIndex(item);
        const QRect rect = view->visualRect(item);
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

    // OK takes only what may be stored; Cancel keeps the expression, and opening again starts from it.
    void okTakesOnlyAStorableExpression_data() { zr::test::addDataRows(QFINDTESTDATA("data/storableexpressions.tsv")); }
    void okTakesOnlyAStorableExpression()
    {
        QFETCH(QString, typed);
        QFETCH(bool, storable);
        QFETCH(bool, cancel);
        const QString before = QStringLiteral("[%12] AND [%14] AND [%-2]");
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setExpression(before);
        QSignalSpy changed(&builder, &zrFuncBuilder::expressionChanged);
        auto *editor = child<QPlainTextEdit>(builder, "txtExpression");
        auto *ok = child<QPushButton>(builder, "cmdOK");

        bool okEnabled = false;
        QString status;
        const bool accepted = runWizard(builder, [&] {
            replaceText(editor, typed);
            okEnabled = ok->isEnabled();
            status = child<QLabel>(builder, "lblStatus")->text();
            QTest::mouseClick(cancel ? child<QPushButton>(builder, "cmdCancel") : ok, Qt::LeftButton);
            QVERIFY(!storable || !builder.isVisible());
        });
        const bool taken = storable && !cancel;
        QCOMPARE(okEnabled, storable);
        QCOMPARE(accepted, taken);
        QCOMPARE(builder.expression(), taken ? typed : before);
        QCOMPARE(changed.count(), taken ? 1 : 0);
        // What keeps OK disabled stays in view.
        if (!storable)
            QVERIFY2(status.contains("At «") || status.contains("Missing") || status.contains("Unknown"),
                     qPrintable(status));
        QString reopened;
        runWizard(builder, [&] { reopened = editor->toPlainText(); });
        QCOMPARE(reopened, builder.expression());
    }

    // Enter in the expression is OK when it may be stored, and nothing when it may not; Shift+Enter breaks the line.
    void enterInTheExpressionIsOk_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("storable") << "[%12] OR [%14] OR [%-2]" << int(Qt::NoModifier) << true;
        QTest::newRow("a requirement left out") << "[%12] OR [%14]" << int(Qt::NoModifier) << false;
        QTest::newRow("shift breaks the line") << "[%12] OR [%14] OR [%-2]" << int(Qt::ShiftModifier) << false;
    }
    void enterInTheExpressionIsOk()
    {
        QFETCH(QString, typed);
        QFETCH(int, modifiers);
        QFETCH(bool, accepted);
        zrFuncBuilder builder;
        setUpAsEditor(builder);
        builder.setExpression(QStringLiteral("[%12] AND [%14] AND [%-2]"));
        auto *editor = child<QPlainTextEdit>(builder, "txtExpression");
        QString text;
        const bool taken = runWizard(builder, [&] {
            replaceText(editor, typed);
            editor->setFocus();
            QTest::keyClick(editor, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
            text = editor->toPlainText();
            if (builder.isVisible())
                child<QPushButton>(builder, "cmdCancel")->click();
        });
        QCOMPARE(taken, accepted);
        QCOMPARE(text.contains(QLatin1Char('\n')), modifiers == int(Qt::ShiftModifier));
    }

    void checkLineFollowsTyping_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::addColumn<QString>("underlined");
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/buildercheckline.tsv"))) {
            QTest::newRow(qPrintable(row.at(0))) << row.value(1) << row.value(2).split(QLatin1Char('|'))
                                                 << row.value(3).split(QLatin1Char('|')) << row.value(4);
        }
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

};

QTEST_MAIN(tst_FuncBuilder)
#include "tst_funcbuilder.moc"
