#include "recordset/recordset.h"
#include "requirements/expressionform.h"

#include <QtTest>

using namespace zr;

class tst_ExpressionForm : public QObject
{
    Q_OBJECT

    // Requirements 1, -2 (new), 3 and 11 of one set.
    static Recordset wholeSet()
    {
        Recordset rs({makeField(QStringLiteral("ocID"), adInteger), makeField(QStringLiteral("conID"), adSmallInt)});
        for (int id : {1, -2, 3, 11}) {
            rs.addNew();
            rs.setValue(0, id);
            rs.setValue(1, 10);
        }
        return rs;
    }
    static QString captionOf(qint32 ocID) { return QStringLiteral("Απαίτηση ") + QString::number(ocID); }

private Q_SLOTS:
    void convertsBetweenStoredAndDisplayForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("storedForm");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default display") << QString() << false
                                         << "[Απαίτηση 1] AND [Απαίτηση -2] AND [Απαίτηση 3] AND [Απαίτηση 11]";
        QTest::newRow("default stored") << QString() << true << "[%1] AND [%-2] AND [%3] AND [%11]";
        QTest::newRow("stored kept as written") << "[%1] OR [%3]" << true << "[%1] OR [%3]";
        QTest::newRow("operators and parentheses") << "([%1] OR NOT([%-2])) AND [%3]" << false
                                                   << "([Απαίτηση 1] OR NOT([Απαίτηση -2])) AND [Απαίτηση 3]";
        QTest::newRow("one id the start of another") << "[%11] OR [%1]" << false << "[Απαίτηση 11] OR [Απαίτηση 1]";
        QTest::newRow("same token twice") << "[%3] OR NOT [%3]" << false << "[Απαίτηση 3] OR NOT [Απαίτηση 3]";
        QTest::newRow("adjacent tokens") << "[%1][%3]" << false << "[Απαίτηση 1][Απαίτηση 3]";
        QTest::newRow("requirement of another set kept") << "[%1] AND [%99]" << false << "[Απαίτηση 1] AND [%99]";
        QTest::newRow("malformed tokens kept") << "[% 1] OR [%x] OR [%+3] OR [%] OR [%1" << false
                                               << "[% 1] OR [%x] OR [%+3] OR [%] OR [%1";
        QTest::newRow("bracket inside a malformed token") << "[%[%3]" << false << "[%[Απαίτηση 3]";
    }
    void convertsBetweenStoredAndDisplayForms()
    {
        QFETCH(QString, text);
        QFETCH(bool, storedForm);
        QFETCH(QString, expected);
        QCOMPARE(ConvertExpression(text, storedForm, wholeSet(), captionOf), expected);
    }

    void breaksLongExpressionsIntoLines_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("lineLength");
        QTest::addColumn<QString>("expected");
        QTest::newRow("short stays") << "[Α] AND [Β]" << 20 << "[Α] AND [Β]";
        QTest::newRow("before each operator once long") << "[Αα] AND [Ββ] OR [Γγ] AND [Δδ]" << 4
                                                         << "[Αα]\nAND [Ββ]\nOR [Γγ]\nAND [Δδ]";
        QTest::newRow("line length counts from the last break") << "[Αα] AND [Ββ] OR [Γγ] AND [Δδ]" << 12
                                                                 << "[Αα] AND [Ββ]\nOR [Γγ] AND [Δδ]";
        QTest::newRow("never inside a caption") << "[Μέσος όρος AND άλλο] OR [Β]" << 1
                                                << "[Μέσος όρος AND άλλο]\nOR [Β]";
        QTest::newRow("not before a bracket or parenthesis") << "[Α] ([Β]) [Γ]" << 1 << "[Α] ([Β]) [Γ]";
        QTest::newRow("stray closing brackets") << "]] [Α] AND [Β]" << 1 << "]] [Α]\nAND [Β]";
        QTest::newRow("empty") << QString() << 1 << QString();
    }
    void breaksLongExpressionsIntoLines()
    {
        QFETCH(QString, display);
        QFETCH(int, lineLength);
        QFETCH(QString, expected);
        const QString broken = BreakExpressionLines(display, lineLength);
        QCOMPARE(broken, expected);
        QCOMPARE(QString(broken).replace(QLatin1Char('\n'), QLatin1Char(' ')), display);
    }

    void withoutRowsTheTextStays()
    {
        QCOMPARE(ConvertExpression(QStringLiteral("[%1] OR [%2]"), false, Recordset(), captionOf),
                 QStringLiteral("[%1] OR [%2]"));
        QCOMPARE(ConvertExpression(QString(), false, Recordset(), captionOf), QString());
    }
};

QTEST_MAIN(tst_ExpressionForm)
#include "tst_expressionform.moc"
