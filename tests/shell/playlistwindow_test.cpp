// The playlist window over the real player, offscreen, on generated clips with a silent audio
// sink: playing a row by double click, deleting the playing row, moving rows while a file plays,
// and the find box's keys while the player window lives beside it.
#include "custom/actionbuilder.h"
#include "engine/dsplayer.h"
#include "playlist/mediaplaylist.h"
#include "playlist/playlistgrid.h"
#include "shell/appguard.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "widgets/heldmodifiers.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int kWaitMs = 20000;

class PlaylistWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApp<TMyApplication>(); }

    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        TApp_MEDIAPlayer::SetPropertyProgram(QString());
        SetMsgBoxAnswerer([this](const QString &text, const QString &caption, int) {
            boxes << caption + QLatin1Char('|') + text;
            return int(IDOK);
        });
        window = std::make_unique<TApp_MEDIAPlayer>();
        window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        window->resize(640, 400);
    }

    void TearDown() override
    {
        window.reset();
        SetMsgBoxAnswerer({});
        ClearHeldModifiers();
    }

    TMyDSPlayer *Player() const { return window->plyMedia(); }

    // Quiet mono clips of half a minute each (they outlast the test), named so they sort a, b, ...
    QStringList Clips(int count)
    {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const QString path = m_files.Path(QStringLiteral("%1.wav").arg(QChar(u'a' + i)));
            if (!QFileInfo::exists(path)) {
                EXPECT_TRUE(MakeMediaFile(path, Words(QStringLiteral("audiotestsrc num-buffers=60 samplesperbuffer=4000 "
                                                                     "volume=0.05 ! audio/x-raw,rate=8000,channels=1 ! "
                                                                     "wavenc"))))
                    << path.toStdString();
            }
            paths << path;
        }
        return paths;
    }

    // The clips opened as a command line brings them (the first plays), then the list shown.
    QStringList OpenAndShowList(int count)
    {
        const QStringList paths = Clips(count);
        QString text;
        for (const QString &p : paths)
            text += QStringLiteral("\"%1\" ").arg(p);
        window->show();
        window->MyMessagePanel1TextChange(nullptr, text);
        EXPECT_TRUE(WaitPlaying(paths.value(0)));
        ShowList();
        return paths;
    }

    // "リスト表示(&L)": the playlist window shown and active.
    void ShowList()
    {
        window->Execute(u"actList_Disp");
        list = window->App_MEDIAPlaylist;
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    }

    // The player runs this file.
    bool WaitPlaying(const QString &path)
    {
        return QTest::qWaitFor(
            [&] {
                return Player()->IsOpen() && Player()->FileName() == path && Player()->GetPlayState() == psRunning &&
                       Player()->Started();
            },
            kWaitMs);
    }
    // The row the grid marks as playing.
    int PlayingRow() const { return list->PlaylistDelegate->PlayingRow(); }
    QString RowFile(int row) const { return Player()->Playlist()->Get(row); }

    std::unique_ptr<TApp_MEDIAPlayer> window;
    TApp_MEDIAPlaylist *list = nullptr;
    QStringList boxes;
    TestDir m_runtime, m_home, m_files;
    ScopedEnvironment m_env;
};

// A double click on a row plays that row's file; deleting the playing row plays the one after it.
TEST_F(PlaylistWindowTest, DoubleClickPlaysTheRowAndDeletingThePlayingRowPlaysTheNext)
{
    const QStringList clips = OpenAndShowList(4);
    QTableView *grid = list->celPlaylist;
    const QPoint cell = grid->visualRect(list->PlaylistModel->index(2, 1)).center();
    ASSERT_FALSE(cell.isNull());
    // A double click comes as a click, then the second press as the double click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    ASSERT_TRUE(WaitPlaying(clips[2]));
    EXPECT_EQ(Player()->ItemIndex, 2);
    EXPECT_EQ(PlayingRow(), 2);

    // The playing row selected and deleted: the row after it (now at its place) plays.
    list->SelectRows(2, 2, 2);
    list->Execute(u"actListEdit_Delete");
    EXPECT_EQ(Player()->Playlist()->ToStringList(), (QStringList{clips[0], clips[1], clips[3]}));
    ASSERT_TRUE(WaitPlaying(clips[3]));
    EXPECT_EQ(Player()->ItemIndex, 2);
    EXPECT_EQ(PlayingRow(), 2);
    EXPECT_EQ(list->CurrentRow(), 2);

    // The last row playing and deleted: the play order goes on from the new last entry (the
    // list repeats by default, so the first row plays).
    list->SelectRows(2, 2, 2);
    list->Execute(u"actListEdit_Delete");
    ASSERT_TRUE(WaitPlaying(clips[0]));
    EXPECT_EQ(Player()->ItemIndex, 0);
    EXPECT_EQ(PlayingRow(), 0);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}

// The move commands carry the playing file's mark with it; the file plays on, never reopened.
TEST_F(PlaylistWindowTest, MovingRowsWhilePlayingKeepsTheMarkOnThePlayingFile)
{
    const QStringList clips = OpenAndShowList(5);
    Player()->PlayIndex(1);
    ASSERT_TRUE(WaitPlaying(clips[1]));
    // Far enough in that a reopening (which starts at 0) would show.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Player()->Position() >= 0.5; }, kWaitMs));
    const double before = Player()->Position();
    struct Step {
        const char *command;
        int first, last;   // the rows selected
        int playingAfter;  // the playing file's row afterwards
    };
    const Step steps[] = {
        {"actListMove_Bottom", 1, 2, 3},  // the playing row inside the block: a d e b c
        {"actListMove_Top", 4, 4, 4},     // a row from below it to the top: c a d e b
        {"actListMove_Up", 4, 4, 3},      // c a d b e
        {"actListMove_10Down", 0, 2, 0},  // the block above it moved past it: b e c a d
        {"actListMove_Top", 4, 4, 1},     // d b e c a
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(QStringLiteral("%1 %2..%3").arg(QLatin1String(s.command)).arg(s.first).arg(s.last).toStdString());
        list->SelectRows(s.first, s.last);
        list->Execute(QString::fromLatin1(s.command));
        EXPECT_EQ(Player()->ItemIndex, s.playingAfter);
        EXPECT_EQ(PlayingRow(), s.playingAfter);
        EXPECT_EQ(RowFile(s.playingAfter), clips[1]);
        EXPECT_EQ(Player()->FileName(), clips[1]);
        EXPECT_EQ(Player()->GetPlayState(), int(psRunning));
    }
    EXPECT_GE(Player()->Position(), before);
    // The play order follows the moved list: the row after the playing one comes next.
    window->Execute(u"actPlay_Next");
    EXPECT_EQ(RowFile(2), clips[4]);
    EXPECT_TRUE(WaitPlaying(clips[4]));
    EXPECT_EQ(PlayingRow(), 2);
}

// The find box's keys with the player window beside it: a key command takes the modifiers held
// when its key went down (Shift let go a moment before F3 still finds upwards), and the player's
// own keys (Up zooms the player) stay out of the playlist window.
TEST_F(PlaylistWindowTest, FindBoxKeysTakeTheModifiersOfTheirPressAndStayThePlaylists)
{
    OpenAndShowList(5);
    int zooms = 0;
    window->Commands->Attach(u"actZoom_Up", [&](QObject *) { ++zooms; });
    QLineEdit *box = list->edtToolFind_Find;
    box->setFocus();
    box->setText(QStringLiteral(".wav"));
    list->SelectRows(2, 2, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == box; }, kWaitMs));
    constexpr auto S = Qt::ShiftModifier, C = Qt::ControlModifier, N = Qt::NoModifier;
    struct Key {
        bool down;
        int key;
        Qt::KeyboardModifiers mods;
    };
    struct Step {
        const char *what;
        std::vector<Key> keys;
        int row;
    };
    const Step steps[] = {
        {"Shift+F3, Shift let go first",
         {{true, Qt::Key_Shift, S}, {true, Qt::Key_F3, S}, {false, Qt::Key_Shift, N}, {false, Qt::Key_F3, N}}, 1},
        {"F3, Shift pressed while F3 is down",
         {{true, Qt::Key_F3, N}, {true, Qt::Key_Shift, S}, {false, Qt::Key_F3, S}, {false, Qt::Key_Shift, N}}, 2},
        {"Ctrl+Shift+F3 from the last entry, both let go first",
         {{true, Qt::Key_Control, C}, {true, Qt::Key_Shift, C | S}, {true, Qt::Key_F3, C | S},
          {false, Qt::Key_Control, S}, {false, Qt::Key_Shift, N}, {false, Qt::Key_F3, N}}, 4},
        {"Up, the player's zoom key", {{true, Qt::Key_Up, N}, {false, Qt::Key_Up, N}}, 3},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        for (const Key &k : s.keys) {
            QKeyEvent event(k.down ? QEvent::KeyPress : QEvent::KeyRelease, k.key, k.mods);
            QApplication::sendEvent(box, &event);
        }
        EXPECT_EQ(list->CurrentRow(), s.row);
        EXPECT_EQ(box->text(), QStringLiteral(".wav"));
    }
    EXPECT_EQ(zooms, 0);
    EXPECT_TRUE(list->isActiveWindow());
}

} // namespace
