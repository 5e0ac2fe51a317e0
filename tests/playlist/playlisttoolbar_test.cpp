// The playlist window's tool bars: every button shows its command's image alone, at the player
// window's button size, with the caption as its tool tip; the menus show no images; a narrow
// window wraps the buttons to further rows and the find box and the grid stay usable.
#include "fakeplayer.h"
#include "playlist/mediaplaylist.h"
#include "widgets/heldmodifiers.h"
#include "widgets/wraptoolbar.h"

#include <QAction>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QToolButton>
#include <QWidgetAction>

#include <gtest/gtest.h>

#include <memory>

namespace {

class PlaylistToolBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication("playlist_playlisttoolbar_test"); }
    void SetUp() override
    {
        platform::SetBeepHandler([] {});
        window = std::make_unique<TApp_MEDIAPlaylist>(&player);
    }
    void TearDown() override
    {
        window.reset();
        platform::SetBeepHandler(nullptr);
        ClearHeldModifiers();
    }
    void Show(int width)
    {
        window->resize(width, 421);
        window->show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        window->layout()->activate();
    }
    // The buttons of a bar whose actions are visible (separators and the find box left out).
    static QList<QToolButton *> VisibleButtons(TMyWrapToolBar *bar)
    {
        QList<QToolButton *> buttons;
        for (QAction *a : bar->actions()) {
            if (a->isSeparator() || qobject_cast<QWidgetAction *>(a) || !a->isVisible())
                continue;
            auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(a));
            EXPECT_NE(button, nullptr) << a->objectName().toStdString();
            if (button)
                buttons << button;
        }
        return buttons;
    }
    static bool HasInk(const QIcon &icon)
    {
        const QImage image = icon.pixmap(18, 18).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) > 64)
                    return true;
            }
        }
        return false;
    }

    FakePlayer player;
    std::unique_ptr<TApp_MEDIAPlaylist> window;
};

TEST_F(PlaylistToolBarTest, ButtonsShowTheirCommandsImagesOnly)
{
    window->Command(u"actListMove")->trigger();  // shows the move bar
    Show(703);
    ASSERT_TRUE(window->ToolBar_Move->isVisible());
    const struct {
        TMyWrapToolBar *bar;
        int buttons;
    } bars[] = {{window->ToolBar_PlayList, 12}, {window->ToolBar_Move, 8}};
    for (const auto &b : bars) {
        SCOPED_TRACE(b.bar->objectName().toStdString());
        const QList<QToolButton *> buttons = VisibleButtons(b.bar);
        EXPECT_EQ(buttons.size(), b.buttons);
        for (QToolButton *button : buttons) {
            SCOPED_TRACE(button->objectName().toStdString());
            const auto *item = button->defaultAction();
            ASSERT_NE(item, nullptr);
            EXPECT_TRUE(button->isVisible());
            EXPECT_TRUE(HasInk(button->icon()));
            EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
            EXPECT_TRUE(button->autoRaise());
            EXPECT_EQ(button->size(), QSize(25, 24));
            EXPECT_FALSE(button->text().isEmpty());  // kept, though not shown
            EXPECT_EQ(button->toolTip(), item->text().remove(QLatin1Char('&')));
        }
    }
    // The buttons kept off the default layout stay hidden.
    for (const char16_t *name : {u"btnToolFile_OpenThisFolder", u"btnToolList_SaveRelativePath"}) {
        QWidget *button = window->ToolBar_PlayList->findChild<QToolButton *>(QString::fromUtf16(name));
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isVisible());
    }
    // The images belong to the commands; no menu item shows one.
    EXPECT_FALSE(window->Command(u"actPlay_GoToItemIndex")->icon().isNull());
    for (QMenu *menu : window->findChildren<QMenu *>()) {
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator()) {
                EXPECT_FALSE(item->isIconVisibleInMenu()) << item->objectName().toStdString();
            }
        }
    }
    // A button runs its command.
    player.Fill({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    window->RefreshList(true);
    window->SelectRows(1, 1);
    window->ToolBar_PlayList->findChild<QToolButton *>(QStringLiteral("btnToolPlay_SelPlay"))->click();
    EXPECT_EQ(player.log, QStringList{QStringLiteral("OpenAndPlay:/m/b")});
}

TEST_F(PlaylistToolBarTest, NarrowWindowWrapsTheButtonsAndKeepsTheFindBox)
{
    player.Fill({QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")});
    window->RefreshList(true);
    TMyWrapToolBar *bar = window->ToolBar_PlayList;
    Show(703);
    EXPECT_EQ(bar->RowCount(), 1);
    const int oneRow = bar->height();

    Show(240);
    ASSERT_LE(window->width(), 260);
    EXPECT_GE(bar->RowCount(), 3);
    EXPECT_GT(bar->height(), oneRow * 2);
    // Every button is shown inside the bar, none behind another; the grid starts below the bar.
    QList<QWidget *> shown;
    for (QToolButton *button : VisibleButtons(bar))
        shown << button;
    shown << window->pnlToolFind_Find;
    for (QWidget *w : shown) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(bar->rect().contains(w->geometry()));
        for (QWidget *other : shown) {
            if (other != w) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry())) << other->objectName().toStdString();
            }
        }
    }
    EXPECT_GE(window->celPlaylist->geometry().top(), bar->geometry().bottom() + 1);
    EXPECT_GT(window->celPlaylist->height(), 50);

    // The find box keeps its width and still finds, from the box and from its button.
    EXPECT_GE(window->pnlToolFind_Find->width(), window->pnlToolFind_Find->minimumWidth());
    EXPECT_TRUE(window->edtToolFind_Find->isVisible());
    window->SelectRows(0, 0);
    window->edtToolFind_Find->setText(QStringLiteral("gam"));
    bar->findChild<QToolButton *>(QStringLiteral("btnToolFind_FindDown"))->click();
    EXPECT_EQ(window->CurrentRow(), 2);

    // Wide again: one row.
    Show(703);
    EXPECT_EQ(bar->RowCount(), 1);
    EXPECT_EQ(bar->height(), oneRow);
}

} // namespace
