#include "widgets/mytrackbar.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QImage>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// ---- value and pixel maths, without a widget ----

TEST(TrackMaths, ValueFromXAtEndsAndBetween)
{
    // Channel 0..199, thumb 11 wide: its centre travels from x 5 to x 194 (span 189).
    const TrackMetrics m{0, 200, 11, 0, 100};
    const struct {
        int x, value;
    } cases[] = {
        {-20, 0}, {0, 0}, {4, 0}, {5, 0},    // left of the first centre: the minimum
        {194, 100}, {199, 100}, {400, 100},  // right of the last centre: the maximum
        {6, 1},                              // 1/189*100 = 0.53 rounds up
        {100, 50},                           // 95/189*100 = 50.26
        {99, 50},                            // 94/189*100 = 49.74 rounds up
        {193, 99},                           // 188/189*100 = 99.47
    };
    for (const auto &c : cases)
        EXPECT_EQ(TrackValueFromX(m, c.x), c.value) << "x " << c.x;

    EXPECT_FALSE(TrackInChannel(m, -1));
    EXPECT_TRUE(TrackInChannel(m, 0));
    EXPECT_TRUE(TrackInChannel(m, 199));
    EXPECT_FALSE(TrackInChannel(m, 200));
}

TEST(TrackMaths, XFromValueIsTheInverseWhereEveryValueHasAPixel)
{
    const TrackMetrics shapes[] = {
        {0, 200, 11, 0, 100}, {7, 320, 22, -100, 100}, {3, 150, 10, 0, 10}, {0, 400, 16, 0, 383},
    };
    for (const TrackMetrics &m : shapes) {
        EXPECT_EQ(TrackXFromValue(m, m.minimum), m.channelLeft + TrackHalfThumb(m));
        EXPECT_EQ(TrackXFromValue(m, m.maximum), m.channelLeft + TrackHalfThumb(m) + m.channelWidth - m.thumbWidth);
        for (int v = m.minimum; v <= m.maximum; ++v)
            ASSERT_EQ(TrackValueFromX(m, TrackXFromValue(m, v)), v) << "range " << m.minimum << ".." << m.maximum;
        // Values outside the range sit at the nearer end.
        EXPECT_EQ(TrackXFromValue(m, m.maximum + 50), TrackXFromValue(m, m.maximum));
        EXPECT_EQ(TrackXFromValue(m, m.minimum - 50), TrackXFromValue(m, m.minimum));
    }
}

TEST(TrackMaths, LongRangesOnFewPixelsAndDegenerateBars)
{
    // A one-hour seek bar on 200 pixels: monotonic, ends exact.
    const TrackMetrics m{0, 200, 11, 0, 3600};
    int last = -1;
    for (int x = -5; x < 210; ++x) {
        const int v = TrackValueFromX(m, x);
        ASSERT_GE(v, last);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 3600);
        last = v;
    }
    EXPECT_EQ(TrackValueFromX(m, 5), 0);
    EXPECT_EQ(TrackValueFromX(m, 194), 3600);

    // No range (nothing open) or a channel narrower than the thumb: the minimum, no division.
    EXPECT_EQ(TrackValueFromX({0, 200, 11, 0, 0}, 100), 0);
    EXPECT_EQ(TrackValueFromX({0, 8, 11, 0, 100}, 3), 0);
    EXPECT_EQ(TrackXFromValue({0, 8, 11, 0, 100}, 50), TrackHalfThumb({0, 8, 11, 0, 100}));
}

TEST(TrackMaths, SeekBarClick)
{
    const TrackMetrics m{10, 200, 11, 0, 150};
    EXPECT_EQ(SeekBarClickAt(m, 9).kind, SeekBarClick::SkipBack);
    EXPECT_EQ(SeekBarClickAt(m, 210).kind, SeekBarClick::SkipNext);
    const SeekBarClick mid = SeekBarClickAt(m, TrackXFromValue(m, 70));
    EXPECT_EQ(mid.kind, SeekBarClick::Position);
    EXPECT_EQ(mid.value, 70);
    EXPECT_EQ(SeekBarClickAt(m, 10).value, 0);
    EXPECT_EQ(SeekBarClickAt(m, 209).value, 150);
}

TEST(BalanceBar, SnapAndHints)
{
    const struct {
        int position, snapped;
        const char16_t *hint;
    } cases[] = {
        {-100, -100, u"L 100"}, {-10, -10, u"L 10"}, {-9, 0, u"L 9"}, {-1, 0, u"L 1"}, {0, 0, u"0"},
        {7, 0, u"R 7"},         {9, 0, u"R 9"},      {10, 10, u"R 10"}, {100, 100, u"R 100"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(BalanceSnap(c.position), c.snapped) << c.position;
        EXPECT_EQ(BalanceHint(c.position), QString::fromUtf16(c.hint)) << c.position;
    }
    EXPECT_EQ(VolumeHint(75), QStringLiteral("75"));
    // The bars' own zones: the edge snaps, zone 0 never does.
    EXPECT_EQ(TrackSnap(-4, 4), 0);
    EXPECT_EQ(TrackSnap(5, 4), 5);
    EXPECT_EQ(TrackSnap(1, 0), 1);
}

// ---- the widget, offscreen ----

class TrackBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "widgets_mytrackbar_test";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            new QApplication(argc, argv);
            QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        }
    }

    // A bar 300 pixels wide, shown, with the given range and position.
    void Make(int minimum, int maximum, int value)
    {
        bar = std::make_unique<TMyTrackBar>();
        bar->setRange(minimum, maximum);
        bar->setValue(value);
        bar->resize(300, 30);
        bar->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    }
    int X(int value) const { return TrackXFromValue(bar->Metrics(), value); }
    QPoint At(int x) const { return QPoint(x, bar->height() / 2); }
    // A move with the buttons given held, delivered to the bar itself.
    void Move(int x, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        QMouseEvent move(QEvent::MouseMove, At(x), bar->mapToGlobal(At(x)), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(bar.get(), &move);
    }
    QRect ThumbAt(int value)
    {
        bar->setValue(value);
        QStyleOptionSlider opt;
        opt.initFrom(bar.get());
        opt.orientation = Qt::Horizontal;
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = opt.sliderValue = value;
        return bar->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, bar.get());
    }

    std::unique_ptr<TMyTrackBar> bar;
};

TEST_F(TrackBarTest, ClickGoesStraightToTheClickedValue)
{
    Make(0, 100, 0);
    ASSERT_GT(bar->pageStep(), 0);
    QSignalSpy user(bar.get(), &TMyTrackBar::UserChanged);
    QSignalSpy program(bar.get(), &TMyTrackBar::ProgramChanged);
    QSignalSpy released(bar.get(), &TMyTrackBar::LeftReleased);

    QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(70)));
    EXPECT_EQ(bar->value(), 70);  // not one page step
    EXPECT_TRUE(bar->Touched());
    EXPECT_FALSE(bar->ThumbHold());
    QTest::mouseRelease(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(70)));
    EXPECT_EQ(bar->value(), 70);
    EXPECT_FALSE(bar->Touched());
    ASSERT_EQ(user.count(), 1);
    EXPECT_EQ(user.at(0).at(0).toInt(), 70);
    EXPECT_EQ(program.count(), 0);
    ASSERT_EQ(released.count(), 1);
    EXPECT_FALSE(released.at(0).at(1).toBool());

    // A click left of the thumb goes down to that value as well.
    QTest::mouseClick(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(15)));
    EXPECT_EQ(bar->value(), 15);

    // Changes by the program are told apart.
    bar->setValue(40);
    ASSERT_EQ(program.count(), 1);
    EXPECT_EQ(program.at(0).at(0).toInt(), 40);
    bar->setRange(0, 30);  // clamps the position
    EXPECT_EQ(program.last().at(0).toInt(), 30);
    EXPECT_EQ(user.count(), 2);
}

TEST_F(TrackBarTest, DragFollowsTheMouseKeepingTheGrip)
{
    Make(0, 100, 20);
    QSignalSpy user(bar.get(), &TMyTrackBar::UserChanged);
    QSignalSpy released(bar.get(), &TMyTrackBar::LeftReleased);
    const int grip = 2;  // the thumb is taken 2 pixels right of its centre
    QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(20) + grip));
    EXPECT_TRUE(bar->ThumbHold());
    EXPECT_TRUE(bar->Touched());
    EXPECT_EQ(bar->value(), 20);  // taking the thumb does not move it
    EXPECT_EQ(user.count(), 0);

    Move(X(60) + grip);
    EXPECT_EQ(bar->value(), 60);
    Move(X(35) + grip);
    EXPECT_EQ(bar->value(), 35);
    Move(-50);
    EXPECT_EQ(bar->value(), 0);
    Move(1000);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_TRUE(bar->ThumbHold());
    QTest::mouseRelease(bar.get(), Qt::LeftButton, Qt::NoModifier, At(1000));
    EXPECT_FALSE(bar->ThumbHold());
    EXPECT_FALSE(bar->Touched());
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(user.count(), 4);
    ASSERT_EQ(released.count(), 1);
    EXPECT_TRUE(released.at(0).at(1).toBool());

    // A move without the button held is no drag.
    Move(X(10), Qt::NoButton);
    EXPECT_EQ(bar->value(), 100);
}

TEST_F(TrackBarTest, LosingFocusOrAnotherButtonEndsTheHold)
{
    Make(0, 100, 50);
    QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(50)));
    ASSERT_TRUE(bar->ThumbHold());
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(bar.get(), &out);
    EXPECT_FALSE(bar->ThumbHold());
    EXPECT_FALSE(bar->Touched());
    EXPECT_FALSE(bar->isSliderDown());
    Move(X(80));  // the drag ended with the hold
    EXPECT_EQ(bar->value(), 50);

    QSignalSpy menu(bar.get(), &TMyTrackBar::ContextMenuRequested);
    QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(50)));
    ASSERT_TRUE(bar->ThumbHold());
    QContextMenuEvent context(QContextMenuEvent::Mouse, At(X(50)), bar->mapToGlobal(At(X(50))));
    QApplication::sendEvent(bar.get(), &context);
    EXPECT_FALSE(bar->ThumbHold());
    EXPECT_FALSE(bar->Touched());
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.at(0).at(0).toPoint(), bar->mapToGlobal(At(X(50))));
}

TEST_F(TrackBarTest, HoverPosAtTheEndsAndTheMiddle)
{
    Make(0, 200, 0);
    const TrackMetrics m = bar->Metrics();
    ASSERT_GE(m.channelWidth - m.thumbWidth, 200);  // every value has a pixel of its own
    // The maths agree with the style: each value's x lies on the thumb drawn at that value.
    for (int v : {0, 1, 100, 199, 200})
        EXPECT_TRUE(ThumbAt(v).contains(At(X(v)))) << v << " at " << X(v);
    bar->setValue(0);

    QSignalSpy hover(bar.get(), &TMyTrackBar::HoverChanged);
    const struct {
        int x, hoverPos;
    } cases[] = {
        {m.channelLeft, 0},
        {m.channelLeft + TrackHalfThumb(m) - 1, 0},
        {X(0), 0},
        {X(0) + 1, 1},
        {X(100), 100},
        {X(200) - 1, 199},
        {X(200), 200},
        {m.channelLeft + m.channelWidth - 1, 200},
    };
    for (const auto &c : cases) {
        Move(c.x, Qt::NoButton);
        EXPECT_EQ(bar->HoverPos(), c.hoverPos) << "x " << c.x;
    }
    EXPECT_EQ(hover.last().at(0).toInt(), 200);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar.get(), &leave);
    EXPECT_EQ(bar->HoverPos(), -1);
    EXPECT_EQ(hover.last().at(0).toInt(), -1);
    EXPECT_EQ(bar->value(), 0);  // hovering moves nothing
}

TEST_F(TrackBarTest, SeekBarHintShowsTheValueUnderTheMouse)
{
    Make(0, 0, 0);
    SetupSeekBar(*bar, [](int seconds) { return QStringLiteral("t%1").arg(seconds); });
    EXPECT_EQ(bar->objectName(), QStringLiteral("TrackBar_Seek"));
    EXPECT_FALSE(bar->isEnabled());
    bar->setEnabled(true);
    Move(X(0), Qt::NoButton);
    EXPECT_EQ(bar->CurrentHint(), QString());  // no hint while nothing is open (0..0)
    bar->setMaximum(600);
    Move(X(240), Qt::NoButton);
    EXPECT_EQ(bar->CurrentHint(), QStringLiteral("t240秒"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar.get(), &leave);
    EXPECT_EQ(bar->CurrentHint(), QString());
}

TEST_F(TrackBarTest, BalanceSnapsToCentreOnlyOnRelease)
{
    const struct {
        int dragTo, afterRelease;
    } cases[] = {{7, 0}, {-9, 0}, {9, 0}, {-10, -10}, {30, 30}, {0, 0}};
    for (const auto &c : cases) {
        Make(0, 0, 0);
        SetupBalanceBar(*bar);
        bar->show();
        EXPECT_EQ(bar->minimum(), -100);
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_EQ(bar->value(), 0);
        QSignalSpy user(bar.get(), &TMyTrackBar::UserChanged);
        QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(0)));
        Move(X(c.dragTo));
        EXPECT_EQ(bar->value(), c.dragTo);  // held: no snap yet
        EXPECT_EQ(bar->CurrentHint(), BalanceHint(c.dragTo));
        QTest::mouseRelease(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(c.dragTo)));
        EXPECT_EQ(bar->value(), c.afterRelease) << "dragged to " << c.dragTo;
        if (c.dragTo != 0) {
            EXPECT_EQ(user.last().at(0).toInt(), c.afterRelease);
        }
    }
    // The program may set a position near the centre; only a release snaps.
    bar->setValue(5);
    EXPECT_EQ(bar->value(), 5);
}

TEST_F(TrackBarTest, VolumeBarHintWhileHeld)
{
    Make(0, 0, 0);
    SetupVolumeBar(*bar);
    bar->show();
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(bar->tickInterval(), 10);
    Move(X(40), Qt::NoButton);
    EXPECT_EQ(bar->CurrentHint(), QString());  // no hint just hovering
    QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(40)));
    EXPECT_EQ(bar->value(), 40);
    EXPECT_EQ(bar->CurrentHint(), QStringLiteral("40"));
    QTest::mouseRelease(bar.get(), Qt::LeftButton, Qt::NoModifier, At(X(40)));
    EXPECT_EQ(bar->value(), 40);  // no snap zone on the volume
}

TEST_F(TrackBarTest, SelectionIsPaintedOverTheGroove)
{
    Make(0, 100, 100);  // the thumb is out of the way at the right end
    bar->setTickPosition(QSlider::TicksBelow);
    const QImage plain = bar->grab().toImage();
    bar->SetSelection(20, 60);
    EXPECT_EQ(bar->SelStart(), 20);
    EXPECT_EQ(bar->SelEnd(), 60);
    const QImage selected = bar->grab().toImage();
    ASSERT_EQ(plain.size(), selected.size());
    const QRect groove = [&] {
        QStyleOptionSlider opt;
        opt.initFrom(bar.get());
        opt.orientation = Qt::Horizontal;
        opt.minimum = 0;
        opt.maximum = 100;
        opt.sliderPosition = opt.sliderValue = 100;
        opt.tickPosition = QSlider::TicksBelow;
        return bar->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, bar.get());
    }();
    const qreal ratio = selected.devicePixelRatio();
    auto pixel = [&](const QImage &image, int x) { return image.pixel(int(x * ratio), int(groove.center().y() * ratio)); };
    EXPECT_NE(pixel(plain, X(40)), pixel(selected, X(40)));  // inside the selection
    EXPECT_EQ(pixel(plain, X(5)), pixel(selected, X(5)));    // before it
    EXPECT_EQ(pixel(plain, X(80)), pixel(selected, X(80)));  // after it

    // An empty or reversed selection draws nothing; a selection beyond the range is harmless.
    bar->SetSelection(60, 20);
    const QImage reversed = bar->grab().toImage();
    EXPECT_EQ(pixel(plain, X(40)), pixel(reversed, X(40)));
    bar->SetSelection(-50, 5000);
    bar->setRange(0, 0);
    (void)bar->grab();
}

} // namespace
