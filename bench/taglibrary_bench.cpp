// Tag library speed: lookups of cached entries, a refresh walk over cached entries, and stores one
// per transaction against stores in one batch.
//
// Targets: 200,000 lookups per second into a tag; a walk over 10,000 current records reads no file and is
// done in well under a second.

#include "lists/mywstrings.h"
#include "platform/files.h"
#include "tags/mytag.h"
#include "tags/taglibrary.h"
#include "tags/tagthreads.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kEntries = 10000;

struct Fixture {
    QTemporaryDir dir;
    std::vector<QString> files;
    std::unique_ptr<QCoreApplication> app;

    Fixture()
    {
        static int argc = 1;
        static char name[] = "taglibrary_bench";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            app = std::make_unique<QCoreApplication>(argc, argv);
        qputenv("TAVIO_HOME", dir.path().toUtf8());
        for (int folder = 0; folder < 100; ++folder)
            QDir().mkpath(dir.filePath(QStringLiteral("music/アルバム %1").arg(folder)));
        files.reserve(kEntries);
        std::vector<TMyLibraryRecord> records;
        records.reserve(kEntries);
        for (int i = 0; i < kEntries; ++i) {
            const QString path =
                dir.filePath(QStringLiteral("music/アルバム %1/%2 - Track's title.mp3").arg(i % 100).arg(i, 5, 10, QLatin1Char('0')));
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.write("x");
            f.close();
            files.push_back(path);
            const platform::FileStatus st = platform::GetFileStatus(path);
            TMyLibraryRecord r;
            r.FileName = path;
            r.FileSize = st.size;
            r.FileWriteTime = st.writeTime;
            r.FileCreateTime = st.creationTime;
            r.MediaDuration = 200.0 + i % 100;
            r.Title = QStringLiteral("曲 %1").arg(i);
            r.Artist = QStringLiteral("Artist %1").arg(i % 50);
            r.Album = QStringLiteral("Album %1").arg(i % 100);
            r.Track = QString::number(i % 20 + 1);
            records.push_back(r);
        }
        OpenLibraryFile(dir.filePath(QStringLiteral("bench.library.sqlite3")));
        TMyTagLibrary library(LibraryFileName());
        library.StoreMany(records);
    }
};

Fixture &Shared()
{
    static Fixture fixture;
    return fixture;
}

void BM_LibraryLookupCached(benchmark::State &state)
{
    Fixture &f = Shared();
    TMyTagLibrary library(LibraryFileName());
    TMyLibraryRecord record;
    size_t i = 0;
    for (auto _ : state) {
        const TLibraryResult r = library.Lookup(f.files[i], record);
        benchmark::DoNotOptimize(r);
        if (++i == f.files.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LibraryLookupCached);

// The lookup as the user-interface thread's callers use it: into a tag, whose name parts are
// rebuilt; with askFound the tag is also asked whether its file exists (one file status, which the
// lookup itself leaves until it is needed).
void LookupTagLoop(benchmark::State &state, bool askFound)
{
    Fixture &f = Shared();
    TMyTag tag;
    TMyTag *into = &tag;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LookupTag(into, f.files[i]));
        if (askFound)
            benchmark::DoNotOptimize(into->FileFound());
        if (++i == f.files.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_LookupTagCached(benchmark::State &state) { LookupTagLoop(state, false); }
BENCHMARK(BM_LookupTagCached);
void BM_LookupTagCachedFileFound(benchmark::State &state) { LookupTagLoop(state, true); }
BENCHMARK(BM_LookupTagCachedFileFound);

// One whole refresh walk over 10,000 entries with current records, reports applied to the list.
void BM_RefreshWalkCached(benchmark::State &state)
{
    Fixture &f = Shared();
    TMyWStrings list;
    list.OwnsObjects = true;
    for (const QString &path : f.files) {
        const platform::FileStatus st = platform::GetFileStatus(path);
        TMyTagValue v;
        v.FileName = path;
        v.FileSize = st.size;
        v.FileWriteTime = st.writeTime;
        v.FileCreateTime = st.creationTime;
        list.AddObject(path, new TMyTag(v));
    }
    TMyTagRefresh refresh;
    refresh.SetPriority(QThread::NormalPriority);  // measured apart from the machine's other load
    for (auto _ : state) {
        refresh.Start(&list);
        while (refresh.IsRunning())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    if (refresh.Statistics().FromLibrary != int(state.iterations()) * kEntries)
        state.SkipWithError("the walk read files although every record was current");
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_RefreshWalkCached)->Unit(benchmark::kMillisecond)->UseRealTime();

// 256 stores, each in its own transaction (range 0) or all in one (range 1).
void BM_Store256(benchmark::State &state)
{
    Fixture &f = Shared();
    TMyTagLibrary library(LibraryFileName());
    std::vector<TMyLibraryRecord> records;
    for (int i = 0; i < 256; ++i) {
        TMyLibraryRecord r;
        library.Lookup(f.files[size_t(i)], r);
        records.push_back(r);
    }
    const bool batched = state.range(0) != 0;
    for (auto _ : state) {
        if (batched) {
            library.StoreMany(records);
        } else {
            for (const TMyLibraryRecord &r : records)
                library.Store(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_Store256)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
