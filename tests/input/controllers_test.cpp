#include <climits>
#include <string>

#include "input_fixture.h"
#include "stdout_capture.h"

namespace {

enum {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_ALT = 0x12,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_F1 = 0x70,
    VK_F12 = 0x7B,
};

// The platform key behind each slot of the two default tables, and the bit of each slot.
const int first_vks[16] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_SPACE,  VK_CONTROL, VK_SHIFT,  'Z',
                           'X',   'C',     'V',     'B',      VK_RETURN, VK_BACK,    VK_ESCAPE, VK_ESCAPE};
const int second_vks[16] = {'W', 'S', 'A', 'D', 'U',       'I',     'O',       'P',
                            'K', 'L', 'H', 'J', VK_RETURN, VK_BACK, VK_ESCAPE, VK_ESCAPE};
const int slot_bit[16] = {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080,
                          0x0100, 0x0400, 0x0200, 0x0800, 0x1000, 0x2000, 0x8000, 0x8000};

std::string init_output()
{
    StdoutCapture capture;
    FENK_InitControllers();
    return capture.finish();
}

int keys_of(int n, int *pressed = nullptr, int *x = nullptr, int *y = nullptr)
{
    int buttons = -1, p = -1;
    FENK_GetControllerKeys(n, &buttons, &p);
    if (pressed) *pressed = p;
    if (x) *x = FENK_controller[n].x;
    if (y) *y = FENK_controller[n].y;
    return buttons;
}

using InputInitControllers = Input;

TEST_F(InputInitControllers, WithoutJoysticksTwoKeySetsMouseAndKeyCode)
{
    EXPECT_EQ(init_output(), "");
    ASSERT_EQ(FENK_numcontrollers, 4);
    const int types[4] = {FENK_CONTROLLER_KEYS, FENK_CONTROLLER_KEYS, FENK_CONTROLLER_MOUSE,
                          FENK_CONTROLLER_KEYCODE};
    for (int n = 0; n < 4; n++) {
        EXPECT_EQ(FENK_controller[n].type, types[n]) << n;
        EXPECT_EQ(FENK_controller[n].active, 1) << n;
    }
    const int first[16] = {0xF001, 0xF002, 0xF003, 0xF004, 0xF012, 0xF013, 0xF011, 'Z',
                           'X',    'C',    'V',    'B',    0xF010, 0xF020, 0xF000, 0xF000};
    const int second[16] = {'W', 'S', 'A', 'D', 'U',    'I',    'O',    'P',
                            'K', 'L', 'H', 'J', 0xF010, 0xF020, 0xF000, 0xF000};
    for (int slot = 0; slot < 16; slot++) {
        EXPECT_EQ(FENK_controllerkeys[0][slot], first[slot]) << slot;
        EXPECT_EQ(FENK_controllerkeys[1][slot], second[slot]) << slot;
    }
}

TEST_F(InputInitControllers, JoysticksComeFirstInDeviceOrder)
{
    stub_joystick(0, 10);
    stub_joystick(2, 14);
    stub_joystick(4, 10); // only the first four are looked for
    EXPECT_EQ(init_output(), "joystick 0 found\njoystick 2 found\n");
    ASSERT_EQ(FENK_numcontrollers, 6);
    EXPECT_EQ(FENK_controller[0].type, FENK_CONTROLLER_JOYSTICK);
    EXPECT_EQ(FENK_controller[0].device, 0);
    EXPECT_EQ(FENK_controller[1].type, FENK_CONTROLLER_JOYSTICK);
    EXPECT_EQ(FENK_controller[1].device, 2);
    EXPECT_EQ(FENK_controller[2].type, FENK_CONTROLLER_KEYS);
    EXPECT_EQ(FENK_controller[3].type, FENK_CONTROLLER_KEYS);
    EXPECT_EQ(FENK_controller[4].type, FENK_CONTROLLER_MOUSE);
    EXPECT_EQ(FENK_controller[5].type, FENK_CONTROLLER_KEYCODE);
    EXPECT_EQ(FENK_controllerkeys[2][0], 0xF001);
    EXPECT_EQ(FENK_controllerkeys[3][0], 'W');

    for (int id = 0; id < 4; id++) stub_joystick(id, 10);
    init_output();
    EXPECT_EQ(FENK_numcontrollers, 8);
    EXPECT_EQ(FENK_controller[7].type, FENK_CONTROLLER_KEYCODE);
}

TEST_F(InputInitControllers, SecondCallStartsOver)
{
    FENK_InitControllers();
    int keys[16] = {'Q'};
    ASSERT_EQ(FENK_AddKeyController(keys), 4);
    FENK_InitControllers();
    EXPECT_EQ(FENK_numcontrollers, 4);
    EXPECT_EQ(FENK_controller[4].type, 0);
    EXPECT_EQ(FENK_controllerkeys[4][0], 0);
}

using InputKeySet = Input;

TEST_F(InputKeySet, EveryDefaultSlotSetsItsBitAndAxis)
{
    FENK_InitControllers();
    for (int set = 0; set < 2; set++) {
        const int *vks = set ? second_vks : first_vks;
        for (int slot = 0; slot < 16; slot++) {
            hold(vks[slot]);
            int x = 99, y = 99;
            EXPECT_EQ(keys_of(set, nullptr, &x, &y), slot_bit[slot]) << set << " " << slot;
            EXPECT_EQ(x, slot == 2 ? -127 : slot == 3 ? 127 : 0) << set << " " << slot;
            EXPECT_EQ(y, slot == 0 ? -127 : slot == 1 ? 127 : 0) << set << " " << slot;
            hold(vks[slot], false);
        }
    }
    // Every key at once: no slot gives 0x4000, opposite directions keep both bits, and
    // the later slot wins the axis.
    for (int slot = 0; slot < 16; slot++) hold(first_vks[slot]);
    int x = 0, y = 0;
    EXPECT_EQ(keys_of(0, nullptr, &x, &y), 0xBFFF);
    EXPECT_EQ(x, 127);
    EXPECT_EQ(y, 127);
}

TEST_F(InputKeySet, PressedHoldsOnlyBitsNewSinceTheLastRead)
{
    FENK_InitControllers();
    int pressed = -1;
    hold('Z');
    EXPECT_EQ(keys_of(0, &pressed), 0x0080);
    EXPECT_EQ(pressed, 0x0080);
    hold(VK_SPACE);
    EXPECT_EQ(keys_of(0, &pressed), 0x0090);
    EXPECT_EQ(pressed, 0x0010);
    hold('Z', false);
    keys_of(0, &pressed);
    EXPECT_EQ(pressed, 0);
    hold('Z');
    keys_of(0, &pressed);
    EXPECT_EQ(pressed, 0x0080);
    // Null outputs still move the edge on.
    hold('X');
    FENK_GetControllerKeys(0, nullptr, nullptr);
    keys_of(0, &pressed);
    EXPECT_EQ(pressed, 0);
}

TEST_F(InputKeySet, OtherKindsAndNumbersOutsideTheTableAreLeftAlone)
{
    FENK_InitControllers();
    hold('Z');
    s_controller mouse = FENK_controller[2];
    for (int n : {2, 3, 4, 7, -1, 8, 1000, INT_MIN}) {
        int buttons = -7, pressed = -7;
        FENK_GetControllerKeys(n, &buttons, &pressed);
        EXPECT_EQ(buttons, -7) << n;
        EXPECT_EQ(pressed, -7) << n;
    }
    EXPECT_EQ(memcmp(&mouse, &FENK_controller[2], sizeof mouse), 0);
}

using InputKeyTable = Input;

TEST_F(InputKeyTable, EngineCodesStandForThePlatformKeyTheyComeFrom)
{
    int keys[16] = {0xF028, 0xF030, 0xF03B, 0xF014, 0xF027, 0xF025, VK_ESCAPE, 0xF000};
    ASSERT_EQ(FENK_AddKeyController(keys), 0);
    const int vks[8] = {VK_TAB, VK_F1, VK_F12, VK_ALT, 0x14, 0x24, VK_ESCAPE, VK_ESCAPE};
    for (int slot = 0; slot < 8; slot++) {
        hold(vks[slot]);
        int expect = slot_bit[slot];
        if (vks[slot] == VK_ESCAPE) expect = slot_bit[6] | slot_bit[7];
        EXPECT_EQ(keys_of(0), expect) << slot;
        hold(vks[slot], false);
    }
}

TEST_F(InputKeyTable, EngineCodesAreNotReadByTheirLowByte)
{
    FENK_InitControllers();
    // 0xF000..0xF020 would alias the key states 0x00..0x20 if cut to 8 bits.
    for (int vk = 0; vk <= 0x20; vk++) hold(vk);
    for (int vk : first_vks) hold(vk, false);
    EXPECT_EQ(keys_of(0), 0);
}

TEST_F(InputKeyTable, EntriesNamingNoKeyAreNeverHeld)
{
    // Codes past the key states, below the engine codes, unknown engine codes, negatives.
    int keys[16] = {256,        0x1FF, 0x1000, 0xEFFF,  0xF005, 0xF0FF,     0xF03C, 0x10000,
                    0x7FFFFFFF, -1,    -256,   INT_MIN, 0xFFFF, 0x12345678, 0,      0};
    ASSERT_EQ(FENK_AddKeyController(keys), 0);
    for (int vk = 1; vk < FENK_NUMKEYS; vk++) hold(vk);
    // Only the two slots holding 0 name a key state, key 0, which is not held.
    EXPECT_EQ(keys_of(0), 0);
    hold(0);
    EXPECT_EQ(keys_of(0), 0x8000); // slot 14 is not read, slot 15 is
}

TEST_F(InputKeyTable, AppendCopiesTheTableUntilTheTableIsFull)
{
    FENK_InitControllers();
    int keys[16] = {'Q', 'E'};
    ASSERT_EQ(FENK_AddKeyController(keys), 4);
    keys[0] = 'R'; // the caller's array is not kept
    EXPECT_EQ(FENK_numcontrollers, 5);
    EXPECT_EQ(FENK_controller[4].type, FENK_CONTROLLER_KEYS);
    EXPECT_EQ(FENK_controller[4].active, 1);
    EXPECT_EQ(FENK_controllerkeys[4][0], 'Q');
    hold('Q');
    EXPECT_EQ(keys_of(4), 0x0001);
    EXPECT_EQ(combined() & 0x0001, 0x0001);

    EXPECT_EQ(FENK_AddKeyController(keys), 5);
    EXPECT_EQ(FENK_AddKeyController(keys), 6);
    EXPECT_EQ(FENK_AddKeyController(keys), 7);
    s_controller last = FENK_controller[7];
    StdoutCapture capture;
    EXPECT_EQ(FENK_AddKeyController(keys), -1);
    EXPECT_NE(capture.finish(), "");
    EXPECT_EQ(FENK_numcontrollers, 8);
    EXPECT_EQ(memcmp(&last, &FENK_controller[7], sizeof last), 0);
    EXPECT_EQ(FENK_AddKeyController(nullptr), -1);
}

TEST_F(InputKeyTable, ReplaceChangesOnlyThatTable)
{
    FENK_InitControllers();
    int keys[16] = {'W'};
    EXPECT_EQ(FENK_SetKeyController(0, keys), 0);
    hold(0x26);
    EXPECT_EQ(keys_of(0), 0);
    hold('W');
    EXPECT_EQ(keys_of(0), 0x0001);
    EXPECT_EQ(FENK_controller[0].type, FENK_CONTROLLER_KEYS);

    int before[8][16];
    memcpy(before, FENK_controllerkeys, sizeof before);
    EXPECT_EQ(FENK_SetKeyController(-1, keys), -1);
    EXPECT_EQ(FENK_SetKeyController(8, keys), -1);
    EXPECT_EQ(FENK_SetKeyController(1, nullptr), -1);
    EXPECT_EQ(memcmp(before, FENK_controllerkeys, sizeof before), 0);
}

using InputPoll = Input;

TEST_F(InputPoll, KeySetKeepsDirectionsInItsAxesAndRemembersReleasedButtons)
{
    FENK_InitControllers();
    hold(VK_LEFT);
    hold(VK_UP);
    hold(VK_SPACE);
    hold('Z');
    FENK_PollControllers();
    const s_controller &c = FENK_controller[0];
    EXPECT_EQ(c.buttons, 0x0090);
    EXPECT_EQ(c.oldbuttons, 0);
    EXPECT_EQ(c.x, -127);
    EXPECT_EQ(c.y, -127);
    hold('Z', false);
    hold(VK_LEFT, false);
    FENK_PollControllers();
    EXPECT_EQ(c.buttons, 0x0010);
    EXPECT_EQ(c.oldbuttons, 0x0080);
    EXPECT_EQ(c.x, 0);
    FENK_PollControllers();
    EXPECT_EQ(c.oldbuttons, 0);
}

TEST_F(InputPoll, JoystickLayoutsReachTheControllerBits)
{
    stub_joystick(0, 10);
    stub_joystick(1, 14);
    stub_joystick(2, 6);
    FENK_InitControllers();
    StubJoystick *j = stub_host.joysticks;
    struct Case {
        int joystick;
        unsigned int buttons;
        int bits;
    } cases[] = {
        {0, 1u << 6, 0x2000},  {0, 1u << 10, 0},  {1, 1u << 6, 0x0200},
        {1, 1u << 12, 0x8000}, {2, 0x3u, 0x00A0}, {2, 1u << 12, 0},
    };
    for (const Case &t : cases) {
        j[t.joystick].buttons = t.buttons;
        FENK_PollControllers();
        EXPECT_EQ(FENK_controller[t.joystick].buttons, t.bits) << t.joystick << " " << t.buttons;
        j[t.joystick].buttons = 0;
    }
    // The bits released since the previous poll are kept beside the new ones.
    j[2].buttons = 0x3u;
    FENK_PollControllers();
    j[2].buttons = 0x2u;
    FENK_PollControllers();
    EXPECT_EQ(FENK_controller[2].oldbuttons, 0x0080);
    // The hat gives directions, the axes come through whole.
    j[0].pov = 4500;
    j[0].x = 0;
    j[0].y = 65535;
    j[0].z = 32768;
    j[0].r = 16383;
    FENK_PollControllers();
    const s_controller &c = FENK_controller[0];
    EXPECT_EQ(c.buttons, 0x0009);
    EXPECT_EQ(c.x, -128);
    EXPECT_EQ(c.y, 128);
    EXPECT_EQ(c.z, 0);
    EXPECT_EQ(c.r, -64);
}

TEST_F(InputPoll, SilentJoystickIsDroppedForGood)
{
    stub_joystick(0, 10);
    FENK_InitControllers();
    StubJoystick &j = stub_host.joysticks[0];
    j.buttons = 0x1;
    j.x = 0;
    EXPECT_EQ(combined(), 0x0014);
    j.answers = 0;
    StdoutCapture capture;
    EXPECT_EQ(combined(), 0);
    EXPECT_EQ(capture.finish(), "");
    EXPECT_EQ(FENK_controller[0].active, 0);
    int polls = j.polls;
    j.answers = 1;
    EXPECT_EQ(combined(), 0);
    EXPECT_EQ(j.polls, polls);
}

TEST_F(InputPoll, KeyCodeSourceLeavesTheProgramsKeyCodeChangeAlone)
{
    FENK_InitControllers();
    fenk_rawinput_keydown(VK_ESCAPE);
    FENK_PollControllers();
    EXPECT_EQ(FENK_controller[3].buttons, 0xF000);
    int code = 0, changed = 0;
    FENK_GetKeycode(&code, &changed);
    EXPECT_EQ(code, 0xF000);
    EXPECT_EQ(changed, 1);
    fenk_rawinput_keyup(VK_ESCAPE);
    FENK_PollControllers();
    EXPECT_EQ(FENK_controller[3].buttons, 0);
    EXPECT_EQ(FENK_controller[3].oldbuttons, 0xF000);
}

TEST_F(InputPoll, MouseGivesPositionAndButtons)
{
    FENK_InitControllers();
    stub_host.cursor_x = 640;
    stub_host.cursor_y = 360;
    fenk_rawinput_button(FENK_MOUSE_LEFT | FENK_MOUSE_MIDDLE, 1);
    FENK_PollControllers();
    const s_controller &m = FENK_controller[2];
    EXPECT_EQ(m.x, 640);
    EXPECT_EQ(m.y, 360);
    EXPECT_EQ(m.buttons, 0x5);
    fenk_rawinput_button(FENK_MOUSE_LEFT, 0);
    // A mouse mode without coordinates keeps the last position.
    FENK_SetMouseMode(2);
    stub_host.cursor_x = 1;
    FENK_PollControllers();
    EXPECT_EQ(m.x, 640);
    EXPECT_EQ(m.y, 360);
    EXPECT_EQ(m.buttons, 0x4);
    EXPECT_EQ(m.oldbuttons, 0x1);
}

using InputCombine = Input;

TEST_F(InputCombine, AxesCountOnlyBeyondTheDeadZone)
{
    stub_joystick(0, 10);
    FENK_InitControllers();
    StubJoystick &j = stub_host.joysticks[0];
    // Raw values giving axes of exactly -64, -65, 64 and 65.
    const unsigned int minus64 = 32767 - 64 * 256, minus65 = 32767 - 65 * 256;
    const unsigned int plus64 = 32767 + 64 * 256, plus65 = 32767 + 65 * 256;
    j.x = minus64;
    EXPECT_EQ(combined(), 0);
    EXPECT_EQ(FENK_controller[0].x, -64);
    j.x = minus65;
    EXPECT_EQ(combined(), 0x0004);
    j.x = plus64;
    EXPECT_EQ(combined(), 0);
    j.x = plus65;
    EXPECT_EQ(combined(), 0x0008);
    j.x = 32767;
    j.y = minus65;
    EXPECT_EQ(combined(), 0x0001);
    j.y = plus65;
    EXPECT_EQ(combined(), 0x0002);
    j.y = plus64;
    EXPECT_EQ(combined(), 0);
}

TEST_F(InputCombine, MergesKeySetsAndJoysticksButNotMouseOrKeyCode)
{
    stub_joystick(1, 10);
    FENK_InitControllers();
    hold(VK_UP);
    hold('D');
    hold('J');
    stub_host.joysticks[1].buttons = 1u << 6;
    fenk_rawinput_button(FENK_MOUSE_RIGHT, 1);
    fenk_rawinput_keydown('Q');
    EXPECT_EQ(combined(), 0x0001 | 0x0008 | 0x0800 | 0x2000);
    EXPECT_EQ(FENK_controller[2].buttons, 0x0800);
}

TEST_F(InputCombine, PressedIsNewSinceTheLastCombination)
{
    FENK_InitControllers();
    int pressed = -1;
    hold(VK_RIGHT);
    EXPECT_EQ(combined(&pressed), 0x0008);
    EXPECT_EQ(pressed, 0x0008);
    hold(VK_SPACE);
    EXPECT_EQ(combined(&pressed), 0x0018);
    EXPECT_EQ(pressed, 0x0010);
    EXPECT_EQ(combined(&pressed), 0x0018);
    EXPECT_EQ(pressed, 0);
    hold(VK_RIGHT, false);
    EXPECT_EQ(combined(&pressed), 0x0010);
    EXPECT_EQ(pressed, 0);
    hold(VK_RIGHT);
    FENK_GetAllControllers(nullptr, nullptr);
    EXPECT_EQ(combined(&pressed), 0x0018);
    EXPECT_EQ(pressed, 0);
}

} // namespace
