// The ID3 reader over arbitrary bytes standing in for an MP3 file.
#include "tags/mytagid3.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    TMyTagID3 tag;
    tag.ReadFromBytes(QStringLiteral("/fuzz/input.mp3"), bytes);
    (void)tag.TitleOrName();
    return 0;
}
