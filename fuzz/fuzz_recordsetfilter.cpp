// Filter and find criteria of the in-memory recordset: any text either
// compiles or throws one of the recordset's own errors, and a criteria text
// that compiles selects the same rows through setFilter and through find.
#include "fuzzinput.h"

#include "recordset/recordset.h"
#include "common/zrerror.h"

#include <QDate>
#include <QDateTime>

using namespace zr;

namespace {

Recordset sampleRows()
{
    Recordset rs({makeField(QStringLiteral("courseID"), adInteger), makeField(QStringLiteral("title"), adVarWChar),
                  makeField(QStringLiteral("credits"), adDouble), makeField(QStringLiteral("startDate"), adDate),
                  makeField(QStringLiteral("active"), adBoolean), makeField(QStringLiteral("code"), adVarWChar)});
    const QVariantList rows[] = {
        {1, QStringLiteral("Μαθηματικά Ι"), 5.5, QDateTime(QDate(2024, 9, 1), QTime(0, 0)), true, QStringLiteral("12")},
        {2, QStringLiteral("O'Brien's course"), -1.0, QDateTime(QDate(1999, 12, 31), QTime(23, 59)), false,
         QStringLiteral("ab*c")},
        {-3, QString(), QVariant(), QVariant(), QVariant(), QVariant()},
        {2147483647, QStringLiteral("50%"), 1e300, QDateTime(QDate(1, 1, 1), QTime(0, 0)), true,
         QStringLiteral(" 7 ")},
        {0, QStringLiteral(""), 0.0, QDateTime(QDate(2100, 2, 28), QTime(12, 0)), false, QStringLiteral("x_y")},
    };
    for (const QVariantList &row : rows) {
        rs.addNew();
        for (int f = 0; f < row.size(); ++f)
            rs.setValue(f, row[f]);
    }
    rs.updateBatch();
    return rs;
}

bool isCriteriaError(qint32 number)
{
    return number == Recordset::ErrSyntax || number == Recordset::ErrUnknownField
        || number == Recordset::ErrTypeMismatch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Recordset rows = sampleRows();
    const QString criteria = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    Recordset filtered = rows.clone();
    int filteredCount = -1;
    try {
        filtered.setFilter(criteria);
        filteredCount = filtered.recordCount();
        if (filteredCount > rows.recordCount())
            fuzz::propertyFailed("a filter shows more rows than there are", criteria);
    } catch (const ZrError &e) {
        if (!isCriteriaError(e.number))
            fuzz::propertyFailed("setFilter threw an unexpected error", e.description);
    }

    Recordset walker = rows.clone();
    int found = 0;
    try {
        bool hit = walker.find(criteria, 0, Recordset::SearchForward, Recordset::StartFirst);
        while (hit) {
            ++found;
            hit = walker.find(criteria, 1);
        }
        if (filteredCount < 0)
            fuzz::propertyFailed("find accepted criteria that setFilter refused", criteria);
        if (found != filteredCount && !criteria.trimmed().isEmpty())
            fuzz::propertyFailed("find and setFilter disagree", criteria);
    } catch (const ZrError &e) {
        if (!isCriteriaError(e.number))
            fuzz::propertyFailed("find threw an unexpected error", e.description);
        if (filteredCount >= 0 && !criteria.trimmed().isEmpty())
            fuzz::propertyFailed("find refused criteria that setFilter accepted", criteria);
    }
    return 0;
}
