#include "custom/actionbuilder.h"
#include "custom/keycodes.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QKeySequence>

#include <memory>

void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class ActionBuilderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!qGuiApp) {
            static int argc = 1;
            static char name[] = "actionbuilder_test";
            static char *argv[] = {name, nullptr};
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static QGuiApplication app(argc, argv);
        }
    }

    void SetUp() override
    {
        mainActions = b.AddList(TMyCommandList::ActionList_Main);
        b.AddList(TMyCommandList::ActionList_Exclude);
    }

    QAction *A(const char *name)
    {
        QAction *a = b.Action(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }

    TMyActionBuilder b;
    QList<QAction *> mainActions;
};

TEST_F(ActionBuilderTest, ActionsMirrorTheCatalogue)
{
    ASSERT_EQ(mainActions.size(), 112);
    EXPECT_EQ(b.Actions(TMyCommandList::ActionList_Main), mainActions);
    EXPECT_EQ(b.Actions(TMyCommandList::ActionList_Exclude).size(), 5);
    EXPECT_TRUE(b.Actions(TMyCommandList::ActionList1).isEmpty());
    EXPECT_EQ(b.AddList(TMyCommandList::ActionList_Main), mainActions);  // not made twice

    const auto defs = CommandList(TMyCommandList::ActionList_Main);
    for (qsizetype i = 0; i < mainActions.size(); ++i) {
        const TMyCommandDef &d = defs[i];
        QAction *a = mainActions[i];
        SCOPED_TRACE(d.Name.toString().toStdString());
        EXPECT_EQ(a->objectName(), d.Name.toString());
        EXPECT_EQ(a->text(), d.Caption.toString());
        EXPECT_EQ(a->statusTip(), d.Hint.toString());
        EXPECT_EQ(a->data().toInt(), d.Tag);
        EXPECT_EQ(a->isCheckable(), d.AutoCheck || d.GroupIndex != 0);
        EXPECT_EQ(a->isChecked(), d.Checked);
        EXPECT_EQ(a->isEnabled(), d.Enabled && d.Visible);  // Qt disables hidden actions
        EXPECT_EQ(a->isVisible(), d.Visible);
        EXPECT_EQ(b.Definition(a), &d);
        // Plain keys belong to the key bindings, not to the action.
        EXPECT_EQ(a->shortcuts().size(), d.ShortCut ? 1 : 0);
    }
    EXPECT_TRUE(A("actSpc")->isSeparator());
    EXPECT_EQ(A("actPlay_Next"), A("ACTPLAY_NEXT"));
    EXPECT_EQ(b.Action(u"actNop"), nullptr);
    EXPECT_EQ(b.Definition(nullptr), nullptr);
    QAction stranger(QStringLiteral("x"));
    stranger.setObjectName(QStringLiteral("actPlay_Next"));
    EXPECT_EQ(b.Definition(&stranger), nullptr);

    EXPECT_EQ(A("actOpt_Resume")->toolTip(), QString::fromUtf8("再生中のリストを保持して次回起動時に再現"));
    EXPECT_EQ(A("actPlay_Rate_05")->data().toInt(), 12);
}

TEST_F(ActionBuilderTest, Shortcuts)
{
    EXPECT_EQ(A("Action_FileExit")->shortcut(), QKeySequence(Qt::AltModifier | Qt::Key_F4));
    EXPECT_EQ(A("actCustom_Setting")->shortcut(), QKeySequence(Qt::AltModifier | Qt::Key_F10));
    EXPECT_EQ(A("Action_HelpVersionInfo")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(A("actPlay_PlayPause")->shortcut().isEmpty());

    // Outside the player window's catalogue further keys are shortcuts too.
    TMyActionBuilder playlist;
    playlist.AddList(TMyCommandList::ActionList1);
    playlist.AddList(TMyCommandList::ActionList_Edit);
    QAction *tab = playlist.Action(u"actEdit_Tab");
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::Key_Tab), QKeySequence(Qt::ShiftModifier | Qt::Key_Tab)}));
    EXPECT_EQ(playlist.Action(u"actFile_Close")->shortcut(), QKeySequence(Qt::AltModifier | Qt::Key_F4));
    EXPECT_EQ(playlist.Actions(TMyCommandList::ActionList1).size(), 79);
    EXPECT_EQ(playlist.Group(4), nullptr);
}

// Radio groups keep one member checked; the screen-mode group allows none; a toggle flips
// when run by the user.
TEST_F(ActionBuilderTest, GroupsAndToggles)
{
    QActionGroup *rates = b.Group(4);
    ASSERT_NE(rates, nullptr);
    EXPECT_EQ(rates->exclusionPolicy(), QActionGroup::ExclusionPolicy::Exclusive);
    EXPECT_EQ(rates->actions().size(), 14);
    EXPECT_EQ(rates->checkedAction(), A("actPlay_Rate_10"));
    A("actPlay_Rate_01")->trigger();
    EXPECT_EQ(rates->checkedAction(), A("actPlay_Rate_01"));
    EXPECT_FALSE(A("actPlay_Rate_10")->isChecked());
    A("actPlay_Rate_20")->trigger();
    EXPECT_FALSE(A("actPlay_Rate_01")->isChecked());
    A("actPlay_Rate_20")->trigger();  // choosing the checked rate keeps it
    EXPECT_TRUE(A("actPlay_Rate_20")->isChecked());

    EXPECT_EQ(b.Group(3)->checkedAction(), A("actPlay_RepeatAll"));
    A("actPlay_RepeatAB")->trigger();
    EXPECT_EQ(b.Group(3)->checkedAction(), A("actPlay_RepeatAB"));
    EXPECT_EQ(b.Group(5)->checkedAction(), A("Action_ZoomVMR7"));
    EXPECT_EQ(b.Group(5)->actions().size(), 5);
    EXPECT_EQ(b.Group(2), nullptr);

    QActionGroup *screen = b.Group(1);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->exclusionPolicy(), QActionGroup::ExclusionPolicy::ExclusiveOptional);
    EXPECT_EQ(screen->checkedAction(), nullptr);
    A("actZoom_FullScreen")->trigger();
    EXPECT_EQ(screen->checkedAction(), A("actZoom_FullScreen"));
    A("Action_ZoomWallvideo")->trigger();
    EXPECT_EQ(screen->checkedAction(), A("Action_ZoomWallvideo"));
    EXPECT_FALSE(A("actZoom_FullScreen")->isChecked());
    A("Action_ZoomWallvideo")->trigger();
    EXPECT_EQ(screen->checkedAction(), nullptr);

    QAction *mute = A("actPlay_Mute");
    EXPECT_FALSE(mute->isChecked());
    mute->trigger();
    EXPECT_TRUE(mute->isChecked());
    mute->trigger();
    EXPECT_FALSE(mute->isChecked());
    EXPECT_FALSE(A("actPlay_PlayPause")->isCheckable());
}

// Handlers get the action when the user runs a command and nullptr from program code; the
// builder names the commands still without a handler.
TEST_F(ActionBuilderTest, HandlersBySender)
{
    QList<QObject *> senders;
    QList<bool> checkedSeen;
    EXPECT_TRUE(b.Attach(u"actplay_mute", [&](QObject *sender) {
        senders.append(sender);
        checkedSeen.append(A("actPlay_Mute")->isChecked());
    }));
    EXPECT_FALSE(b.Attach(u"actNop", [](QObject *) {}));

    A("actPlay_Mute")->trigger();  // toggled before the handler runs
    EXPECT_TRUE(b.Execute(u"actPlay_Mute"));
    EXPECT_TRUE(b.Execute(u"actPlay_Mute", A("actPlay_Mute")));
    EXPECT_EQ(senders, (QList<QObject *>{A("actPlay_Mute"), nullptr, A("actPlay_Mute")}));
    EXPECT_EQ(checkedSeen, (QList<bool>{true, true, true}));  // Execute does not toggle

    // A disabled command does not run from a menu or key, but program code still runs it.
    int runs = 0;
    b.Attach(u"actZoom_Capture", [&](QObject *) { ++runs; });
    A("actZoom_Capture")->trigger();
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(b.Execute(u"actZoom_Capture"));
    EXPECT_EQ(runs, 1);

    // One handler for the rates tells them apart by the sender's tag.
    QList<int> tags;
    for (QAction *a : b.Group(4)->actions())
        b.Attach(a->objectName(), [&](QObject *sender) {
            tags.append(sender ? qobject_cast<QAction *>(sender)->data().toInt() : -1);
        });
    A("actPlay_Rate_15")->trigger();
    b.Execute(u"actPlay_Rate_10");
    EXPECT_EQ(tags, (QList<int>{4, -1}));

    EXPECT_FALSE(b.Execute(u"actPlay_Next"));  // no handler yet
    EXPECT_FALSE(b.Execute(u"actNop"));

    const QStringList unhandled = b.Unhandled();
    EXPECT_EQ(unhandled.size(), 112 + 5 - 1 - 1 - 1 - 14);
    EXPECT_EQ(unhandled.front(), QStringLiteral("Action_FileOpenFile"));
    EXPECT_EQ(unhandled.back(), QStringLiteral("Action_ListReadTagNewest"));
    EXPECT_FALSE(unhandled.contains(QStringLiteral("actSpc")));
    EXPECT_FALSE(unhandled.contains(QStringLiteral("actPlay_Mute")));
    EXPECT_FALSE(unhandled.contains(QStringLiteral("actPlay_Rate_01")));
    EXPECT_TRUE(unhandled.contains(QStringLiteral("actPlay_Next")));

    for (const QString &name : unhandled)
        b.Attach(name, [](QObject *) {});
    EXPECT_TRUE(b.Unhandled().isEmpty());
}

// A handler may replace its own handler while it runs.
TEST_F(ActionBuilderTest, HandlerReplacingItself)
{
    int first = 0, second = 0;
    b.Attach(u"actPlay_Next", [&](QObject *) {
        ++first;
        b.Attach(u"actPlay_Next", [&](QObject *) { ++second; });
    });
    A("actPlay_Next")->trigger();
    A("actPlay_Next")->trigger();
    EXPECT_TRUE(b.Execute(u"actPlay_Next"));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
}

} // namespace
