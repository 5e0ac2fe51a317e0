// The wrapping tool bar: its items keep their order and size and wrap to further rows on a
// narrow bar instead of being hidden; hidden actions take no room; a divider at the start or
// the end of a row, or next to another, takes no room and is hidden until it divides again; a
// widget that expands fills its row; removed actions take their buttons with them.
#include "widgets/glyphicons.h"
#include "widgets/wraptoolbar.h"

#include "support/testapp.h"

#include <QAction>
#include <QLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// A window with the bar on top and a filler below it, as the playlist window lays them out.
class WrapToolBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureTestApp();
        window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        bar = new TMyWrapToolBar(window.get());
        bar->setIconSize(QSize(18, 18));
        bar->SetButtonSize(QSize(25, 24));
        layout->addWidget(bar);
        filler = new QWidget(window.get());
        layout->addWidget(filler, 1);
        for (int i = 0; i < 10; ++i) {
            if (i == 4)
                bar->addAction(separator = NewSeparator());
            auto *action = new QAction(QStringLiteral("command&%1").arg(i), bar);
            action->setObjectName(QStringLiteral("btn%1").arg(i));
            action->setIcon(GlyphIcon(TMyGlyph::Play));
            bar->addAction(action);
            buttons << action;
        }
    }
    QAction *NewSeparator()
    {
        auto *separator = new QAction(bar);
        separator->setSeparator(true);
        return separator;
    }
    void Show(int width)
    {
        window->resize(width, 300);
        window->show();
        Relayout();
    }
    void Relayout()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        window->layout()->activate();
    }
    // The visible items in the bar's action order.
    QList<QWidget *> Shown() const
    {
        QList<QWidget *> shown;
        for (QAction *a : bar->actions()) {
            QWidget *w = bar->widgetForAction(a);
            if (w && w->isVisible())
                shown << w;
        }
        return shown;
    }
    // Every visible item lies inside the bar, none overlaps another, they read in order left to
    // right and row by row, and the bar is as high as its rows; returns the rows.
    int CheckPlacement() const
    {
        const QList<QWidget *> shown = Shown();
        int rows = 0;
        QRect previous;
        for (QWidget *w : shown) {
            const QRect r = w->geometry();
            const std::string name = w->objectName().toStdString();
            EXPECT_TRUE(bar->rect().contains(r)) << name;
            const bool newRow = previous.isNull() || r.top() > previous.bottom();
            if (!newRow) {
                EXPECT_GT(r.left(), previous.right()) << name;
                EXPECT_LE(std::abs(r.center().y() - previous.center().y()), 1) << name;
            }
            rows += newRow ? 1 : 0;
            previous = r;
        }
        EXPECT_EQ(bar->height(), bar->heightForWidth(bar->width()));
        EXPECT_LE(filler->geometry().top(), window->height());
        EXPECT_GE(filler->geometry().top(), bar->geometry().bottom() + 1);
        return rows;
    }

    std::unique_ptr<QWidget> window;
    TMyWrapToolBar *bar = nullptr;
    QWidget *filler = nullptr;
    QList<QAction *> buttons;
    QAction *separator = nullptr;  // between the fourth and the fifth button
};

TEST_F(WrapToolBarTest, ButtonsWrapToRowsAndKeepTheirLook)
{
    // Wide enough for one row, a few rows, and one button a row.
    const int margin = bar->layout()->contentsMargins().left();
    const struct {
        int width;
        int rows;  // 0: more than one, fewer than one a button
    } cases[] = {{600, 1}, {160, 0}, {25 + 2 * margin, 10}};  // the separator divides no row
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width);
        Show(c.width);
        const int rows = CheckPlacement();
        EXPECT_EQ(rows, bar->RowCount());
        if (c.rows > 0)
            EXPECT_EQ(rows, c.rows);
        else
            EXPECT_TRUE(rows > 1 && rows < 11) << rows;
        // More rows make the bar taller, by whole rows.
        EXPECT_GE(bar->height(), rows * 24);
    }
    for (QAction *a : buttons) {
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(a));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->size(), QSize(25, 24));
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_TRUE(button->autoRaise());
        EXPECT_EQ(button->iconSize(), QSize(18, 18));
        EXPECT_EQ(button->objectName(), a->objectName());
        EXPECT_EQ(button->toolTip(), a->text().remove(QLatin1Char('&')));
    }
    // The look changes for buttons made already.
    bar->SetButtonSize(QSize(30, 28));
    EXPECT_EQ(bar->widgetForAction(buttons[0])->size(), QSize(30, 28));
}

TEST_F(WrapToolBarTest, HiddenActionsTakeNoRoom)
{
    Show(25 * 5 + 20);
    const int rows = CheckPlacement();
    for (int i = 0; i < 6; ++i)
        buttons[i]->setVisible(false);
    Relayout();
    EXPECT_FALSE(bar->widgetForAction(buttons[0])->isVisible());
    const int fewer = CheckPlacement();
    EXPECT_LT(fewer, rows);
    // Four buttons; the separator, first now, divides nothing.
    EXPECT_EQ(Shown().size(), 4);
    EXPECT_FALSE(bar->widgetForAction(separator)->isVisible());
    buttons[0]->setVisible(true);
    Relayout();
    EXPECT_EQ(Shown().first(), bar->widgetForAction(buttons[0]));
    EXPECT_EQ(Shown().value(1), bar->widgetForAction(separator));
}

TEST_F(WrapToolBarTest, DividerAtARowBreakTakesNoRoomAndHides)
{
    QWidget *divider = bar->widgetForAction(separator);
    QWidget *fourth = bar->widgetForAction(buttons[3]);
    QWidget *fifth = bar->widgetForAction(buttons[4]);
    const QMargins margins = bar->layout()->contentsMargins();
    const int gap = bar->layout()->spacing();
    const int dividerWidth = divider->sizeHint().width();
    ASSERT_GT(dividerWidth, 0);
    // A row of exactly four buttons, of four and the divider, of four, the divider and one more.
    const int four = margins.left() + margins.right() + 4 * 25 + 3 * gap;
    const struct {
        int width;
        bool divides;  // the divider stands between the fourth and the fifth button
    } cases[] = {
        {four, false},                                    // the break falls on the divider
        {four + gap + dividerWidth, false},               // it would end the first row
        {four + 2 * gap + dividerWidth + 25 - 1, false},  // one pixel short of taking the fifth
        {four + 2 * gap + dividerWidth + 25, true},       // the fifth follows it on the row
        {600, true},                                      // one row
        {four, false},                                    // and back
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width);
        Show(c.width);
        ASSERT_EQ(bar->width(), c.width);
        const int rows = CheckPlacement();
        EXPECT_EQ(rows, bar->RowCount());
        EXPECT_EQ(divider->isVisible(), c.divides);
        if (c.divides) {
            EXPECT_EQ(divider->geometry().left(), fourth->geometry().right() + 1 + gap);
            EXPECT_EQ(fifth->geometry().left(), divider->geometry().right() + 1 + gap);
        } else {
            // The fifth button starts the second row at the margin, the fourth ends the first.
            EXPECT_EQ(fifth->geometry().left(), margins.left());
            EXPECT_GT(fifth->geometry().top(), fourth->geometry().bottom());
            EXPECT_EQ(fourth->geometry().left(), margins.left() + 3 * (25 + gap));
            // The bar is no higher than the buttons' rows alone need.
            EXPECT_EQ(rows, (10 + 3) / 4);
        }
    }
    // A hidden divider stays hidden where it would divide, and comes back with its action.
    Show(600);
    separator->setVisible(false);
    Relayout();
    EXPECT_FALSE(divider->isVisible());
    EXPECT_EQ(fifth->geometry().left(), fourth->geometry().right() + 1 + gap);
    separator->setVisible(true);
    Relayout();
    EXPECT_TRUE(divider->isVisible());
    EXPECT_EQ(fifth->geometry().left(), divider->geometry().right() + 1 + gap);

    // Dividers next to each other (the buttons between them hidden) divide once.
    QAction *second = NewSeparator();
    bar->insertAction(buttons[5], second);
    buttons[4]->setVisible(false);
    Relayout();
    QWidget *sixth = bar->widgetForAction(buttons[5]);
    EXPECT_TRUE(divider->isVisible());
    EXPECT_FALSE(bar->widgetForAction(second)->isVisible());
    EXPECT_EQ(sixth->geometry().left(), divider->geometry().right() + 1 + gap);
    separator->setVisible(false);
    Relayout();
    EXPECT_TRUE(bar->widgetForAction(second)->isVisible());
    EXPECT_EQ(sixth->geometry().left(), bar->widgetForAction(second)->geometry().right() + 1 + gap);
    CheckPlacement();
}

TEST_F(WrapToolBarTest, ExpandingWidgetFillsItsRowAndRemovedItemsGo)
{
    auto *box = new QLineEdit;
    box->setObjectName(QStringLiteral("box"));
    box->setMinimumWidth(100);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QAction *holder = bar->addWidget(box);
    bar->insertAction(buttons[2], holder);  // moved in front of the third button
    EXPECT_EQ(bar->widgetForAction(holder), box);
    EXPECT_EQ(box->parentWidget(), bar);

    Show(600);
    EXPECT_EQ(CheckPlacement(), 1);
    EXPECT_EQ(Shown().indexOf(box), 2);
    // The row reaches the bar's right edge (less its margin); the box took the room left.
    const int margin = bar->layout()->contentsMargins().right();
    EXPECT_EQ(Shown().last()->geometry().right(), bar->width() - margin - 1);
    EXPECT_GT(box->width(), box->sizeHint().width());

    // Narrow: the box keeps at least its minimum width on a row of its own.
    Show(130);
    CheckPlacement();
    EXPECT_GE(box->width(), 100);

    QPointer<QWidget> button = bar->widgetForAction(buttons[0]);
    bar->removeAction(buttons[0]);
    EXPECT_TRUE(button.isNull());
    EXPECT_EQ(bar->widgetForAction(buttons[0]), nullptr);
    bar->removeAction(holder);
    EXPECT_EQ(bar->widgetForAction(holder), nullptr);
    EXPECT_NE(box->parentWidget(), bar);  // handed back to its action
    delete holder;                        // and gone with it
    Relayout();
    EXPECT_EQ(Shown().size(), 10);  // nine buttons and the separator
    CheckPlacement();
}

} // namespace
