// The web host's key table: DOM keyCodes (with the event's location) onto the
// virtual-key codes every other host gives the engine.
#include <gtest/gtest.h>

#include "hosts/driver_web.h"
#include "input/rawinput.h"

namespace {

struct KeyCase {
    const char *key;
    int keycode, location, vk;
};

// keyCode as Chromium reports it, location 0 standard, 1 left, 2 right, 3 keypad.
const KeyCase cases[] = {
    {"a", 65, 0, 0x41},
    {"z", 90, 0, 0x5A},
    {"0", 48, 0, 0x30},
    {"9", 57, 0, 0x39},
    {"F1", 112, 0, 0x70},
    {"F12", 123, 0, 0x7B},
    {"F24", 135, 0, 0x87},
    {"Escape", 27, 0, 0x1B},
    {"Enter", 13, 0, 0x0D},
    {"keypad Enter", 13, 3, 0x0D},
    {"Space", 32, 0, 0x20},
    {"Backspace", 8, 0, 0x08},
    {"Tab", 9, 0, 0x09},
    {"ArrowLeft", 37, 0, 0x25},
    {"ArrowDown", 40, 0, 0x28},
    {"PageUp", 33, 0, 0x21},
    {"Home", 36, 0, 0x24},
    {"Insert", 45, 0, 0x2D},
    {"Delete", 46, 0, 0x2E},
    {"left Shift", 16, 1, 0xA0},
    {"right Shift", 16, 2, 0xA1},
    {"left Control", 17, 1, 0xA2},
    {"right Control", 17, 2, 0xA3},
    {"left Alt", 18, 1, 0xA4},
    {"right Alt", 18, 2, 0xA5},
    {"keypad 0", 96, 3, 0x60},
    {"keypad 9", 105, 3, 0x69},
    {"keypad *", 106, 3, 0x6A},
    {"keypad /", 111, 3, 0x6F},
    {";", 186, 0, 0xBA},
    {"= ", 187, 0, 0xBB},
    {"-", 189, 0, 0xBD},
    {"`", 192, 0, 0xC0},
    {"[", 219, 0, 0xDB},
    {"'", 222, 0, 0xDE},
    {"Firefox ;", 59, 0, 0xBA},
    {"Firefox =", 61, 0, 0xBB},
    {"Firefox -", 173, 0, 0xBD},
    {"Pause", 19, 0, 0x13},
    {"NumLock", 144, 0, 0x90},
};

TEST(WebKeys, DomKeyCodesGiveTheVirtualKeyCodesOfTheOtherHosts)
{
    for (const KeyCase &c : cases) EXPECT_EQ(fenk_web_virtualkey(c.keycode, c.location), c.vk) << c.key;
}

TEST(WebKeys, KeysWithoutACodeGiveNone)
{
    // IME processing, the media keys, a code past the table: no key at all.
    for (int keycode : {0, 229, 173 + 1000, -1, 255, 0xFF + 1, 0xB0, 0xE5})
        EXPECT_EQ(fenk_web_virtualkey(keycode, 0), 0) << keycode;
}

TEST(WebKeys, EveryCodeGivenLiesInTheKeyTable)
{
    for (int keycode = -4; keycode < 1024; keycode++)
        for (int location = 0; location <= 3; location++) {
            const int vk = fenk_web_virtualkey(keycode, location);
            EXPECT_GE(vk, 0);
            EXPECT_LT(vk, FENK_NUMKEYS) << keycode;
        }
}

} // namespace
