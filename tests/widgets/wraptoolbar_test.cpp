// The wrapping tool bar: its items keep their order and size and wrap to further rows on a
// narrow bar instead of being hidden; hidden actions take no room; a widget that expands fills
// its row; removed actions take their buttons with them.
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
                bar->addAction(NewSeparator());
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
};

TEST_F(WrapToolBarTest, ButtonsWrapToRowsAndKeepTheirLook)
{
    // Wide enough for one row, a few rows, and one button a row.
    const int margin = bar->layout()->contentsMargins().left();
    const struct {
        int width;
        int rows;  // 0: more than one, fewer than one a button
    } cases[] = {{600, 1}, {160, 0}, {25 + 2 * margin, 11}};
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
    EXPECT_EQ(Shown().size(), 5);  // four buttons and the separator
    buttons[0]->setVisible(true);
    Relayout();
    EXPECT_EQ(Shown().first(), bar->widgetForAction(buttons[0]));
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
