#pragma once
// Case rules shared by the number-aware comparisons.

#include "platform/locale.h"

#include <QStringView>

// Equal when upper-cased unit by unit.
inline bool UpperEqual(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x != y && platform::UpperUnit(x) != platform::UpperUnit(y))
            return false;
    }
    return true;
}

// The tie rule for texts that the locale calls equal: 0 when their upper-case forms are equal,
// else the longer one first, else the upper-case code units decide (so swapping the arguments
// always reverses the sign).
inline int UpperOrder(QStringView a, QStringView b, bool alreadyUpper)
{
    if (a.size() != b.size())
        return a.size() > b.size() ? -1 : 1;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = alreadyUpper ? a[i].unicode() : platform::UpperUnit(a[i].unicode());
        const char16_t y = alreadyUpper ? b[i].unicode() : platform::UpperUnit(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

// Texts of stable units: the locale calls two of them equal only when they are the same units,
// and removing marks leaves them alone.
inline bool IsStable(QStringView text)
{
    for (QChar c : text)
        if (!platform::IsStableUnit(c.unicode()))
            return false;
    return true;
}

inline bool IsStableUpper(QStringView text)
{
    for (QChar c : text)
        if (!platform::IsStableUnit(platform::UpperUnit(c.unicode())))
            return false;
    return true;
}

// How the part before a number compares: ignoring case and non-spacing marks, symbols as
// characters. Stable texts skip the removal of marks, which leaves them as they are.
constexpr int kPrefixFlags = platform::IgnoreCase | platform::IgnoreNonSpace | platform::StringSort;

inline int ComparePrefixes(QStringView a, QStringView b)
{
    const int flags = IsStable(a) && IsStable(b) ? platform::IgnoreCase : kPrefixFlags;
    return platform::CompareLocale(a, b, flags);
}

// A key whose comparison with CompareSortKeys gives ComparePrefixes.
inline QByteArray PrefixKey(QStringView prefix)
{
    return platform::LocaleSortKey(prefix, IsStable(prefix) ? platform::IgnoreCase : kPrefixFlags);
}
