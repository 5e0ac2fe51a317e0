#include "id3fixtures.h"
#include "lists/mywstrings.h"
#include "platform/files.h"
#include "support/tempdir.h"
#include "tags/mediameasure.h"
#include "tags/mymediastrings.h"
#include "tags/mytag.h"
#include "tags/taglibrary.h"
#include "tags/tagthreads.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "tags_tagthreads_test";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            m_app = new QCoreApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QCoreApplication *m_app = nullptr;
};
::testing::Environment *const g_appEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// Stands in for the media framework: counts what is measured, and can hold a measurement.
struct FakeMeasurer {
    QMutex mutex;
    QHash<QString, int> calls;
    std::function<void(const QString &)> during;  // runs inside a measurement, on the worker
    TMediaInfo info{12.5, 25.0, 640, 480};

    int Calls(const QString &file)
    {
        QMutexLocker lock(&mutex);
        return calls.value(file);
    }
    int Total()
    {
        QMutexLocker lock(&mutex);
        int n = 0;
        for (int c : std::as_const(calls))
            n += c;
        return n;
    }
};
FakeMeasurer *g_fake = nullptr;

// The tag an entry gets from the folder listing: name, size and times only.
TMyTag *ListingTag(const QString &path)
{
    const platform::FileStatus st = platform::GetFileStatus(path);
    TMyTagValue v;
    v.FileName = path;
    v.FileSize = st.size;
    v.FileWriteTime = st.writeTime;
    v.FileCreateTime = st.creationTime;
    v.MediaDuration = 0;
    return new TMyTag(v);
}

TMyTag *EntryTag(TMyWStrings &list, int index)
{
    return dynamic_cast<TMyTag *>(list.GetObject(index));
}

void SetWriteTime(const QString &path, const QDateTime &when)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

class TagThreadsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("TAVIO_HOME", dir.Root().toUtf8());
        ASSERT_TRUE(OpenLibraryFile(dir.Path(QStringLiteral("lib.sqlite3"))));
        g_fake = &fake;
        SetMediaMeasurer([](const QString &file) {
            FakeMeasurer *f = g_fake;
            std::function<void(const QString &)> during;
            TMediaInfo info;
            {
                QMutexLocker lock(&f->mutex);
                ++f->calls[file];
                during = f->during;
                info = f->info;
            }
            if (during)
                during(file);
            return info;
        });
        list.OwnsObjects = true;
        refresh.SetPriority(QThread::NormalPriority);  // idle threads crawl on a busy test machine
        QObject::connect(&refresh, &TMyTagRefresh::tagProgress, &refresh,
                         [this](int index, bool, bool) { progress.push_back(index); });
        QObject::connect(&refresh, &TMyTagRefresh::tagsComplete, &refresh, [this] { ++completes; });
        QObject::connect(&refresh, &TMyTagRefresh::threadFinished, &refresh, [this] { ++finishes; });
    }
    void TearDown() override
    {
        refresh.Stop();
        SetMediaMeasurer(nullptr);
        g_fake = nullptr;
        CloseLibrary();
        qunsetenv("TAVIO_HOME");
    }

    QString File(const QString &name, const QByteArray &bytes = "media bytes")
    {
        const QString path = dir.Path(name);
        QDir().mkpath(QFileInfo(path).path());
        return dir.Write(name, bytes);
    }
    // Adds an entry as the folder search would (a tag with name, size and times).
    QString Entry(const QString &name, const QByteArray &bytes = "media bytes")
    {
        const QString path = File(name, bytes);
        list.AddObject(path, ListingTag(path));
        return path;
    }
    // A record of the file as it is now, with the given title and duration.
    void Record(const QString &path, const QString &title, double duration = 99.0)
    {
        const platform::FileStatus st = platform::GetFileStatus(path);
        TMyLibraryRecord r;
        r.FileName = path;
        r.FileSize = st.size;
        r.FileWriteTime = st.writeTime;
        r.FileCreateTime = st.creationTime;
        r.MediaDuration = duration;
        r.Title = title;
        r.Artist = QStringLiteral("Library Artist");
        TMyTagLibrary library(LibraryFileName());
        ASSERT_EQ(library.Store(r), TLibraryResult::Ok);
    }
    bool Stored(const QString &path, TMyLibraryRecord *out = nullptr)
    {
        TMyTagLibrary library(LibraryFileName());
        TMyLibraryRecord r;
        const bool found = library.Lookup(path, r) == TLibraryResult::Ok;
        if (out)
            *out = r;
        return found;
    }
    void Walk()
    {
        ASSERT_TRUE(refresh.Start(&list));
        ASSERT_TRUE(WaitUntil([this] { return !refresh.IsRunning(); }));
    }

    TestDir dir;
    FakeMeasurer fake;
    TMyWStrings list;
    TMyTagRefresh refresh;
    std::vector<int> progress;
    int completes = 0;
    int finishes = 0;
};

TEST_F(TagThreadsTest, FirstWalkReadsEveryFileAndStoresIt)
{
    const QString a = Entry(QStringLiteral("a.ogg"));
    const QString b = Entry(QStringLiteral("フォルダ/b song.ogg"));
    const QString c = Entry(QStringLiteral("O'Neil.ogg"));
    Walk();

    EXPECT_EQ(progress, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(finishes, 1);
    EXPECT_TRUE(refresh.TagsComplete());
    EXPECT_EQ(refresh.Statistics().ReadFully, 3);
    EXPECT_EQ(fake.Total(), 3);
    EXPECT_EQ(EntryTag(list, 1)->Texts().Title, QStringLiteral("b song"));
    EXPECT_DOUBLE_EQ(EntryTag(list, 1)->MediaDuration, 12.5);
    EXPECT_EQ(EntryTag(list, 1)->MediaLength, 13);
    EXPECT_EQ(EntryTag(list, 1)->VideoWidth, 640);
    for (const QString &f : {a, b, c}) {
        TMyLibraryRecord r;
        ASSERT_TRUE(Stored(f, &r)) << f.toStdString();
        EXPECT_EQ(r.Title, QFileInfo(f).completeBaseName());
        EXPECT_DOUBLE_EQ(r.MediaDuration, 12.5);
        EXPECT_EQ(r.FileWriteTime, platform::GetFileStatus(f).writeTime);
    }
}

// A current record means no file read; a current record without duration means only a measurement.
TEST_F(TagThreadsTest, CurrentRecordIsUsedWithoutReadingTheFile)
{
    const QString measured = Entry(QStringLiteral("measured.ogg"));
    const QString unmeasured = Entry(QStringLiteral("unmeasured.ogg"));
    Record(measured, QStringLiteral("From Library"), 99.0);
    Record(unmeasured, QStringLiteral("Also Library"), 0.0);
    Walk();

    EXPECT_EQ(fake.Calls(measured), 0);
    EXPECT_EQ(EntryTag(list, 0)->Texts().Title, QStringLiteral("From Library"));
    EXPECT_EQ(EntryTag(list, 0)->Texts().Artist, QStringLiteral("Library Artist"));
    EXPECT_DOUBLE_EQ(EntryTag(list, 0)->MediaDuration, 99.0);

    EXPECT_EQ(fake.Calls(unmeasured), 1);
    EXPECT_EQ(EntryTag(list, 1)->Texts().Title, QStringLiteral("Also Library"));  // tags not read again
    EXPECT_DOUBLE_EQ(EntryTag(list, 1)->MediaDuration, 12.5);
    TMyLibraryRecord r;
    ASSERT_TRUE(Stored(unmeasured, &r));
    EXPECT_DOUBLE_EQ(r.MediaDuration, 12.5);
    EXPECT_EQ(r.Title, QStringLiteral("Also Library"));
    EXPECT_EQ(refresh.Statistics().FromLibrary, 1);
    EXPECT_EQ(refresh.Statistics().MediaOnly, 1);

    // Once measured, a second walk reads and measures nothing at all.
    progress.clear();
    Walk();
    EXPECT_EQ(fake.Total(), 1);
    EXPECT_EQ(progress.size(), 2u);
    EXPECT_EQ(refresh.Statistics().FromLibrary, 3);
}

// Any other version of the file makes the record stale: newer, older (copies that keep their
// times), or the same time with another size.
TEST_F(TagThreadsTest, ChangedFileIsReadAgainAndItsRecordReplaced)
{
    const QString newer = Entry(QStringLiteral("newer.ogg"));
    const QString older = Entry(QStringLiteral("older.ogg"));
    const QString resized = Entry(QStringLiteral("resized.ogg"));
    const QDateTime fixed = QDateTime::currentDateTimeUtc().addSecs(-3600);
    for (int i = 0; i < 3; ++i) {
        SetWriteTime(list[i], fixed);
        delete list.GetObject(i);
        list.PutObject(i, ListingTag(list[i]));
        Record(list[i], QStringLiteral("Old Record"));
    }
    SetWriteTime(newer, fixed.addSecs(60));
    SetWriteTime(older, fixed.addDays(-400));
    {
        QFile f(resized);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("more");
    }
    SetWriteTime(resized, fixed);
    ASSERT_EQ(platform::GetFileStatus(resized).writeTime, EntryTag(list, 2)->FileWriteTime);
    Walk();

    EXPECT_EQ(refresh.Statistics().ReadFully, 3);
    for (int i = 0; i < 3; ++i) {
        const QString f = list[i];
        EXPECT_EQ(fake.Calls(f), 1) << f.toStdString();
        EXPECT_EQ(EntryTag(list, i)->Texts().Title, QFileInfo(f).completeBaseName());
        TMyLibraryRecord r;
        ASSERT_TRUE(Stored(f, &r));
        EXPECT_EQ(r.Title, QFileInfo(f).completeBaseName());
        EXPECT_EQ(r.FileWriteTime, platform::GetFileStatus(f).writeTime);
        EXPECT_EQ(r.FileSize, platform::GetFileStatus(f).size);
    }
}

// The list's own tag goes to the library only when it was read from the file (it has a title);
// a listing tag never becomes a record with empty texts.
TEST_F(TagThreadsTest, ListTagIsStoredOnlyWhenItWasReadFromTheFile)
{
    const QString read = File(QStringLiteral("read before.ogg"));
    auto *tag = ListingTag(read);
    tag->EditTexts().Title = QStringLiteral("Shown Title");
    tag->EditTexts().Artist = QStringLiteral("Shown Artist");
    tag->EditTexts().Comment = QStringLiteral("kept comment");
    tag->MediaDuration = 42.0;
    list.AddObject(read, tag);
    const QString listing = Entry(QStringLiteral("listing only.ogg"));
    Walk();

    EXPECT_EQ(fake.Calls(read), 0);
    EXPECT_EQ(EntryTag(list, 0)->Texts().Comment, QStringLiteral("kept comment"));
    TMyLibraryRecord r;
    ASSERT_TRUE(Stored(read, &r));
    EXPECT_EQ(r.Title, QStringLiteral("Shown Title"));
    EXPECT_EQ(r.Artist, QStringLiteral("Shown Artist"));
    EXPECT_DOUBLE_EQ(r.MediaDuration, 42.0);

    EXPECT_EQ(fake.Calls(listing), 1);
    ASSERT_TRUE(Stored(listing, &r));
    EXPECT_EQ(r.Title, QStringLiteral("listing only"));
    EXPECT_DOUBLE_EQ(r.MediaDuration, 12.5);
    EXPECT_EQ(refresh.Statistics().TakenOver, 1);
    EXPECT_EQ(refresh.Statistics().ReadFully, 1);
}

TEST_F(TagThreadsTest, MissingFileIsReportedButNotStored)
{
    const QString here = Entry(QStringLiteral("here.ogg"));
    const QString gone = Entry(QStringLiteral("gone.ogg"));
    ASSERT_TRUE(QFile::remove(gone));
    Walk();
    EXPECT_EQ(progress, (std::vector<int>{0, 1}));
    EXPECT_EQ(EntryTag(list, 1)->Texts().Title, QStringLiteral("gone"));
    EXPECT_FALSE(EntryTag(list, 1)->FileFound());
    EXPECT_EQ(EntryTag(list, 1)->MediaDuration, 0.0);
    EXPECT_EQ(fake.Calls(gone), 0);
    EXPECT_FALSE(Stored(gone));
    EXPECT_TRUE(Stored(here));
}

// Paths are file names, compared exactly: two names that differ in case are two files.
TEST_F(TagThreadsTest, NamesDifferingInCaseAreTwoFiles)
{
    const QString upper = Entry(QStringLiteral("Song.ogg"), "upper");
    const QString lower = Entry(QStringLiteral("song.ogg"), "lower case");
    Record(upper, QStringLiteral("Upper Record"));
    Walk();
    EXPECT_EQ(EntryTag(list, 0)->Texts().Title, QStringLiteral("Upper Record"));
    EXPECT_EQ(EntryTag(list, 1)->Texts().Title, QStringLiteral("song"));
    EXPECT_EQ(EntryTag(list, 1)->FileSize, 10);
    EXPECT_EQ(fake.Calls(upper), 0);
    EXPECT_EQ(fake.Calls(lower), 1);
}

TEST_F(TagThreadsTest, StopEndsTheWalkAfterTheEntryInHand)
{
    for (int i = 0; i < 6; ++i)
        Entry(QStringLiteral("s%1.ogg").arg(i));
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    fake.during = [&](const QString &file) {
        if (!file.endsWith(QStringLiteral("s2.ogg")))
            return;
        entered = true;
        while (!release)
            QThread::msleep(2);
    };
    ASSERT_TRUE(refresh.Start(&list));
    QElapsedTimer t;
    t.start();
    while (!entered && t.elapsed() < 20000)
        QThread::msleep(2);  // no events: the reports of s0 and s1 stay on their way
    ASSERT_TRUE(entered);
    std::thread releaser([&] {
        QThread::msleep(50);
        release = true;
    });
    refresh.Stop();  // returns once the worker is done with s2
    releaser.join();
    EXPECT_FALSE(refresh.IsRunning());
    EXPECT_EQ(finishes, 1);

    // The reports of s0 and s1 were posted before the stop: they arrive, and are dropped.
    EXPECT_TRUE(WaitUntil([&] { return refresh.Statistics().Dropped >= 2; }));
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(completes, 0);
    EXPECT_FALSE(refresh.TagsComplete());
    EXPECT_GE(refresh.Statistics().Dropped, 2);
    EXPECT_EQ(fake.Total(), 3);
    // What was read before the stop is kept in the library; nothing after it was read.
    EXPECT_TRUE(Stored(list[0]));
    EXPECT_TRUE(Stored(list[2]));
    EXPECT_FALSE(Stored(list[3]));

    // Starting again begins at the first entry; the stored ones are not read again.
    fake.during = nullptr;
    Walk();
    EXPECT_EQ(progress, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(fake.Total(), 6);
    EXPECT_EQ(refresh.Statistics().FromLibrary, 3);
}

// A report whose index now names another file (the list changed meanwhile) is ignored.
TEST_F(TagThreadsTest, StaleReportIsIgnored)
{
    const QString a = Entry(QStringLiteral("a.ogg"));
    const QString b = Entry(QStringLiteral("b.ogg"));
    const QString c = Entry(QStringLiteral("c.ogg"));
    Record(a, QStringLiteral("Title A"));
    Record(b, QStringLiteral("Title B"));
    Record(c, QStringLiteral("Title C"));
    ASSERT_TRUE(refresh.Start(&list));
    list.Delete(0);  // before any report arrives: index 0 is b now, index 2 is gone
    ASSERT_TRUE(WaitUntil([this] { return !refresh.IsRunning(); }));

    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(refresh.Statistics().Dropped, 3);
    EXPECT_TRUE(EntryTag(list, 0)->Texts().Title.isEmpty());
    EXPECT_EQ(EntryTag(list, 0)->FileName, b);
    EXPECT_TRUE(EntryTag(list, 1)->Texts().Title.isEmpty());
    EXPECT_EQ(completes, 1);

    // A restart over the changed list fills it properly.
    Walk();
    EXPECT_EQ(EntryTag(list, 0)->Texts().Title, QStringLiteral("Title B"));
    EXPECT_EQ(EntryTag(list, 1)->Texts().Title, QStringLiteral("Title C"));
    EXPECT_EQ(fake.Total(), 0);
}

TEST_F(TagThreadsTest, WalkRangeIsClampedToTheList)
{
    for (int i = 0; i < 4; ++i)
        Entry(QStringLiteral("r%1.ogg").arg(i));
    list.AddObject(QStringLiteral("no tag"), nullptr);
    ASSERT_TRUE(refresh.Start(&list, 100, 2));
    ASSERT_TRUE(WaitUntil([this] { return !refresh.IsRunning(); }));
    EXPECT_EQ(progress, (std::vector<int>{2, 3, 4}));
    EXPECT_NE(EntryTag(list, 4), nullptr);  // an entry without a tag gets one
    EXPECT_TRUE(EntryTag(list, 1)->Texts().Title.isEmpty());

    // A last index before the first is clamped up to it; a first index past the end walks nothing.
    struct Range {
        int last, first;
        std::vector<int> walked;
    } ranges[] = {{0, 1, {1}}, {-1, 3, {3, 4}}, {7, 9, {}}, {2, -5, {0, 1, 2}}};
    for (const Range &r : ranges) {
        progress.clear();
        ASSERT_TRUE(refresh.Start(&list, r.last, r.first));
        ASSERT_TRUE(WaitUntil([this] { return !refresh.IsRunning(); }));
        EXPECT_EQ(progress, r.walked) << r.last << " " << r.first;
    }

    TMyWStrings empty;
    progress.clear();
    ASSERT_TRUE(refresh.Start(&empty));
    ASSERT_TRUE(WaitUntil([this] { return !refresh.IsRunning(); }));
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(completes, 6);
    EXPECT_EQ(TMyTagRefresh().Priority(), QThread::IdlePriority);
    EXPECT_EQ(TagProgressText(2, 10, QStringLiteral("/m/曲.mp3")), QStringLiteral("タグ取得中[3/10] /m/曲.mp3"));
}

// A damaged library is replaced and the list still fills from the files; with no usable
// library at all it fills too.
TEST_F(TagThreadsTest, ListFillsWithADamagedOrMissingLibrary)
{
    CloseLibrary();
    const QString db = dir.Path(QStringLiteral("damaged.sqlite3"));
    QByteArray junk(8192, '\0');
    for (char &ch : junk)
        ch = char(QRandomGenerator::global()->generate());
    dir.Write(QStringLiteral("damaged.sqlite3"), junk);
    ASSERT_TRUE(OpenLibraryFile(db));
    EXPECT_EQ(TestDir::Read(db + QStringLiteral(".corrupt")), junk);
    const QString a = Entry(QStringLiteral("a.ogg"));
    Walk();
    EXPECT_EQ(EntryTag(list, 0)->Texts().Title, QStringLiteral("a"));
    EXPECT_TRUE(Stored(a));

    CloseLibrary();
    ASSERT_TRUE(QDir().mkpath(dir.Path(QStringLiteral("folder.sqlite3"))));
    EXPECT_FALSE(OpenLibraryFile(dir.Path(QStringLiteral("folder.sqlite3"))));
    const QString b = Entry(QStringLiteral("b.ogg"));
    Walk();
    EXPECT_EQ(EntryTag(list, 1)->Texts().Title, QStringLiteral("b"));
    // Without a library the tags the list already holds stay; only the new entry is read.
    EXPECT_EQ(refresh.Statistics().ReadFully, 2);
    EXPECT_EQ(refresh.Statistics().TakenOver, 1);
    EXPECT_EQ(fake.Total(), 2);
    EXPECT_EQ(completes, 2);
}

// The player's own list, filled by a folder search, over a library file of random bytes: the
// file is kept aside, the tags come from the files, and the next walk reads none of them.
TEST_F(TagThreadsTest, PlayerListFillsFromTheFilesOverADamagedLibrary)
{
    CloseLibrary();
    const QString db = LibraryDatabaseFileName();
    QByteArray junk(4096, '\0');
    for (char &ch : junk)
        ch = char(QRandomGenerator::global()->generate());
    dir.Write(QFileInfo(db).fileName(), junk);
    ASSERT_TRUE(OpenLibrary());
    EXPECT_EQ(TestDir::Read(db + QStringLiteral(".corrupt")), junk);

    const QStringList titles = {QStringLiteral("春の歌"), QStringLiteral("Ünïcødé ♫"), QStringLiteral("It's")};
    for (int i = 0; i < titles.size(); ++i) {
        const QByteArray tag = id3::Tag(3, id3::Frame23("TIT2", id3::Text(1, QByteArray("\xFF\xFE", 2) +
                                                                               id3::Utf16Le(titles[i]))));
        File(QStringLiteral("music/%1.mp3").arg(i + 1), tag + id3::Audio());
    }
    TMyMediaStrings media;
    ASSERT_TRUE(media.SearchTarget(dir.Path(QStringLiteral("music/"))));
    ASSERT_EQ(media.Count(), 3);
    media.SortByName();
    ASSERT_TRUE(refresh.Start(&media));
    ASSERT_TRUE(WaitUntil([this] { return !refresh.IsRunning(); }));
    for (int i = 0; i < titles.size(); ++i) {
        EXPECT_EQ(media.Tag(i)->Texts().Title, titles[i]);
        TMyLibraryRecord r;
        ASSERT_TRUE(Stored(media[i], &r));
        EXPECT_EQ(r.Title, titles[i]);
    }
    EXPECT_EQ(fake.Total(), 3);

    TMyMediaStrings again;
    ASSERT_TRUE(again.SearchTarget(dir.Path(QStringLiteral("music/"))));
    ASSERT_TRUE(refresh.Start(&again));
    ASSERT_TRUE(WaitUntil([this] { return !refresh.IsRunning(); }));
    EXPECT_EQ(fake.Total(), 3);
    EXPECT_EQ(refresh.Statistics().FromLibrary, 3);
}

QStringList *g_log = nullptr;
void CollectLog(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    if (g_log && context.category && QByteArray(context.category) == "tavio.tags")
        g_log->append(text);
}

// Another player holding the library's write lock costs this walk its stores, not its reports.
TEST_F(TagThreadsTest, BusyLibraryIsLoggedOnceAndTheWalkGoesOn)
{
    for (int i = 0; i < 4; ++i)
        Entry(QStringLiteral("busy%1.ogg").arg(i));
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(LibraryFileName()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr), SQLITE_OK);
    // Every entry's store waits for its own batch.
    fake.during = [](const QString &) { QThread::msleep(300); };
    refresh.SetBusyTimeout(30);

    QStringList log;
    g_log = &log;
    const QtMessageHandler previous = qInstallMessageHandler(CollectLog);
    Walk();
    qInstallMessageHandler(previous);
    g_log = nullptr;
    sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_EQ(progress.size(), 4u);
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(log.size(), 1) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(Stored(list[0]));
}

// ---- the entry fetch ----------------------------------------------------------------------------

class TagFetchTest : public TagThreadsTest {
protected:
    void SetUp() override
    {
        TagThreadsTest::SetUp();
        QObject::connect(&fetch, &TMyTagFetch::entryTags, &fetch, [this](int index, const TMyTag *tag) {
            stages.push_back(QStringLiteral("tags %1 %2").arg(index).arg(tag ? tag->TitleOrName() : QStringLiteral("-")));
        });
        QObject::connect(&fetch, &TMyTagFetch::entryFileInfo, &fetch, [this](int index, const TMyTag *tag) {
            stages.push_back(QStringLiteral("info %1 %2").arg(index).arg(tag ? QString::number(tag->MediaDuration)
                                                                              : QStringLiteral("-")));
        });
    }
    void TearDown() override
    {
        fetch.StopAll();
        TagThreadsTest::TearDown();
    }
    bool Settled()
    {
        return WaitUntil([this] { return stages.size() >= 2 && fetch.ThreadCount() == 0; }, 20000);
    }
    TMyTagFetch fetch;
    QStringList stages;
};

TEST_F(TagFetchTest, DecidesWhatToReadFromTheEntrysTag)
{
    struct Case {
        const char *name;
        std::function<void(TMyTag &)> shape;  // makes the entry's tag
        bool readsFully;
        bool measuresOnly;
        QStringList stages;
    };
    const std::vector<Case> cases = {
        {"listing tag", [](TMyTag &) {}, true, false, {"tags 0 song", "info 0 12.5"}},
        {"current and measured", [](TMyTag &t) { t.EditTexts().Title = "Known"; t.MediaDuration = 3.0; }, false, false,
         {"tags 0 -", "info 0 -"}},
        {"current, not measured", [](TMyTag &t) { t.EditTexts().Title = "Known"; }, false, true,
         {"tags 0 Known", "info 0 12.5"}},
        {"written since", [](TMyTag &t) { t.EditTexts().Title = "Known"; t.MediaDuration = 3.0; t.FileWriteTime -= 1; }, true,
         false, {"tags 0 song", "info 0 12.5"}},
        {"name in other case",
         [](TMyTag &t) { t.SetFileName(t.FileName.replace("song.ogg", "Song.ogg")); t.EditTexts().Title = "Known"; t.MediaDuration = 3; },
         true, false, {"tags 0 song", "info 0 12.5"}},
    };
    const QString song = File(QStringLiteral("song.ogg"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        list.Clear();
        TMyTag *tag = ListingTag(song);
        c.shape(*tag);
        list.AddObject(song, tag);
        stages.clear();
        const int before = fake.Total();
        ASSERT_TRUE(fetch.Fetch(&list, 0));
        EXPECT_EQ(fetch.LastReadsFully(), c.readsFully);
        EXPECT_EQ(fetch.LastMeasuresOnly(), c.measuresOnly);
        ASSERT_TRUE(Settled());
        EXPECT_EQ(stages, c.stages);
        EXPECT_EQ(fake.Total() - before, c.readsFully || c.measuresOnly ? 1 : 0);
        if (c.readsFully || c.measuresOnly) {
            EXPECT_DOUBLE_EQ(EntryTag(list, 0)->MediaDuration, 12.5);  // stored with the entry
        }
    }
    EXPECT_FALSE(fetch.Fetch(&list, 5));
}

TEST_F(TagFetchTest, NewerClickCancelsTheOlderOne)
{
    const QString slow = Entry(QStringLiteral("slow.ogg"));
    const QString quick = Entry(QStringLiteral("quick.ogg"));
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    fake.during = [&](const QString &file) {
        if (file != slow)
            return;
        entered = true;
        while (!release)
            QThread::msleep(2);
    };
    ASSERT_TRUE(fetch.Fetch(&list, 0));
    ASSERT_TRUE(WaitUntil([&] { return entered.load() && stages.size() == 1; }));
    ASSERT_TRUE(fetch.Fetch(&list, 1));
    ASSERT_TRUE(WaitUntil([this] { return stages.size() >= 3; })) << stages.join(", ").toStdString();
    EXPECT_EQ(stages, (QStringList{"tags 0 slow", "tags 1 quick", "info 1 12.5"}));
    EXPECT_EQ(fetch.ThreadCount(), 1);  // the slow one is still measuring, owned and tracked
    release = true;
    ASSERT_TRUE(WaitUntil([this] { return fetch.ThreadCount() == 0; }));
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(stages.size(), 3);  // the cancelled one reported nothing more
    EXPECT_DOUBLE_EQ(EntryTag(list, 0)->MediaDuration, 0.0);
}

TEST_F(TagFetchTest, ReportForAnEntryThatMovedIsIgnored)
{
    Entry(QStringLiteral("first.ogg"));
    Entry(QStringLiteral("second.ogg"));
    ASSERT_TRUE(fetch.Fetch(&list, 0));
    list.Exchange(0, 1);  // before any report arrives
    ASSERT_TRUE(WaitUntil([this] { return fetch.ThreadCount() == 0; }));
    WaitUntil([] { return false; }, 100);
    EXPECT_TRUE(stages.isEmpty());
    EXPECT_TRUE(EntryTag(list, 0)->Texts().Title.isEmpty());
    EXPECT_TRUE(EntryTag(list, 1)->Texts().Title.isEmpty());
    EXPECT_EQ(fake.Total(), 1);
}

TEST_F(TagFetchTest, DestroyingTheOwnerJoinsItsThreads)
{
    Entry(QStringLiteral("first.ogg"));
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    fake.during = [&](const QString &) {
        entered = true;
        while (!release)
            QThread::msleep(2);
    };
    auto owner = std::make_unique<TMyTagFetch>();
    int seen = 0;
    QObject::connect(owner.get(), &TMyTagFetch::entryFileInfo, owner.get(), [&](int, const TMyTag *) { ++seen; });
    ASSERT_TRUE(owner->Fetch(&list, 0));
    ASSERT_TRUE(WaitUntil([&] { return entered.load(); }));
    std::thread releaser([&] {
        QThread::msleep(50);
        release = true;
    });
    owner.reset();  // waits for the measurement; nothing reaches the destroyed object afterwards
    releaser.join();
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(seen, 0);
    EXPECT_DOUBLE_EQ(EntryTag(list, 0)->MediaDuration, 0.0);
}

} // namespace
