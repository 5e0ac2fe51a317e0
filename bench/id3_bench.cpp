// Reading the tags of 10,000 MP3 files (ID3v2.3 at the start, ID3v1 at the end, a few KB each,
// warm page cache) with our reader and with TagLib on the same files in the same run.
// items_per_second is files per second.
#include "tags/mytag.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <memory>
#include <vector>

namespace {

constexpr int kFiles = 10000;

QByteArray Be32(quint32 v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

QByteArray Frame(const char *id, const QByteArray &data)
{
    return QByteArray(id, 4) + Be32(quint32(data.size())) + QByteArray(2, '\0') + data;
}

QByteArray V1(const QByteArray &title)
{
    const auto field = [](const QByteArray &s, int n) { return s.left(n).leftJustified(n, '\0', true); };
    return "TAG" + field(title, 30) + field("Bench Artist", 30) + field("Bench Album", 30) + "2024" +
           field("comment", 28) + char(0) + char(7) + char(13);
}

QByteArray Id3v23(int i)
{
    const QByteArray n = QByteArray::number(i);
    const auto text0 = [](const QByteArray &t) { return QByteArray(1, '\0') + t; };
    QByteArray body = Frame("TIT2", text0("Title number " + n)) + Frame("TPE1", "\x01\xff\xfe" + QByteArray("A\0r\0t\0", 6)) +
                      Frame("TALB", text0("Album " + n.right(2))) + Frame("TRCK", text0(QByteArray::number(i % 20 + 1))) +
                      Frame("TYER", text0("2024")) + Frame("COMM", text0("eng" + QByteArray(1, '\0') + "a comment")) +
                      QByteArray(512, '\0');  // padding
    QByteArray size;
    for (int s = 3; s >= 0; --s)
        size.append(char((body.size() >> (7 * s)) & 0x7F));
    return QByteArray("ID3\x03\x00\x00", 6) + size + body;
}

// Real MPEG audio frames, so that TagLib finds its frame header where it looks.
QByteArray MpegAudio(const QString &folder)
{
    const QString path = folder + QStringLiteral("/audio.mp3");
    QProcess p;
    p.start(QStringLiteral("gst-launch-1.0"),
            {QStringLiteral("-q"), QStringLiteral("audiotestsrc"), QStringLiteral("num-buffers=4"), QStringLiteral("!"),
             QStringLiteral("lamemp3enc"), QStringLiteral("bitrate=64"), QStringLiteral("!"),
             QStringLiteral("filesink"), QStringLiteral("location=") + path});
    p.waitForFinished(60000);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Corpus {
    QTemporaryDir dir;
    std::vector<QString> files;
    std::vector<std::string> nativeFiles;

    Corpus()
    {
        const QByteArray audio = MpegAudio(dir.path());
        for (int i = 0; i < kFiles; ++i) {
            const QString path = dir.path() + QStringLiteral("/%1.mp3").arg(i, 5, 10, QLatin1Char('0'));
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.write(Id3v23(i) + audio + V1("Title number " + QByteArray::number(i)));
            files.push_back(path);
            nativeFiles.push_back(QFile::encodeName(path).toStdString());
        }
        // Warm the page cache.
        for (const QString &path : files) {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                benchmark::DoNotOptimize(f.readAll().size());
        }
    }
};

Corpus &TheCorpus()
{
    static Corpus corpus;
    return corpus;
}

void BM_OurReader(benchmark::State &state)
{
    Corpus &c = TheCorpus();
    qsizetype chars = 0;
    for (auto _ : state) {
        for (const QString &path : c.files) {
            TMyTag tag(path);
            chars += tag.Texts().Title.size() + tag.Texts().Artist.size() + tag.Texts().Album.size();
        }
    }
    benchmark::DoNotOptimize(chars);
    if (chars / qsizetype(state.iterations()) < qsizetype(kFiles) * 10)
        state.SkipWithError("tags not read");
    state.SetItemsProcessed(int64_t(state.iterations()) * kFiles);
}

void TagLibRead(benchmark::State &state, bool audioProperties)
{
    Corpus &c = TheCorpus();
    size_t chars = 0;
    for (auto _ : state) {
        for (const std::string &path : c.nativeFiles) {
            TagLib::FileRef f(path.c_str(), audioProperties, TagLib::AudioProperties::Fast);
            if (TagLib::Tag *tag = f.tag())
                chars += tag->title().size() + tag->artist().size() + tag->album().size();
        }
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(int64_t(state.iterations()) * kFiles);
}

void BM_TagLibFast(benchmark::State &state)
{
    TagLibRead(state, true);
}

void BM_TagLibTagsOnly(benchmark::State &state)
{
    TagLibRead(state, false);
}

} // namespace

BENCHMARK(BM_OurReader)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TagLibFast)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TagLibTagsOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
