// The requirement file reader: any bytes are either refused with one of the
// reader's own errors or read as a set that writes back to a file which
// reads again as the same rows.
#include "fuzzinput.h"

#include "common/zrerror.h"
#include "requirements/requirementfile.h"

using namespace zr;

namespace {

bool isReaderError(qint32 number)
{
    return number >= 60200 && number <= 60213;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    RequirementFile file;
    try {
        file = ReadRequirementFile(json);
    } catch (const ZrError &e) {
        if (!isReaderError(e.number))
            fuzz::propertyFailed("the reader threw an unexpected error", e.description);
        return 0;
    }
    // What was read can be written and read again unchanged.
    QByteArray written;
    try {
        Recordset parent = RequirementFileRecordset(file);
        written = WriteRequirementFile(parent, file.objectKind, file.context, file.curriculumId());
    } catch (const ZrError &) {
        return 0; // a set that cannot be written (no rows) is refused, not broken
    }
    RequirementFile again;
    try {
        again = ReadRequirementFile(written);
    } catch (const ZrError &e) {
        fuzz::propertyFailed("a written file does not read back", QString::fromUtf8(written) + "\n" + e.description);
    }
    if (again.objectKind != file.objectKind || again.context != file.context
        || again.rows.recordCount() != file.rows.recordCount())
        fuzz::propertyFailed("a written file reads back as another set", QString::fromUtf8(written));
    return 0;
}
