// The Windows Media header reader over arbitrary bytes standing in for a WMA file. Most inputs
// start with the header object, so the walk over the objects gets exercised.
#include "tags/mytagwma.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const unsigned char kHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                  0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // An input whose first byte is odd gets the header GUID written over its start.
    if (size > 0 && (data[0] & 1)) {
        QByteArray guid(reinterpret_cast<const char *>(kHeaderGuid), 16);
        bytes = guid + bytes.mid(1);
    }
    TMyTagWMA tag;
    tag.ReadFromBytes(QStringLiteral("/fuzz/input.wma"), bytes);
    (void)tag.TitleOrName();
    return 0;
}
