#include "lists/naturalcompare.h"

#include "lists/caseorder.h"
#include "lists/numberaware.h"

#include "platform/locale.h"

#include <limits>

namespace {

// Paths that differ only in case name different files here: they still get a fixed order,
// so that exact duplicates end up next to each other.
int ExactOrder(QStringView a, QStringView b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool ParseDigits(QStringView digits, qint64 &value)
{
    value = 0;
    for (QChar c : digits) {
        const int d = c.unicode() - u'0';
        if (value > (std::numeric_limits<qint64>::max() - d) / 10)
            return false;
        value = value * 10 + d;
    }
    return true;
}

// The comparison, over either plain texts or keys. A side offers:
//   MayBeEqual  false only when the locale comparison is sure not to give 0 (it is then
//               computed only where its sign is needed)
//   Full        the locale comparison ignoring case
//   Upper       the tie rule on the upper-case forms
//   GetSplit    prefix, digits and rest, with SamePrefix (the same units), Prefix (the locale
//               comparison ignoring case and marks) and PrefixUpper (the tie rule)

// One side of a comparison read straight from the text.
struct DirectSide {
    QStringView text;
    bool Empty() const { return text.isEmpty(); }
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
        QStringView prefix, digits, rest;
        bool PrefixEmpty() const { return prefix.isEmpty(); }
        bool HasDigits() const { return !digits.isEmpty(); }
        bool Number(qint64 &v) const { return ParseDigits(digits, v); }
        DirectSide Rest() const { return DirectSide{rest}; }
        static bool SamePrefix(const Split &a, const Split &b) { return a.prefix == b.prefix; }
        static int Prefix(const Split &a, const Split &b) { return ComparePrefixes(a.prefix, b.prefix); }
        static int PrefixUpper(const Split &a, const Split &b) { return UpperOrder(a.prefix, b.prefix, false); }
    };
    Split GetSplit() const
    {
        Split s;
        SplitAtNumber(text, s.prefix, s.digits, s.rest);
        return s;
    }
};

} // namespace

struct NaturalKeySide {
    const NaturalKey *key;
    bool Empty() const { return key->m_text.isEmpty(); }
    static bool MayBeEqual(const NaturalKeySide &a, const NaturalKeySide &b)
    {
        const NaturalKey &x = *a.key, &y = *b.key;
        if (&x == &y || !x.m_stableUpper || !y.m_stableUpper)
            return true;
        return x.m_upper == y.m_upper;
    }
    static int Full(const NaturalKeySide &a, const NaturalKeySide &b)
    {
        if (a.key->m_upper == b.key->m_upper)
            return 0;
        return platform::CompareSortKeys(a.key->FullKey(), b.key->FullKey());
    }
    static int Upper(const NaturalKeySide &a, const NaturalKeySide &b)
    {
        return UpperOrder(a.key->m_upper, b.key->m_upper, true);
    }
    struct Split {
        const NaturalKey *k;
        bool PrefixEmpty() const { return k->m_prefixLength == 0; }
        bool HasDigits() const { return k->m_hasDigits; }
        bool Number(qint64 &v) const
        {
            v = k->m_number;
            return k->m_numberOk;
        }
        NaturalKeySide Rest() const { return NaturalKeySide{&k->Rest()}; }
        QStringView PrefixText() const { return k->m_text.first(k->m_prefixLength); }
        QStringView PrefixUpperText() const { return k->m_upper.first(k->m_prefixLength); }
        static bool SamePrefix(const Split &a, const Split &b) { return a.PrefixText() == b.PrefixText(); }
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

// Digit runs: a text with a run after one without; runs by value; a run too long to read leaves
// the plain comparison to decide.
struct DigitRunRule {
    template <class Split>
    static NumberStep Step(const Split &sa, const Split &sb)
    {
        if (!sa.HasDigits() && !sb.HasDigits())
            return {NumberStep::Result, 0};
        if (!sb.HasDigits())
            return {NumberStep::Result, 1};
        if (!sa.HasDigits())
            return {NumberStep::Result, -1};
        qint64 na = 0, nb = 0;
        if (!sa.Number(na) || !sb.Number(nb))
            return {NumberStep::Plain};
        if (na != nb)
            return {NumberStep::Result, na < nb ? -1 : 1};
        return {NumberStep::Next};
    }
};

} // namespace

void SplitAtNumber(QStringView text, QStringView &prefix, QStringView &digits, QStringView &rest)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && !(text[i] >= u'0' && text[i] <= u'9'))
        ++i;
    qsizetype j = i;
    while (j < n && text[j] >= u'0' && text[j] <= u'9')
        ++j;
    prefix = text.first(i);
    digits = text.sliced(i, j - i);
    rest = text.sliced(j);
}

void SplitPath(QStringView path, QStringView &folder, QStringView &name)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == u'\\' || c == u'/') {
            folder = path.first(i);
            name = path.sliced(i + 1);
            return;
        }
        if (c == u':') {
            folder = path.first(i + 1);
            name = path.sliced(i + 1);
            return;
        }
    }
    folder = QStringView();
    name = path;
}

int CompareNatural(QStringView a, QStringView b)
{
    return NumberAwareCompare<DigitRunRule>(DirectSide{a}, DirectSide{b});
}

int CompareFileNames(QStringView a, QStringView b)
{
    if (a == b)
        return 0;
    QStringView fa, na, fb, nb;
    SplitPath(a, fa, na);
    SplitPath(b, fb, nb);
    if (const int c = CompareNatural(fa, fb))
        return c;
    if (const int c = CompareNatural(na, nb))
        return c;
    return ExactOrder(a, b);
}

NaturalKey::NaturalKey(QStringView text) : m_ownText(text.toString())
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
    m_stableUpper = IsStable(m_upper);
}

NaturalKey::NaturalKey(QStringView text, QStringView upper, RestTag)
    : m_text(text), m_upper(upper), m_stableUpper(IsStable(upper))
{
}

NaturalKey::~NaturalKey() = default;
// Moving a QString keeps its buffer, so the views (and those of the rests) stay valid.
NaturalKey::NaturalKey(NaturalKey &&) noexcept = default;
NaturalKey &NaturalKey::operator=(NaturalKey &&) noexcept = default;

const QByteArray &NaturalKey::FullKey() const
{
    if (!m_hasFullKey) {
        m_fullKey = platform::LocaleSortKey(m_upper);
        m_hasFullKey = true;
    }
    return m_fullKey;
}

void NaturalKey::EnsureSplit() const
{
    if (m_hasSplit)
        return;
    QStringView prefix, digits, rest;
    SplitAtNumber(m_text, prefix, digits, rest);
    m_prefixLength = prefix.size();
    m_restStart = m_text.size() - rest.size();
    m_hasDigits = !digits.isEmpty();
    m_numberOk = ParseDigits(digits, m_number);
    m_hasSplit = true;
}

const QByteArray &NaturalKey::PrefixKey() const
{
    if (!m_hasPrefixKey) {
        m_prefixKey = ::PrefixKey(m_text.first(m_prefixLength));
        m_hasPrefixKey = true;
    }
    return m_prefixKey;
}

const NaturalKey &NaturalKey::Rest() const
{
    if (!m_rest)
        m_rest.reset(new NaturalKey(m_text.sliced(m_restStart), m_upper.sliced(m_restStart), RestTag{}));
    return *m_rest;
}

int CompareNaturalKeys(const NaturalKey &a, const NaturalKey &b)
{
    if (&a == &b)
        return 0;
    return NumberAwareCompare<DigitRunRule>(NaturalKeySide{&a}, NaturalKeySide{&b});
}

void FileNameKeys::Add(const QString &path)
{
    QStringView folder, name;
    SplitPath(path, folder, name);
    const QString folderText = folder.toString();
    auto it = m_folders.find(folderText);
    if (it == m_folders.end())
        it = m_folders.insert(folderText, std::make_shared<NaturalKey>(folder));
    m_entries.push_back(Entry{path, it.value(), NaturalKey(name)});
}

int FileNameKeys::Compare(qsizetype a, qsizetype b) const
{
    const Entry &x = m_entries[size_t(a)];
    const Entry &y = m_entries[size_t(b)];
    // Folder keys are shared by text: equal paths have the same folder key and equal names
    // (the separator between them may still differ: "a/x", "a\\x").
    if (x.folder != y.folder) {
        if (const int c = CompareNaturalKeys(*x.folder, *y.folder))
            return c;
    } else if (x.name.Text() == y.name.Text() && x.path == y.path) {
        return 0;
    }
    if (const int c = CompareNaturalKeys(x.name, y.name))
        return c;
    return ExactOrder(x.path, y.path);
}
