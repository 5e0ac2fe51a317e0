// Numeral reading and numeral-aware comparison of arbitrary UTF-16 text: no crash, no hang, and
// the comparison stays antisymmetric and agrees with its keyed form.
#include "lists/numerals.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says where the second text starts (in UTF-16 units); the rest is UTF-16.
    const size_t units = (size - 1) / 2;
    QString all(qsizetype(units), Qt::Uninitialized);
    for (size_t i = 0; i < units; ++i)
        all[qsizetype(i)] = QChar(char16_t(data[1 + 2 * i] | (data[2 + 2 * i] << 8)));
    const qsizetype cut = units ? qsizetype(data[0] % (units + 1)) : 0;
    const QStringView a = QStringView(all).first(cut);
    const QStringView b = QStringView(all).sliced(cut);

    for (QStringView t : {a, b}) {
        QStringView prefix, rest;
        qint64 value = -1;
        SplitAtNumeral(t, prefix, value, rest);
        Check(value >= 0);
        Check(prefix.data() == t.data() || t.isEmpty());
        Check(prefix.size() + rest.size() <= t.size());
        if (!rest.isEmpty())
            Check(rest.data() + rest.size() == t.data() + t.size());
    }

    const int ab = CompareNumerals(a, b);
    Check(ab >= -1 && ab <= 1);
    Check(CompareNumerals(b, a) == -ab);
    Check(CompareNumerals(a, a) == 0);
    Check(CompareNumeralKeys(NumeralKey(a), NumeralKey(b)) == ab);

    const int names = CompareNumeralNames(a, b);
    Check(CompareNumeralNames(b, a) == -names);
    NumeralNameKeys keys;
    keys.Add(a);
    keys.Add(b);
    Check(keys.Compare(0, 1) == names);
    return 0;
}
