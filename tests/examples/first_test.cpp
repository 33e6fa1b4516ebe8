// Runs the headless build of the first example and checks the pictures it writes.
#include <gtest/gtest.h>

#include <filesystem>

#include "example_frames.h"
#include "scratch.h"

TEST(FirstExample, HeadlessRunWritesItsFramesAndStopsOnEscape)
{
    const ScratchFolder scratch(current_test_tag());
    const auto folder = scratch / "frames";
    ASSERT_EQ(run_example(EXAMPLE_HEADLESS, folder, 5), 0);

    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        files += entry.is_regular_file() && entry.path().extension() == ".ppm";
    EXPECT_EQ(files, 5);

    // Frame 0: dark blue ground, the red square at (20, 20) of the half-size canvas,
    // the yellow rule near the bottom, all stretched to 640 x 360.
    const Frame first = read_frame(folder / "first_0000.ppm");
    ASSERT_EQ(first.width, 640);
    ASSERT_EQ(first.height, 360);
    EXPECT_EQ(first.at(0, 0), 0x102040u);
    EXPECT_EQ(first.at(639, 0), 0x102040u);
    EXPECT_EQ(first.at(80, 80), 0xFF0000u);
    EXPECT_EQ(first.at(320, 180), 0xFFFFFFu);
    // The one-pixel rule is smoothed over two rows by the linear stretch.
    const unsigned rule = first.at(600, 339);
    EXPECT_GT(rule >> 16, 0xB0u);
    EXPECT_GT(rule >> 8 & 0xFF, 0xB0u);
    EXPECT_LT(rule & 0xFF, 0x60u);

    // The square moves 2 canvas pixels a frame.
    const Frame last = read_frame(folder / "first_0004.ppm");
    ASSERT_EQ(last.width, 640);
    EXPECT_EQ(last.at(41, 80), 0x102040u);
    EXPECT_EQ(last.at(57, 80), 0xFF0000u);
}
