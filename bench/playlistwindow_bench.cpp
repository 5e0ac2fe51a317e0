// The playlist window over 100,000 entries with their tags in memory, offscreen: showing it with
// its first paint, paging and jumping to the end, sorting by title, a find that matches nothing
// over the whole paths, deleting and moving a block of 50,000, and the heap the window takes
// per entry beside what the list itself takes.
#include "benchapp.h"
#include "heapuse.h"
#include "engine/dsplayer.h"
#include "playlist/mediaplaylist.h"
#include "playlist/playerport.h"
#include "tags/mytag.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kEntries = 100000;

class BenchPlayer : public TMyPlayerPort {
public:
    BenchPlayer() : player(std::make_unique<TMyDSPlayer>()) {}
    TMyDSPlaylist *Playlist() const override { return player->Playlist(); }
    int ItemIndex() const override { return player->ItemIndex; }
    void SetItemIndex(int index) override { player->ItemIndex = index; }
    int PlayState() const override { return 1; }
    void PlayIndex(int index) override { player->ItemIndex = index; }
    void Close() override {}
    void OpenAndPlay(const QString &) override {}
    int NextIndex(int step) const override { return player->NextIndex(step); }
    void EnterBusy() override { ++busy; }
    bool LeaveBusy() override { return --busy > 0; }
    bool IsBusy() const override { return busy > 0; }
    void DropFiles(const QStringList &) override {}
    bool TargetsPlayingMedia() const override { return false; }
    TMyPlayingTags PlayingTags() const override { return {}; }
    bool ReadTagEnabled() const override { return false; }
    std::unique_ptr<TMyDSPlayer> player;
    int busy = 0;
};

void Fill(TMyDSPlaylist &list, int count)
{
    list.SetCapacity(count);
    for (int i = 0; i < count; ++i) {
        TMyTagValue v;
        v.FileName = QStringLiteral("/home/user/Music/Artist %1/Album %2/%3 Track title %4.mp3")
                         .arg(i % 97).arg(i % 13).arg(i % 20, 2, 10, QLatin1Char('0')).arg(i);
        v.Title = QStringLiteral("曲名 %1 Title").arg((i * 7919) % count);
        v.Artist = QStringLiteral("Artist %1").arg(i % 97);
        v.Album = QStringLiteral("Album %1").arg(i % 13);
        v.MediaDuration = 180 + i % 60;
        list.AddObject(v.FileName, new TMyTag(v));
    }
}

struct Fixture {
    BenchPlayer player;
    std::unique_ptr<TApp_MEDIAPlaylist> window;
    Fixture()
    {
        EnsureBenchApp();
        Fill(*player.Playlist(), kEntries);
        window = std::make_unique<TApp_MEDIAPlaylist>(&player);
        window->Confirm = [](const QString &) { return true; };
        window->TagsComplete = true;
        window->resize(703, 421);
        window->show();
        window->celPlaylist->viewport()->grab();
    }
    void Paint() { window->celPlaylist->viewport()->grab(); }
};

void BM_ShowAndFirstPaint(benchmark::State &state)
{
    EnsureBenchApp();
    BenchPlayer player;
    Fill(*player.Playlist(), kEntries);
    for (auto _ : state) {
        TApp_MEDIAPlaylist window(&player);
        window.show();
        window.celPlaylist->viewport()->grab();
    }
}
BENCHMARK(BM_ShowAndFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PageDownAndJumpToEnd(benchmark::State &state)
{
    Fixture f;
    QScrollBar *bar = f.window->celPlaylist->verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        if (++step % 2)
            bar->setValue(bar->value() + bar->pageStep());
        else
            bar->setValue(bar->maximum());
        f.Paint();
        if (step % 2 == 0)
            bar->setValue(0);
    }
}
BENCHMARK(BM_PageDownAndJumpToEnd)->Unit(benchmark::kMillisecond);

void BM_SortByTitleAndRepaint(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.window->SortList(214);
        f.Paint();
    }
}
BENCHMARK(BM_SortByTitleAndRepaint)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_FindNothingInWholePaths(benchmark::State &state)
{
    Fixture f;
    f.window->Execute(u"actFind_FindFileName");
    f.window->edtToolFind_Find->setText(QStringLiteral("ｱﾙﾊﾞﾑにない"));
    for (auto _ : state) {
        f.window->SelectRows(0, 0);
        f.window->FindNext(false);
    }
}
BENCHMARK(BM_FindNothingInWholePaths)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DeleteBlockOf50000(benchmark::State &state)
{
    EnsureBenchApp();
    for (auto _ : state) {
        state.PauseTiming();
        Fixture f;
        f.window->SelectRows(20000, 69999);
        state.ResumeTiming();
        f.window->Execute(u"actListEdit_Delete");
        f.Paint();
        state.PauseTiming();
        f.window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteBlockOf50000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MoveBlockOf50000ToTheBottom(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.window->SelectRows(0, 49999);
        f.window->Execute(u"actListMove_Bottom");
        f.Paint();
    }
}
BENCHMARK(BM_MoveBlockOf50000ToTheBottom)->Unit(benchmark::kMillisecond)->Iterations(4);

// The heap a window over player's list holds once it is shown, scrolled to the middle, with
// every entry selected and painted (read while the window still lives).
qint64 WindowHeap(BenchPlayer &player)
{
    const qint64 before = HeapInUse();
    TApp_MEDIAPlaylist window(&player);
    window.show();
    window.celPlaylist->verticalScrollBar()->setValue(player.Playlist()->Count() / 2);
    window.celPlaylist->viewport()->grab();
    window.SelectRows(0, player.Playlist()->Count() - 1);
    window.celPlaylist->viewport()->grab();
    return HeapInUse() - before;
}

// Bytes per entry: what the window takes over the whole list less what it takes over a small
// one (its own widgets, menus and caches), spread over the entries between; beside it, the heap
// each entry costs the list itself (path and tag), and the window's fixed part.
void BM_WindowBytesPerEntry(benchmark::State &state)
{
    constexpr int kFew = 1000;
    EnsureBenchApp();
    BenchPlayer few, all;
    Fill(*few.Playlist(), kFew);
    const qint64 beforeList = HeapInUse();
    Fill(*all.Playlist(), kEntries);
    const qint64 list = HeapInUse() - beforeList;
    WindowHeap(all);  // the first window fills the style's, fonts' and glyphs' caches
    for (auto _ : state) {
        const qint64 fixed = WindowHeap(few);
        const qint64 whole = WindowHeap(all);
        state.counters["bytes_per_entry"] = double(whole - fixed) / (kEntries - kFew);
        state.counters["list_bytes_per_entry"] = double(list) / kEntries;
        state.counters["window_bytes"] = double(fixed);
    }
}
BENCHMARK(BM_WindowBytesPerEntry)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
