#include "lists/naturalcompare.h"

#include "lists/caseorder.h"

#include "platform/locale.h"


namespace {

constexpr int kPrefixFlags = platform::IgnoreCase | platform::IgnoreNonSpace | platform::StringSort;

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

// One side of a comparison read straight from the text.
struct DirectSide {
    QStringView text;
    bool Empty() const { return text.isEmpty(); }
    static int Full(const DirectSide &a, const DirectSide &b)
    {
        return platform::CompareLocale(a.text, b.text, platform::IgnoreCase);
    }
    static int Upper(const DirectSide &a, const DirectSide &b) { return UpperOrder(a.text, b.text, false); }

    struct Split {
        QStringView prefix, digits, rest;
        bool PrefixEmpty() const { return prefix.isEmpty(); }
        bool HasDigits() const { return !digits.isEmpty(); }
        bool Number(qint64 &v) const { return ParseDigits(digits, v); }
        DirectSide Rest() const { return DirectSide{rest}; }
        static int Prefix(const Split &a, const Split &b)
        {
            return platform::CompareLocale(a.prefix, b.prefix, kPrefixFlags);
        }
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

struct NaturalKey::Split {
    QString prefixUpper;
    QByteArray prefixKey;
    bool hasDigits = false;
    bool numberOk = false;
    qint64 number = 0;
    NaturalKey rest;
    explicit Split(QStringView restText) : rest(restText) {}
};

struct NaturalKeySide {
    const NaturalKey *key;
    bool Empty() const { return key->m_text.isEmpty(); }
    static int Full(const NaturalKeySide &a, const NaturalKeySide &b)
    {
        return platform::CompareSortKeys(a.key->FullKey(), b.key->FullKey());
    }
    static int Upper(const NaturalKeySide &a, const NaturalKeySide &b)
    {
        return UpperOrder(a.key->m_upper, b.key->m_upper, true);
    }
    struct Split {
        const NaturalKey::Split *s;
        bool PrefixEmpty() const { return s->prefixUpper.isEmpty(); }
        bool HasDigits() const { return s->hasDigits; }
        bool Number(qint64 &v) const
        {
            v = s->number;
            return s->numberOk;
        }
        NaturalKeySide Rest() const { return NaturalKeySide{&s->rest}; }
        static int Prefix(const Split &a, const Split &b) { return platform::CompareSortKeys(a.s->prefixKey, b.s->prefixKey); }
        static int PrefixUpper(const Split &a, const Split &b)
        {
            return UpperOrder(a.s->prefixUpper, b.s->prefixUpper, true);
        }
    };
    Split GetSplit() const { return Split{&key->GetSplit()}; }
};

namespace {

template <class S>
int NaturalStep(const S &a, const S &b, int *fullOut = nullptr)
{
    if (a.Empty() && b.Empty())
        return 0;
    if (b.Empty())
        return 1;
    if (a.Empty())
        return -1;
    const int c = S::Full(a, b);
    if (fullOut)
        *fullOut = c;
    if (c == 0)
        return S::Upper(a, b);
    const auto sa = a.GetSplit();
    const auto sb = b.GetSplit();
    if (sa.PrefixEmpty() != sb.PrefixEmpty())
        return c;
    if (const int p = S::Split::Prefix(sa, sb))
        return p;
    if (const int p = S::Split::PrefixUpper(sa, sb))
        return p;
    if (!sa.HasDigits() && !sb.HasDigits())
        return 0;
    if (!sb.HasDigits())
        return 1;
    if (!sa.HasDigits())
        return -1;
    qint64 na = 0, nb = 0;
    if (!sa.Number(na) || !sb.Number(nb))
        return c;
    if (na != nb)
        return na < nb ? -1 : 1;
    return NaturalStep(sa.Rest(), sb.Rest());
}

// Equal numbers written differently ("07" and "7") must not make two texts equal: such ties
// fall back to the plain comparison, then to the upper-case code units.
template <class S>
int Natural(const S &a, const S &b)
{
    int c = 0;
    const int r = NaturalStep(a, b, &c);
    if (r != 0 || a.Empty() || b.Empty())
        return r;
    if (S::Upper(a, b) == 0)
        return 0;
    return c != 0 ? c : S::Upper(a, b);
}

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
    return Natural(DirectSide{a}, DirectSide{b});
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

NaturalKey::NaturalKey(QStringView text) : m_text(text.toString()), m_upper(platform::UpperUnits(text)) {}
NaturalKey::~NaturalKey() = default;
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

const NaturalKey::Split &NaturalKey::GetSplit() const
{
    if (!m_split) {
        QStringView prefix, digits, rest;
        SplitAtNumber(m_text, prefix, digits, rest);
        m_split = std::make_unique<Split>(rest);
        m_split->prefixUpper = platform::UpperUnits(prefix);
        m_split->prefixKey = platform::LocaleSortKey(prefix, kPrefixFlags);
        m_split->hasDigits = !digits.isEmpty();
        m_split->numberOk = ParseDigits(digits, m_split->number);
    }
    return *m_split;
}

int CompareNaturalKeys(const NaturalKey &a, const NaturalKey &b)
{
    return Natural(NaturalKeySide{&a}, NaturalKeySide{&b});
}

void FileNameKeys::Add(const QString &path)
{
    QStringView folder, name;
    SplitPath(path, folder, name);
    const QString folderText = folder.toString();
    auto it = m_folders.find(folderText);
    if (it == m_folders.end())
        it = m_folders.insert(folderText, std::make_shared<NaturalKey>(folder));
    m_entries.push_back(Entry{path, it.value(), std::make_unique<NaturalKey>(name)});
}

int FileNameKeys::Compare(qsizetype a, qsizetype b) const
{
    const Entry &x = m_entries[size_t(a)];
    const Entry &y = m_entries[size_t(b)];
    if (x.path == y.path)
        return 0;
    if (x.folder != y.folder)
        if (const int c = CompareNaturalKeys(*x.folder, *y.folder))
            return c;
    if (const int c = CompareNaturalKeys(*x.name, *y.name))
        return c;
    return ExactOrder(x.path, y.path);
}
