// Natural and file-name comparison of arbitrary UTF-16 text: no crash, no hang, and the
// comparison stays antisymmetric and agrees with its keyed form.
#include "lists/naturalcompare.h"

#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    QString all;
    QStringView a, b;
    TwoTextsOf(data, size, &all, a, b);

    const int ab = CompareNatural(a, b);
    Check(ab >= -1 && ab <= 1);
    Check(CompareNatural(b, a) == -ab);
    Check(CompareNatural(a, a) == 0);
    Check(CompareNaturalKeys(NaturalKey(a), NaturalKey(b)) == ab);

    const int files = CompareFileNames(a, b);
    Check(CompareFileNames(b, a) == -files);
    Check((files == 0) == (a == b));
    FileNameKeys keys;
    keys.Add(a.toString());
    keys.Add(b.toString());
    Check(keys.Compare(0, 1) == files);
    return 0;
}
