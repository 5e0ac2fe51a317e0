// Menus and tool bars made from tables: sub-menus and holders, radio look and default items,
// stray separators, placeholders, default tool bar layouts and the buttons' menus.
#include "widgets/commanditem.h"
#include "widgets/menubuilder.h"

#include "support/testapp.h"

#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// A handful of commands as a window would have them.
struct Commands {
    int ensured = (EnsureTestApp(), 0);
    QWidget window;
    QHash<QString, QAction *> byName;
    QActionGroup *rates = new QActionGroup(&window);
    int plays = 0;

    Commands()
    {
        for (const char *name : {"play", "mute", "rate", "rate10", "rate20", "open", "exit", "next"}) {
            auto *a = new QAction(QString::fromLatin1(name).toUpper(), &window);
            a->setObjectName(QString::fromLatin1(name));
            byName.insert(a->objectName(), a);
        }
        byName[QStringLiteral("mute")]->setCheckable(true);
        for (const char *name : {"rate10", "rate20"}) {
            byName[QString::fromLatin1(name)]->setCheckable(true);
            rates->addAction(byName[QString::fromLatin1(name)]);
        }
        byName[QStringLiteral("rate10")]->setChecked(true);
        QObject::connect(byName[QStringLiteral("play")], &QAction::triggered, [this] { ++plays; });
    }
    TMyCommandLookup Lookup()
    {
        return [this](QStringView name) { return byName.value(name.toString()); };
    }
};

constexpr TMyMenuEntry kMenu[] = {
    MenuOwn(0, u"mniPlay", u"再生 (&P)"),
    MenuCmd(1, u"mniPlay_Play", u"play").Bold(),
    MenuSep(1, u"mniPlay_Line1"),
    MenuCmd(1, u"mniPlay_Next", u"next"),
    MenuSep(1, u"mniPlay_Line2"),
    MenuCmd(1, u"mniPlay_Rate", u"rate"),
    MenuCmd(2, u"mniPlay_Rate_10", u"rate10").Bold(),
    MenuCmd(2, u"mniPlay_Rate_20", u"rate20"),
    MenuSep(1, u"mniPlay_Line3"),
    MenuCmd(1, u"mniPlay_Mute", u"mute"),
    MenuOwn(0, u"mniSendTo", u"送る(&N)"),
    MenuCmd(0, u"mniGone", u"noSuchCommand"),
    MenuSep(0, u"mniLine"),
    MenuCmd(0, u"mniExit", u"exit"),
};

TEST(MenuBuilder, TableBecomesNamedItemsWithSubMenusRadioLookAndDefaults)
{
    Commands c;
    QMenu menu;
    const QList<QAction *> made = BuildMenu(&menu, kMenu, c.Lookup());
    ASSERT_EQ(made.size(), qsizetype(std::size(kMenu)));
    QStringList names;
    for (QAction *a : made)
        names << a->objectName();
    QStringList depthFirst;
    for (QAction *a : MenuItems(&menu))
        depthFirst << a->objectName();
    EXPECT_EQ(names, depthFirst);  // an item before its sub-menu's items, in table order
    EXPECT_EQ(menu.actions().size(), 5);

    QAction *play = FindMenuItem(&menu, u"MNIPLAY_PLAY");
    ASSERT_NE(play, nullptr);
    QMenu *playMenu = FindMenuItem(&menu, u"mniPlay")->menu();
    ASSERT_NE(playMenu, nullptr);
    EXPECT_EQ(playMenu->defaultAction(), play);
    EXPECT_FALSE(play->isIconVisibleInMenu());
    play->trigger();
    EXPECT_EQ(c.plays, 1);

    // The rate holder only opens its sub-menu; its items have the radio look and follow the group.
    auto *rate = qobject_cast<TMyCommandItem *>(FindMenuItem(&menu, u"mniPlay_Rate"));
    ASSERT_NE(rate, nullptr);
    EXPECT_TRUE(rate->IsHolder());
    QAction *rate10 = FindMenuItem(&menu, u"mniPlay_Rate_10");
    QAction *rate20 = FindMenuItem(&menu, u"mniPlay_Rate_20");
    ASSERT_NE(rate20->actionGroup(), nullptr);
    EXPECT_TRUE(rate20->actionGroup()->isExclusive());
    EXPECT_EQ(rate->menu()->defaultAction(), rate10);
    rate20->trigger();
    EXPECT_TRUE(c.byName[QStringLiteral("rate20")]->isChecked());
    EXPECT_TRUE(rate20->isChecked());
    EXPECT_FALSE(rate10->isChecked());
    rate20->trigger();  // choosing the checked one again keeps it
    EXPECT_TRUE(rate20->isChecked());
    // A toggle outside a group has no radio look.
    EXPECT_EQ(FindMenuItem(&menu, u"mniPlay_Mute")->actionGroup(), nullptr);

    // Places for entries made elsewhere and items of missing commands show disabled.
    EXPECT_FALSE(FindMenuItem(&menu, u"mniSendTo")->isEnabled());
    EXPECT_EQ(FindMenuItem(&menu, u"mniSendTo")->text(), QStringLiteral("送る(&N)"));
    EXPECT_FALSE(FindMenuItem(&menu, u"mniGone")->isEnabled());
    EXPECT_TRUE(FindMenuItem(&menu, u"mniExit")->isEnabled());
    EXPECT_EQ(FindMenuItem(&menu, u"nothing"), nullptr);
}

TEST(MenuBuilder, SeparatorsLeftStrayByHiddenItemsCollapseOnlyWhenAsked)
{
    Commands c;
    for (bool collapse : {true, false}) {
        SCOPED_TRACE(collapse);
        QMenu menu;
        BuildMenu(&menu, kMenu, c.Lookup(), {collapse});
        QMenu *playMenu = FindMenuItem(&menu, u"mniPlay")->menu();
        auto hide = [&](const char16_t *name) {
            qobject_cast<TMyCommandItem *>(FindMenuItem(&menu, name))->SetUserHidden(true);
        };
        auto shown = [&](const char16_t *name) {
            QAction *a = FindMenuItem(&menu, name);
            return a->isVisible() && !playMenu->actionGeometry(a).isEmpty();
        };
        // Next hidden: Line1 and Line2 meet; play hidden too: Line1 starts the menu;
        // mute hidden: Line3 ends it.
        hide(u"mniPlay_Next");
        hide(u"mniPlay_Play");
        hide(u"mniPlay_Mute");
        EXPECT_EQ(shown(u"mniPlay_Line1"), !collapse);
        EXPECT_EQ(shown(u"mniPlay_Line1") || shown(u"mniPlay_Line2"), !collapse);
        EXPECT_EQ(shown(u"mniPlay_Line3"), !collapse);
        EXPECT_TRUE(shown(u"mniPlay_Rate"));
        // The separator's own state is untouched: the customisation still sees it as shown.
        EXPECT_TRUE(FindMenuItem(&menu, u"mniPlay_Line2")->isVisible());
    }
}

// Sub-menus under names of their own (one left empty for a menu filled elsewhere), and the
// options a window may turn off: shortcut texts and the radio look.
constexpr TMyMenuEntry kNamedSubMenus[] = {
    MenuCmd(0, u"mniPlay", u"play"),
    MenuCmd(0, u"mniRate", u"rate").Sub(u"mniRateMenu"),
    MenuCmd(1, u"mniRate_10", u"rate10"),
    MenuCmd(1, u"mniRate_20", u"rate20"),
    MenuOwn(0, u"mniSendTo", u"送る(&N)").Sub(u"mniSendToMenu"),
    MenuCmd(0, u"mniOpen", u"open").Sub(u"mniOpenMenu"),
    MenuCmd(0, u"mniExit", u"exit"),
};

TEST(MenuBuilder, NamedSubMenusAndTheShortcutAndRadioOptions)
{
    Commands c;
    const QKeySequence key(Qt::CTRL | Qt::Key_P);
    c.byName[QStringLiteral("play")]->setShortcut(key);
    const struct {
        TMyMenuOptions options;
        bool shortcuts, radio;
    } cases[] = {
        {{}, true, true},
        {{.ShowShortcuts = false}, false, true},
        {{.ShowShortcuts = false, .RadioItems = false}, false, false},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.shortcuts * 2 + k.radio);
        QMenu menu;
        BuildMenu(&menu, kNamedSubMenus, c.Lookup(), k.options);
        EXPECT_EQ(menu.actions().size(), 5);
        EXPECT_EQ(FindMenuItem(&menu, u"mniPlay")->text(),
                  k.shortcuts ? QStringLiteral("PLAY\t") + key.toString(QKeySequence::NativeText) : QStringLiteral("PLAY"));

        QAction *rate = FindMenuItem(&menu, u"mniRate");
        ASSERT_NE(rate->menu(), nullptr);
        EXPECT_EQ(rate->menu()->objectName(), QStringLiteral("mniRateMenu"));
        EXPECT_EQ(rate->menu()->actions().size(), 2);
        QAction *rate20 = FindMenuItem(&menu, u"mniRate_20");
        EXPECT_EQ(rate20->actionGroup() != nullptr, k.radio);
        // With the check look or the radio look, the items follow the command's group.
        rate20->trigger();
        EXPECT_TRUE(rate20->isChecked());
        EXPECT_FALSE(FindMenuItem(&menu, u"mniRate_10")->isChecked());
        c.byName[QStringLiteral("rate10")]->setChecked(true);
        EXPECT_FALSE(rate20->isChecked());

        // An empty sub-menu without a command is a disabled place; with a command the holder
        // stays enabled.
        QAction *sendTo = FindMenuItem(&menu, u"mniSendTo");
        ASSERT_NE(sendTo->menu(), nullptr);
        EXPECT_EQ(sendTo->menu()->objectName(), QStringLiteral("mniSendToMenu"));
        EXPECT_TRUE(sendTo->menu()->isEmpty());
        EXPECT_FALSE(sendTo->isEnabled());
        EXPECT_EQ(sendTo->text(), QStringLiteral("送る(&N)"));
        QAction *open = FindMenuItem(&menu, u"mniOpen");
        ASSERT_NE(open->menu(), nullptr);
        EXPECT_TRUE(open->isEnabled());
        EXPECT_TRUE(qobject_cast<TMyCommandItem *>(open)->IsHolder());
        EXPECT_EQ(menu.actions().last()->objectName(), QStringLiteral("mniExit"));
    }
}

constexpr TMyToolEntry kBar[] = {
    ToolSep(u"btnSpc_0").Hidden(),
    ToolCmd(u"btnOpen", u"open").DropDown(u"mnuHistory").RightMenu(u"mnuFile"),
    ToolCmd(u"btnExit", u"exit").Hidden(),
    ToolSep(u"btnSpc_1"),
    ToolCmd(u"btnRate", u"rate").Holder(u"mnuRate"),
    ToolCmd(u"btnPlay", u"play").RightMenu(u"mnuRate"),
    ToolCmd(u"btnSearch", u"search").Holder(u"mnuNotThere").Hidden(),
};

TEST(MenuBuilder, ToolBarShowsItsDefaultLayoutWithItsMenus)
{
    Commands c;
    QMenu history, file, rateMenu;
    QHash<QString, QMenu *> menus{{QStringLiteral("mnuHistory"), &history},
                                  {QStringLiteral("mnuFile"), &file},
                                  {QStringLiteral("mnuRate"), &rateMenu}};
    QToolBar bar;
    const QList<QAction *> made = BuildToolBar(&bar, kBar, c.Lookup(),
                                               [&](QStringView name) { return menus.value(name.toString()); },
                                               QSize(25, 24));
    ASSERT_EQ(made.size(), qsizetype(std::size(kBar)));
    QStringList shown, all;
    for (QAction *a : bar.actions()) {
        all << a->objectName();
        if (a->isVisible())
            shown << a->objectName();
    }
    EXPECT_EQ(all.size(), qsizetype(std::size(kBar)));
    EXPECT_EQ(shown, (QStringList{"btnOpen", "btnSpc_1", "btnRate", "btnPlay"}));

    QToolButton *open = FindToolButton(&bar, u"btnOpen");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->objectName(), QStringLiteral("btnOpen"));
    EXPECT_EQ(open->menu(), &history);
    EXPECT_EQ(open->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_EQ(open->contextMenuPolicy(), Qt::CustomContextMenu);
    QToolButton *rate = FindToolButton(&bar, u"btnRate");
    EXPECT_EQ(rate->menu(), &rateMenu);
    EXPECT_EQ(rate->popupMode(), QToolButton::InstantPopup);
    EXPECT_EQ(rate->size(), QSize(25, 24));
    EXPECT_TRUE(rate->autoRaise());
    EXPECT_EQ(bar.iconSize(), QSize(18, 18));
    // A button's shortcut text stays out of it; a click runs the command.
    QToolButton *play = FindToolButton(&bar, u"btnPlay");
    EXPECT_EQ(play->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(play->menu(), nullptr);
    play->click();
    EXPECT_EQ(c.plays, 1);
    // A holder whose menu and command are not there yet: disabled, no menu.
    QToolButton *search = FindToolButton(&bar, u"btnSearch");
    EXPECT_EQ(search->menu(), nullptr);
    EXPECT_EQ(FindToolButton(&bar, u"btnSpc_1"), nullptr);
}

} // namespace
