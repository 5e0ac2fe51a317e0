#include "shell/myparam.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <random>

namespace {

QString S(const char16_t *s) { return QString::fromUtf16(s); }
std::string U8(const QString &s) { return s.toStdString(); }

struct SplitCase {
    const char16_t *text;
    QStringList args;
};

TEST(SplitCommandLine, QuoteRules)
{
    const SplitCase cases[] = {
        {u"a b  c", {u"a"_qs, u"b"_qs, u"c"_qs}},
        {u"  a\tb\r\nc  ", {u"a"_qs, u"b"_qs, u"c"_qs}},
        {u"\"a b\" c", {u"a b"_qs, u"c"_qs}},
        {u"\"a\tb\"", {u"a\tb"_qs}},
        {u"a \"\" b", {u"a"_qs, u""_qs, u"b"_qs}},  // a quoted empty argument
        {u"\"\"", {u""_qs}},
        {u"ab\"cd\"", {u"ab"_qs, u"cd"_qs}},        // text before a quote stands alone
        {u"\"ab\"cd", {u"ab"_qs, u"cd"_qs}},
        {u"\"a\"\"b\"", {u"a\"b"_qs}},               // "" inside quotes is one quote
        {u"\"a\"\"\"\"b\"", {u"a\"\"b"_qs}},
        {u"\"\"\"\"", {u"\""_qs}},
        {u"\"a\"\"\"", {u"a\""_qs}},
        {u"\"abc", {u"abc"_qs}},                    // an open quote runs to the end
        {u"\"", {}},
        {u"", {}},
        {u"   ", {}},
        {u"/LISTSAVE:\"/tmp/a b.m3u8\"", {u"/LISTSAVE:"_qs, u"/tmp/a b.m3u8"_qs}},
        {u"プログラム \"曲 名.mp3\" 😀", {u"プログラム"_qs, u"曲 名.mp3"_qs, u"😀"_qs}},
        {u"a\u3000b", {u"a\u3000b"_qs}},             // an ideographic space is no blank
    };
    for (const SplitCase &c : cases) {
        SCOPED_TRACE(U8(S(c.text)));
        EXPECT_EQ(SplitCommandLine(S(c.text)), c.args);
    }
}

struct RestCase {
    const char16_t *text;
    const char16_t *rest;
};

TEST(RestOfCommandLine, DropsTheFirstArgument)
{
    const RestCase cases[] = {
        {u"\"/opt/my app/tavio\" a b", u"a b"},
        {u"tavio   a  b  ", u"a  b"},
        {u"  tavio\tx", u"x"},
        {u"\"/opt/tavio\"", u""},  // quoted program path and nothing after it
        {u"\"/opt/tavio\"   ", u""},
        {u"tavio", u""},           // the first argument never ends
        {u"\"/opt/tav", u""},
        {u"", u""},
        {u"\"a\"\"b\" x", u"x"},   // a doubled quote inside the quoted program path
        {u"\"\" x", u"x"},         // an empty program path
        {u"\"a\"x y", u"x y"},
        {u"tavio /LISTSAVE:\"/tmp/a b.m3u8\" \"c d\"", u"/LISTSAVE:\"/tmp/a b.m3u8\" \"c d\""},
        // Text glued to a quote is an argument of its own, as when splitting.
        {u"ab\"cd e\" f", u"\"cd e\" f"},
        // Blanks inside a quote that never closes are part of the last argument.
        {u"tavio \"a b  ", u"\"a b  "},
    };
    for (const RestCase &c : cases) {
        SCOPED_TRACE(U8(S(c.text)));
        EXPECT_EQ(U8(RestOfCommandLine(S(c.text))), U8(S(c.rest)));
        EXPECT_EQ(TMyParam(S(c.text)).RestOfCommandLine(), S(c.rest));
    }
}

TEST(TMyParam, SwitchWithQuotedValueIsJoined)
{
    const TMyParam p(u"tavio /LISTSAVE:\"/tmp/a b.m3u8\" /PLAY"_qs);
    ASSERT_EQ(p.Count(), 3);
    EXPECT_EQ(p.ParamCount(), 2);
    EXPECT_EQ(p.Arguments, (QStringList{u"tavio"_qs, u"/LISTSAVE:/tmp/a b.m3u8"_qs, u"/PLAY"_qs}));
    const TMyParamOption &o = p.OptionAt(1);
    EXPECT_TRUE(o.IsSwitch);
    EXPECT_TRUE(o.HasValue);
    EXPECT_EQ(o.Index, 1);
    EXPECT_EQ(o.NonSwitchIndex, -1);
    EXPECT_EQ(o.Name, u"LISTSAVE"_qs);
    EXPECT_EQ(o.Value, u"/tmp/a b.m3u8"_qs);
    EXPECT_EQ(o.ValueText, u"/tmp/a b.m3u8"_qs);
    EXPECT_EQ(o.ValueUpper, u"/TMP/A B.M3U8"_qs);
    EXPECT_EQ(p.SwitchValue(u"listsave"), u"/tmp/a b.m3u8"_qs);
    EXPECT_FALSE(p.OptionAt(2).HasValue);
    EXPECT_EQ(p.SwitchCount, 2);
    EXPECT_EQ(p.NonSwitchCount, 1);
}

TEST(TMyParam, JoiningOnlyForSwitchesEndingInColon)
{
    const struct {
        const char16_t *text;
        QStringList args;
    } cases[] = {
        {u"p /X: \"a b\"", {u"p"_qs, u"/X:a b"_qs}},
        {u"p /X: y", {u"p"_qs, u"/X:y"_qs}},
        {u"p /X: \"\"", {u"p"_qs, u"/X:"_qs}},         // an empty value joins too
        {u"p /X:", {u"p"_qs, u"/X:"_qs}},              // the last argument has nothing to join
        {u"p \"\" /X:", {u"p"_qs, u""_qs, u"/X:"_qs}},  // an empty argument is never joined
        {u"p \"\" y", {u"p"_qs, u""_qs, u"y"_qs}},
        {u"p /tmp/dir: y", {u"p"_qs, u"/tmp/dir:"_qs, u"y"_qs}},  // a path, not a switch
        {u"p a: y", {u"p"_qs, u"a:"_qs, u"y"_qs}},
        {u"p /X: /Y: z", {u"p"_qs, u"/X:/Y:"_qs, u"z"_qs}},        // one join per position
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(U8(S(c.text)));
        EXPECT_EQ(TMyParam(S(c.text)).Arguments, c.args);
    }
}

TEST(TMyParam, WhatCountsAsASwitch)
{
    ASSERT_TRUE(QFileInfo(u"/tmp"_qs).isDir());
    const struct {
        const char16_t *arg;
        bool isSwitch;
        const char16_t *name;
        const char16_t *value;
    } cases[] = {
        {u"/PLAY", true, u"PLAY", u""},
        {u"/seek:90", true, u"seek", u"90"},
        {u"/LISTSAVE:/tmp/x.m3u8", true, u"LISTSAVE", u"/tmp/x.m3u8"},
        {u"/OPEN:C:\\a:b", true, u"OPEN", u"C:\\a:b"},  // the value keeps its colons
        {u"/:x", true, u"", u"x"},
        {u"/tmp:x", true, u"tmp", u"x"},                 // /tmp exists, /tmp:x does not
        {u"/home/u/a.mp3", false, u"", u""},             // a further "/" in the name: a path
        {u"/home/u/My Music", false, u"", u""},
        {u"/tmp", false, u"", u""},                      // an existing folder
        {u"/", false, u"", u""},                         // too short
        {u"//x", false, u"", u""},
        {u"a.mp3", false, u"", u""},
        {u"", false, u"", u""},
    };
    for (const auto &c : cases) {
        const QString arg = S(c.arg);
        SCOPED_TRACE(U8(arg));
        EXPECT_EQ(IsSwitchArgument(arg), c.isSwitch);
        const TMyParam p = TMyParam::FromArguments({u"tavio"_qs, arg});
        ASSERT_EQ(p.Count(), 2);
        const TMyParamOption &o = p.OptionAt(1);
        EXPECT_EQ(o.Text, arg);
        EXPECT_EQ(o.IsSwitch, c.isSwitch);
        EXPECT_EQ(o.Name, S(c.name));
        EXPECT_EQ(o.Value, S(c.value));
        EXPECT_EQ(o.NonSwitchIndex, c.isSwitch ? -1 : 1);
        EXPECT_EQ(p.NonSwitchArg(1), c.isSwitch ? QString() : arg);
    }
}

TEST(TMyParam, ExistingRootEntryIsAPathEvenWithoutSlashInside)
{
    // Only an entry at the top of the file system can look like /NAME: an existing one is a
    // path, anything else a switch.
    for (const char16_t *root : {u"/usr", u"/etc", u"/proc", u"/tmp"})
        if (QFileInfo::exists(S(root))) {
            EXPECT_FALSE(IsSwitchArgument(S(root))) << U8(S(root));
        }
    EXPECT_TRUE(IsSwitchArgument(u"/usr:"));
    EXPECT_TRUE(IsSwitchArgument(u"/tavio-no-such-entry"));
    EXPECT_TRUE(IsSwitchArgument(QStringView(u"/tmp\0x", 6)));  // a NUL never names a file
}

TEST(TMyParam, FieldsAndQueries)
{
    const TMyParam p(u"\"/opt/my app/tavio\" /Rate:Fast \"\" /RATE:slow 曲.mp3 /SEEK:90 /Vol:x /Speed:1.5"_qs);
    EXPECT_EQ(p.CommandLine, u"\"/opt/my app/tavio\" /Rate:Fast \"\" /RATE:slow 曲.mp3 /SEEK:90 /Vol:x /Speed:1.5"_qs);
    EXPECT_EQ(p.FirstArgument, u"/opt/my app/tavio"_qs);
    EXPECT_EQ(p.ArgumentsWithoutFirst, p.Arguments.mid(1));
    EXPECT_EQ(p.Count(), 8);
    EXPECT_EQ(p.SwitchCount, 5);
    EXPECT_EQ(p.NonSwitchCount, 3);
    EXPECT_EQ(p.NonSwitchArguments, (QStringList{u"/opt/my app/tavio"_qs, u""_qs, u"曲.mp3"_qs}));
    EXPECT_EQ(p.NonSwitchArg(0), u"/opt/my app/tavio"_qs);
    EXPECT_EQ(p.NonSwitchArg(2), u"曲.mp3"_qs);
    EXPECT_EQ(p.NonSwitchArg(3), QString());
    EXPECT_EQ(p.NonSwitchArg(-1), QString());
    EXPECT_EQ(p.OptionAt(4).NonSwitchIndex, 2);
    EXPECT_EQ(p.OptionAt(4).Index, 4);

    // Names match ignoring case; the first one wins; the value stays as written.
    EXPECT_TRUE(p.HasSwitch(u"rate"));
    EXPECT_EQ(p.SwitchValue(u"RATE"), u"Fast"_qs);
    EXPECT_EQ(p.OptionAt(1).NameUpper, u"RATE"_qs);
    EXPECT_EQ(p.OptionAt(1).ValueUpper, u"FAST"_qs);
    EXPECT_TRUE(p.OptionAt(1).NameIs(u"rAtE"));
    EXPECT_FALSE(p.OptionAt(4).NameIs(u""));   // a non-switch argument matches no name
    EXPECT_FALSE(p.HasSwitch(u""));
    EXPECT_FALSE(p.HasSwitch(u"曲.mp3"));
    EXPECT_EQ(p.SwitchValue(u"none"), QString());

    // Numbers: invalid or empty read as 0.
    EXPECT_EQ(p.OptionAt(5).ValueInt(), 90);
    EXPECT_EQ(p.OptionAt(6).ValueInt(), 0);
    EXPECT_DOUBLE_EQ(p.OptionAt(7).ValueFloat(), 1.5);
    EXPECT_DOUBLE_EQ(p.OptionAt(6).ValueFloat(), 0.0);
    EXPECT_EQ(p.OptionAt(4).ValueInt(), 0);

    // Out of range: an empty option.
    EXPECT_FALSE(p.OptionAt(8).IsSwitch);
    EXPECT_TRUE(p.OptionAt(-1).Text.isEmpty());

    const TMyParam empty(QString{});
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.ParamCount(), 0);
    EXPECT_TRUE(empty.FirstArgument.isEmpty());
    EXPECT_TRUE(empty.RestOfCommandLine().isEmpty());
}

TEST(TMyParam, ValueTextUnquotesAndTrims)
{
    const struct {
        const char16_t *arg;
        const char16_t *valueText;
    } cases[] = {
        {u"/X:  \"a b\"  ", u"a b"},
        {u"/X:\"a\"\"b\"", u"a\"b"},
        {u"/X:\" a \"", u"a"},
        {u"/X:\"a", u"a"},
        {u"/X:\"", u""},
        {u"/X:plain", u"plain"},
        {u"/X:", u""},
        {u"/X", u""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(U8(S(c.arg)));
        const TMyParam p = TMyParam::FromArguments({u"tavio"_qs, S(c.arg)});
        ASSERT_EQ(p.Count(), 2);
        EXPECT_EQ(p.OptionAt(1).Text, S(c.arg));
        EXPECT_EQ(p.OptionAt(1).ValueText, S(c.valueText));
        EXPECT_EQ(p.OptionAt(1).ValueTextUpper, S(c.valueText).toUpper());
    }
}

// Arguments built from pieces that stress the quoting: blanks, quotes, empty strings,
// Japanese, emoji, slashes and colons.
QStringList RandomArguments(std::mt19937 &rng)
{
    static const char16_t *const programs[] = {u"/usr/bin/tavio", u"/opt/my app/tavio", u"/ホーム/再生 機",
                                               u"tavio", u"\"q\"uoted"};
    static const char16_t *const pieces[] = {u"a",  u"B",  u" ",  u"\t", u"\"", u"\"\"", u"曲", u"名",
                                             u"😀", u"/",  u":",  u"\\", u".", u"-",   u"\n", u"\u3000"};
    QStringList argv{S(programs[rng() % 5])};
    const int n = int(rng() % 6);
    for (int i = 0; i < n; ++i) {
        QString a;
        const int len = int(rng() % 5);
        for (int k = 0; k < len; ++k)
            a += S(pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))]);
        argv << a;
    }
    return argv;
}

TEST(CommandLine, JoinThenSplitGivesTheArgumentsBack)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 5000; ++round) {
        const QStringList argv = RandomArguments(rng);
        const QString line = JoinCommandLine(argv);
        SCOPED_TRACE(U8(line));
        ASSERT_EQ(SplitCommandLine(line), argv);
        const QString rest = RestOfCommandLine(line);
        ASSERT_EQ(SplitCommandLine(rest), argv.mid(1));
        // The parser over the whole line and over the forwarded rest agree.
        const TMyParam whole(line);
        const TMyParam forwarded(rest);
        ASSERT_EQ(whole.FirstArgument, argv[0]);
        ASSERT_EQ(forwarded.Arguments, whole.ArgumentsWithoutFirst);
        bool joinable = false;
        for (qsizetype i = 0; i + 1 < argv.size(); ++i)
            joinable = joinable || (argv[i].startsWith(u'/') && argv[i].endsWith(u':'));
        if (!joinable) {
            ASSERT_EQ(whole.Arguments, argv);
        }
    }
}

TEST(CommandLine, JoinQuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(JoinCommandLine({u"/usr/bin/tavio"_qs, u"/PLAY"_qs, u"曲.mp3"_qs}), u"/usr/bin/tavio /PLAY 曲.mp3"_qs);
    EXPECT_EQ(JoinCommandLine({u"a b"_qs, u""_qs, u"x\"y"_qs}), u"\"a b\" \"\" \"x\"\"y\""_qs);
    EXPECT_EQ(JoinCommandLine({}), QString());
}

TEST(TMyParam, FromProcessReadsThisProcess)
{
    const TMyParam p = TMyParam::FromProcess();
    ASSERT_GE(p.Count(), 1);
    EXPECT_TRUE(p.FirstArgument.endsWith(u"myparam_test")) << U8(p.FirstArgument);
    EXPECT_EQ(ProcessParams().Arguments, p.Arguments);
    EXPECT_EQ(&ProcessParams(), &ProcessParams());
}

} // namespace
