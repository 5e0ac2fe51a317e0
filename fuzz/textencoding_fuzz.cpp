// Detection and decoding of arbitrary bytes, in every encoding, and the list split of the result.
#include "lists/mywstrings.h"
#include "lists/textencoding.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TextEncoding detected = DetectEncoding(bytes);
    TMyWStrings lines;
    lines.SetTextStr(DecodeText(bytes, detected));
    if (size > 0) {
        const TextEncoding forced = TextEncodingFromInt(data[0] % 12);
        const QString text = DecodeText(bytes.sliced(1), forced);
        (void)EncodeText(text, forced);
        (void)DecodeString(bytes);
        (void)EncodeString(text);
    }
    return 0;
}
