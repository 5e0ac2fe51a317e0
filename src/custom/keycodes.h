#pragma once
// Stored key codes and their Qt counterparts.
//
// Settings files and the command catalogue keep keys as 16-bit codes: the low byte is a
// Windows virtual-key number, plus 0x2000 for Shift, 0x4000 for Ctrl and 0x8000 for Alt
// (32883 = Alt+F4). The codes stay so that settings files move between systems; this table
// maps them to and from Qt's keys. Punctuation keys are mapped by the character they carry on
// a US keyboard (0xBA is ";"). A code or key that has no counterpart maps to nothing, and its
// caller skips it.
//
// Qt Core only; any thread.

#include <QKeyCombination>
#include <QString>
#include <QStringView>

#include <optional>
#include <span>

namespace KeyCode {

// Modifier bits of a stored code.
inline constexpr quint16 Shift = 0x2000;
inline constexpr quint16 Ctrl = 0x4000;
inline constexpr quint16 Alt = 0x8000;
inline constexpr quint16 ModifierMask = Shift | Ctrl | Alt;

// Virtual-key numbers the program names in code.
inline constexpr quint16 Back = 8;
inline constexpr quint16 Tab = 9;
inline constexpr quint16 Return = 13;
inline constexpr quint16 Escape = 27;
inline constexpr quint16 Space = 32;
inline constexpr quint16 PageUp = 33;
inline constexpr quint16 PageDown = 34;
inline constexpr quint16 End = 35;
inline constexpr quint16 Home = 36;
inline constexpr quint16 Left = 37;
inline constexpr quint16 Up = 38;
inline constexpr quint16 Right = 39;
inline constexpr quint16 Down = 40;
inline constexpr quint16 Insert = 45;
inline constexpr quint16 Delete = 46;
inline constexpr quint16 Apps = 93;  // the context-menu key
inline constexpr quint16 F1 = 112;
inline constexpr quint16 F4 = 115;
inline constexpr quint16 F10 = 121;
inline constexpr quint16 F12 = 123;

constexpr quint16 Plain(quint16 code) { return quint16(code & ~ModifierMask); }

} // namespace KeyCode

// The Qt key and modifiers of a stored code; none when the key has no Qt counterpart or the
// code carries bits other than the three modifiers. Keypad keys carry Qt::KeypadModifier.
std::optional<QKeyCombination> QtKeyFromKeyCode(quint16 code);

// The stored code of a Qt key with its modifiers (Shift, Ctrl, Alt; the keypad flag picks the
// keypad's codes); 0 when the key has no code or the Meta modifier is held. Shifted US
// punctuation (":" or "!") gives the code of its key, and Backtab gives Shift+Tab.
quint16 KeyCodeFromQtKey(QKeyCombination key);

// One of the 62 keys that plain-key bindings can use, in the order the shortcut page lists them.
struct TMyAssignableKey {
    QStringView KeyText;      // "Space", "BkSp", "PgUp", "F1", "A"
    quint16 Code = 0;         // a plain code
    QStringView DisplayName;  // "ｽﾍﾟｰｽ", "BS(後退)", "←", or the key text
};
std::span<const TMyAssignableKey> AssignableKeys();

// The display name of a plain code among the assignable keys; empty for any other code.
QString KeyDisplayName(quint16 code);

// Every code the table maps (plain codes, keypad included), for tests and customisation lists.
std::span<const quint16> MappedKeyCodes();
