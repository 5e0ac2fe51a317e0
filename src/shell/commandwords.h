#pragma once
// What the command words of the player's panel need beyond the commands they run: the rate
// nearest to a number, and the notices of the property window told apart from other texts.

#include <QString>
#include <QStringView>

class TMyParam;

// The rate commands in rate-menu order ("8.7" first, "0.1" last) and their rates.
int RateCommandCount();
QStringView RateCommandName(int menuIndex);
double RateOfCommand(int menuIndex);
// The menu index of the rate nearest to rate, distances taken in whole thousandths, the first
// of equally near ones in menu order.
int NearestRateIndex(double rate);

// A rename notice ("/rename" with the old and the new path): both paths, or nothing when the
// text is no rename notice (a switch named rename with fewer than two non-empty paths is none).
struct TMyRenameNotice {
    QString OldPath;
    QString NewPath;
};
bool ParseRenameNotice(const TMyParam &param, TMyRenameNotice &notice);

// "ON" (in any case) switches on; any other value, or none, switches off.
bool WordSwitchesOn(QStringView valueUpper);
