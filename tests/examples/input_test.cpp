// The input example on the headless host with scripted keys, mouse and wheel: each
// shows up in what it prints and in what it draws.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hosts/driver_headless.h"
#include "stdout_capture.h"

namespace {

struct Script {
    std::vector<unsigned char> after_key, after_mouse;
    int width = 0;
};

// A frame's input reaches the example's next frame: the key goes down after frame 2
// and shows in frame 3, the mouse after frame 6 and shows in frame 7.
void script(int width, int, const unsigned char *rgba, uint64_t frame, uint32_t, void *user)
{
    auto *run = static_cast<Script *>(user);
    const size_t bytes = static_cast<size_t>(width) * 360 * 4;
    run->width = width;
    switch (frame) {
    case 2: fenk_headless_key('A', 1); break;
    case 3: run->after_key.assign(rgba, rgba + bytes); break;
    case 4: fenk_headless_key('A', 0); break;
    case 5:
        fenk_headless_key(0x27, 1); // right arrow
        fenk_headless_key(' ', 1);
        break;
    case 6:
        fenk_headless_mousemove(360, 150);
        fenk_headless_mousebutton(0x1, 1);
        fenk_headless_mousewheel(120);
        fenk_headless_mousewheel(120);
        break;
    case 7: run->after_mouse.assign(rgba, rgba + bytes); break;
    case 8: fenk_headless_key(0x1B, 1); break;
    }
}

class InputExample : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fenk_headless_setframerate(60);
        fenk_headless_setframesink(script, &run);
        char name[] = "input";
        char *argv[] = {name, nullptr};
        lines = printed([&] { result = fenk_headless_run(1, argv); });
        fenk_headless_setframesink(nullptr, nullptr);
    }

    static unsigned pixel(const std::vector<unsigned char> &rgba, int x, int y)
    {
        const unsigned char *p = &rgba[(static_cast<size_t>(y) * run.width + x) * 4];
        return p[0] << 16 | p[1] << 8 | p[2];
    }

    static void expect_in_order(const std::vector<std::string> &expected)
    {
        size_t at = 0;
        for (const std::string &line : expected) {
            const size_t found = lines.find(line + "\n", at);
            EXPECT_NE(found, std::string::npos) << "\"" << line << "\" missing or out of order in:\n"
                                                << lines;
            if (found != std::string::npos) at = found;
        }
    }

    static inline Script run;
    static inline int result = -1;
    static inline std::string lines;
};

} // namespace

TEST_F(InputExample, ListsItsControllersAndEndsOnEscape)
{
    EXPECT_EQ(result, 0);
    // No joysticks on this host: the two key sets, the mouse, the key code, then ours.
    expect_in_order({"controller 0: keys", "controller 1: keys", "controller 2: mouse",
                     "controller 3: key code", "controller 4: keys (arrows, Space)"});
}

TEST_F(InputExample, KeysShowAsHeldKeysKeyCodesAndControllerBits)
{
    // 'A' is the left of the second key set (W, S, A, D). Right arrow and Space go down
    // together, Space last: both key sets with arrows move right, and Space is the first
    // button (0x0010) of the first set (as its engine code) and of the example's own.
    expect_in_order({"key 0x41 down", "last key code 0x41", "controller 1 buttons 0x0000 x -127 y 0",
                     "key 0x41 up", "controller 1 buttons 0x0000 x 0 y 0", "key 0x20 down", "key 0x27 down",
                     "last key code 0xF012", "controller 0 buttons 0x0010 x 127 y 0",
                     "controller 4 buttons 0x0010 x 127 y 0"});

    // Key 0x41's cell (row 4, column 1) lights up, its neighbours do not.
    ASSERT_FALSE(run.after_key.empty());
    EXPECT_EQ(pixel(run.after_key, 27, 63), 0xFFFF00u);
    EXPECT_EQ(pixel(run.after_key, 15, 63), 0x333333u);
    EXPECT_EQ(pixel(run.after_key, 39, 63), 0x333333u);
}

TEST_F(InputExample, MouseShowsItsPositionButtonsAndWheel)
{
    expect_in_order({"mouse 360, 150 buttons 1", "mouse button 1 pressed", "wheel 2",
                     "controller 2 buttons 0x0001 x 360 y 150"});
    ASSERT_FALSE(run.after_mouse.empty());
    // The cross at the cursor, the first button's box lit, the others not.
    EXPECT_EQ(pixel(run.after_mouse, 360, 150), 0xFFFFFFu);
    EXPECT_EQ(pixel(run.after_mouse, 368, 150), 0xFFFFFFu);
    EXPECT_EQ(pixel(run.after_mouse, 369, 150), 0x101010u);
    EXPECT_EQ(pixel(run.after_mouse, 360, 142), 0xFFFFFFu);
    EXPECT_EQ(pixel(run.after_mouse, 361, 142), 0x101010u);
    EXPECT_EQ(pixel(run.after_mouse, 230, 25), 0xFF3333u);
    EXPECT_EQ(pixel(run.after_mouse, 252, 25), 0x333333u);
    // Two steps up: the wheel bar runs 16 pixels right of its middle mark.
    EXPECT_NE(pixel(run.after_mouse, 315, 55), 0x101010u);
    EXPECT_EQ(pixel(run.after_mouse, 318, 55), 0x101010u);
}
