#include "studentcard.h"
#include "studentsearch.h"

#include "common/langstrings.h"
#include "common/languageswitch.h"
#include "jsonschema.h"
#include "preview/zrreqpreview.h"
#include "search/frmselfromlist.h"
#include "serverfixture.h"
#include "../requirements/widgetfixture.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QMainWindow>
#include <QFormLayout>
#include <QGroupBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace zr;
using namespace zr::test;
using zr::app::StudentCard;
using zr::app::StudentSearch;

// The host's students command and card on the sample database.
class tst_StudentCard : public QObject
{
    Q_OBJECT
    ServerFixture m_server;

private Q_SLOTS:
    void initTestCase()
    {
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
    }

    void searchOpensTheChosenStudentsCard_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("chosen") << true;
        QTest::newRow("cancelled") << false;
    }
    void searchOpensTheChosenStudentsCard()
    {
        QFETCH(bool, choose);
        QMainWindow window;
        QMenu menu;
        StudentSearch search(&menu, QString(), &window);
        int listed = 0;
        whenShown<frmSelFromList>(this, [&](frmSelFromList *dialog) {
            // The whole list first, then a search by registration number.
            listed = dialog->listModel()->rowCount();
            dialog->search(QStringLiteral("spec_aem = '1001049'"));
            QCOMPARE(dialog->listModel()->rowCount(), 1);
            dialog->setChosen(0, true);
            choose ? dialog->accept() : dialog->reject();
        });
        search.search();
        QCOMPARE(listed, 400);
        const QList<StudentCard *> cards = window.findChildren<StudentCard *>();
        QCOMPARE(cards.size(), choose ? 1 : 0);
        if (!choose)
            return;
        StudentCard *card = cards.first();
        QCOMPARE(card->studentId(), 7);
        QCOMPARE(card->findChild<QLabel *>(QStringLiteral("lbl_spec_aem"))->text(), QStringLiteral("1001049"));
        QVERIFY(card->preview()->isIndividual());
        // Asking again raises the open card instead of opening a second one.
        QCOMPARE(search.openCard(7), card);
        QCOMPARE(window.findChildren<StudentCard *>().size(), 1);
    }

    // A card shows the particulars with codes by name; an unknown student's says so and offers no edit.
    void cardShowsTheStudent_data()
    {
        QTest::addColumn<int>("student");
        QTest::addColumn<bool>("known");
        QTest::newRow("programme regulation") << 6 << true;
        QTest::newRow("unknown student") << 123456 << false;
    }
    void cardShowsTheStudent()
    {
        QFETCH(int, student);
        QFETCH(bool, known);
        StudentCard card(QString(), std::make_shared<const server::JsonSchema>(), student);
        QCOMPARE(card.message(), known ? QString() : ReplaceParams(GetLangString(61552), {QString::number(student)}));
        QCOMPARE(card.preview()->findChild<QPushButton *>(QStringLiteral("cmdEdit"))->isEnabled(), known);
        QVERIFY(!card.preview()->findChild<QPushButton *>(QStringLiteral("cmdRestore"))->isEnabled());
        if (!known)
            return;
        QCOMPARE(card.preview()->StudentID(), student);
        // Status 1 of the sample's code table, not the code itself.
        const QString status = card.findChild<QLabel *>(QStringLiteral("lbl_statusID"))->text();
        bool isNumber = false;
        status.toInt(&isNumber);
        QVERIFY2(!status.isEmpty() && !isNumber, qPrintable(status));
    }

    // The card says how the numbered requirements combine and is put away
    // with Escape or Close.
    void cardShowsTheExpressionAndCloses_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Escape") << "escape";
        QTest::newRow("Close button") << "close";
    }
    void cardShowsTheExpressionAndCloses()
    {
        QFETCH(QString, how);
        QPointer<StudentCard> card = new StudentCard(QString(), std::make_shared<const server::JsonSchema>(), 7);
        card->show();
        QVERIFY(QTest::qWaitForWindowActive(card));
        auto *expression = card->findChild<QPlainTextEdit *>(QStringLiteral("txtExpression"));
        QVERIFY(expression && expression->isVisible());
        QCOMPARE(expression->toPlainText(), QStringLiteral("[1] AND ([2] OR [3])"));
        if (how == "escape")
            QTest::keyClick(card, Qt::Key_Escape);
        else
            QTest::mouseClick(card->findChild<QPushButton *>(QStringLiteral("cmdClose")), Qt::LeftButton);
        QTRY_VERIFY(card.isNull());
    }

    void cardFollowsALanguageSwitch()
    {
        StudentCard card(QString(), std::make_shared<const server::JsonSchema>(), 7);
        card.show();
        const auto text = [&] { return card.findChild<QPlainTextEdit *>(QStringLiteral("txtConstraints"))->toPlainText(); };
        SwitchLanguage(LangEnglish);
        // The descriptions come from the server again, in the new language.
        QVERIFY2(text().contains(QStringLiteral("ECTS units")), qPrintable(text()));
        // The card's preview adds the set's verdict to the header.
        QVERIFY(card.findChild<QLabel *>(QStringLiteral("Label4"))->text().startsWith(StringTableText(20583, LangEnglish)));
        auto *form = qobject_cast<QFormLayout *>(card.findChild<QGroupBox *>(QStringLiteral("grpParticulars"))->layout());
        auto *caption = qobject_cast<QLabel *>(form->labelForField(card.findChild<QLabel *>(QStringLiteral("lbl_lastname"))));
        QCOMPARE(caption->text(), QStringLiteral("Last name:"));
        SwitchLanguage(LangGreek);
        QCOMPARE(caption->text(), QStringLiteral("Επώνυμο:"));
        QVERIFY(text().contains(QStringLiteral("Μονάδες ECTS")));
    }
};

QTEST_MAIN(tst_StudentCard)
#include "tst_studentcard.moc"
