// The main window over a folder of tagged MP3 files: the background refresh fills the tag library
// of the data folder, the caption and hint follow the playing entry, and a second opening of the
// same folder takes every tag from the library.
#include "engine/dsplayer.h"
#include <QAction>
#include "engine/mediafixtures.h"
#include "engine/mediameasurer.h"
#include "shell/apptitle.h"
#include "shell/mediaplayer.h"
#include "shell/playerbinding.h"
#include "shell/videoarea.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "tags/id3fixtures.h"
#include "tags/taglibrary.h"
#include "tags/tagthreads.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kWaitMs = 60000;

struct TaggedFile {
    const char *name;
    QString title, artist, album;
    QString caption, hint;  // what the window shows while it plays
};

// The first has every field; the second has no artist, so the caption is its title alone and the
// hint skips the artist's line.
const TaggedFile kFiles[] = {
    {"01 morning.mp3", QStringLiteral("朝の歌"), QStringLiteral("山田 花子"), QStringLiteral("四季"),
     QStringLiteral("朝の歌 / 山田 花子"), QStringLiteral("朝の歌\n山田 花子\n四季")},
    {"02 night.mp3", QStringLiteral("Night Song"), QString(), QStringLiteral("Seasons"),
     QStringLiteral("Night Song"), QStringLiteral("Night Song\nSeasons")},
};

QByteArray Utf16Frame(const char *id, const QString &text)
{
    return id3::Frame23(id, id3::Text(1, QByteArray("\xFF\xFE", 2) + id3::Utf16Le(text)));
}

// An ID3v2.3 tag in front of a short encoded MP3 stream.
QByteArray TaggedMp3(const QByteArray &audio, const TaggedFile &f)
{
    QByteArray body = Utf16Frame("TIT2", f.title);
    if (!f.artist.isEmpty())
        body += Utf16Frame("TPE1", f.artist);
    if (!f.album.isEmpty())
        body += Utf16Frame("TALB", f.album);
    return id3::Tag(3, body) + audio;
}

class PlayerBindingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "shell_playerbinding_test";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            new QApplication(argc, argv);
        }
        engine::InstallMediaMeasurer();
    }

    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        ASSERT_TRUE(OpenLibrary());

        const QString mp3 = MediaFixtures::Get().Path(QStringLiteral("a.mp3"));
        ASSERT_FALSE(mp3.isEmpty()) << "lamemp3enc could not make the MP3 fixture";
        m_audio = TestDir::Read(mp3);
        ASSERT_TRUE(QDir().mkpath(Folder()));
        for (const TaggedFile &f : kFiles)
            m_files.Write(QStringLiteral("music/") + QString::fromUtf8(f.name), TaggedMp3(m_audio, f));
    }

    void TearDown() override
    {
        CloseLibrary();
    }

    QString Folder() const { return m_files.Path(QStringLiteral("music")); }
    QString FileOf(const TaggedFile &f) const { return QDir(Folder()).filePath(QString::fromUtf8(f.name)); }

    std::unique_ptr<TApp_MEDIAPlayer> NewWindow()
    {
        auto window = std::make_unique<TApp_MEDIAPlayer>();
        window->Command(u"actList_ReadTag")->trigger();  // tag reading on
        VideoAreaOf(window.get())->Player()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        // An idle-priority walk crawls on a busy test machine (its measurements then run out of time).
        // The walk belongs to the playlist window, made here rather than after the first show.
        window->PlaylistWindow();
        window->PlayerBinding->TagRefresh()->SetPriority(QThread::NormalPriority);
        return window;
    }

    // The way a command line arrives: through the window's message panel.
    static void Open(TApp_MEDIAPlayer &window, const QString &path)
    {
        window.MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(path));
    }

    TestDir m_runtime, m_home, m_files;
    QByteArray m_audio;
    ScopedEnvironment m_env;
};

TEST_F(PlayerBindingTest, AFolderFillsTheLibraryAndTheCaptionThenOpensAgainFromTheLibrary)
{
    const QString database = LibraryDatabaseFileName();
    EXPECT_EQ(QFileInfo(database).absolutePath(), QDir(m_home.Root()).absolutePath());

    auto window = NewWindow();
    window->show();
    TMyDSPlayer *player = VideoAreaOf(window.get())->Player();
    TMyTagRefresh *refresh = window->PlayerBinding->TagRefresh();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("tavio"));

    Open(*window, Folder());
    ASSERT_EQ(player->EntryCount(), 2);
    // Held at the first entry, so that a slow walk cannot outlast the three-second file.
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->GetPlayState() == psRunning && player->Started(); }, kWaitMs));
    player->Pause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PlayerBinding->TagsComplete(); }, kWaitMs));
    EXPECT_EQ(player->FileName(), FileOf(kFiles[0]));
    EXPECT_EQ(window->windowTitle(), kFiles[0].caption);
    EXPECT_EQ(window->toolTip(), kFiles[0].hint);
    EXPECT_EQ(ApplicationTitle(), kFiles[0].title);
    const TMyTagRefresh::Counts first = refresh->Statistics();
    EXPECT_EQ(first.ReadFully, 2);

    // Every file has its record, measured, in the data folder's library.
    {
        TMyTagLibrary library(database);
        ASSERT_TRUE(library.IsOpen()) << library.LastError().toStdString();
        EXPECT_EQ(library.RecordCount(), 2);
        for (const TaggedFile &f : kFiles) {
            SCOPED_TRACE(f.name);
            TMyLibraryRecord record;
            ASSERT_EQ(library.Lookup(FileOf(f), record), TLibraryResult::Ok);
            EXPECT_EQ(record.Title, f.title);
            EXPECT_EQ(record.Artist, f.artist);
            EXPECT_EQ(record.Album, f.album);
            EXPECT_EQ(record.FileSize, QFileInfo(FileOf(f)).size());
            EXPECT_GT(record.MediaDuration, 2.0);
        }
    }

    // The next entry: a title without an artist.
    player->PlayIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->GetPlayState() == psRunning && player->Started(); }, kWaitMs));
    EXPECT_EQ(window->windowTitle(), kFiles[1].caption);
    EXPECT_EQ(window->toolTip(), kFiles[1].hint);
    EXPECT_EQ(ApplicationTitle(), kFiles[1].title);

    // The same folder again: the records are current, so the walk reads no file.
    Open(*window, Folder());
    ASSERT_EQ(player->EntryCount(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->GetPlayState() == psRunning && player->Started(); }, kWaitMs));
    player->Pause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PlayerBinding->TagsComplete(); }, kWaitMs));
    const TMyTagRefresh::Counts second = refresh->Statistics();
    EXPECT_EQ(second.ReadFully, first.ReadFully);
    EXPECT_EQ(second.MediaOnly, first.MediaOnly);
    EXPECT_EQ(second.FromLibrary - first.FromLibrary, 2);
    EXPECT_EQ(window->windowTitle(), kFiles[0].caption);
    EXPECT_EQ(TMyTagLibrary(database).RecordCount(), 2);
}

// What the library holds for the playing entry reaches the caption once the walk reports it: a
// current record wins over the texts the player read at opening.
TEST_F(PlayerBindingTest, TheReportOfThePlayingEntrySetsTheCaption)
{
    const QString file = FileOf(kFiles[0]);
    {
        TMyTag read(file);
        TMyLibraryRecord record = LibraryRecordOf(read);
        record.Title = QStringLiteral("From the library");
        record.Artist = QStringLiteral("Somebody");
        record.Album.clear();
        record.MediaDuration = 3.0;
        record.MediaLength = 3;
        TMyTagLibrary library(LibraryDatabaseFileName());
        ASSERT_EQ(library.Store(record), TLibraryResult::Ok);
    }
    auto window = NewWindow();
    TMyDSPlayer *player = VideoAreaOf(window.get())->Player();
    TMyTagRefresh *refresh = window->PlayerBinding->TagRefresh();
    Open(*window, file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PlayerBinding->TagsComplete(); }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->GetPlayState() == psRunning; }, kWaitMs));
    EXPECT_EQ(refresh->Statistics().FromLibrary, 1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("From the library / Somebody"));
    EXPECT_EQ(window->toolTip(), QStringLiteral("From the library\nSomebody"));

    // Tag reading off: a new list is not walked.
    window->Command(u"actList_ReadTag")->trigger();  // tag reading off
    Open(*window, Folder());
    EXPECT_FALSE(refresh->IsRunning());
    EXPECT_FALSE(window->PlayerBinding->TagsComplete());
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->GetPlayState() == psRunning; }, kWaitMs));
    EXPECT_EQ(window->windowTitle(), kFiles[0].caption);  // the player's own reading
}

// Closing the window, or replacing its list, in the middle of a walk stops the walk first; what
// it had read stays in the library.
TEST_F(PlayerBindingTest, AWalkInProgressEndsWithTheListOrTheWindow)
{
    for (int i = 0; i < 120; ++i)
        m_files.Write(QStringLiteral("music/extra %1.mp3").arg(i, 3, 10, QLatin1Char('0')), TaggedMp3(m_audio, kFiles[1]));
    auto window = NewWindow();
    TMyTagRefresh *refresh = window->PlayerBinding->TagRefresh();
    Open(*window, Folder());
    ASSERT_TRUE(refresh->IsRunning());
    Open(*window, FileOf(kFiles[0]));  // replaced while the first walk runs
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PlayerBinding->TagsComplete(); }, kWaitMs));
    EXPECT_EQ(VideoAreaOf(window.get())->Player()->EntryCount(), 1);

    Open(*window, Folder());
    ASSERT_TRUE(refresh->IsRunning());
    window.reset();
    QCoreApplication::processEvents();  // reports of the stopped walk find nobody
    TMyTagLibrary library(LibraryDatabaseFileName());
    ASSERT_TRUE(library.IsOpen());
    EXPECT_GE(library.RecordCount(), 1);
}

} // namespace
