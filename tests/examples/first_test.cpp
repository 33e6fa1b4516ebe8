// Runs the headless build of the first example and checks the pictures it writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch.h"

namespace {

struct Ppm {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    unsigned rgbat(int x, int y) const
    {
        const unsigned char *p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return p[0] << 16 | p[1] << 8 | p[2];
    }
};

Ppm read_ppm(const std::filesystem::path &path)
{
    Ppm ppm;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> ppm.width >> ppm.height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) return Ppm{};
    ppm.rgb.resize(static_cast<size_t>(ppm.width) * ppm.height * 3);
    in.read(reinterpret_cast<char *>(ppm.rgb.data()), static_cast<std::streamsize>(ppm.rgb.size()));
    if (!in) return Ppm{};
    return ppm;
}

} // namespace

TEST(FirstExample, HeadlessRunWritesItsFramesAndStopsOnEscape)
{
    const ScratchFolder scratch(current_test_tag());
    const auto folder = scratch / "frames";
    const std::string command =
        std::string(EXAMPLE_HEADLESS) + " " + folder.string() + " 5 > " + (folder.string() + ".log");
    ASSERT_EQ(std::system(command.c_str()), 0);

    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) files += entry.is_regular_file();
    EXPECT_EQ(files, 5);

    // Frame 0: dark blue ground, the red square at (20, 20) of the half-size canvas,
    // the yellow rule near the bottom, all stretched to 640 x 360.
    const Ppm first = read_ppm(folder / "first_0000.ppm");
    ASSERT_EQ(first.width, 640);
    ASSERT_EQ(first.height, 360);
    EXPECT_EQ(first.rgbat(0, 0), 0x102040u);
    EXPECT_EQ(first.rgbat(639, 0), 0x102040u);
    EXPECT_EQ(first.rgbat(80, 80), 0xFF0000u);
    EXPECT_EQ(first.rgbat(320, 180), 0xFFFFFFu);
    // The one-pixel rule is smoothed over two rows by the linear stretch.
    const unsigned rule = first.rgbat(600, 339);
    EXPECT_GT(rule >> 16, 0xB0u);
    EXPECT_GT(rule >> 8 & 0xFF, 0xB0u);
    EXPECT_LT(rule & 0xFF, 0x60u);

    // The square moves 2 canvas pixels a frame.
    const Ppm last = read_ppm(folder / "first_0004.ppm");
    ASSERT_EQ(last.width, 640);
    EXPECT_EQ(last.rgbat(41, 80), 0x102040u);
    EXPECT_EQ(last.rgbat(57, 80), 0xFF0000u);
}
