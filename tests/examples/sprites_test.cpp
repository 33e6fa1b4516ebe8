// The sprites example on the headless host: the ball in the middle of a 320 x 180
// canvas shown twice as large (canvas pixel (x, y) is screen pixel (2x, 2y)), a rock
// coming at it along its row, 2 canvas pixels a frame.
#include <gtest/gtest.h>

#include <map>

#include "example_frames.h"
#include "scratch.h"

namespace {

constexpr unsigned ground = 0x181830;
constexpr unsigned ball = 0x30D060;
constexpr unsigned rock = 0xA0A0A0;
constexpr unsigned hit = 0xFF3030;

// The ball's centre where it starts, which is where the rock's centre is at frame 55.
constexpr int centre_x = 320, centre_y = 180;
constexpr int rock_arrived = 55;

// Runs up to the last frame asked for and reads those frames back.
std::map<int, Frame> run_sprites(const ScratchFolder &scratch, const std::string &keys,
                                 std::vector<int> frames)
{
    const auto folder = scratch / "frames";
    std::string options = keys;
    for (int n : frames) options += " --save " + std::to_string(n);
    EXPECT_EQ(run_example(EXAMPLE_HEADLESS, folder, frames.back() + 1, options), 0) << read_log(folder);
    std::map<int, Frame> read;
    for (int n : frames) {
        char name[32];
        snprintf(name, sizeof(name), "sprites_%04d.ppm", n);
        read[n] = read_frame(folder / name);
        EXPECT_EQ(read[n].width, 640) << name;
    }
    return read;
}

} // namespace

TEST(SpritesExample, BallLeftInTheRocksPathTurnsRedWhenHit)
{
    const ScratchFolder scratch(current_test_tag());
    auto frames = run_sprites(scratch, "", {0, rock_arrived});
    ASSERT_EQ(frames[rock_arrived].width, 640);
    EXPECT_EQ(frames[0].at(centre_x, centre_y), ball);
    EXPECT_EQ(frames[0].at(100, centre_y), rock);
    EXPECT_EQ(frames[0].at(0, 0), ground);
    EXPECT_EQ(frames[rock_arrived].at(centre_x, centre_y), hit);
    EXPECT_EQ(frames[rock_arrived].at(100, centre_y), ground);
}

TEST(SpritesExample, ArrowKeyMovesTheBallOutOfTheRocksPath)
{
    const ScratchFolder scratch(current_test_tag());
    // Up held for frames 1 to 10: 20 canvas pixels up, and the rock passes below.
    auto frames = run_sprites(scratch, "--key 0x26:1:11", {12, rock_arrived});
    ASSERT_EQ(frames[rock_arrived].width, 640);
    EXPECT_EQ(frames[12].at(centre_x, centre_y - 40), ball);
    EXPECT_EQ(frames[12].at(centre_x, centre_y), ground);
    EXPECT_EQ(frames[rock_arrived].at(centre_x, centre_y - 40), ball);
    EXPECT_EQ(frames[rock_arrived].at(centre_x, centre_y), rock);
}

TEST(SpritesExample, SecondKeySetSteersToo)
{
    const ScratchFolder scratch(current_test_tag());
    // D held for frames 1 to 10: 20 canvas pixels right.
    auto frames = run_sprites(scratch, "--key 0x44:1:11", {12});
    ASSERT_EQ(frames[12].width, 640);
    EXPECT_EQ(frames[12].at(centre_x + 40, centre_y), ball);
    EXPECT_EQ(frames[12].at(centre_x - 20, centre_y), ground);
}

// A click puts the ball's middle under the pointer: window pixel (400, 100) is canvas
// pixel (200, 50), the window showing the canvas twice as large. The runner moves the
// pointer before frame 4 and holds the left button over frame 5.
TEST(SpritesExample, AClickPutsTheBallUnderThePointer)
{
    const ScratchFolder scratch(current_test_tag());
    auto frames = run_sprites(scratch, "--mouse 400:100:4 --button 1:5:6", {4, 5});
    ASSERT_EQ(frames[5].width, 640);
    EXPECT_EQ(frames[4].at(centre_x, centre_y), ball);
    EXPECT_EQ(frames[4].at(400, 100), ground);
    EXPECT_EQ(frames[5].at(400, 100), ball);
    EXPECT_EQ(frames[5].at(centre_x, centre_y), ground);
}

// --close closes the window before the frame it names: the example does not catch the
// close, so it ends there at once, with 0. A button the runner does not know is refused.
TEST(SpritesExample, TheRunnersCloseEndsItAtOnce)
{
    const ScratchFolder scratch(current_test_tag());
    const auto folder = scratch / "frames";
    EXPECT_EQ(run_example(EXAMPLE_HEADLESS, folder, 10, "--close 3"), 0) << read_log(folder);
    EXPECT_TRUE(std::filesystem::exists(folder / "sprites_0002.ppm"));
    EXPECT_FALSE(std::filesystem::exists(folder / "sprites_0003.ppm"));
    EXPECT_EQ(read_log(folder).find("frames presented"), std::string::npos) << read_log(folder);
    EXPECT_EQ(run_example(EXAMPLE_HEADLESS, folder, 10, "--button 3:1"), 2);
    EXPECT_NE(read_log(folder).find("usage: "), std::string::npos) << read_log(folder);
}
