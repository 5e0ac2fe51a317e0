#include "tags/mediameasure.h"

#include <cmath>
#include <memory>
#include <mutex>

namespace {

std::mutex g_measurerLock;
std::shared_ptr<const TMediaMeasurer> g_measurer;

std::shared_ptr<const TMediaMeasurer> CurrentMeasurer()
{
    std::lock_guard<std::mutex> lock(g_measurerLock);
    return g_measurer;
}

} // namespace

void SetMediaMeasurer(TMediaMeasurer measurer)
{
    std::shared_ptr<const TMediaMeasurer> next;
    if (measurer)
        next = std::make_shared<const TMediaMeasurer>(std::move(measurer));
    std::lock_guard<std::mutex> lock(g_measurerLock);
    g_measurer.swap(next);
}

bool HasMediaMeasurer()
{
    return CurrentMeasurer() != nullptr;
}

TMediaInfo GetMediaInfo(const QString &fileName)
{
    const auto measurer = CurrentMeasurer();
    if (!measurer || fileName.isEmpty())
        return {};
    TMediaInfo info = (*measurer)(fileName);
    // Whatever the measurer did, the results keep the documented ranges.
    if (!std::isfinite(info.Duration) || info.Duration < 0)
        info.Duration = 0;
    if (!std::isfinite(info.FrameRate) || info.FrameRate < 0)
        info.FrameRate = 0;
    if (info.Width < 0 || info.Height < 0 || info.Width == 0 || info.Height == 0)
        info.Width = info.Height = 0;
    return info;
}

double FrameRateFromFrameTime(double secondsPerFrame)
{
    if (!(secondsPerFrame > 0) || !std::isfinite(secondsPerFrame))
        return 0;
    const double hundredths = std::round(100.0 / secondsPerFrame);  // std::round: halves away from zero
    if (!std::isfinite(hundredths))
        return 0;
    return hundredths / 100.0;
}

double FrameRateFromFraction(long long num, long long den)
{
    if (num <= 0 || den <= 0)
        return 0;
    return FrameRateFromFrameTime(double(den) / double(num));
}
