#pragma once
// Locale-aware comparison and mapping, fixed to the Japanese locale whatever LANG says.
// Collators and transliterators are built once per thread.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace platform {

enum CompareFlags : int {
    CompareDefault = 0,
    IgnoreCase = 1,      // both texts upper-cased unit by unit first
    IgnoreNonSpace = 2,  // non-spacing marks removed first
    StringSort = 4,      // symbols sort as characters (the collator's own behaviour)
};

// -1, 0 or 1.
int CompareLocale(QStringView a, QStringView b, int flags = CompareDefault);
// A binary key: comparing two keys with memcmp gives CompareLocale of their texts.
QByteArray LocaleSortKey(QStringView text, int flags = CompareDefault);
// Compares two keys made by LocaleSortKey.
int CompareSortKeys(const QByteArray &a, const QByteArray &b);

// Unit-by-unit case mapping (no length changes: "ß" stays "ß").
QString UpperUnits(QStringView text);
QString LowerUnits(QStringView text);

enum MapFlags : int {
    MapUpperCase = 1,
    MapLowerCase = 2,
    MapHiragana = 4,
    MapKatakana = 8,
    MapFullWidth = 16,
    MapHalfWidth = 32,
    MapRemoveNonSpace = 64,
};
// Applies the mappings in the order: non-spacing, width, kana, case.
QString MapString(QStringView text, int flags);

} // namespace platform
