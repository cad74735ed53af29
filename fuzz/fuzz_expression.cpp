// The expression check: any text gets a diagnosis whose position lies inside
// the text, and an expression built by the grammar - requirements joined by
// AND and OR, NOT, parentheses, any spacing and case - is always well formed
// and names exactly the requirements it was built from.
#include "fuzzinput.h"

#include "requirements/expressioncheck.h"
#include "requirements/expressionform.h"

#include <QSet>

using namespace zr;

namespace {

const QList<qint32> knownIds = {1, 2, 3, 25, -1, -2};

QString blank(FuzzedDataProvider &in)
{
    static const char *const blanks[] = {" ", "  ", "\t", " \r\n "};
    return QString::fromLatin1(in.PickValueInArray(blanks));
}

QString word(FuzzedDataProvider &in, const char *upper)
{
    QString w = QString::fromLatin1(upper);
    return in.ConsumeBool() ? w : w.toLower();
}

// operand := token | NOT(expr) | (expr);  expr := operand ((AND|OR) operand)*
QString buildExpression(FuzzedDataProvider &in, int depth, QSet<qint32> &used)
{
    QString text;
    const int operands = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < operands; ++i) {
        if (i > 0)
            text += blank(in) + word(in, in.ConsumeBool() ? "AND" : "OR") + blank(in);
        const int kind = depth < 6 ? in.ConsumeIntegralInRange(0, 2) : 0;
        if (kind == 0) {
            const qint32 id = knownIds.at(in.ConsumeIntegralInRange<int>(0, int(knownIds.size()) - 1));
            used.insert(id);
            text += ExpressionToken(id);
        } else if (kind == 1) {
            text += word(in, "NOT") + QLatin1Char('(') + buildExpression(in, depth + 1, used) + QLatin1Char(')');
        } else {
            text += QLatin1Char('(') + buildExpression(in, depth + 1, used) + QLatin1Char(')');
        }
    }
    return text;
}

void checkDiagnosis(const QString &text, const ExpressionDiagnosis &d)
{
    if (d.wellFormed != (d.problem == ExpressionProblem::None))
        fuzz::propertyFailed("well formed and problem disagree", text);
    if (d.wellFormed && (d.errorPosition != -1 || !d.message.isEmpty()))
        fuzz::propertyFailed("a well-formed text with an error position or message", text);
    if (!d.wellFormed) {
        if (d.errorPosition < 0 || d.errorPosition > text.size() || d.errorLength < 0
            || d.errorPosition + d.errorLength > text.size())
            fuzz::propertyFailed("the error lies outside the text", text);
        if (d.message.isEmpty())
            fuzz::propertyFailed("a problem without a message", text);
    }
    for (qint32 id : d.unknownIds) {
        if (knownIds.contains(id) || d.unknownIds.count(id) != 1)
            fuzz::propertyFailed("a known or repeated id among the unknown ones", text);
    }
    for (qint32 id : d.missingIds) {
        if (!knownIds.contains(id) || text.contains(ExpressionToken(id)))
            fuzz::propertyFailed("an id reported missing that is there or unknown", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        const QString text = fuzz::restAsText(in);
        checkDiagnosis(text, CheckExpressionSyntax(text, knownIds));
        ExpressionNeedsStoring(text);
        return 0;
    }
    QSet<qint32> used;
    const QString text = blank(in) + buildExpression(in, 0, used) + blank(in);
    const ExpressionDiagnosis d = CheckExpressionSyntax(text, knownIds);
    checkDiagnosis(text, d);
    if (!d.wellFormed)
        fuzz::propertyFailed("a grammatical expression reads as ill formed", text + "\n" + d.message);
    if (!d.unknownIds.isEmpty())
        fuzz::propertyFailed("a grammatical expression names an unknown id", text);
    for (qint32 id : knownIds) {
        if (d.missingIds.contains(id) == used.contains(id))
            fuzz::propertyFailed("missing ids differ from the ids not written", text);
    }
    return 0;
}
