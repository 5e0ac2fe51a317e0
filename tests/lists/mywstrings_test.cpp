#include "lists/mywstrings.h"
#include "platform/codepage.h"
#include "platform/uihooks.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

QStringList Entries(const TMyWStrings &l) { return l.ToStringList(); }

TEST(EscapedForm, EncodeDecodeAreInverse)
{
    std::mt19937 rng(1);
    for (int round = 0; round < 2000; ++round) {
        QString s;
        const int len = int(rng() % 12);
        for (int i = 0; i < len; ++i) {
            switch (rng() % 5) {
            case 0: s += QChar(char16_t(0x20 + rng() % 0x5F)); break;
            case 1: s += QChar(char16_t(0x3041 + rng() % 0x50)); break;
            case 2: s += QChar(char16_t(0x4E00 + rng() % 0x5000)); break;
            case 3: s += QChar(char16_t(rng() % 0x10000)); break;
            default: s += u'$'; break;
            }
        }
        ASSERT_EQ(DecodeString(EncodeString(s)), s) << round;
    }
}

TEST(EscapedForm, WhatTakesTheEscape)
{
    EXPECT_EQ(EncodeString(u"a$b"), QByteArray("a$0024b"));
    EXPECT_EQ(EncodeString(u"한"), QByteArray("$d55c"));
    EXPECT_EQ(EncodeString(u"😀"), QByteArray("$d83d$de00"));
    EXPECT_EQ(EncodeString(u"日本語"), platform::WideToAnsi(u"日本語"));
    // 髙 is FB FC: the escape walk must not lose step after it.
    EXPECT_EQ(EncodeString(u"髙$"), QByteArray("\xFB\xFC$0024"));
    EXPECT_EQ(DecodeString("$zz"), QStringLiteral("$zz"));
    EXPECT_EQ(DecodeString("$12"), QStringLiteral("$12"));
    EXPECT_EQ(EncodeString(u""), QByteArray());
}

TEST(WStrings, AddTextSplitsLinesAndRemembersTheBreak)
{
    struct Case {
        const char16_t *text;
        QStringList entries;
        LineBreakStyle style;
    } cases[] = {
        {u"a\r\n\r\nb\r\n", {"a", "", "b"}, LineBreakStyle::CrLf},
        {u"a\rb", {"a", "b"}, LineBreakStyle::Cr},
        {u"a\nb", {"a", "b"}, LineBreakStyle::Lf},
        {u"ab", {"ab"}, LineBreakStyle::CrLf},
        {u"", {}, LineBreakStyle::CrLf},
    };
    for (const Case &c : cases) {
        TMyWStrings l;
        l.SetTextStr(QStringView(c.text));
        EXPECT_EQ(Entries(l), c.entries) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(l.LineBreak, c.style);
    }
    TMyWStrings l;
    l.Add("a");
    l.Add("b");
    l.LineBreak = LineBreakStyle::Lf;
    EXPECT_EQ(l.GetTextStr(), QStringLiteral("a\nb\n"));
    l.Clear();
    EXPECT_EQ(l.GetTextStr(), QString());
}

TEST(WStrings, DelimitedAndCommaText)
{
    TMyWStrings l;
    l.SetDelimitedText(u"a,b,");
    EXPECT_EQ(Entries(l), QStringList({"a", "b"}));
    l.SetDelimitedText(u",a");
    EXPECT_EQ(Entries(l), QStringList({"", "a"}));
    l.SetDelimitedText(u"");
    EXPECT_EQ(l.Count(), 0);
    l.Add("");
    EXPECT_EQ(l.GetCommaText(), QStringLiteral("\"\""));
    l.Clear();
    l.Add("a b");
    l.Add("c");
    l.Add("d\"e");
    EXPECT_EQ(l.GetCommaText(), QStringLiteral("\"a b\",c,\"d\"\"e\""));
    EXPECT_EQ(l.GetDelimitedText(), QStringLiteral("a b,c,d\"e"));
}

TEST(WStrings, OutOfRangeIsIgnored)
{
    TMyWStrings l;
    l.Add("x");
    EXPECT_EQ(l.Get(5), QString());
    EXPECT_EQ(l.GetObject(-1), nullptr);
    l.Put(3, "y");
    l.Delete(7);
    l.Exchange(0, 9);
    EXPECT_EQ(Entries(l), QStringList({"x"}));
}

TEST(WStrings, SortedInsertionAndDuplicates)
{
    QStringList messages;
    platform::SetMessageHandler([&](const QString &m) { messages << m; });
    TMyWStrings l;
    l.SetSorted(true);
    for (const char *s : {"b", "a", "c", "B"})
        l.Add(s);
    EXPECT_EQ(Entries(l), QStringList({"a", "b", "c"}));
    l.Add("d");
    EXPECT_EQ(l.Get(3), QStringLiteral("d"));
    l.Duplicates = TDuplicates::Error;
    l.Add("a");
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(messages, QStringList({QStringLiteral("文字列リストは重複を許しません")}));
    platform::SetMessageHandler(nullptr);

    int found = -1;
    EXPECT_TRUE(l.Find("C", found));
    EXPECT_EQ(found, 2);
    EXPECT_FALSE(l.Find("bb", found));
    EXPECT_EQ(found, 2);
}

TEST(WStrings, SearchesAndNames)
{
    TMyWStrings l;
    for (const char *s : {"Alpha=1", "beta = 2", "=x", "gamma"})
        l.Add(s);
    EXPECT_EQ(l.IndexOfPrefix("BETA"), 1);
    EXPECT_EQ(l.IndexOfSubstringFrom("a", 2), 3);
    EXPECT_EQ(l.IndexOfPrefixFrom("alpha", -5), 0);
    EXPECT_EQ(l.GetName(1), QStringLiteral("beta"));
    EXPECT_EQ(l.GetName(2), QString());
    EXPECT_EQ(l.GetName(3), QString());
    EXPECT_EQ(l.IndexOfName("ALPHA"), 0);
    EXPECT_EQ(l.IndexOfName("alpha", 1), -1);
    l.CaseSensitive = true;
    EXPECT_EQ(l.IndexOfPrefix("BETA"), -1);
}

struct Owned : TObject {
    explicit Owned(int *counter) : counter(counter) {}
    ~Owned() override { ++*counter; }
    int *counter;
};

TEST(WStrings, OwnedObjectsAreFreed)
{
    int freed = 0;
    {
        TMyWStrings l;
        l.OwnsObjects = true;
        l.AddObject("a", new Owned(&freed));
        l.AddObject("b", new Owned(&freed));
        l.AddObject("c", new Owned(&freed));
        l.Delete(0);
        EXPECT_EQ(freed, 1);
        l.Clear();
        EXPECT_EQ(freed, 3);
        l.AddObject("d", new Owned(&freed));
    }
    EXPECT_EQ(freed, 4);
}

TEST(WStrings, ChangeEventsAndMoves)
{
    TMyWStrings l;
    int changes = 0;
    l.OnChange = [&](TMyWStrings *) { ++changes; };
    for (const char *s : {"1", "2", "3", "4"})
        l.Add(s);
    l.Move(0, 3);
    EXPECT_EQ(Entries(l), QStringList({"2", "3", "4", "1"}));
    l.Reverse();
    EXPECT_EQ(Entries(l), QStringList({"1", "4", "3", "2"}));
    l.Put(0, "x");  // no event
    EXPECT_EQ(changes, 4 + 1 + 2);
}

TEST(WStrings, MergeSortIsStableAndReportsProgress)
{
    TMyWStrings l;
    for (const char *s : {"b1", "a1", "B2", "a2", "b3", "A3"}) {
        l.Add(s);
    }
    // Compare by first letter only, ignoring case: equal letters must keep their order.
    l.MergeSort([](const TMyWStrings &list, int a, int b) {
        return list.CompareStrings(list.Get(a).left(1), list.Get(b).left(1));
    });
    EXPECT_EQ(Entries(l), QStringList({"a1", "a2", "A3", "b1", "B2", "b3"}));
    EXPECT_TRUE(l.SortStatus().startsWith(QStringLiteral("リストのソート中 [")));
}

// The progress text counts every call of the recursive sort: 2n - 1 for n entries, one entry
// included; a sort of nothing leaves it empty.
TEST(WStrings, MergeSortStatusCountsEverySortStep)
{
    const auto byText = [](const TMyWStrings &list, int a, int b) {
        return list.CompareStrings(list.Get(a), list.Get(b));
    };
    const struct {
        int count;
        const char *status;
    } cases[] = {{0, ""}, {1, "リストのソート中 [1]"}, {2, "リストのソート中 [3]"}, {5, "リストのソート中 [9]"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.count);
        TMyWStrings l;
        for (int i = c.count; i > 0; --i)
            l.Add(QString::number(i));
        l.MergeSort(byText);
        EXPECT_EQ(l.SortStatus(), QString::fromUtf8(c.status));
    }
    // A range of one entry within a longer list.
    TMyWStrings l;
    l.AddStrings({"c", "b", "a"});
    l.CustomSortRange(1, 1, byText);
    EXPECT_EQ(l.SortStatus(), QStringLiteral("リストのソート中 [1]"));
    EXPECT_EQ(Entries(l), QStringList({"c", "b", "a"}));
}

TEST(WStrings, ThreeSortsAgree)
{
    std::mt19937 rng(3);
    TMyWStrings a, b, c;
    for (int i = 0; i < 300; ++i) {
        const QString s = QStringLiteral("%1-%2").arg(QChar(char16_t(u'a' + rng() % 26))).arg(rng() % 50);
        a.Add(s);
        b.Add(s);
        c.Add(s);
    }
    a.Sort();
    b.QuickSort([](const TMyWStrings &l, int x, int y) { return l.CompareEntries(x, y); });
    c.InsertionSort(false);
    EXPECT_EQ(Entries(a), Entries(b));
    EXPECT_EQ(Entries(a), Entries(c));
    c.InsertionSort(true);
    a.RemoveDuplicates();
    EXPECT_EQ(Entries(a), Entries(c));
}

TEST(Natural, OrderOfNamesAndPaths)
{
    // Each row in ascending order.
    const QStringList rows[] = {
        {"track2", "track10", "track100"},
        {"a", "a1", "a2", "a10", "b"},
        {"/a/file9.mp3", "/a/file10.mp3", "/a/sub/file1.mp3", "/b/file1.mp3"},
        {"disc 2 track 9", "disc 2 track 10", "disc 10 track 1"},
    };
    for (const QStringList &row : rows) {
        TMyWStrings l;
        for (int i = row.size() - 1; i >= 0; --i)
            l.Add(row[i]);
        l.SortFileNames();
        EXPECT_EQ(Entries(l), row);
        for (int i = 0; i + 1 < row.size(); ++i) {
            EXPECT_LT(CompareFileNames(row[i], row[i + 1]), 0) << row[i].toStdString();
            EXPECT_GT(CompareFileNames(row[i + 1], row[i]), 0) << row[i].toStdString();
        }
    }
    EXPECT_EQ(CompareNatural(u"Track2", u"track2"), 0);
}

TEST(Natural, SwappingArgumentsReversesTheSign)
{
    const char16_t *texts[] = {u"ab", u"AB", u"aB", u"a7", u"a07", u"a007x", u"a7x", u"ｱ", u"ア", u"あ",
                               u"é", u"e\u0301", u"x99999999999999999999", u"x99999999999999999998", u"", u"1"};
    for (const char16_t *x : texts)
        for (const char16_t *y : texts) {
            const int xy = CompareNatural(QStringView(x), QStringView(y));
            const int yx = CompareNatural(QStringView(y), QStringView(x));
            EXPECT_EQ(xy, -yx) << QString::fromUtf16(x).toStdString() << " / " << QString::fromUtf16(y).toStdString();
            NaturalKey kx(x), ky(y);
            EXPECT_EQ(CompareNaturalKeys(kx, ky), xy);
        }
    // Numbers written with leading zeros are still different names.
    EXPECT_NE(CompareNatural(u"a07", u"a7"), 0);
}

// Texts from pieces that exercise every rule: digit runs (with leading zeros and too long for
// 64 bits), case, marks, widths, kana, folders.
QString RandomNaturalText(std::mt19937 &rng, bool withFolders)
{
    static const char16_t *const pieces[] = {u"1", u"2", u"10", u"007", u"0", u"99999999999999999999", u"a",
                                             u"A", u"b", u"é", u"e\u0301", u"É", u" ", u".", u"ß", u"ｱ",
                                             u"ア", u"が", u"か\u3099", u"😀", u"\u0345", u"\u0399", u"Ａ"};
    const int n = int(rng() % 7);
    QString s;
    for (int i = 0; i < n; ++i) {
        if (withFolders && rng() % 5 == 0)
            s += u'/';
        s += QString::fromUtf16(pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))]);
    }
    return s;
}

TEST(Natural, KeysAndTheKeyedSortAgreeWithTheComparison)
{
    std::mt19937 rng(9);
    std::vector<QString> texts;
    for (int i = 0; i < 300; ++i)
        texts.push_back(RandomNaturalText(rng, false));
    std::vector<NaturalKey> keys;
    for (const QString &t : texts)
        keys.emplace_back(t);
    for (int round = 0; round < 20000; ++round) {
        const size_t i = rng() % texts.size(), j = rng() % texts.size();
        const int direct = CompareNatural(texts[i], texts[j]);
        ASSERT_EQ(CompareNaturalKeys(keys[i], keys[j]), direct) << texts[i].toStdString() << " / " << texts[j].toStdString();
        ASSERT_EQ(CompareNatural(texts[j], texts[i]), -direct);
    }

    // The keyed file-name sort gives what the merge sort gives with the plain comparison.
    TMyWStrings keyed, plain;
    for (int i = 0; i < 500; ++i) {
        const QString path = RandomNaturalText(rng, true);
        keyed.Add(path);
        plain.Add(path);
    }
    keyed.SortFileNames();
    plain.MergeSort([](const TMyWStrings &l, int a, int b) { return CompareFileNames(l.Get(a), l.Get(b)); });
    plain.RemoveExactDuplicates();
    EXPECT_EQ(Entries(keyed), Entries(plain));
}

TEST(Natural, LongTextsFullOfNumbersStayCheap)
{
    // Many alike numbers: still by value well into the text.
    const QString head = QStringLiteral("1a").repeated(60);
    EXPECT_LT(CompareNatural(head + u"2"_qs, head + u"10"_qs), 0);
    EXPECT_LT(CompareNaturalKeys(NaturalKey(head + u"2"_qs), NaturalKey(head + u"10"_qs)), 0);

    // A crafted playlist line of 400,000 units made of numbers: the walk ends after a bounded
    // number of steps (the remainders then compare as plain texts) instead of recursing once per
    // number, and the keys do not copy the text once per number.
    const QString longA = QStringLiteral("1a").repeated(200000) + u"b"_qs;
    const QString longB = QStringLiteral("1a").repeated(200000) + u"c"_qs;
    EXPECT_EQ(CompareNatural(longA, longB), -1);
    EXPECT_EQ(CompareNatural(longB, longA), 1);
    EXPECT_EQ(CompareNaturalKeys(NaturalKey(longA), NaturalKey(longB)), -1);
    EXPECT_EQ(CompareFileNames(u"/m/"_qs + longB, u"/m/"_qs + longA), 1);
    TMyWStrings l;
    l.Add(u"/m/"_qs + longB);
    l.Add(u"/m/"_qs + longA);
    l.SortFileNames();
    EXPECT_EQ(l.Get(0), u"/m/"_qs + longA);
}

TEST(Natural, DuplicateFileNamesAreExact)
{
    TMyWStrings l;
    for (const char *s : {"/m/Music/a.mp3", "/m/music/a.mp3", "/m/Music/a.mp3", "/m/a7.mp3", "/m/a07.mp3"})
        l.Add(s);
    l.SortFileNamesUnique();
    EXPECT_EQ(l.Count(), 4);
    EXPECT_TRUE(l.ToStringList().contains("/m/music/a.mp3"));
    EXPECT_TRUE(l.ToStringList().contains("/m/a07.mp3"));
}

TEST(WStrings, FilesKeepTheirEncoding)
{
    TestDir dir;
    const QString bom = dir.Write("bom.txt", "\xEF\xBB\xBF" "one\r\ntwo\r\n");
    const QString sjis = dir.Write("sjis.txt", platform::WideToAnsi(u"日本\n語\n"));
    TMyWStrings l;
    l.LoadFromFile(bom);
    EXPECT_EQ(l.Encoding, TextEncoding::Utf8Bom);
    EXPECT_EQ(Entries(l), QStringList({"one", "two"}));
    ASSERT_TRUE(l.SaveToFile(dir.Path("out.txt")));
    EXPECT_EQ(TestDir::Read(dir.Path("out.txt")), QByteArray("\xEF\xBB\xBF" "one\r\ntwo\r\n"));
    // The encoding found for the first file is used for the next one.
    l.LoadFromFile(sjis);
    EXPECT_EQ(l.Encoding, TextEncoding::Utf8Bom);
    ASSERT_TRUE(l.SaveToFileAs(dir.Path("lf.txt"), TextEncoding::Ansi, LineBreakStyle::Lf));
    l.Encoding = TextEncoding::Auto;
    l.LoadFromFile(dir.Path("lf.txt"));
    EXPECT_EQ(l.LineBreak, LineBreakStyle::Lf);
    l.AddFromFile(sjis);
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Get(2), QStringLiteral("日本"));
    l.LoadFromFile(dir.Path("missing.txt"));
    EXPECT_EQ(l.Count(), 0);
}

TEST(WStrings, LineBreaksSurviveLoadAndSave)
{
    TestDir dir;
    const struct {
        const char *bytes;
        LineBreakStyle style;
    } cases[] = {
        {"a\r\n\r\nb\r\n", LineBreakStyle::CrLf},
        {"a\r\rb\r", LineBreakStyle::Cr},
        {"a\n\nb\n", LineBreakStyle::Lf},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes);
        const QString in = dir.Write("in.txt", c.bytes);
        TMyWStrings l;
        l.LoadFromFile(in);
        EXPECT_EQ(Entries(l), QStringList({"a", "", "b"}));
        EXPECT_EQ(l.LineBreak, c.style);
        ASSERT_TRUE(l.SaveToFile(dir.Path("out.txt")));
        EXPECT_EQ(TestDir::Read(dir.Path("out.txt")), QByteArray(c.bytes));
    }
}

TEST(WStrings, AddingAListToItselfCopiesItOnce)
{
    TMyWStrings l;
    l.Add("a");
    l.Add("b");
    l.AddStrings(l);
    EXPECT_EQ(Entries(l), QStringList({"a", "b", "a", "b"}));
    l.Clear();
    l.Add("a");
    l.Add("b");
    l.InsertStrings(1, l);
    EXPECT_EQ(Entries(l), QStringList({"a", "a", "b", "b"}));
}

TEST(WStrings, NarrowViews)
{
    TMyWStrings l;
    l.Add(QStringLiteral("日本$"));
    l.Add(QStringLiteral("한"));
    EXPECT_EQ(l.EscapedStrings(), QList<QByteArray>({platform::WideToAnsi(u"日本") + "$0024", "$d55c"}));
    EXPECT_EQ(l.AnsiStrings(), QList<QByteArray>({platform::WideToAnsi(u"日本$"), "?"}));
    TMyWStrings m;
    m.AddAnsiStrings(l.EscapedStrings());
    EXPECT_EQ(Entries(m), Entries(l));
}

// A block moved in one pass lands where moving its entries one by one would put them, with one
// change notice; a block deleted in one pass frees exactly its own objects.
TEST(WStringsBlocks, MoveRangeMatchesSingleMovesAndDeleteRangeFreesItsObjects)
{
    struct Case {
        int first, count, to;
    };
    const Case cases[] = {{3, 3, 0}, {3, 3, 1}, {0, 2, 8}, {5, 5, 0}, {2, 1, 2}, {4, 3, 99}, {6, 4, -5}};
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1+%2 -> %3").arg(c.first).arg(c.count).arg(c.to).toStdString());
        TMyWStrings block, single;
        for (int i = 0; i < 10; ++i) {
            block.Add(QString::number(i));
            single.Add(QString::number(i));
        }
        int changes = 0;
        block.OnChange = [&](TMyWStrings *) { ++changes; };
        block.MoveRange(c.first, c.count, c.to);
        const int to = std::clamp(c.to, 0, 10 - c.count);
        if (to < c.first)
            for (int j = c.first; j < c.first + c.count; ++j)
                single.Move(j, j - (c.first - to));
        else
            for (int j = c.first + c.count - 1; j >= c.first; --j)
                single.Move(j, j + (to - c.first));
        EXPECT_EQ(block.ToStringList(), single.ToStringList());
        EXPECT_EQ(changes, 1);
    }

    struct Counted : TObject {
        int *freed;
        explicit Counted(int *f) : freed(f) {}
        ~Counted() override { ++*freed; }
    };
    int freed = 0;
    TMyWStrings owned;
    owned.OwnsObjects = true;
    for (int i = 0; i < 6; ++i)
        owned.AddObject(QString::number(i), new Counted(&freed));
    owned.DeleteRange(4, 10);  // clamped to the end
    EXPECT_EQ(freed, 2);
    owned.DeleteRange(1, 2);
    EXPECT_EQ(freed, 4);
    EXPECT_EQ(owned.ToStringList(), (QStringList{QStringLiteral("0"), QStringLiteral("3")}));
}

} // namespace
