// Menu items and tool buttons bound to commands: they mirror the command, run it once, and can be
// hidden one by one.
#include "widgets/commanditem.h"

#include "support/testapp.h"

#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

struct Commands {
    int ensured = (EnsureTestApp(), 0);
    QWidget window;
    QAction *toggle = new QAction(QStringLiteral("ミュート(&M)"), &window);
    QActionGroup *group = new QActionGroup(&window);
    QAction *rate10 = new QAction(QStringLiteral("1.0"), &window);
    QAction *rate20 = new QAction(QStringLiteral("2.0"), &window);
    int toggleRuns = 0;

    Commands()
    {
        toggle->setCheckable(true);
        toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
        toggle->setStatusTip(QStringLiteral("音を消す"));
        window.addAction(toggle);
        QObject::connect(toggle, &QAction::triggered, [this] { ++toggleRuns; });
        for (QAction *a : {rate10, rate20}) {
            a->setCheckable(true);
            group->addAction(a);
        }
        rate10->setChecked(true);
    }
};

TEST(CommandItem, MirrorsTheCommandAndRunsItOnce)
{
    Commands c;
    QMenu main, popup;
    auto *inMain = new TMyCommandItem(QStringLiteral("mniPlay_Mute"), c.toggle, &main);
    auto *inPopup = new TMyCommandItem(QStringLiteral("mniPPlay_Mute"), c.toggle, &popup);
    inPopup->SetShowsShortcut(false);
    main.addAction(inMain);
    popup.addAction(inPopup);
    EXPECT_EQ(inMain->objectName(), QStringLiteral("mniPlay_Mute"));
    EXPECT_EQ(inMain->text(), QStringLiteral("ミュート(&M)\tCtrl+M"));
    EXPECT_EQ(inPopup->text(), QStringLiteral("ミュート(&M)"));
    EXPECT_EQ(inMain->statusTip(), QStringLiteral("音を消す"));
    EXPECT_TRUE(inMain->shortcut().isEmpty());

    inMain->trigger();
    EXPECT_EQ(c.toggleRuns, 1);
    EXPECT_TRUE(c.toggle->isChecked());
    EXPECT_TRUE(inMain->isChecked());
    EXPECT_TRUE(inPopup->isChecked());

    c.toggle->setEnabled(false);
    EXPECT_FALSE(inPopup->isEnabled());
    inPopup->trigger();
    EXPECT_EQ(c.toggleRuns, 1);
    c.toggle->setEnabled(true);

    // The key runs the command once although two items show it.
    c.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c.window));
    QTest::keyClick(&c.window, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(c.toggleRuns, 2);
    EXPECT_FALSE(inMain->isChecked());
}

TEST(CommandItem, ARadioItemThatIsOnStaysOn)
{
    Commands c;
    TMyCommandItem item10(QStringLiteral("mniPlay_Rate_10"), c.rate10);
    TMyCommandItem item20(QStringLiteral("mniPlay_Rate_20"), c.rate20);
    item10.trigger();
    EXPECT_TRUE(c.rate10->isChecked());
    EXPECT_TRUE(item10.isChecked());
    item20.trigger();
    EXPECT_TRUE(c.rate20->isChecked());
    EXPECT_FALSE(item10.isChecked());
    EXPECT_TRUE(item20.isChecked());
}

TEST(CommandItem, AnItemBoundToAnotherCommandFollowsOnlyThatOne)
{
    Commands c;
    // A disabled stand-in first, then the real command made later.
    QAction standIn(QStringLiteral("ミュート(&M)"));
    standIn.setEnabled(false);
    int standInRuns = 0;
    QObject::connect(&standIn, &QAction::triggered, [&] { ++standInRuns; });
    TMyCommandItem item(QStringLiteral("mniPlay_Mute"), &standIn);
    item.SetShowsShortcut(false);
    EXPECT_FALSE(item.isEnabled());

    item.SetCommand(c.toggle);
    EXPECT_EQ(item.Command(), c.toggle);
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(item.isCheckable());
    EXPECT_EQ(item.statusTip(), QStringLiteral("音を消す"));
    item.trigger();
    EXPECT_EQ(c.toggleRuns, 1);
    EXPECT_EQ(standInRuns, 0);
    EXPECT_TRUE(item.isChecked());
    // The old command's changes and its end no longer reach the item.
    standIn.setText(QStringLiteral("古い"));
    standIn.setVisible(false);
    EXPECT_EQ(item.text(), QStringLiteral("ミュート(&M)"));
    EXPECT_TRUE(item.isVisible());
    c.toggle->setEnabled(false);
    EXPECT_FALSE(item.isEnabled());
}

TEST(CommandItem, HidingOneItemLeavesItsTwinAndHoldersOnlyShowTheCaption)
{
    Commands c;
    QToolBar bar;
    TMyCommandItem menuItem(QStringLiteral("mniPlay_Mute"), c.toggle);
    auto *button = new TMyCommandItem(QStringLiteral("btnPlay_Mute"), c.toggle, &bar);
    bar.addAction(button);
    menuItem.SetUserHidden(true);
    EXPECT_FALSE(menuItem.isVisible());
    EXPECT_TRUE(button->isVisible());
    c.toggle->setVisible(false);
    EXPECT_FALSE(button->isVisible());
    c.toggle->setVisible(true);
    button->SetProgramHidden(true);
    EXPECT_FALSE(button->isVisible());
    menuItem.SetUserHidden(false);
    EXPECT_TRUE(menuItem.isVisible());

    TMyCommandItem holder(QStringLiteral("mniPlay_Rate"), c.rate10);
    holder.SetHolder(true);
    holder.trigger();
    EXPECT_FALSE(holder.isCheckable());
    EXPECT_TRUE(c.rate10->isChecked());  // untouched

    QAction *separator = NewSeparatorItem(QStringLiteral("mniFile_Line1"), &bar);
    EXPECT_TRUE(separator->isSeparator());
    EXPECT_EQ(separator->objectName(), QStringLiteral("mniFile_Line1"));
}

} // namespace
