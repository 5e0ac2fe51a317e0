#include "custom/commandcatalogue.h"
#include "custom/keycodes.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QSet>

#include <algorithm>

void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

constexpr TMyCommandList kLists[] = {TMyCommandList::ActionList_Main, TMyCommandList::ActionList_Exclude,
                                     TMyCommandList::ActionList1, TMyCommandList::ActionList_Edit};

QString S(const char *utf8) { return QString::fromUtf8(utf8); }

const TMyCommandDef &Main(const char *name)
{
    const TMyCommandDef *c = FindCommand(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    static const TMyCommandDef none;
    return c ? *c : none;
}

// Names of a list's commands with a given group, in list order.
QStringList GroupMembers(TMyCommandList list, int group)
{
    QStringList names;
    for (const TMyCommandDef &c : CommandList(list)) {
        if (c.GroupIndex == group)
            names.append(c.Name.toString());
    }
    return names;
}

TEST(CommandCatalogue, ListSizesAndOrder)
{
    EXPECT_EQ(CommandList(TMyCommandList::ActionList_Main).size(), 112u);
    EXPECT_EQ(CommandList(TMyCommandList::ActionList_Exclude).size(), 5u);
    EXPECT_EQ(CommandList(TMyCommandList::ActionList1).size(), 79u);
    EXPECT_EQ(CommandList(TMyCommandList::ActionList_Edit).size(), 8u);

    const auto main = CommandList(TMyCommandList::ActionList_Main);
    EXPECT_EQ(main.front().Name, u"actSpc");
    EXPECT_TRUE(main.front().IsSeparator());
    EXPECT_EQ(main.front().Caption, u"-");
    EXPECT_EQ(main[1].Name, u"Action_FileOpenFile");
    EXPECT_EQ(main.back().Name, u"Action_Debug_MessageMode");
    EXPECT_EQ(std::count_if(main.begin(), main.end(), [](const TMyCommandDef &c) { return c.IsSeparator(); }),
              1);
    EXPECT_EQ(CommandList(TMyCommandList::ActionList_Edit).front().Name, u"actEdit_Tab");
    EXPECT_EQ(CommandList(TMyCommandList::ActionList1).front().Name, u"actFile_Property");
    EXPECT_EQ(CommandListName(TMyCommandList::ActionList1), QStringLiteral("ActionList1"));
}

// Names identify commands in settings and in a window's actions: unique without regard to
// case within a list and across the lists one window builds together; every field a window
// relies on is filled.
TEST(CommandCatalogue, NamesAreUniqueAndEntriesComplete)
{
    const std::pair<TMyCommandList, TMyCommandList> windows[] = {
        {TMyCommandList::ActionList_Main, TMyCommandList::ActionList_Exclude},
        {TMyCommandList::ActionList1, TMyCommandList::ActionList_Edit}};
    for (const auto &[a, b] : windows) {
        QSet<QString> seen;
        for (TMyCommandList list : {a, b}) {
            for (const TMyCommandDef &c : CommandList(list)) {
                SCOPED_TRACE(c.Name.toString().toStdString());
                EXPECT_TRUE(c.Name.startsWith(u"act") || c.Name.startsWith(u"Action_"));
                EXPECT_FALSE(seen.contains(c.Name.toString().toLower()));
                seen.insert(c.Name.toString().toLower());
                EXPECT_FALSE(c.Caption.isEmpty());
                // Only actEdit_Tab has no category.
                EXPECT_EQ(c.Category.isEmpty(), c.Name == u"actEdit_Tab");
                EXPECT_TRUE(c.GroupIndex == 0 || c.GroupIndex == 1 || c.GroupIndex == 3 || c.GroupIndex == 4
                            || c.GroupIndex == 5);
            }
        }
    }
}

// Radio groups: their members in list order, one member checked at start in groups 3 to 5,
// none in group 1 (the screen modes, which are toggles and may all be off).
TEST(CommandCatalogue, RadioGroups)
{
    const auto main = TMyCommandList::ActionList_Main;
    EXPECT_EQ(GroupMembers(main, 1),
              (QStringList{"Action_ZoomWallvideo", "actZoom_FullScreen", "actZoom_MaxZoom"}));
    EXPECT_EQ(GroupMembers(main, 3), (QStringList{"actPlay_RepeatAll", "actPlay_RepeatOne", "actPlay_RepeatAB"}));
    EXPECT_EQ(GroupMembers(main, 5), (QStringList{"Action_ZoomVideoRenderer", "Action_ZoomOverlayMixer",
                                                  "Action_ZoomVMR7", "Action_ZoomVMR9", "Action_ZoomEVR"}));
    const QStringList rates = GroupMembers(main, 4);
    ASSERT_EQ(rates.size(), 14);
    EXPECT_EQ(rates.front(), QStringLiteral("actPlay_Rate_100"));
    EXPECT_EQ(rates.back(), QStringLiteral("actPlay_Rate_01"));  // joins its rates

    for (int group : {1, 3, 4, 5}) {
        SCOPED_TRACE(group);
        QStringList checked;
        for (const TMyCommandDef &c : CommandList(main)) {
            if (c.GroupIndex == group && c.Checked)
                checked.append(c.Name.toString());
            if (c.GroupIndex == group) {
                EXPECT_EQ(c.AutoCheck, group == 1) << c.Name.toString().toStdString();
            }
        }
        const QMap<int, QStringList> expected{{1, {}},
                                              {3, {"actPlay_RepeatAll"}},
                                              {4, {"actPlay_Rate_10"}},
                                              {5, {"Action_ZoomVMR7"}}};
        EXPECT_EQ(checked, expected.value(group));
    }
    for (TMyCommandList other : {TMyCommandList::ActionList_Exclude, TMyCommandList::ActionList1,
                                 TMyCommandList::ActionList_Edit}) {
        for (const TMyCommandDef &c : CommandList(other))
            EXPECT_EQ(c.GroupIndex, 0) << c.Name.toString().toStdString();
    }
}

// The rate menu keeps the menu index of the chosen rate in its tag, and the rate command words
// build names by "actPlay_Rate_%.2d": tags count the rates in menu order, and each name's
// number is the caption's rate times ten, except 8.7 whose command is actPlay_Rate_100.
TEST(CommandCatalogue, RateCommands)
{
    const QStringList rates = GroupMembers(TMyCommandList::ActionList_Main, 4);
    for (int i = 0; i < rates.size(); ++i) {
        const TMyCommandDef &c = *FindCommand(rates[i]);
        SCOPED_TRACE(rates[i].toStdString());
        EXPECT_EQ(c.Tag, i);
        EXPECT_EQ(c.Category, u"再生速度");
        const double rate = c.Caption.toDouble();
        ASSERT_GT(rate, 0.0);
        const int number = c.Name == u"actPlay_Rate_100" ? 100 : qRound(rate * 10);
        EXPECT_EQ(c.Name, QStringLiteral("actPlay_Rate_%1").arg(number, 2, 10, QLatin1Char('0')));
    }
    EXPECT_EQ(Main("actPlay_Rate_100").Caption, u"8.7");
    EXPECT_EQ(Main("actPlay_Rate_10").Hint, u"オリジナル速度");
    EXPECT_EQ(Main("actPlay_Rate_50").Hint, u"5倍速");
    EXPECT_TRUE(Main("actPlay_Rate_01").Hint.isEmpty());
    EXPECT_EQ(Main("actPlay_Rate").GroupIndex, 0);
}

TEST(CommandCatalogue, FieldsOfSampleCommands)
{
    EXPECT_EQ(Main("Action_FileExit").ShortCut, 32883);  // Alt+F4
    EXPECT_EQ(Main("actCustom_Setting").ShortCut, 32889);  // Alt+F10
    EXPECT_EQ(Main("Action_HelpVersionInfo").ShortCut, 112);  // F1
    EXPECT_EQ(Main("actPlay_PlayPause").ShortCut, 0);
    EXPECT_EQ(Main("actPlay_PlayPause").SecondaryKeys(), QList<quint16>{KeyCode::Space});
    EXPECT_FALSE(Main("Action_FileSaveAs").Enabled);
    EXPECT_FALSE(Main("actZoom_Capture").Enabled);
    EXPECT_TRUE(Main("Action_FileOpenFile").Enabled);
    EXPECT_FALSE(Main("Action_ZoomEVR").Visible);
    EXPECT_TRUE(Main("actDisp_InfoPanel").AutoCheck);
    EXPECT_TRUE(Main("actDisp_InfoPanel").Checked);
    EXPECT_TRUE(Main("actOpt_Random").AutoCheck);
    EXPECT_FALSE(Main("actOpt_Random").Checked);
    EXPECT_EQ(Main("actPlay_RepeatAB").Tag, 2);

    EXPECT_EQ(Main("actZoom_MaxZoom").Hint, u"余白を入れない拡大フルスクリーン");
    EXPECT_EQ(Main("actPlay_FrameNext1Sec").Hint, u"1秒後のフレーム (Shift併用で0.5秒後のフレーム)");
    EXPECT_EQ(Main("actZoom_Fit").Hint, u"フォームの高さをビデオのアスペクト比に合わせる");
    EXPECT_TRUE(Main("actPlay_FrameCaptureBack").Hint.isEmpty());

    // Kept as they are: two commands captioned "前のフレーム" in one category, the find box's
    // Tab command captioned with its name, and both spellings of "名前をつけて".
    EXPECT_EQ(CommandDisplayName(u"actPlay_FrameBack"), CommandDisplayName(u"actPlay_FrameCaptureBack"));
    const TMyCommandDef *tab = FindCommandIn(TMyCommandList::ActionList_Edit, u"actEdit_Tab");
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->Caption, u"actEdit_Tab");
    EXPECT_EQ(tab->ShortCut, KeyCode::Tab);
    EXPECT_EQ(tab->SecondaryKeys(), QList<quint16>{KeyCode::Shift | KeyCode::Tab});
    EXPECT_EQ(Main("Action_FileCmdMoveAs").Caption, u"名前をつけてファイル移動(&M)...");
    EXPECT_EQ(Main("Action_FileCmdCopyAs").Caption, u"名前を付けてファイルコピー(&S)...");
}

// Settings and command words name commands of the player window's catalogue in any case; the
// excluded and playlist lists are not searched by the plain lookup.
TEST(CommandCatalogue, LookupByName)
{
    const struct {
        const char *name;
        const char *found;  // nullptr: none
    } cases[] = {
        {"actPlay_Next", "actPlay_Next"},
        {"ACTPLAY_NEXT", "actPlay_Next"},
        {"actplay_playpause", "actPlay_PlayPause"},
        {"actPlay_Rate_01", "actPlay_Rate_01"},
        {"ACTSPC", "actSpc"},
        {"actMenu_Main", "actMenu_Main"},
        {"action_fileexit", "Action_FileExit"},
        {"actNop", nullptr},
        {"", nullptr},
        {"actPlay_Next ", nullptr},
        {"Action_FileCmd", nullptr},       // excluded list
        {"actFile_Close", nullptr},        // playlist window
        {"actPlay_Rate_1", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TMyCommandDef *found = FindCommand(QString::fromLatin1(c.name));
        if (!c.found) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->Name, QLatin1String(c.found));
        EXPECT_GE(found, CommandList(TMyCommandList::ActionList_Main).data());
    }
    const TMyCommandDef *fileCmd = FindCommandIn(TMyCommandList::ActionList_Exclude, u"ACTION_FILECMD");
    ASSERT_NE(fileCmd, nullptr);
    EXPECT_EQ(fileCmd->Name, u"Action_FileCmd");
    EXPECT_NE(FindCommandIn(TMyCommandList::ActionList1, u"actsort_partof"), nullptr);
    EXPECT_EQ(FindCommandIn(TMyCommandList::ActionList1, u"actEdit_Cut"), nullptr);
}

TEST(CommandCatalogue, DisplayName)
{
    EXPECT_EQ(CommandDisplayName(u"actPlay_PlayPause"), S("再生/再生/一時停止(P)"));
    EXPECT_EQ(CommandDisplayName(u"ACTPLAY_NEXT"), S("再生/次へ(N)"));
    EXPECT_EQ(CommandDisplayName(u"Action_FileOpenFile"), S("ファイル/開く(O)..."));
    EXPECT_EQ(CommandDisplayName(u"actPlay_Rate_10"), S("再生速度/1.0"));
    EXPECT_EQ(CommandDisplayName(u"actSpc"), S("区切り"));
    EXPECT_EQ(CommandDisplayName(u"actNop"), QString());
    EXPECT_EQ(CommandDisplayName(static_cast<const TMyCommandDef *>(nullptr)), QString());
    EXPECT_EQ(CommandDisplayName(FindCommandIn(TMyCommandList::ActionList_Exclude, u"Action_SendTo")),
              S("送る/送る(N)"));

    const struct {
        const char *caption, *shown;
    } markers[] = {
        {"再生(&P)", "再生(P)"},
        {"&Open", "Open"},
        {"A&&B", "A&B"},
        {"A&&&B", "A&B"},
        {"A&&&&B", "A&&B"},
        {"Tail&", "Tail"},
        {"&&", "&"},
        {"&", ""},
        {"", ""},
        {"(X)", "(X)"},
    };
    for (const auto &m : markers)
        EXPECT_EQ(RemoveAcceleratorMarker(S(m.caption)), S(m.shown)) << m.caption;
}

// Images: numbered over all lists in order, each command with an image one number further,
// toggles two (base and checked image), no number used twice.
TEST(CommandCatalogue, ImageIndexes)
{
    int expected = 0;
    for (TMyCommandList list : kLists) {
        for (const TMyCommandDef &c : CommandList(list)) {
            SCOPED_TRACE(c.Name.toString().toStdString());
            if (c.Name == u"actSpc" || c.Name == u"actEdit_Tab") {
                EXPECT_EQ(c.ImageIndex, -1);
                continue;
            }
            EXPECT_EQ(c.ImageIndex, expected);
            expected += c.AutoCheck ? 2 : 1;
        }
    }
    EXPECT_EQ(CommandImageCount(), expected);
    EXPECT_EQ(Main("Action_FileOpenFile").ImageIndex, 0);
    EXPECT_EQ(Main("actList_ReadTag").ImageIndex + 2, Main("Action_List_LibDBTune").ImageIndex);
}

} // namespace
