// The player window offscreen: creating it (target: well under 100 ms), and one tick of the time
// display and of the seek bar timer with a clip open (target: well under 0.1 ms).
#include "benchapp.h"
#include "engine/dsplayer.h"
#include "shell/mediaplayer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QString Clip()
{
    static QTemporaryDir dir;
    static QString path = [] {
        const QString out = dir.filePath(QStringLiteral("clip.avi"));
        QProcess::execute(QStringLiteral("gst-launch-1.0"),
                          QProcess::splitCommand(QStringLiteral(
                              "-q videotestsrc num-buffers=100 ! video/x-raw,width=160,height=120,framerate=25/1 ! "
                              "jpegenc ! avimux name=m ! filesink location=%1 audiotestsrc num-buffers=200 ! m.")
                                                     .arg(out)));
        return out;
    }();
    return path;
}

void BM_CreatePlayerWindow(benchmark::State &state)
{
    EnsureBenchApp<TApp_MEDIAPlayer>();
    for (auto _ : state) {
        auto window = std::make_unique<TApp_MEDIAPlayer>();
        benchmark::DoNotOptimize(window.get());
    }
}
BENCHMARK(BM_CreatePlayerWindow)->Unit(benchmark::kMillisecond);

struct OpenWindow {
    std::unique_ptr<TApp_MEDIAPlayer> window;
    OpenWindow()
    {
        EnsureBenchApp<TApp_MEDIAPlayer>();
        window = std::make_unique<TApp_MEDIAPlayer>();
        window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(Clip()));
        (void)QTest::qWaitFor([&] { return window->plyMedia()->GetPlayState() == psRunning; }, 10000);
        window->plyMedia()->Pause();
        window->Timer_SeekBar->stop();
        window->Timer_Time->stop();
    }
};

void BM_TimerTimeTick(benchmark::State &state)
{
    OpenWindow w;
    for (auto _ : state)
        w.window->Timer_TimeTimer();
}
BENCHMARK(BM_TimerTimeTick)->Unit(benchmark::kMicrosecond);

void BM_TimerSeekBarTick(benchmark::State &state)
{
    OpenWindow w;
    for (auto _ : state)
        w.window->Timer_SeekBarTimer(nullptr);
}
BENCHMARK(BM_TimerSeekBarTick)->Unit(benchmark::kMicrosecond);

} // namespace
