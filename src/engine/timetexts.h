#pragma once
// Time texts of the player: whole seconds, fractional seconds, and reading a typed time.

#include <QString>
#include <QStringView>

// "0", "5", "1:05", "1:02:05", "10:00": hours only when there are any, no leading zeros.
QString SecondsText(long long seconds);

// Seconds with `digits` fraction digits, stripped like SecondsText when above one second
// ("1:01.250"); "0.500" at or below one second; negative values get a leading "-".
QString FractionText(int digits, double seconds);

// "90" -> 90, "1:30" -> 90, "1:00:00" -> 3600; three or more ":" give 0. Every part is read
// leniently: full-width digits and thousands separators are accepted, no digits give 0.
long long ParseTimeText(QStringView text);

// Half away from zero, the rounding the player uses for every time and rate.
long long RoundHalfAway(double x);
