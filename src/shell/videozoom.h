#pragma once
// The arithmetic of the player window's video display: zoom steps, the video area a zoom asks
// for, zooming the video inside the window around the cursor, the aspect presets, the max zoom
// rectangle, the height limits of the window and where a window goes when its monitor is gone.
// Pure functions over sizes and rectangles, so they are tested without a window.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringView>

#include <optional>

// The video height for a width at the native proportions, truncated; 0 without a native size.
int VideoHeightForWidth(QSize native, int width);
// The video width for a height, rounded half away from zero; 0 without a native size.
int VideoWidthForHeight(QSize native, int height);

// The step of one zoom for a width: 1 with Shift, otherwise a tenth of the width limited to
// 2 .. a tenth of the primary monitor's work-area width.
int ZoomStep(int width, bool shift, int primaryWorkWidth);

// What a window zoom asks for.
enum class TMyZoomKind {
    Up,        // one step larger
    Down,      // one step smaller
    Half,      // "50%"
    Original,  // "100%", and opening at the original size
    Double,    // "200%"
    Fit,       // the native proportions at the (stepped) width
    Other,     // the current proportions at the width, unless the aspect is kept
};

struct TMyWindowZoom {
    TMyZoomKind kind = TMyZoomKind::Fit;
    bool shift = false;
    int primaryWorkWidth = 0;
    QSize client;          // the window's client area
    int panels = 0;        // heights of the top, bottom and shown information panels
    bool video = false;    // a video is open and the list is not empty
    QSize native;          // the video's own size
    bool keepAspect = false;
    int infoHeight = 0;    // the information panel's height when it is shown, else 0
};

// The size of the video area a window zoom asks for (without video: the client width stepped,
// and the information panel's height). Nothing when the client area has no width to measure a
// step or a proportion from.
std::optional<QSize> WindowZoomArea(const TMyWindowZoom &zoom);

// Zooming the video inside the window (Ctrl held): the new rectangle of the video control, or
// nothing when the size would leave one fifth .. twenty times the native size or the control has
// no width. direction is +1, -1 or 0; cursor is the point under the mouse inside the control,
// which stays over the same point of the picture, when the mouse is over the visible video.
std::optional<QRect> VideoZoomRect(const QRect &control, int direction, bool shift, int primaryWorkWidth,
                                   QSize native, std::optional<QPoint> cursor);

// The video height of an aspect preset (k = height / width) at a client width; nothing when it
// is below one pixel.
std::optional<int> AspectPresetVideoHeight(int clientWidth, double k);
// The height / width of the five presets by command name; 0 for other names.
double AspectPresetRatio(QStringView command);

// Max zoom: the video rectangle that covers area with the native proportions, centred, the
// overflow cut (positions relative to area's coordinate origin).
QRect MaxZoomRect(QSize native, const QRect &area);

// The window's height limits. videoLayout: a video is open, neither full-screen mode is on and
// the list is not empty. panelsAndFrame: top, bottom and information panel heights with the frame.
struct TMyHeightLimits {
    int minimum = 0;
    std::optional<int> maximum;  // none: no limit
};
TMyHeightLimits WindowHeightLimits(bool videoLayout, bool infoShown, int panelsAndFrame);

// Where a window goes when the display changed: nothing when some monitor still shows part of
// it, otherwise 75 pixels right of and below the primary monitor's top-left corner.
std::optional<QPoint> PlacementAfterDisplayChange(const QRect &window, const QList<QRect> &monitors,
                                                  const QRect &primary);

// The five renderer commands in the order of the "Renderer" setting's values 1 .. 5 (the
// playback component numbers its renderer modes the same way).
constexpr QStringView kRendererCommands[] = {u"Action_ZoomVideoRenderer", u"Action_ZoomOverlayMixer",
                                             u"Action_ZoomVMR7", u"Action_ZoomVMR9", u"Action_ZoomEVR"};
// The number 1 .. 5 of a renderer command (letters compared without regard to case); 0 for any
// other name.
int RendererNumber(QStringView command);
// The renderer command a "Renderer" setting runs (1 .. 5; the enhanced renderer only when it is
// offered, any other value the ninth mixing renderer), and the value written for a checked one.
QStringView RendererCommandOfSetting(int value, bool enhancedOffered);
int RendererSettingOf(QStringView checkedCommand, bool enhancedOffered);
