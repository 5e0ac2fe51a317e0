#pragma once
// Texts of the player window's information panel and time display, made without a window.

#include <QString>

#include <array>

// The information panel's file line: "<size> <duration>秒 (<date, first 10 characters>)"; with
// video followed by " <w>x<h> " and the frame text: the frame rate ("%.2f", "-" when 0), or, when
// the renderer reports any of average rate, frames drawn or dropped,
// "<avg/100>/<rate>fps <drawn>/<dropped>frames [<jitter> <sync> <deviation>]". quality holds the
// renderer's figures in QualityStats order (average rate, sync offset, its deviation, drawn,
// dropped, jitter).
QString PlayerFileInfoText(const QString &sizeText, const QString &durationText, const QString &dateText,
                           bool hasVideo, int width, int height, double frameRate, const std::array<int, 6> &quality);

// The time display: "<position>/<duration>", as whole-second texts, or with three decimals when
// verbose.
QString PlayerTimeText(bool verbose, double position, double duration);
