// A folder search of 100,000 files in 1,000 folders with the natural order, beside
// `find DIR -type f | sort -V` over the same tree in the same run.
//
// The tree is made once per run in a temporary folder (TMPDIR; on a slow disk point it at a
// tmpfs). Both sides read a warm cache.
#include "lists/filestrings.h"
#include "musictree.h"

#include <benchmark/benchmark.h>

#include <QProcess>

namespace {

void BM_FolderSearchNatural(benchmark::State &state)
{
    const Tree *tree = TreeOrSkip(state);
    if (!tree)
        return;
    qint64 found = 0;
    for (auto _ : state) {
        TMyFileStrings list;
        list.SetAllowedExtensions({QStringLiteral(".mp3"), QStringLiteral(".ogg"), QStringLiteral(".flac"),
                                   QStringLiteral(".wav"), QStringLiteral(".m4a"), QStringLiteral(".wma")});
        list.SearchTarget(tree->root + u'/');
        found = list.Count();
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = double(found);
}
BENCHMARK(BM_FolderSearchNatural)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same tree through find and sort -V, joined by a pipe (no shell).
void BM_FindSortV(benchmark::State &state)
{
    const Tree *tree = TreeOrSkip(state);
    if (!tree)
        return;
    qint64 bytes = 0;
    for (auto _ : state) {
        QProcess find, sort;
        find.setStandardOutputProcess(&sort);
        find.start(QStringLiteral("find"), {tree->root, QStringLiteral("-type"), QStringLiteral("f")});
        sort.start(QStringLiteral("sort"), {QStringLiteral("-V")});
        find.waitForFinished(-1);
        sort.waitForFinished(-1);
        bytes = sort.readAllStandardOutput().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_FindSortV)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
