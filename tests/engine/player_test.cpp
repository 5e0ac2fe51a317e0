#include "engine/dsplayer.h"
#include "engine/gstsupport.h"
#include "mediafixtures.h"
#include "platform/uihooks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>
#include <memory>

namespace {

constexpr char kMeter[] = "level name=meter interval=50000000 post-messages=true ! fakesink sync=true";

class PlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "engine_player_test";
            static char *argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        player = std::make_unique<TMyDSPlayer>();
        player->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        auto record = [this](const char *name) {
            return [this, name](TMyDirectShowPlayer *) { events << QString::fromLatin1(name); };
        };
        player->OnMediaOpen = record("Open");
        player->OnMediaPlay = record("Play");
        player->OnMediaStart = record("Start");
        player->OnMediaPaused = record("Paused");
        player->OnMediaEnded = record("Ended");
        player->OnMediaError = record("Error");
        player->OnMediaStopped = record("Stopped");
        player->OnMediaClosed = record("Closed");
        player->OnVideoSizeChange = [this](TMyDirectShowPlayer *, quint16 w, quint16 h) {
            events << QStringLiteral("Size %1x%2").arg(w).arg(h);
        };
    }

    void TearDown() override
    {
        player.reset();
        platform::SetMessageHandler(nullptr);
    }

    QString Fixture(const QString &name)
    {
        const QString path = MediaFixtures::Get().Path(name);
        if (path.isEmpty())
            ADD_FAILURE() << "fixture not made: " << name.toStdString();
        return path;
    }

    int Count(const QString &event) const { return int(events.count(event)); }
    bool WaitEvent(const QString &event, int n = 1, int ms = 4000)
    {
        return WaitUntil([&] { return Count(event) >= n; }, ms);
    }

    // Lets a seek or step settle and returns the position the pipeline reports then.
    double SettledPosition()
    {
        Spin(200);
        return player->Position();
    }

    // The mean level of each channel (dB) over the next `ms` of playing.
    std::pair<double, double> MeasureLevels(int ms)
    {
        double sums[2] = {0, 0};
        int n = 0;
        player->OnElementMessage = [&](TMyDirectShowPlayer *, const QString &name, const QVariantMap &fields) {
            if (name != QLatin1String("level"))
                return;
            const QVariantList rms = fields.value(QStringLiteral("rms")).toList();
            if (rms.size() < 2)
                return;
            sums[0] += rms[0].toDouble();
            sums[1] += rms[1].toDouble();
            ++n;
        };
        Spin(ms);
        player->OnElementMessage = nullptr;
        if (n == 0)
            return {-999, -999};
        return {sums[0] / n, sums[1] / n};
    }

    std::unique_ptr<TMyDSPlayer> player;
    QStringList events;
};

TEST_F(PlayerTest, EventOrderOfAPlainFileAndStartOncePerOpening)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    EXPECT_EQ(player->GetPlayState(), psStopped);
    EXPECT_TRUE(player->HasVideo());
    EXPECT_EQ(player->VideoWidth(), 160);
    EXPECT_EQ(player->VideoHeight(), 120);
    EXPECT_DOUBLE_EQ(player->FrameRate(), 25.0);
    EXPECT_NEAR(player->Duration(), 3.0, 0.1);
    EXPECT_EQ(player->DurationSeconds(), 3);
    EXPECT_EQ(player->TitleOrName, QStringLiteral("v25"));
    player->Play();
    // The state reads as where it is going while the pipeline still gets there.
    EXPECT_EQ(player->GetPlayState(), psRunning);
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start")));
    EXPECT_TRUE(player->Pause());
    EXPECT_EQ(player->GetPlayState(), psPaused);
    EXPECT_TRUE(player->Pause());  // already paused: no second event
    player->Play();
    player->SetPosition(2.7);
    ASSERT_TRUE(WaitEvent(QStringLiteral("Ended")));
    Spin(100);
    EXPECT_EQ(events.join(u','), QStringLiteral("Open,Play,Start,Paused,Play,Ended"));

    // Replaying starts from the beginning without a second start.
    events.clear();
    EXPECT_TRUE(player->Replay());
    Spin(300);
    EXPECT_GT(player->Position(), 0.05);
    EXPECT_LT(player->Position(), 1.5);
    EXPECT_EQ(events.join(u','), QStringLiteral("Play"));

    // Closing: stopped at once, closed once the messages are drained; no error anywhere.
    events.clear();
    player->Close();
    EXPECT_EQ(events.join(u','), QStringLiteral("Stopped"));
    EXPECT_EQ(player->GetPlayState(), psStopped);
    EXPECT_FALSE(player->IsOpen());
    EXPECT_TRUE(WaitEvent(QStringLiteral("Closed")));
    EXPECT_EQ(Count(QStringLiteral("Error")), 0);
}

TEST_F(PlayerTest, OpeningAnotherFileRightAfterCloseReportsNoClosing)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    player->Close();
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v2997.avi"))));
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start")));
    Spin(100);
    EXPECT_EQ(Count(QStringLiteral("Closed")), 0);
    EXPECT_DOUBLE_EQ(player->FrameRate(), 29.97);
}

TEST_F(PlayerTest, AudioOnlyFilesHideTheVideo)
{
    // The WMA and MP3 have no video; the ASF has a video stream nothing can decode, so only its
    // sound plays. The MP3 (no VBR header) learns its length only while playing.
    for (const char *name : {"a.mp3", "a.wma", "novideo.asf", "tone.wav"}) {
        SCOPED_TRACE(name);
        events.clear();
        ASSERT_TRUE(player->Open(Fixture(QString::fromLatin1(name))));
        EXPECT_FALSE(player->HasVideo());
        EXPECT_FALSE(player->HasVideoSize());
        EXPECT_FALSE(player->DisplayVisible());
        EXPECT_EQ(player->VideoWidth(), 0);
        EXPECT_DOUBLE_EQ(player->AspectRatio(), 1.0);
        EXPECT_FALSE(player->CanStep(1));
        player->Play();
        EXPECT_TRUE(WaitEvent(QStringLiteral("Start")));
        EXPECT_TRUE(WaitUntil([&] { return player->Duration() > 2.9; }, 2000)) << player->Duration();
        EXPECT_LT(player->Duration(), 3.3);
        EXPECT_EQ(Count(QStringLiteral("Error")), 0);
    }
}

TEST_F(PlayerTest, VideoOnlyWindowsMediaPlays)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v.wmv"))));
    EXPECT_TRUE(player->HasVideo());
    EXPECT_EQ(player->VideoWidth(), 160);
    player->Play();
    EXPECT_TRUE(WaitEvent(QStringLiteral("Start")));
}

TEST_F(PlayerTest, UnplayableInputsGiveOneErrorAndNothingPlays)
{
    const QString folder = MediaFixtures::Get().Root() + QStringLiteral("/folder.avi");
    QDir().mkpath(folder);
    const QString inputs[] = {
        MediaFixtures::Get().Root() + QStringLiteral("/missing.avi"),
        folder,
        Fixture(QStringLiteral("text.avi")),
        Fixture(QStringLiteral("random.mp3")),
        Fixture(QStringLiteral("random.wmv")),
        Fixture(QStringLiteral("foreign.grf")),
        QString(),
    };
    for (const QString &input : inputs) {
        SCOPED_TRACE(input.toStdString());
        events.clear();
        EXPECT_FALSE(player->Open(input));
        Spin(200);
        EXPECT_EQ(Count(QStringLiteral("Error")), 1);
        EXPECT_EQ(Count(QStringLiteral("Open")), 0);
        EXPECT_EQ(Count(QStringLiteral("Start")), 0);
        EXPECT_FALSE(player->IsOpen());
        EXPECT_EQ(player->GetPlayState(), psStopped);
        EXPECT_EQ(player->Position(), 0.0);
        EXPECT_FALSE(player->Pause());
        EXPECT_FALSE(player->Replay());
        EXPECT_TRUE(player->StepFrames(1));
        player->SetPosition(1.0);
        player->SetRate(2.0);
        EXPECT_EQ(player->Rate(), 1.0);
    }
}

TEST_F(PlayerTest, PositionReadsTheSeekTargetUntilItSettles)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    player->SetPosition(1.5);
    EXPECT_DOUBLE_EQ(player->Position(), 1.5);
    EXPECT_NEAR(SettledPosition(), 1.5, 0.021);
    EXPECT_EQ(player->PositionSeconds(), 2);  // halves away from zero
    player->SetPosition(-4);
    EXPECT_NEAR(SettledPosition(), 0.0, 0.001);
    player->SetPosition(99);
    EXPECT_LE(player->Position(), player->Duration());
}

TEST_F(PlayerTest, SeekAndRateFromOnMediaOpenHoldWhenPlayingStarts)
{
    // The window resumes at a saved point and re-applies its rate while the file opens.
    player->OnMediaOpen = [this](TMyDirectShowPlayer *) {
        events << QStringLiteral("Open");
        player->SetPosition(2.0);
        player->SetRate(2.0);
    };
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    EXPECT_DOUBLE_EQ(player->Rate(), 2.0);
    EXPECT_DOUBLE_EQ(player->Position(), 2.0);
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start")));
    EXPECT_GE(player->Position(), 2.0);
    // One second of media left at twice the speed.
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Ended"), 1, 2000));
    EXPECT_LT(t.elapsed(), 900);  // a second at normal speed
    EXPECT_EQ(events.join(u','), QStringLiteral("Open,Play,Start,Ended"));
}

TEST_F(PlayerTest, RateMovesThePositionAndSurvivesSeeks)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start")));
    player->SetRate(2.0);
    EXPECT_DOUBLE_EQ(player->Rate(), 2.0);
    auto speed = [&](int ms) {
        Spin(100);
        const double p0 = player->Position();
        QElapsedTimer t;
        t.start();
        Spin(ms);
        return (player->Position() - p0) / (double(t.elapsed()) / 1000.0);
    };
    EXPECT_NEAR(speed(500), 2.0, 0.35);
    // A later seek keeps the rate.
    player->SetPosition(0.2);
    EXPECT_NEAR(speed(500), 2.0, 0.35);
    EXPECT_DOUBLE_EQ(player->Rate(), 2.0);

    // The limits of the rate menu are taken; a rate that rounds to 0 becomes 1.
    for (double rate : {0.1, 8.7}) {
        player->SetPosition(0.5);
        player->SetRate(rate);
        EXPECT_DOUBLE_EQ(player->Rate(), rate);
    }
    player->SetPosition(0.2);
    player->SetRate(0.004);
    EXPECT_DOUBLE_EQ(player->Rate(), 1.0);
    EXPECT_NEAR(speed(400), 1.0, 0.3);

    // A new opening plays at normal speed again.
    player->SetRate(2.0);
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    EXPECT_DOUBLE_EQ(player->Rate(), 1.0);
}

TEST_F(PlayerTest, VolumeAndBalanceOnTheOutputLevel)
{
    player->AudioSinkDescription = QString::fromLatin1(kMeter);
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("tone.wav"))));
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start")));
    Spin(100);
    const auto full = MeasureLevels(400);
    ASSERT_GT(full.first, -40);
    EXPECT_NEAR(full.first, full.second, 0.05);

    player->SetVolume(50);
    Spin(150);
    const auto half = MeasureLevels(400);
    EXPECT_NEAR(half.first - full.first, -6.93, 0.1);
    EXPECT_NEAR(half.second - full.second, -6.93, 0.1);

    player->SetVolume(100);
    player->SetBalance(-10);
    Spin(150);
    const auto left = MeasureLevels(400);
    EXPECT_NEAR(left.first, full.first, 0.1);
    EXPECT_NEAR(left.second - full.second, -10.0, 0.1);

    // Both survive a new opening.
    player->SetVolume(50);
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("tone.wav"))));
    EXPECT_EQ(player->Volume(), 50);
    EXPECT_EQ(player->Balance(), -10);
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start"), 2));
    Spin(100);
    const auto reopened = MeasureLevels(400);
    EXPECT_NEAR(reopened.first - full.first, -6.93, 0.1);
    EXPECT_NEAR(reopened.second - full.second, -16.93, 0.1);

    // Out of range values are limited; 0 is silence.
    player->SetBalance(-300);
    EXPECT_EQ(player->Balance(), -100);
    player->SetVolume(150);
    EXPECT_EQ(player->Volume(), 100);
    player->SetVolume(0);
    Spin(150);
    EXPECT_LT(MeasureLevels(300).first, -150);
}

TEST_F(PlayerTest, OneFrameStepsOnBothFrameRates)
{
    for (const char *name : {"v25.avi", "v2997.avi"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(player->Open(Fixture(QString::fromLatin1(name))));
        const double frame = player->FrameTime();
        ASSERT_GT(frame, 0.03);
        EXPECT_TRUE(player->CanStep(1));
        EXPECT_FALSE(player->CanStep(-1));
        EXPECT_TRUE(player->StepFrames(1));
        EXPECT_NEAR(SettledPosition(), frame, 0.002);
        EXPECT_TRUE(player->StepFrames(2));
        EXPECT_NEAR(SettledPosition(), 3 * frame, 0.002);
        EXPECT_TRUE(player->StepFrames(-1));
        EXPECT_NEAR(SettledPosition(), 2 * frame, 0.002);
        EXPECT_TRUE(player->StepFramesByTime(1));
        EXPECT_NEAR(SettledPosition(), 3 * frame, 0.002);
        EXPECT_EQ(player->GetPlayState(), psStopped);
    }
}

TEST_F(PlayerTest, WindowsMediaFrameTimeComesFromTheFramesNotTheDemuxer)
{
    // The demuxer says 25 frames per second; the frames come every 1001/30000 s (kept in whole
    // milliseconds). A step back taken with the demuxer's rate would skip a frame.
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v2997.wmv"))));
    EXPECT_DOUBLE_EQ(player->FrameRate(), 29.97);
    EXPECT_NEAR(player->FrameTime(), 1001.0 / 30000, 1e-6);
    const auto shownFrame = [&] {
        Spin(200);
        const double t = player->ShownFrameTime();
        return t < 0 ? -1 : int(std::lround(t * 30000 / 1001));
    };
    EXPECT_EQ(shownFrame(), 0);
    EXPECT_TRUE(player->StepFrames(40));
    ASSERT_EQ(shownFrame(), 40);
    EXPECT_TRUE(player->StepFrames(-1));
    EXPECT_EQ(shownFrame(), 39);
    EXPECT_TRUE(player->StepFrames(-1));
    EXPECT_EQ(shownFrame(), 38);
    EXPECT_TRUE(player->StepFramesByTime(-1));
    EXPECT_EQ(shownFrame(), 37);
    EXPECT_EQ(Count(QStringLiteral("Error")), 0);
}

TEST_F(PlayerTest, StepWhilePlayingPausesAndStaysPaused)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start")));
    Spin(400);
    EXPECT_TRUE(player->StepFrames(1));
    EXPECT_EQ(player->GetPlayState(), psPaused);
    EXPECT_EQ(Count(QStringLiteral("Paused")), 1);
    const double after = SettledPosition();
    Spin(300);
    EXPECT_DOUBLE_EQ(player->Position(), after);

    // Back one frame while running: paused, one frame duration earlier.
    player->Play();
    Spin(300);
    ASSERT_TRUE(player->Pause());
    const double at = SettledPosition();
    player->Play();
    ASSERT_TRUE(WaitUntil([&] { return player->GetPlayState() == psRunning; }, 1000));
    EXPECT_TRUE(player->StepFrames(-1));
    EXPECT_EQ(player->GetPlayState(), psPaused);
    const double back = SettledPosition();
    EXPECT_LT(back, at + 0.3);
    EXPECT_GE(back, 0.0);
}

TEST_F(PlayerTest, StepTargetsStayInsideTheFile)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    // At the start, backwards stays at 0.
    EXPECT_TRUE(player->StepFrames(-1));
    EXPECT_NEAR(SettledPosition(), 0.0, 1e-9);
    EXPECT_TRUE(player->StepFramesByTime(-10));
    EXPECT_NEAR(SettledPosition(), 0.0, 1e-9);
    // Near the end, forwards stops at the end.
    const double duration = player->Duration();
    player->SetPosition(duration - 0.05);
    SettledPosition();
    EXPECT_TRUE(player->StepFrames(10));
    EXPECT_LE(SettledPosition(), duration);
    EXPECT_TRUE(player->StepFramesByTime(10));
    EXPECT_LE(SettledPosition(), duration);
    EXPECT_GE(player->Position(), duration - 0.1);
    EXPECT_EQ(Count(QStringLiteral("Error")), 0);
}

TEST_F(PlayerTest, VideoSizeChangeIsReported)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("size.avi"))));
    EXPECT_EQ(player->VideoWidth(), 160);
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Size 320x240")));
    EXPECT_EQ(player->VideoWidth(), 320);
    EXPECT_EQ(player->VideoHeight(), 240);
    EXPECT_EQ(Count(QStringLiteral("Size 160x120")), 0);
}

TEST_F(PlayerTest, GraphFiles)
{
    QString shown;
    platform::SetMessageHandler([&](const QString &text) { shown = text; });
    const QString graph = MediaFixtures::Get().Root() + QStringLiteral("/saved.GRF");
    EXPECT_FALSE(player->SaveGraph(graph));
    EXPECT_EQ(shown, QStringLiteral("フィルタグラフは作成されていません"));
    EXPECT_FALSE(QFile::exists(graph));

    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    ASSERT_TRUE(player->SaveGraph(graph));
    player->Close();
    events.clear();
    ASSERT_TRUE(player->Open(graph));
    EXPECT_TRUE(player->HasVideo());
    EXPECT_NEAR(player->Duration(), 3.0, 0.1);
    player->Play();
    EXPECT_TRUE(WaitEvent(QStringLiteral("Start")));

    // A graph that would write a file is refused before anything runs.
    const QString victim = MediaFixtures::Get().Root() + QStringLiteral("/written.txt");
    const QString evil = MediaFixtures::Get().Root() + QStringLiteral("/evil.grf");
    QFile f(evil);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("tavio filter graph 1\nfakesrc num-buffers=1 ! filesink location=\"%1\"\n").arg(victim).toUtf8());
    f.close();
    events.clear();
    EXPECT_FALSE(player->Open(evil));
    Spin(100);
    EXPECT_EQ(Count(QStringLiteral("Error")), 1);
    EXPECT_FALSE(QFile::exists(victim));

    // A graph naming anything but a plain file is refused at once: a pipe would block the
    // opening for ever, a missing file or a device has nothing to play.
    const QString pipe = MediaFixtures::Get().Root() + QStringLiteral("/pipe.avi");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString &media : {pipe, MediaFixtures::Get().Root() + QStringLiteral("/gone.avi"),
                                 QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(media.toStdString());
        const QString named = MediaFixtures::Get().Root() + QStringLiteral("/named.grf");
        QFile g(named);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly | QIODevice::Truncate));
        g.write("tavio filter graph 1\nplaybin uri=\"" + engine::UriOfFile(media) + "\"\n");
        g.close();
        events.clear();
        QElapsedTimer t;
        t.start();
        EXPECT_FALSE(player->Open(named));
        EXPECT_LT(t.elapsed(), 2000);
        Spin(100);
        EXPECT_EQ(events.join(u','), QStringLiteral("Error"));
    }
}

TEST_F(PlayerTest, ErrorWhilePlayingIsReportedOnce)
{
    // A file cut short in the middle of its data: the demuxer fails as it gets there.
    const QString whole = Fixture(QStringLiteral("v25.avi"));
    QFile in(whole);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    for (qsizetype i = bytes.size() / 3; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919) & 0xFF);
    const QString broken = MediaFixtures::Get().Root() + QStringLiteral("/broken.avi");
    QFile out(broken);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    if (!player->Open(broken)) {
        EXPECT_EQ(Count(QStringLiteral("Error")), 1);
        return;
    }
    player->Play();
    WaitUntil([&] { return Count(QStringLiteral("Ended")) + Count(QStringLiteral("Error")) > 0; }, 5000);
    Spin(300);
    EXPECT_LE(Count(QStringLiteral("Error")), 1);
}

TEST_F(PlayerTest, AnOutputFailingWhilePlayingGivesOneError)
{
    // The sound output fails after a few buffers; the element and the streaming thread behind it
    // both report it, and the window hears of it once.
    player->AudioSinkDescription = QStringLiteral("identity error-after=20 ! fakesink sync=true");
    int aborts = 0;
    player->OnMediaEvent = [&](TMyDirectShowPlayer *, int code, int, int) { aborts += code == EC_ERRORABORT; };
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("tone.wav"))));
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Error")));
    Spin(300);
    EXPECT_EQ(events.join(u','), QStringLiteral("Open,Play,Start,Error"));
    EXPECT_GE(aborts, 2);
    player->OnMediaEvent = nullptr;
}

TEST_F(PlayerTest, TheEndPlaysTheNextEntryOrReplays)
{
    player->OnMediaEnded = [this](TMyDirectShowPlayer *) {
        events << QStringLiteral("Ended");
        player->DefaultMediaEnded();
    };
    TMyDSPlaylist &list = *player->Playlist();
    for (const char *name : {"v25.avi", "v2997.avi"}) {
        const QString path = Fixture(QString::fromLatin1(name));
        list.AddObject(path, list.CreateTagFor(path));
    }
    player->PlayIndex(0);
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start")));
    player->SetPosition(2.8);
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start"), 2));
    EXPECT_EQ(player->ItemIndex, 1);
    EXPECT_DOUBLE_EQ(player->FrameRate(), 29.97);
    EXPECT_EQ(player->GetPlayState(), psRunning);

    // Repeating one entry replays it from the start.
    player->RepeatMode = rmOne;
    player->SetPosition(2.8);
    ASSERT_TRUE(WaitEvent(QStringLiteral("Ended"), 2));
    Spin(200);
    EXPECT_EQ(player->ItemIndex, 1);
    EXPECT_LT(player->Position(), 1.5);
    EXPECT_EQ(player->GetPlayState(), psRunning);
}

TEST_F(PlayerTest, QualityStatisticsCountFrames)
{
    ASSERT_TRUE(player->Open(Fixture(QStringLiteral("v25.avi"))));
    EXPECT_EQ(player->QualityStats()[3], 0);
    player->Play();
    ASSERT_TRUE(WaitEvent(QStringLiteral("Start")));
    Spin(800);
    const auto stats = player->QualityStats();
    EXPECT_GT(stats[3], 10);                  // frames drawn
    EXPECT_NEAR(stats[0] / 100.0, 25.0, 6.0);  // average frame rate
    EXPECT_EQ(stats[4], 0);                   // nothing dropped
    EXPECT_NE(player->SeekingCaps() & 0x1, 0);
}

} // namespace
