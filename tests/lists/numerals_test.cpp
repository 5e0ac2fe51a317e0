#include "lists/mywstrings.h"
#include "lists/numerals.h"
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

namespace {

QString S(const char16_t *s) { return QString::fromUtf16(s); }
std::string U8(QStringView s) { return s.toString().toStdString(); }
int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

constexpr qint64 kMax = std::numeric_limits<qint64>::max();

struct SplitCase {
    const char16_t *text;
    const char16_t *prefix;
    qint64 value;
    const char16_t *rest;
};

TEST(SplitAtNumeral, ReadsEveryGroupAndPlaceMarker)
{
    const SplitCase cases[] = {
        // Place markers, with and without a coefficient of their own.
        {u"三千二百五十六", u"", 3256, u""},
        {u"十二", u"", 12, u""},
        {u"第十二話", u"第", 12, u"話"},
        {u"二万三千", u"", 23000, u""},
        {u"12万", u"", 120000, u""},
        {u"十万", u"", 100000, u""},  // the value read so far is the coefficient of 万
        {u"三十万", u"", 300000, u""},
        {u"二千万", u"", 20000000, u""},
        {u"一万二千三百四十五", u"", 12345, u""},
        {u"百十", u"", 110, u""},
        {u"千百", u"", 1100, u""},
        {u"二十万三十", u"", 200030, u""},
        {u"第万", u"第", 10000, u""},
        // Financial forms and their variants.
        {u"壱萬弐千", u"", 12000, u""},
        {u"参拾陸", u"", 36, u""},
        {u"壹佰貳拾", u"", 120, u""},
        {u"仟", u"", 1000, u""},
        // Digit groups.
        {u"１２", u"", 12, u""},
        {u"二〇二四年", u"", 2024, u"年"},
        {u"零", u"", 0, u""},
        {u"Track 07.mp3", u"Track ", 7, u".mp3"},
        {u"⑮", u"", 15, u""},
        {u"⑳", u"", 20, u""},
        {u"①②", u"", 12, u""},  // digit strings join
        {u"Ⅳ", u"", 4, u""},
        {u"Ⅹ", u"", 10, u""},
        {u"Ⅻ", u"Ⅻ", 0, u""},    // U+216B lies outside Ⅰ..Ⅹ
        {u"ⅳ", u"ⅳ", 0, u""},    // small Roman numerals are no numerals
        // Where a number ends.
        {u"二百百", u"", 200, u"百"},
        {u"十十", u"", 10, u"十"},
        {u"拾陌", u"", 10, u"陌"},
        {u"百千", u"", 100, u"千"},
        {u"万萬", u"", 10000, u"萬"},
        {u"v1.2", u"v", 1, u".2"},
        {u"😀3😀", u"😀", 3, u"😀"},
        // No number at all.
        {u"abc", u"abc", 0, u""},
        {u"", u"", 0, u""},
        // 64-bit limits: too many digits read as 0, overflowing sums and products stop at the top.
        {u"9223372036854775807", u"", kMax, u""},
        {u"9223372036854775808", u"", 0, u""},
        {u"99999999999999999999999", u"", 0, u""},
        {u"9223372036854775807万", u"", kMax, u""},
        {u"九二二三三七二〇三六八五四七七五八〇七千", u"", kMax, u""},
    };
    for (const SplitCase &c : cases) {
        const QString text = S(c.text);
        SCOPED_TRACE(U8(text));
        QStringView prefix, rest;
        qint64 value = -1;
        SplitAtNumeral(text, prefix, value, rest);
        EXPECT_EQ(U8(prefix), U8(S(c.prefix)));
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(U8(rest), U8(S(c.rest)));
    }
}

struct OrderCase {
    const char16_t *a;
    const char16_t *b;
    int expected;
};

TEST(CompareNumerals, OrdersByValueAcrossWritings)
{
    const OrderCase cases[] = {
        {u"第2話", u"第十話", -1},
        {u"第十話", u"第12話", -1},
        {u"第二話", u"第十話", -1},
        {u"第九十九話", u"第百話", -1},
        {u"Track 2", u"Track 10", -1},
        {u"disc 2 track 9", u"disc 2 track 10", -1},
        {u"disc 3 track 1", u"disc 2 track 10", 1},
        {u"①", u"⑩", -1},
        {u"Ⅸ", u"Ⅹ", -1},
        {u"Vol.Ⅲ", u"Vol.４", -1},
        {u"九万九千九百九十九", u"十万", -1},
        {u"file", u"file1", -1},
        {u"ABC", u"abc", 0},
        {u"Track 10", u"TRACK 10", 0},
        {u"", u"", 0},
        {u"", u"a", -1},
        {u"apple", u"banana", -1},
        // Prefixes that differ only in a mark are still different prefixes: the number does not
        // decide, the upper-case code units do.
        {u"が1", u"か2", 1},
        {u"か1", u"か2", -1},
        // A text that starts with its number against one that does not: the plain order.
        {u"2b", u"a1", -1},
    };
    for (const OrderCase &c : cases) {
        SCOPED_TRACE(U8(S(c.a)) + " vs " + U8(S(c.b)));
        EXPECT_EQ(CompareNumerals(S(c.a), S(c.b)), c.expected);
        EXPECT_EQ(CompareNumerals(S(c.b), S(c.a)), -c.expected);
    }
}

TEST(CompareNumerals, EqualNumbersWrittenDifferentlyStayDistinct)
{
    // One value, several writings: never 0 (a sorted list that drops equal entries would lose
    // one of the files), always antisymmetric, and every pair in the same order as the plain
    // locale order so that a sort gives one result whatever the input order.
    const char16_t *writings[] = {u"第12話", u"第１２話", u"第十二話", u"第拾弐話", u"第012話"};
    for (const char16_t *a : writings)
        for (const char16_t *b : writings) {
            SCOPED_TRACE(U8(S(a)) + " vs " + U8(S(b)));
            const int c = CompareNumerals(S(a), S(b));
            if (QStringView(a) == QStringView(b))
                EXPECT_EQ(c, 0);
            else
                EXPECT_NE(c, 0);
            EXPECT_EQ(CompareNumerals(S(b), S(a)), -c);
        }
    // Still between their neighbours.
    for (const char16_t *w : writings) {
        EXPECT_LT(CompareNumerals(u"第11話", S(w)), 0) << U8(S(w));
        EXPECT_GT(CompareNumerals(u"第十三話", S(w)), 0) << U8(S(w));
    }
}

TEST(CompareNumerals, SortsEpisodesByValue)
{
    const QStringList expected = {u"第1話"_qs,  u"第二話"_qs, u"第3話"_qs,     u"第④話"_qs,   u"第Ⅴ話"_qs,
                                  u"第十話"_qs, u"第11話"_qs, u"第十二話"_qs, u"第二十話"_qs, u"第百話"_qs,
                                  u"第百一話"_qs, u"第千話"_qs, u"第一万話"_qs};
    QStringList shuffled = expected;
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        QStringList sorted = shuffled;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const QString &a, const QString &b) { return CompareNumerals(a, b) < 0; });
        ASSERT_EQ(sorted, expected);
    }
}

TEST(CompareNumeralNames, FoldersFirstThenNames)
{
    const OrderCase cases[] = {
        {u"/m/a/2.mp3", u"/m/a/10.mp3", -1},
        {u"/m/a/z.mp3", u"/m/b/1.mp3", -1},
        {u"/m/a 2/z.mp3", u"/m/a 10/a.mp3", -1},
        {u"/m/第二巻/10.mp3", u"/m/第十巻/1.mp3", -1},
        {u"C:\\a\\2.mp3", u"C:\\a\\10.mp3", -1},
        {u"C:\\a\\z.mp3", u"C:\\b\\1.mp3", -1},
        {u"/M/A.MP3", u"/m/a.mp3", 0},
        // Upper-cased first, so small Roman numerals read as numerals here: ⅳ is Ⅳ.
        {u"/x/ⅳ", u"/x/Ⅹ", -1},
    };
    for (const OrderCase &c : cases) {
        SCOPED_TRACE(U8(S(c.a)) + " vs " + U8(S(c.b)));
        EXPECT_EQ(CompareNumeralNames(S(c.a), S(c.b)), c.expected);
        EXPECT_EQ(CompareNumeralNames(S(c.b), S(c.a)), -c.expected);
    }
}

// Texts built from pieces that exercise every rule: numerals of all groups, marks, case,
// blanks, folders.
QString RandomText(std::mt19937 &rng, bool withFolders)
{
    static const char16_t *const pieces[] = {
        u"1",  u"2",  u"10", u"007", u"一", u"二", u"十", u"百", u"千", u"万", u"萬", u"壱", u"拾",
        u"〇", u"零", u"１", u"２", u"①", u"⑩", u"⑳", u"Ⅳ", u"Ⅹ", u"ⅳ", u"Ⅻ", u"第", u"話",
        u"が", u"か", u"a",  u"A",  u"b",  u"é",  u"e\u0301", u" ", u".", u"-", u"😀",
    };
    const int n = int(rng() % 7);
    QString s;
    for (int i = 0; i < n; ++i) {
        if (withFolders && rng() % 6 == 0)
            s += u'/';
        s += S(pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))]);
    }
    return s;
}

TEST(NumeralKey, KeysCompareLikeTheTexts)
{
    std::mt19937 rng(3);
    std::vector<QString> texts;
    for (int i = 0; i < 400; ++i)
        texts.push_back(RandomText(rng, false));
    std::vector<NumeralKey> keys;
    for (const QString &t : texts)
        keys.emplace_back(t);
    for (int round = 0; round < 20000; ++round) {
        const size_t i = rng() % texts.size(), j = rng() % texts.size();
        const int direct = CompareNumerals(texts[i], texts[j]);
        ASSERT_EQ(CompareNumeralKeys(keys[i], keys[j]), direct) << U8(texts[i]) << " vs " << U8(texts[j]);
        ASSERT_EQ(CompareNumerals(texts[j], texts[i]), -direct) << U8(texts[i]) << " vs " << U8(texts[j]);
    }
}

TEST(NumeralNameKeys, KeysCompareLikeThePathsAndSortTheList)
{
    std::mt19937 rng(5);
    NumeralNameKeys keys;
    QStringList paths;
    for (int i = 0; i < 400; ++i) {
        paths << RandomText(rng, true);
        keys.Add(paths.last());
    }
    ASSERT_EQ(keys.Count(), 400);
    for (int round = 0; round < 20000; ++round) {
        const int i = int(rng() % 400), j = int(rng() % 400);
        const int direct = CompareNumeralNames(paths[i], paths[j]);
        ASSERT_EQ(keys.Compare(i, j), direct) << U8(paths[i]) << " vs " << U8(paths[j]);
        ASSERT_EQ(Sign(CompareNumeralNames(paths[j], paths[i])), -direct);
    }

    const QStringList expected = {u"/m/第1巻/2.mp3"_qs, u"/m/第1巻/十.mp3"_qs, u"/m/第二巻/1.mp3"_qs,
                                  u"/m/第十巻/①.mp3"_qs, u"/m/第十巻/Ⅱ.mp3"_qs, u"/m/第十巻/３.mp3"_qs};
    TMyWStrings list;
    for (const QString &p : {expected[4], expected[2], expected[5], expected[0], expected[3], expected[1]})
        list.Add(p);
    SortNumeralNames(list);
    EXPECT_EQ(list.ToStringList(), expected);
}

TEST(CompareNumerals, LongTextsFullOfNumbersStayCheap)
{
    // Many alike numbers: still by value well into the text.
    const QString head = QStringLiteral("1a").repeated(60);
    EXPECT_LT(CompareNumerals(head + u"2"_qs, head + u"10"_qs), 0);
    EXPECT_LT(CompareNumeralKeys(NumeralKey(head + u"2"_qs), NumeralKey(head + u"10"_qs)), 0);

    // A crafted tag text of 400,000 units made of numbers: the comparison ends after a bounded
    // number of steps (then the remainders compare as plain texts), and the keys do not copy
    // the text once per number.
    const QString longA = QStringLiteral("1a").repeated(200000) + u"b"_qs;
    const QString longB = QStringLiteral("1a").repeated(200000) + u"c"_qs;
    const int direct = CompareNumerals(longA, longB);
    EXPECT_EQ(direct, -1);
    EXPECT_EQ(CompareNumerals(longB, longA), 1);
    EXPECT_EQ(CompareNumeralKeys(NumeralKey(longA), NumeralKey(longB)), direct);
    NumeralNameKeys keys;
    keys.Add(longA);
    keys.Add(longB);
    EXPECT_EQ(keys.Compare(0, 1), CompareNumeralNames(longA, longB));
}

TEST(ListHelpers, IgnoreCaseMatching)
{
    EXPECT_TRUE(IsOneOf(u".M3U8", {u".m3u", u".m3u8", u".pls"}));
    EXPECT_FALSE(IsOneOf(u".m3u8x", {u".m3u", u".m3u8"}));
    EXPECT_FALSE(IsOneOf(u"", {u".m3u"}));
    EXPECT_TRUE(IsOneOf(u"ＷＰＬ", QStringList{u"wpl"_qs, u"ｗｐｌ"_qs}));  // full-width case pairs

    const QList<QByteArray> narrow = {platform::WideToAnsi(u"曲.M3U"), QByteArray("list.pls")};
    EXPECT_TRUE(InNarrowList(u"曲.m3u", narrow));
    EXPECT_TRUE(InNarrowList(u"LIST.PLS", narrow));
    EXPECT_FALSE(InNarrowList(u"曲.m3u8", narrow));
    EXPECT_FALSE(InNarrowList(u"x", {}));

    TMyWStrings wide;
    wide.Add(u"/music/ライブ.M3U8"_qs);
    wide.Add(u"/music/a.pls"_qs);
    EXPECT_TRUE(InWideList(u"/MUSIC/ライブ.m3u8", wide));
    EXPECT_FALSE(InWideList(u"/music/ライブ2.m3u8", wide));
}

TEST(ListHelpers, TrimTrailingEmptyKeepsInnerEmptyEntries)
{
    const struct {
        QStringList in, out;
    } cases[] = {
        {{u"a"_qs, u""_qs, u"b"_qs, u""_qs, u""_qs}, {u"a"_qs, u""_qs, u"b"_qs}},
        {{u""_qs, u""_qs}, {}},
        {{}, {}},
        {{u"a"_qs}, {u"a"_qs}},
        {{u" "_qs, u""_qs}, {u" "_qs}},
    };
    for (const auto &c : cases) {
        TMyWStrings l;
        l.Duplicates = TDuplicates::Accept;
        l.AddStrings(c.in);
        ASSERT_EQ(l.Count(), c.in.size());
        TrimTrailingEmpty(l);
        EXPECT_EQ(l.ToStringList(), c.out) << c.in.join(u'|').toStdString();
    }
}

} // namespace
