// The player window's transport offscreen, over the real player on short generated clips with a
// silent audio sink; the display timers are ticked by hand.
#include "custom/actionbuilder.h"
#include "custom/commandcatalogue.h"
#include "custom/keybindings.h"
#include "engine/dsplayer.h"
#include "engine/mediafixtures.h"
#include "engine/playererror.h"
#include "shell/appguard.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "shell/playerwindowtexts.h"
#include "shell/videoarea.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "support/waits.h"
#include "widgets/heldmodifiers.h"
#include "widgets/mytrackbar.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

constexpr int kWaitMs = 20000;

class PlayerWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApp<TMyApplication>(); }

    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        TApp_MEDIAPlayer::SetPropertyProgram(QString());
        SetMsgBoxAnswerer([this](const QString &text, const QString &caption, int flags) {
            boxes << caption + QLatin1Char('|') + text;
            return answer ? answer : DefaultMsgBoxAnswer(flags);
        });
    }

    void TearDown() override
    {
        window.reset();
        SetMsgBoxAnswerer({});
        ClearHeldModifiers();
    }

    TApp_MEDIAPlayer &NewWindow()
    {
        window = std::make_unique<TApp_MEDIAPlayer>();
        window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        window->resize(640, 400);
        return *window;
    }

    TMyDSPlayer *Player() const { return window->plyMedia(); }

    static QString Clip(const char *name)
    {
        const QString path = MediaFixtures::Get().Path(QString::fromLatin1(name));
        EXPECT_FALSE(path.isEmpty()) << name;
        return path;
    }

    // A fixture copied under a name of its own into the test's folder (so lists sort by name).
    QString CopyOf(const char *fixture, const QString &name)
    {
        const QString path = m_files.Path(name);
        if (!QFileInfo::exists(path))
            QFile::copy(Clip(fixture), path);
        return path;
    }

    // Two minutes of quiet mono sound, small enough to make at once.
    QString LongClip()
    {
        const QString path = m_files.Path(QStringLiteral("long.wav"));
        if (!QFileInfo::exists(path)) {
            EXPECT_TRUE(MediaFixtures::Launch(QStringLiteral("audiotestsrc num-buffers=240 samplesperbuffer=4000 "
                                                             "volume=0.05 ! audio/x-raw,rate=8000,channels=1 ! "
                                                             "wavenc ! filesink location=\"%1\"")
                                                  .arg(path)));
        }
        return path;
    }

    QString BadFile(const QString &name)
    {
        m_files.Write(name, QByteArray("this is no media file at all\n").repeated(40));
        return m_files.Path(name);
    }

    // The list opened the way a command line arrives, then held paused at the start.
    void OpenPaused(const QStringList &paths)
    {
        QString text;
        for (const QString &p : paths)
            text += QStringLiteral("\"%1\" ").arg(p);
        window->MyMessagePanel1TextChange(nullptr, text);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Player()->IsOpen() && Player()->GetPlayState() == psRunning; }, kWaitMs));
        Player()->Pause();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs));
    }

    void SeekAndSettle(double seconds)
    {
        Player()->SetPosition(seconds);
        QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs);
    }

    std::unique_ptr<TApp_MEDIAPlayer> window;
    QStringList boxes;
    int answer = 0;
    TestDir m_runtime, m_home, m_files;
    ScopedEnvironment m_env;
};

TEST(PlayerWindowTexts, FileInfoAndTime)
{
    struct Case {
        bool video;
        double frameRate;
        std::array<int, 6> quality;
        const char *info;
    } cases[] = {
        {false, 0, {}, "3.5KB 3秒 (2024/05/01)"},
        {true, 25, {}, "3.5KB 3秒 (2024/05/01) 160x120 25.00"},
        {true, 0, {}, "3.5KB 3秒 (2024/05/01) 160x120 -"},
        // average rate, sync offset, deviation, drawn, dropped, jitter
        {true, 29.97, {2950, 4, 2, 120, 3, 7}, "3.5KB 3秒 (2024/05/01) 160x120 29.50/29.97fps 120/3frames [7 4 2]"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PlayerFileInfoText(QStringLiteral("3.5KB"), QStringLiteral("3"), QStringLiteral("2024/05/01 12:00:00"),
                                     c.video, 160, 120, c.frameRate, c.quality),
                  QString::fromUtf8(c.info));
    EXPECT_EQ(PlayerTimeText(false, 65.4, 3725), QStringLiteral("1:05/1:02:05"));
    EXPECT_EQ(PlayerTimeText(false, 0.2, 3), QStringLiteral("0/3"));
    EXPECT_EQ(PlayerTimeText(true, 61.25, 0.5), QStringLiteral("1:01.250/0.500"));
}

// The window's labels and time display while a clip is open, and after the list is gone.
TEST_F(PlayerWindowTest, LabelsFollowTheOpenMedia)
{
    NewWindow();
    window->show();
    const QString clip = Clip("v25.avi");
    OpenPaused({clip});
    EXPECT_EQ(window->Label_FileName->text(), clip);
    EXPECT_EQ(window->Label_Title->text(), QStringLiteral("v25"));
    EXPECT_TRUE(window->Label_VideoSize->isVisibleTo(window.get()));
    EXPECT_EQ(window->TrackBar_Seek->maximum(), 3);
    EXPECT_TRUE(window->TrackBar_Seek->isEnabled());
    window->Command(u"actDisp_TimeVerbose")->setChecked(false);
    SeekAndSettle(1.0);
    window->Timer_SeekBarTimer(window->Timer_SeekBar);
    window->Timer_TimeTimer();
    EXPECT_EQ(window->lblTime->text(), QStringLiteral("1/3"));
    EXPECT_EQ(window->TrackBar_Seek->value(), 1);
    EXPECT_TRUE(window->Label_FileInfo->text().contains(QStringLiteral("3秒 (")));
    // Size and frame rate; once frames have been counted the rate comes after their measured one.
    EXPECT_TRUE(QRegularExpression(QStringLiteral(" 160x120 (\\d+\\.\\d\\d/)?25\\.00($|fps )")).match(window->Label_FileInfo->text()).hasMatch())
        << window->Label_FileInfo->text().toStdString();
    EXPECT_TRUE(window->Timer_SeekBar->isActive());  // run with a sender: the timers go on
    EXPECT_TRUE(window->Timer_Time->isActive());
    window->Command(u"actDisp_TimeVerbose")->setChecked(true);
    window->Timer_TimeTimer();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[01]\\.\\d{3}/[23]\\.\\d{3}$")).match(window->lblTime->text()).hasMatch())
        << window->lblTime->text().toStdString();

    // Deleting the only entry leaves an empty list: nothing plays, the caption is the program's.
    answer = IDYES;
    window->Command(u"actList_Del")->setEnabled(true);
    window->Execute(u"actList_Del");
    EXPECT_EQ(Player()->EntryCount(), 0);
    EXPECT_FALSE(Player()->IsOpen());
    EXPECT_EQ(window->windowTitle(), AppTitle());
    EXPECT_EQ(window->lblTime->text(), QString());
    for (QLabel *label : {window->Label_FileName, window->Label_Title, window->Label_Artist, window->Label_Album,
                          window->Label_FileInfo})
        EXPECT_EQ(label->text(), QString()) << label->objectName().toStdString();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0], QStringLiteral("tavio|%1\r%2\r\rリストから削除しますか")
                            .arg(QFileInfo(clip).absolutePath() + QLatin1Char('/'), QFileInfo(clip).fileName()));
}

// A-B repeat: the check of the time tick jumps back to A; seeks outside widen the range; points
// set the wrong way round never leave an end before the start.
TEST_F(PlayerWindowTest, ABRepeatPointsAndTheJumpBack)
{
    NewWindow();
    OpenPaused({LongClip()});
    window->Command(u"actPlay_RepeatAB")->trigger();
    EXPECT_EQ(Player()->RepeatMode, rmOne);
    EXPECT_TRUE(window->Command(u"actPlay_RepeatAB_Start")->isEnabled());
    struct Step {
        const char *what; // "A", "B", "seek", "tick"
        double at;
        double pointA, pointB;
    } steps[] = {
        {"A", 10, 10, 0},
        {"B", 20, 10, 20},
        {"seek", 25, 10, 25},   // past B: B follows
        {"seek", 5, 5, 25},     // before A: A follows
        {"A", 30, 30, 0},       // A at or after B drops B
        {"B", 20, 0, 20},       // B at or before A moves A to the start
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(std::string(s.what) + " " + std::to_string(s.at));
        if (std::string(s.what) == "seek") {
            window->SeekTo(s.at);
        } else {
            SeekAndSettle(s.at);
            window->Timer_SeekBarTimer(nullptr);
            window->Execute(std::string(s.what) == "A" ? u"actPlay_RepeatAB_Start" : u"actPlay_RepeatAB_End");
        }
        EXPECT_NEAR(window->PointA, s.pointA, 0.2);
        EXPECT_NEAR(window->PointB, s.pointB, 0.2);
    }
    // From 10 to 20: reaching 20 jumps back to 10 within one tick.
    SeekAndSettle(10);
    window->Timer_SeekBarTimer(nullptr);
    window->Execute(u"actPlay_RepeatAB_Start");
    SeekAndSettle(20.05);
    window->Timer_SeekBarTimer(nullptr);
    window->Execute(u"actPlay_RepeatAB_End");
    window->Timer_TimeTimer();
    QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs);
    EXPECT_NEAR(Player()->Position(), 10, 0.2);
    EXPECT_EQ(window->TrackBar_Seek->SelStart(), 10);
    EXPECT_EQ(window->TrackBar_Seek->SelEnd(), 20);

    // Back to repeating everything: points and selection go.
    window->Command(u"actPlay_RepeatAll")->trigger();
    EXPECT_EQ(Player()->RepeatMode, rmAll);
    EXPECT_EQ(window->PointA, 0);
    EXPECT_EQ(window->PointB, 0);
    EXPECT_EQ(window->TrackBar_Seek->SelEnd(), 0);
    EXPECT_FALSE(window->Command(u"actPlay_RepeatAB_Start")->isEnabled());
}

TEST_F(PlayerWindowTest, SkipsByModifierAndStayInsideTheFile)
{
    NewWindow();
    OpenPaused({LongClip()});
    ASSERT_EQ(Player()->DurationSeconds(), 120);
    struct Case {
        Qt::KeyboardModifiers held;
        const char16_t *command;
        double from, to;
    } cases[] = {
        {Qt::NoModifier, u"actPlay_SkipNext", 20, 50},
        {Qt::ShiftModifier, u"actPlay_SkipNext", 20, 110},
        {Qt::ControlModifier, u"actPlay_SkipNext", 20, 21},
        {Qt::ShiftModifier | Qt::ControlModifier, u"actPlay_SkipNext", 20, 32},  // a tenth of the file
        {Qt::NoModifier, u"actPlay_SkipBack", 20, 0},                             // not before the start
        {Qt::ShiftModifier, u"actPlay_SkipNext", 100, 120},                       // not past the end
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.command).toStdString() + " " + std::to_string(c.from));
        SeekAndSettle(c.from);
        SetHeldModifiers(c.held);
        window->Execute(c.command);
        ClearHeldModifiers();
        QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs);
        EXPECT_NEAR(Player()->Position(), c.to, 0.3);
        EXPECT_FALSE(window->UpdateLock);
    }
}

// The seek bar: a click goes to the clicked second; the balance bar snaps near the middle only
// once the button is released.
TEST_F(PlayerWindowTest, SeekBarClickAndBalanceSnap)
{
    NewWindow();
    window->show();
    window->Command(u"actPlay_Balance")->trigger();
    OpenPaused({LongClip()});
    TMyTrackBar *seek = window->TrackBar_Seek;
    const TrackMetrics m = seek->Metrics();
    QTest::mouseClick(seek, Qt::LeftButton, {}, QPoint(TrackXFromValue(m, 60), seek->height() / 2));
    QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs);
    EXPECT_NEAR(Player()->Position(), 60, 1.0);

    TMyTrackBar *balance = window->barBalance;
    ASSERT_TRUE(balance->isVisible());
    balance->setFixedWidth(440);  // two pixels a step, so every value can be pointed at
    QCoreApplication::processEvents();
    struct Case {
        int value, released;
    } cases[] = {{7, 0}, {-9, 0}, {50, 50}, {-12, -12}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        balance->setValue(-60);  // away from the snap zone
        const TrackMetrics bm = balance->Metrics();
        const int y = balance->height() / 2;
        QTest::mousePress(balance, Qt::LeftButton, {}, QPoint(TrackXFromValue(bm, -60), y));
        QTest::mouseMove(balance, QPoint(TrackXFromValue(bm, c.value), y));
        EXPECT_EQ(balance->value(), c.value);  // held: no snap yet
        EXPECT_EQ(Player()->Balance(), c.value);
        QTest::mouseRelease(balance, Qt::LeftButton, {}, QPoint(TrackXFromValue(bm, c.value), y));
        EXPECT_EQ(balance->value(), c.released);
        EXPECT_EQ(Player()->Balance(), c.released);
    }
}

TEST_F(PlayerWindowTest, TheThreeAnswersToAFileThatCannotPlay)
{
    struct Case {
        int answer;
        int count;      // entries left
        int playing;    // the entry open afterwards, -1 for none
    } cases[] = {{IDYES, 2, 0}, {IDNO, 3, 1}, {IDCANCEL, 3, -1}};
    const QString bad = BadFile(QStringLiteral("0 broken.mp3"));
    const QString second = CopyOf("tone.wav", QStringLiteral("1 tone.wav")), third = CopyOf("v25.avi", QStringLiteral("2 v25.avi"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        NewWindow();
        boxes.clear();
        answer = c.answer;
        window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\" \"%2\" \"%3\"").arg(bad, second, third));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.isEmpty(); }, kWaitMs));
        // The answer has taken effect: the entry dropped or kept, the next one opening or none.
        Settled([&] { return Player()->EntryCount() == c.count && Player()->IsOpen() == (c.playing >= 0); }, kWaitMs);
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0], QStringLiteral("tavio|%1\rは再生できません。リストから削除しますか").arg(bad));
        EXPECT_EQ(Player()->EntryCount(), c.count);
        if (c.playing < 0) {
            EXPECT_FALSE(Player()->IsOpen());
        } else {
            EXPECT_TRUE(QTest::qWaitFor([&] { return Player()->IsOpen(); }, kWaitMs));
            EXPECT_EQ(Player()->ItemIndex, c.playing);
            EXPECT_EQ(Player()->FileName(), second);
        }
    }
    // Refusing the only entry leaves an empty list.
    NewWindow();
    boxes.clear();
    answer = IDYES;
    window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(bad));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.isEmpty(); }, kWaitMs));
    Settled([&] { return Player()->EntryCount() == 0; }, kWaitMs);
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_EQ(Player()->EntryCount(), 0);
    EXPECT_FALSE(Player()->IsOpen());
    EXPECT_EQ(window->windowTitle(), AppTitle());
}

// The wheel over the seek bar is the window's (zoom, or a skip with the right button held): the
// bar on its own would move its thumb away from the playing second without seeking. The volume
// bar keeps the wheel, and the volume follows it.
TEST_F(PlayerWindowTest, TheWheelOverTheSeekBarNeverLeavesItOutOfStep)
{
    NewWindow();
    window->show();
    OpenPaused({LongClip()});
    SeekAndSettle(60);
    window->Timer_SeekBarTimer(window->Timer_SeekBar);
    ASSERT_EQ(window->TrackBar_Seek->value(), 60);
    QList<int> zooms;
    window->OnZoomWheel = [&](int delta) { zooms << delta; };
    auto wheel = [](QWidget *w, int delta) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &event);
    };
    wheel(window->TrackBar_Seek, -120);
    wheel(window->TrackBar_Seek, -120);
    EXPECT_EQ(zooms, (QList<int>{-120, -120}));
    EXPECT_EQ(window->TrackBar_Seek->value(), 60);
    EXPECT_NEAR(Player()->Position(), 60, 0.5);

    window->Command(u"actPlay_Volume")->trigger();
    ASSERT_TRUE(window->barVolume->isVisible());
    wheel(window->barVolume, -120);
    EXPECT_LT(window->barVolume->value(), 100);
    EXPECT_EQ(Player()->Volume(), window->barVolume->value());
    EXPECT_EQ(zooms.size(), 2);
}

// While a question about one entry waits, a second start can hand the player a new list: the
// answer then belongs to an entry that is gone and touches nothing of the new list.
TEST_F(PlayerWindowTest, AnAnswerAboutAnEntryThatWentMeanwhileActsOnNothing)
{
    const QString bad = BadFile(QStringLiteral("0 broken.mp3"));
    const QString tone = CopyOf("tone.wav", QStringLiteral("1 tone.wav"));
    const QString a = CopyOf("tone.wav", QStringLiteral("a.wav")), b = CopyOf("v25.avi", QStringLiteral("b.avi"));
    const QString newList = QStringLiteral("\"%1\" \"%2\"").arg(a, b);
    struct Case {
        const char *what;
        bool deleteCommand;  // else the question about a file that cannot play
        int answer;
    } cases[] = {{"delete, yes", true, IDYES}, {"cannot play, yes", false, IDYES}, {"cannot play, no", false, IDNO}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        NewWindow();
        boxes.clear();
        SetMsgBoxAnswerer([&](const QString &text, const QString &, int) {
            boxes << text;
            window->MyMessagePanel1TextChange(nullptr, newList);
            return c.answer;
        });
        if (c.deleteCommand) {
            OpenPaused({tone});
            window->Command(u"actList_Del")->setEnabled(true);
            window->Execute(u"actList_Del");
        } else {
            window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\" \"%2\"").arg(bad, tone));
            ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.isEmpty(); }, kWaitMs));
        }
        Settled([&] { return Player()->IsOpen() && Player()->GetPlayState() == psRunning; }, kWaitMs);
        EXPECT_EQ(boxes.size(), 1);
        ASSERT_EQ(Player()->EntryCount(), 2);
        EXPECT_EQ(Player()->Playlist()->Get(0), a);
        EXPECT_EQ(Player()->Playlist()->Get(1), b);
        EXPECT_EQ(Player()->ItemIndex, 0);
        EXPECT_EQ(Player()->FileName(), a);
    }
}

// Where an opened file starts: the resume point, else the start position when it lies inside.
TEST_F(PlayerWindowTest, ResumePointAndStartPosition)
{
    NewWindow();
    const QString longClip = LongClip(), shortClip = CopyOf("tone.wav", QStringLiteral("tone.wav"));
    OpenPaused({longClip, shortClip});
    struct Case {
        int savedIndex;
        double savedPosition, startPosition;
        int open;              // entry opened
        int expectIndex;       // entry open afterwards
        double expectPosition;
    } cases[] = {
        {-1, 0, 0, 0, 0, 0},
        {-1, 0, 40, 0, 0, 40},      // inside the file
        {-1, 0, 40, 1, 1, 0},       // longer than the file: from the start
        {0, 70, 40, 0, 0, 70},      // the resume point wins
        {1, 50, 0, 1, 0, 0},        // past the end: cleared, the next entry plays from its start
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.savedPosition);
        window->SavedIndex = c.savedIndex;
        window->SavedPosition = c.savedPosition;
        window->StartPosition = c.startPosition;
        Player()->Close();
        Player()->PlayIndex(c.open);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return Player()->ItemIndex == c.expectIndex && Player()->GetPlayState() == psRunning && Player()->Started();
        }, kWaitMs));
        Player()->Pause();
        QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs);
        EXPECT_NEAR(Player()->Position(), c.expectPosition, 0.5);
        EXPECT_EQ(window->SavedIndex, -1);
        EXPECT_EQ(window->SavedPosition, 0);
    }
    // A one-entry list whose resume point lies past its end plays once from the start.
    Player()->Close();
    OpenPaused({shortClip});
    window->SavedIndex = 0;
    window->SavedPosition = 500;
    window->StartPosition = 0;
    Player()->PlayIndex(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Player()->GetPlayState() == psRunning && Player()->Started(); }, kWaitMs));
    EXPECT_LT(Player()->Position(), 1.0);
    EXPECT_EQ(window->SavedIndex, -1);
}

TEST_F(PlayerWindowTest, CommandAvailabilityFollowsTheListAndTheMedia)
{
    NewWindow();
    struct Expect {
        const char16_t *command;
        bool empty, oneAudio, videoAndAudio;
    } expects[] = {
        {u"actPlay_PlayPause", false, true, true}, {u"actPlay_SkipNext", false, true, true},
        {u"actPlay_Next", false, false, true},     {u"actPlay_Back", false, false, true},
        {u"actPlay_FrameNext", false, false, true}, {u"actList_Del", false, true, true},
        {u"Action_FileProperty", false, true, true},
    };
    auto check = [&](int column) {
        window->mnuPopupPopup();
        for (const Expect &e : expects) {
            const bool want = column == 0 ? e.empty : column == 1 ? e.oneAudio : e.videoAndAudio;
            EXPECT_EQ(window->Command(e.command)->isEnabled(), want) << QString::fromUtf16(e.command).toStdString() << column;
        }
    };
    check(0);
    OpenPaused({Clip("tone.wav")});
    check(1);
    OpenPaused({CopyOf("v25.avi", QStringLiteral("1 v25.avi")), CopyOf("tone.wav", QStringLiteral("2 tone.wav"))});
    check(2);
    // Shift shows the switch that keeps the settings file unwritten.
    EXPECT_FALSE(window->Command(u"actOpt_NotSaveIni")->isVisible());
    SetHeldModifiers(Qt::ShiftModifier);
    window->mnuPopupPopup();
    EXPECT_TRUE(window->Command(u"actOpt_NotSaveIni")->isVisible());
}

TEST_F(PlayerWindowTest, RateAndRepeatChoicesAreCheckedAndApplied)
{
    NewWindow();
    OpenPaused({LongClip()});
    EXPECT_EQ(window->RateIndex, 7);
    EXPECT_TRUE(window->IsChecked(u"actPlay_Rate_10"));
    struct Case {
        const char16_t *command;
        int index;
        double rate;
    } cases[] = {{u"actPlay_Rate_15", 4, 1.5}, {u"actPlay_Rate_05", 12, 0.5}, {u"actPlay_Rate_10", 7, 1.0}};
    for (const Case &c : cases) {
        window->Command(c.command)->trigger();
        EXPECT_EQ(window->RateIndex, c.index);
        EXPECT_TRUE(window->IsChecked(c.command));
        EXPECT_NEAR(Player()->Rate(), c.rate, 0.01);
        EXPECT_EQ(window->Command(u"actPlay_Rate")->property("ImageIndex").toInt(),
                  FindCommand(c.command)->ImageIndex);
    }
    // The chosen rate holds for the next file.
    window->Command(u"actPlay_Rate_20")->trigger();
    Player()->OpenIndex(0);
    EXPECT_NEAR(Player()->Rate(), 2.0, 0.01);
    EXPECT_TRUE(window->IsChecked(u"actPlay_Rate_20"));

    window->Command(u"actPlay_RepeatOne")->trigger();
    EXPECT_TRUE(window->IsChecked(u"actPlay_RepeatOne"));
    EXPECT_FALSE(window->IsChecked(u"actPlay_RepeatAll"));
    EXPECT_EQ(Player()->RepeatMode, rmOne);
    EXPECT_EQ(window->Command(u"actPlay_Repeat")->property("ImageIndex").toInt(),
              FindCommand(u"actPlay_RepeatOne")->ImageIndex);
}

// A bound key runs its command once on its release, before the focused control sees it.
TEST_F(PlayerWindowTest, ABoundKeyRunsOnceWhateverHasTheFocus)
{
    NewWindow();
    int runs = 0, clicks = 0;
    window->Commands->Attach(u"actPlay_PlayPause", [&](QObject *) { ++runs; });
    auto *button = new QPushButton(QStringLiteral("x"), window->pnlBottom);
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(clicks, 0);
    // With Alt the key is not bound; an unbound key passes to the control.
    QTest::keyClick(button, Qt::Key_Space, Qt::AltModifier);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(window->DispatchBoundKey(Qt::Key_Q, Qt::NoModifier));
    // A check command flips first.
    const bool was = window->IsChecked(u"actOpt_Random");
    KeyBindings().prepend({81 /* Q */, QStringLiteral("actOpt_Random")});
    QTest::keyClick(button, Qt::Key_Q);
    KeyBindings().removeFirst();
    EXPECT_NE(window->IsChecked(u"actOpt_Random"), was);
    EXPECT_EQ(Player()->PlayMode, was ? pmNormal : pmRandom);
}

// A popup menu of the player keeps its keys: a bound key moves through the menu and runs nothing.
TEST_F(PlayerWindowTest, APopupMenuKeepsTheBoundKeys)
{
    NewWindow();
    int zooms = 0;
    window->Commands->Attach(u"actZoom_Down", [&](QObject *) { ++zooms; });
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QMenu *menu = window->MenuNamed(QStringLiteral("mnuPopup"));
    ASSERT_NE(menu, nullptr);
    window->mnuPopupPopup();
    menu->popup(window->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; }, kWaitMs));
    QTest::keyClick(menu, Qt::Key_Down);
    EXPECT_EQ(zooms, 0);
    EXPECT_NE(menu->activeAction(), nullptr);
    menu->close();
    // Back on the window's own controls the key is the command's again.
    QTest::keyClick(window.get(), Qt::Key_Down);
    EXPECT_EQ(zooms, 1);
}

// An exception out of a command: one box, the player without media, and the next file plays.
TEST_F(PlayerWindowTest, ACommandThatThrowsLeavesTheNoMediaState)
{
    NewWindow();
    OpenPaused({Clip("tone.wav"), Clip("v25.avi")});
    struct Case {
        bool fromPlayer;
        const char *box;
    } cases[] = {{false, "エラー|アプリケーションのエラーです\rboom"}, {true, "エラー|メディアプレイヤーのエラーです\rboom"}};
    for (const Case &c : cases) {
        boxes.clear();
        window->Commands->Attach(u"actPlay_Replay", [&](QObject *) {
            if (c.fromPlayer)
                throw EMediaPlayerError("boom");
            throw std::runtime_error("boom");
        });
        // Through the application's own delivery, as a menu click would come.
        QTimer::singleShot(0, window.get(), [&] { window->Command(u"actPlay_Replay")->trigger(); });
        ASSERT_TRUE(Settled([&] { return !boxes.isEmpty(); }, kWaitMs));
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0], QString::fromUtf8(c.box));
        EXPECT_FALSE(Player()->IsOpen());
        EXPECT_FALSE(window->TrackBar_Seek->isEnabled());
        EXPECT_EQ(window->TrackBar_Seek->maximum(), 0);
        EXPECT_EQ(window->lblTime->text(), QString());
        EXPECT_FALSE(window->Timer_SeekBar->isActive());
        window->Execute(u"actPlay_Next");
        EXPECT_TRUE(QTest::qWaitFor([&] { return Player()->GetPlayState() == psRunning; }, kWaitMs));
    }
    EXPECT_FALSE(GuardedCall([] () -> bool { throw std::runtime_error("again"); }));
}

} // namespace
