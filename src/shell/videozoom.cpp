#include "shell/videozoom.h"

#include <algorithm>
#include <cmath>

int VideoHeightForWidth(QSize native, int width)
{
    if (native.width() <= 0 || native.height() <= 0)
        return 0;
    return int(double(native.height()) / native.width() * width);
}

int VideoWidthForHeight(QSize native, int height)
{
    if (native.width() <= 0 || native.height() <= 0)
        return 0;
    return int(std::round(double(native.width()) / native.height() * height));
}

int ZoomStep(int width, bool shift, int primaryWorkWidth)
{
    if (shift)
        return 1;
    return std::min(std::max(width / 10, 2), std::max(primaryWorkWidth / 10, 2));
}

std::optional<QSize> WindowZoomArea(const TMyWindowZoom &zoom)
{
    const int d = zoom.kind == TMyZoomKind::Up ? 1 : zoom.kind == TMyZoomKind::Down ? -1 : 0;
    int w = zoom.client.width() + (zoom.shift ? d : 0);
    w += d * ZoomStep(w, zoom.shift, zoom.primaryWorkWidth);
    if (!zoom.video)
        return QSize(w, zoom.infoHeight);
    switch (zoom.kind) {
    case TMyZoomKind::Original:
        return zoom.native;
    case TMyZoomKind::Half:
        return QSize(zoom.native.width() / 2, zoom.native.height() / 2);
    case TMyZoomKind::Double:
        return QSize(zoom.native.width() * 2, zoom.native.height() * 2);
    default:
        break;
    }
    if (zoom.keepAspect || zoom.kind == TMyZoomKind::Fit)
        return QSize(w, VideoHeightForWidth(zoom.native, w));
    // The current proportions of the video area: a client area without width has none.
    if (zoom.client.width() <= 0)
        return std::nullopt;
    return QSize(w, int(double(zoom.client.height() - zoom.panels) / zoom.client.width() * w));
}

std::optional<QRect> VideoZoomRect(const QRect &control, int direction, bool shift, int primaryWorkWidth,
                                   QSize native, std::optional<QPoint> cursor)
{
    if (control.width() <= 0 || control.height() <= 0 || native.width() <= 0 || native.height() <= 0)
        return std::nullopt;
    int w = control.width() + (shift ? direction : 0);
    w += direction * ZoomStep(w, shift, primaryWorkWidth);
    const int h = VideoHeightForWidth(native, w);
    auto within = [](int value, int nativeValue) {
        return value * 5.0 >= nativeValue && value <= nativeValue * 20.0;
    };
    if (!within(w, native.width()) || !within(h, native.height()))
        return std::nullopt;
    int left = control.left(), top = control.top();
    if (cursor) {
        left -= int(std::round(double(w) / control.width() * cursor->x())) - cursor->x();
        top -= int(std::round(double(h) / control.height() * cursor->y())) - cursor->y();
    }
    return QRect(left, top, w, h);
}

std::optional<int> AspectPresetVideoHeight(int clientWidth, double k)
{
    const int h = int(clientWidth * k);
    if (h < 1)
        return std::nullopt;
    return h;
}

double AspectPresetRatio(QStringView command)
{
    struct Preset {
        QStringView name;
        double k;
    };
    static const Preset presets[] = {
        {u"actZoom_AspectStandard", 0.75},     {u"actZoom_AspectHiVision", 0.5625},
        {u"actZoom_AspectEVista", 0.6},        {u"actZoom_AspectAVista", 1 / 1.85},
        {u"actZoom_AspectWideScope", 1 / 2.35},
    };
    for (const Preset &p : presets) {
        if (p.name.compare(command, Qt::CaseInsensitive) == 0)
            return p.k;
    }
    return 0;
}

QRect MaxZoomRect(QSize native, const QRect &area)
{
    int w = area.width();
    int h = VideoHeightForWidth(native, w);
    if (h < area.height()) {
        h = area.height();
        w = VideoWidthForHeight(native, h);
    }
    return QRect(area.left() + (area.width() - w) / 2, area.top() + (area.height() - h) / 2, w, h);
}

TMyHeightLimits WindowHeightLimits(bool videoLayout, bool infoShown, int panelsAndFrame)
{
    const int e = infoShown ? panelsAndFrame : 0;
    if (!videoLayout)
        return {e, e};
    return {e + 120, std::nullopt};
}

std::optional<QPoint> PlacementAfterDisplayChange(const QRect &window, const QList<QRect> &monitors,
                                                  const QRect &primary)
{
    for (const QRect &monitor : monitors) {
        if (monitor.intersects(window))
            return std::nullopt;
    }
    return primary.topLeft() + QPoint(75, 75);
}

int RendererNumber(QStringView command)
{
    for (int i = 0; i < int(std::size(kRendererCommands)); ++i) {
        if (kRendererCommands[i].compare(command, Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

QStringView RendererCommandOfSetting(int value, bool enhancedOffered)
{
    if (value < 1 || value > 5 || (value == 5 && !enhancedOffered))
        return kRendererCommands[3];
    return kRendererCommands[value - 1];
}

int RendererSettingOf(QStringView checkedCommand, bool enhancedOffered)
{
    const int number = RendererNumber(checkedCommand);
    return number == 0 || (number == 5 && !enhancedOffered) ? 3 : number;
}
