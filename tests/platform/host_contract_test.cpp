// The host contract as the show meets it, one suite for every backend: the window and
// its GL context, keys and key codes, the mouse and its wheel, closing, the music
// clock and the exit code. Each backend's program links this file with its own
// host_inject_<backend>.cpp, which puts the events in front of the host.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "child_process.h"
#include "graphics2d/corebitmap.h"
#include "host_inject.h"
#include "input/coreinput.h"
#include "platform/platform.h"
#include "scratch.h"
#include "stdout_capture.h"
#include "video/fenk.h"

extern "C" int FENK_shaders_enabled;

Child run_child(const std::vector<std::string> &arguments,
                const std::function<void(const std::string &)> &watch)
{
    Child child;
    std::vector<std::string> command = {child_program()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ScratchFolder scratch(current_test_tag());
    const std::filesystem::path log = scratch / "output";
    ChildProcess process;
    const auto start = std::chrono::steady_clock::now();
    if (process.start(command, log, false)) {
        // A child that hangs fails the test instead of stopping it: after 20 s it is
        // killed and reported with code -1.
        bool ended = false;
        while (!ended && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
            ended = process.wait(0.01);
            if (!ended && watch) watch(slurp(log));
        }
        if (!ended) process.stop();
        child.code = ended ? child_exitcode(process.status()) : -1;
    }
    child.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    child.output = slurp(log).substr(0, 4096);
    // A Windows child's C library writes text mode: line ends come as CR LF.
    child.output.erase(std::remove(child.output.begin(), child.output.end(), '\r'), child.output.end());
    return child;
}

namespace {

class HostContract : public testing::Test {
protected:
    void SetUp() override
    {
        host_setup();
        fenk_getkeys(nullptr, nullptr);
    }
    void TearDown() override { host_teardown(); }

    void tap(int vk)
    {
        inject_key(vk, true);
        inject_key(vk, false);
    }
};

TEST_F(HostContract, WindowOpensAtTheClientSizeWithAGlContext)
{
    StdoutCapture capture;
    fenk_initwindow(640, 360, 0);
    EXPECT_EQ(capture.finish(), "[FENK] Init Glew\n\nReady for GLSL\n");
    EXPECT_EQ(FENK_shaders_enabled, 1);
    EXPECT_EQ(fenk_mouse_windowhide, 0);

    FENK_SetTitle("FENK host test");
    EXPECT_EQ(window_title(), "FENK host test");
    EXPECT_TRUE(window_visible());
    int width = 0, height = 0;
    window_size(&width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 360);

    // The context is current on this thread, with the shader and frame buffer entry
    // points loaded.
    ASSERT_NE(glGetString(GL_VERSION), nullptr);
    EXPECT_NE((void *)glCreateShader, nullptr);
    EXPECT_NE((void *)glGenFramebuffersEXT, nullptr);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 360);
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(320, 180, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[2], 255);
    fenk_swapbuffers();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    // Frames paced by the host's clock: ten waits and swaps take ten periods, and the
    // clock never runs back.
    FENK_video_time = FENK_GetMillis();
    const unsigned start = FENK_video_time;
    unsigned last = start;
    for (int frame = 0; frame < 10; frame++) {
        FENK_WaitRefresh();
        fenk_swapbuffers();
        const unsigned now = FENK_GetMillis();
        EXPECT_LT(now - last, 0x80000000u) << "frame " << frame;
        last = now;
    }
    EXPECT_GE(last - start, 10u * FENK_video_updatespeed);
}

TEST_F(HostContract, KeyMessagesWriteTheTableAndTheKeyCode)
{
    inject_key('A', true);
    EXPECT_EQ(FENK_keys[0x41], 1);
    EXPECT_EQ(fenk_keycode, 0x41);
    EXPECT_EQ(fenk_getkeycode(), 0x41);
    inject_key(0x1B, true);
    EXPECT_EQ(fenk_getkeycode(), 0xF000);
    inject_key(0x26, true);
    EXPECT_EQ(fenk_getkeycode(), 0xF001);

    // Releasing a key other than the last one pressed keeps the key code.
    inject_key('A', false);
    EXPECT_EQ(FENK_keys[0x41], 0);
    EXPECT_EQ(fenk_keycode, 0x26);
    inject_key(0x1B, false);
    EXPECT_EQ(fenk_keycode, 0x26);
    fenk_input_prevkeycode = 0xF001;
    inject_key(0x26, false);
    EXPECT_EQ(fenk_keycode, 0);
    EXPECT_EQ(fenk_input_prevkeycode, 0);
    EXPECT_EQ(fenk_getkeycode(), 0);
}

// The poll reads the keys held now; a key that went down since the last poll reads
// held for that poll only.
TEST_F(HostContract, GetKeysReadsTheHeldKeysAndATapOnce)
{
    tap(0x1B);
    tap(0x12);
    tap('C');
    inject_key('Z', true);
    FENK_joykey = 0xFFFF;
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x1B], 0x8000);
    EXPECT_EQ(FENK_keys[0x12], 0x8000);
    EXPECT_EQ(FENK_keys['C'], 0x8000);
    EXPECT_EQ(FENK_keys['Z'], 0x8000);
    if (host_traits.sides) {
        EXPECT_EQ(FENK_keys[0xA4], 0x8000);
    }
    EXPECT_EQ(FENK_joykey, 0x8000 | 0x0080 | 0x0100);

    const int held = host_traits.holds_keys ? 0x8000 : 0;
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x1B], 0);
    EXPECT_EQ(FENK_keys[0x12], 0);
    EXPECT_EQ(FENK_keys['C'], 0);
    EXPECT_EQ(FENK_keys['Z'], held);
    EXPECT_EQ(FENK_joykey, held ? 0x0100 : 0);
    inject_key('Z', false);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_joykey, 0);

    if (!host_traits.holds_keys) return;
    inject_key(0x1B, true);
    inject_key(0xA2, true); // left Ctrl: held on its own code and on Ctrl's
    inject_key('1', true);
    FENK_keys[0x41] = 1; // left by a message whose release was never seen
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x1B], 0x8000);
    EXPECT_EQ(FENK_keys[0x11], 0x8000);
    EXPECT_EQ(FENK_keys[0xA2], 0x8000);
    EXPECT_EQ(FENK_keys[0x41], 0);
    EXPECT_EQ(FENK_joykey, 0x8000 | 0x0020 | 0x1000);
    EXPECT_EQ(fenk_getkeycode(), 0x31);
    for (int vk : {0x1B, 0xA2, 0x31}) inject_key(vk, false);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_joykey, 0);
    EXPECT_EQ(FENK_keys[0x1B], 0);
}

TEST_F(HostContract, MousePositionButtonsAndWheel)
{
    fenk_initwindow(320, 200, 0);
    int originx = 0, originy = 0;
    host_traits.origin(&originx, &originy);
    inject_motion(100, 50);
    int x = -1, y = -1, buttons = -1;
    fenk_input_mouse_mode = 0;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(buttons, 0);
    fenk_input_mouse_mode = 1;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, originx + 100);
    EXPECT_EQ(y, originy + 50);
    EXPECT_EQ(fenk_mouse_x, x);
    // An unknown mode leaves the position alone.
    fenk_input_mouse_mode = 2;
    inject_motion(5, 6);
    x = y = -7;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, -7);
    EXPECT_EQ(fenk_mouse_x, originx + 100);
    fenk_input_mouse_mode = 0;

    fenk_setmouse(30, 40);
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);

    inject_button(1, true);
    inject_button(2, true);
    inject_button(3, true);
    inject_button(1, false);
    inject_button(4, true); // no bit of its own
    inject_motion(10, 10);  // moving keeps the buttons
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(buttons, 0x6);
    EXPECT_EQ(fenk_mouse_buttons, 0x6);
    inject_button(2, false);
    inject_button(3, false);
    inject_button(4, false);
    EXPECT_EQ(fenk_mouse_buttons, 0);

    // One step per wheel message, whatever its size.
    int z = 0, direction = 0;
    fenk_getmousewheel(&z, &direction);
    const int start = z;
    inject_wheel(1);
    inject_wheel(3);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start + 2);
    EXPECT_EQ(direction, 1);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(direction, 0);
    inject_wheel(-2);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start + 1);
    EXPECT_EQ(direction, -1);
}

// Edges between two polls of FENK_GetKeys, for any key and each mouse button: a tap
// (down and up in between) is pressed at one poll and released at the next.
TEST_F(HostContract, KeysAndButtonsHaveEdgesBetweenPollsTapsIncluded)
{
    const int all = FENK_MOUSE_LEFT | FENK_MOUSE_RIGHT | FENK_MOUSE_MIDDLE;
    FENK_GetKeys(nullptr, nullptr);
    FENK_GetKeys(nullptr, nullptr);
    EXPECT_FALSE(FENK_KeyPressed('P'));
    EXPECT_EQ(FENK_MousePressed(all) | FENK_MouseReleased(all), 0);
    tap('P');
    inject_button(1, true); // a click
    inject_button(1, false);
    inject_button(2, true); // held
    FENK_GetKeys(nullptr, nullptr);
    EXPECT_TRUE(FENK_KeyPressed('P'));
    EXPECT_FALSE(FENK_KeyReleased('P'));
    EXPECT_FALSE(FENK_KeyPressed('Q'));
    EXPECT_EQ(FENK_MousePressed(all), FENK_MOUSE_LEFT | FENK_MOUSE_RIGHT);
    EXPECT_EQ(FENK_MousePressed(FENK_MOUSE_RIGHT), FENK_MOUSE_RIGHT);
    EXPECT_EQ(FENK_MouseReleased(all), 0);
    // Asking again changes nothing until the next poll.
    EXPECT_TRUE(FENK_KeyPressed('P'));
    FENK_GetKeys(nullptr, nullptr);
    EXPECT_FALSE(FENK_KeyPressed('P'));
    EXPECT_TRUE(FENK_KeyReleased('P'));
    EXPECT_EQ(FENK_MousePressed(all), 0);
    EXPECT_EQ(FENK_MouseReleased(all), FENK_MOUSE_LEFT);
    inject_button(2, false);
    FENK_GetKeys(nullptr, nullptr);
    EXPECT_EQ(FENK_MouseReleased(all), FENK_MOUSE_RIGHT);
    EXPECT_FALSE(FENK_KeyReleased('P'));
    EXPECT_FALSE(FENK_KeyPressed(-1));
    EXPECT_FALSE(FENK_KeyReleased(256));

    if (!host_traits.holds_keys) return;
    // A key held over several polls is pressed at the first and released after the last.
    inject_key('Q', true);
    FENK_GetKeys(nullptr, nullptr);
    EXPECT_TRUE(FENK_KeyPressed('Q'));
    FENK_GetKeys(nullptr, nullptr);
    EXPECT_FALSE(FENK_KeyPressed('Q'));
    EXPECT_FALSE(FENK_KeyReleased('Q'));
    // Let go and struck again between two polls: both edges, and held still.
    inject_key('Q', false);
    inject_key('Q', true);
    FENK_GetKeys(nullptr, nullptr);
    EXPECT_TRUE(FENK_KeyPressed('Q'));
    EXPECT_TRUE(FENK_KeyReleased('Q'));
    EXPECT_EQ(FENK_keys['Q'], 0x8000);
    inject_key('Q', false);
    FENK_GetKeys(nullptr, nullptr);
    EXPECT_TRUE(FENK_KeyReleased('Q'));
    EXPECT_FALSE(FENK_KeyPressed('Q'));
}

// The pointer over the canvas: the window's pixels scaled to the frame buffer the
// window shows stretched, whatever the mouse mode.
TEST_F(HostContract, TheCanvasMouseIsTheWindowPositionInCanvasPixels)
{
    FENK_InitVideo(640, 360, 0);
    const int canvas = FENK_CreateFrameBuffer(320, 180, 0);
    FENK_SetFrameBuffer(canvas);
    inject_motion(101, 50);
    float x = -1, y = -1;
    FENK_GetCanvasMouse(&x, &y);
    EXPECT_EQ(x, 50.5f);
    EXPECT_EQ(y, 25.0f);
    FENK_SetMouseMode(1);
    FENK_GetCanvasMouse(&x, &y);
    EXPECT_EQ(x, 50.5f);
    FENK_SetMouseMode(0);
    FENK_SetFrameBuffer(0);
    FENK_GetCanvasMouse(&x, &y);
    EXPECT_EQ(x, 101.0f);
    EXPECT_EQ(y, 50.0f);
}

// The screenshot is the frame as drawn, top row first, read back from the PNG file.
TEST_F(HostContract, AScreenshotIsThePictureDrawnSoFarAsPNG)
{
    FENK_InitVideo(64, 48, 0);
    FENK_ClearFrameBuffer(0xFF0000FF); // red
    FENK_DrawRect(0, 0, 16, 8, 0, 1, 0, 1);
    FENK_DrawRect(48, 40, 16, 8, 0, 0, 1, 1);
    const ScratchFolder scratch(current_test_tag());
    const std::string path = (scratch / "shot.png").string();
    ASSERT_EQ(FENK_SaveScreenshot(path.c_str()), 1);
    const std::string png = slurp(path);
    s_bitmap shot = {};
    ASSERT_EQ(FENK_DecodePNG("shot.png", (const unsigned char *)png.data(), (int)png.size(), &shot), 1);
    ASSERT_EQ(shot.width, 64);
    ASSERT_EQ(shot.height, 48);
    EXPECT_EQ(FENK_GetPixel(0, 0, shot), (int)0xFF00FF00);
    EXPECT_EQ(FENK_GetPixel(63, 47, shot), (int)0xFF0000FF);
    EXPECT_EQ(FENK_GetPixel(32, 24, shot), (int)0xFFFF0000);
    FENK_DeleteBitmap(&shot);
}

// The child's show opens its window and returns 3: the process ends with what the
// show returned (a show that failed must not exit as a success), and the arguments
// reach it as given, one with a space in it.
TEST_F(HostContract, TheShowsResultIsTheExitCodeAndArgumentsPassThrough)
{
    const Child child = run_child({"return", "two words"});
    EXPECT_EQ(child.code, 3) << child.output;
    EXPECT_NE(child.output.find("argc 3 return|two words\n"), std::string::npos) << child.output;
    // Both reach the window from the show thread.
    EXPECT_NE(child.output.find("title child title\n"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("visible 1\n"), std::string::npos) << child.output;
}

TEST_F(HostContract, ClosingTheWindowEndsTheProgramAtOnce)
{
    if (host_traits.closes.empty()) GTEST_SKIP() << "this host has no window to close";
    for (const char *how : host_traits.closes) {
        const Child child = run_child({"close", how});
        EXPECT_EQ(child.code, 0) << how << "\n" << child.output;
        EXPECT_NE(child.output.find("closing\n"), std::string::npos) << child.output;
        // The show thread would say so after fifteen seconds; the bound is loose, for
        // loaded machines, sanitizer builds and Wine's start.
        EXPECT_EQ(child.output.find("still running"), std::string::npos) << child.output;
        EXPECT_LT(child.seconds, 15.0) << how;
    }
}

// Asked for, the close is the program's to act on: the window stays, the program sees
// the close, ends itself, and its result is the exit code.
TEST_F(HostContract, AProgramThatCatchesTheCloseIsToldAndEndsItself)
{
    if (host_traits.closes.empty()) GTEST_SKIP() << "this host has no window to close";
    for (const char *how : host_traits.closes) {
        const Child child = run_child({"caught", how});
        EXPECT_EQ(child.code, 5) << how << "\n" << child.output;
        EXPECT_NE(child.output.find("close seen 1, window open 1\n"), std::string::npos) << child.output;
    }
}

// A second of music takes a second by the host's clock: not less (ALSA's null device
// under Wine runs about four times too fast), nor for ever. Only "not faster than the
// clock" is exact; a loaded machine may slow it. On Windows it is run once more
// without a sound device (FENK_SOUND_NODEVICE set), where the silent device keeps time.
TEST_F(HostContract, TheMusicClockMovesInRealTime)
{
    const Child child = run_child({"music"});
    EXPECT_EQ(child.code, 0) << child.output;
    const char *nodevice = getenv("FENK_SOUND_NODEVICE");
    const bool silent = nodevice && *nodevice;
    if (silent) {
        EXPECT_NE(child.output.find("AUDIO: error opening audio buffer\n"
                                    "AUDIO: no sound device, playing silently in real time\n"),
                  std::string::npos)
            << child.output;
    }
    unsigned long long position = 0, millis = 0;
    const size_t line = child.output.find("music ");
    ASSERT_NE(line, std::string::npos) << child.output;
    ASSERT_EQ(sscanf(child.output.c_str() + line, "music %llu after %llu ms", &position, &millis), 2)
        << child.output;
    EXPECT_GE(position, 44100u) << "the music did not reach 1 s within 10 s";
    if (silent || host_traits.device_keeps_time) {
        EXPECT_LE(position, (millis + 1) * 44100 / 1000) << "faster than the clock";
    }
}

} // namespace
