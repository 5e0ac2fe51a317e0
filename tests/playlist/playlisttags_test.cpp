// The playlist window's background tag work against a measurer that takes seconds: edits and
// sorts during a walk return at once, what the stopped walk still had in hand changes nothing,
// the walk resumes and completes, and the window can go in the middle of a walk.
#include "fakeplayer.h"
#include "playlist/mediaplaylist.h"
#include "support/tempdir.h"
#include "tags/mediameasure.h"
#include "tags/mytag.h"
#include "tags/taglibrary.h"
#include "tags/tagthreads.h"

#include <QAction>
#include <QElapsedTimer>
#include <QThread>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr int kWaitMs = 30000;

// The first measurement holds until released (every test releases it at its end; twenty seconds
// at most, should a test fail before) and reports 111 s; every later one answers at once with 5 s.
struct SlowMeasurer {
    std::atomic<int> calls{0};
    std::atomic<bool> release{false};
    std::atomic<bool> holding{false};

    TMediaInfo Measure()
    {
        if (calls.fetch_add(1) == 0) {
            holding = true;
            QElapsedTimer t;
            t.start();
            while (!release && t.elapsed() < 20000)
                QThread::msleep(5);
            holding = false;
            return {111.0, 0, 0, 0};
        }
        return {5.0, 0, 0, 0};
    }
};
SlowMeasurer *g_measurer = nullptr;

class PlaylistTagsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication("playlist_playlisttags_test"); }

    void SetUp() override
    {
        qputenv("TAVIO_HOME", m_dir.Root().toUtf8());
        ASSERT_TRUE(OpenLibraryFile(m_dir.Path(QStringLiteral("lib.sqlite3"))));
        g_measurer = &m_measurer;
        SetMediaMeasurer([](const QString &) { return g_measurer->Measure(); });
        for (int i = 0; i < 4; ++i) {
            const QString path = m_dir.Write(QStringLiteral("f%1.mp3").arg(i), QByteArray("media bytes"));
            player.Playlist()->AddObject(path, player.Playlist()->CreateTagFor(path));
        }
        player.readTag = true;
        window = std::make_unique<TApp_MEDIAPlaylist>(&player);
        window->TagRefresh()->SetPriority(QThread::NormalPriority);
        window->Confirm = [](const QString &) { return true; };
    }
    void TearDown() override
    {
        m_measurer.release = true;
        window.reset();
        SetMediaMeasurer(nullptr);
        g_measurer = nullptr;
        CloseLibrary();
        qunsetenv("TAVIO_HOME");
    }

    double Duration(const QString &name)
    {
        for (int i = 0; i < player.Playlist()->Count(); ++i)
            if (player.Playlist()->Get(i).endsWith(name))
                if (auto *tag = dynamic_cast<TMyCustomTag *>(player.Playlist()->GetObject(i)))
                    return tag->MediaDuration;
        return -1;
    }

    TestDir m_dir;
    SlowMeasurer m_measurer;
    FakePlayer player;
    std::unique_ptr<TApp_MEDIAPlaylist> window;
};

TEST_F(PlaylistTagsTest, EditsAndSortsDuringAWalkReturnAtOnceAndTheWalkCompletes)
{
    window->ListLoaded();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_measurer.holding.load(); }, kWaitMs));
    EXPECT_FALSE(window->TagsComplete);

    // The first entry is being measured: moving it and sorting do not wait for that.
    QElapsedTimer t;
    t.start();
    window->SelectRows(0, 0);
    window->Command(u"actListMove_Bottom")->trigger();
    window->SortList(1);
    window->SortList(1);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(m_measurer.holding.load());
    EXPECT_GE(window->TagRefresh()->RetiredCount(), 1);

    // A later walk fills every entry while the first one is still held.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->TagsComplete; }, kWaitMs));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("プレイリスト"));
    for (int i = 0; i < 4; ++i)
        EXPECT_DOUBLE_EQ(Duration(QStringLiteral("f%1.mp3").arg(i)), 5.0) << i;

    // Released, the stopped walk's measurement goes nowhere.
    m_measurer.release = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->TagRefresh()->RetiredCount() == 0; }, kWaitMs));
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(Duration(QStringLiteral("f0.mp3")), 5.0);
    EXPECT_TRUE(window->TagsComplete);
}

TEST_F(PlaylistTagsTest, TheWindowGoesInTheMiddleOfAWalk)
{
    window->ListLoaded();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_measurer.holding.load(); }, kWaitMs));
    window->StopTagRefresh();  // one walk retired, held in its measurement
    window->StartTagRefresh();
    std::thread releaser([this] {
        QThread::msleep(200);
        m_measurer.release = true;
    });
    window.reset();  // joins both walks
    releaser.join();
    QCoreApplication::processEvents();  // their reports find nobody
    SUCCEED();
}

} // namespace
