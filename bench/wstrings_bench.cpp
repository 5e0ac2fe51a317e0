// Sorting 100,000 file names: the list's own file-name order beside a plain ICU numeric collation.
#include "lists/mywstrings.h"

#include <benchmark/benchmark.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <random>

namespace {

QStringList MakeNames(int n)
{
    static const char16_t *const words[] = {u"Track", u"曲", u"第", u"話", u"Disc", u"ライブ", u"ｱﾆﾒ", u"Best of", u"テーマ"};
    std::mt19937 rng(42);
    QStringList names;
    names.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QString folder = QStringLiteral("/music/%1 %2/Disc %3")
                                   .arg(QString::fromUtf16(words[rng() % 9]))
                                   .arg(rng() % 200)
                                   .arg(rng() % 4 + 1);
        names << QStringLiteral("%1/%2 %3 - %4.mp3")
                     .arg(folder)
                     .arg(rng() % 40 + 1)
                     .arg(QString::fromUtf16(words[rng() % 9]))
                     .arg(rng() % 100000);
    }
    return names;
}

const QStringList &Names()
{
    static const QStringList names = MakeNames(100000);
    return names;
}

void BM_SortFileNames(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TMyWStrings list;
        list.AddStrings(Names());
        state.ResumeTiming();
        list.SortFileNames();
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_SortFileNames)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_IcuNumericCollationSort(benchmark::State &state)
{
    UErrorCode err = U_ZERO_ERROR;
    UCollator *col = ucol_open("ja", &err);
    ucol_setAttribute(col, UCOL_NUMERIC_COLLATION, UCOL_ON, &err);
    for (auto _ : state) {
        state.PauseTiming();
        QStringList names = Names();
        state.ResumeTiming();
        std::stable_sort(names.begin(), names.end(), [col](const QString &a, const QString &b) {
            return ucol_strcoll(col, reinterpret_cast<const UChar *>(a.utf16()), int32_t(a.size()),
                                reinterpret_cast<const UChar *>(b.utf16()), int32_t(b.size())) == UCOL_LESS;
        });
        benchmark::DoNotOptimize(names.size());
    }
    ucol_close(col);
}
BENCHMARK(BM_IcuNumericCollationSort)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
