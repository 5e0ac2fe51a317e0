#include "custom/keycodes.h"

#include <array>

namespace {

struct KeyPair {
    quint16 Code;
    Qt::Key Key;
    bool Keypad = false;
};

constexpr std::array kKeys = std::to_array<KeyPair>({
    {8, Qt::Key_Backspace},
    {9, Qt::Key_Tab},
    {12, Qt::Key_Clear},
    {13, Qt::Key_Return},
    {19, Qt::Key_Pause},
    {27, Qt::Key_Escape},
    {32, Qt::Key_Space},
    {33, Qt::Key_PageUp},
    {34, Qt::Key_PageDown},
    {35, Qt::Key_End},
    {36, Qt::Key_Home},
    {37, Qt::Key_Left},
    {38, Qt::Key_Up},
    {39, Qt::Key_Right},
    {40, Qt::Key_Down},
    {44, Qt::Key_Print},
    {45, Qt::Key_Insert},
    {46, Qt::Key_Delete},
    {48, Qt::Key_0}, {49, Qt::Key_1}, {50, Qt::Key_2}, {51, Qt::Key_3}, {52, Qt::Key_4},
    {53, Qt::Key_5}, {54, Qt::Key_6}, {55, Qt::Key_7}, {56, Qt::Key_8}, {57, Qt::Key_9},
    {65, Qt::Key_A}, {66, Qt::Key_B}, {67, Qt::Key_C}, {68, Qt::Key_D}, {69, Qt::Key_E},
    {70, Qt::Key_F}, {71, Qt::Key_G}, {72, Qt::Key_H}, {73, Qt::Key_I}, {74, Qt::Key_J},
    {75, Qt::Key_K}, {76, Qt::Key_L}, {77, Qt::Key_M}, {78, Qt::Key_N}, {79, Qt::Key_O},
    {80, Qt::Key_P}, {81, Qt::Key_Q}, {82, Qt::Key_R}, {83, Qt::Key_S}, {84, Qt::Key_T},
    {85, Qt::Key_U}, {86, Qt::Key_V}, {87, Qt::Key_W}, {88, Qt::Key_X}, {89, Qt::Key_Y},
    {90, Qt::Key_Z},
    {93, Qt::Key_Menu},
    // keypad
    {0x60, Qt::Key_0, true}, {0x61, Qt::Key_1, true}, {0x62, Qt::Key_2, true},
    {0x63, Qt::Key_3, true}, {0x64, Qt::Key_4, true}, {0x65, Qt::Key_5, true},
    {0x66, Qt::Key_6, true}, {0x67, Qt::Key_7, true}, {0x68, Qt::Key_8, true},
    {0x69, Qt::Key_9, true},
    {0x6A, Qt::Key_Asterisk, true},
    {0x6B, Qt::Key_Plus, true},
    {0x6D, Qt::Key_Minus, true},
    {0x6E, Qt::Key_Period, true},
    {0x6F, Qt::Key_Slash, true},
    // F1 to F24
    {112, Qt::Key_F1}, {113, Qt::Key_F2}, {114, Qt::Key_F3}, {115, Qt::Key_F4},
    {116, Qt::Key_F5}, {117, Qt::Key_F6}, {118, Qt::Key_F7}, {119, Qt::Key_F8},
    {120, Qt::Key_F9}, {121, Qt::Key_F10}, {122, Qt::Key_F11}, {123, Qt::Key_F12},
    {124, Qt::Key_F13}, {125, Qt::Key_F14}, {126, Qt::Key_F15}, {127, Qt::Key_F16},
    {128, Qt::Key_F17}, {129, Qt::Key_F18}, {130, Qt::Key_F19}, {131, Qt::Key_F20},
    {132, Qt::Key_F21}, {133, Qt::Key_F22}, {134, Qt::Key_F23}, {135, Qt::Key_F24},
    // volume and media keys
    {0xAD, Qt::Key_VolumeMute},
    {0xAE, Qt::Key_VolumeDown},
    {0xAF, Qt::Key_VolumeUp},
    {0xB0, Qt::Key_MediaNext},
    {0xB1, Qt::Key_MediaPrevious},
    {0xB2, Qt::Key_MediaStop},
    {0xB3, Qt::Key_MediaTogglePlayPause},
    // punctuation by the character of the key on a US keyboard
    {0xBA, Qt::Key_Semicolon},
    {0xBB, Qt::Key_Equal},
    {0xBC, Qt::Key_Comma},
    {0xBD, Qt::Key_Minus},
    {0xBE, Qt::Key_Period},
    {0xBF, Qt::Key_Slash},
    {0xC0, Qt::Key_QuoteLeft},
    {0xDB, Qt::Key_BracketLeft},
    {0xDC, Qt::Key_Backslash},
    {0xDD, Qt::Key_BracketRight},
    {0xDE, Qt::Key_Apostrophe},
});

// Qt keys that only map one way: what Qt reports for a key pressed with Shift on a US
// keyboard, the keypad's Enter, and the separate play and pause media keys.
constexpr std::array kExtraKeys = std::to_array<KeyPair>({
    {13, Qt::Key_Enter},
    {0xB3, Qt::Key_MediaPlay},
    {0xB3, Qt::Key_MediaPause},
    {49, Qt::Key_Exclam}, {50, Qt::Key_At}, {51, Qt::Key_NumberSign}, {52, Qt::Key_Dollar},
    {53, Qt::Key_Percent}, {54, Qt::Key_AsciiCircum}, {55, Qt::Key_Ampersand},
    {56, Qt::Key_Asterisk}, {57, Qt::Key_ParenLeft}, {48, Qt::Key_ParenRight},
    {0xBA, Qt::Key_Colon},
    {0xBB, Qt::Key_Plus},
    {0xBC, Qt::Key_Less},
    {0xBD, Qt::Key_Underscore},
    {0xBE, Qt::Key_Greater},
    {0xBF, Qt::Key_Question},
    {0xC0, Qt::Key_AsciiTilde},
    {0xDB, Qt::Key_BraceLeft},
    {0xDC, Qt::Key_Bar},
    {0xDD, Qt::Key_BraceRight},
    {0xDE, Qt::Key_QuoteDbl},
});

constexpr auto kMappedCodes = [] {
    std::array<quint16, kKeys.size()> codes{};
    for (size_t i = 0; i < kKeys.size(); ++i)
        codes[i] = kKeys[i].Code;
    return codes;
}();

constexpr std::array kAssignableKeys = std::to_array<TMyAssignableKey>({
    {u"0", 48, u"0"}, {u"1", 49, u"1"}, {u"2", 50, u"2"}, {u"3", 51, u"3"}, {u"4", 52, u"4"},
    {u"5", 53, u"5"}, {u"6", 54, u"6"}, {u"7", 55, u"7"}, {u"8", 56, u"8"}, {u"9", 57, u"9"},
    {u"Space", 32, u"ｽﾍﾟｰｽ"},
    {u"A", 65, u"A"}, {u"B", 66, u"B"}, {u"C", 67, u"C"}, {u"D", 68, u"D"}, {u"E", 69, u"E"},
    {u"F", 70, u"F"}, {u"G", 71, u"G"}, {u"H", 72, u"H"}, {u"I", 73, u"I"}, {u"J", 74, u"J"},
    {u"K", 75, u"K"}, {u"L", 76, u"L"}, {u"M", 77, u"M"}, {u"N", 78, u"N"}, {u"O", 79, u"O"},
    {u"P", 80, u"P"}, {u"Q", 81, u"Q"}, {u"R", 82, u"R"}, {u"S", 83, u"S"}, {u"T", 84, u"T"},
    {u"U", 85, u"U"}, {u"V", 86, u"V"}, {u"W", 87, u"W"}, {u"X", 88, u"X"}, {u"Y", 89, u"Y"},
    {u"Z", 90, u"Z"},
    {u"F1", 112, u"F1"}, {u"F2", 113, u"F2"}, {u"F3", 114, u"F3"}, {u"F4", 115, u"F4"},
    {u"F5", 116, u"F5"}, {u"F6", 117, u"F6"}, {u"F7", 118, u"F7"}, {u"F8", 119, u"F8"},
    {u"F9", 120, u"F9"}, {u"F10", 121, u"F10"}, {u"F11", 122, u"F11"}, {u"F12", 123, u"F12"},
    {u"Enter", 13, u"Enter"},
    {u"BkSp", 8, u"BS(後退)"},
    {u"Del", 46, u"Del"},
    {u"Ins", 45, u"Ins"},
    {u"Esc", 27, u"Esc"},
    {u"PgUp", 33, u"PgUp"},
    {u"PgDn", 34, u"PgDn"},
    {u"Home", 36, u"Home"},
    {u"End", 35, u"End"},
    {u"Left", 37, u"←"},
    {u"Right", 39, u"→"},
    {u"Up", 38, u"↑"},
    {u"Down", 40, u"↓"},
});
static_assert(kAssignableKeys.size() == 62);

Qt::KeyboardModifiers ModifiersOf(quint16 code)
{
    Qt::KeyboardModifiers m;
    if (code & KeyCode::Shift)
        m |= Qt::ShiftModifier;
    if (code & KeyCode::Ctrl)
        m |= Qt::ControlModifier;
    if (code & KeyCode::Alt)
        m |= Qt::AltModifier;
    return m;
}

} // namespace

std::optional<QKeyCombination> QtKeyFromKeyCode(quint16 code)
{
    if (code & 0x1F00)
        return std::nullopt;
    const quint16 plain = code & 0xFF;
    for (const KeyPair &k : kKeys) {
        if (k.Code == plain) {
            Qt::KeyboardModifiers m = ModifiersOf(code);
            if (k.Keypad)
                m |= Qt::KeypadModifier;
            return QKeyCombination(m, k.Key);
        }
    }
    return std::nullopt;
}

quint16 KeyCodeFromQtKey(QKeyCombination key)
{
    const Qt::KeyboardModifiers m = key.keyboardModifiers();
    if (m & Qt::MetaModifier)
        return 0;
    Qt::Key k = key.key();
    quint16 bits = 0;
    if (m & Qt::ShiftModifier)
        bits |= KeyCode::Shift;
    if (m & Qt::ControlModifier)
        bits |= KeyCode::Ctrl;
    if (m & Qt::AltModifier)
        bits |= KeyCode::Alt;
    if (k == Qt::Key_Backtab) {
        k = Qt::Key_Tab;
        bits |= KeyCode::Shift;
    }
    const bool keypad = m & Qt::KeypadModifier;
    // A keypad key without a keypad code of its own (arrows, Enter, Home with Num Lock off)
    // is the ordinary key.
    for (int pass = keypad ? 0 : 1; pass < 2; ++pass) {
        const bool wantKeypad = pass == 0;
        for (const KeyPair &p : kKeys) {
            if (p.Key == k && p.Keypad == wantKeypad)
                return quint16(p.Code | bits);
        }
    }
    for (const KeyPair &p : kExtraKeys) {
        if (p.Key == k)
            return quint16(p.Code | bits);
    }
    return 0;
}

std::span<const TMyAssignableKey> AssignableKeys() { return kAssignableKeys; }

QString KeyDisplayName(quint16 code)
{
    for (const TMyAssignableKey &k : kAssignableKeys) {
        if (k.Code == code)
            return k.DisplayName.toString();
    }
    return QString();
}

std::span<const quint16> MappedKeyCodes() { return kMappedCodes; }
