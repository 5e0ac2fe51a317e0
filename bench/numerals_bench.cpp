// Sorting 100,000 names written with kanji, financial, full-width, circled and Roman numerals:
// numeral-aware order (keyed, and the plain comparison through the list's merge sort) beside an
// ICU numeric collation of the same names.
#include "lists/mywstrings.h"
#include "lists/numerals.h"

#include <benchmark/benchmark.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <random>

namespace {

QString Kanji(int v, bool financial)
{
    static const char16_t *const plain = u"〇一二三四五六七八九";
    static const char16_t *const money = u"零壱弐参肆伍陸漆捌玖";
    const char16_t *digits = financial ? money : plain;
    const char16_t ten = financial ? u'拾' : u'十';
    if (v == 0)
        return QString(QChar(digits[0]));
    auto below10000 = [&](int n) {
        QString s;
        const struct {
            int unit;
            char16_t mark;
        } places[] = {{1000, u'千'}, {100, u'百'}, {10, ten}};
        for (const auto &p : places) {
            const int d = n / p.unit;
            n %= p.unit;
            if (d > 1 || (d == 1 && financial))
                s += QChar(digits[d]);
            if (d > 0)
                s += QChar(p.mark);
        }
        if (n > 0)
            s += QChar(digits[n]);
        return s;
    };
    QString s;
    if (v >= 10000) {
        s += below10000(v / 10000);
        s += financial ? u'萬' : u'万';
    }
    if (v % 10000)
        s += below10000(v % 10000);
    return s;
}

QString Numeral(std::mt19937 &rng, int v)
{
    switch (rng() % 6) {
    case 0:
        return QString::number(v);
    case 1: {
        QString s = QString::number(v);
        for (QChar &c : s)
            c = QChar(char16_t(c.unicode() - u'0' + 0xFF10));
        return s;
    }
    case 2:
        return Kanji(v, false);
    case 3:
        return Kanji(v, true);
    case 4:
        return QString(QChar(char16_t(0x2460 + v % 20)));  // ①..⑳
    default:
        return QString(QChar(char16_t(0x2160 + v % 10)));  // Ⅰ..Ⅹ
    }
}

// n names; folders 0: every name in a folder of its own, else that many folders shared.
QStringList MakeNames(int n, int folders)
{
    static const char16_t *const series[] = {u"アニメ", u"Live", u"ドラマ", u"講座", u"Best of", u"名曲集"};
    static const char16_t *const kinds[] = {u"第", u"Disc ", u"Vol.", u"Track ", u"その", u"巻"};
    static const char16_t *const tails[] = {u"話", u" 本編", u" - テーマ", u"章", u".part", u" (ライブ)"};
    std::mt19937 rng(42);
    auto folder = [&] {
        return QStringLiteral("/videos/%1 %2/%3%4")
            .arg(QString::fromUtf16(series[rng() % 6]), Numeral(rng, int(rng() % 60 + 1)),
                 QString::fromUtf16(kinds[rng() % 6]), Numeral(rng, int(rng() % 12 + 1)));
    };
    QStringList shared;
    for (int i = 0; i < folders; ++i)
        shared << folder();
    QStringList names;
    names.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QString f = folders > 0 ? shared[int(rng() % uint32_t(folders))] : folder();
        names << QStringLiteral("%1/%2%3%4 %5.mp4")
                     .arg(f, QString::fromUtf16(kinds[rng() % 6]), Numeral(rng, int(rng() % 120000)),
                          QString::fromUtf16(tails[rng() % 6]), Numeral(rng, int(rng() % 30)));
    }
    return names;
}

const QStringList &Names(int folders)
{
    static const QStringList own = MakeNames(100000, 0);
    static const QStringList shared = MakeNames(100000, 5000);
    return folders > 0 ? shared : own;
}

void BM_SortNumeralNamesKeyed(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TMyWStrings list;
        list.AddStrings(Names(int(state.range(0))));
        state.ResumeTiming();
        SortNumeralNames(list);
        benchmark::DoNotOptimize(list.Count());
    }
}
// Argument: 0 = a folder per name, 5000 = 5,000 shared folders.
BENCHMARK(BM_SortNumeralNamesKeyed)->Arg(0)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortNumeralNamesMergeSort(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TMyWStrings list;
        list.AddStrings(Names(int(state.range(0))));
        state.ResumeTiming();
        list.MergeSort([](const TMyWStrings &l, int a, int b) { return CompareNumeralNames(l.Get(a), l.Get(b)); });
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_SortNumeralNamesMergeSort)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_IcuNumericCollationSort(benchmark::State &state)
{
    UErrorCode err = U_ZERO_ERROR;
    UCollator *col = ucol_open("ja", &err);
    ucol_setAttribute(col, UCOL_NUMERIC_COLLATION, UCOL_ON, &err);
    for (auto _ : state) {
        state.PauseTiming();
        QStringList names = Names(int(state.range(0)));
        state.ResumeTiming();
        std::stable_sort(names.begin(), names.end(), [col](const QString &a, const QString &b) {
            return ucol_strcoll(col, reinterpret_cast<const UChar *>(a.utf16()), int32_t(a.size()),
                                reinterpret_cast<const UChar *>(b.utf16()), int32_t(b.size())) == UCOL_LESS;
        });
        benchmark::DoNotOptimize(names.size());
    }
    ucol_close(col);
}
BENCHMARK(BM_IcuNumericCollationSort)->Arg(0)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
