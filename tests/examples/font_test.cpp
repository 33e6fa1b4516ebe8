// The font example on the headless host: a font made at start from a picture the
// program writes, a centred title with its measured width underlined, and a line
// drawn from x = 20. Glyph ink is white; each glyph's advance ends in a 3-pixel gap.
// Below them a line in a font rendered at run time from DejaVu Sans, in light blue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "example_frames.h"
#include "scratch.h"

namespace {

constexpr unsigned ink = 0xFFFFFF, blue = 0x80E0FF;
constexpr int gap = 3;
constexpr int title_top = 60, line_top = 200, glyph_height = 15;

// The leftmost and rightmost columns holding `colour` in rows top .. top + rows - 1.
std::pair<int, int> extent(const Frame &frame, unsigned colour, int top, int rows)
{
    int left = frame.width, right = -1;
    for (int y = top; y < top + rows; ++y)
        for (int x = 0; x < frame.width; ++x)
            if (frame.at(x, y) == colour) left = std::min(left, x), right = std::max(right, x);
    return {left, right};
}

// The width the example printed for `text`, or -1.
int printed_width(const std::string &log, const std::string &text)
{
    const std::string quoted = "\"" + text + "\" is ";
    const size_t at = log.find(quoted);
    return at == std::string::npos ? -1 : std::stoi(log.substr(at + quoted.size()));
}

} // namespace

TEST(FontExample, TextInkSpansItsMeasuredWidth)
{
    const ScratchFolder scratch(current_test_tag());
    const auto folder = scratch / "frames";
    // Its own temporary folder, to see the font picture's folder removed again.
    const auto temporary = scratch / "tmp";
    std::filesystem::create_directories(temporary);
    setenv("TMPDIR", temporary.c_str(), 1); // each test runs in a process of its own
    ASSERT_EQ(run_example(EXAMPLE_HEADLESS, folder, 1), 0) << read_log(folder);
    EXPECT_TRUE(std::filesystem::is_empty(temporary));

    const std::string log = read_log(folder);
    const int title = printed_width(log, "HELLO, FENK!");
    const int line = printed_width(log, "LEFT ALIGNED TEXT");
    ASSERT_GT(title, 0) << log;
    ASSERT_GT(line, 0) << log;
    EXPECT_NE(log.find("FENK_LoadFont - Num.Letters: 60"), std::string::npos) << log;

    const Frame frame = read_frame(folder / "font_0000.ppm");
    ASSERT_EQ(frame.width, 640);
    ASSERT_EQ(frame.height, 360);
    // Centred: half the measured width either side of the middle, less the last gap.
    const int title_left = 320 - title / 2;
    EXPECT_EQ(extent(frame, ink, title_top, glyph_height),
              std::make_pair(title_left, title_left + title - gap - 1));
    EXPECT_EQ(extent(frame, ink, title_top - 1, 1).second, -1);
    EXPECT_EQ(extent(frame, ink, title_top + glyph_height, 1).second, -1);
    // The underline is the measured width itself.
    EXPECT_EQ(extent(frame, 0xFFCC00, title_top + glyph_height + 4, 3),
              std::make_pair(title_left, title_left + title - 1));
    // Left-aligned: from x = 20 on.
    EXPECT_EQ(extent(frame, ink, line_top, glyph_height), std::make_pair(20, 20 + line - gap - 1));

    // The rendered line: its ink inside its measured width and its glyphs' height, from
    // (20, 290), and nowhere else.
    const std::string sans = "\"DejaVu Sans, rendered at run time\" is ";
    const size_t at = log.find(sans);
    ASSERT_NE(at, std::string::npos) << log;
    int width = 0, height = 0;
    ASSERT_EQ(std::sscanf(log.c_str() + at + sans.size(), "%d pixels wide, %d high", &width, &height), 2)
        << log;
    EXPECT_NE(log.find("FENK_LoadTTFont - sans.ttf at 24 pixels: 94 glyphs"), std::string::npos) << log;
    const auto [left, right] = extent(frame, blue, 290, height);
    EXPECT_GE(left, 20);
    EXPECT_LT(left, 24);
    EXPECT_GT(right, 20 + width - 16);
    EXPECT_LT(right, 20 + width);
    EXPECT_EQ(extent(frame, blue, 0, 290).second, -1);
    EXPECT_EQ(extent(frame, blue, 290 + height, frame.height - 290 - height).second, -1);
}
