#include "custom/commandcatalogue.h"
#include "custom/keybindings.h"
#include "custom/keycodes.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

constexpr quint16 kModifierSets[] = {0, KeyCode::Shift, KeyCode::Ctrl, KeyCode::Alt,
                                     KeyCode::Shift | KeyCode::Ctrl | KeyCode::Alt};

// Every mapped code, with every modifier set, comes back from its Qt key unchanged, and no
// two codes share a Qt key.
TEST(KeyCodes, RoundTripOverTheWholeTable)
{
    QSet<int> qtKeys;
    ASSERT_GE(MappedKeyCodes().size(), 62u + 12 + 15 + 11);
    for (quint16 plain : MappedKeyCodes()) {
        for (quint16 mods : kModifierSets) {
            const quint16 code = plain | mods;
            SCOPED_TRACE(code);
            const std::optional<QKeyCombination> key = QtKeyFromKeyCode(code);
            ASSERT_TRUE(key.has_value());
            EXPECT_EQ(KeyCodeFromQtKey(*key), code);
            if (mods == 0) {
                EXPECT_FALSE(qtKeys.contains(key->toCombined()));
                qtKeys.insert(key->toCombined());
            }
        }
    }
}

TEST(KeyCodes, KnownCodes)
{
    const struct {
        quint16 code;
        QKeyCombination key;
    } cases[] = {
        {32883, QKeyCombination(Qt::AltModifier, Qt::Key_F4)},
        {32889, QKeyCombination(Qt::AltModifier, Qt::Key_F10)},
        {112, QKeyCombination(Qt::Key_F1)},
        {8224, QKeyCombination(Qt::ShiftModifier, Qt::Key_Space)},
        {16416, QKeyCombination(Qt::ControlModifier, Qt::Key_Space)},
        {0x4000 | 65, QKeyCombination(Qt::ControlModifier, Qt::Key_A)},
        {8, QKeyCombination(Qt::Key_Backspace)},
        {13, QKeyCombination(Qt::Key_Return)},
        {33, QKeyCombination(Qt::Key_PageUp)},
        {34, QKeyCombination(Qt::Key_PageDown)},
        {37, QKeyCombination(Qt::Key_Left)},
        {93, QKeyCombination(Qt::Key_Menu)},
        {135, QKeyCombination(Qt::Key_F24)},
        {0x60, QKeyCombination(Qt::KeypadModifier, Qt::Key_0)},
        {0x6B, QKeyCombination(Qt::KeypadModifier, Qt::Key_Plus)},
        {0xAF, QKeyCombination(Qt::Key_VolumeUp)},
        {0xB3, QKeyCombination(Qt::Key_MediaTogglePlayPause)},
        {0xBA, QKeyCombination(Qt::Key_Semicolon)},
        {0xBB, QKeyCombination(Qt::Key_Equal)},
        {0xDE, QKeyCombination(Qt::Key_Apostrophe)},
        {0xC0, QKeyCombination(Qt::Key_QuoteLeft)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(QtKeyFromKeyCode(c.code), std::optional(c.key));
        EXPECT_EQ(KeyCodeFromQtKey(c.key), c.code);
    }
}

// What Qt reports that only maps one way, and what maps to nothing.
TEST(KeyCodes, QtKeysOfOneDirectionAndUnmapped)
{
    const struct {
        QKeyCombination key;
        quint16 code;  // 0: none
    } cases[] = {
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Colon), KeyCode::Shift | 0xBA},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Exclam), KeyCode::Shift | 49},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Plus), KeyCode::Shift | 0xBB},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Asterisk), KeyCode::Shift | 56},
        {QKeyCombination(Qt::ShiftModifier | Qt::KeypadModifier, Qt::Key_Asterisk), KeyCode::Shift | 0x6A},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Backtab), KeyCode::Shift | KeyCode::Tab},
        {QKeyCombination(Qt::Key_Backtab), KeyCode::Shift | KeyCode::Tab},
        {QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter), KeyCode::Return},
        {QKeyCombination(Qt::KeypadModifier, Qt::Key_Left), KeyCode::Left},
        {QKeyCombination(Qt::KeypadModifier, Qt::Key_PageUp), KeyCode::PageUp},
        {QKeyCombination(Qt::Key_MediaPlay), 0xB3},
        {QKeyCombination(Qt::Key_Minus), 0xBD},
        {QKeyCombination(Qt::KeypadModifier, Qt::Key_Minus), 0x6D},
        {QKeyCombination(Qt::MetaModifier, Qt::Key_A), 0},
        {QKeyCombination(Qt::Key_Shift), 0},
        {QKeyCombination(Qt::Key_unknown), 0},
        {QKeyCombination(Qt::Key_Eacute), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(KeyCodeFromQtKey(c.key), c.code) << c.key.toCombined();

    for (quint16 code : {quint16(0), quint16(7), quint16(0x16), quint16(0xFF), quint16(0x0100 | 65),
                         quint16(0x1000 | 65), quint16(0x6C)})
        EXPECT_FALSE(QtKeyFromKeyCode(code).has_value()) << code;
}

TEST(KeyCodes, AssignableKeys)
{
    const auto keys = AssignableKeys();
    ASSERT_EQ(keys.size(), 62u);
    QSet<quint16> codes;
    for (const TMyAssignableKey &k : keys) {
        SCOPED_TRACE(k.KeyText.toString().toStdString());
        EXPECT_FALSE(codes.contains(k.Code));
        codes.insert(k.Code);
        EXPECT_EQ(KeyCode::Plain(k.Code), k.Code);
        EXPECT_TRUE(QtKeyFromKeyCode(k.Code).has_value());
        EXPECT_EQ(KeyDisplayName(k.Code), k.DisplayName.toString());
    }
    // Rows the shortcut page's menus count on.
    EXPECT_EQ(keys[0].Code, 48);
    EXPECT_EQ(keys[9].Code, 57);
    EXPECT_EQ(keys[10].KeyText, u"Space");
    EXPECT_EQ(keys[11].Code, 65);
    EXPECT_EQ(keys[36].Code, 90);
    EXPECT_EQ(keys[37].KeyText, u"F1");
    EXPECT_EQ(keys[48].Code, 123);
    EXPECT_EQ(keys[49].Code, 13);
    EXPECT_EQ(keys[61].KeyText, u"Down");

    EXPECT_EQ(KeyDisplayName(32), QString::fromUtf8("ｽﾍﾟｰｽ"));
    EXPECT_EQ(KeyDisplayName(8), QString::fromUtf8("BS(後退)"));
    EXPECT_EQ(KeyDisplayName(37), QString::fromUtf8("←"));
    EXPECT_EQ(KeyDisplayName(40), QString::fromUtf8("↓"));
    EXPECT_EQ(KeyDisplayName(115), QStringLiteral("F4"));
    EXPECT_EQ(KeyDisplayName(33), QStringLiteral("PgUp"));
    EXPECT_EQ(KeyDisplayName(124), QString());  // F13 is no assignable key
    EXPECT_EQ(KeyDisplayName(KeyCode::Shift | 32), QString());
}

TEST(KeyBindings, DefaultsComeFromThePlainKeysOfTheCatalogue)
{
    const TMyKeyBindingList expected{
        {32, "actPlay_PlayPause"}, {8, "actPlay_Replay"},    {34, "actPlay_Back"}, {33, "actPlay_Next"},
        {37, "actPlay_SkipBack"},  {39, "actPlay_SkipNext"}, {38, "actZoom_Up"},   {40, "actZoom_Down"},
    };
    EXPECT_EQ(DefaultKeyBindings(), expected);
    EXPECT_EQ(KeyBindings(), expected);

    EXPECT_EQ(BoundCommand(KeyBindings(), 32), QStringLiteral("actPlay_PlayPause"));
    EXPECT_EQ(BoundCommand(KeyBindings(), 65), QString());
    for (const T_ShortCutAction &b : DefaultKeyBindings()) {
        EXPECT_NE(FindCommand(b.Command), nullptr) << b.Command.toStdString();
        EXPECT_FALSE(KeyDisplayName(b.KeyCode).isEmpty()) << b.KeyCode;
    }

    // The live table changes; the defaults stay.
    KeyBindings().clear();
    KeyBindings().append({65, "actOpt_Random"});
    KeyBindings().append({65, "actPlay_Mute"});
    EXPECT_EQ(BoundCommand(KeyBindings(), 65), QStringLiteral("actOpt_Random"));
    EXPECT_EQ(DefaultKeyBindings(), expected);
    KeyBindings() = DefaultKeyBindings();
}

} // namespace
