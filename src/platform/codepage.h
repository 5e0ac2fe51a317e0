#pragma once
// Code page conversions. The "ANSI" code page of the program is windows-932 everywhere,
// whatever the locale of the machine says.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// Windows code page numbers of the conversions the program uses.
enum class CodePage : int {
    Ansi = 932,
    Utf16Le = 1200,
    Utf16Be = 1201,
    EucJp = 20932,
    Jis = 50220,   // ISO-2022-JP
    Utf7 = 65000,
    Utf8 = 65001,
};

// windows-932, table driven (built once from ICU, with the fix-ups Windows applies).
QString AnsiToWide(QByteArrayView bytes);
// Unmappable units become defaultChar; *usedDefault tells whether that happened.
QByteArray WideToAnsi(QStringView text, char defaultChar = '?', bool *usedDefault = nullptr);
// True when the text converts to windows-932 and back without a substitute.
bool FitsAnsi(QStringView text);
// The windows-932 bytes of one UTF-16 unit: 0 when it has none, else 1 or 2 (written to out).
int AnsiBytesOfUnit(char16_t unit, char out[2]);
// Lead bytes of windows-932 double-byte characters (81-9F, E0-FC).
inline bool IsAnsiLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// True when the bytes read as windows-932 give only characters the code page assigns: every lead
// byte has a trail byte and a mapping, and nothing lands in the private-use area (the user-defined
// rows F0-F9, the bytes A0 and FD-FF) or on the byte 80. A lead byte alone at the very end passes
// when double-byte characters come before it: that is a Japanese text cut to its field's size.
bool IsAssignedAnsi(QByteArrayView bytes);
// windows-1252 as Windows decodes it (its five unassigned bytes give the C1 controls of the same value).
QString WesternToWide(QByteArrayView bytes);

// Any of the code pages above. Decoding never fails; unmappable units are written as "?".
QString Decode(CodePage cp, QByteArrayView bytes);
QByteArray Encode(CodePage cp, QStringView text, bool *lossy = nullptr);

} // namespace platform
