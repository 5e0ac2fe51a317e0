#pragma once
// The lenient integer reading used for every number in the settings and for numbers users type.

#include <QStringView>

// Reads a number the way every number in the settings is read: full-width folded, upper-cased,
// then a plain decimal or "$" hexadecimal integer, or else the longest usable start of the text
// ("1,024" 1024, "12px" 12, "x1F" 31, "abc" 2748, "True" 0).
qint64 LenientStrToInt(QStringView text);
