#pragma once
// Media measurement over GstDiscoverer: duration, video size and frame rate of a local file, with
// a time limit after which the zero results are given. The tags call it through GetMediaInfo
// once InstallMediaMeasurer has run (the application does that at start-up).

#include "tags/mediameasure.h"

#include <QString>

#include <chrono>
#include <vector>

namespace engine {

constexpr std::chrono::milliseconds kDefaultMeasureTimeout{10000};

// Zeros for anything that is not a regular file, that cannot be read as media, or that takes
// longer than the timeout. Callable from any thread; each call uses its own objects.
TMediaInfo MeasureMedia(const QString &fileName,
                        std::chrono::milliseconds timeout = kDefaultMeasureTimeout);

// Makes GetMediaInfo (tags/mediameasure.h) measure with MeasureMedia and the timeout.
void InstallMediaMeasurer(std::chrono::milliseconds timeout = kDefaultMeasureTimeout);

// Frames per second of the first video stream of an ASF file, from the presentation times of its
// first frames (its demuxer reports 25/1 for streams whose rate it does not know); 0 when they do
// not tell within the timeout.
double AsfFrameRate(const QString &fileName, std::chrono::milliseconds timeout);

// Frames per second from presentation times (nanoseconds, any order) that the container keeps
// at a coarse step (ASF: whole milliseconds). The rate is the common one (an integer, or one of
// the n * 1000/1001 family) that the times allow within that step, else their plain average;
// 0 with fewer than three distinct times.
double FrameRateFromTimestamps(std::vector<long long> timesNs, long long stepNs);

} // namespace engine
