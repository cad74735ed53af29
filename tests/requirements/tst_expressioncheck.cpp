#include "../datafile.h"
#include "common/langstrings.h"
#include "requirements/expressioncheck.h"
#include "requirements/expressionedit.h"

#include <QtTest>

using namespace zr;

Q_DECLARE_METATYPE(zr::ExpressionProblem)

// Reading an expression against the requirements it should name: verdict,
// first problem, missing and unknown ids, and staying sane on hostile input.
class tst_ExpressionCheck : public QObject
{
    Q_OBJECT

    const QList<qint32> m_known{12, 14, 15, -2};

    // Invariants that hold whatever the text.
    static void verifyConsistent(const ExpressionDiagnosis &diagnosis, const QString &text)
    {
        QCOMPARE(diagnosis.wellFormed, diagnosis.problem == ExpressionProblem::None);
        QCOMPARE(diagnosis.message.isEmpty(), diagnosis.wellFormed);
        if (!diagnosis.wellFormed) {
            QVERIFY(diagnosis.errorPosition >= 0);
            QVERIFY(diagnosis.errorLength > 0);
            QVERIFY(diagnosis.errorPosition + diagnosis.errorLength <= text.size());
        } else {
            QCOMPARE(diagnosis.errorPosition, qsizetype(-1));
            QCOMPARE(diagnosis.errorLength, qsizetype(0));
        }
    }

    static QList<qint32> ids(const QString &list)
    {
        QList<qint32> out;
        for (const QString &id : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
            out << id.toInt();
        return out;
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangEnglish); }

    void diagnoses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<ExpressionProblem>("problem");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QList<qint32>>("missing");
        QTest::addColumn<QList<qint32>>("unknown");
        QTest::addColumn<QString>("quoted");
        const QStringList problems{"None", "UnexpectedText", "MalformedToken", "OperatorWithoutLeftOperand",
                                   "MissingOperand", "MissingOperator", "UnclosedParenthesis",
                                   "UnmatchedClosingParenthesis"};
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/expressions.tsv"))) {
            QVERIFY2(row.size() == 8 && problems.contains(row.at(2)), qPrintable(row.join(QLatin1Char('|'))));
            QTest::newRow(qPrintable(row.at(0))) << row.at(1) << ExpressionProblem(problems.indexOf(row.at(2)))
                                                 << row.at(3).toInt() << row.at(4) << ids(row.at(5)) << ids(row.at(6)) << row.at(7);
        }
    }
    void diagnoses()
    {
        QFETCH(QString, text);
        QFETCH(ExpressionProblem, problem);
        QFETCH(int, position);
        QFETCH(QString, marked);
        QFETCH(QList<qint32>, missing);
        QFETCH(QList<qint32>, unknown);
        QFETCH(QString, quoted);

        const ExpressionDiagnosis diagnosis = CheckExpressionSyntax(text, m_known);
        QCOMPARE(diagnosis.problem, problem);
        QCOMPARE(diagnosis.errorPosition, qsizetype(position));
        QCOMPARE(text.mid(diagnosis.errorPosition, diagnosis.errorLength), marked);
        QCOMPARE(diagnosis.missingIds, missing);
        QCOMPARE(diagnosis.unknownIds, unknown);
        QVERIFY2(diagnosis.message.contains(quoted) && diagnosis.message.size() < 120, qPrintable(diagnosis.message));
        verifyConsistent(diagnosis, text);
    }

    void survivesHugeInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<ExpressionProblem>("problem");
        QTest::addColumn<int>("position");
        const QString chain = QStringLiteral("[%12] AND ").repeated(10000) + QStringLiteral("[%14]");
        const QString open = QString(10000, QLatin1Char('('));
        const QString close = QString(10000, QLatin1Char(')'));
        QTest::newRow("100,000 characters") << chain << ExpressionProblem::None << -1;
        QTest::newRow("10,000 nested parentheses") << open + "[%12]" + close << ExpressionProblem::None << -1;
        QTest::newRow("10,000 never closed") << open + "[%12]" << ExpressionProblem::UnclosedParenthesis << 9999;
        QTest::newRow("endless token") << "[%" + QString(100000, QLatin1Char('1')) + "]"
                                       << ExpressionProblem::MalformedToken << 0;
        QTest::newRow("100,000 closings") << "[%12]" + QString(100000, QLatin1Char(')'))
                                          << ExpressionProblem::UnmatchedClosingParenthesis << 5;
    }
    void survivesHugeInput()
    {
        QFETCH(QString, text);
        QFETCH(ExpressionProblem, problem);
        QFETCH(int, position);
        const ExpressionDiagnosis diagnosis = CheckExpressionSyntax(text, m_known);
        QCOMPARE(diagnosis.problem, problem);
        QCOMPARE(diagnosis.errorPosition, qsizetype(position));
        verifyConsistent(diagnosis, text);
    }

    // Deleting a requirement takes its token out with what joined it, so
    // the rest still reads as an expression naming everything else.
    void removingARequirementClosesTheGap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("expected");
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/expressionremovals.tsv")))
            QTest::newRow(qPrintable(row.at(0))) << row.value(1) << row.value(2).toInt() << row.value(3);
    }
    void removingARequirementClosesTheGap()
    {
        QFETCH(QString, text);
        QFETCH(int, id);
        QFETCH(QString, expected);
        const QString edited = RemoveFromExpression(text, id);
        QCOMPARE(edited, expected);
        if (CheckExpressionSyntax(text, {}).wellFormed)
            QVERIFY2(CheckExpressionSyntax(edited, {}).wellFormed, qPrintable(edited));
    }

    void addingARequirementJoinsItWithAnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default stays default") << "" << "";
        QTest::newRow("OR outside is grouped") << "[%12] OR [%14]" << "([%12] OR [%14]) AND [%-3]";
        QTest::newRow("OR inside needs no group") << "NOT [%12] AND ([%14] OR [%15])"
                                                   << "NOT [%12] AND ([%14] OR [%15]) AND [%-3]";
    }
    void addingARequirementJoinsItWithAnd()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(AppendToExpression(text, -3), expected);
    }
};

QTEST_GUILESS_MAIN(tst_ExpressionCheck)
#include "tst_expressioncheck.moc"
