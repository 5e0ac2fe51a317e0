// Loading a 100,000-entry M3U8 into the media list: time, and the memory each entry costs.
//
// The files are made once in a temporary folder (100 folders of 1,000 empty files); the
// playlist holds relative entries with "#EXTINF" lines between them, as players write them.
// Runs with 25,000, 50,000 and 100,000 entries show that loading grows linearly.
#include "heapuse.h"
#include "tags/mymediastrings.h"
#include "tags/playlistfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kFolders = 100;
constexpr int kPerFolder = 1000;

struct Corpus {
    QTemporaryDir dir;
    QString Playlist(int entries) const { return dir.filePath(QStringLiteral("list-%1.m3u8").arg(entries)); }
};

void WritePlaylist(const Corpus &c, int entries)
{
    QByteArray text = "\xEF\xBB\xBF#EXTM3U\r\n";
    text.reserve(entries * 80);
    for (int i = 0; i < entries; ++i) {
        const int folder = i / kPerFolder, file = i % kPerFolder;
        text += "#EXTINF:215,Artist " + QByteArray::number(folder) + " - Title " + QByteArray::number(file) + "\r\n";
        text += QStringLiteral("disc %1/%2 曲 - テーマ.mp3\r\n").arg(folder, 3, 10, QChar('0')).arg(file, 4, 10, QChar('0')).toUtf8();
    }
    QFile f(c.Playlist(entries));
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
}

const Corpus &Files()
{
    static const std::unique_ptr<Corpus> corpus = [] {
        auto c = std::make_unique<Corpus>();
        for (int folder = 0; folder < kFolders; ++folder) {
            const QString sub = c->dir.filePath(QStringLiteral("disc %1").arg(folder, 3, 10, QChar('0')));
            QDir().mkpath(sub);
            for (int file = 0; file < kPerFolder; ++file) {
                QFile f(sub + QStringLiteral("/%1 曲 - テーマ.mp3").arg(file, 4, 10, QChar('0')));
                (void)f.open(QIODevice::WriteOnly);
            }
        }
        for (int n : {25000, 50000, 100000})
            WritePlaylist(*c, n);
        return c;
    }();
    return *corpus;
}

qint64 ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return qint64(resident) * sysconf(_SC_PAGESIZE);
}

void Load(const QString &playlist, bool checkExists, TMyMediaStrings &list)
{
    list.CheckExists = checkExists;
    list.SearchTarget(playlist);
}

void LoadBench(benchmark::State &state, bool checkExists)
{
    const int entries = int(state.range(0));
    const QString playlist = Files().Playlist(entries);
    int count = 0;
    for (auto _ : state) {
        TMyMediaStrings list;
        Load(playlist, checkExists, list);
        count = list.Count();
        benchmark::DoNotOptimize(count);
    }
    if (count != entries)
        state.SkipWithError("the playlist did not load whole");
    state.SetComplexityN(entries);
    state.SetItemsProcessed(state.iterations() * entries);

    // What one loaded list holds, measured apart from the timed runs.
    malloc_trim(0);
    const qint64 heapBefore = HeapInUse(), rssBefore = ResidentBytes();
    {
        TMyMediaStrings list;
        Load(playlist, checkExists, list);
        const qint64 heap = HeapInUse() - heapBefore, rss = ResidentBytes() - rssBefore;
        state.counters["heap_bytes_per_entry"] = double(heap) / std::max(1, list.Count());
        state.counters["resident_bytes_per_entry"] = double(rss) / std::max(1, list.Count());
    }
}

// The player's way: entries enter without the existence test (one directory lookup each for
// the tag's size and times).
void BM_LoadM3U8(benchmark::State &state) { LoadBench(state, false); }
// With the existence test (the same single lookup decides both).
void BM_LoadM3U8Checked(benchmark::State &state) { LoadBench(state, true); }

// Reading and splitting the file alone, for scale.
void BM_ParseM3U8(benchmark::State &state)
{
    const QString playlist = Files().Playlist(int(state.range(0)));
    for (auto _ : state) {
        const QStringList raw = ReadPlaylistEntries(playlist);
        benchmark::DoNotOptimize(raw.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_LoadM3U8)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_LoadM3U8Checked)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseM3U8)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
