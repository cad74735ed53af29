// The stored option strings of a requirement and the course-type totals:
// any stored text decodes without an exception, and what is written back
// from a decoded value decodes to itself (a second save changes nothing).
#include "fuzzinput.h"

#include "common/zrerror.h"
#include "reqtypes/coursetypetotals.h"
#include "reqtypes/customoptions.h"
#include "common/systemnumber.h"

#include <cmath>

using namespace zr;

namespace {

QString encodeTotals(const QList<CourseTypeTotal> &totals)
{
    QStringList items;
    for (const CourseTypeTotal &t : totals)
        items << QString::number(t.typeId) + QLatin1Char(';') + FormatSystemNumber(t.count);
    return items.join(QLatin1Char('#'));
}

void checkTotals(const QString &stored)
{
    const QList<CourseTypeTotal> first = ParseCourseTypeTotals(stored);
    for (const CourseTypeTotal &t : first) {
        if (!std::isfinite(t.count))
            fuzz::propertyFailed("a total reads as no finite number", stored);
    }
    const QString written = encodeTotals(first);
    const QList<CourseTypeTotal> again = ParseCourseTypeTotals(written);
    if (again.size() != first.size())
        fuzz::propertyFailed("written totals read back as another number of items", stored + "\n=> " + written);
    for (int i = 0; i < first.size(); ++i) {
        if (again[i].typeId != first[i].typeId)
            fuzz::propertyFailed("written totals read back with other ids", stored + "\n=> " + written);
    }
    if (encodeTotals(again) != written)
        fuzz::propertyFailed("totals change on a second save", stored + "\n=> " + written);
}

void checkOptions(qint32 type, const QString &stored)
{
    const CustomOptions decoded = CustomOptions::decode(type, stored);
    const QString written = decoded.encode();
    const CustomOptions again = CustomOptions::decode(type, written);
    if (again.encode() != written)
        fuzz::propertyFailed("options change on a second save", stored + "\n=> " + written);
    for (const OptionEntry &entry : decoded.entries()) {
        if (decoded.value(entry.key) != again.value(entry.key))
            fuzz::propertyFailed("a decoded option differs after a save", stored + "\n=> " + written);
    }
    try {
        decoded.check(QStringLiteral("fuzz"));
    } catch (const ZrError &e) {
        if (e.number != CustomOptions::CheckErrorNumber)
            fuzz::propertyFailed("the options check threw an unexpected error", e.description);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    static const qint32 types[] = {0, 10, 30, 40, 80, 90, 100, 130, -1};
    const qint32 type = in.PickValueInArray(types);
    const QString stored = fuzz::restAsText(in);
    checkOptions(type, stored);
    checkTotals(stored);
    return 0;
}
