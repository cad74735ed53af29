// String look-up through the string service vs a bare hash of the same texts.
#include "benchutil.h"

#include "common/langstrings.h"

#include <QHash>

int main()
{
    using namespace zr;
    const QList<qint32> ids = StringTableIds();
    QHash<qint32, QString> bare;
    for (qint32 id : ids)
        bare.insert(id, StringTableText(id, LangGreek));

    qint64 sink = 0;
    const int rounds = 200;
    const qint64 floorNs = bench::medianNs([&] {
        for (int r = 0; r < rounds; ++r)
            for (qint32 id : ids)
                sink += bare.value(id).size();
    });
    const qint64 measured = bench::medianNs([&] {
        for (int r = 0; r < rounds; ++r)
            for (qint32 id : ids)
                sink += GetLangString(id).size();
    });
    const bool ok = bench::report(QStringLiteral("GetLangString vs QHash look-up"), floorNs, measured, 10.0);
    return sink < 0 || !ok ? 1 : 0;
}
