// The period-list checks of exam and teaching periods: any list is either
// accepted or refused with one of the checks' own messages, and a list
// built only from valid years and periods is always accepted.
#include "fuzzinput.h"

#include "common/zrerror.h"
#include "reqtypes/parametervalidation.h"

using namespace zr;

namespace {

Recordset examPeriods()
{
    Recordset rs({makeField(QStringLiteral("epID"), adInteger), makeField(QStringLiteral("epdesc"), adVarWChar)});
    for (int id : {1, 2, 3, 12}) {
        rs.addNew();
        rs.setValue(0, id);
        rs.setValue(1, QStringLiteral("period %1").arg(id));
    }
    rs.updateBatch();
    return rs;
}

const QStringList termNames = {QStringLiteral("ΧΕΙΜ"), QStringLiteral("ΕΑΡ"), QStringLiteral("O'NEIL"),
                               QStringLiteral("A*B")};

Recordset terms()
{
    Recordset rs({makeField(QStringLiteral("termDesc"), adVarWChar)});
    for (const QString &name : termNames) {
        rs.addNew();
        rs.setValue(0, name);
    }
    rs.updateBatch();
    return rs;
}

bool isCheckMessage(qint32 number)
{
    return number >= 20709 && number <= 20713;
}

// Runs a check; returns false when it refused the list.
template<typename Check>
bool accepted(Check check, const QString &list)
{
    try {
        check();
        return true;
    } catch (const ZrError &e) {
        if (!isCheckMessage(e.number))
            fuzz::propertyFailed("a period check threw an unexpected error", list + "\n" + e.description);
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Recordset exams = examPeriods();
    static const Recordset teaching = terms();
    FuzzedDataProvider in(data, size);
    const QString caption = QStringLiteral("Περίοδοι");
    const QString requirement = QStringLiteral("Απαίτηση 1");

    if (in.ConsumeBool()) {
        const QString list = fuzz::restAsText(in);
        accepted([&] { CheckExamPeriods(list, caption, requirement, exams); }, list);
        accepted([&] { CheckTeachingPeriods(list, caption, requirement, teaching); }, list);
        return 0;
    }
    // Valid elements only, with blanks around them: both lists must pass.
    QStringList examList;
    QStringList teachingList;
    const int count = in.ConsumeIntegralInRange(1, 6);
    for (int i = 0; i < count; ++i) {
        const QString year = QString::number(in.ConsumeIntegralInRange(1000, 9999));
        const QString pad = in.ConsumeBool() ? QStringLiteral(" ") : QString();
        if (in.ConsumeBool()) {
            examList << pad + year + pad;
            teachingList << pad + year + pad;
            continue;
        }
        static const int ids[] = {1, 2, 3, 12};
        examList << pad + year + QLatin1Char('-') + QString::number(in.PickValueInArray(ids)) + pad;
        teachingList << pad + year + QLatin1Char('-') + termNames.at(in.ConsumeIntegralInRange(0, 3)) + pad;
    }
    const QString exam = examList.join(QLatin1Char(','));
    const QString teach = teachingList.join(QLatin1Char(','));
    if (!accepted([&] { CheckExamPeriods(exam, caption, requirement, exams); }, exam))
        fuzz::propertyFailed("a valid exam period list is refused", exam);
    if (!accepted([&] { CheckTeachingPeriods(teach, caption, requirement, teaching); }, teach))
        fuzz::propertyFailed("a valid teaching period list is refused", teach);
    return 0;
}
