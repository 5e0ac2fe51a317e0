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
