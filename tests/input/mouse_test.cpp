// The program's mouse calls against the host's cursor, one suite run on each host
// that has one here: the stand-in the input unit tests link, and the headless host.
#include <gtest/gtest.h>

#include "input/coreinput.h"
#include "platform/platform.h"
#include "input/rawinput.h"

#ifdef FENK_MOUSE_TEST_HEADLESS
#include "hosts/driver_headless.h"

namespace {
void reset_host() { fenk_headless_mousemove(0, 0); }
void move_cursor(int x, int y) { fenk_headless_mousemove(x, y); }
int cursor_shown() { return fenk_headless_cursorcount(); }
} // namespace
#else
#include "stub_host.h"

namespace {
void reset_host() { stub_host_reset(); }
void move_cursor(int x, int y)
{
    stub_host.cursor_x = x;
    stub_host.cursor_y = y;
}
int cursor_shown() { return stub_host.cursor_shown; }
} // namespace
#endif

namespace {

class Mouse : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_host();
        FENK_SetMouseMode(0);
        fenk_rawinput_resetmouse();
    }
    void TearDown() override
    {
        FENK_SetMouseMode(0);
        fenk_rawinput_resetmouse();
    }
};

TEST_F(Mouse, SetMouseMovesTheCursorInEveryMode)
{
    int x = -1, y = -1, buttons = -1;
    FENK_SetMouse(30, 40);
    FENK_GetMouse(&x, &y, &buttons);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_EQ(buttons, 0);
    EXPECT_EQ(fenk_mouse_x, 30);
    EXPECT_EQ(fenk_mouse_y, 40);

    // Later moves of the cursor itself are read as usual; the buttons are the window's.
    fenk_rawinput_button(FENK_MOUSE_LEFT, 1);
    move_cursor(5, 6);
    FENK_GetMouse(&x, &y, &buttons);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    EXPECT_EQ(buttons, FENK_MOUSE_LEFT);

    // A mode that reports no position still moves the cursor, and a mode that
    // reports one finds it there.
    FENK_SetMouseMode(2);
    FENK_SetMouse(7, 8);
    x = y = -1;
    FENK_GetMouse(&x, &y, &buttons);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    EXPECT_EQ(buttons, FENK_MOUSE_LEFT);
    EXPECT_EQ(fenk_mouse_x, 5);
    FENK_SetMouseMode(1);
    FENK_GetMouse(&x, &y, nullptr);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);

    // The mouse controller reads the moved cursor at its next poll.
    FENK_SetMouseMode(0);
    FENK_InitControllers();
    FENK_SetMouse(11, 12);
    FENK_PollControllers();
    int found = 0;
    for (int i = 0; i < FENK_numcontrollers; i++) {
        if (FENK_controller[i].type != FENK_CONTROLLER_MOUSE) continue;
        found++;
        EXPECT_EQ(FENK_controller[i].x, 11);
        EXPECT_EQ(FENK_controller[i].y, 12);
    }
    EXPECT_EQ(found, 1);
}

TEST_F(Mouse, ShowsAndHidesReachTheHostWhichCountsThem)
{
    const int start = cursor_shown();
    FENK_ShowMouse();
    EXPECT_EQ(cursor_shown(), start + 1);
    FENK_HideMouse();
    FENK_HideMouse();
    EXPECT_EQ(cursor_shown(), start - 1);
    FENK_ShowMouse();
    EXPECT_EQ(cursor_shown(), start);
}

} // namespace
