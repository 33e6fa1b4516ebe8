// The headless host itself: its clock in manual and frame mode, the frame sink and the
// scripted input.
#include <cstdint>
#include <vector>

#include "input/rawinput.h"
#include "hosts/audiodriver_headless.h"
#include "sound/coresound.h"
#include "video_fixture.h"

TEST_F(VideoTest, HeadlessClockNeverLeavesASpinStuck)
{
    fenk_headless_setclock(500);
    for (int i = 0; i < FENK_HEADLESS_SPINREADS; ++i) EXPECT_EQ(FENK_GetMillis(), 500u);
    EXPECT_EQ(FENK_GetMillis(), 501u); // one read too many moves it by a millisecond
    EXPECT_EQ(FENK_GetMillis(), 501u);

    // Each frame presented in frame mode moves the clock by exactly 1000 / fps ms.
    fenk_headless_setclock(0);
    fenk_headless_setframerate(60);
    const uint64_t first = fenk_headless_framecount();
    const PresentedFrame &f0 = present();
    EXPECT_EQ(f0.frame, first);
    EXPECT_EQ(f0.millis, 0u);
    EXPECT_EQ(fenk_headless_clock(), 16u);
    EXPECT_EQ(fenk_headless_audioframes(), 735u);
    present();
    const PresentedFrame &f2 = present();
    EXPECT_EQ(f2.frame, first + 2);
    EXPECT_EQ(f2.millis, 33u);
    EXPECT_EQ(fenk_headless_clock(), 50u);
    for (int i = 3; i < 60; ++i) present();
    EXPECT_EQ(fenk_headless_clock(), 1000u); // no rounding piles up
    EXPECT_EQ(fenk_headless_audioframes(), 44100u);
    EXPECT_EQ(fenk_headless_framecount(), first + 60);

    // A spin in frame mode jumps to the next frame's time.
    for (int i = 0; i < FENK_HEADLESS_SPINREADS; ++i) FENK_GetMillis();
    EXPECT_EQ(FENK_GetMillis(), 1016u);
    EXPECT_EQ(fenk_headless_audioframes(), 44835u);

    // At 60 frames a second the default pacing never has to spin.
    FENK_SetRefreshRate(60);
    present();
    for (int i = 0; i < 30; ++i) {
        const uint64_t before = fenk_headless_clock();
        FENK_WaitRefresh();
        EXPECT_EQ(fenk_headless_clock(), before);
        present();
    }
    fenk_headless_setframerate(0);
}

TEST_F(VideoTest, HeadlessInputIsEmptyUntilScripted)
{
    int unused = 0;
    FENK_joykey = 0x1234;
    fenk_getkeys(&unused, &unused);
    EXPECT_EQ(FENK_joykey, 0);
    EXPECT_EQ(fenk_getkeycode(), 0);
    int x = -1, y = -1, z = -1, r = -1, buttons = -1;
    EXPECT_EQ(fenk_getnumjoysticks(), 0);
    EXPECT_EQ(fenk_joystickconnected(0), 0);
    EXPECT_EQ(fenk_initjoystick(3), 3);
    EXPECT_EQ(fenk_polljoystick(0, &x, &y, &z, &r, &buttons), 0);
    EXPECT_EQ(x | y | z | r | buttons, 0);

    fenk_headless_key(0x1B, 1);
    fenk_headless_key(0x43, 1);
    fenk_getkeys(&unused, &unused);
    EXPECT_EQ(FENK_joykey, 0x8000 | 0x0080);
    EXPECT_EQ(FENK_keys[0x1B], 0x8000);
    EXPECT_EQ(fenk_getkeycode(), 0x43);
    fenk_headless_key(0x43, 0);
    EXPECT_EQ(fenk_getkeycode(), 0);
    fenk_headless_key(0x1B, 0);
    fenk_getkeys(&unused, &unused);
    EXPECT_EQ(FENK_joykey, 0);

    fenk_headless_mousemove(12, 34);
    fenk_headless_mousebutton(FENK_MOUSE_RIGHT, 1);
    fenk_input_mouse_mode = 0;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
    EXPECT_EQ(buttons, FENK_MOUSE_RIGHT);
    fenk_setmouse(5, 6);
    fenk_input_mouse_mode = 2; // no known mode: the position is left alone
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(fenk_mouse_x, 12);
    fenk_input_mouse_mode = 1;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    fenk_input_mouse_mode = 0;
    fenk_headless_mousebutton(FENK_MOUSE_RIGHT, 0);

    const int before = fenk_mouse_z;
    fenk_headless_mousewheel(120);
    fenk_headless_mousewheel(5);
    fenk_getmousewheel(&z, &r);
    EXPECT_EQ(z, before + 2);
    EXPECT_EQ(r, 1);
    fenk_getmousewheel(&z, &r);
    EXPECT_EQ(r, 0);
}

TEST_F(VideoTest, HeadlessSoundDevicePlaysInStepWithTheClock)
{
    // The clock has already run before the device opens: that time is not played.
    fenk_headless_setframerate(0);
    fenk_headless_setclock(12345);
    ASSERT_EQ(Soundsystem_Init(44100, 16, 2), 1);
    std::vector<int16_t> silence(10 * 44100);
    s_sound music{};
    music.channels = 1;
    music.bits = 16;
    music.size = static_cast<uint32_t>(silence.size() * 2);
    music.length = static_cast<uint32_t>(silence.size());
    music.frequency = 44100;
    music.step = 256;
    music.volume = 255;
    music.volume_left = music.volume_right = music.panning = 128;
    music.data = silence.data();
    Soundsystem_PlayMusic(&music, 0);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), 0u);

    // One second is 44 100 frames: 21 whole buffers played, each refilled by one pass.
    fenk_headless_advanceclock(1000);
    EXPECT_EQ(audiodriver_headless_played(), 44100u);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), 21u * 2048u);

    // Frame mode: sixty frames at 60 per second are the same second again.
    fenk_headless_setframerate(60);
    for (int i = 0; i < 60; ++i) present();
    EXPECT_EQ(audiodriver_headless_played(), 88200u);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), 43u * 2048u);

    // A clock set back does not rewind the device.
    fenk_headless_setframerate(0);
    fenk_headless_setclock(0);
    EXPECT_EQ(audiodriver_headless_played(), 88200u);
    Soundsystem_StopMusic(&music);
    Soundsystem_CloseAudio();
}

TEST_F(VideoTest, HeadlessFramesPlannedUndrawnRunButAreNotDrawn)
{
    const uint64_t first = fenk_headless_framecount() + 2;
    PlanUntil plan{first, FENK_HEADLESS_UNDRAWN};
    fenk_headless_setframeplan(plan_until, &plan);
    for (int i = 0; i < 2; ++i) {
        FENK_ClearFrameBuffer(opaque_red);
        EXPECT_EQ(pixel(5, 5), opaque_black); // clipped away
        EXPECT_TRUE(present().picture.pixels.empty());
    }
    FENK_ClearFrameBuffer(opaque_green);
    const PresentedFrame &shown = present();
    EXPECT_EQ(shown.frame, first);
    ASSERT_FALSE(shown.picture.pixels.empty());
    EXPECT_EQ(shown.picture.at(5, 5), opaque_green);
    fenk_headless_setframeplan(nullptr, nullptr);
}

TEST_F(VideoTest, HeadlessFramesPlannedUnshownAreDrawnButNotShown)
{
    const uint64_t first = fenk_headless_framecount() + 2;
    PlanUntil plan{first, FENK_HEADLESS_UNSHOWN};
    fenk_headless_setframeplan(plan_until, &plan);
    FENK_ClearFrameBuffer(opaque_red);
    EXPECT_EQ(pixel(5, 5), opaque_red);
    EXPECT_TRUE(present().picture.pixels.empty());
    FENK_DrawColorQuad(0, 0, 4, 4, 0, 1, 0, 1);
    EXPECT_TRUE(present().picture.pixels.empty());
    // What the frames nobody saw drew is there in the first one shown.
    const PresentedFrame &shown = present();
    EXPECT_EQ(shown.frame, first);
    ASSERT_FALSE(shown.picture.pixels.empty());
    EXPECT_EQ(shown.picture.at(5, 5), opaque_red);
    EXPECT_EQ(shown.picture.at(1, 1), opaque_green);
    fenk_headless_setframeplan(nullptr, nullptr);
}
