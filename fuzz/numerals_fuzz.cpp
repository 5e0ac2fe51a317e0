// Numeral reading and numeral-aware comparison of arbitrary UTF-16 text: no crash, no hang, and
// the comparison stays antisymmetric and agrees with its keyed form.
#include "lists/numerals.h"

#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    QString all;
    QStringView a, b;
    TwoTextsOf(data, size, &all, a, b);

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
