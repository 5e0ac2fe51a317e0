#include "lists/mywstrings.h"

#include "platform/codepage.h"
#include "platform/locale.h"
#include "platform/uihooks.h"

#include <algorithm>
#include <new>

namespace {
const char kHex[] = "0123456789abcdef";

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}
} // namespace

QByteArray EncodeString(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    char bytes[2];
    for (QChar qc : text) {
        const char16_t u = qc.unicode();
        const int n = (u == u'$' || u == 0x0001) ? 0 : platform::AnsiBytesOfUnit(u, bytes);
        if (n == 0) {
            out += '$';
            out += kHex[(u >> 12) & 15];
            out += kHex[(u >> 8) & 15];
            out += kHex[(u >> 4) & 15];
            out += kHex[u & 15];
        } else {
            out.append(bytes, n);
        }
    }
    return out;
}

QString DecodeString(QByteArrayView narrow)
{
    QString wide = platform::AnsiToWide(narrow);
    if (!wide.contains(u'$'))
        return wide;
    QString out;
    out.reserve(wide.size());
    for (qsizetype i = 0; i < wide.size(); ++i) {
        if (wide[i] == u'$' && i + 4 < wide.size()) {
            int value = 0;
            bool ok = true;
            for (int k = 1; k <= 4 && ok; ++k) {
                const int h = HexValue(wide[i + k].unicode());
                ok = h >= 0;
                value = value << 4 | h;
            }
            if (ok) {
                out += QChar(char16_t(value));
                i += 4;
                continue;
            }
        }
        out += wide[i];
    }
    return out;
}

QString LineBreakText(LineBreakStyle style)
{
    switch (style) {
    case LineBreakStyle::Cr: return QStringLiteral("\r");
    case LineBreakStyle::Lf: return QStringLiteral("\n");
    default: return QStringLiteral("\r\n");
    }
}

TMyWStrings::TMyWStrings() = default;

TMyWStrings::~TMyWStrings()
{
    if (OwnsObjects)
        for (int i = Count() - 1; i >= 0; --i)
            delete m_items[i].object;
}

QString TMyWStrings::Get(int index) const { return InRange(index) ? m_items[index].text : QString(); }

void TMyWStrings::Put(int index, const QString &text)
{
    if (InRange(index))
        m_items[index].text = text;
}

TObject *TMyWStrings::GetObject(int index) const { return InRange(index) ? m_items[index].object : nullptr; }

void TMyWStrings::PutObject(int index, TObject *object)
{
    if (InRange(index))
        m_items[index].object = object;
}

QStringList TMyWStrings::ToStringList() const
{
    QStringList out;
    out.reserve(Count());
    for (const Item &it : m_items)
        out.append(it.text);
    return out;
}

QString TMyWStrings::GetTextStr() const
{
    const QString br = LineBreakText(LineBreak);
    qsizetype total = 0;
    for (const Item &it : m_items)
        total += it.text.size() + br.size();
    QString out;
    out.reserve(total);
    for (const Item &it : m_items) {
        out += it.text;
        out += br;
    }
    return out;
}

void TMyWStrings::SetTextStr(QStringView text)
{
    Clear();
    AddText(text);
}

QString TMyWStrings::GetDelimitedText() const
{
    qsizetype total = 0;
    for (const Item &it : m_items)
        total += it.text.size() + Delimiter.size();
    QString out;
    out.reserve(total);
    for (int i = 0; i < Count(); ++i) {
        if (i > 0)
            out += Delimiter;
        out += m_items[i].text;
        if ((i & 1023) == 1023)
            platform::ProcessEvents();
    }
    return out;
}

void TMyWStrings::SetDelimitedText(QStringView text)
{
    BeginUpdate();
    Clear();
    if (text.isEmpty() || Delimiter.isEmpty()) {
        if (!text.isEmpty())
            Add(text.toString());
        EndUpdate();
        return;
    }
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype d = text.indexOf(Delimiter, start);
        if (d < 0) {
            Add(text.sliced(start).toString());
            break;
        }
        Add(text.sliced(start, d - start).toString());
        start = d + Delimiter.size();
    }
    EndUpdate();
}

QString TMyWStrings::GetCommaText() const
{
    if (Count() == 1 && m_items[0].text.isEmpty())
        return QuoteChar + QuoteChar;
    QString out;
    for (int i = 0; i < Count(); ++i) {
        if (i > 0)
            out += Delimiter;
        const QString &s = m_items[i].text;
        bool quote = false;
        for (QChar c : s)
            if (c.unicode() <= 32) {
                quote = true;
                break;
            }
        if (!quote && ((!Delimiter.isEmpty() && s.contains(Delimiter)) || (!QuoteChar.isEmpty() && s.contains(QuoteChar))))
            quote = true;
        if (quote) {
            QString inner = s;
            if (!QuoteChar.isEmpty())
                inner.replace(QuoteChar, QuoteChar + QuoteChar);
            out += QuoteChar + inner + QuoteChar;
        } else {
            out += s;
        }
    }
    return out;
}

void TMyWStrings::RemoveDuplicates()
{
    for (int i = Count() - 1; i >= 1; --i)
        if (CompareEntries(i, i - 1) == 0)
            RemoveAt(i);
}

void TMyWStrings::RemoveExactDuplicates()
{
    for (int i = Count() - 1; i >= 1; --i)
        if (m_items[i].text == m_items[i - 1].text)
            RemoveAt(i);
}

void TMyWStrings::SetCapacity(int capacity)
{
    if (capacity > m_items.size())
        m_items.reserve(capacity);
}

int TMyWStrings::Add(const QString &text) { return AddObject(text, nullptr); }

void TMyWStrings::AddFromFile(const QString &fileName)
{
    TextEncoding enc = TextEncoding::Auto;
    AddText(ReadTextFile(fileName, enc));
}

void TMyWStrings::AddFromFiles(const TMyWStrings &fileNames)
{
    for (int i = 0; i < fileNames.Count(); ++i)
        AddFromFile(fileNames.Get(i));
}

int TMyWStrings::AddObject(const QString &text, TObject *object)
{
    const int before = Count();
    InsertObject(Count(), text, object);
    return Count() > before ? Count() - 1 : before - 1;
}

int TMyWStrings::AddNameValue(const QString &name, const QString &value)
{
    return Add(name + QLatin1Char('=') + value);
}

void TMyWStrings::AddAnsiStrings(const QList<QByteArray> &narrow)
{
    SetCapacity(Count() + int(narrow.size()) + 100);
    for (const QByteArray &n : narrow)
        m_items.append(Item{DecodeString(n), nullptr});
}

void TMyWStrings::AddStrings(const TMyWStrings &list)
{
    if (&list == this) {  // the entries as they are now, once
        AddStrings(ToStringList());
        return;
    }
    BeginUpdate();
    SetCapacity(Count() + list.Count() + 100);
    for (int i = 0; i < list.Count(); ++i)
        Add(list.Get(i));
    EndUpdate();
}

void TMyWStrings::AddStrings(const QStringList &list)
{
    BeginUpdate();
    SetCapacity(Count() + int(list.size()) + 100);
    for (const QString &s : list)
        Add(s);
    EndUpdate();
}

void TMyWStrings::AddEmpty(int count)
{
    BeginUpdate();
    SetCapacity(Count() + count + 100);
    for (int i = 0; i < count; ++i)
        Add(QString());
    EndUpdate();
}

void TMyWStrings::AddText(QStringView text)
{
    BeginUpdate();
    bool sawCr = false, sawLf = false;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        while (i < n && text[i] != u'\r' && text[i] != u'\n')
            ++i;
        const QStringView line = text.sliced(start, i - start);
        if (line.isEmpty()) {
            Add(QString());
        } else {
            const int index = Add(line.toString());
            if (OnLineAdded)
                OnLineAdded(this, index, line.size() + 1);
        }
        if (i < n && text[i] == u'\r') {
            sawCr = true;
            ++i;
        }
        if (i < n && text[i] == u'\n') {
            sawLf = true;
            ++i;
        }
    }
    EndUpdate();
    LineBreak = (sawCr && !sawLf) ? LineBreakStyle::Cr : (sawLf && !sawCr) ? LineBreakStyle::Lf : LineBreakStyle::CrLf;
}

void TMyWStrings::AssignAnsiStrings(const QList<QByteArray> &narrow)
{
    if (Count() > 0)
        Clear();
    AddAnsiStrings(narrow);
}

void TMyWStrings::Assign(const TMyWStrings &list)
{
    if (&list == this)
        return;
    if (Count() > 0)
        Clear();
    AddStrings(list);
}

void TMyWStrings::InsertObject(int index, const QString &text, TObject *object)
{
    try {
        if (m_sorted && Duplicates != TDuplicates::Accept) {
            int at = 0;
            if (Find(text, at)) {
                if (Duplicates == TDuplicates::Error)
                    platform::ShowMessage(QStringLiteral("文字列リストは重複を許しません"));
                return;
            }
            index = at;
        } else {
            index = std::clamp(index, 0, Count());
        }
        m_items.insert(index, Item{text, object});
    } catch (const std::bad_alloc &) {
        platform::ShowMessage(QStringLiteral("データが大きすぎて操作が完了できませんでした"));
        return;
    } catch (...) {
        platform::ShowMessage(QStringLiteral("操作が完了できませんでした"));
        return;
    }
    Changed();
}

void TMyWStrings::InsertAnsiStrings(int index, const QList<QByteArray> &narrow)
{
    index = std::clamp(index, 0, Count());
    for (qsizetype k = narrow.size() - 1; k >= 0; --k)
        m_items.insert(index, Item{DecodeString(narrow[k]), nullptr});
}

void TMyWStrings::InsertStrings(int index, const TMyWStrings &list)
{
    if (&list == this) {
        TMyWStrings copy;
        copy.AddStrings(ToStringList());
        InsertStrings(index, copy);
        return;
    }
    index = std::clamp(index, 0, Count());
    BeginUpdate();
    for (int k = list.Count() - 1; k >= 0; --k)
        Insert(index, list.Get(k));
    EndUpdate();
}

void TMyWStrings::Clear()
{
    if (OwnsObjects)
        for (int i = Count() - 1; i >= 0; --i)
            delete m_items[i].object;
    m_items.clear();
}

void TMyWStrings::Delete(int index)
{
    if (!InRange(index))
        return;
    TObject *object = m_items[index].object;
    m_items.removeAt(index);
    if (OwnsObjects)
        delete object;
    Changed();
}

void TMyWStrings::Exchange(int a, int b)
{
    if (!InRange(a) || !InRange(b))
        return;
    if (a != b)
        m_items.swapItemsAt(a, b);
    Changed();
}

void TMyWStrings::Move(int from, int to)
{
    if (!InRange(from) || !InRange(to))
        return;
    if (from != to)
        m_items.move(from, to);
    Changed();
}

void TMyWStrings::DeleteRange(int first, int count)
{
    first = std::max(first, 0);
    count = std::min(count, Count() - first);
    if (count <= 0)
        return;
    if (OwnsObjects)
        for (int i = first; i < first + count; ++i)
            delete m_items[i].object;
    m_items.remove(first, count);
    Changed();
}

void TMyWStrings::MoveRange(int first, int count, int to)
{
    first = std::max(first, 0);
    count = std::min(count, Count() - first);
    if (count <= 0)
        return;
    to = std::clamp(to, 0, Count() - count);
    if (to < first)
        std::rotate(m_items.begin() + to, m_items.begin() + first, m_items.begin() + first + count);
    else if (to > first)
        std::rotate(m_items.begin() + first, m_items.begin() + first + count, m_items.begin() + to + count);
    Changed();
}

void TMyWStrings::Reverse()
{
    const int n = Count();
    for (int i = 0; i <= (n - 1) / 2 && i < n - 1 - i; ++i)
        Exchange(i, n - 1 - i);
}

int TMyWStrings::CompareStrings(const QString &a, const QString &b) const
{
    return platform::CompareLocale(a, b, CaseSensitive ? platform::CompareDefault : platform::IgnoreCase);
}

bool TMyWStrings::Find(const QString &text, int &index) const
{
    for (int i = 0; i < Count(); ++i) {
        const int c = CompareStrings(m_items[i].text, text);
        if (c == 0) {
            index = i;
            return true;
        }
        if (c > 0) {
            index = i;
            return false;
        }
    }
    index = Count();
    return false;
}

int TMyWStrings::IndexOf(const QString &text) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(m_items[i].text, text) == 0)
            return i;
    return -1;
}

int TMyWStrings::IndexOfPrefixFrom(const QString &text, int start) const
{
    const QString needle = CaseSensitive ? text : platform::UpperUnits(text);
    for (int i = std::max(start, 0); i < Count(); ++i) {
        const QString &s = m_items[i].text;
        if ((CaseSensitive ? s : platform::UpperUnits(s)).startsWith(needle))
            return i;
    }
    return -1;
}

int TMyWStrings::IndexOfSubstringFrom(const QString &text, int start) const
{
    const QString needle = CaseSensitive ? text : platform::UpperUnits(text);
    for (int i = std::max(start, 0); i < Count(); ++i) {
        const QString &s = m_items[i].text;
        if ((CaseSensitive ? s : platform::UpperUnits(s)).contains(needle))
            return i;
    }
    return -1;
}

QString TMyWStrings::GetName(int index) const
{
    if (!InRange(index))
        return QString();
    const QString stored = platform::AnsiToWide(EncodeString(m_items[index].text));
    const qsizetype eq = stored.indexOf(u'=');
    if (eq <= 0)
        return QString();
    QStringView name = QStringView(stored).first(eq);
    qsizetype a = 0, b = name.size();
    while (a < b && name[a].unicode() <= 32)
        ++a;
    while (b > a && name[b - 1].unicode() <= 32)
        --b;
    return name.sliced(a, b - a).toString();
}

int TMyWStrings::IndexOfName(const QString &name, int start) const
{
    for (int i = std::max(start, 0); i < Count(); ++i)
        if (platform::CompareLocale(GetName(i), name, platform::IgnoreCase) == 0)
            return i;
    return -1;
}

void TMyWStrings::MergeSortIndices(std::vector<int> &idx, std::vector<int> &tmp, size_t lo, size_t hi,
                                   const TMyWStringsCompare &compare)
{
    ++m_sortSteps;
    const size_t n = hi - lo;
    if (n <= 1)
        return;
    const size_t mid = lo + n / 2;  // the first half is the smaller one when n is odd
    MergeSortIndices(idx, tmp, lo, mid, compare);
    MergeSortIndices(idx, tmp, mid, hi, compare);
    size_t i = lo, j = mid, k = lo;
    while (i < mid && j < hi) {
        if (compare(*this, idx[i], idx[j]) > 0)
            tmp[k++] = idx[j++];
        else
            tmp[k++] = idx[i++];
    }
    while (i < mid)
        tmp[k++] = idx[i++];
    while (j < hi)
        tmp[k++] = idx[j++];
    std::copy(tmp.begin() + long(lo), tmp.begin() + long(hi), idx.begin() + long(lo));
}

void TMyWStrings::CustomSortRange(int first, int last, const TMyWStringsCompare &compare)
{
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    m_sortSteps = 0;
    m_sortStatus.clear();
    if (last < first)
        return;
    std::vector<int> idx(size_t(last - first + 1));
    for (size_t k = 0; k < idx.size(); ++k)
        idx[k] = first + int(k);
    std::vector<int> tmp(idx.size());
    MergeSortIndices(idx, tmp, 0, idx.size(), compare);
    m_sortStatus = QStringLiteral("リストのソート中 [%1]").arg(m_sortSteps);
    QList<Item> sorted;
    sorted.reserve(qsizetype(idx.size()));
    for (int i : idx)
        sorted.append(m_items[i]);
    for (size_t k = 0; k < idx.size(); ++k)
        m_items[first + int(k)] = sorted[qsizetype(k)];
}

void TMyWStrings::SortRange(int first, int last)
{
    // Sort keys computed once per entry; comparing keys is the default comparison.
    first = std::max(first, 0);
    const int flags = CaseSensitive ? platform::CompareDefault : platform::IgnoreCase;
    std::vector<QByteArray> keys;
    const int end = std::min(last, Count() - 1);
    keys.reserve(size_t(std::max(0, end - first + 1)));
    for (int i = first; i <= end; ++i)
        keys.push_back(platform::LocaleSortKey(m_items[i].text, flags));
    CustomSortRange(first, last, [&keys, first](const TMyWStrings &, int a, int b) {
        return platform::CompareSortKeys(keys[size_t(a - first)], keys[size_t(b - first)]);
    });
}

void TMyWStrings::CustomSortEx(const TMyWStringsCompare &compare, bool removeDuplicates)
{
    BeginUpdate();
    MergeSort(compare);
    EndUpdate();
    if (removeDuplicates)
        RemoveDuplicates();
}

void TMyWStrings::Sort() { SortRange(0, Count() - 1); }

void TMyWStrings::SortFileNamesRange(int first, int last)
{
    first = std::max(first, 0);
    const int end = std::min(last, Count() - 1);
    FileNameKeys keys;
    keys.Reserve(std::max(0, end - first + 1));
    for (int i = first; i <= end; ++i)
        keys.Add(m_items[i].text);
    CustomSortRange(first, last, [&keys, first](const TMyWStrings &, int a, int b) {
        return keys.Compare(a - first, b - first);
    });
}

void TMyWStrings::SortFileNamesUnique(bool)
{
    BeginUpdate();
    SortFileNamesRange(0, Count() - 1);
    EndUpdate();
    RemoveExactDuplicates();
}

void TMyWStrings::QuickSortPart(int l, int r, const TMyWStringsCompare &compare)
{
    int i;
    do {
        i = l;
        int j = r;
        int p = (l + r) >> 1;
        do {
            while (compare(*this, i, p) < 0)
                ++i;
            while (compare(*this, j, p) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    Exchange(i, j);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        platform::ProcessEvents();
        if (l < j)
            QuickSortPart(l, j, compare);
        l = i;
    } while (i < r);
}

void TMyWStrings::QuickSortEx(const TMyWStringsCompare &compare, bool removeDuplicates)
{
    if (Count() > 1) {
        BeginUpdate();
        QuickSortPart(0, Count() - 1, compare);
        EndUpdate();
    }
    if (removeDuplicates)
        RemoveDuplicates();
}

void TMyWStrings::InsertionSort(bool removeDuplicates)
{
    CustomInsertionSort([](const TMyWStrings &l, int a, int b) { return l.CompareEntries(a, b); }, removeDuplicates);
}

void TMyWStrings::CustomInsertionSort(const TMyWStringsCompare &compare, bool removeDuplicates)
{
    if (Count() < 2)
        return;
    BeginUpdate();
    for (int i = 1; i <= Count() - 1; ++i) {
        for (int j = i; j > 0; --j) {
            const int c = compare(*this, j - 1, j);
            if (c < 0)
                break;
            if (c > 0) {
                Exchange(j - 1, j);
            } else {
                if (removeDuplicates) {
                    Delete(j);
                    --i;
                }
                break;
            }
            platform::ProcessEvents();
        }
    }
    EndUpdate();
}

void TMyWStrings::SetSorted(bool sorted)
{
    m_sorted = sorted;
    if (sorted) {
        Sort();
        if (Duplicates != TDuplicates::Accept)
            RemoveDuplicates();
    }
}

void TMyWStrings::LoadFromFileEncoding(const QString &fileName, TextEncoding &encoding)
{
    const QString text = ReadTextFile(fileName, encoding);
    Encoding = encoding;
    SetTextStr(text);
}

void TMyWStrings::LoadFromFilePart(const QString &fileName, TextEncoding &encoding, qint64 byteCount)
{
    const QString text = ReadTextFile(fileName, encoding, byteCount);
    Encoding = encoding;
    SetTextStr(text);
}

bool TMyWStrings::SaveToFileAs(const QString &fileName, TextEncoding encoding, LineBreakStyle lineBreak)
{
    LineBreak = lineBreak;
    return SaveToFileEncoding(fileName, encoding);
}

bool TMyWStrings::SaveToFileEncoding(const QString &fileName, TextEncoding encoding)
{
    return WriteTextFile(fileName, GetTextStr(), encoding);
}

QList<QByteArray> TMyWStrings::AnsiStrings() const
{
    QList<QByteArray> out;
    out.reserve(Count());
    for (const Item &it : m_items)
        out.append(platform::WideToAnsi(it.text));
    return out;
}

QList<QByteArray> TMyWStrings::EscapedStrings() const
{
    QList<QByteArray> out;
    out.reserve(Count());
    for (const Item &it : m_items)
        out.append(EncodeString(it.text));
    return out;
}
