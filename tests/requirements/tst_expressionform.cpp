#include "../datafile.h"
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
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/expressionforms.tsv")))
            QTest::newRow(qPrintable(row.at(0))) << row.value(1) << (row.value(2) == u"1") << row.value(3);
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
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/expressionlines.tsv")))
            QTest::newRow(qPrintable(row.at(0))) << row.value(1) << row.value(2).toInt() << row.value(3);
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
