// A command line of many quoted paths forwarded to the player's panel (openings stubbed): the
// dispatch is linear in the number of arguments.
#include "benchapp.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"

#include <benchmark/benchmark.h>

namespace {

class CountingWindow : public TApp_MEDIAPlayer {
public:
    qsizetype opened = 0;

protected:
    void OpenPaths(const QStringList &paths, bool) override { opened += paths.size(); }
};

void BM_ForwardedPaths(benchmark::State &state)
{
    EnsureBenchApp<TApp_MEDIAPlayer>();
    CountingWindow window;
    QString line;
    for (int i = 0; i < state.range(0); ++i)
        line += QStringLiteral("\"/home/user/ミュージック/アルバム %1/%2 曲の名前.mp3\" ").arg(i / 20).arg(i);
    for (auto _ : state)
        window.MyMessagePanel1TextChange(nullptr, line);
    state.counters["paths"] = double(window.opened) / double(state.iterations());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ForwardedPaths)->Arg(5000)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace
