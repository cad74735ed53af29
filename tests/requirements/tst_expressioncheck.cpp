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
        using P = ExpressionProblem;
        using Ids = QList<qint32>;
        const Ids none;
        const Ids allKnown{12, 14, 15, -2};

        QTest::newRow("empty means the default") << "" << P::None << -1 << QString() << none << none;
        QTest::newRow("all joined by AND") << "[%12] AND [%14] AND [%15] AND [%-2]" << P::None << -1 << QString() << none << none;
        QTest::newRow("nested parentheses") << "[%12] AND (([%14] OR NOT([%15])) AND [%-2])" << P::None << -1 << QString()
                                            << none << none;
        QTest::newRow("no blanks around operators") << "[%12]AND([%14])OR NOT([%15])" << P::None << -1 << QString() << Ids{-2}
                                                    << none;
        QTest::newRow("unknown id") << "[%12] OR [%999]" << P::None << -1 << QString() << Ids{14, 15, -2} << Ids{999};
        QTest::newRow("unknown ids once, in order") << "[%999] OR [%7] OR [%999]" << P::None << -1 << QString() << allKnown
                                                   << Ids{999, 7};

        QTest::newRow("unclosed parenthesis") << "([%12] AND ([%14] OR [%15])" << P::UnclosedParenthesis << 0 << QStringLiteral("(")
                                              << Ids{-2} << none;
        QTest::newRow("innermost unclosed") << "[%12] AND ((([%14])" << P::UnclosedParenthesis << 11 << QStringLiteral("(")
                                            << Ids{15, -2} << none;
        QTest::newRow("closing before any opening") << "[%12]) AND ([%14]" << P::UnmatchedClosingParenthesis << 5 << QStringLiteral(")")
                                                    << Ids{15, -2} << none;
        QTest::newRow("AND AND") << "[%12] AND AND [%14]" << P::OperatorWithoutLeftOperand << 10 << QStringLiteral("AND") << Ids{15, -2}
                                 << none;
        QTest::newRow("leading operator") << "OR [%12]" << P::OperatorWithoutLeftOperand << 0 << QStringLiteral("OR") << Ids{14, 15, -2}
                                          << none;
        QTest::newRow("trailing operator") << "[%12] AND " << P::MissingOperand << 6 << QStringLiteral("AND") << Ids{14, 15, -2} << none;
        QTest::newRow("NOT without operand") << "[%12] AND NOT" << P::MissingOperand << 10 << QStringLiteral("NOT") << Ids{14, 15, -2}
                                             << none;
        QTest::newRow("operands side by side") << "[%12] [%14]" << P::MissingOperator << 6 << QStringLiteral("[%14]") << Ids{15, -2} << none;
        QTest::newRow("NOT used as a binary operator") << "[%12] NOT [%14]" << P::MissingOperator << 6 << QStringLiteral("NOT")
                                                      << Ids{15, -2} << none;
        QTest::newRow("letters as id") << "[%12] OR [%abc]" << P::MalformedToken << 9 << QStringLiteral("[%abc]") << Ids{14, 15, -2} << none;
        QTest::newRow("leading zero") << "[%012]" << P::MalformedToken << 0 << QStringLiteral("[%012]") << allKnown << none;
        QTest::newRow("id beyond 32 bits") << "[%4294967308]" << P::MalformedToken << 0 << QStringLiteral("[%4294967308]") << allKnown << none;
        QTest::newRow("unterminated token") << "[%12] AND [%14" << P::MalformedToken << 10 << QStringLiteral("[%14") << Ids{14, 15, -2}
                                            << none;
        QTest::newRow("word that is not an operator") << "[%12] AND foo" << P::UnexpectedText << 10 << QStringLiteral("foo")
                                                      << Ids{14, 15, -2} << none;
        QTest::newRow("operator glued to a word") << "[%12] ANDNOT [%14]" << P::UnexpectedText << 6 << QStringLiteral("ANDNOT")
                                                  << Ids{15, -2} << none;
        QTest::newRow("ids counted after the first problem") << "[%12] AND AND [%999] OR [%14]"
                                                             << P::OperatorWithoutLeftOperand << 10 << QStringLiteral("AND") << Ids{15, -2}
                                                             << Ids{999};
        QTest::newRow("operator in lower case") << "[%12] AND Or [%14]" << P::OperatorWithoutLeftOperand << 10
                                                << QStringLiteral("Or") << Ids{15, -2} << none;
        QTest::newRow("empty parentheses") << "()" << P::MissingOperand << 1 << QStringLiteral(")") << allKnown << none;
        QTest::newRow("surrogate pair") << "[%12] \U0001F600" << P::UnexpectedText << 6 << QStringLiteral("\U0001F600")
                                        << Ids{14, 15, -2} << none;
    }
    void diagnoses()
    {
        QFETCH(QString, text);
        QFETCH(ExpressionProblem, problem);
        QFETCH(int, position);
        QFETCH(QString, marked);
        QFETCH(QList<qint32>, missing);
        QFETCH(QList<qint32>, unknown);

        const ExpressionDiagnosis diagnosis = CheckExpressionSyntax(text, m_known);
        QCOMPARE(diagnosis.problem, problem);
        QCOMPARE(diagnosis.errorPosition, qsizetype(position));
        QCOMPARE(text.mid(diagnosis.errorPosition, diagnosis.errorLength), marked);
        QCOMPARE(diagnosis.missingIds, missing);
        QCOMPARE(diagnosis.unknownIds, unknown);
        verifyConsistent(diagnosis, text);
    }

    void explanationQuotesTheOffendingText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("word") << "[%12] OR maybe" << "maybe";
        QTest::newRow("token") << "[%12] OR [%x1]" << "[%x1]";
        QTest::newRow("long word is shortened") << "[%12] OR " + QString(500, QLatin1Char('x'))
                                                << QString(24, QLatin1Char('x')) + QChar(0x2026);
    }
    void explanationQuotesTheOffendingText()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        const QString message = CheckExpressionSyntax(text, m_known).message;
        QVERIFY2(message.contains(quoted), qPrintable(message));
        QVERIFY(message.size() < 120);
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
        QTest::newRow("last, after OR") << "NOT [%12] AND [%14] OR [%15]" << 15 << "NOT [%12] AND [%14]";
        QTest::newRow("between OR and AND: the AND goes") << "[%12] OR [%14] AND [%15]" << 14 << "[%12] OR [%15]";
        QTest::newRow("between AND and OR: the AND goes") << "[%12] AND [%14] OR [%15]" << 14 << "[%12] OR [%15]";
        QTest::newRow("NOT goes with it") << "[%12] OR NOT [%14] OR [%15]" << 14 << "[%12] OR [%15]";
        QTest::newRow("nested groups emptied") << "[%12] OR (NOT(([%14]))) OR [%15]" << 14 << "[%12] OR [%15]";
        QTest::newRow("group keeps its other member") << "[%12] OR ([%14] AND [%15])" << 15 << "[%12] OR ([%14])";
        QTest::newRow("named twice") << "[%12] OR [%14] OR ([%12] AND [%15])" << 12 << "[%14] OR ([%15])";
        QTest::newRow("no OR or NOT left: the default") << "[%12] AND [%14] OR [%15]" << 15 << "";
        QTest::newRow("not named") << "[%12] OR [%14]" << 15 << "[%12] OR [%14]";
        QTest::newRow("-1 is not -12") << "[%-12] OR [%-1]" << -1 << "";
        QTest::newRow("malformed: the token only") << "[%12] OR ( [%14]" << 14 << "[%12] OR ( ";
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
