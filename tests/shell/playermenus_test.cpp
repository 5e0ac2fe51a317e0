// The player window's menus and tool bars: items bound to catalogue commands under unique
// names, the tool bars' default layouts, items hidden one by one, a rate chosen from the
// control bar showing everywhere, stray separators, the history menus and unserved commands.
#include "custom/actionbuilder.h"
#include "custom/commandcatalogue.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "shell/playermenus.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "widgets/commanditem.h"
#include "widgets/menubuilder.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <optional>

namespace {

class RecordingPlayer : public TApp_MEDIAPlayer {
public:
    QStringList opened;
    void OpenPaths(const QStringList &paths, bool) override { opened << paths; }
};

class PlayerMenusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        m_env.SetPath("XDG_CONFIG_HOME", m_home.Root());
        EnsureTestApp();
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        SetMsgBoxAnswerer([](const QString &, const QString &, int flags) { return DefaultMsgBoxAnswer(flags); });
        window = std::make_unique<RecordingPlayer>();
    }
    void TearDown() override
    {
        window.reset();
        SetMsgBoxAnswerer(nullptr);
    }
    TMyCommandItem *Item(const char16_t *name) { return qobject_cast<TMyCommandItem *>(window->MenuItem(name)); }
    QStringList Shown(QToolBar *bar)
    {
        QStringList names;
        for (QAction *a : bar->actions())
            if (a->isVisible())
                names << a->objectName();
        return names;
    }

    TestDir m_runtime, m_home;
    ScopedEnvironment m_env;
    std::unique_ptr<RecordingPlayer> window;
};

TEST_F(PlayerMenusTest, EveryItemIsBoundToACatalogueCommandUnderANameUniqueInItsMenu)
{
    const QList<QMenu *> menus{window->mnuMain,  window->mnuPopup,  window->mnuFile,     window->mnuPlay_Rate,
                               window->mnuPlay_Repeat, window->mnuZoom_UpDown, window->mnuVolume, window->mnuTime,
                               window->mnuCustomize_ToolBar};
    int items = 0;
    for (QMenu *menu : menus) {
        ASSERT_NE(menu, nullptr);
        SCOPED_TRACE(menu->objectName().toStdString());
        QSet<QString> names;
        for (QAction *a : MenuItems(menu)) {
            ++items;
            EXPECT_TRUE(!a->objectName().isEmpty() && !names.contains(a->objectName().toLower()))
                << a->objectName().toStdString();
            names.insert(a->objectName().toLower());
            auto *item = qobject_cast<TMyCommandItem *>(a);
            if (a->isSeparator() || !item || !item->Command())
                continue;
            // The player's own command, or one of the playlist window's (its action itself, or a
            // stand-in named with the window's prefix).
            QString command = item->Command()->objectName();
            if (command.startsWith(kPlaylistCommandPrefix))
                command = command.mid(kPlaylistCommandPrefix.size());
            const bool known = item->Command() == window->Command(command) ||
                               FindCommandIn(TMyCommandList::ActionList1, command) != nullptr;
            EXPECT_TRUE(known) << a->objectName().toStdString() << " " << command.toStdString();
        }
    }
    EXPECT_GT(items, 300);
    // Items without a command are the sub-menu captions and the send-to places.
    for (QAction *a : MenuItems(window->mnuMain) + MenuItems(window->mnuPopup)) {
        auto *item = qobject_cast<TMyCommandItem *>(a);
        if (item && !item->Command()) {
            EXPECT_TRUE(a->menu() || a->objectName().contains(QLatin1String("SendTo"))) << a->objectName().toStdString();
        }
    }
    // The menu bar shows the main menu's items themselves.
    EXPECT_EQ(window->menuBar()->actions(), window->mnuMain->actions());
    for (QToolBar *bar : {window->ToolBar_Main, window->ToolBar_Play}) {
        for (QAction *a : bar->actions()) {
            if (auto *item = qobject_cast<TMyCommandItem *>(a)) {
                EXPECT_NE(item->Command(), nullptr) << a->objectName().toStdString();
            }
        }
    }
}

TEST_F(PlayerMenusTest, ToolBarsShowTheirDefaultLayoutsAndKeepTheOtherButtons)
{
    EXPECT_EQ(Shown(window->ToolBar_Main),
              (QStringList{"btnToolFile_OpenFile", "btnToolFile_OpenFolder", "btnToolFile_OpenThisFolder",
                           "btnToolFile_Property", "btnSpc_1", "btnToolList_OpenAdd", "btnToolList_Disp",
                           "btnToolList_Del", "ToolButton8", "btnSpc_2", "ToolButton_ZoomWallvideo",
                           "btnToolZoom_FullScreen", "btnToolZoom_MaxZoom", "btnSpc_3", "ToolButton6",
                           "btnToolDisp_Info", "btnToolWindow_WindowList"}));
    EXPECT_EQ(Shown(window->ToolBar_Play),
              (QStringList{"btnPlay_PlayPause", "btnPlay_Replay", "btnPlay_Back", "btnPlay_Next", "ToolButton19",
                           "btnPlay_Mute", "btnToolPlay_Spc3", "ToolButton3", "ToolButton11", "ToolButton32",
                           "ToolButton24", "ToolButton25", "ToolButton26", "ToolButton33"}));
    EXPECT_EQ(window->ToolBar_Main->actions().size(), qsizetype(MainToolBarTable().size()));
    EXPECT_EQ(window->ToolBar_Play->actions().size(), qsizetype(PlayToolBarTable().size()));

    // The buttons' menus.
    EXPECT_EQ(window->ToolButton(u"btnToolFile_OpenFile")->menu(), window->mnuFile_HistoryOpenFile);
    EXPECT_EQ(window->ToolButton(u"btnToolFile_OpenFile")->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_EQ(window->ToolButton(u"ToolButton3")->menu(), window->mnuPlay_Rate);
    EXPECT_EQ(window->ToolButton(u"ToolButton3")->popupMode(), QToolButton::InstantPopup);
    EXPECT_EQ(window->ToolButton(u"ToolButton11")->menu(), window->mnuPlay_Repeat);
    EXPECT_EQ(window->ToolButton(u"btnToolWindow_WindowList")->menu(), window->mnuWindow);
    EXPECT_EQ(window->ToolButton(u"btnPlay_Mute")->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(window->ToolButton(u"btnPlay_Replay")->contextMenuPolicy(), Qt::DefaultContextMenu);
    // A toggle's button shows its checked image.
    const QIcon mute = window->ToolButton(u"btnPlay_Mute")->icon();
    EXPECT_FALSE(mute.isNull());
    EXPECT_NE(mute.pixmap(18, QIcon::Normal, QIcon::On).toImage(), mute.pixmap(18, QIcon::Normal, QIcon::Off).toImage());
}

TEST_F(PlayerMenusTest, AnItemHiddenInOneMenuStaysInTheOther)
{
    TMyCommandItem *mainRate = Item(u"mniPlay_Rate");
    TMyCommandItem *popupRate = Item(u"mniPPlay_Rate");
    ASSERT_TRUE(mainRate && popupRate);
    ASSERT_NE(mainRate->menu(), popupRate->menu());
    mainRate->SetUserHidden(true);
    EXPECT_FALSE(mainRate->isVisible());
    EXPECT_TRUE(popupRate->isVisible());
    EXPECT_TRUE(Item(u"mniPlay_Rate_15")->isVisible());  // the children keep their own state
    // A command's visibility still reaches every item.
    window->Command(u"actPlay_Rate")->setVisible(false);
    EXPECT_FALSE(popupRate->isVisible());
    window->Command(u"actPlay_Rate")->setVisible(true);
    EXPECT_TRUE(popupRate->isVisible());
    EXPECT_FALSE(mainRate->isVisible());
}

TEST_F(PlayerMenusTest, ARateChosenOnTheControlBarIsCheckedInEveryRateMenuAndOnItsButton)
{
    QToolButton *rateButton = window->ToolButton(u"ToolButton3");
    ASSERT_NE(rateButton, nullptr);
    QAction *choice = FindMenuItem(rateButton->menu(), u"mniPRate_15");
    ASSERT_NE(choice, nullptr);
    ASSERT_TRUE(choice->isEnabled());
    choice->trigger();
    for (const char16_t *name : {u"mniPlay_Rate_15", u"mniPPlay_Rate_15", u"mniPRate_15"})
        EXPECT_TRUE(window->MenuItem(name)->isChecked()) << QString::fromUtf16(name).toStdString();
    for (const char16_t *name : {u"mniPlay_Rate_10", u"mniPPlay_Rate_10", u"mniPRate_10"})
        EXPECT_FALSE(window->MenuItem(name)->isChecked()) << QString::fromUtf16(name).toStdString();
    EXPECT_EQ(window->MenuItem(u"mniPRate_15")->actionGroup(), window->MenuItem(u"mniPRate_10")->actionGroup());
    const QImage rate15 = window->Command(u"actPlay_Rate_15")->icon().pixmap(18).toImage();
    EXPECT_EQ(rateButton->icon().pixmap(18).toImage(), rate15);
    EXPECT_EQ(window->ToolButton(u"btnToolPlay_Rate")->icon().pixmap(18).toImage(), rate15);
    EXPECT_NE(window->Command(u"actPlay_Rate_10")->icon().pixmap(18).toImage(), rate15);
}

TEST_F(PlayerMenusTest, StraySeparatorsCollapseInTheMainAndContextMenusOnly)
{
    QMenu *play = window->MenuItem(u"mniPlay")->menu();
    ASSERT_NE(play, nullptr);
    // The two skips hidden: the separators around them meet and one goes.
    Item(u"mniPlay_SkipBack")->SetUserHidden(true);
    Item(u"mniPlay_SkipNext")->SetUserHidden(true);
    const bool line1 = !play->actionGeometry(window->MenuItem(u"mniPlay_Line1")).isEmpty();
    const bool line2 = !play->actionGeometry(window->MenuItem(u"mniPlay_Line2")).isEmpty();
    EXPECT_NE(line1, line2);
    // The file commands hidden: the file command sub-menu starts with its separator, not shown.
    QMenu *fileCmd = window->MenuItem(u"mniPFileCmd")->menu();
    for (const char16_t *name : {u"mniPFileCmd_Rename", u"mniPFileCmd_MoveAs", u"mniPFileCmd_CopyAs",
                                 u"mniPFileCmd_Move", u"mniPFileCmd_Copy"})
        Item(name)->SetUserHidden(true);
    EXPECT_TRUE(fileCmd->actionGeometry(window->MenuItem(u"mniPFileCmd_Line1")).isEmpty());
    // The small menus keep theirs as defined.
    Item(u"mniPPPlay_RepeatAB_A")->SetUserHidden(true);
    Item(u"mniPPPlay_RepeatAB_B")->SetUserHidden(true);
    EXPECT_FALSE(window->mnuPlay_Repeat->actionGeometry(window->MenuItem(u"mniPPPlay_RepeatLine2")).isEmpty());
    EXPECT_FALSE(window->mnuPlay_Repeat->actionGeometry(window->MenuItem(u"mniPPPlay_RepeatLine1")).isEmpty());
}

TEST_F(PlayerMenusTest, HistoryMenusShowAmpersandsAndOpenTheirPath)
{
    const QString path = m_home.Path(QStringLiteral("Tom & Jerry.mp3"));
    window->HistoryOpenFile.AddHistory(m_home.Path(QStringLiteral("older.mp3")));
    window->HistoryOpenFile.AddHistory(path);
    window->HistoryOpenFolder.AddHistory(m_home.Root());
    Q_EMIT window->historiesChanged();
    const QList<QAction *> files = window->mnuFile_HistoryOpenFile->actions();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0]->text(), m_home.Path(QStringLiteral("Tom && Jerry.mp3")));
    EXPECT_TRUE(files[0]->objectName().startsWith(QLatin1String("__")));
    EXPECT_EQ(window->mnuFile_HistoryOpenFolder->actions().size(), 1);
    EXPECT_TRUE(window->mnuFile_HistoryOpenThisFolder->actions().isEmpty());
    files[0]->trigger();
    EXPECT_EQ(window->opened, QStringList{path});
    // The menu was rebuilt (the item moved up stays first), the old items go later.
    EXPECT_EQ(window->mnuFile_HistoryOpenFile->actions().size(), 2);
    EXPECT_EQ(window->HistoryOpenFile.Items().first(), path);
}

TEST_F(PlayerMenusTest, CommandsWithoutHandlerStayDisabledExceptHolders)
{
    const QStringList unhandled = window->Commands->Unhandled();
    ASSERT_TRUE(unhandled.contains(QStringLiteral("actTest_EnumPins")));
    EXPECT_FALSE(unhandled.contains(QStringLiteral("actTest_CreateGrfFile")));
    EXPECT_FALSE(unhandled.contains(QStringLiteral("Action_Debug_DispEvent")));
    EXPECT_FALSE(window->Command(u"actTest_EnumPins")->isEnabled());
    EXPECT_FALSE(window->MenuItem(u"mniTest_EnumPins")->isEnabled());
    EXPECT_EQ(window->MenuItem(u"mniTest_EnumPins")->text(), QStringLiteral("接続されているフィルターとPinを列挙"));
    EXPECT_FALSE(window->Command(u"Action_Opt_Use_ffdshow")->isEnabled());
    // A refresh enabling it by rule does not bring it back.
    window->Command(u"Action_Opt_Use_ffdshow")->setEnabled(true);
    EXPECT_FALSE(window->Command(u"Action_Opt_Use_ffdshow")->isEnabled());
    // Holders open their menus whether or not a handler exists.
    EXPECT_TRUE(window->MenuItem(u"mniFileCmd")->isEnabled());
    EXPECT_TRUE(window->MenuItem(u"mniZoom_VideoRenderer")->isEnabled());
    // The debug switches only toggle.
    window->MenuItem(u"MenuItem_DebugDispEvent")->trigger();
    EXPECT_TRUE(window->IsChecked(u"Action_Debug_DispEvent"));
}

} // namespace
