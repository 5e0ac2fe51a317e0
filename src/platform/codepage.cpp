#include "platform/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <array>
#include <memory>
#include <mutex>

namespace platform {
namespace {

// windows-932 in both directions. ICU's own converter substitutes FC FC and decodes 80, A0, FD-FF
// to U+001A, so the program keeps its own tables built from ICU's mapping plus Windows' fix-ups.
struct Cp932Tables {
    // Encoding: 0 = no mapping; <= 0xFF single byte (with hasSingle), else lead << 8 | trail.
    std::array<uint16_t, 65536> encode{};
    std::array<bool, 65536> mapped{};
    std::array<char16_t, 256> single{};
    // Double-byte decoding: [lead][trail], 0 = undefined.
    std::array<std::array<char16_t, 256>, 256> dbl{};

    Cp932Tables()
    {
        UErrorCode err = U_ZERO_ERROR;
        UConverter *cnv = ucnv_open("windows-932", &err);
        if (U_FAILURE(err) || !cnv)
            cnv = nullptr;
        auto decode = [&](const char *src, int len, char16_t &out) -> bool {
            if (!cnv)
                return false;
            UErrorCode e = U_ZERO_ERROR;
            ucnv_reset(cnv);
            ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &e);
            UChar buf[4];
            int32_t n = ucnv_toUChars(cnv, buf, 4, src, len, &e);
            if (U_FAILURE(e) || n != 1)
                return false;
            out = buf[0];
            return true;
        };
        for (int b = 0; b < 0x80; ++b)
            single[b] = char16_t(b);
        for (int b = 0xA1; b <= 0xDF; ++b) {
            char c = char(b);
            char16_t u = 0;
            single[b] = decode(&c, 1, u) ? u : char16_t(0xFF61 + (b - 0xA1));
        }
        // What Windows gives for the bytes that are neither ASCII, katakana nor lead bytes.
        single[0x80] = 0x0080;
        single[0xA0] = 0xF8F0;
        single[0xFD] = 0xF8F1;
        single[0xFE] = 0xF8F2;
        single[0xFF] = 0xF8F3;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsAnsiLeadByte(uchar(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                char src[2] = {char(lead), char(trail)};
                char16_t u = 0;
                if (decode(src, 2, u) && u != 0xFFFD && u != 0x1A)
                    dbl[lead][trail] = u;
            }
        }
        // Encoding: take ICU's choice, keep it only where it decodes back to the same unit.
        for (int b = 0; b < 256; ++b) {
            if (IsAnsiLeadByte(uchar(b)))
                continue;
            char16_t u = single[b];
            if (!mapped[u]) {
                encode[u] = uint16_t(b);
                mapped[u] = true;
            }
        }
        if (cnv) {
            for (int u = 0x80; u < 0x10000; ++u) {
                if (mapped[u] || (u >= 0xD800 && u <= 0xDFFF))
                    continue;
                UErrorCode e = U_ZERO_ERROR;
                ucnv_reset(cnv);
                ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &e);
                UChar src = UChar(u);
                char out[4];
                int32_t n = ucnv_fromUChars(cnv, out, 4, &src, 1, &e);
                if (U_FAILURE(e) || n != 2)
                    continue;
                const uchar lead = uchar(out[0]), trail = uchar(out[1]);
                if (dbl[lead][trail] == char16_t(u)) {
                    encode[u] = uint16_t(lead << 8 | trail);
                    mapped[u] = true;
                }
            }
            ucnv_close(cnv);
        }
        // Double-byte codes ICU does not map back (duplicates) still encode their unit when free.
        for (int lead = 0x81; lead <= 0xFC; ++lead)
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                char16_t u = dbl[lead][trail];
                if (u && !mapped[u]) {
                    encode[u] = uint16_t(lead << 8 | trail);
                    mapped[u] = true;
                }
            }
    }
};

const Cp932Tables &Tables()
{
    static const Cp932Tables tables;
    return tables;
}

struct ConverterDeleter {
    void operator()(UConverter *c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterDeleter>;

ConverterPtr OpenConverter(const char *name)
{
    UErrorCode err = U_ZERO_ERROR;
    ConverterPtr cnv(ucnv_open(name, &err));
    if (U_FAILURE(err))
        return nullptr;
    return cnv;
}

const char *IcuName(CodePage cp)
{
    switch (cp) {
    case CodePage::EucJp: return "EUC-JP";
    case CodePage::Jis: return "ISO-2022-JP";
    case CodePage::Utf7: return "UTF-7";
    default: return nullptr;
    }
}

// Half-width katakana to full width, voiced marks combined, as Windows' ISO-2022-JP encoder does.
QString HalfwidthKatakanaToFull(QStringView text)
{
    static const char16_t base[] = u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c < 0xFF61 || c > 0xFF9F) {
            out.append(QChar(c));
            continue;
        }
        char16_t full = base[c - 0xFF61];
        if (i + 1 < text.size()) {
            char16_t next = text[i + 1].unicode();
            const bool kaToHo = (full >= u'カ' && full <= u'ト') || (full >= u'ハ' && full <= u'ホ');
            if (next == 0xFF9E && (kaToHo || full == u'ウ')) {
                out.append(QChar(full == u'ウ' ? u'ヴ' : char16_t(full + 1)));
                ++i;
                continue;
            }
            if (next == 0xFF9F && full >= u'ハ' && full <= u'ホ') {
                out.append(QChar(char16_t(full + 2)));
                ++i;
                continue;
            }
        }
        out.append(QChar(full));
    }
    return out;
}

// ICU's buffers are counted in int32: convert in pieces so that any size works.
constexpr qsizetype kPiece = 1 << 20;

QString IcuDecode(CodePage cp, QByteArrayView bytes)
{
    ConverterPtr cnv = OpenConverter(IcuName(cp));
    if (!cnv)
        return QString();
    QString out;
    out.reserve(bytes.size() + 16);
    UChar buffer[4096];
    const char *src = bytes.data();
    const char *const end = src + bytes.size();
    do {
        const char *pieceEnd = end - src > kPiece ? src + kPiece : end;
        const bool flush = pieceEnd == end;
        UErrorCode err;
        do {
            err = U_ZERO_ERROR;
            UChar *target = buffer;
            ucnv_toUnicode(cnv.get(), &target, buffer + 4096, &src, pieceEnd, nullptr, flush, &err);
            out.append(reinterpret_cast<const QChar *>(buffer), target - buffer);
        } while (err == U_BUFFER_OVERFLOW_ERROR);
        if (U_FAILURE(err))
            return out;
    } while (src < end);
    return out;
}

QByteArray IcuEncode(CodePage cp, QStringView text, bool *lossy)
{
    ConverterPtr cnv = OpenConverter(IcuName(cp));
    if (lossy)
        *lossy = false;
    if (!cnv)
        return QByteArray();
    QString prepared;
    if (cp == CodePage::Jis) {
        prepared = HalfwidthKatakanaToFull(text);
        text = prepared;
    }
    UErrorCode err = U_ZERO_ERROR;
    static const UChar question[] = {u'?'};
    ucnv_setSubstString(cnv.get(), question, 1, &err);
    err = U_ZERO_ERROR;
    // Count substitutions through a callback context.
    struct Ctx {
        bool hit = false;
    } ctx;
    UConverterFromUCallback oldCb;
    const void *oldCtx;
    ucnv_setFromUCallBack(
        cnv.get(),
        [](const void *context, UConverterFromUnicodeArgs *args, const UChar *units, int32_t length,
           UChar32 codePoint, UConverterCallbackReason reason, UErrorCode *e) {
            if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR)
                static_cast<Ctx *>(const_cast<void *>(context))->hit = true;
            UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, codePoint, reason, e);
        },
        &ctx, &oldCb, &oldCtx, &err);
    QByteArray out;
    out.reserve(text.size() + 16);
    char buffer[8192];
    const UChar *src = reinterpret_cast<const UChar *>(text.utf16());
    const UChar *const end = src + text.size();
    do {
        const UChar *pieceEnd = end - src > kPiece ? src + kPiece : end;
        const bool flush = pieceEnd == end;
        do {
            err = U_ZERO_ERROR;
            char *target = buffer;
            ucnv_fromUnicode(cnv.get(), &target, buffer + sizeof buffer, &src, pieceEnd, nullptr, flush, &err);
            out.append(buffer, target - buffer);
        } while (err == U_BUFFER_OVERFLOW_ERROR);
        if (U_FAILURE(err))
            break;
    } while (src < end);
    if (lossy)
        *lossy = ctx.hit || U_FAILURE(err);
    return out;
}

} // namespace

int AnsiBytesOfUnit(char16_t unit, char out[2])
{
    const Cp932Tables &t = Tables();
    if (!t.mapped[unit])
        return 0;
    uint16_t code = t.encode[unit];
    if (code <= 0xFF) {
        out[0] = char(code);
        return 1;
    }
    out[0] = char(code >> 8);
    out[1] = char(code & 0xFF);
    return 2;
}

QString AnsiToWide(QByteArrayView bytes)
{
    const Cp932Tables &t = Tables();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    qsizetype n = 0;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype len = bytes.size();
    for (qsizetype i = 0; i < len; ++i) {
        const uchar b = p[i];
        if (!IsAnsiLeadByte(b)) {
            dst[n++] = t.single[b];
            continue;
        }
        if (i + 1 >= len) {
            dst[n++] = u'?';
            break;
        }
        const uchar trail = p[i + 1];
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) {
            dst[n++] = u'?';
            continue;  // the trail byte is read again on its own
        }
        const char16_t u = t.dbl[b][trail];
        dst[n++] = u ? u : char16_t(0x30FB);
        ++i;
    }
    out.truncate(n);
    return out;
}

bool IsAssignedAnsi(QByteArrayView bytes)
{
    const Cp932Tables &t = Tables();
    const auto privateUse = [](char16_t u) { return u >= 0xE000 && u <= 0xF8FF; };
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype len = bytes.size();
    bool doubleByte = false;
    for (qsizetype i = 0; i < len; ++i) {
        const uchar b = p[i];
        if (!IsAnsiLeadByte(b)) {
            if (b == 0x80 || privateUse(t.single[b]))
                return false;
            continue;
        }
        if (i + 1 >= len)
            return doubleByte;
        const uchar trail = p[i + 1];
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
            return false;
        const char16_t u = t.dbl[b][trail];
        if (!u || privateUse(u))
            return false;
        doubleByte = true;
        ++i;
    }
    return true;
}

QString WesternToWide(QByteArrayView bytes)
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = char16_t(b);  // Latin-1 and, for the unassigned bytes, the C1 controls
        if (ConverterPtr cnv = OpenConverter("windows-1252")) {
            for (int b = 0x80; b < 0xA0; ++b) {
                UErrorCode e = U_ZERO_ERROR;
                ucnv_reset(cnv.get());
                ucnv_setToUCallBack(cnv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &e);
                const char src = char(b);
                UChar out[2];
                if (ucnv_toUChars(cnv.get(), out, 2, &src, 1, &e) == 1 && U_SUCCESS(e) && out[0] != 0xFFFD &&
                    out[0] != 0x1A)
                    t[b] = out[0];
            }
        }
        return t;
    }();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = table[p[i]];
    return out;
}

QByteArray WideToAnsi(QStringView text, char defaultChar, bool *usedDefault)
{
    const Cp932Tables &t = Tables();
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char *dst = out.data();
    qsizetype n = 0;
    bool used = false;
    for (QChar qc : text) {
        const char16_t u = qc.unicode();
        if (!t.mapped[u]) {
            dst[n++] = defaultChar;
            used = true;
            continue;
        }
        const uint16_t code = t.encode[u];
        if (code <= 0xFF) {
            dst[n++] = char(code);
        } else {
            dst[n++] = char(code >> 8);
            dst[n++] = char(code & 0xFF);
        }
    }
    out.truncate(n);
    if (usedDefault)
        *usedDefault = used;
    return out;
}

bool FitsAnsi(QStringView text)
{
    const Cp932Tables &t = Tables();
    for (QChar qc : text)
        if (!t.mapped[qc.unicode()])
            return false;
    return true;
}

QString Decode(CodePage cp, QByteArrayView bytes)
{
    switch (cp) {
    case CodePage::Ansi: return AnsiToWide(bytes);
    case CodePage::Utf8: return QString::fromUtf8(bytes);
    case CodePage::Utf16Le:
    case CodePage::Utf16Be: {
        QString out(bytes.size() / 2, Qt::Uninitialized);
        char16_t *dst = reinterpret_cast<char16_t *>(out.data());
        const auto *p = reinterpret_cast<const uchar *>(bytes.data());
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            dst[i / 2] = cp == CodePage::Utf16Le ? char16_t(p[i] | p[i + 1] << 8) : char16_t(p[i] << 8 | p[i + 1]);
        return out;
    }
    default: return IcuDecode(cp, bytes);
    }
}

QByteArray Encode(CodePage cp, QStringView text, bool *lossy)
{
    if (lossy)
        *lossy = false;
    switch (cp) {
    case CodePage::Ansi: return WideToAnsi(text, '?', lossy);
    case CodePage::Utf8: return text.toUtf8();
    case CodePage::Utf16Le:
    case CodePage::Utf16Be: {
        QByteArray out(text.size() * 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            const char lo = char(u & 0xFF), hi = char(u >> 8);
            out[2 * i] = cp == CodePage::Utf16Le ? lo : hi;
            out[2 * i + 1] = cp == CodePage::Utf16Le ? hi : lo;
        }
        return out;
    }
    default: return IcuEncode(cp, text, lossy);
    }
}

} // namespace platform
