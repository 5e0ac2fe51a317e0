// Natural and file-name comparison of arbitrary UTF-16 text: no crash, no hang, and the
// comparison stays antisymmetric and agrees with its keyed form.
#include "lists/naturalcompare.h"

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
