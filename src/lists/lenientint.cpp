#include "lists/lenientint.h"

#include "platform/locale.h"

#include <limits>

namespace {

QStringView TrimBlanks(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= 0x20)
        ++b;
    while (e > b && text[e - 1].unicode() <= 0x20)
        --e;
    return text.sliced(b, e - b);
}

bool ParseHexDigit(QChar c, int &v)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    else if (u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else
        return false;
    return true;
}

// The standard conversion: optional sign, then decimal digits or "$" and up to 16 hexadecimal
// digits (taken as the 64-bit pattern).
bool StandardToInt64(QStringView s, qint64 &out)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
    }
    if (i < s.size() && s[i] == u'$') {
        ++i;
        const qsizetype digits = s.size() - i;
        if (digits < 1 || digits > 16)
            return false;
        quint64 v = 0;
        for (; i < s.size(); ++i) {
            int d = 0;
            if (!ParseHexDigit(s[i], d))
                return false;
            v = (v << 4) | quint64(d);
        }
        out = negative ? qint64(0 - v) : qint64(v);
        return true;
    }
    if (i >= s.size())
        return false;
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    quint64 v = 0;
    for (; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u < u'0' || u > u'9')
            return false;
        const quint64 d = u - u'0';
        if (v > (limit - d) / 10)
            return false;
        v = v * 10 + d;
    }
    out = negative ? qint64(0 - v) : qint64(v);
    return true;
}

} // namespace

qint64 LenientStrToInt(QStringView text)
{
    const QString t = platform::UpperUnits(platform::MapString(TrimBlanks(text), platform::MapHalfWidth));
    qint64 value = 0;
    if (StandardToInt64(t, value))
        return value;
    QString candidate;
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'F') {
            if (candidate.startsWith(u'$'))
                candidate += c;
            else
                candidate = u'$' + candidate + c;
        } else if (u >= u'0' && u <= u'9') {
            candidate += c;
        } else if ((u == u'$' || u == u'X') && candidate.isEmpty()) {
            candidate = QStringLiteral("$");
        } else if ((u == u'-' || u == u'+') && candidate.isEmpty()) {
            candidate = c;
        } else if (u == u',') {
            continue;
        } else if (u == u' ' && candidate.isEmpty()) {
            continue;
        } else {
            break;
        }
    }
    if (candidate.isEmpty() || !StandardToInt64(candidate, value))
        return 0;
    return value;
}

