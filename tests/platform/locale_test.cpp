#include "platform/appdirs.h"
#include "platform/locale.h"
#include "support/tempdir.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace platform;

TEST(Locale, ComparisonIsJapaneseAndIdentical)
{
    struct Case {
        const char16_t *a, *b;
        int flags;
        bool equal;
    } cases[] = {
        {u"Ａ", u"A", CompareDefault, false},   // width matters
        {u"か", u"カ", CompareDefault, false},  // kana kind matters
        {u"abc", u"ABC", IgnoreCase, true},
        {u"abc", u"ABC", CompareDefault, false},
        {u"straße", u"STRASSE", IgnoreCase, false},  // unit by unit: ß has no one-unit upper case
        {u"café", u"CAFE", IgnoreCase | IgnoreNonSpace, true},
        {u"café", u"CAFE", IgnoreCase, false},
    };
    for (const Case &c : cases) {
        const int r = CompareLocale(c.a, c.b, c.flags);
        EXPECT_EQ(r == 0, c.equal) << QString::fromUtf16(c.a).toStdString() << " " << QString::fromUtf16(c.b).toStdString();
        EXPECT_EQ(CompareSortKeys(LocaleSortKey(c.a, c.flags), LocaleSortKey(c.b, c.flags)), r);
    }
    EXPECT_LT(CompareLocale(u"あ", u"い"), 0);
    EXPECT_LT(CompareLocale(u"a", u"b"), 0);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_LT(CompareLocale(u"a", u"B", IgnoreCase), 0);
}

TEST(Locale, Mappings)
{
    EXPECT_EQ(MapString(u"ｱｲｳ", MapFullWidth), QStringLiteral("アイウ"));
    EXPECT_EQ(MapString(u"アイウＡ", MapHalfWidth), QStringLiteral("ｱｲｳA"));
    EXPECT_EQ(MapString(u"あいう", MapKatakana), QStringLiteral("アイウ"));
    EXPECT_EQ(MapString(u"アイウ", MapHiragana), QStringLiteral("あいう"));
    EXPECT_EQ(MapString(u"Aßc", MapUpperCase), QStringLiteral("AßC"));
    EXPECT_EQ(MapString(u"ÉA", MapLowerCase | MapRemoveNonSpace), QStringLiteral("ea"));
    // ASCII passes every mapping but the one to full width unchanged (the mapping skips the
    // transliterators for it), while the same text with one non-ASCII unit is still mapped.
    QString ascii;
    for (char16_t c = 1; c < 0x80; ++c)
        ascii += QChar(c);
    for (int flags : {int(MapRemoveNonSpace), int(MapHalfWidth), int(MapKatakana), int(MapHiragana)})
        EXPECT_EQ(MapString(ascii, flags), ascii) << flags;
    EXPECT_EQ(MapString(u"12\uFF13", MapHalfWidth), QStringLiteral("123"));
    EXPECT_EQ(MapString(u"A1", MapFullWidth), QStringLiteral("Ａ１"));
    // The mappings after the one to full width see its full-width result, not the ASCII input.
    EXPECT_EQ(MapString(u"A1", MapFullWidth | MapHalfWidth), QStringLiteral("A1"));
}

TEST(AppDirs, DataFolderFollowsTavioHome)
{
    TestDir dir;
    const QString home = dir.Path("home");
    setenv("TAVIO_HOME", home.toLocal8Bit().constData(), 1);
    EXPECT_EQ(DataFolder(), home);
    EXPECT_TRUE(QFileInfo(home).isDir());
    EXPECT_TRUE(DataPathBase().startsWith(home + "/"));
    unsetenv("TAVIO_HOME");
    EXPECT_FALSE(ExecutablePathOS().isEmpty());
}

} // namespace
