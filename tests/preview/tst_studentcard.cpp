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
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QFormLayout>
#include <QGroupBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
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
        QCOMPARE(search.action()->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        QCOMPARE(search.action()->text(), GetLangString(60100));
        int listed = 0;
        whenShown<frmSelFromList>(this, [&](frmSelFromList *dialog) {
            // The whole list first, then a search by registration number.
            listed = dialog->listModel()->rowCount();
            dialog->search(QStringLiteral("spec_aem = '1001049'"));
            QCOMPARE(dialog->listModel()->rowCount(), 1);
            dialog->setChosen(0, true);
            if (choose)
                dialog->accept();
            else
                dialog->reject();
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
        QVERIFY(card->message().isEmpty());
        QVERIFY(card->preview()->isIndividual());
        QVERIFY(card->preview()->findChild<QPushButton *>(QStringLiteral("cmdEdit"))->isEnabled());
        // Asking again raises the open card instead of opening a second one.
        QCOMPARE(search.openCard(7), card);
        QCOMPARE(window.findChildren<StudentCard *>().size(), 1);
    }

    void cardOfAnUnknownStudentSaysSoAndOffersNoEdit()
    {
        StudentCard card(QString(), std::make_shared<const server::JsonSchema>(), 123456);
        QCOMPARE(card.message(), ReplaceParams(GetLangString(61552), {QStringLiteral("123456")}));
        QVERIFY(!card.preview()->findChild<QPushButton *>(QStringLiteral("cmdEdit"))->isEnabled());
        QVERIFY(!card.preview()->findChild<QPushButton *>(QStringLiteral("cmdRestore"))->isEnabled());
    }

    void particularsShowNamesOfCodes()
    {
        StudentCard card(QString(), std::make_shared<const server::JsonSchema>(), 6);
        // Status 1 of the sample's code table, not the code itself.
        const QString status = card.findChild<QLabel *>(QStringLiteral("lbl_statusID"))->text();
        QVERIFY(!status.isEmpty());
        bool isNumber = false;
        status.toInt(&isNumber);
        QVERIFY2(!isNumber, qPrintable(status));
        QCOMPARE(card.preview()->StudentID(), 6);
        QVERIFY(!card.preview()->isIndividual());
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
        QVERIFY(text().contains(QStringLiteral("Μονάδες ECTS")));
        SwitchLanguage(LangEnglish);
        // The descriptions come from the server again, in the new language.
        QVERIFY2(text().contains(QStringLiteral("ECTS units")), qPrintable(text()));
        QCOMPARE(card.findChild<QGroupBox *>(QStringLiteral("grpParticulars"))->title(), QStringLiteral("Student particulars"));
        // The card's preview adds the set's verdict to the header.
        QVERIFY(card.findChild<QLabel *>(QStringLiteral("Label4"))->text().startsWith(StringTableText(20583, LangEnglish)));
        QCOMPARE(card.findChild<QLabel *>(QStringLiteral("lbl_spec_aem"))->text(), QStringLiteral("1001049"));
        auto *form = qobject_cast<QFormLayout *>(card.findChild<QGroupBox *>(QStringLiteral("grpParticulars"))->layout());
        QVERIFY(form);
        auto *caption = qobject_cast<QLabel *>(
            form->labelForField(card.findChild<QLabel *>(QStringLiteral("lbl_lastname"))));
        QVERIFY(caption);
        QCOMPARE(caption->text(), QStringLiteral("Last name:"));
        SwitchLanguage(LangGreek);
        QCOMPARE(caption->text(), QStringLiteral("Επώνυμο:"));
        QVERIFY(text().contains(QStringLiteral("Μονάδες ECTS")));
    }
};

QTEST_MAIN(tst_StudentCard)
#include "tst_studentcard.moc"
