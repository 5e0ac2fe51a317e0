// Opening a music tree of 100,000 files in 1,000 folders in the player window (offscreen; the
// first entry is an empty file, so the player's opening fails at once), beside the bare media
// list search of the same tree with the same filters in the same run: what the window adds is
// the progress counter, the history, the entries' serials and the start of playback.
#include "benchapp.h"
#include "engine/dsplayer.h"
#include "musictree.h"
#include "shell/appinfo.h"
#include "shell/mediaopening.h"
#include "shell/mediaplayer.h"

#include <benchmark/benchmark.h>

namespace {

void BM_MediaListSearch(benchmark::State &state)
{
    const Tree *tree = TreeOrSkip(state);
    if (!tree)
        return;
    qint64 found = 0;
    for (auto _ : state) {
        TMyMediaStrings list;
        list.SetAllowedExtensions(DefaultAllowedExtensions());
        list.SetDeniedExtensions(ExcludedExtensions());
        list.CheckExists = false;
        list.SearchTarget(tree->root);
        found = list.Count();
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = double(found);
}
BENCHMARK(BM_MediaListSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenPaths(benchmark::State &state)
{
    const Tree *tree = TreeOrSkip(state);
    if (!tree)
        return;
    EnsureBenchApp<TApp_MEDIAPlayer>();
    SetMsgBoxAnswerer([](const QString &, const QString &, int) { return int(IDCANCEL); });
    TApp_MEDIAPlayer window;
    qint64 found = 0;
    for (auto _ : state) {
        window.OpenPaths({tree->root}, true);
        state.PauseTiming();
        found = window.plyMedia()->EntryCount();
        window.plyMedia()->Unload();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["files"] = double(found);
}
BENCHMARK(BM_OpenPaths)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
