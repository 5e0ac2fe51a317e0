// The tag record: name parts and file facts, size texts and rounding, the value record round
// trip, reading by extension with the file closed afterwards, and measured media information.
#include "tags/mytag.h"

#include "engine/mediameasurer.h"
#include "id3fixtures.h"
#include "support/mediafixtures.h"
#include "support/tempdir.h"
#include "tagfields.h"
#include "tags/mediameasure.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

int OpenDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

TEST(TagRecord, EmptyTagAndNameParts)
{
    TMyTag empty;
    EXPECT_EQ(empty.MediaDuration, -1.0);
    EXPECT_TRUE(empty.Texts().Title.isEmpty());
    EXPECT_TRUE(empty.TitleOrName().isEmpty());
    EXPECT_FALSE(empty.FileFound());

    TMyCustomTag t;
    t.SetFileName(QStringLiteral("/m/sub.d/song.final.mp3"));
    EXPECT_EQ(t.FilePath(), QStringLiteral("/m/sub.d/"));
    EXPECT_EQ(t.Folder(), QStringLiteral("/m/sub.d"));
    EXPECT_EQ(t.Name(), QStringLiteral("song.final.mp3"));
    EXPECT_EQ(t.BaseName(), QStringLiteral("song.final"));
    EXPECT_EQ(t.Extension(), QStringLiteral(".mp3"));
    EXPECT_EQ(t.TitleOrName(), QStringLiteral("song.final"));
    t.EditTexts().Title = QStringLiteral("Real title");
    EXPECT_EQ(t.TitleOrName(), QStringLiteral("Real title"));
}

// Clearing empties every text field and the media information, and keeps the file facts; a
// file without a reader clears them too.
TEST(TagRecord, ClearTagFieldsEmptiesEveryField)
{
    QString TMyTagTexts::*const fields[] = {
        &TMyTagTexts::Album, &TMyTagTexts::AlbumArtist, &TMyTagTexts::Artist,
        &TMyTagTexts::Composer, &TMyTagTexts::Conductor, &TMyTagTexts::Director, &TMyTagTexts::Genre,
        &TMyTagTexts::OriginalAlbum, &TMyTagTexts::OriginalArtist, &TMyTagTexts::OriginalLyricist,
        &TMyTagTexts::Publisher, &TMyTagTexts::Producer, &TMyTagTexts::OriginalReleaseTime,
        &TMyTagTexts::OriginalReleaseYear, &TMyTagTexts::ContentGroup, &TMyTagTexts::PartOfSet,
        &TMyTagTexts::Subtitle, &TMyTagTexts::Title, &TMyTagTexts::Track, &TMyTagTexts::ModifiedBy,
        &TMyTagTexts::Writer, &TMyTagTexts::Year, &TMyTagTexts::UserText, &TMyTagTexts::Lyrics,
        &TMyTagTexts::Comment, &TMyTagTexts::UserUrl,
    };
    const auto filled = [&](TMyCustomTag &t) {
        t.TagVersion = QStringLiteral("x");
        for (QString TMyTagTexts::*f : fields)
            t.EditTexts().*f = QStringLiteral("x");
        t.VideoWidth = 320;
        t.VideoHeight = 240;
        t.VideoFrameRate = 25;
        t.MediaDuration = 3.0;
    };

    TMyCustomTag t;
    t.SetFileName(QStringLiteral("/m/song.mp3"));
    t.FileSize = 1234;
    filled(t);
    ASSERT_EQ(FieldsOf(t).size(), std::size(fields) + 1);  // the helper sees every field and TagVersion
    t.ClearTagFields();
    EXPECT_EQ(FieldsOf(t), TagFields{});
    EXPECT_EQ(t.VideoWidth, 0);
    EXPECT_EQ(t.VideoHeight, 0);
    EXPECT_EQ(t.VideoFrameRate, 0.0);
    EXPECT_EQ(t.MediaDuration, -1.0);
    EXPECT_EQ(t.FileName, QStringLiteral("/m/song.mp3"));
    EXPECT_EQ(t.FileSize, 1234);
    EXPECT_EQ(t.TitleOrName(), QStringLiteral("song"));

    TMyTag other;
    filled(other);
    other.ReadFromBytes(QStringLiteral("/m/clip.ogg"), QByteArray(100, 'x'));
    EXPECT_EQ(FieldsOf(other), (TagFields{{"Title", "clip"}}));
    EXPECT_EQ(other.VideoWidth, 0);
    EXPECT_EQ(other.VideoFrameRate, 0.0);
    EXPECT_EQ(other.MediaDuration, -1.0);
}

TEST(TagRecord, SizeTextsAndRounding)
{
    const std::pair<qint64, const char *> sizes[] = {
        {0, "0B"},          {1023, "1023B"},      {1024, "1KB"},           {1025, "2KB"},
        {1048575, "1024KB"}, {1048576, "1.0MB"},  {1572864, "1.5MB"},      {1073741823, "1024.0MB"},
        {1073741824, "1.00GB"}, {5368709120LL, "5.00GB"},
    };
    for (const auto &[size, text] : sizes) {
        TMyCustomTag t;
        t.FileSize = size;
        EXPECT_EQ(t.SizeText(), QString::fromLatin1(text)) << size;
    }

    const std::pair<double, double> frameTimes[] = {
        {0.04, 25}, {1 / 29.97, 29.97}, {1001.0 / 30000, 29.97}, {1001.0 / 24000, 23.98},
        {1 / 59.94, 59.94}, {0, 0}, {-0.04, 0},
    };
    for (const auto &[t, rate] : frameTimes)
        EXPECT_DOUBLE_EQ(FrameRateFromFrameTime(t), rate) << t;
    // A rate is 0 unless both parts of the fraction are above 0 (variable rates report 0/1).
    EXPECT_DOUBLE_EQ(FrameRateFromFraction(30000, 1001), 29.97);
    EXPECT_DOUBLE_EQ(FrameRateFromFraction(25, 1), 25);
    EXPECT_DOUBLE_EQ(FrameRateFromFraction(0, 1), 0);
    EXPECT_DOUBLE_EQ(FrameRateFromFraction(1, 0), 0);
    EXPECT_DOUBLE_EQ(FrameRateFromFraction(-25, -1), 0);

    const struct {
        double seconds;
        int up, nearest;
    } durations[] = {
        {0, 0, 0}, {2.0, 2, 2}, {2.001, 3, 2}, {2.5, 3, 3}, {2.4999, 3, 2}, {-1.0, -1, -1}, {-1.5, -2, -2},
        {-0.2, -1, 0},
    };
    for (const auto &d : durations) {
        EXPECT_EQ(DurationSecondsUp(d.seconds), d.up) << d.seconds;
        EXPECT_EQ(DurationSecondsNearest(d.seconds), d.nearest) << d.seconds;
    }
}

TEST(TagRecord, ValueRoundTrip)
{
    TestDir dir;
    const QString file = dir.Write(QStringLiteral("song.mp3"),
                                   id3::Tag(3, id3::Frame23("TIT2", id3::Text(0, "t")) +
                                                   id3::Frame23("TPE1", id3::Text(0, "a"))) + id3::Audio());
    TMyTag tag(file);
    tag.MediaDuration = 3.5;
    tag.MediaLength = 4;
    tag.VideoWidth = 320;
    tag.VideoHeight = 240;
    tag.VideoFrameRate = 29.97;
    tag.EditTexts().Album = u"アルバム"_s;
    tag.EditTexts().Composer = QStringLiteral("c");
    tag.EditTexts().Comment = QStringLiteral("x\r\ry");
    tag.EditTexts().UserText = QStringLiteral("ut");
    tag.EditTexts().UserUrl = QStringLiteral("uu");
    tag.EditTexts().Lyrics = QStringLiteral("ly");
    tag.EditTexts().Director = QStringLiteral("di");
    tag.EditTexts().Producer = QStringLiteral("pr");
    ASSERT_EQ(tag.TagVersion, QStringLiteral("2.3.0"));

    const TMyTagValue value = tag.GetValue();
    EXPECT_EQ(value.Title, QStringLiteral("t"));
    const TMyTag copy(value);
    TagFields expected = FieldsOf(tag);
    expected.erase("TagVersion");
    EXPECT_EQ(FieldsOf(copy), expected);
    EXPECT_TRUE(copy.TagVersion.isEmpty());
    EXPECT_EQ(copy.FileName, file);
    EXPECT_EQ(copy.BaseName(), QStringLiteral("song"));
    EXPECT_EQ(copy.FileSize, tag.FileSize);
    EXPECT_EQ(copy.FileWriteTime, tag.FileWriteTime);
    EXPECT_EQ(copy.FileCreateTime, tag.FileCreateTime);
    EXPECT_EQ(copy.MediaDuration, 3.5);
    EXPECT_EQ(copy.MediaLength, 4);  // 3.5 to the nearest, halves away from zero
    EXPECT_EQ(copy.VideoWidth, 320);
    EXPECT_EQ(copy.VideoHeight, 240);
    EXPECT_EQ(copy.VideoFrameRate, 29.97);
    EXPECT_TRUE(copy.FileFound());
    EXPECT_TRUE(copy.FolderFound());

    // The record's own length is not used, and a title-less record names the file.
    TMyTagValue other = value;
    other.MediaLength = 99;
    other.MediaDuration = 2.4;
    other.FileName = dir.Path(QStringLiteral("gone/other.mp3"));
    other.Title.clear();
    const TMyCustomTag built(other);
    EXPECT_EQ(built.MediaLength, 2);
    EXPECT_FALSE(built.FileFound());
    EXPECT_FALSE(built.FolderFound());
    EXPECT_EQ(built.GetValue().Title, QStringLiteral("other"));

    // Assign copies everything but the open file and recomputes the length.
    TMyTag2 assigned;
    assigned.Assign(tag);
    EXPECT_EQ(FieldsOf(assigned), FieldsOf(tag));
    EXPECT_EQ(assigned.MediaLength, 4);
    EXPECT_EQ(assigned.Folder(), tag.Folder());
    TMyTag viaValue;
    viaValue.AssignValue(value);
    EXPECT_EQ(FieldsOf(viaValue), expected);
}

TEST(TagRecord, ReadingByExtension)
{
    TestDir dir;
    const QByteArray id3 = id3::Tag(3, id3::Frame23("TIT2", id3::Text(0, "tagged")) +
                                           id3::Frame23("TXXX", id3::Text(0, "d\0user"_ba)) +
                                           id3::Frame23("TPE1", id3::Text(0, "artist"))) + id3::Audio();
    const QString mp3 = dir.Write(QStringLiteral("a.mp3"), id3);
    const QString upper = dir.Write(QStringLiteral("B.MP3"), id3);
    const QString ogg = dir.Write(QStringLiteral("song.ogg"), id3);  // an ID3 tag, but not read for .ogg
    const QString plain = dir.Write(QStringLiteral("plain.mp3"), id3::Audio(4000));

    TMyTag a(mp3);
    EXPECT_EQ(FieldsOf(a), (TagFields{{"TagVersion", "2.3.0"}, {"Title", "tagged"}, {"Artist", "artist"}}));
    EXPECT_EQ(a.FileSize, id3.size());
    EXPECT_GT(a.FileWriteTime, 0);
    EXPECT_GT(a.FileCreateTime, 0);
    EXPECT_FALSE(a.WriteTimeText().isEmpty());
    EXPECT_TRUE(a.FileFound() && a.FolderFound());
    EXPECT_EQ(TMyTag(upper).Texts().Title, QStringLiteral("tagged"));  // the extension's case does not matter

    TMyTag o(ogg);
    EXPECT_EQ(FieldsOf(o), (TagFields{{"Title", "song"}}));
    EXPECT_EQ(o.FileSize, id3.size());
    EXPECT_GT(o.FileWriteTime, 0);
    EXPECT_EQ(o.MediaDuration, -1.0);

    // A second read leaves nothing of the first behind.
    a.ReadFromFile(plain);
    EXPECT_EQ(FieldsOf(a), (TagFields{{"Title", "plain"}}));
    EXPECT_EQ(a.FileSize, 4000);

    TMyTag missing(dir.Path(QStringLiteral("missing.mp3")));
    EXPECT_EQ(FieldsOf(missing), (TagFields{{"Title", "missing"}}));
    EXPECT_EQ(missing.FileSize, 0);
    EXPECT_EQ(missing.FileWriteTime, 0);
    EXPECT_FALSE(missing.FileFound());
    EXPECT_TRUE(missing.FolderFound());
    EXPECT_TRUE(missing.WriteTimeText().isEmpty());

    QDir(dir.Root()).mkdir(QStringLiteral("folder.mp3"));
    TMyTag folder(dir.Path(QStringLiteral("folder.mp3")));
    EXPECT_FALSE(folder.FileFound());
    EXPECT_EQ(folder.Texts().Title, QStringLiteral("folder"));

    TMyTag fromBytes;
    fromBytes.ReadFromBytes(QStringLiteral("/x/y.mp3"), id3);
    EXPECT_EQ(fromBytes.Texts().Title, QStringLiteral("tagged"));
}

// The read closes the file when it returns; a FIFO neither blocks the reader nor gets read.
TEST(TagRecord, FilesAreClosedAndNeverBlock)
{
    TestDir dir;
    const QString mp3 = dir.Write(QStringLiteral("a.mp3"), id3::Tag(3, id3::Frame23("TIT2", id3::Text(0, "t"))));
    const QString wma = dir.Write(QStringLiteral("a.wma"), QByteArray(100, 'x'));
    const QString other = dir.Write(QStringLiteral("a.flac"), QByteArray(100, 'x'));
    const int before = OpenDescriptors();
    std::vector<std::unique_ptr<TMyTag>> kept;
    for (int i = 0; i < 50; ++i)
        for (const QString &f : {mp3, wma, other}) {
            kept.push_back(std::make_unique<TMyTag>(f));
            EXPECT_FALSE(kept.back()->HasOpenFile());
        }
    EXPECT_EQ(OpenDescriptors(), before);

    const QString fifo = dir.Path(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    TMyTag2 t(fifo);  // nobody writes to the FIFO: opening it for reading would wait forever
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_TRUE(t.FileFound());
    EXPECT_EQ(t.FileSize, 0);
    EXPECT_EQ(FieldsOf(t), (TagFields{{"Title", "pipe"}}));
    EXPECT_FALSE(t.HasOpenFile());
    EXPECT_EQ(OpenDescriptors(), before);
}

class MeasuredTag : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        engine::InstallMediaMeasurer();
        s_dir = new TestDir;
        MakeMediaFile(s_dir->Path(QStringLiteral("tagged.mp3")),
                      Words(QStringLiteral("audiotestsrc num-buffers=130 samplesperbuffer=1024 ! "
                                           "audio/x-raw,rate=44100 ! lamemp3enc ! "
                                           "taginject tags=title=mp3title,artist=mp3artist,album=mp3album ! "
                                           "id3mux v2-version=3 write-v1=true")));
        MakeMediaFile(s_dir->Path(QStringLiteral("clip.wmv")),
                      Words(QStringLiteral("videotestsrc num-buffers=90 ! "
                                           "video/x-raw,width=160,height=120,framerate=30000/1001 ! "
                                           "taginject tags=title=wmvtitle,artist=wmvartist ! avenc_wmv2 ! asfmux")));
        MakeMediaFile(s_dir->Path(QStringLiteral("clip.mkv")),
                      Words(QStringLiteral("videotestsrc num-buffers=75 ! "
                                           "video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc ! matroskamux")));
    }
    static void TearDownTestSuite()
    {
        SetMediaMeasurer({});
        delete s_dir;
    }
    static TestDir *s_dir;
};

TestDir *MeasuredTag::s_dir = nullptr;

TEST_F(MeasuredTag, Mp3WithId3v23)
{
    TMyTag2 t(s_dir->Path(QStringLiteral("tagged.mp3")));
    EXPECT_EQ(t.TagVersion, QStringLiteral("2.3.0"));
    EXPECT_EQ(t.Texts().Title, QStringLiteral("mp3title"));
    EXPECT_EQ(t.Texts().Artist, QStringLiteral("mp3artist"));
    EXPECT_EQ(t.Texts().Album, QStringLiteral("mp3album"));
    EXPECT_NEAR(t.MediaDuration, 3.0, 0.2);  // the encoder pads the last frame
    EXPECT_EQ(t.MediaLength, DurationSecondsUp(t.MediaDuration));
    EXPECT_EQ(t.VideoWidth, 0);
    EXPECT_EQ(t.VideoHeight, 0);
    EXPECT_EQ(t.VideoFrameRate, 0);
    EXPECT_FALSE(t.HasOpenFile());
}

TEST_F(MeasuredTag, WmvWithTitleArtistAndNtscRate)
{
    TMyTag2 t(s_dir->Path(QStringLiteral("clip.wmv")));
    EXPECT_EQ(t.Texts().Title, QStringLiteral("wmvtitle"));
    EXPECT_EQ(t.Texts().Artist, QStringLiteral("wmvartist"));
    EXPECT_TRUE(t.TagVersion.isEmpty());
    EXPECT_NEAR(t.MediaDuration, 3.0, 0.05);
    EXPECT_EQ(t.MediaLength, 4);  // 3.003 s, rounded up when measured
    EXPECT_EQ(t.VideoWidth, 160);
    EXPECT_EQ(t.VideoHeight, 120);
    EXPECT_DOUBLE_EQ(t.VideoFrameRate, 29.97);
}

TEST_F(MeasuredTag, ReadMediaInfoOnAnExistingTag)
{
    TMyTag t(s_dir->Path(QStringLiteral("clip.mkv")));
    EXPECT_EQ(t.MediaDuration, -1.0);  // never measured
    TMyTag2 m(t);
    m.ReadMediaInfo();
    EXPECT_NEAR(m.MediaDuration, 3.0, 0.05);
    EXPECT_EQ(m.MediaLength, 3);
    EXPECT_EQ(m.VideoWidth, 160);
    EXPECT_DOUBLE_EQ(m.VideoFrameRate, 25);

    // A file that cannot be measured gives zeros (measured, unlike the -1 of a fresh tag).
    TMyTag2 junk(s_dir->Write(QStringLiteral("junk.wmv"), QByteArray(3000, 'j')));
    EXPECT_EQ(junk.MediaDuration, 0.0);
    EXPECT_EQ(junk.MediaLength, 0);
    EXPECT_EQ(junk.Texts().Title, QStringLiteral("junk"));
}

} // namespace
