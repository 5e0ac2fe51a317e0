#pragma once
// Numeral-aware comparison: kanji, full-width, financial, circled and Roman numerals compare by value.

#include <QString>
#include <QStringView>

class TMyWStrings;

// -1, 0 or 1.
int CompareNumerals(QStringView a, QStringView b);
// Path-aware: folders first, then names, each by CompareNumerals.
int CompareNumeralNames(QStringView a, QStringView b);
