// The video display's arithmetic without a window: zoom steps and the area they ask for, zooming
// the video around the cursor and its limits, presets, max zoom, height limits, where a window
// goes when its monitor is gone, and the renderer setting.
#include "shell/videozoom.h"

#include <gtest/gtest.h>

namespace {

const QSize k4x3(160, 120);

TEST(VideoZoom, WindowZoomAreas)
{
    struct Case {
        const char *what;
        TMyZoomKind kind;
        bool shift;
        QSize client;
        bool video;
        QSize native;
        bool keepAspect;
        std::optional<QSize> area;
    };
    // Client areas of 640 x 400 hold 100 pixels of panels unless said otherwise; work area 1280.
    const Case cases[] = {
        {"up a tenth", TMyZoomKind::Up, false, {640, 400}, true, k4x3, true, QSize(704, 528)},
        {"up with Shift: two pixels", TMyZoomKind::Up, true, {640, 400}, true, k4x3, true, QSize(642, 481)},
        {"down a tenth", TMyZoomKind::Down, false, {640, 400}, true, k4x3, true, QSize(576, 432)},
        {"step no more than a tenth of the work area", TMyZoomKind::Up, false, {3000, 400}, true, k4x3, true,
         QSize(3128, 2346)},
        {"step at least two pixels", TMyZoomKind::Up, false, {10, 400}, true, k4x3, true, QSize(12, 9)},
        {"50% halves toward zero", TMyZoomKind::Half, false, {640, 400}, true, {161, 121}, true, QSize(80, 60)},
        {"100% is the native size", TMyZoomKind::Original, false, {640, 400}, true, {161, 121}, false, QSize(161, 121)},
        {"200%", TMyZoomKind::Double, false, {640, 400}, true, {161, 121}, false, QSize(322, 242)},
        {"fit ignores the kept aspect", TMyZoomKind::Fit, false, {500, 400}, true, {1920, 1080}, false, QSize(500, 281)},
        {"current proportions without kept aspect", TMyZoomKind::Up, false, {640, 400}, true, k4x3, false,
         QSize(704, 330)},
        {"without video: the panel's height", TMyZoomKind::Up, false, {640, 400}, false, {}, true, QSize(704, 81)},
        // A client area without width has no proportions: the zoom is skipped, not divided by 0.
        {"zero width, current proportions", TMyZoomKind::Other, false, {0, 300}, true, k4x3, false, std::nullopt},
        {"zero width, kept aspect still steps", TMyZoomKind::Up, false, {0, 300}, true, k4x3, true, QSize(2, 1)},
    };
    for (const Case &c : cases) {
        TMyWindowZoom zoom;
        zoom.kind = c.kind;
        zoom.shift = c.shift;
        zoom.primaryWorkWidth = 1280;
        zoom.client = c.client;
        zoom.panels = 100;
        zoom.video = c.video;
        zoom.native = c.native;
        zoom.keepAspect = c.keepAspect;
        zoom.infoHeight = 81;
        EXPECT_EQ(WindowZoomArea(zoom), c.area) << c.what;
    }
}

TEST(VideoZoom, VideoInsideTheWindowKeepsThePointUnderTheCursor)
{
    const QSize native(640, 480);
    // Without the cursor over the video the corner stays.
    EXPECT_EQ(VideoZoomRect({0, 30, 640, 480}, +1, false, 1280, native, std::nullopt), QRect(0, 30, 704, 528));
    // The cursor at (320, 240) inside the control: that point of the picture stays put.
    const QRect zoomed = *VideoZoomRect({0, 30, 640, 480}, +1, false, 1280, native, QPoint(320, 240));
    EXPECT_EQ(zoomed, QRect(-32, 6, 704, 528));
    EXPECT_EQ(zoomed.topLeft() + QPoint(352, 264), QPoint(320, 270));
    // Off-centre and shrinking: the point moves by the rounding only.
    const QRect shrunk = *VideoZoomRect({-100, -50, 1000, 750}, -1, false, 1280, native, QPoint(700, 10));
    EXPECT_EQ(shrunk.size(), QSize(900, 675));
    EXPECT_EQ(shrunk.left() + 630, -100 + 700);
    EXPECT_EQ(shrunk.top() + 9, -50 + 10);
}

TEST(VideoZoom, VideoInsideTheWindowStopsAtOneFifthAndTwentyTimes)
{
    const QSize native(160, 120);
    struct Case {
        int width;
        int direction;
        bool moves;
    };
    const Case cases[] = {
        {3000, +1, true},   // 3128 x 2346: still inside 3200 x 2400
        {3100, +1, false},  // 3228 would pass twenty times
        {40, -1, true},     // 36 x 27
        {33, -1, false},    // 30 is less than a fifth of 160
        {0, +1, false},     // no width to scale the cursor's point by
    };
    for (const Case &c : cases) {
        const QRect control(0, 0, c.width, c.width * 3 / 4);
        EXPECT_EQ(VideoZoomRect(control, c.direction, false, 1280, native, QPoint(0, 0)).has_value(), c.moves)
            << c.width;
    }
}

TEST(VideoZoom, PresetsAndMaxZoom)
{
    struct Preset {
        const char16_t *command;
        int height;  // at a client width of 640
    };
    const Preset presets[] = {{u"actZoom_AspectStandard", 480}, {u"actZoom_AspectHiVision", 360},
                              {u"actZoom_AspectEVista", 384},   {u"actZoom_AspectAVista", 345},
                              {u"actZoom_AspectWideScope", 272}};
    for (const Preset &p : presets)
        EXPECT_EQ(AspectPresetVideoHeight(640, AspectPresetRatio(p.command)), p.height)
            << QString::fromUtf16(p.command).toStdString();
    EXPECT_EQ(AspectPresetVideoHeight(2, AspectPresetRatio(u"actZoom_AspectWideScope")), std::nullopt);
    EXPECT_EQ(AspectPresetRatio(u"actZoom_Fit"), 0);

    // 4:3 on a 16:9 monitor fills the width and cuts top and bottom; 16:9 on 5:4 the reverse.
    EXPECT_EQ(MaxZoomRect({640, 480}, {0, 0, 1920, 1080}), QRect(0, -180, 1920, 1440));
    EXPECT_EQ(MaxZoomRect({1280, 720}, {0, 0, 1280, 1024}), QRect(-270, 0, 1820, 1024));
    EXPECT_EQ(MaxZoomRect({640, 480}, {0, 0, 1280, 960}), QRect(0, 0, 1280, 960));
}

TEST(VideoZoom, HeightLimitsPlacementAndRendererSetting)
{
    // With video the window holds at least 120 pixels of it and may grow; without, only panels.
    EXPECT_EQ(WindowHeightLimits(true, true, 200).minimum, 320);
    EXPECT_EQ(WindowHeightLimits(true, true, 200).maximum, std::nullopt);
    EXPECT_EQ(WindowHeightLimits(false, true, 200).minimum, 200);
    EXPECT_EQ(WindowHeightLimits(false, true, 200).maximum, 200);
    EXPECT_EQ(WindowHeightLimits(true, false, 200).minimum, 120);

    const QList<QRect> left{{0, 0, 1280, 1024}};
    EXPECT_EQ(PlacementAfterDisplayChange({1400, 100, 640, 480}, left, left[0]), QPoint(75, 75));
    EXPECT_EQ(PlacementAfterDisplayChange({1200, 100, 640, 480}, left, left[0]), std::nullopt);  // still partly shown
    EXPECT_EQ(PlacementAfterDisplayChange({1400, 100, 640, 480}, left, {-1920, 0, 1920, 1080}), QPoint(-1845, 75));

    struct Setting {
        int value;
        const char16_t *command;
    };
    const Setting read[] = {{1, u"Action_ZoomVideoRenderer"}, {2, u"Action_ZoomOverlayMixer"}, {3, u"Action_ZoomVMR7"},
                            {4, u"Action_ZoomVMR9"},          {5, u"Action_ZoomVMR9"},         {7, u"Action_ZoomVMR9"},
                            {0, u"Action_ZoomVMR9"}};
    for (const Setting &s : read)
        EXPECT_EQ(RendererCommandOfSetting(s.value, false).toString(), QString::fromUtf16(s.command)) << s.value;
    EXPECT_EQ(RendererCommandOfSetting(5, true).toString(), QStringLiteral("Action_ZoomEVR"));
    EXPECT_EQ(RendererSettingOf(u"Action_ZoomVMR9", false), 4);
    EXPECT_EQ(RendererSettingOf(u"Action_ZoomEVR", false), 3);
    EXPECT_EQ(RendererSettingOf(u"Action_ZoomEVR", true), 5);
}

} // namespace
