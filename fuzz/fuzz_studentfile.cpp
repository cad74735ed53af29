// The student file reader: any bytes are either refused with one of the
// reader's own errors or read as a record that writes back to a file which
// reads again as the same record.
#include "fuzzinput.h"

#include "audit/studentfile.h"
#include "common/zrerror.h"
#include "jsonschema.h"

using namespace zr;

namespace {

bool isReaderError(qint32 number)
{
    return number >= 10300 && number <= 10313;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const server::JsonSchema schema;
    const SchemaTable &students = *schema.table(QStringLiteral("v_students"));
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    StudentRecord record;
    try {
        record = ReadStudentFile(json, students);
    } catch (const ZrError &e) {
        if (!isReaderError(e.number))
            fuzz::propertyFailed("the reader threw an unexpected error", e.description);
        return 0;
    }
    const QByteArray written = WriteStudentFile(record, students);
    try {
        if (ReadStudentFile(written, students) != record)
            fuzz::propertyFailed("a written file reads back as another record", QString::fromUtf8(written));
    } catch (const ZrError &e) {
        fuzz::propertyFailed("a written file does not read back", QString::fromUtf8(written) + "\n" + e.description);
    }
    return 0;
}
