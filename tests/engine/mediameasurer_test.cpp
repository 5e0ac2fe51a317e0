// Media measurement over generated clips: duration, video size and frame rate, and the zero
// results for everything that is not measurable media.
#include "engine/mediameasurer.h"

#include "support/mediafixtures.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <sys/stat.h>

#include <atomic>
#include <thread>

using engine::FrameRateFromTimestamps;
using engine::MeasureMedia;

namespace {

struct Clip {
    const char *name;
    const char *pipeline;
    double duration;  // seconds; < 0: not checked
    int width;
    int height;
    double frameRate;
};

// 3.0 s clips at 160x120, and audio files.
const Clip kClips[] = {
    {"v25.avi", "videotestsrc num-buffers=75 ! video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc ! avimux",
     3.0, 160, 120, 25},
    {"v2997.avi",
     "videotestsrc num-buffers=90 ! video/x-raw,width=160,height=120,framerate=30000/1001 ! jpegenc ! avimux",
     3.003, 160, 120, 29.97},
    {"v25.mkv",
     "videotestsrc num-buffers=75 ! video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc ! matroskamux",
     3.0, 160, 120, 25},
    // The ASF demuxer reports 25/1 for both of these; the rate comes from the frame times.
    {"v25.wmv", "videotestsrc num-buffers=75 ! video/x-raw,width=160,height=120,framerate=25/1 ! avenc_wmv2 ! asfmux",
     3.0, 160, 120, 25},
    {"v2997.wmv",
     "videotestsrc num-buffers=90 ! video/x-raw,width=160,height=120,framerate=30000/1001 ! avenc_wmv2 ! asfmux",
     3.003, 160, 120, 29.97},
    {"v2398.wmv",
     "videotestsrc num-buffers=72 ! video/x-raw,width=176,height=144,framerate=24000/1001 ! avenc_wmv2 ! asfmux",
     3.003, 176, 144, 23.98},
    {"a.ogg", "audiotestsrc num-buffers=130 samplesperbuffer=1024 ! audio/x-raw,rate=44100 ! vorbisenc ! oggmux",
     3.0, 0, 0, 0},
    {"a.wma", "audiotestsrc num-buffers=130 samplesperbuffer=1024 ! audio/x-raw,rate=44100 ! avenc_wmav2 ! asfmux",
     -1, 0, 0, 0},
    {"a.mp3", "audiotestsrc num-buffers=130 samplesperbuffer=1024 ! audio/x-raw,rate=44100 ! lamemp3enc ! id3v2mux",
     -1, 0, 0, 0},
};

class MediaMeasurerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TestDir;
        for (const Clip &clip : kClips)
            MakeMediaFile(s_dir->Path(QString::fromLatin1(clip.name)), Words(QString::fromLatin1(clip.pipeline)));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static QString Path(const char *name) { return s_dir->Path(QString::fromLatin1(name)); }
    static TestDir *s_dir;
};

TestDir *MediaMeasurerTest::s_dir = nullptr;

TEST_F(MediaMeasurerTest, GeneratedClips)
{
    for (const Clip &clip : kClips) {
        SCOPED_TRACE(clip.name);
        const QString path = Path(clip.name);
        ASSERT_TRUE(QFileInfo::exists(path)) << "fixture not made: " << clip.pipeline;
        const TMediaInfo info = MeasureMedia(path);
        if (clip.duration >= 0)
            EXPECT_NEAR(info.Duration, clip.duration, 0.05);
        else
            EXPECT_NEAR(info.Duration, 3.0, 0.2);
        EXPECT_EQ(info.Width, clip.width);
        EXPECT_EQ(info.Height, clip.height);
        EXPECT_DOUBLE_EQ(info.FrameRate, clip.frameRate);
    }
}

// The tag threads measure while the player works: calls from several threads at once.
TEST_F(MediaMeasurerTest, MeasuresFromSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 3; ++i) {
                const Clip &clip = kClips[(t + i) % 6];  // the video clips
                const TMediaInfo info = MeasureMedia(Path(clip.name));
                if (info.Width != clip.width || info.FrameRate != clip.frameRate)
                    ++wrong;
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(MediaMeasurerTest, NothingMeasurableGivesZeros)
{
    TestDir dir;
    QByteArray noise(5000, '\0');
    quint32 x = 12345;
    for (char &c : noise) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    const QString fifo = dir.Path(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString cases[] = {
        QString(),
        dir.Path(QStringLiteral("missing.mp3")),
        dir.Write(QStringLiteral("text.avi"), "hello, this is no media\n"),
        dir.Write(QStringLiteral("noise.mp3"), noise),
        dir.Write(QStringLiteral("empty.wmv"), QByteArray()),
        dir.Root(),
        fifo,  // nobody writes to it: the measurement must not wait for a writer
    };
    for (const QString &path : cases) {
        SCOPED_TRACE(path.toStdString());
        QElapsedTimer t;
        t.start();
        const TMediaInfo info = MeasureMedia(path, std::chrono::milliseconds(5000));
        EXPECT_EQ(info.Duration, 0.0);
        EXPECT_EQ(info.FrameRate, 0.0);
        EXPECT_EQ(info.Width, 0);
        EXPECT_EQ(info.Height, 0);
        EXPECT_LT(t.elapsed(), 4000);
    }
}

TEST_F(MediaMeasurerTest, TimeoutGivesZeros)
{
    for (int ms : {0, 1}) {
        const TMediaInfo info = MeasureMedia(Path("v2997.wmv"), std::chrono::milliseconds(ms));
        EXPECT_EQ(info.Duration, 0.0) << ms;
        EXPECT_EQ(info.Width, 0) << ms;
        EXPECT_EQ(info.FrameRate, 0.0) << ms;
    }
}

TEST_F(MediaMeasurerTest, InstalledMeasurerServesGetMediaInfo)
{
    SetMediaMeasurer({});
    EXPECT_EQ(GetMediaInfo(Path("v25.avi")).Width, 0);  // nothing installed: zeros
    engine::InstallMediaMeasurer();
    const TMediaInfo info = GetMediaInfo(Path("v25.avi"));
    EXPECT_EQ(info.Width, 160);
    EXPECT_DOUBLE_EQ(info.FrameRate, 25);
    SetMediaMeasurer({});
}

std::vector<long long> Times(int frames, double fps, long long stepNs, long long startNs = 0)
{
    std::vector<long long> t;
    for (int i = 0; i < frames; ++i) {
        const long long exact = startNs + (long long)std::floor(i * 1e9 / fps);
        t.push_back(exact / stepNs * stepNs);  // kept at whole steps, cut as ASF does
    }
    return t;
}

TEST(FrameRateFromTimestamps, SnapsToTheRateTheTimesAllow)
{
    constexpr long long ms = 1000000;
    struct Case {
        const char *what;
        std::vector<long long> times;
        double expected;
    } cases[] = {
        {"25 fps in ms", Times(75, 25, ms), 25},
        {"29.97 fps in ms", Times(90, 30000.0 / 1001, ms), 30000.0 / 1001},
        {"23.976 fps in ms", Times(72, 24000.0 / 1001, ms), 24000.0 / 1001},
        {"30 fps in ms", Times(90, 30, ms), 30},
        {"59.94 fps in ms, late start", Times(300, 60000.0 / 1001, ms, 5000 * ms), 60000.0 / 1001},
        {"15 fps, few frames", Times(4, 15, ms), 15},
        {"two frames tell nothing", Times(2, 25, ms), 0},
        {"one repeated time", {40 * ms, 40 * ms, 40 * ms}, 0},
        {"empty", {}, 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(FrameRateFromTimestamps(c.times, ms), c.expected, 1e-9);
    }
    // Times out of order (B-frames arrive in decoding order) give the same rate.
    auto shuffled = Times(90, 30000.0 / 1001, ms);
    std::swap(shuffled[3], shuffled[5]);
    std::swap(shuffled[10], shuffled[11]);
    EXPECT_NEAR(FrameRateFromTimestamps(shuffled, ms), 30000.0 / 1001, 1e-9);
    // Irregular times that fit no common rate give their average.
    EXPECT_NEAR(FrameRateFromTimestamps({0, 100 * ms, 270 * ms}, ms), 2 / 0.27, 0.2);
}

} // namespace
