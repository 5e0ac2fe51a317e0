#include "lists/mywstrings.h"
#include "lists/textencoding.h"
#include "platform/codepage.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const QString kJapanese = QStringLiteral("漢字かなカナｶﾅ～①髙 ABC");

struct RoundTrip {
    TextEncoding encoding;
    bool jisX0208Only;  // ISO-2022-JP: no 髙, and turns half-width katakana full width
};

TEST(TextEncoding, EveryEncodingRoundTripsJapanese)
{
    TestDir dir;
    const RoundTrip cases[] = {
        {TextEncoding::Ansi, false},       {TextEncoding::Utf16LeBom, false}, {TextEncoding::Utf16Le, false},
        {TextEncoding::Utf16BeBom, false}, {TextEncoding::Utf16Be, false},    {TextEncoding::Utf8Bom, false},
        {TextEncoding::Utf8, false},       {TextEncoding::Utf7, false},      {TextEncoding::Jis, true},
        {TextEncoding::EucJp, false},     {TextEncoding::Auto, false},      {TextEncoding::HexDump, false},
    };
    for (const RoundTrip &c : cases) {
        SCOPED_TRACE(int(c.encoding));
        const QString path = dir.Path(QStringLiteral("t%1.txt").arg(int(c.encoding)));
        ASSERT_TRUE(WriteTextFile(path, kJapanese, c.encoding));
        TextEncoding given = c.encoding == TextEncoding::Auto || c.encoding == TextEncoding::HexDump
                                 ? TextEncoding::Ansi
                                 : c.encoding;
        QString expected = kJapanese;
        if (c.jisX0208Only)
            expected.replace(u'髙', u'?');
        if (c.encoding == TextEncoding::Jis)
            expected.replace(QStringLiteral("ｶﾅ"), QStringLiteral("カナ"));
        // Given explicitly, a byte-order mark is not skipped.
        const bool bom = given == TextEncoding::Utf8Bom || given == TextEncoding::Utf16LeBom ||
                         given == TextEncoding::Utf16BeBom;
        EXPECT_EQ(ReadTextFile(path, given), (bom ? QStringLiteral("\uFEFF") : QString()) + expected);
    }
}

TEST(TextEncoding, DetectsShortPlaylists)
{
    const QString text = QStringLiteral("#EXTM3U\r\n音楽/第１話　はじめまして.mp3\r\nｱﾆﾒ/テーマ.mp3\r\n");
    struct Case {
        TextEncoding written, detected;
    } cases[] = {
        {TextEncoding::Ansi, TextEncoding::Ansi},         {TextEncoding::EucJp, TextEncoding::EucJp},
        {TextEncoding::Jis, TextEncoding::Jis},           {TextEncoding::Utf7, TextEncoding::Utf7},
        {TextEncoding::Utf8, TextEncoding::Utf8},         {TextEncoding::Utf8Bom, TextEncoding::Utf8Bom},
        {TextEncoding::Utf16Le, TextEncoding::Utf16Le},   {TextEncoding::Utf16Be, TextEncoding::Utf16Be},
        {TextEncoding::Utf16LeBom, TextEncoding::Utf16LeBom}, {TextEncoding::Utf16BeBom, TextEncoding::Utf16BeBom},
    };
    TestDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.written));
        const QString path = dir.Path(QStringLiteral("p%1.m3u").arg(int(c.written)));
        ASSERT_TRUE(WriteTextFile(path, text, c.written));
        TextEncoding enc = TextEncoding::Auto;
        QString read = ReadTextFile(path, enc);
        EXPECT_EQ(enc, c.detected);
        QString expected = text;
        if (c.written == TextEncoding::Jis)
            expected.replace(QStringLiteral("ｱﾆﾒ"), QStringLiteral("アニメ"));
        EXPECT_EQ(read, expected);
    }
}

TEST(TextEncoding, BinaryReadsAsHexDump)
{
    TestDir dir;
    QByteArray bytes;
    std::mt19937 rng(7);
    for (int i = 0; i < 1000; ++i)
        bytes += char(rng() & 0xFF);
    const QString path = dir.Write(QStringLiteral("bin.dat"), bytes);
    TextEncoding enc = TextEncoding::Auto;
    const QString dump = ReadTextFile(path, enc);
    EXPECT_EQ(enc, TextEncoding::HexDump);
    TMyWStrings lines;
    lines.SetTextStr(dump);
    EXPECT_EQ(lines.Count(), (1000 + 15) / 16);
    EXPECT_EQ(lines.LineBreak, LineBreakStyle::Cr);
}

TEST(TextEncoding, HexDumpLineLayout)
{
    const QString dump = HexDumpText(QByteArrayView("ABCDEFGHIJKLMNOPQ\x01", 18));
    const QStringList lines = dump.split(u'\r');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("41 42 43 44 45 46 47 48 - 49 4a 4b 4c 4d 4e 4f 50 \tABCDEFGHIJKLMNOP"));
    EXPECT_EQ(lines[1], QStringLiteral("51 01").leftJustified(50, u' ') + QStringLiteral("\tQ.") + QString(14, u' '));
    EXPECT_EQ(dump.size(), 2 * 68);
}

TEST(TextEncoding, ByteTestAndDetectorRules)
{
    // A zero byte sends mostly-ASCII text to UTF-16.
    EXPECT_EQ(DetectEncoding(QByteArrayView("A\0B\0C\0", 6)), TextEncoding::Utf16Le);
    EXPECT_EQ(DetectEncoding(QByteArrayView("\0A\0B\0C", 6)), TextEncoding::Utf16Be);
    EXPECT_EQ(DetectEncoding(QByteArrayView("A\0B", 3)), TextEncoding::Utf16Le);
    EXPECT_EQ(DetectEncoding(QByteArrayView("plain ascii")), TextEncoding::Ansi);
    EXPECT_EQ(DetectEncoding(QByteArrayView("\xEF\xBB\xBF" "x")), TextEncoding::Utf8Bom);
    // Bytes valid in both Shift_JIS and EUC-JP: kana decide, Shift_JIS wins what stays open.
    EXPECT_EQ(DetectEncoding(platform::WideToAnsi(u"ｶﾞｰﾃﾞﾝ.mp3")), TextEncoding::Ansi);
    EXPECT_EQ(DetectEncoding(platform::WideToAnsi(u"ｶﾞ")), TextEncoding::Ansi);
    EXPECT_EQ(DetectEncoding(platform::Encode(platform::CodePage::EucJp, u"はじめ.mp3")), TextEncoding::EucJp);
    EXPECT_FALSE(LooksLikeText(QStringView(u"\u4e00\u4e01\u4e02")));
    EXPECT_TRUE(LooksLikeText(QString()));
}

// Plain ASCII goes through the byte test like any other text: control bytes it refuses give the
// hexadecimal dump, not an ANSI text.
TEST(TextEncoding, AsciiControlBytesReadAsHexDump)
{
    const struct {
        const char *what;
        QByteArray bytes;
        TextEncoding encoding;
    } cases[] = {
        {"sixteen DEL bytes", QByteArray(16, '\x7f'), TextEncoding::HexDump},
        {"text with one DEL", QByteArray("abc\x7f" "def"), TextEncoding::HexDump},
        {"other control bytes pass the byte test", QByteArray("a\x01\x1b\tb\r\n"), TextEncoding::Ansi},
        {"plain ASCII", QByteArray("#EXTM3U\r\na.mp3\r\n"), TextEncoding::Ansi},
        {"ISO-2022-JP escapes still win", QByteArray("\x1b$B$\"\x1b(B"), TextEncoding::Jis},
    };
    TestDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DetectEncoding(c.bytes), c.encoding);
        TextEncoding enc = TextEncoding::Auto;
        const QString text = ReadTextFile(dir.Write("c.txt", c.bytes), enc);
        EXPECT_EQ(enc, c.encoding);
        if (c.encoding == TextEncoding::HexDump) {
            EXPECT_EQ(text, HexDumpText(c.bytes));
        }
    }
}

// A UTF-16 file of odd length: its last byte is read as if a zero byte followed it.
TEST(TextEncoding, OddLengthUtf16KeepsItsLastCharacter)
{
    const struct {
        QByteArray bytes;
        TextEncoding given, read;
        QString text;
    } cases[] = {
        {QByteArray("A\0B", 3), TextEncoding::Auto, TextEncoding::Utf16Le, QStringLiteral("AB")},
        {QByteArray("A\0B", 3), TextEncoding::Utf16Le, TextEncoding::Utf16Le, QStringLiteral("AB")},
        {QByteArray("\xff\xfe" "A\0B", 5), TextEncoding::Auto, TextEncoding::Utf16LeBom, QStringLiteral("AB")},
        {QByteArray("\0A\x30", 3), TextEncoding::Utf16Be, TextEncoding::Utf16Be, QStringLiteral("A\u3000")},
        {QByteArray("A", 1), TextEncoding::Utf16Le, TextEncoding::Utf16Le, QStringLiteral("A")},
        {QByteArray("A\0\0\0B", 5), TextEncoding::Utf16Le, TextEncoding::Utf16Le, QStringLiteral("A")},
    };
    TestDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.toHex(' ').toStdString());
        TextEncoding enc = c.given;
        EXPECT_EQ(ReadTextFile(dir.Write("u.txt", c.bytes), enc), c.text);
        EXPECT_EQ(enc, c.read);
    }
}

TEST(TextEncoding, BomsAndAutoWriting)
{
    TestDir dir;
    const QString bomText = QStringLiteral("\uFEFFabc");
    ASSERT_TRUE(WriteTextFile(dir.Path("b.txt"), bomText, TextEncoding::Utf8Bom));
    EXPECT_EQ(TestDir::Read(dir.Path("b.txt")), QByteArray("\xEF\xBB\xBF" "abc"));

    ASSERT_TRUE(WriteTextFile(dir.Path("a.txt"), QStringLiteral("日本語"), TextEncoding::Auto));
    EXPECT_EQ(TestDir::Read(dir.Path("a.txt")), platform::WideToAnsi(u"日本語"));
    ASSERT_TRUE(WriteTextFile(dir.Path("u.txt"), QStringLiteral("한국"), TextEncoding::Auto));
    EXPECT_TRUE(TestDir::Read(dir.Path("u.txt")).startsWith("\xEF\xBB\xBF"));

    ASSERT_TRUE(WriteTextFile(dir.Path("j.txt"), QStringLiteral("abc"), TextEncoding::Jis));
    EXPECT_EQ(TestDir::Read(dir.Path("j.txt")), QByteArray("abc"));
    ASSERT_TRUE(WriteTextFile(dir.Path("j2.txt"), QStringLiteral("日本"), TextEncoding::Jis));
    EXPECT_TRUE(TestDir::Read(dir.Path("j2.txt")).startsWith("\x1b$B"));
}

TEST(TextEncoding, MissingAndUnwritableFiles)
{
    TestDir dir;
    TextEncoding enc = TextEncoding::EucJp;
    EXPECT_TRUE(ReadTextFile(dir.Path("missing"), enc).isEmpty());
    EXPECT_EQ(enc, TextEncoding::EucJp);
    EXPECT_TRUE(ReadTextFile(dir.Root(), enc).isEmpty());
    EXPECT_FALSE(WriteTextFile(dir.Path("no/such/folder/x.txt"), u"x", TextEncoding::Utf8));
}

TEST(TextEncoding, ReadsOnlyTheGivenByteCount)
{
    TestDir dir;
    const QString path = dir.Write("part.txt", "\xEF\xBB\xBF" "abcdef");
    const struct {
        qint64 count;
        const char *text;
        TextEncoding encoding;
    } cases[] = {
        {5, "ab", TextEncoding::Utf8Bom},
        {100, "abcdef", TextEncoding::Utf8Bom},
        {0, "", TextEncoding::Auto},  // nothing read: the encoding stays
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.count);
        TextEncoding enc = TextEncoding::Auto;
        EXPECT_EQ(ReadTextFile(path, enc, c.count), QString::fromLatin1(c.text));
        EXPECT_EQ(enc, c.encoding);
    }
    TMyWStrings l;
    TextEncoding enc = TextEncoding::Auto;
    l.LoadFromFilePart(path, enc, 6);
    EXPECT_EQ(l.ToStringList(), QStringList({"abc"}));
    EXPECT_EQ(l.Encoding, TextEncoding::Utf8Bom);
}

TEST(CodePage, Windows932Specials)
{
    EXPECT_EQ(platform::AnsiToWide("\x80\xA0\xFD\xFE\xFF"), QStringLiteral("\u0080\uF8F0\uF8F1\uF8F2\uF8F3"));
    EXPECT_EQ(platform::WideToAnsi(u"～"), QByteArray("\x81\x60"));
    EXPECT_EQ(platform::WideToAnsi(u"髙"), QByteArray("\xFB\xFC"));
    EXPECT_EQ(platform::WideToAnsi(u"\\~"), QByteArray("\\~"));
    bool lossy = false;
    EXPECT_EQ(platform::WideToAnsi(u"한", '?', &lossy), QByteArray("?"));
    EXPECT_TRUE(lossy);
    EXPECT_FALSE(platform::FitsAnsi(u"😀"));
    EXPECT_TRUE(platform::FitsAnsi(u"①～ｱ"));
}

} // namespace

namespace {

// Conversions through ICU run in pieces of 2^20 units: a character that straddles a piece boundary
// must come through whole, in both directions.
TEST(CodePage, LongTextsConvertAcrossPieces)
{
    QString text(1 << 20, u'a');
    text[(1 << 20) - 1] = QChar(0xD83D);  // a surrogate pair across the boundary
    text += QChar(0xDE00);
    text += QStringLiteral("日本語ｶﾅ");
    for (platform::CodePage cp : {platform::CodePage::Utf7, platform::CodePage::EucJp}) {
        bool lossy = true;
        const QByteArray bytes = platform::Encode(cp, text, &lossy);
        const QString back = platform::Decode(cp, bytes);
        if (cp == platform::CodePage::Utf7) {
            EXPECT_FALSE(lossy);
            EXPECT_EQ(back, text);
        } else {
            EXPECT_TRUE(lossy);  // EUC-JP has no emoji: one "?" for the pair
            EXPECT_EQ(back.size(), text.size() - 1);
            EXPECT_TRUE(back.endsWith(QStringLiteral("?日本語ｶﾅ")));
        }
    }
}

} // namespace
