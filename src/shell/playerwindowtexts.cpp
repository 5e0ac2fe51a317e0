#include "shell/playerwindowtexts.h"

#include "engine/timetexts.h"

QString PlayerFileInfoText(const QString &sizeText, const QString &durationText, const QString &dateText,
                           bool hasVideo, int width, int height, double frameRate, const std::array<int, 6> &quality)
{
    QString text = QStringLiteral("%1 %2秒 (%3)").arg(sizeText, durationText, dateText.left(10));
    if (!hasVideo)
        return text;
    const QString rate = frameRate == 0 ? QStringLiteral("-") : QString::asprintf("%.2f", frameRate);
    const int average = quality[0], sync = quality[1], deviation = quality[2], drawn = quality[3],
              dropped = quality[4], jitter = quality[5];
    QString frames = rate;
    if (average > 0 || drawn > 0 || dropped > 0)
        frames = QString::asprintf("%.2f/", average / 100.0) + rate +
                 QString::asprintf("fps %d/%dframes [%d %d %d]", drawn, dropped, jitter, sync, deviation);
    return text + QStringLiteral(" %1x%2 ").arg(width).arg(height) + frames;
}

QString PlayerTimeText(bool verbose, double position, double duration)
{
    if (verbose)
        return FractionText(3, position) + QLatin1Char('/') + FractionText(3, duration);
    return SecondsText(RoundHalfAway(position)) + QLatin1Char('/') + SecondsText(RoundHalfAway(duration));
}
