#pragma once

// Helpers shared by the fuzz targets: turning fuzz bytes into Qt values.

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

#include <cstdlib>

namespace zr::fuzz {

/// A text of at most `maxBytes` UTF-8 bytes taken from the input.
inline QString takeText(FuzzedDataProvider &in, size_t maxBytes)
{
    const std::string bytes = in.ConsumeRandomLengthString(maxBytes);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

/// The rest of the input as text.
inline QString restAsText(FuzzedDataProvider &in)
{
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

/// Stops the run with a message: a broken property, not a crash in the code.
[[noreturn]] inline void propertyFailed(const char *what, const QString &detail)
{
    fprintf(stderr, "property failed: %s\n%s\n", what, detail.toUtf8().constData());
    abort();
}

} // namespace zr::fuzz
