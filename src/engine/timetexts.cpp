#include "engine/timetexts.h"

#include "lists/lenientint.h"
#include "platform/locale.h"

#include <QStringList>

#include <cmath>
#include <limits>
#include <optional>

namespace {

// The system's time and decimal separators; this build formats times the same way everywhere.
constexpr QChar kTimeSeparator = u':';
constexpr QChar kDecimalSeparator = u'.';

// Removes the leading run of "0" and time separators, as the time texts show no leading zeros.
QString StripLeading(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u'0' || text[i] == kTimeSeparator))
        ++i;
    QString result = text.mid(i);
    if (result.startsWith(kDecimalSeparator))
        result.prepend(u'0');
    if (result.isEmpty())
        result = QStringLiteral("0");
    return result;
}

QString TwoDigits(long long v)
{
    return QString::asprintf("%.2lld", v);
}



long long SaturatingMulAdd(long long acc, long long factor, long long add)
{
    long long r;
    if (__builtin_mul_overflow(acc, factor, &r) || __builtin_add_overflow(r, add, &r))
        return (acc < 0) != (factor < 0) ? std::numeric_limits<long long>::min()
                                         : std::numeric_limits<long long>::max();
    return r;
}

} // namespace

long long RoundHalfAway(double x)
{
    if (!std::isfinite(x))
        return 0;
    const double r = x >= 0 ? std::trunc(x + 0.5) : std::trunc(x - 0.5);
    if (r >= 9.2e18)
        return std::numeric_limits<long long>::max();
    if (r <= -9.2e18)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(r);
}

QString SecondsText(long long seconds)
{
    if (seconds == 0)
        return QStringLiteral("0");
    const QString text = QString::number(seconds / 3600) + kTimeSeparator + TwoDigits(seconds / 60 % 60)
        + kTimeSeparator + TwoDigits(seconds % 60);
    return StripLeading(text);
}

QString FractionText(int digits, double seconds)
{
    if (digits < 0)
        digits = 0;
    if (digits > 9)
        digits = 9;
    if (!std::isfinite(seconds))
        seconds = 0;
    const bool negative = seconds < 0;
    const double ax = std::fabs(seconds);
    // Work in whole nanoseconds so that 61.3 shows as 1:01.300 and not 1:01.299.
    const double nanos = std::round(ax * 1e9);
    const long long total = nanos >= 9.2e18 ? std::numeric_limits<long long>::max() : (long long)nanos;
    const long long s = total / 1000000000LL;
    long long divisor = 1;
    for (int i = digits; i < 9; ++i)
        divisor *= 10;
    const long long f = (total % 1000000000LL) / divisor;
    const QString fraction = digits > 0 ? QString::asprintf("%.*lld", digits, f) : QString();
    QString text;
    if (ax > 1) {
        text = QString::number(s / 3600) + kTimeSeparator + TwoDigits(s / 60 % 60) + kTimeSeparator
            + TwoDigits(s % 60) + kDecimalSeparator + fraction;
        text = StripLeading(text);
    } else {
        text = QString::number(s) + kDecimalSeparator + fraction;
    }
    if (negative)
        text.prepend(u'-');
    return text;
}

long long ParseTimeText(QStringView text)
{
    QString t = text.toString();
    t.replace(QChar(0xFF1A), kTimeSeparator); // a full-width colon counts as the separator
    const QStringList parts = t.split(kTimeSeparator);
    switch (parts.size()) {
    case 1:
        return LenientStrToInt(parts[0]);
    case 2:
        return SaturatingMulAdd(LenientStrToInt(parts[0]), 60, LenientStrToInt(parts[1]));
    case 3: {
        const long long hm = SaturatingMulAdd(LenientStrToInt(parts[0]), 60, LenientStrToInt(parts[1]));
        return SaturatingMulAdd(hm, 60, LenientStrToInt(parts[2]));
    }
    default:
        return 0;
    }
}
