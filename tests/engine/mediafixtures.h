#pragma once
// Media files for the engine tests, made once per test process with gst-launch-1.0 into a
// temporary folder: short clips of known length, frame rate, size and sound.

#include "support/tempdir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <functional>
#include <random>

class MediaFixtures {
public:
    static MediaFixtures &Get()
    {
        static MediaFixtures fixtures;
        return fixtures;
    }

    // The path of a fixture, made on first use; empty when it could not be made.
    QString Path(const QString &name)
    {
        if (m_made.contains(name))
            return m_made.value(name);
        QString path = Make(name);
        m_made.insert(name, path);
        return path;
    }

    static bool Launch(const QString &pipeline)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("gst-launch-1.0"), QStringList{QStringLiteral("-q")} + QProcess::splitCommand(pipeline));
        if (!p.waitForFinished(60000)) {
            p.kill();
            return false;
        }
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    static bool HasElement(const QString &name)
    {
        QProcess p;
        p.start(QStringLiteral("gst-inspect-1.0"), {QStringLiteral("--exists"), name});
        return p.waitForFinished(20000) && p.exitCode() == 0;
    }

    QString Root() const { return m_dir.Root(); }

private:
    QString Make(const QString &name)
    {
        const QString out = m_dir.Path(name);
        const QString loc = QStringLiteral("location=\"%1\"").arg(out);
        // Three seconds of stereo sine at 44.1 kHz.
        const QString sine = QStringLiteral(
            "audiotestsrc num-buffers=130 samplesperbuffer=1024 freq=440 ! audio/x-raw,rate=44100,channels=2 ");
        QString pipeline;
        if (name == QLatin1String("v25.avi"))
            pipeline = QStringLiteral("videotestsrc num-buffers=75 ! video/x-raw,width=160,height=120,framerate=25/1 ! "
                                      "jpegenc ! avimux name=m ! filesink %1 %2 ! m.").arg(loc, sine);
        else if (name == QLatin1String("v2997.avi"))
            pipeline = QStringLiteral("videotestsrc num-buffers=90 ! video/x-raw,width=160,height=120,framerate=30000/1001 ! "
                                      "jpegenc ! avimux name=m ! filesink %1 %2 ! m.").arg(loc, sine);
        else if (name == QLatin1String("red.avi"))
            pipeline = QStringLiteral("videotestsrc num-buffers=250 pattern=red ! video/x-raw,width=160,height=120,framerate=25/1 ! "
                                      "jpegenc ! avimux ! filesink %1").arg(loc);
        else if (name == QLatin1String("red169.avi"))
            // 16:9 with square pixels, as a wide film is stored.
            pipeline = QStringLiteral("videotestsrc num-buffers=250 pattern=red ! "
                                      "video/x-raw,width=320,height=180,framerate=25/1,pixel-aspect-ratio=1/1 ! "
                                      "jpegenc ! avimux ! filesink %1").arg(loc);
        else if (name == QLatin1String("tone.wav"))
            pipeline = sine + QStringLiteral("! wavenc ! filesink %1").arg(loc);
        else if (name == QLatin1String("a.mp3"))
            pipeline = sine + QStringLiteral("! lamemp3enc ! filesink %1").arg(loc);
        else if (name == QLatin1String("a.wma"))
            pipeline = sine + QStringLiteral("! avenc_wmav2 ! asfmux ! filesink %1").arg(loc);
        else if (name == QLatin1String("v.wmv"))
            pipeline = QStringLiteral("videotestsrc num-buffers=75 ! video/x-raw,width=160,height=120,framerate=25/1 ! "
                                      "avenc_wmv2 ! asfmux ! filesink %1").arg(loc);
        else if (name == QLatin1String("v2997.wmv"))
            // ASF keeps whole milliseconds and its demuxer reports 25/1 for this stream.
            pipeline = QStringLiteral("videotestsrc num-buffers=120 ! video/x-raw,width=160,height=120,framerate=30000/1001 ! "
                                      "avenc_wmv2 ! asfmux ! filesink %1").arg(loc);
        else if (name == QLatin1String("novideo.asf"))
            // A video stream no decoder takes, beside sound that plays.
            pipeline = QStringLiteral("videotestsrc num-buffers=75 ! video/x-raw,width=160,height=120,framerate=25/1 ! "
                                      "avenc_wmv2 ! capssetter caps=\"video/x-wmv,wmvversion=3,format=(string)ZZZZ\" ! "
                                      "asfmux name=m ! filesink %1 %2 ! avenc_wmav2 ! m.").arg(loc, sine);
        else if (name == QLatin1String("size.avi"))
            // One second at 160x120, then one at 320x240.
            pipeline = QStringLiteral("concat name=c ! videoconvert ! jpegenc ! avimux ! filesink %1 "
                                      "videotestsrc num-buffers=25 ! video/x-raw,width=160,height=120,framerate=25/1 ! c. "
                                      "videotestsrc num-buffers=25 pattern=ball ! video/x-raw,width=320,height=240,framerate=25/1 ! c.").arg(loc);
        else if (name == QLatin1String("text.avi"))
            return m_dir.Write(name, "This is a text file, not a film.\r\nSecond line.\r\n");
        else if (name == QLatin1String("random.mp3") || name == QLatin1String("random.wmv")) {
            std::mt19937 gen(name.size());
            QByteArray bytes(64 * 1024, '\0');
            for (auto &b : bytes)
                b = char(gen() & 0xFF);
            return m_dir.Write(name, bytes);
        } else if (name == QLatin1String("foreign.grf")) {
            // The head of a structured-storage file, as the Windows build wrote its graphs.
            QByteArray bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
            bytes += QByteArray(504, '\0');
            return m_dir.Write(name, bytes);
        }
        if (pipeline.isEmpty() || !Launch(pipeline))
            return QString();
        return out;
    }

    TestDir m_dir;
    QMap<QString, QString> m_made;
};

// Lets events run until the condition holds or the time is up; the condition's last answer.
inline bool WaitUntil(const std::function<bool()> &condition, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

inline void Spin(int milliseconds)
{
    WaitUntil([] { return false; }, milliseconds);
}
