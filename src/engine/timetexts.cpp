#include "engine/timetexts.h"

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

// The standard 64-bit conversion: optional sign, then decimal digits or "$"/"0X" and hex digits.
std::optional<long long> StandardToInt(QStringView s)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'X' || s[i + 1] == u'x')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return std::nullopt;
    unsigned long long value = 0;
    const unsigned long long limit = negative ? 0x8000000000000000ULL : 0x7FFFFFFFFFFFFFFFULL;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (base == 16 && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else
            return std::nullopt;
        if (value > (limit - unsigned(d)) / unsigned(base))
            return std::nullopt;
        value = value * unsigned(base) + unsigned(d);
    }
    if (negative)
        return value == 0x8000000000000000ULL ? std::numeric_limits<long long>::min()
                                              : -static_cast<long long>(value);
    return static_cast<long long>(value);
}

// The lenient integer reading of numbers typed by users (the settings file reads its numbers the
// same way): full-width folded, thousands separators skipped, trailing junk ignored.
long long LenientToInt(QStringView text)
{
    const QString s = platform::MapString(text.trimmed(), platform::MapHalfWidth | platform::MapUpperCase);
    if (const auto whole = StandardToInt(s))
        return *whole;
    QString candidate;
    for (const QChar ch : s) {
        const char16_t c = ch.unicode();
        if (c >= u'A' && c <= u'F') {
            if (candidate.startsWith(u'$'))
                candidate += ch;
            else
                candidate = u'$' + candidate + ch;
        } else if (c >= u'0' && c <= u'9') {
            candidate += ch;
        } else if ((c == u'$' || c == u'X') && candidate.isEmpty()) {
            candidate = QStringLiteral("$");
        } else if ((c == u'-' || c == u'+') && candidate.isEmpty()) {
            candidate = ch;
        } else if (c == u',') {
            continue;
        } else if (c == u' ' && candidate.isEmpty()) {
            continue;
        } else {
            break;
        }
    }
    if (candidate.isEmpty())
        return 0;
    return StandardToInt(candidate).value_or(0);
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
        return LenientToInt(parts[0]);
    case 2:
        return SaturatingMulAdd(LenientToInt(parts[0]), 60, LenientToInt(parts[1]));
    case 3: {
        const long long hm = SaturatingMulAdd(LenientToInt(parts[0]), 60, LenientToInt(parts[1]));
        return SaturatingMulAdd(hm, 60, LenientToInt(parts[2]));
    }
    default:
        return 0;
    }
}
