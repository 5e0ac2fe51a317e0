// The playback component: time from Open to the first frame, seek latency, and the processor
// time of playing ten seconds of 1080p H.264 beside gst-play-1.0 on the same file.
#include "engine/dsplayer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <functional>
#include <memory>

namespace {

QCoreApplication &App()
{
    static int argc = 1;
    static char name[] = "player_bench";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                : new QCoreApplication(argc, argv);
    return *app;
}

bool Launch(const QString &pipeline, int timeoutMs = 300000)
{
    QProcess p;
    p.start(QStringLiteral("gst-launch-1.0"), QStringList{QStringLiteral("-q")} + QProcess::splitCommand(pipeline));
    return p.waitForFinished(timeoutMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool HasElement(const char *name)
{
    QProcess p;
    p.start(QStringLiteral("gst-inspect-1.0"), {QStringLiteral("--exists"), QString::fromLatin1(name)});
    return p.waitForFinished(20000) && p.exitCode() == 0;
}

QTemporaryDir &Folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString SmallClip()
{
    static QString path = [] {
        const QString out = Folder().filePath(QStringLiteral("clip.avi"));
        const bool ok = Launch(QStringLiteral(
            "videotestsrc num-buffers=250 ! video/x-raw,width=320,height=240,framerate=25/1 ! jpegenc ! avimux name=m ! "
            "filesink location=\"%1\" audiotestsrc num-buffers=431 samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! m.")
                                   .arg(out));
        return ok ? out : QString();
    }();
    return path;
}

QString LargeClip()
{
    static QString path = [] {
        if (!HasElement("x264enc"))
            return QString();
        const QString out = Folder().filePath(QStringLiteral("hd.mkv"));
        const bool ok = Launch(QStringLiteral(
            "videotestsrc num-buffers=300 pattern=ball ! video/x-raw,width=1920,height=1080,framerate=30/1 ! "
            "x264enc speed-preset=ultrafast tune=zerolatency bitrate=8000 ! h264parse ! matroskamux name=m ! "
            "filesink location=\"%1\" audiotestsrc num-buffers=431 samplesperbuffer=1024 ! "
            "audio/x-raw,rate=44100,channels=2 ! audioconvert ! vorbisenc ! m.")
                                   .arg(out));
        return ok ? out : QString();
    }();
    return path;
}

bool Wait(const std::function<bool()> &condition, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(200);
    }
    return true;
}

std::unique_ptr<TMyDSPlayer> NewPlayer()
{
    auto player = std::make_unique<TMyDSPlayer>();
    player->AudioSinkDescription = QStringLiteral("fakesink sync=true");
    player->OnMediaEnded = nullptr;
    return player;
}

double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_OpenToFirstFrame(benchmark::State &state)
{
    App();
    const QString clip = SmallClip();
    if (clip.isEmpty()) {
        state.SkipWithError("clip not made");
        return;
    }
    auto player = NewPlayer();
    for (auto _ : state) {
        // Open returns once the first frame has been decoded and handed to the renderer.
        if (!player->Open(clip)) {
            state.SkipWithError("open failed");
            return;
        }
        state.PauseTiming();
        player->Close();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_SeekLatency(benchmark::State &state)
{
    App();
    const QString clip = SmallClip();
    auto player = NewPlayer();
    if (clip.isEmpty() || !player->Open(clip)) {
        state.SkipWithError("clip not opened");
        return;
    }
    if (state.range(0))
        player->Play();
    double target = 0.5;
    for (auto _ : state) {
        target = target > 8 ? 0.5 : target + 0.77;
        player->SetPosition(target);
        if (!Wait([&] { return !player->SeekPending(); }, 5000)) {
            state.SkipWithError("seek did not settle");
            return;
        }
    }
    state.SetLabel(state.range(0) ? "playing" : "paused");
}
BENCHMARK(BM_SeekLatency)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(40);

// Processor time of ten seconds of 1080p H.264 (with sound): ours and gst-play-1.0's.
void BM_PlayHd10sCpu(benchmark::State &state)
{
    App();
    const QString clip = LargeClip();
    if (clip.isEmpty()) {
        state.SkipWithError("x264enc missing or the clip could not be made");
        return;
    }
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        auto player = NewPlayer();
        // Sleep in the event loop (no polling) so that only the playing is counted.
        QEventLoop loop;
        player->OnMediaEnded = [&](TMyDirectShowPlayer *) { loop.quit(); };
        player->OnMediaError = [&](TMyDirectShowPlayer *) { loop.quit(); };
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        const double before = CpuSeconds(RUSAGE_SELF);
        if (!player->Open(clip)) {
            state.SkipWithError("open failed");
            return;
        }
        player->Play();
        loop.exec();
        player.reset();
        ours = CpuSeconds(RUSAGE_SELF) - before;

        const double childBefore = CpuSeconds(RUSAGE_CHILDREN);
        QProcess play;
        play.start(QStringLiteral("gst-play-1.0"),
                   {QStringLiteral("--no-interactive"), QStringLiteral("-q"),
                    QStringLiteral("--videosink=fakesink sync=true"), QStringLiteral("--audiosink=fakesink sync=true"),
                    clip});
        if (!play.waitForFinished(60000)) {
            play.kill();
            state.SkipWithError("gst-play-1.0 did not finish");
            return;
        }
        theirs = CpuSeconds(RUSAGE_CHILDREN) - childBefore;
    }
    state.counters["cpu_tavio_s"] = ours;
    state.counters["cpu_gst_play_s"] = theirs;
    state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
}
BENCHMARK(BM_PlayHd10sCpu)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
