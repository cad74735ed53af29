#include "expressionwizard.h"

#include "common/langstrings.h"
#include "expressionedit.h"
#include "expressionform.h"
#include "expressionvalidation.h"
#include "funcbuilder.h"
#include "requirementseditor.h"

#include <QGuiApplication>

namespace zr {

void ExpressionWizard::create(QWidget *owner)
{
    if (m_builder)
        return;
    m_builder = new zrFuncBuilder(owner);
    m_builder->setObjectName(QStringLiteral("zrFuncBuilder"));
    retranslate();
}

void ExpressionWizard::destroy()
{
    delete m_builder;
    m_builder = nullptr;
}

void ExpressionWizard::retranslate()
{
    if (!m_builder)
        return;
    m_builder->initialise();
    struct Operator
    {
        qint32 category;
        qint32 caption; // 0: the symbol is the caption
        const char *symbol;
        const char *insertText;
        qint32 help;
    };
    static const Operator palette[] = {
        {20752, 20753, "AND", " AND ", 0},  {20752, 20754, "OR", " OR ", 0}, {20752, 20755, "NOT", " NOT(%)", 20756},
        {20757, 0, "()", "(%)", 20758},     {20757, 0, "(", "(", 20759},     {20757, 0, ")", ")", 20760},
    };
    for (const Operator &op : palette) {
        const QString symbol = QString::fromLatin1(op.symbol);
        m_builder->addOperator(GetLangString(op.category), symbol, QString::fromLatin1(op.insertText),
                               op.caption ? GetLangString(op.caption) : symbol,
                               op.help ? GetLangString(op.help) : QString(), true);
    }
    m_builder->setDisplaySwitches(false, true);
    m_builder->setCaptions(GetLangString(20761), GetLangString(20521), GetLangString(20762), GetLangString(20763),
                           GetLangString(20764));
}

std::optional<QString> ExpressionWizard::edit(RequirementsEditor &editor, const QFont &font)
{
    RequirementSet &set = editor.set();
    if (!set.hasRows() || !m_builder)
        return std::nullopt;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        m_builder->resetVariables();
        for (const ExpressionVariable &variable : editor.expressionVariables())
            m_builder->addVariable(variable.token, variable.caption, variable.description, QStringLiteral("0"),
                                   QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("6"));
    } catch (...) {
        QGuiApplication::restoreOverrideCursor();
        throw;
    }
    QGuiApplication::restoreOverrideCursor();
    const QString stored = set.expression();
    const auto captionOf = [&editor](qint32 ocID) { return editor.captionOf(ocID); };
    // A malformed expression is what the wizard is opened to mend.
    ValidateExpression(set, ExpressionChecks{false, true, false, false}, captionOf);
    m_builder->setExpression(ConvertExpression(stored, true, set.walkWholeSet(), captionOf));
    m_builder->setFont(font);
    m_builder->showWizard();
    // Only AND between requirements is the default expression, stored empty.
    if (!ExpressionNeedsStoring(m_builder->expression()))
        m_builder->setExpression(QString());
    const QString edited = m_builder->expression();
    if (edited == stored)
        return std::nullopt;
    return edited;
}

} // namespace zr
