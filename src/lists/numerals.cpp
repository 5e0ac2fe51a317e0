#include "lists/numerals.h"

#include "lists/caseorder.h"
#include "lists/numberaware.h"

#include "lists/mywstrings.h"
#include "lists/naturalcompare.h"
#include "platform/codepage.h"
#include "platform/locale.h"

#include <QHash>
#include <QVarLengthArray>


#include <array>
#include <cstdint>
#include <deque>
#include <limits>

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();

// ---------------------------------------------------------------------------------------------
// Characters

enum class Kind : uint8_t {
    None,
    Digit,      // ASCII, full-width, kanji and financial digits (the coefficient digits)
    Counted,    // circled numbers and Roman numerals: a digit string of one or two digits
    Ten,
    Hundred,
    Thousand,
    TenThousand,
};

struct CharInfo {
    Kind kind = Kind::None;
    uint8_t value = 0;  // the digit, or the number of a circled or Roman numeral
};

inline CharInfo Classify(char16_t c)
{
    if (c < 0x80) {
        if (c >= u'0' && c <= u'9')
            return {Kind::Digit, uint8_t(c - u'0')};
        return {};
    }
    if (c >= 0xFF10 && c <= 0xFF19)  // ０..９
        return {Kind::Digit, uint8_t(c - 0xFF10)};
    if (c >= 0x2460 && c <= 0x2473)  // ①..⑳
        return {Kind::Counted, uint8_t(c - 0x2460 + 1)};
    if (c >= 0x2160 && c <= 0x2169)  // Ⅰ..Ⅹ
        return {Kind::Counted, uint8_t(c - 0x2160 + 1)};
    if (c < 0x3007)
        return {};
    switch (c) {
    case u'〇': case u'零':
        return {Kind::Digit, 0};
    case u'一': case u'壱': case u'壹':
        return {Kind::Digit, 1};
    case u'二': case u'弐': case u'貮': case u'貳':
        return {Kind::Digit, 2};
    case u'三': case u'参': case u'參':
        return {Kind::Digit, 3};
    case u'四': case u'肆':
        return {Kind::Digit, 4};
    case u'五': case u'伍':
        return {Kind::Digit, 5};
    case u'六': case u'陸':
        return {Kind::Digit, 6};
    case u'七': case u'柒': case u'漆': case u'質':
        return {Kind::Digit, 7};
    case u'八': case u'捌':
        return {Kind::Digit, 8};
    case u'九': case u'玖':
        return {Kind::Digit, 9};
    case u'十': case u'拾':
        return {Kind::Ten, 0};
    case u'百': case u'陌': case u'佰':
        return {Kind::Hundred, 0};
    case u'千': case u'阡': case u'仟':
        return {Kind::Thousand, 0};
    case u'万': case u'萬':
        return {Kind::TenThousand, 0};
    default:
        return {};
    }
}

inline qint64 SatAdd(qint64 a, qint64 b)
{
    qint64 r;
    return __builtin_add_overflow(a, b, &r) ? kMax : r;
}

inline qint64 SatMul(qint64 a, qint64 b)
{
    qint64 r;
    return __builtin_mul_overflow(a, b, &r) ? kMax : r;
}

// The pending digit string, kept as its value: a string too long for 64 bits reads as 0.
struct DigitString {
    qint64 value = 0;
    bool any = false;
    bool overflow = false;
    bool endsWithZero = false;

    void Append(int d)
    {
        any = true;
        endsWithZero = d == 0;
        if (overflow)
            return;
        if (value > (kMax - d) / 10)
            overflow = true;
        else
            value = value * 10 + d;
    }
    void AppendNumber(int n)
    {
        if (n >= 10)
            Append(n / 10);
        Append(n % 10);
    }
    qint64 Read() const { return overflow ? 0 : value; }
    void Clear() { *this = DigitString(); }
};

struct Parsed {
    qsizetype start = -1;  // first numeral character, -1 without a number
    qsizetype end = 0;     // first character after the number
    qint64 value = 0;
};

Parsed ParseNumeral(QStringView text)
{
    Parsed out;
    const qsizetype n = text.size();
    const char16_t *s = reinterpret_cast<const char16_t *>(text.utf16());
    qsizetype i = 0;
    while (i < n && Classify(s[i]).kind == Kind::None)
        ++i;
    if (i == n) {
        out.end = n;
        return out;
    }
    out.start = i;
    qint64 value = 0;
    DigitString d;
    bool ten = false, hundred = false, thousand = false, tenThousand = false;

    auto apply = [&](qsizetype p, qint64 m) {
        if (p == 0) {
            value = m;
            d.Clear();
            return;
        }
        const CharInfo before = Classify(s[p - 1]);
        const bool ownCoefficient = before.kind == Kind::Digit && before.value != 0 && d.any && !d.endsWithZero;
        const bool valueIsCoefficient = m == 10000 && !d.any && value != 0;
        if (!ownCoefficient && !valueIsCoefficient)
            d.Append(1);
        const qint64 k = d.Read();
        value = m < 10000 ? SatAdd(value, SatMul(k, m)) : SatMul(SatAdd(value, k), m);
        d.Clear();
    };

    for (; i < n; ++i) {
        const CharInfo ci = Classify(s[i]);
        bool ends = false;
        switch (ci.kind) {
        case Kind::None:
            ends = true;
            break;
        case Kind::TenThousand:
            if (tenThousand) {
                ends = true;
                break;
            }
            apply(i, 10000);
            tenThousand = true;
            ten = hundred = thousand = false;
            break;
        case Kind::Ten:
            if (ten) {
                ends = true;
                break;
            }
            apply(i, 10);
            ten = true;
            break;
        case Kind::Hundred:
            if (ten || hundred) {
                ends = true;
                break;
            }
            apply(i, 100);
            hundred = true;
            break;
        case Kind::Thousand:
            if (ten || hundred || thousand) {
                ends = true;
                break;
            }
            apply(i, 1000);
            thousand = true;
            break;
        case Kind::Digit:
            d.Append(ci.value);
            break;
        case Kind::Counted:
            d.AppendNumber(ci.value);
            break;
        }
        if (ends)
            break;
    }
    out.end = i;
    out.value = SatAdd(value, d.Read());
    return out;
}

// ---------------------------------------------------------------------------------------------
// The comparison, over either plain texts or keys. A side offers:
//   MayBeEqual  false only when the locale comparison is sure not to give 0 (it is then
//               computed only where its sign is needed)
//   Full        the locale comparison ignoring case
//   Upper       the tie rule on the upper-case forms
//   GetSplit    prefix, value and rest, with SamePrefix (the same units), Prefix (the locale
//               comparison ignoring case and marks) and PrefixUpper (the tie rule)

struct DirectSide {
    QStringView text;
    bool Empty() const { return text.isEmpty(); }
    bool Same(const DirectSide &o) const
    {
        return text.data() == o.text.data() && text.size() == o.text.size();
    }
    static bool MayBeEqual(const DirectSide &a, const DirectSide &b)
    {
        return UpperEqual(a.text, b.text) || !IsStableUpper(a.text) || !IsStableUpper(b.text);
    }
    static int Full(const DirectSide &a, const DirectSide &b)
    {
        if (UpperEqual(a.text, b.text))
            return 0;
        return platform::CompareLocale(a.text, b.text, platform::IgnoreCase);
    }
    static int Upper(const DirectSide &a, const DirectSide &b) { return UpperOrder(a.text, b.text, false); }

    struct Split {
        QStringView prefix, rest;
        qint64 value = 0;
        bool PrefixEmpty() const { return prefix.isEmpty(); }
        qint64 Value() const { return value; }
        DirectSide Rest() const { return DirectSide{rest}; }
        static bool SamePrefix(const Split &a, const Split &b) { return a.prefix == b.prefix; }
        static int Prefix(const Split &a, const Split &b) { return ComparePrefixes(a.prefix, b.prefix); }
        static int PrefixUpper(const Split &a, const Split &b) { return UpperOrder(a.prefix, b.prefix, false); }
    };
    Split GetSplit() const
    {
        Split s;
        SplitAtNumeral(text, s.prefix, s.value, s.rest);
        return s;
    }
};

} // namespace

struct NumeralKeySide {
    const NumeralKey *key;
    bool Empty() const { return key->m_text.isEmpty(); }
    bool Same(const NumeralKeySide &o) const { return key == o.key; }
    static bool MayBeEqual(const NumeralKeySide &a, const NumeralKeySide &b)
    {
        const NumeralKey &x = *a.key, &y = *b.key;
        if (&x == &y || !x.m_stableUpper || !y.m_stableUpper)
            return true;
        return x.m_upperHash == y.m_upperHash && x.m_upper == y.m_upper;
    }
    // Equal sort keys mean canonically equivalent upper-case texts.
    static int Full(const NumeralKeySide &a, const NumeralKeySide &b)
    {
        return platform::CompareSortKeys(a.key->FullKey(), b.key->FullKey());
    }
    static int Upper(const NumeralKeySide &a, const NumeralKeySide &b)
    {
        return UpperOrder(a.key->m_upper, b.key->m_upper, true);
    }
    struct Split {
        const NumeralKey *k;
        bool PrefixEmpty() const { return k->m_prefixLength == 0; }
        qint64 Value() const { return k->m_value; }
        NumeralKeySide Rest() const { return NumeralKeySide{&k->Rest()}; }
        QStringView PrefixText() const { return k->m_text.first(k->m_prefixLength); }
        QStringView PrefixUpperText() const { return k->m_upper.first(k->m_prefixLength); }
        static bool SamePrefix(const Split &a, const Split &b)
        {
            if (a.k->m_pool && a.k->m_pool == b.k->m_pool)
                return a.k->m_prefixId == b.k->m_prefixId;
            return a.k->m_prefixLength == b.k->m_prefixLength && a.k->m_prefixHash == b.k->m_prefixHash &&
                   a.PrefixText() == b.PrefixText();
        }
        static int Prefix(const Split &a, const Split &b)
        {
            return platform::CompareSortKeys(a.k->PrefixKey(), b.k->PrefixKey());
        }
        static int PrefixUpper(const Split &a, const Split &b)
        {
            return UpperOrder(a.PrefixUpperText(), b.PrefixUpperText(), true);
        }
    };
    Split GetSplit() const
    {
        key->EnsureSplit();
        return Split{key};
    }
};

namespace {

// Numerals by value (a text without one reads as 0 there).
struct NumeralValueRule {
    template <class Split>
    static NumberStep Step(const Split &sa, const Split &sb)
    {
        if (sa.Value() != sb.Value())
            return {NumberStep::Result, sa.Value() < sb.Value() ? -1 : 1};
        return {NumberStep::Next};
    }
};

using UpperBuffer = QVarLengthArray<char16_t, 256>;

QStringView UpperInto(QStringView text, UpperBuffer &buf)
{
    buf.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        buf[i] = platform::UpperUnit(text[i].unicode());
    return QStringView(buf.constData(), buf.size());
}

} // namespace

void SplitAtNumeral(QStringView text, QStringView &prefix, qint64 &value, QStringView &rest)
{
    const Parsed p = ParseNumeral(text);
    if (p.start < 0) {
        prefix = text;
        value = 0;
        rest = QStringView();
        return;
    }
    prefix = text.first(p.start);
    value = p.value;
    rest = text.sliced(p.end);
}

int CompareNumerals(QStringView a, QStringView b)
{
    return NumberAwareCompare<NumeralValueRule>(DirectSide{a}, DirectSide{b});
}

int CompareNumeralNames(QStringView a, QStringView b)
{
    UpperBuffer ba, bb;
    const QStringView ua = UpperInto(a, ba);
    const QStringView ub = UpperInto(b, bb);
    if (ua == ub)
        return 0;
    QStringView fa, na, fb, nb;
    SplitPath(ua, fa, na);
    SplitPath(ub, fb, nb);
    if (const int c = CompareNumerals(fa, fb))
        return c;
    return CompareNumerals(na, nb);
}

bool IsOneOf(QStringView text, std::initializer_list<QStringView> items)
{
    for (QStringView item : items)
        if (UpperEqual(text, item) || platform::CompareLocale(text, item, platform::IgnoreCase) == 0)
            return true;
    return false;
}

bool IsOneOf(QStringView text, const QStringList &items)
{
    for (const QString &item : items)
        if (UpperEqual(text, item) || platform::CompareLocale(text, item, platform::IgnoreCase) == 0)
            return true;
    return false;
}

bool InNarrowList(QStringView text, const QList<QByteArray> &list)
{
    for (const QByteArray &entry : list) {
        const QString wide = platform::AnsiToWide(entry);
        if (UpperEqual(text, wide) || platform::CompareLocale(text, wide, platform::IgnoreCase) == 0)
            return true;
    }
    return false;
}

bool InWideList(QStringView text, const TMyWStrings &list)
{
    for (int i = 0; i < list.Count(); ++i) {
        const QString entry = list.Get(i);
        if (UpperEqual(text, entry) || platform::CompareLocale(text, entry, platform::IgnoreCase) == 0)
            return true;
    }
    return false;
}

void TrimTrailingEmpty(TMyWStrings &list)
{
    while (list.Count() > 0 && list.Get(list.Count() - 1).isEmpty())
        list.Delete(list.Count() - 1);
}

// ---------------------------------------------------------------------------------------------
// Keys

// Texts by their units, for interning without copies; the views point into key storage that
// lives as long as the pool.
struct ViewKey {
    QStringView text;
    friend bool operator==(const ViewKey &a, const ViewKey &b) { return a.text == b.text; }
};
inline size_t qHash(const ViewKey &k, size_t seed = 0) { return qHash(k.text, seed); }

// Interned keys and prefixes shared by the keys of one sort.
class NumeralKeyPool {
public:
    // The key of a text, copied into the pool on first sight.
    const NumeralKey *Key(QStringView text)
    {
        auto it = m_keys.constFind(ViewKey{text});
        if (it != m_keys.constEnd())
            return it.value();
        const NumeralKey *k = &m_store.emplace_back(text.toString(), this).key;
        m_keys.insert(ViewKey{k->m_text}, k);
        return k;
    }
    // The key of a rest of key `from`, sharing its storage.
    const NumeralKey *RestKey(const NumeralKey &from, qsizetype start)
    {
        const QStringView text = from.m_text.sliced(start);
        auto it = m_keys.constFind(ViewKey{text});
        if (it != m_keys.constEnd())
            return it.value();
        const NumeralKey *k = &m_store.emplace_back(text, from.m_upper.sliced(start), this).key;
        m_keys.insert(ViewKey{k->m_text}, k);
        return k;
    }
    int PrefixId(QStringView prefix)
    {
        auto it = m_prefixIds.constFind(ViewKey{prefix});
        if (it != m_prefixIds.constEnd())
            return it.value();
        const int id = int(m_prefixes.size());
        m_prefixes.push_back(Prefix{prefix, {}, false});
        m_prefixIds.insert(ViewKey{prefix}, id);
        return id;
    }
    const QByteArray &PrefixKeyOf(int id)
    {
        Prefix &p = m_prefixes[size_t(id)];
        if (!p.hasKey) {
            p.key = ::PrefixKey(p.text);
            p.hasKey = true;
        }
        return p.key;
    }

private:
    struct Slot {
        NumeralKey key;
        Slot(const QString &text, NumeralKeyPool *pool) : key(text, pool) {}
        Slot(QStringView text, QStringView upper, NumeralKeyPool *pool)
            : key(text, upper, pool, NumeralKey::RestTag{})
        {
        }
    };
    struct Prefix {
        QStringView text;  // into a key's storage
        QByteArray key;
        bool hasKey;
    };
    // Destroyed after the maps that point into them.
    std::deque<Slot> m_store;
    std::vector<Prefix> m_prefixes;
    QHash<ViewKey, const NumeralKey *> m_keys;
    QHash<ViewKey, int> m_prefixIds;
};

NumeralKey::NumeralKey(QStringView text) : NumeralKey(text.toString(), nullptr) {}

NumeralKey::NumeralKey(const QString &text, NumeralKeyPool *pool) : m_pool(pool), m_ownText(text)
{
    bool upper = true;
    for (QChar c : text)
        if (platform::UpperUnit(c.unicode()) != c.unicode()) {
            upper = false;
            break;
        }
    m_ownUpper = upper ? m_ownText : platform::UpperUnits(text);
    m_text = m_ownText;
    m_upper = m_ownUpper;
    Init();
}

NumeralKey::NumeralKey(QStringView text, QStringView upper, NumeralKeyPool *pool, RestTag)
    : m_pool(pool), m_text(text), m_upper(upper)
{
    Init();
}

void NumeralKey::Init()
{
    m_upperHash = qHash(m_upper);
    m_stableUpper = IsStable(m_upper);
}

NumeralKey::~NumeralKey() = default;
// Moving a QString keeps its buffer, so the views stay valid.
NumeralKey::NumeralKey(NumeralKey &&) noexcept = default;
NumeralKey &NumeralKey::operator=(NumeralKey &&) noexcept = default;

const QByteArray &NumeralKey::FullKey() const
{
    if (!m_hasFullKey) {
        m_fullKey = platform::LocaleSortKey(m_upper);
        m_hasFullKey = true;
    }
    return m_fullKey;
}

void NumeralKey::EnsureSplit() const
{
    if (m_hasSplit)
        return;
    QStringView prefix, rest;
    SplitAtNumeral(m_text, prefix, m_value, rest);
    m_prefixLength = prefix.size();
    m_restStart = m_text.size() - rest.size();
    if (m_pool)
        m_prefixId = m_pool->PrefixId(prefix);
    else
        m_prefixHash = qHash(prefix);
    m_hasSplit = true;
}

const QByteArray &NumeralKey::PrefixKey() const
{
    if (m_pool)
        return m_pool->PrefixKeyOf(m_prefixId);
    if (!m_hasPrefixKey) {
        m_prefixKey = ::PrefixKey(m_text.first(m_prefixLength));
        m_hasPrefixKey = true;
    }
    return m_prefixKey;
}

const NumeralKey &NumeralKey::Rest() const
{
    if (!m_restKey) {
        if (m_pool) {
            m_restKey = m_pool->RestKey(*this, m_restStart);
        } else {
            m_ownRest.reset(new NumeralKey(m_text.sliced(m_restStart), m_upper.sliced(m_restStart), nullptr,
                                           RestTag{}));
            m_restKey = m_ownRest.get();
        }
    }
    return *m_restKey;
}

int CompareNumeralKeys(const NumeralKey &a, const NumeralKey &b)
{
    if (&a == &b)
        return 0;
    return NumberAwareCompare<NumeralValueRule>(NumeralKeySide{&a}, NumeralKeySide{&b});
}

struct NumeralNameKeys::Data {
    struct Entry {
        const NumeralKey *folder;
        const NumeralKey *name;
    };
    std::vector<Entry> entries;
    NumeralKeyPool pool;
};

NumeralNameKeys::NumeralNameKeys() : m_data(std::make_unique<Data>()) {}
NumeralNameKeys::~NumeralNameKeys() = default;

void NumeralNameKeys::Reserve(qsizetype n) { m_data->entries.reserve(size_t(std::max<qsizetype>(n, 0))); }

qsizetype NumeralNameKeys::Count() const { return qsizetype(m_data->entries.size()); }

void NumeralNameKeys::Add(QStringView path)
{
    UpperBuffer buf;
    const QStringView upper = UpperInto(path, buf);
    QStringView folder, name;
    SplitPath(upper, folder, name);
    m_data->entries.push_back(Data::Entry{m_data->pool.Key(folder), m_data->pool.Key(name)});
}

// Keys are shared by text, and different upper-case texts never compare equal: two entries with
// different folder keys are ordered by their folders alone.
int NumeralNameKeys::Compare(qsizetype a, qsizetype b) const
{
    const Data::Entry &x = m_data->entries[size_t(a)];
    const Data::Entry &y = m_data->entries[size_t(b)];
    if (x.folder != y.folder)
        return CompareNumeralKeys(*x.folder, *y.folder);
    return CompareNumeralKeys(*x.name, *y.name);
}

void SortNumeralNames(TMyWStrings &list, int first, int last)
{
    first = std::max(first, 0);
    if (last < 0 || last >= list.Count())
        last = list.Count() - 1;
    if (last <= first)
        return;
    NumeralNameKeys keys;
    keys.Reserve(last - first + 1);
    for (int i = first; i <= last; ++i)
        keys.Add(list.Get(i));
    list.CustomSortRange(first, last, [&keys, first](const TMyWStrings &, int a, int b) {
        return keys.Compare(a - first, b - first);
    });
}
