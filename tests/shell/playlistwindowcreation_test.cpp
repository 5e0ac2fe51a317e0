// The playlist window is made after the player window is first shown, or earlier when something
// needs it: the player's menu items and tool buttons of its commands take its own commands then,
// its settings read before it existed apply to it and are written back, and a list opened before
// it existed shows in it and has its tags read.
#include "custom/actionbuilder.h"
#include "custom/myinifile.h"
#include "engine/dsplayer.h"
#include "engine/dsplaylist.h"
#include "lists/mywstrings.h"
#include "playlist/mediaplaylist.h"
#include "playlist/playlistgrid.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "shell/playermenus.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "widgets/commanditem.h"

#include <QApplication>
#include <QMenu>
#include <QToolBar>
#include <QtTest/QTest>

#include <gtest/gtest.h>


namespace {

void EnsureApp()
{
    static int argc = 1;
    static char name[] = "playlistwindowcreation_test";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

class PlaylistWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        m_env.SetPath("XDG_CONFIG_HOME", m_home.Root());
        EnsureApp();
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        SetMsgBoxAnswerer([](const QString &, const QString &, int flags) { return DefaultMsgBoxAnswer(flags); });
        window = std::make_unique<TApp_MEDIAPlayer>();
    }
    void TearDown() override
    {
        window.reset();
        SetMsgBoxAnswerer(nullptr);
    }

    TMyCommandItem *Item(const char16_t *name) { return qobject_cast<TMyCommandItem *>(window->MenuItem(name)); }
    TMyCommandItem *Button(const char16_t *name) { return qobject_cast<TMyCommandItem *>(window->ToolItem(name)); }
    QList<QAction *> StandIns() const
    {
        QList<QAction *> found;
        for (QAction *a : window->findChildren<QAction *>(Qt::FindDirectChildrenOnly))
            if (a->objectName().startsWith(kPlaylistCommandPrefix))
                found << a;
        return found;
    }
    // The items of the player that carry commands of the playlist window.
    void ExpectItemsBoundToThePlaylistWindow()
    {
        TApp_MEDIAPlaylist *list = window->App_MEDIAPlaylist;
        ASSERT_NE(list, nullptr);
        const struct {
            TMyCommandItem *item;
            const char16_t *command;
        } cases[] = {
            {Item(u"F1"), u"actListEdit_CopyFileName"},           // main menu
            {Item(u"SelectAll2"), u"actListEdit_SelectAll"},      // context menu
            {Item(u"mniSearch_Artist"), u"Action_SearchArtist"},  // main menu, a sub-menu's item
            {Button(u"btnToolSearch_Album"), u"Action_SearchAlbum"},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(QString::fromUtf16(c.command).toStdString());
            ASSERT_NE(c.item, nullptr);
            ASSERT_NE(list->Command(c.command), nullptr);
            EXPECT_EQ(c.item->Command(), list->Command(c.command));
        }
        EXPECT_TRUE(StandIns().isEmpty());
    }

    TestDir m_runtime, m_home, m_work;
    ScopedEnvironment m_env;
    std::unique_ptr<TApp_MEDIAPlayer> window;
};

TEST_F(PlaylistWindowTest, ComesAfterTheFirstShowAndTheMenusTakeItsCommands)
{
    EXPECT_EQ(window->App_MEDIAPlaylist, nullptr);
    // Until then the items show disabled stand-ins with the catalogue's captions.
    TMyCommandItem *selectAll = Item(u"SelectAll1");
    ASSERT_NE(selectAll, nullptr);
    ASSERT_NE(selectAll->Command(), nullptr);
    EXPECT_EQ(selectAll->Command()->parent(), window.get());
    EXPECT_FALSE(selectAll->isEnabled());
    EXPECT_FALSE(selectAll->text().isEmpty());
    EXPECT_FALSE(StandIns().isEmpty());

    TMyDSPlaylist *entries = window->plyMedia()->Playlist();
    for (const char *name : {"a.mp3", "b.mp3", "c.mp3"})
        entries->Add(m_work.Path(QString::fromLatin1(name)));
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->App_MEDIAPlaylist != nullptr; }, 5000));
    ExpectItemsBoundToThePlaylistWindow();
    TApp_MEDIAPlaylist *list = window->App_MEDIAPlaylist;
    EXPECT_EQ(list->PlaylistModel->rowCount(), 3);

    // The item follows the window's command and runs it.
    list->mnuPlayListPopup();
    ASSERT_TRUE(list->Command(u"actListEdit_SelectAll")->isEnabled());
    EXPECT_TRUE(selectAll->isEnabled());
    selectAll->trigger();
    int first = -1, last = -1;
    ASSERT_TRUE(list->SelectedRange(first, last));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 2);
    list->Command(u"actListEdit_SelectAll")->setEnabled(false);
    EXPECT_FALSE(selectAll->isEnabled());
    // "リスト表示(&L)" shows that same window.
    window->Execute(u"actList_Disp");
    EXPECT_EQ(window->App_MEDIAPlaylist, list);
    EXPECT_TRUE(list->isVisible());
}

TEST_F(PlaylistWindowTest, AMenuOrACommandNeedingItMakesItBeforeTheWindowIsShown)
{
    struct Case {
        const char *what;
        std::function<void(TApp_MEDIAPlayer &)> act;
    };
    const Case cases[] = {
        {"context menu", [](TApp_MEDIAPlayer &w) { Q_EMIT w.mnuPopup->aboutToShow(); }},
        {"a menu of the menu bar",
         [](TApp_MEDIAPlayer &w) {
             for (QAction *item : w.mnuMain->actions())
                 if (item->menu()) {
                     Q_EMIT item->menu()->aboutToShow();
                     break;
                 }
         }},
        {"list display command", [](TApp_MEDIAPlayer &w) { w.Execute(u"actList_Disp"); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        window = std::make_unique<TApp_MEDIAPlayer>();
        ASSERT_EQ(window->App_MEDIAPlaylist, nullptr);
        c.act(*window);
        ExpectItemsBoundToThePlaylistWindow();
        TApp_MEDIAPlaylist *list = window->App_MEDIAPlaylist;
        // Made once.
        EXPECT_EQ(window->PlaylistWindow(), list);
        list->hide();
    }
}

TEST_F(PlaylistWindowTest, SettingsReadBeforeItApplyWhenItIsMadeAndAreWrittenBack)
{
    const QString settingsText = QStringLiteral(
        "[Bounds]\r\nApp_MEDIAPlaylist_Left=40\r\nApp_MEDIAPlaylist_Top=50\r\nApp_MEDIAPlaylist_Right=540\r\n"
        "App_MEDIAPlaylist_Bottom=450\r\n"
        "[LIST]\r\nItem_1=151\r\nItem_2=97\r\nFind=1\r\n"
        "[VIEW]\r\nListFont_FontName=Noto Sans Mono\r\nListFont_FontSize=14\r\n"
        "[HISTORY_FIIND]\r\nalpha\r\nbeta gamma\r\n");
    const QString source = m_work.Write(QStringLiteral("in.ini"), settingsText.toUtf8());
    auto expectApplied = [](TApp_MEDIAPlaylist *list) {
        EXPECT_EQ(list->ColumnWidth(1), 151);
        EXPECT_EQ(list->ColumnWidth(2), 97);
        EXPECT_EQ(list->GridFont().family(), QStringLiteral("Noto Sans Mono"));
        EXPECT_EQ(list->FindHistoryLines(), (QStringList{"alpha", "beta gamma"}));
        EXPECT_EQ(list->geometry().size(), QSize(500, 400));
    };
    auto expectWritten = [](TMyIniFile &out, const TMyFindTarget readTarget) {
        EXPECT_EQ(out.ReadInteger(QStringLiteral("LIST"), QStringLiteral("Item_1"), 0), 151);
        EXPECT_EQ(out.ReadInteger(QStringLiteral("LIST"), QStringLiteral("Item_2"), 0), 97);
        EXPECT_EQ(out.ReadString(QStringLiteral("VIEW"), QStringLiteral("ListFont_FontName"), QString()),
                  QStringLiteral("Noto Sans Mono"));
        EXPECT_EQ(out.ReadInteger(QStringLiteral("Bounds"), QStringLiteral("App_MEDIAPlaylist_Right"), 0) -
                      out.ReadInteger(QStringLiteral("Bounds"), QStringLiteral("App_MEDIAPlaylist_Left"), 0),
                  500);
        EXPECT_EQ(out.ReadInteger(QStringLiteral("LIST"), QStringLiteral("Find"), -1), FindTargetSetting(readTarget));
        TMyWStrings history;
        out.ReadSectionLines(QStringLiteral("HISTORY_FIIND"), history);
        EXPECT_EQ(history.ToStringList(), (QStringList{"alpha", "beta gamma"}));
    };

    // Made after the settings were read.
    TMyFindTarget target;
    {
        TMyIniFile in(source);
        window->LoadSettings(in);
    }
    ASSERT_EQ(window->App_MEDIAPlaylist, nullptr);
    expectApplied(window->PlaylistWindow());
    target = window->App_MEDIAPlaylist->FindTarget();
    EXPECT_EQ(target, TMyFindTarget::MediaPath);
    {
        TMyIniFile out(m_work.Path(QStringLiteral("out1.ini")));
        window->SaveSettings(out);
        expectWritten(out, target);
    }

    // The player window closed before the playlist window was made: its part is written all the same.
    window = std::make_unique<TApp_MEDIAPlayer>();
    {
        TMyIniFile in(source);
        window->LoadSettings(in);
    }
    ASSERT_EQ(window->App_MEDIAPlaylist, nullptr);
    TMyIniFile out(m_work.Path(QStringLiteral("out2.ini")));
    window->SaveSettings(out);
    expectWritten(out, target);
}

TEST_F(PlaylistWindowTest, AListOpenedBeforeItHasItsTagsReadOnceItIsMade)
{
    window->Command(u"actList_ReadTag")->setChecked(true);
    window->Execute(u"actList_ReadTag");
    TMyDSPlaylist *entries = window->plyMedia()->Playlist();
    for (const char *name : {"a.mp3", "b.mp3"})
        entries->Add(m_work.Write(QString::fromLatin1(name), QByteArray("not really sound")));
    TApp_MEDIAPlaylist *list = window->PlaylistWindow();
    EXPECT_EQ(list->PlaylistModel->rowCount(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->TagsComplete; }, 10000));
}

} // namespace
