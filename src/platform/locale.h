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

// The upper case of one UTF-16 unit (the unit itself when its upper case is not one unit).
char16_t UpperUnitSlow(char16_t c);
inline char16_t UpperUnit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    return UpperUnitSlow(c);
}

// True for units that neither normalisation nor the removal of non-spacing marks changes in any
// text: no canonical decomposition, no mark, nothing that composes with the unit before. Two
// texts of such units are equal to the collator only when they are the same units.
bool IsStableUnit(char16_t c);

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
