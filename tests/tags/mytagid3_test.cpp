// The ID3 reader over hand-built tags: versions, encodings, joined frames, frame flags,
// unsynchronisation, and damaged or hostile sizes.
#include "tags/mytagid3.h"

#include "id3fixtures.h"
#include "support/mediafixtures.h"
#include "support/tempdir.h"
#include "tagfields.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace id3;
using namespace Qt::StringLiterals;

namespace {

TagFields Read(const QByteArray &file)
{
    TMyTagID3 tag;
    tag.ReadFromBytes(QStringLiteral("/music/song.mp3"), file);
    EXPECT_FALSE(tag.HasOpenFile());
    return FieldsOf(tag);
}

struct Case {
    const char *what;
    QByteArray file;
    TagFields expected;
};

QByteArray WithRevision(QByteArray tag, int revision)
{
    tag[4] = char(revision);
    return tag;
}

const QByteArray kSjisNihongo("\x93\xfa\x96\x7b\x8c\xea");  // 日本語
const QByteArray kSjisSoHyo("\x83\x5c\x95\x5c");             // ソ表: second bytes are "\"

TEST(TagID3, VersionsAndTextFrames)
{
    const Case cases[] = {
        {"v2.3 text frames",
         Tag(3, Frame23("TIT2", Text(0, "Title")) + Frame23("TPE1", Text(0, "Artist")) +
                    Frame23("TALB", Text(0, "Album")) + Frame23("TRCK", Text(0, "3/12")) +
                    Frame23("TCON", Text(0, "(13)Pop")) + Frame23("TYER", Text(0, "1999"))) +
             Audio(),
         {{"TagVersion", "2.3.0"}, {"Title", "Title"}, {"Artist", "Artist"}, {"Album", "Album"},
          {"Track", "3/12"}, {"Genre", "(13)Pop"}, {"Year", "1999"}}},
        {"every mapped v2.3 frame",
         Tag(3, Frame23("TPE2", Text(0, "aa")) + Frame23("TCOM", Text(0, "co")) + Frame23("TPE3", Text(0, "cd")) +
                    Frame23("TOAL", Text(0, "oa")) + Frame23("TOPE", Text(0, "op")) +
                    Frame23("TOLY", Text(0, "ol")) + Frame23("TPUB", Text(0, "pu")) +
                    Frame23("TDAT", Text(0, "0101")) + Frame23("TORY", Text(0, "1970")) +
                    Frame23("TIT1", Text(0, "cg")) + Frame23("TPOS", Text(0, "1/2")) +
                    Frame23("TIT3", Text(0, "st")) + Frame23("TPE4", Text(0, "mb")) +
                    Frame23("TEXT", Text(0, "wr")) + Frame23("TENC", Text(0, "ignored")) +
                    Frame23("WOAR", "http://ignored")),
         {{"TagVersion", "2.3.0"}, {"AlbumArtist", "aa"}, {"Composer", "co"}, {"Conductor", "cd"},
          {"OriginalAlbum", "oa"}, {"OriginalArtist", "op"}, {"OriginalLyricist", "ol"}, {"Publisher", "pu"},
          {"OriginalReleaseTime", "0101"}, {"OriginalReleaseYear", "1970"}, {"ContentGroup", "cg"},
          {"PartOfSet", "1/2"}, {"Subtitle", "st"}, {"ModifiedBy", "mb"}, {"Writer", "wr"}}},
        {"v2.2 three-letter frames",
         Tag(2, Frame22("TT2", Text(0, "t22")) + Frame22("TP1", Text(0, "a22")) +
                    Frame22("COM", Text(0, "eng\0c22"_ba)) + Frame22("TXX", Text(0, "d\0u22"_ba))),
         {{"TagVersion", "2.2.0"}, {"Title", "t22"}, {"Artist", "a22"}, {"Comment", "c22"}, {"UserText", "u22"}}},
        {"every mapped v2.2 frame",
         Tag(2, Frame22("TAL", Text(0, "al")) + Frame22("TP2", Text(0, "aa")) + Frame22("TCM", Text(0, "co")) +
                    Frame22("TP3", Text(0, "cd")) + Frame22("TCO", Text(0, "(8)")) + Frame22("TOT", Text(0, "oa")) +
                    Frame22("TOA", Text(0, "op")) + Frame22("TOL", Text(0, "ol")) + Frame22("TPB", Text(0, "pu")) +
                    Frame22("TDA", Text(0, "0202")) + Frame22("TOR", Text(0, "1971")) +
                    Frame22("TT1", Text(0, "cg")) + Frame22("TPA", Text(0, "2/2")) + Frame22("TT3", Text(0, "st")) +
                    Frame22("TRK", Text(0, "4")) + Frame22("TP4", Text(0, "mb")) + Frame22("TXT", Text(0, "wr")) +
                    Frame22("TYE", Text(0, "1998")) + Frame22("TEN", Text(0, "ignored")) +
                    Frame22("WXX", Text(0, "d\0http://ignored"_ba))),
         {{"TagVersion", "2.2.0"}, {"Album", "al"}, {"AlbumArtist", "aa"}, {"Composer", "co"}, {"Conductor", "cd"},
          {"Genre", "(8)"}, {"OriginalAlbum", "oa"}, {"OriginalArtist", "op"}, {"OriginalLyricist", "ol"},
          {"Publisher", "pu"}, {"OriginalReleaseTime", "0202"}, {"OriginalReleaseYear", "1971"},
          {"ContentGroup", "cg"}, {"PartOfSet", "2/2"}, {"Subtitle", "st"}, {"Track", "4"}, {"ModifiedBy", "mb"},
          {"Writer", "wr"}, {"Year", "1998"}}},
        {"v2.4 text frames, revision kept",
         WithRevision(Tag(4, Frame24("TIT2", Text(3, "v24")) + Frame24("TPE1", Text(3, "x"))), 1),
         {{"TagVersion", "2.4.1"}, {"Title", "v24"}, {"Artist", "x"}}},
        {"v2 wins over v1",
         Tag(3, Frame23("TIT2", Text(0, "v2 title"))) + Audio() + V1("v1 title", "v1 artist", "", "2001", "", 1),
         {{"TagVersion", "2.3.0"}, {"Title", "v2 title"}}},
        {"v1.1 with a track",
         Audio() + V1("T1", "A1", "Al1", "1984", "comment", 17, 5),
         {{"TagVersion", "1.1"}, {"Title", "T1"}, {"Artist", "A1"}, {"Album", "Al1"}, {"Year", "1984"},
          {"Comment", "comment"}, {"Genre", "17"}, {"Track", "5"}}},
        {"v1.0: byte 125 not zero, genre 255, trailing blanks kept",
         Audio() + V1("Title   ", "", "", "", "a comment of thirty characters", 255),
         {{"TagVersion", "1.0"}, {"Title", "Title   "}, {"Comment", "a comment of thirty characters"},
          {"Genre", "255"}}},
        {"v1 text in the ANSI code page", V1(kSjisNihongo, kSjisSoHyo, "", "", "", 0),
         {{"TagVersion", "1.0"}, {"Title", u"日本語"_s}, {"Artist", u"ソ表"_s}, {"Genre", "0"}}},
        {"no tag at all", Audio(), {}},
        {"v1 block alone is the whole file", V1("only", "", "", "", "", 2), {{"TagVersion", "1.0"}, {"Title", "only"}, {"Genre", "2"}}},
        {"a later major version is named, not read", Tag(5, Frame23("TIT2", Text(0, "x"))), {{"TagVersion", "2.5.0"}}},
        {"empty file", QByteArray(), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

TEST(TagID3, TextEncodings)
{
    const QString ja = u"日本語テキスト"_s;
    const struct {
        const char *what;
        QByteArray data;
        QString title;
    } cases[] = {
        {"0: ANSI is windows-932", Text(0, kSjisNihongo + kSjisSoHyo), u"日本語ソ表"_s},
        {"1: BOM FF FE", Text(1, "\xff\xfe" + Utf16Le(ja)), ja},
        {"1: BOM FE FF gives big-endian", Text(1, "\xfe\xff" + Utf16Be(ja)), ja},
        {"1: no BOM is little-endian", Text(1, Utf16Le(ja)), ja},
        {"1: EF BB BF prefix is UTF-8", Text(1, "\xef\xbb\xbf" + ja.toUtf8()), ja},
        {"2: big-endian", Text(2, Utf16Be(ja)), ja},
        {"2: a BOM still overrides", Text(2, "\xff\xfe" + Utf16Le(ja)), ja},
        {"3: UTF-8", Text(3, ja.toUtf8()), ja},
        {"unknown encoding gives nothing", Text(4, "abc"), QString()},
        {"stops at the first zero character", Text(1, Utf16Le(u"ab"_s) + QByteArray(2, '\0') + Utf16Le(u"cd"_s)), u"ab"_s},
        {"UTF-16 zero needs a whole unit", Text(1, QByteArray("a\0\0b\0\0", 6)), u"a\u6200"_s},
        {"odd last byte dropped", Text(1, Utf16Le(u"ab"_s) + "c"), u"ab"_s},
        {"encoding byte only", Text(1, QByteArray()), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        for (int major : {3, 4}) {
            const QByteArray frame = major == 3 ? Frame23("TIT2", c.data) : Frame24("TIT2", c.data);
            TMyTagID3 tag;
            tag.ReadFromBytes(QStringLiteral("a.mp3"), Tag(major, frame));
            EXPECT_EQ(tag.Texts().Title, c.title) << "v2." << major;
        }
    }
}

TEST(TagID3, CommentAndUserFrames)
{
    const Case cases[] = {
        {"two comments are joined",
         Tag(3, Frame23("COMM", Text(0, "eng\0a"_ba)) + Frame23("COMM", Text(0, "jpn" "desc\0b"_ba))),
         {{"TagVersion", "2.3.0"}, {"Comment", "a\r\rb"}}},
        {"an empty value changes nothing",
         Tag(3, Frame23("COMM", Text(0, "eng\0a"_ba)) + Frame23("COMM", Text(0, "eng\0"_ba)) +
                    Frame23("COMM", Text(0, "eng\0c"_ba))),
         {{"TagVersion", "2.3.0"}, {"Comment", "a\r\rc"}}},
        {"no terminator: empty value",
         Tag(3, Frame23("COMM", Text(0, "engno terminator")) + Frame23("COMM", Text(0, "en"))),
         {{"TagVersion", "2.3.0"}}},
        {"UTF-16 terminator at an even distance",
         // description "d\u0100" = 64 00 00 01: the zero pair at odd offset 1..2 is no terminator
         Tag(3, Frame23("USLT", Text(1, "eng" + Utf16Le(u"d\u0100"_s) + QByteArray(2, '\0') + "\xff\xfe" +
                                            Utf16Le(u"歌詞"_s)))),
         {{"TagVersion", "2.3.0"}, {"Lyrics", u"歌詞"_s}}},
        {"user text and user URL, joined",
         Tag(3, Frame23("TXXX", Text(0, "one\0first"_ba)) + Frame23("TXXX", Text(3, "two\0second"_ba)) +
                    Frame23("WXXX", Text(0, "site\0\x01\x7f\xfehttp://a.example/"_ba)) +
                    Frame23("WXXX", Text(1, Utf16Le(u"d"_s) + QByteArray(2, '\0') + "http://b.example/"))),
         {{"TagVersion", "2.3.0"},
          {"UserText", "first\r\rsecond"},
          {"UserUrl", "http://a.example/\r\rhttp://b.example/"}}},
        {"an unknown encoding empties comment and user frames",
         Tag(3, Frame23("COMM", Text(4, "eng\0c"_ba)) + Frame23("TXXX", Text(4, "d\0u"_ba)) +
                    Frame23("WXXX", Text(4, "d\0http://a.example/"_ba)) + Frame23("TIT2", Text(0, "t"))),
         {{"TagVersion", "2.3.0"}, {"Title", "t"}}},
        {"v2.2 lyrics and comments",
         Tag(2, Frame22("ULT", Text(0, "eng\0la la"_ba)) + Frame22("COM", Text(0, "eng\0x"_ba))),
         {{"TagVersion", "2.2.0"}, {"Lyrics", "la la"}, {"Comment", "x"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

TEST(TagID3, FrameFlagsAndUnsynchronisation)
{
    const QByteArray ff = "\xff\xfe" + Utf16Le(u"\u00ff\u00ff"_s);  // FF FE FF 00 FF 00
    const QByteArray ffUnsync = Unsync(ff);
    ASSERT_EQ(ffUnsync, QByteArray("\xff\x00\xfe\xff\x00\x00\xff\x00\x00", 9));
    const Case cases[] = {
        {"v2.4 data length indicator",
         Tag(4, Frame24("TIT2", SyncSafe(4) + Text(0, "abc"), 0x01) + Frame24("TPE1", Text(0, "next"))),
         {{"TagVersion", "2.4.0"}, {"Title", "abc"}, {"Artist", "next"}}},
        {"v2.4 group id, encryption method and indicator, in that order",
         Tag(4, Frame24("TIT2", "\x07" + SyncSafe(3) + Text(0, "ab"), 0x41) + Frame24("TALB", Text(0, "al"))),
         {{"TagVersion", "2.4.0"}, {"Title", "ab"}, {"Album", "al"}}},
        {"v2.3 encrypted frame skipped, the next one read",
         Tag(3, Frame23("TPE1", "\x80" + Text(0, "secret"), 0x40) + Frame23("TIT2", Text(0, "clear"))),
         {{"TagVersion", "2.3.0"}, {"Title", "clear"}}},
        {"v2.4 encrypted frame skipped",
         Tag(4, Frame24("TPE1", "\x80" + Text(0, "secret"), 0x04) + Frame24("TIT2", Text(0, "clear"))),
         {{"TagVersion", "2.4.0"}, {"Title", "clear"}}},
        {"compressed frames skipped (v2.3 and v2.4)",
         Tag(3, Frame23("TPE1", BigEndian(100, 4) + "x\x9c garbage", 0x80) + Frame23("TIT2", Text(0, "t"))),
         {{"TagVersion", "2.3.0"}, {"Title", "t"}}},
        {"v2.4 compressed",
         Tag(4, Frame24("TPE1", SyncSafe(100) + "x\x9c garbage", 0x09) + Frame24("TIT2", Text(0, "t"))),
         {{"TagVersion", "2.4.0"}, {"Title", "t"}}},
        {"v2.3 grouped frame: the group byte is not text",
         Tag(3, Frame23("TIT2", "\x05" + Text(0, "grouped"), 0x20)), {{"TagVersion", "2.3.0"}, {"Title", "grouped"}}},
        {"v2.3 tag unsynchronisation over the whole body",
         Tag(3, Unsync(Frame23("TIT2", Text(1, ff)) + Frame23("TPE1", Text(0, "after"))), 0x80),
         {{"TagVersion", "2.3.0"}, {"Title", u"\u00ff\u00ff"_s}, {"Artist", "after"}}},
        {"v2.4 frame unsynchronisation; the size counts stored bytes",
         Tag(4, Frame24("TIT2", Text(1, ffUnsync), 0x02) + Frame24("TPE1", Text(0, "after"))),
         {{"TagVersion", "2.4.0"}, {"Title", u"\u00ff\u00ff"_s}, {"Artist", "after"}}},
        {"v2.4 tag flag alone unsynchronises each frame",
         Tag(4, Frame24("TIT2", Text(1, ffUnsync)) + Frame24("TPE1", Text(0, "after")), 0x80),
         {{"TagVersion", "2.4.0"}, {"Title", u"\u00ff\u00ff"_s}, {"Artist", "after"}}},
        {"v2.4 frame without unsynchronisation keeps FF 00",
         Tag(4, Frame24("TIT2", Text(1, ff))), {{"TagVersion", "2.4.0"}, {"Title", u"\u00ff\u00ff"_s}}},
        {"text ends at the frame's end",
         Tag(3, Frame23("TIT2", Text(0, "abc")) + Frame23("TPE1", Text(0, "def"))),
         {{"TagVersion", "2.3.0"}, {"Title", "abc"}, {"Artist", "def"}}},
        {"the last text frame wins, even when empty",
         Tag(3, Frame23("TIT2", Text(0, "one")) + Frame23("TIT2", Text(0, "two")) + Frame23("TPE1", Text(0, "a")) +
                    Frame23("TPE1", Text(0, ""))),
         {{"TagVersion", "2.3.0"}, {"Title", "two"}}},
        {"size 0 frames carry nothing",
         Tag(3, Frame23("TIT2", QByteArray()) + Frame23("TPE1", Text(0, "a"))), {{"TagVersion", "2.3.0"}, {"Artist", "a"}}},
        {"SEEK frames are ignored",
         Tag(4, Frame24("SEEK", BigEndian(0, 4)) + Frame24("TIT2", Text(0, "after seek"))),
         {{"TagVersion", "2.4.0"}, {"Title", "after seek"}}},
        {"padding ends the frames",
         Tag(3, Frame23("TIT2", Text(0, "t")) + QByteArray(64, '\0') + Frame23("TPE1", Text(0, "hidden"))),
         {{"TagVersion", "2.3.0"}, {"Title", "t"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

TEST(TagID3, ExtendedHeaders)
{
    const QByteArray frames = Frame23("TIT2", Text(0, "t")) + Frame23("TPE1", Text(0, "a"));
    const QByteArray v3ext = BigEndian(6, 4) + QByteArray(2, '\0') + BigEndian(16, 4);  // 16 bytes of padding
    const QByteArray v3extCrc = BigEndian(10, 4) + QByteArray("\x80\x00", 2) + BigEndian(0, 4) + BigEndian(0xDEADBEEF, 4);
    const QByteArray v4frames = Frame24("TIT2", Text(0, "t")) + Frame24("TPE1", Text(0, "a"));
    const Case cases[] = {
        {"v2.3 extended header with padding", Tag(3, v3ext + frames + QByteArray(16, '\0'), 0x40),
         {{"TagVersion", "2.3.0"}, {"Title", "t"}, {"Artist", "a"}}},
        {"v2.3 padding size cuts the frames that lie in it",
         Tag(3, BigEndian(6, 4) + QByteArray(2, '\0') + BigEndian(quint32(Frame23("TPE1", Text(0, "a")).size()), 4) + frames, 0x40),
         {{"TagVersion", "2.3.0"}, {"Title", "t"}}},
        {"v2.3 extended header with CRC", Tag(3, v3extCrc + frames, 0x40),
         {{"TagVersion", "2.3.0"}, {"Title", "t"}, {"Artist", "a"}}},
        {"v2.4 extended header", Tag(4, SyncSafe(6) + QByteArray("\x01\x00", 2) + v4frames, 0x40),
         {{"TagVersion", "2.4.0"}, {"Title", "t"}, {"Artist", "a"}}},
        {"v2.3 padding larger than the tag", Tag(3, BigEndian(6, 4) + QByteArray(2, '\0') + BigEndian(0x7fffffff, 4) + frames, 0x40),
         {{"TagVersion", "2.3.0"}}},
        {"v2.3 extended header past the end", Tag(3, BigEndian(5000, 4) + QByteArray(2, '\0') + frames, 0x40),
         {{"TagVersion", "2.3.0"}}},
        {"v2.4 extended header past the end", Tag(4, BigEndian(0x0fffffff, 4) + v4frames, 0x40),
         {{"TagVersion", "2.4.0"}}},
        {"extended header flag on a tag of 2 bytes", Tag(3, "\x00\x00", 0x40), {{"TagVersion", "2.3.0"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

TEST(TagID3, DamagedSizesEndTheParseCleanly)
{
    const QByteArray good = Frame23("TIT2", Text(0, "kept"));
    QByteArray oversize = Frame23("TPE1", Text(0, "x"));
    oversize.replace(4, 4, BigEndian(0x7ffffff0, 4));
    const Case cases[] = {
        {"a frame larger than what is left", Tag(3, good + oversize + Frame23("TALB", Text(0, "lost"))),
         {{"TagVersion", "2.3.0"}, {"Title", "kept"}}},
        {"v2.4 frame larger than what is left", Tag(4, Frame24("TIT2", Text(0, "kept")) + QByteArray("TPE1\x7f\x7f\x7f\x7f\0\0x", 11)),
         {{"TagVersion", "2.4.0"}, {"Title", "kept"}}},
        {"v2.2 frame larger than what is left", Tag(2, Frame22("TT2", Text(0, "kept")) + QByteArray("TP1\xff\xff\xff", 6)),
         {{"TagVersion", "2.2.0"}, {"Title", "kept"}}},
        {"a frame header cut by the tag's end", Tag(3, good + "TPE1\0\0"_ba), {{"TagVersion", "2.3.0"}, {"Title", "kept"}}},
        {"declared 256 MB in a small file", Tag(3, good, 0, 0x0fffffff) + Audio(3000), {{"TagVersion", "2.3.0"}}},
        {"tag longer than the file", Tag(3, good, 0, good.size() + 1), {{"TagVersion", "2.3.0"}}},
        {"v2.3 data shorter than its extras", Tag(3, Frame23("TIT2", "\x01\x02", 0x80) + Frame23("TPE1", Text(0, "a"))),
         {{"TagVersion", "2.3.0"}, {"Artist", "a"}}},
        {"v2.4 data shorter than its indicator", Tag(4, Frame24("TIT2", "\x01\x02", 0x01) + Frame24("TPE1", Text(0, "a"))),
         {{"TagVersion", "2.4.0"}, {"Artist", "a"}}},
        {"header only", QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00", 10), {{"TagVersion", "2.3.0"}}},
        {"header cut short: v1 is looked for", QByteArray("ID3\x03\x00", 5), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

// v2.4 has no year frame; its recording time TDRC gives the year when the tag has no TYER.
TEST(TagID3, RecordingTimeGivesTheYear)
{
    const Case cases[] = {
        {"v2.4 year only", Tag(4, Frame24("TDRC", Text(3, "2004"))), {{"TagVersion", "2.4.0"}, {"Year", "2004"}}},
        {"v2.4 date and time", Tag(4, Frame24("TIT2", Text(0, "t")) + Frame24("TDRC", Text(0, "2004-05-06T10:00"))),
         {{"TagVersion", "2.4.0"}, {"Title", "t"}, {"Year", "2004"}}},
        {"v2.4 UTF-16 date", Tag(4, Frame24("TDRC", Text(1, "\xff\xfe" + Utf16Le(u"2004-05-06"_s)))),
         {{"TagVersion", "2.4.0"}, {"Year", "2004"}}},
        {"v2.3 tag written with TDRC", Tag(3, Frame23("TDRC", Text(0, "1987-01"))),
         {{"TagVersion", "2.3.0"}, {"Year", "1987"}}},
        {"TYER wins, before or after TDRC",
         Tag(4, Frame24("TDRC", Text(0, "2004")) + Frame24("TYER", Text(0, "1999"))),
         {{"TagVersion", "2.4.0"}, {"Year", "1999"}}},
        {"TYER first", Tag(3, Frame23("TYER", Text(0, "1999")) + Frame23("TDRC", Text(0, "2004"))),
         {{"TagVersion", "2.3.0"}, {"Year", "1999"}}},
        {"fewer than four digits give no year", Tag(4, Frame24("TDRC", Text(0, "20-05"))), {{"TagVersion", "2.4.0"}}},
        {"no digits give no year", Tag(4, Frame24("TDRC", Text(0, "unknown"))), {{"TagVersion", "2.4.0"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

// Text without an encoding of its own (ID3v1, encoding 0 in v2): windows-932 while the bytes
// make sense in it, else windows-1252.
TEST(TagID3, TextWithoutEncodingIsJapaneseOrWestern)
{
    QByteArray cutJapanese;  // 14 kanji, "a" and the lead byte of a 15th kanji: 30 bytes
    for (int i = 0; i < 14; ++i)
        cutJapanese += "\x93\xfa";
    cutJapanese += "a\x96";
    const struct {
        const char *what;
        QByteArray bytes;
        QString text;
    } cases[] = {
        // Japanese as Japanese software writes it reads as before.
        {"Shift_JIS kanji", kSjisNihongo + kSjisSoHyo, u"日本語ソ表"_s},
        {"half-width katakana", "\xb6\xd7\xb5\xb9", u"ｶﾗｵｹ"_s},
        {"windows-932 specials", "\x87\x40\x81\x60\xfb\xfc", u"①～髙"_s},
        {"Japanese cut inside its last character", cutJapanese, QString(14, u'日') + u"a?"_s},
        {"ASCII", "plain", u"plain"_s},
        // Western text no longer loses letters to broken double-byte characters.
        {"a lead byte at the end", "Caf\xe9", u"Café"_s},
        {"a pair into the user-defined rows", "Mot\xf6rhead", u"Motörhead"_s},
        {"an unassigned pair", "na\xefve \xe9t\xe9", u"naïve été"_s},
        {"a lone lead byte without Japanese before it", "\x96", u"\u2013"_s},
        {"bytes 80 and A0", "5\x80\xa0", u"5€\u00a0"_s},
        {"user-defined row F0", "\xf0\x40", u"ð@"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Read(Tag(3, Frame23("TIT2", Text(0, c.bytes))))["Title"], c.text) << "v2.3 encoding 0";
        EXPECT_EQ(Read(Tag(2, Frame22("TT2", Text(0, c.bytes))))["Title"], c.text) << "v2.2 encoding 0";
        EXPECT_EQ(Read(Tag(3, Frame23("COMM", Text(0, "eng\0"_ba + c.bytes))))["Comment"], c.text) << "comment";
        EXPECT_EQ(Read(Audio() + V1(c.bytes, "", "", "", "", 0))["Title"], c.text) << "v1";
    }
}

// Tags from writers that get the format wrong, read as other readers read them, within bounds.
TEST(TagID3, WriterQuirks)
{
    const QByteArray longText = Text(0, QByteArray("Long title ").repeated(20));  // 221 bytes
    const QByteArray v3Frames = Frame23("TIT2", Text(0, "t")) + Frame23("TPE1", Text(0, "a"));
    const Case cases[] = {
        {"v2.4 with plain frame sizes",
         Tag(4, Frame23("TIT2", longText) + Frame23("TPE1", Text(0, "after"))),
         {{"TagVersion", "2.4.0"}, {"Title", QString::fromLatin1(longText.sliced(1))}, {"Artist", "after"}}},
        {"v2.4 plain sizes from a later frame on",
         Tag(4, Frame23("TALB", Text(0, "al")) + Frame23("TIT2", longText) + Frame23("TPE1", longText) +
                    Frame23("TCON", Text(0, "g")) + QByteArray(30, '\0')),
         {{"TagVersion", "2.4.0"}, {"Album", "al"}, {"Title", QString::fromLatin1(longText.sliced(1))},
          {"Artist", QString::fromLatin1(longText.sliced(1))}, {"Genre", "g"}}},
        {"v2.4 plain size of the last frame before padding",
         Tag(4, Frame23("TIT2", longText) + QByteArray(40, '\0')),
         {{"TagVersion", "2.4.0"}, {"Title", QString::fromLatin1(longText.sliced(1))}}},
        {"v2.4 sync-safe sizes stay sync-safe",
         Tag(4, Frame24("TIT2", longText) + Frame24("TPE1", Text(0, "after"))),
         {{"TagVersion", "2.4.0"}, {"Title", QString::fromLatin1(longText.sliced(1))}, {"Artist", "after"}}},
        {"v2.4 neither size leads anywhere: the sync-safe one is read and the parse ends",
         Tag(4, Frame24("TALB", Text(0, "kept")) + Frame23("TIT2", longText) + "junk" + Frame24("TPE1", Text(0, "a"))),
         {{"TagVersion", "2.4.0"}, {"Album", "kept"}, {"Title", QString::fromLatin1(longText.sliced(1, 92))}}},
        {"v2.3 extended-header flag without an extended header", Tag(3, v3Frames, 0x40),
         {{"TagVersion", "2.3.0"}, {"Title", "t"}, {"Artist", "a"}}},
        {"v2.4 extended-header flag without an extended header",
         Tag(4, Frame24("TIT2", Text(0, "t")) + Frame24("TPE1", Text(0, "a")), 0x40),
         {{"TagVersion", "2.4.0"}, {"Title", "t"}, {"Artist", "a"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

// A v2.4 tag as GStreamer's id3v2mux writes it: the recording time in TDRC, the genre in TCON.
TEST(TagID3, GStreamerWrittenV24)
{
    if (!HaveElements({QStringLiteral("lamemp3enc"), QStringLiteral("taginject"), QStringLiteral("id3v2mux")}))
        GTEST_SKIP() << "lamemp3enc, taginject or id3v2mux missing";
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("v24.mp3"));
    ASSERT_TRUE(MakeMediaFile(path, {QStringLiteral("audiotestsrc"), QStringLiteral("num-buffers=10"), QStringLiteral("!"),
                                     QStringLiteral("lamemp3enc"), QStringLiteral("!"), QStringLiteral("taginject"),
                                     QStringLiteral("tags=title=gsttitle,genre=Rock,date=(GDate)2004-05-06"),
                                     QStringLiteral("!"), QStringLiteral("id3v2mux")}));
    TMyTagID3 tag(path);
    EXPECT_EQ(FieldsOf(tag), (TagFields{{"TagVersion", "2.4.0"}, {"Title", "gsttitle"}, {"Genre", "Rock"}, {"Year", "2004"}}));
}

// Reading a real file: the v2 tag at the start, v1 only without it, and the file closed after.
TEST(TagID3, ReadsFilesAndClosesThem)
{
    TestDir dir;
    const QString withV2 = dir.Write(QStringLiteral("a.mp3"),
                                     Tag(3, Frame23("TIT2", Text(0, "file title"))) + Audio() + V1("v1", "", "", "", "", 1));
    const QString onlyV1 = dir.Write(QStringLiteral("b.mp3"), Audio() + V1("v1 only", "", "", "", "", 1, 9));
    TMyTagID3 a(withV2);
    EXPECT_EQ(a.Texts().Title, QStringLiteral("file title"));
    EXPECT_EQ(a.TagFamily(), 2);
    EXPECT_EQ(a.MajorVersion(), 3);
    EXPECT_FALSE(a.HasOpenFile());
    EXPECT_TRUE(a.FileFound());
    EXPECT_EQ(a.FileSize, QFileInfo(withV2).size());

    TMyTagID3 b;
    b.ReadFromFile(onlyV1);
    EXPECT_EQ(b.Texts().Title, QStringLiteral("v1 only"));
    EXPECT_EQ(b.Texts().Track, QStringLiteral("9"));
    EXPECT_EQ(b.TagFamily(), 1);
    EXPECT_EQ(b.MajorVersion(), 1);
    // A second read clears what the first found.
    b.ReadFromFile(dir.Write(QStringLiteral("c.mp3"), Audio()));
    EXPECT_EQ(FieldsOf(b), TagFields{});
    EXPECT_EQ(b.TagFamily(), 0);
}

} // namespace
