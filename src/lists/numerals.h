#pragma once
// Numeral-aware comparison: kanji, full-width, financial, circled and Roman numerals compare by value.
//
// A number is a run of numeral characters: ASCII, full-width, kanji (〇一二…九) and financial
// (零壱弐参…) digits, circled numbers ①..⑳, Roman numerals Ⅰ..Ⅹ (U+2160..U+2169) and the place
// markers 十拾 (10), 百陌佰 (100), 千阡仟 (1000) and 万萬 (10000). 三千二百五十六 reads 3256,
// 二万三千 23000, 十万 100000, 12万 120000.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <initializer_list>
#include <memory>
#include <vector>

class TMyWStrings;

// Splits at the first number: the text before it, its value and the text after it. Without a
// number the prefix is the whole text, the value 0 and the rest empty. Digit strings too long
// for 64 bits read as 0; sums and products that overflow stop at the largest 64-bit value.
void SplitAtNumeral(QStringView text, QStringView &prefix, qint64 &value, QStringView &rest);

// -1, 0 or 1. Case is ignored; numbers compare by value. Texts whose upper-case forms differ
// never compare equal (一 and 1 are the same number, yet "第一話" and "第1話" stay two entries),
// and swapping the arguments reverses the sign.
int CompareNumerals(QStringView a, QStringView b);
// Path-aware: folders first, then names, each by CompareNumerals; texts equal ignoring case give 0.
int CompareNumeralNames(QStringView a, QStringView b);

// True when text equals one of the items ignoring case (locale comparison).
bool IsOneOf(QStringView text, std::initializer_list<QStringView> items);
bool IsOneOf(QStringView text, const QStringList &items);
// True when text equals an entry, read as windows-932, ignoring case.
bool InNarrowList(QStringView text, const QList<QByteArray> &list);
// True when text equals an entry of the list ignoring case.
bool InWideList(QStringView text, const TMyWStrings &list);
// Deletes empty entries from the end of the list.
void TrimTrailingEmpty(TMyWStrings &list);

class NumeralKeyPool;

// A comparison key computed once per text for the length of a sort: comparing two keys gives
// CompareNumerals of their texts.
class NumeralKey {
public:
    explicit NumeralKey(QStringView text);
    ~NumeralKey();
    NumeralKey(NumeralKey &&) noexcept;
    NumeralKey &operator=(NumeralKey &&) noexcept;
    const QString &Text() const { return m_ownText; }

private:
    friend struct NumeralKeySide;
    friend class NumeralKeyPool;
    struct RestTag {};
    NumeralKey(const QString &text, NumeralKeyPool *pool);
    // The key of a rest: views into the storage of the key it came from.
    NumeralKey(QStringView text, QStringView upper, NumeralKeyPool *pool, RestTag);
    void Init();
    // Keys of one pool share their rests and their prefixes' keys.
    NumeralKeyPool *m_pool = nullptr;
    QString m_ownText;   // storage of a key made from a text
    QString m_ownUpper;  // shares m_ownText when the text is upper case already
    QStringView m_text;
    QStringView m_upper;
    size_t m_upperHash = 0;
    bool m_stableUpper = false;
    // Filled on first use.
    mutable bool m_hasSplit = false;
    mutable bool m_hasFullKey = false;
    mutable bool m_hasPrefixKey = false;
    mutable int m_prefixId = -1;  // in the pool
    mutable qsizetype m_prefixLength = 0;
    mutable qsizetype m_restStart = 0;
    mutable size_t m_prefixHash = 0;
    mutable qint64 m_value = 0;
    mutable QByteArray m_fullKey;
    mutable QByteArray m_prefixKey;
    mutable const NumeralKey *m_restKey = nullptr;
    mutable std::unique_ptr<NumeralKey> m_ownRest;
    const QByteArray &FullKey() const;
    const QByteArray &PrefixKey() const;
    void EnsureSplit() const;
    const NumeralKey &Rest() const;
};

int CompareNumeralKeys(const NumeralKey &a, const NumeralKey &b);

// Keys of paths in CompareNumeralNames order; entries of one folder share the folder's key.
// Compare(i, j) of the i-th and j-th added paths equals CompareNumeralNames of the paths.
class NumeralNameKeys {
public:
    NumeralNameKeys();
    ~NumeralNameKeys();
    NumeralNameKeys(const NumeralNameKeys &) = delete;
    NumeralNameKeys &operator=(const NumeralNameKeys &) = delete;
    void Reserve(qsizetype n);
    void Add(QStringView path);
    qsizetype Count() const;
    int Compare(qsizetype a, qsizetype b) const;

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};

// Stable sort of list entries first..last (last -1: to the end) in CompareNumeralNames order.
void SortNumeralNames(TMyWStrings &list, int first = 0, int last = -1);
