#pragma once

#include "zrreq_export.h"

#include <QList>
#include <QString>

namespace zr {

/// The first thing wrong with an expression, in the order a left-to-right
/// reading meets it.
enum class ExpressionProblem {
    None,
    /// A word or character that is neither a requirement, AND, OR, NOT nor a parenthesis.
    UnexpectedText,
    /// Text starting with "[" that is not "[%" + integer id + "]" written as
    /// ExpressionToken writes it ("[%012]", "[%abc]", "[%1" are refused).
    MalformedToken,
    /// AND or OR with nothing on its left ("AND [%1]", "[%1] AND OR [%2]").
    OperatorWithoutLeftOperand,
    /// AND, OR, NOT or "(" with nothing after it ("[%1] AND", "NOT", "()").
    MissingOperand,
    /// Two operands side by side ("[%1] [%2]", "[%1] NOT [%2]", "[%1] (").
    MissingOperator,
    /// A "(" that is never closed; the position is the innermost one left open.
    UnclosedParenthesis,
    /// A ")" without a "(" before it.
    UnmatchedClosingParenthesis,
};

/// What CheckExpressionSyntax found in an expression.
struct ZRREQ_EXPORT ExpressionDiagnosis
{
    /// True when the text reads as requirements joined by AND and OR, each
    /// optionally preceded by NOT, with balanced parentheses. Unknown or
    /// missing requirements do not make it ill-formed.
    bool wellFormed = true;
    ExpressionProblem problem = ExpressionProblem::None;
    /// Index (in UTF-16 units, 0-based) of the first problem; -1 when none.
    qsizetype errorPosition = -1;
    /// Length of the text the first problem is about (the word, token,
    /// operator or parenthesis); 0 when none.
    qsizetype errorLength = 0;
    /// The localised explanation of the first problem; empty when none.
    QString message;
    /// Ids written in well-formed tokens that are not among the known ids,
    /// in order of first appearance, each once.
    QList<qint32> unknownIds;
    /// Known ids with no token in the text, in the order they were given.
    QList<qint32> missingIds;

    /// Well formed, and naming every known requirement and no other.
    bool isComplete() const { return wellFormed && unknownIds.isEmpty() && missingIds.isEmpty(); }
};

/// Reads an expression in stored form ("[%12] AND ([%14] OR NOT([%-1]))")
/// against the ids of the requirements it should name. AND, OR and NOT are
/// matched case-insensitively; any white space separates. Text that is empty
/// or blank is well formed and misses nothing: it stands for the default
/// expression, every requirement joined by AND. Ids are gathered from the
/// whole text even after a syntax problem. Linear in the length of the text,
/// without recursion, for any input.
ZRREQ_EXPORT ExpressionDiagnosis CheckExpressionSyntax(const QString &text, const QList<qint32> &knownIds);

} // namespace zr
