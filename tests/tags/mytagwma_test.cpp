// The Windows Media (ASF) header reader over hand-built headers: content descriptions, the
// descriptor table, and damaged sizes and counts.
#include "tags/mytagwma.h"

#include "support/mediafixtures.h"
#include "support/tempdir.h"
#include "tagfields.h"
#include "tags/mytag.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <initializer_list>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QByteArray Le(quint64 v, int n)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

const QByteArray kHeaderGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const QByteArray kCdoGuid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const QByteArray kEcdoGuid("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const QByteArray kFilePropertiesGuid("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);

// UTF-16LE with the stored terminator.
QByteArray W(const QString &s)
{
    QByteArray b;
    for (QChar c : s)
        b += Le(c.unicode(), 2);
    return b + QByteArray(2, '\0');
}

QByteArray Object(const QByteArray &guid, const QByteArray &content)
{
    return guid + Le(quint64(24 + content.size()), 8) + content;
}

// The Content Description Object from its five stored strings.
QByteArray Cdo(const QByteArray &title, const QByteArray &author, const QByteArray &copyright = {},
               const QByteArray &description = {}, const QByteArray &rating = {})
{
    QByteArray c;
    for (const QByteArray *s : {&title, &author, &copyright, &description, &rating})
        c += Le(quint64(s->size()), 2);
    return Object(kCdoGuid, c + title + author + copyright + description + rating);
}

struct Descriptor {
    QString name;
    int type;
    QByteArray value;
};

QByteArray Ecdo(const std::vector<Descriptor> &list, int count = -1)
{
    QByteArray c = Le(quint64(count < 0 ? list.size() : count), 2);
    for (const Descriptor &d : list) {
        const QByteArray name = W(d.name);
        c += Le(quint64(name.size()), 2) + name + Le(quint64(d.type), 2) + Le(quint64(d.value.size()), 2) + d.value;
    }
    return Object(kEcdoGuid, c);
}

// The header object around the objects; the size includes its own 30 bytes.
QByteArray Header(const QByteArray &objects, qint64 count = -1, qint64 size = -1)
{
    return kHeaderGuid + Le(quint64(size < 0 ? 30 + objects.size() : size), 8) +
           Le(quint64(count < 0 ? 1 : count), 4) + QByteArray("\x01\x02", 2) + objects;
}

QByteArray Data()
{
    return QByteArray("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16) + QByteArray(200, '\x55');
}

TagFields Read(const QByteArray &file)
{
    TMyTagWMA tag;
    tag.ReadFromBytes(QStringLiteral("/m/clip.wma"), file);
    EXPECT_FALSE(tag.HasOpenFile());
    return FieldsOf(tag);
}

struct Case {
    const char *what;
    QByteArray file;
    TagFields expected;
};

TEST(TagWMA, ContentDescriptions)
{
    const QByteArray props = Object(kFilePropertiesGuid, QByteArray(80, '\x01'));
    const Case cases[] = {
        {"title, author and description; copyright unused",
         Header(props + Cdo(W("abc"), W(u"作者"_s), W("(c)"), W("desc"), W("G"))) + Data(),
         {{"Title", "abc"}, {"Artist", u"作者"_s}, {"Comment", "desc"}}},
        {"title of the terminator only is empty", Header(Cdo(W(""), W("a"))), {{"Artist", "a"}}},
        {"strings shorter than a character", Header(Cdo("x", "")), {}},
        {"a string without its terminator keeps its last character", Header(Cdo(W("abc").left(6), W("x").left(2))),
         {{"Title", "abc"}, {"Artist", "x"}}},
        {"reading stops at an earlier zero character", Header(Cdo(W("ab") + W("cd"), {})), {{"Title", "ab"}}},
        {"the object count is not trusted (0, 1, or too many)",
         Header(props + props + Cdo(W("t"), {}) + Ecdo({{"WM/Year", 0, W("2004")}}), 1),
         {{"Title", "t"}, {"Year", "2004"}}},
        {"count 0", Header(Cdo(W("t"), {}), 0), {{"Title", "t"}}},
        {"count 1000", Header(Cdo(W("t"), {}), 1000), {{"Title", "t"}}},
        {"a later description object overwrites", Header(Cdo(W("one"), W("a")) + Cdo(W("two"), {})),
         {{"Title", "two"}}},
        {"not an ASF file", Data() + Header(Cdo(W("t"), {})), {}},
        {"too short for a header", kHeaderGuid + Le(40, 8), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
    // A title of the terminator only: the tag record names the file instead.
    TMyTag named;
    named.ReadFromBytes(QStringLiteral("/m/clip.wmv"), Header(Cdo(W(""), W("a"))));
    EXPECT_EQ(named.Texts().Title, QStringLiteral("clip"));
    EXPECT_EQ(named.Texts().Artist, QStringLiteral("a"));
}

TEST(TagWMA, ExtendedDescriptors)
{
    const std::pair<const char *, const char *> names[] = {
        {"WM/AlbumTitle", "Album"}, {"WM/AlbumArtist", "AlbumArtist"}, {"WM/Composer", "Composer"},
        {"WM/Conductor", "Conductor"}, {"WM/Director", "Director"}, {"WM/Genre", "Genre"},
        {"WM/OriginalAlbumTitle", "OriginalAlbum"}, {"WM/OriginalArtist", "OriginalArtist"},
        {"WM/OriginalLyricist", "OriginalLyricist"}, {"WM/Producer", "Producer"}, {"WM/Publisher", "Publisher"},
        {"WM/OriginalReleaseTime", "OriginalReleaseTime"}, {"WM/OriginalReleaseYear", "OriginalReleaseYear"},
        {"WM/Lyrics", "Lyrics"}, {"WM/PartOfSet", "PartOfSet"}, {"WM/ContentGroupDescription", "ContentGroup"},
        {"WM/SubTitle", "Subtitle"}, {"WM/ModifiedBy", "ModifiedBy"}, {"WM/Writer", "Writer"}, {"WM/Year", "Year"},
    };
    std::vector<Descriptor> all;
    TagFields expected;
    for (const auto &[name, field] : names) {
        all.push_back({QString::fromLatin1(name), 0, W(QString::fromLatin1(field) + u"値"_s)});
        expected[field] = QString::fromLatin1(field) + u"値"_s;
    }
    EXPECT_EQ(Read(Header(Ecdo(all))), expected) << Describe(Read(Header(Ecdo(all))));

    const Case cases[] = {
        {"track number as a 32-bit number", Header(Ecdo({{"WM/TrackNumber", 3, Le(7, 4)}})), {{"Track", "7"}}},
        {"track number as a string", Header(Ecdo({{"WM/TrackNumber", 0, W("07")}})), {{"Track", "07"}}},
        {"track number of another type is left alone",
         Header(Ecdo({{"WM/TrackNumber", 0, W("3")}, {"WM/TrackNumber", 5, Le(9, 2)}})), {{"Track", "3"}}},
        {"a 32-bit track number too short", Header(Ecdo({{"WM/TrackNumber", 3, Le(7, 2)}})), {}},
        {"names compare exactly", Header(Ecdo({{"wm/year", 0, W("1999")}, {"WM/Year ", 0, W("1")}})), {}},
        {"other types are read as strings", Header(Ecdo({{"WM/Genre", 6, W("Rock")}})), {{"Genre", "Rock"}}},
        {"a later descriptor overwrites", Header(Ecdo({{"WM/Year", 0, W("1")}, {"WM/Year", 0, W("2")}})),
         {{"Year", "2"}}},
        {"unknown names skipped", Header(Ecdo({{"WM/Picture", 1, QByteArray(50, '\x7f')}, {"WM/Year", 0, W("5")}})),
         {{"Year", "5"}}},
        {"descriptor count larger than the object", Header(Ecdo({{"WM/Year", 0, W("5")}}, 60000)), {{"Year", "5"}}},
        {"only a content description: no other fields", Header(Cdo(W("t"), W("a"), {}, W("c"))) + Data(),
         {{"Title", "t"}, {"Artist", "a"}, {"Comment", "c"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

TEST(TagWMA, DamagedSizesEndTheWalk)
{
    const QByteArray cdo = Cdo(W("kept"), {});
    QByteArray zeroSized = Object(kFilePropertiesGuid, QByteArray(8, '\0'));
    zeroSized.replace(16, 8, Le(0, 8));
    QByteArray small = zeroSized;
    small.replace(16, 8, Le(23, 8));
    QByteArray past = Object(kFilePropertiesGuid, QByteArray(8, '\0'));
    past.replace(16, 8, Le(0xFFFFFFFFFFFFull, 8));
    QByteArray cdoLong = Cdo(W("abc"), W("def"));
    cdoLong.replace(24 + 2, 2, Le(5000, 2));  // the author's length runs past the object
    QByteArray ecdoLong = Ecdo({{"WM/Year", 0, W("1")}, {"WM/Genre", 0, W("g")}});
    ecdoLong.chop(2);  // the last value is cut short, the object's size says so
    ecdoLong.replace(16, 8, Le(quint64(ecdoLong.size()), 8));
    const Case cases[] = {
        {"an object of size 0 (no endless walk)", Header(cdo + zeroSized + Cdo(W("lost"), {})), {{"Title", "kept"}}},
        {"an object smaller than its own header", Header(cdo + small + Cdo(W("lost"), {})), {{"Title", "kept"}}},
        {"an object running past the header", Header(cdo + past), {{"Title", "kept"}}},
        {"a string running past its object", Header(cdoLong), {{"Title", "abc"}}},
        {"a descriptor running past its object", Header(ecdoLong) + Data(), {{"Year", "1"}}},
        {"header size below its own 30 bytes", Header(cdo, 1, 29) + Data(), {}},
        {"header size exactly 30", Header(QByteArray(), 1, 30) + cdo, {}},
        {"header larger than the file", Header(cdo, 1, 30 + cdo.size() + 1), {}},
        {"header of 4 GiB", Header(cdo, 1, 0x100000000LL), {}},
        {"header size with the top bit set", kHeaderGuid + Le(0x8000000000000000ull, 8) + Le(1, 4) + "\x01\x02" + cdo, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TagFields got = Read(c.file);
        EXPECT_EQ(got, c.expected) << Describe(got);
    }
}

// Files written by GStreamer's own muxer, whose header announces fewer objects than it holds.
TEST(TagWMA, GeneratedFiles)
{
    if (!HaveElements({"asfmux", "avenc_wmav2", "avenc_wmv2", "taginject"}))
        GTEST_SKIP() << "ASF encoders missing";
    TestDir dir;
    const QString wma = dir.Path(QStringLiteral("song.wma"));
    const QString wmv = dir.Path(QStringLiteral("clip.wmv"));
    ASSERT_TRUE(MakeMediaFile(wma, Words(QStringLiteral(
                                       "audiotestsrc num-buffers=20 ! taginject tags=title=abc,artist=def,album=ghi "
                                       "! avenc_wmav2 ! asfmux"))));
    ASSERT_TRUE(MakeMediaFile(wmv, Words(QStringLiteral(
                                       "videotestsrc num-buffers=10 ! video/x-raw,width=160,height=120 ! "
                                       "taginject tags=title=movie,artist=maker ! avenc_wmv2 ! asfmux"))));
    TMyTag a(wma);
    EXPECT_EQ(a.Texts().Title, QStringLiteral("abc"));
    EXPECT_EQ(a.Texts().Artist, QStringLiteral("def"));
    EXPECT_EQ(a.Texts().Album, QStringLiteral("ghi"));
    EXPECT_FALSE(a.HasOpenFile());
    TMyTag v(wmv);
    EXPECT_EQ(v.Texts().Title, QStringLiteral("movie"));
    EXPECT_EQ(v.Texts().Artist, QStringLiteral("maker"));
}

} // namespace
