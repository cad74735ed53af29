#include "hostfixture.h"
#include "reportbuttons.h"
#include "studentcard.h"
#include "whatifdialog.h"

#include "common/langstrings.h"
#include "jsonschema.h"
#include "serverfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace zr;
using namespace zr::test;
using zr::app::WhatIfDialog;

// The student card's "What if…" on the sample database. Student 84 of curriculum 11 misses the
// degree requirements by 2 ECTS (298 of 300).
class TestWhatIfDialog : public QObject
{
    Q_OBJECT
    ServerFixture m_server;

    static void choose(QComboBox *box, int code)
    {
        const int index = box->findData(code);
        QVERIFY2(index >= 0, qPrintable(QString::number(code)));
        box->setCurrentIndex(index);
    }

    // Ticks course `code` (shown first in its row), with `grade` typed beside it.
    static void plan(QTreeWidget *courses, const QString &code, const QString &grade)
    {
        for (int i = 0; i < courses->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = courses->topLevelItem(i);
            if (!item->text(0).startsWith(code + QLatin1Char(' ')))
                continue;
            item->setCheckState(0, Qt::Checked);
            item->setText(1, grade);
            return;
        }
        QFAIL(qPrintable(code));
    }

private slots:
    void initTestCase()
    {
        useOwnSettings(QStringLiteral("tst_whatifdialog"));
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
        StringService::instance().setLanguageId(LangEnglish);
    }

    // The card opens the window on its student: his own programme and curriculum, the courses he
    // has not passed to choose from.
    void theCardOpensItOnItsStudent()
    {
        app::StudentCard card(QString(), std::make_shared<const server::JsonSchema>(), 84);
        auto *button = card.findChild<QPushButton *>(QStringLiteral("cmdWhatIf"));
        QVERIFY(button && button->isEnabled());
        button->click();
        auto *dialog = card.findChild<WhatIfDialog *>();
        QVERIFY(dialog);
        auto *programme = dialog->findChild<QComboBox *>(QStringLiteral("cboProgramme"));
        QCOMPARE(programme->currentData().toInt(), 1);
        QVERIFY2(programme->currentText().startsWith(QStringLiteral("Προπτυχιακό Πρόγραμμα")), qPrintable(programme->currentText()));
        QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("cboCurriculum"))->currentData().toInt(), 0);
        auto *courses = dialog->findChild<QTreeWidget *>(QStringLiteral("trCourses"));
        QVERIFY(courses->topLevelItemCount() > 0);
        for (int i = 0; i < courses->topLevelItemCount(); ++i)
            QVERIFY2(!courses->topLevelItem(i)->text(0).startsWith(QStringLiteral("ΜΗΥ101 ")), "a passed course is offered");
    }

    // Each choice answers with the report he would be handed, or says why there is none.
    void answersEachWhatIf_data()
    {
        QTest::addColumn<int>("programme");
        QTest::addColumn<int>("curriculum");
        QTest::addColumn<QString>("course");
        QTest::addColumn<QString>("grade");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("a course passed with 8") << 1 << 0 << "ΜΑΘ523" << "8"
            << QStringList{"If passed (what if):", "ΜΑΘ523 Mathematical Logic (semester 5, 4 ECTS, grade 8)",
                           VerdictText(SetVerdict::Met)};
        QTest::newRow("a grade with a decimal comma") << 1 << 0 << "ΜΑΘ523" << "7,5"
            << QStringList{"grade 7.5"};
        QTest::newRow("nothing chosen: his own audit") << 1 << 0 << "" << ""
            << QStringList{VerdictText(SetVerdict::Unmet)};
        QTest::newRow("another curriculum") << 1 << 12 << "" << ""
            << QStringList{"What if in:", "Υλικό και Αρχιτεκτονική Υπολογιστών", VerdictText(SetVerdict::Met)};
        QTest::newRow("another programme") << 2 << 21 << "" << ""
            << QStringList{"What if in:", "Γενική κατεύθυνση", "Not in its course list:", "ΜΗΥ101 Mathematics I"};
        QTest::newRow("a failing grade is refused") << 1 << 0 << "ΜΑΘ523" << "4"
            << QStringList{"a passing grade from 5 to 10"};
    }
    void answersEachWhatIf()
    {
        QFETCH(int, programme);
        QFETCH(int, curriculum);
        QFETCH(QString, course);
        QFETCH(QString, grade);
        QFETCH(QStringList, expected);
        WhatIfDialog dialog(QString(), 84);
        choose(dialog.findChild<QComboBox *>(QStringLiteral("cboProgramme")), programme);
        choose(dialog.findChild<QComboBox *>(QStringLiteral("cboCurriculum")), curriculum);
        if (!course.isEmpty())
            plan(dialog.findChild<QTreeWidget *>(QStringLiteral("trCourses")), course, grade);
        dialog.check();
        const QString answer = dialog.answerText();
        for (const QString &part : expected)
            QVERIFY2(answer.contains(part), qPrintable(part + QStringLiteral("\n---\n") + answer));
        const bool refused = QString::fromLatin1(QTest::currentDataTag()).contains(QLatin1String("refused"));
        QCOMPARE(dialog.findChild<app::ReportButtons *>()->isEnabled(), !refused);
    }

    // From the keyboard: typing narrows the courses, Enter checks.
    void theKeyboardFindsAndChecks()
    {
        WhatIfDialog dialog(QString(), 84);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *filter = dialog.findChild<QLineEdit *>(QStringLiteral("txtFilter"));
        auto *courses = dialog.findChild<QTreeWidget *>(QStringLiteral("trCourses"));
        filter->setFocus();
        QTest::keyClicks(filter, QStringLiteral("Mathematical Log"));
        int shown = 0;
        for (int i = 0; i < courses->topLevelItemCount(); ++i)
            shown += courses->topLevelItem(i)->isHidden() ? 0 : 1;
        QCOMPARE(shown, 1);
        QTest::keyClick(filter, Qt::Key_Return);
        QVERIFY2(dialog.answerText().contains(VerdictText(SetVerdict::Unmet)), qPrintable(dialog.answerText()));
    }
};

QTEST_MAIN(TestWhatIfDialog)
#include "tst_whatifdialog.moc"
