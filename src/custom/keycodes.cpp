#include "custom/keycodes.h"

#include <array>
#include <initializer_list>

namespace {

struct KeyPair {
    quint16 Code;
    Qt::Key Key;
    bool Keypad = false;
};

// A row of the table as written: one pair, or with Count a run of pairs whose codes and Qt keys
// both count up by one.
struct KeyRow {
    quint16 Code;
    Qt::Key Key;
    bool Keypad = false;
    int Count = 1;
};

template <size_t N>
constexpr std::array<KeyPair, N> Expand(std::initializer_list<KeyRow> rows)
{
    std::array<KeyPair, N> pairs{};
    size_t n = 0;
    for (const KeyRow &row : rows) {
        for (int i = 0; i < row.Count; ++i)
            pairs[n++] = {quint16(row.Code + i), Qt::Key(row.Key + i), row.Keypad};
    }
    if (n != N)
        throw "the table's size is wrong";
    return pairs;
}

constexpr std::array kKeys = Expand<112>({
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
    {.Code = 48, .Key = Qt::Key_0, .Count = 10},
    {.Code = 65, .Key = Qt::Key_A, .Count = 26},
    {93, Qt::Key_Menu},
    // keypad
    {.Code = 0x60, .Key = Qt::Key_0, .Keypad = true, .Count = 10},
    {0x6A, Qt::Key_Asterisk, true},
    {0x6B, Qt::Key_Plus, true},
    {0x6D, Qt::Key_Minus, true},
    {0x6E, Qt::Key_Period, true},
    {0x6F, Qt::Key_Slash, true},
    // F1 to F24
    {.Code = 112, .Key = Qt::Key_F1, .Count = 24},
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

// The keys named by their own text: "0" to "9" and "A" to "Z" (a character's code is the key's
// code), "F1" to "F12".
constexpr char16_t kCharacterKeys[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char16_t kFunctionKeys[] = u"F1F2F3F4F5F6F7F8F9F10F11F12";

constexpr std::array kAssignableKeys = [] {
    std::array<TMyAssignableKey, 62> keys{};
    size_t n = 0;
    // A display name left out is the key text.
    const auto add = [&](QStringView text, quint16 code, QStringView display = {}) {
        keys[n++] = {text, code, display.isEmpty() ? text : display};
    };
    const auto characters = [&](qsizetype first, qsizetype count) {
        for (qsizetype i = first; i < first + count; ++i)
            add(QStringView(kCharacterKeys + i, 1), quint16(kCharacterKeys[i]));
    };
    characters(0, 10);
    add(u"Space", KeyCode::Space, u"ｽﾍﾟｰｽ");
    characters(10, 26);
    for (int i = 0; i < 12; ++i)
        add(QStringView(kFunctionKeys + (i < 9 ? 2 * i : 18 + 3 * (i - 9)), i < 9 ? 2 : 3), quint16(KeyCode::F1 + i));
    add(u"Enter", KeyCode::Return);
    add(u"BkSp", KeyCode::Back, u"BS(後退)");
    add(u"Del", KeyCode::Delete);
    add(u"Ins", KeyCode::Insert);
    add(u"Esc", KeyCode::Escape);
    add(u"PgUp", KeyCode::PageUp);
    add(u"PgDn", KeyCode::PageDown);
    add(u"Home", KeyCode::Home);
    add(u"End", KeyCode::End);
    add(u"Left", KeyCode::Left, u"←");
    add(u"Right", KeyCode::Right, u"→");
    add(u"Up", KeyCode::Up, u"↑");
    add(u"Down", KeyCode::Down, u"↓");
    if (n != keys.size())
        throw "the table holds 62 keys";
    return keys;
}();

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
