// A folder search of 100,000 files in 1,000 folders with the natural order, beside
// `find DIR -type f | sort -V` over the same tree in the same run.
//
// The tree is made once per run in a temporary folder (TMPDIR; on a slow disk point it at a
// tmpfs). Both sides read a warm cache.
#include "lists/filestrings.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <random>

namespace {

constexpr int kArtists = 50;
constexpr int kAlbums = 20;  // per artist: 1,000 folders
constexpr int kTracks = 100; // per album: 100,000 files

struct Tree {
    QTemporaryDir dir;
    QString root;
    bool ok = false;
    Tree()
    {
        static const char16_t *const words[] = {u"曲", u"Track", u"第", u"ライブ", u"Best of", u"ｱﾆﾒ", u"テーマ"};
        std::mt19937 rng(7);
        root = dir.path() + QStringLiteral("/music");
        ok = dir.isValid();
        for (int a = 1; a <= kArtists && ok; ++a) {
            for (int b = 1; b <= kAlbums && ok; ++b) {
                const QString folder = QStringLiteral("%1/Artist %2/Album %3").arg(root).arg(a).arg(b);
                ok = QDir().mkpath(folder);
                for (int t = 1; t <= kTracks && ok; ++t) {
                    // One file in ten has an extension the filter refuses.
                    const char *ext = t % 10 == 0 ? ".txt" : ".mp3";
                    const QString name = QStringLiteral("%1/%2 %3 %4%5")
                                             .arg(folder)
                                             .arg(t)
                                             .arg(QString::fromUtf16(words[rng() % 7]))
                                             .arg(rng() % 1000)
                                             .arg(QLatin1String(ext));
                    QFile f(name);
                    ok = f.open(QIODevice::WriteOnly);
                }
            }
        }
    }
};

Tree &TheTree()
{
    static Tree tree;
    return tree;
}

void BM_FolderSearchNatural(benchmark::State &state)
{
    Tree &tree = TheTree();
    if (!tree.ok) {
        state.SkipWithError("could not make the tree");
        return;
    }
    qint64 found = 0;
    for (auto _ : state) {
        TMyFileStrings list;
        list.SetAllowedExtensions({QStringLiteral(".mp3"), QStringLiteral(".ogg"), QStringLiteral(".flac"),
                                   QStringLiteral(".wav"), QStringLiteral(".m4a"), QStringLiteral(".wma")});
        list.SearchTarget(tree.root + u'/');
        found = list.Count();
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = double(found);
}
BENCHMARK(BM_FolderSearchNatural)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same tree through find and sort -V, joined by a pipe (no shell).
void BM_FindSortV(benchmark::State &state)
{
    Tree &tree = TheTree();
    if (!tree.ok) {
        state.SkipWithError("could not make the tree");
        return;
    }
    qint64 bytes = 0;
    for (auto _ : state) {
        QProcess find, sort;
        find.setStandardOutputProcess(&sort);
        find.start(QStringLiteral("find"), {tree.root, QStringLiteral("-type"), QStringLiteral("f")});
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
