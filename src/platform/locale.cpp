#include "platform/locale.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/unorm2.h>
#include <unicode/utrans.h>

#include <algorithm>
#include <array>

#include <cstring>
#include <memory>

namespace platform {
namespace {

struct TransDeleter {
    void operator()(UTransliterator *t) const { utrans_close(t); }
};
using TransPtr = std::unique_ptr<UTransliterator, TransDeleter>;

TransPtr OpenTransliterator(const char16_t *id)
{
    UErrorCode err = U_ZERO_ERROR;
    TransPtr t(utrans_openU(reinterpret_cast<const UChar *>(id), -1, UTRANS_FORWARD, nullptr, 0, nullptr, &err));
    if (U_FAILURE(err))
        return nullptr;
    return t;
}

// The collator and the transliterators of one thread, each built when first needed (building
// them all costs tens of milliseconds, which start-up need not pay for one number in a setting).
struct ThreadLocale {
    enum Trans { NonSpacing, ToFull, ToHalf, ToKatakana, ToHiragana, TransCount };

    UCollator *Collator()
    {
        if (!m_collatorTried) {
            m_collatorTried = true;
            UErrorCode err = U_ZERO_ERROR;
            m_collator = ucol_open("ja", &err);
            if (U_FAILURE(err)) {
                if (m_collator)
                    ucol_close(m_collator);
                m_collator = nullptr;
            } else {
                ucol_setStrength(m_collator, UCOL_IDENTICAL);
            }
        }
        return m_collator;
    }

    UTransliterator *Get(Trans which)
    {
        static constexpr const char16_t *kIds[TransCount] = {
            u"NFD; [:Mn:] Remove; NFC", u"Halfwidth-Fullwidth", u"Fullwidth-Halfwidth", u"Hiragana-Katakana",
            u"Katakana-Hiragana"};
        if (!m_tried[which]) {
            m_tried[which] = true;
            m_trans[which] = OpenTransliterator(kIds[which]);
        }
        return m_trans[which].get();
    }

    ~ThreadLocale()
    {
        if (m_collator)
            ucol_close(m_collator);
    }

private:
    UCollator *m_collator = nullptr;
    bool m_collatorTried = false;
    TransPtr m_trans[TransCount];
    bool m_tried[TransCount] = {};
};

ThreadLocale &Local()
{
    thread_local ThreadLocale local;
    return local;
}

QString Transliterate(UTransliterator *t, QStringView text)
{
    if (!t || text.isEmpty())
        return text.toString();
    QString buf = text.toString();
    int32_t len = int32_t(buf.size());
    int32_t limit = len;
    int32_t capacity = len * 2 + 16;
    buf.resize(capacity);
    UErrorCode err = U_ZERO_ERROR;
    utrans_transUChars(t, reinterpret_cast<UChar *>(buf.data()), &len, capacity, 0, &limit, &err);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
        buf = text.toString();
        len = int32_t(buf.size());
        limit = len;
        capacity = len * 4 + 64;
        buf.resize(capacity);
        err = U_ZERO_ERROR;
        utrans_transUChars(t, reinterpret_cast<UChar *>(buf.data()), &len, capacity, 0, &limit, &err);
    }
    if (U_FAILURE(err))
        return text.toString();
    buf.truncate(len);
    return buf;
}

// The text as the collator sees it under the flags.
QStringView Prepared(QStringView text, int flags, QString &storage)
{
    if (flags & IgnoreNonSpace) {
        storage = Transliterate(Local().Get(ThreadLocale::NonSpacing), text);
        text = storage;
    }
    if (flags & IgnoreCase) {
        storage = UpperUnits(text);
        text = storage;
    }
    return text;
}

class StableTable {
public:
    StableTable()
    {
        UErrorCode err = U_ZERO_ERROR;
        const UNormalizer2 *nfd = unorm2_getNFDInstance(&err);
        const UNormalizer2 *nfc = U_SUCCESS(err) ? unorm2_getNFCInstance(&err) : nullptr;
        for (uint32_t c = 0; c < 0x10000; ++c) {
            bool ok;
            if (c < 0xC0)
                ok = true;
            else if (U16_IS_SURROGATE(c) || !nfd || !nfc)
                ok = false;
            else {
                UChar buf[8];
                UErrorCode e = U_ZERO_ERROR;
                ok = unorm2_getRawDecomposition(nfd, UChar32(c), buf, 8, &e) < 0 &&
                     u_charType(UChar32(c)) != U_NON_SPACING_MARK && u_getCombiningClass(UChar32(c)) == 0 &&
                     unorm2_hasBoundaryBefore(nfc, UChar32(c));
            }
            if (ok)
                m_bits[c >> 6] |= uint64_t(1) << (c & 63);
        }
    }
    bool Has(char16_t c) const { return (m_bits[c >> 6] >> (c & 63)) & 1; }

private:
    std::array<uint64_t, 1024> m_bits{};
};

} // namespace

char16_t UpperUnitSlow(char16_t c)
{
    const UChar32 up = u_toupper(c);
    return up <= 0xFFFF ? char16_t(up) : c;
}

bool IsStableUnit(char16_t c)
{
    static const StableTable table;
    return table.Has(c);
}

QString UpperUnits(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            dst[i] = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
        else {
            const UChar32 up = u_toupper(c);
            dst[i] = up <= 0xFFFF ? char16_t(up) : c;
        }
    }
    return out;
}

QString LowerUnits(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            dst[i] = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
        else {
            const UChar32 lo = u_tolower(c);
            dst[i] = lo <= 0xFFFF ? char16_t(lo) : c;
        }
    }
    return out;
}

int CompareLocale(QStringView a, QStringView b, int flags)
{
    QString sa, sb;
    a = Prepared(a, flags, sa);
    b = Prepared(b, flags, sb);
    UCollator *col = Local().Collator();
    if (!col) {
        const int c = QStringView(a).compare(b);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    const UCollationResult r = ucol_strcoll(col, reinterpret_cast<const UChar *>(a.utf16()), int32_t(a.size()),
                                            reinterpret_cast<const UChar *>(b.utf16()), int32_t(b.size()));
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

QByteArray LocaleSortKey(QStringView text, int flags)
{
    QString storage;
    text = Prepared(text, flags, storage);
    UCollator *col = Local().Collator();
    if (!col)
        return text.toUtf8();
    QByteArray key(int(text.size()) * 4 + 16, Qt::Uninitialized);
    const UChar *src = reinterpret_cast<const UChar *>(text.utf16());
    int32_t n = ucol_getSortKey(col, src, int32_t(text.size()), reinterpret_cast<uint8_t *>(key.data()),
                                int32_t(key.size()));
    if (n > key.size()) {
        key.resize(n);
        n = ucol_getSortKey(col, src, int32_t(text.size()), reinterpret_cast<uint8_t *>(key.data()), n);
    }
    key.truncate(n > 0 ? n - 1 : 0);  // drop the terminating zero
    return key;
}

int CompareSortKeys(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.constData(), b.constData(), size_t(n)) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

QString MapString(QStringView text, int flags)
{
    ThreadLocale &l = Local();
    QString s = text.toString();
    // ASCII text has no marks, no full-width forms and no kana: only the mapping to full width
    // changes it (and then it is ASCII no more).
    bool ascii = std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if ((flags & MapRemoveNonSpace) && !ascii)
        s = Transliterate(l.Get(ThreadLocale::NonSpacing), s);
    if (flags & MapFullWidth) {
        s = Transliterate(l.Get(ThreadLocale::ToFull), s);
        ascii = false;
    }
    if ((flags & MapHalfWidth) && !ascii)
        s = Transliterate(l.Get(ThreadLocale::ToHalf), s);
    if ((flags & MapKatakana) && !ascii)
        s = Transliterate(l.Get(ThreadLocale::ToKatakana), s);
    if ((flags & MapHiragana) && !ascii)
        s = Transliterate(l.Get(ThreadLocale::ToHiragana), s);
    if (flags & MapUpperCase)
        s = UpperUnits(s);
    if (flags & MapLowerCase)
        s = LowerUnits(s);
    return s;
}

} // namespace platform
