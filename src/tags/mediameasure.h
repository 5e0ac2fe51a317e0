#pragma once
// Media measurement (duration, video size, frame rate) as the tags see it. The measuring itself
// needs the media framework, which lives above this library: the engine installs a measurer at
// start-up with SetMediaMeasurer, and GetMediaInfo calls it from any thread.

#include <QString>

#include <functional>

struct TMediaInfo {
    double Duration = 0.0;   // seconds
    double FrameRate = 0.0;  // frames per second, two decimals
    int Width = 0;           // pixels; 0 for audio
    int Height = 0;
};

using TMediaMeasurer = std::function<TMediaInfo(const QString &fileName)>;

// Installs the process-wide measurer (an empty function removes it). Safe while other threads
// measure: a call that has already started keeps the measurer it took.
void SetMediaMeasurer(TMediaMeasurer measurer);
bool HasMediaMeasurer();

// Duration, frame rate and video size of the file; all zero when it cannot be measured or no
// measurer is installed.
TMediaInfo GetMediaInfo(const QString &fileName);

// 100 / t rounded to the nearest integer (halves away from zero) and divided by 100, so that
// 1/29.97 s gives 29.97; 0 when t is not above 0.
double FrameRateFromFrameTime(double secondsPerFrame);
// The rate of num/den frames per second, rounded as above; 0 unless both parts are above 0.
double FrameRateFromFraction(long long num, long long den);
