#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "input/rawinput.h"

namespace {

TEST(KeyMask, SharedBitsAndEscape)
{
    int keys[FENK_NUMKEYS] = {};
    EXPECT_EQ(fenk_keymask(keys), 0);
    keys['C'] = 1;
    keys[0x12] = 1; // Alt
    EXPECT_EQ(fenk_keymask(keys), 0x0080);
    keys['C'] = keys[0x12] = 0;
    keys[0x0D] = 0x8000; // Return, as GetAsyncKeyState reports it
    keys['1'] = 0x8000;
    EXPECT_EQ(fenk_keymask(keys), 0x1000);
    keys[0x1B] = 1;
    keys[0x26] = 1;
    keys[0x09] = 1;
    EXPECT_EQ(fenk_keymask(keys), 0x1000 | 0x8000 | 0x0001 | 0x4000);
}

TEST(KeyCodes, SpecialKeysMapBothWays)
{
    EXPECT_EQ(fenk_translatekeycode(0x1B), 0xF000);
    EXPECT_EQ(fenk_translatekeycode(0x09), 0xF028);
    EXPECT_EQ(fenk_translatekeycode(0x70), 0xF030);
    EXPECT_EQ(fenk_translatekeycode(0x7B), 0xF03B);
    EXPECT_EQ(fenk_translatekeycode('A'), 'A');
    EXPECT_EQ(fenk_translatekeycode('7'), '7');
    EXPECT_EQ(fenk_translatekeycode(0), 0);
    for (int vk = 0; vk < FENK_NUMKEYS; vk++) {
        int code = fenk_translatekeycode(vk);
        EXPECT_EQ(fenk_untranslatekeycode(code), code >= 0xF000 ? vk : -1) << vk;
    }
    EXPECT_EQ(fenk_untranslatekeycode(0xF03C), -1);
    EXPECT_EQ(fenk_untranslatekeycode(0xFFFF), -1);
}

TEST(WindowMessages, KeyCodeFollowsTheLastKeyPressed)
{
    fenk_rawinput_keydown('A');
    fenk_rawinput_keydown(0x1B);
    EXPECT_EQ(FENK_keys['A'], 1);
    EXPECT_EQ(fenk_getkeycode(), 0xF000);
    fenk_input_prevkeycode = 0xF000;
    fenk_rawinput_keyup('A'); // not the last one pressed
    EXPECT_EQ(FENK_keys['A'], 0);
    EXPECT_EQ(fenk_getkeycode(), 0xF000);
    EXPECT_EQ(fenk_input_prevkeycode, 0xF000);
    fenk_rawinput_keyup(0x1B);
    EXPECT_EQ(fenk_getkeycode(), 0);
    EXPECT_EQ(fenk_input_prevkeycode, 0);
    fenk_rawinput_keydown(0x141); // only the low byte names the key
    EXPECT_EQ(FENK_keys[0x41], 1);
    EXPECT_EQ(fenk_getkeycode(), 'A');
    fenk_rawinput_keyup(0x41);
}

// A key that went down since the last poll is taken once, however often it went
// down, and other keys keep their marks.
TEST(KeyTaps, EachMarkIsTakenOnce)
{
    int tapped[FENK_NUMKEYS] = {};
    EXPECT_EQ(fenk_keytap_take(tapped, 0x1B), 0);
    fenk_keytap_down(tapped, 0x1B);
    fenk_keytap_down(tapped, 0x1B);
    fenk_keytap_down(tapped, 0x141); // only the low byte names the key
    EXPECT_EQ(fenk_keytap_take(tapped, 0x1B), 1);
    EXPECT_EQ(fenk_keytap_take(tapped, 0x1B), 0);
    EXPECT_EQ(fenk_keytap_take(tapped, 0x41), 1);
    EXPECT_EQ(fenk_keytap_take(tapped, 0x42), 0);
}

TEST(WindowMessages, WheelStepsOncePerMessageAndDirectionIsReadOnce)
{
    fenk_rawinput_resetmouse();
    fenk_rawinput_wheel(120);
    fenk_rawinput_wheel(1);
    int z = 0, dir = 0;
    fenk_getmousewheel(&z, &dir);
    EXPECT_EQ(z, 2);
    EXPECT_EQ(dir, 1);
    fenk_getmousewheel(&z, &dir);
    EXPECT_EQ(dir, 0);
    fenk_rawinput_wheel(-32768);
    fenk_getmousewheel(&z, &dir);
    EXPECT_EQ(z, 1);
    EXPECT_EQ(dir, -1);
    fenk_rawinput_wheel(0);
    fenk_getmousewheel(&z, &dir);
    EXPECT_EQ(z, 1);
    EXPECT_EQ(dir, 0);
}

TEST(WindowMessages, ButtonsKeepTheirBits)
{
    fenk_rawinput_resetmouse();
    fenk_rawinput_button(FENK_MOUSE_LEFT, 1);
    fenk_rawinput_button(FENK_MOUSE_MIDDLE, 1);
    fenk_rawinput_button(FENK_MOUSE_RIGHT, 0);
    EXPECT_EQ(fenk_mouse_buttons, 0x5);
    fenk_rawinput_button(FENK_MOUSE_LEFT, 0);
    EXPECT_EQ(fenk_mouse_buttons, 0x4);
}

TEST(Joystick, AxesCentreAtZero)
{
    EXPECT_EQ(fenk_joystickaxis(0), -128);
    EXPECT_EQ(fenk_joystickaxis(32767), 0);
    EXPECT_EQ(fenk_joystickaxis(32768), 0);
    EXPECT_EQ(fenk_joystickaxis(65535), 128);
    EXPECT_EQ(fenk_joystickaxis(32766), -1);
}

TEST(Joystick, HatSetsDirectionBitsWithDiagonals)
{
    const int L = FENK_JOYSTICK_LAYOUTOTHER;
    EXPECT_EQ(fenk_joystickbits(L, FENK_JOYSTICK_POV_CENTERED, 0), 0);
    EXPECT_EQ(fenk_joystickbits(L, 0, 0), 0x0001);
    EXPECT_EQ(fenk_joystickbits(L, 4500, 0), 0x0001 | 0x0008);
    EXPECT_EQ(fenk_joystickbits(L, 9000, 0), 0x0008);
    EXPECT_EQ(fenk_joystickbits(L, 13500, 0), 0x0008 | 0x0002);
    EXPECT_EQ(fenk_joystickbits(L, 18000, 0), 0x0002);
    EXPECT_EQ(fenk_joystickbits(L, 22500, 0), 0x0002 | 0x0004);
    EXPECT_EQ(fenk_joystickbits(L, 27000, 0), 0x0004);
    EXPECT_EQ(fenk_joystickbits(L, 31500, 0), 0x0004 | 0x0001);
    EXPECT_EQ(fenk_joystickbits(L, 36000, 0), 0x0001);
    EXPECT_EQ(fenk_joystickbits(L, 36100, 0), 0);
}

TEST(Joystick, ButtonLayoutsFollowTheButtonCount)
{
    EXPECT_EQ(fenk_joysticklayout(10), FENK_JOYSTICK_LAYOUT10);
    EXPECT_EQ(fenk_joysticklayout(14), FENK_JOYSTICK_LAYOUT14);
    EXPECT_EQ(fenk_joysticklayout(12), FENK_JOYSTICK_LAYOUTOTHER);
    const unsigned c = FENK_JOYSTICK_POV_CENTERED;
    EXPECT_EQ(fenk_joystickbits(FENK_JOYSTICK_LAYOUT10, c, 1u << 6), 0x2000);
    EXPECT_EQ(fenk_joystickbits(FENK_JOYSTICK_LAYOUT10, c, 3u << 8), 0x4000);
    EXPECT_EQ(fenk_joystickbits(FENK_JOYSTICK_LAYOUT10, c, 1u << 10), 0);
    EXPECT_EQ(fenk_joystickbits(FENK_JOYSTICK_LAYOUT14, c, 1u << 12), 0x8000);
    EXPECT_EQ(fenk_joystickbits(FENK_JOYSTICK_LAYOUT14, c, 1u << 13 | 1u << 0), 0x1000 | 0x0040);
    EXPECT_EQ(fenk_joystickbits(FENK_JOYSTICK_LAYOUTOTHER, c, 0xFFFFFFFFu), 0x7FF0);
    EXPECT_EQ(fenk_joystickbits(FENK_JOYSTICK_LAYOUTOTHER, c, 1u << 12), 0);
}

} // namespace
