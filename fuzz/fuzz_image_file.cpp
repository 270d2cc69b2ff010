// Image bytes from files, the clipboard and drops: decoded under the allocation limit.
#include "FuzzSupport.h"
#include "image/ImageFile.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& hint : { QByteArray(), QByteArray("png"), QByteArray("jpeg") }) {
        const ImageFile::Result result = ImageFile::decode(bytes, hint);
        // A result is an image or a reason, never both or neither.
        FUZZ_CHECK(result.ok() == result.error.isEmpty());
        FUZZ_CHECK(!(result.ok() && (result.incomplete || result.permanent)));
    }
    return 0;
}
