#include "platform/charsetdetect.h"

#include <unicode/ucsdet.h>

#include <cstring>

namespace platform {
namespace {

struct NameToCodePage {
    const char *name;
    int codePage;
};

const NameToCodePage kNames[] = {
    {"Shift_JIS", 932},     {"EUC-JP", 20932},     {"ISO-2022-JP", 50220}, {"UTF-8", 65001},
    {"UTF-16LE", 1200},     {"UTF-16BE", 1201},    {"ISO-8859-1", 1252},   {"windows-1252", 1252},
};

int CodePageOf(const char *name)
{
    for (const auto &n : kNames)
        if (std::strcmp(n.name, name) == 0)
            return n.codePage;
    return -1;
}

} // namespace

int DetectCodePageAmong(QByteArrayView bytes, std::initializer_list<int> candidates)
{
    UErrorCode err = U_ZERO_ERROR;
    UCharsetDetector *det = ucsdet_open(&err);
    if (U_FAILURE(err))
        return -1;
    ucsdet_setText(det, bytes.data(), int32_t(bytes.size()), &err);
    int32_t found = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(det, &found, &err);
    int result = -1;
    for (int32_t i = 0; U_SUCCESS(err) && i < found && result < 0; ++i) {
        UErrorCode e = U_ZERO_ERROR;
        const int cp = CodePageOf(ucsdet_getName(matches[i], &e));
        for (int c : candidates)
            if (c == cp)
                result = cp;
    }
    ucsdet_close(det);
    return result;
}

} // namespace platform
