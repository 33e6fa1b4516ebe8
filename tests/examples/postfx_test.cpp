// The post shader example on the headless host: the presented frames are the scene
// with every colour inverted, or the plain scene while Space has turned the effect off.
// The scene is drawn at 320 x 180 and shown at 640 x 360 without smoothing.
#include <gtest/gtest.h>

#include "example_frames.h"
#include "scratch.h"

namespace {

// The scene's ground and its red and green squares, plain.
constexpr unsigned ground = 0x102040;
constexpr unsigned red = 0xFF0000;
constexpr unsigned green = 0x00FF00;

unsigned inverted(unsigned rgb) { return ~rgb & 0xFFFFFF; }

Frame frame_of(const ScratchFolder &scratch, int n)
{
    char name[32];
    snprintf(name, sizeof(name), "postfx_%04d.ppm", n);
    return read_frame(scratch / "frames" / name);
}

} // namespace

TEST(PostfxExample, SpaceTurnsTheInversionOffAndOnAgain)
{
    const ScratchFolder scratch(current_test_tag());
    // Space pressed while frames 1 and 4 are drawn.
    ASSERT_EQ(run_example(EXAMPLE_HEADLESS, scratch / "frames", 7, "--key 0x20:1:2 --key 0x20:4:5"), 0)
        << read_log(scratch / "frames");
    const Frame frames[] = {frame_of(scratch, 0), frame_of(scratch, 3), frame_of(scratch, 6)};
    for (const Frame &frame : frames) {
        ASSERT_EQ(frame.width, 640);
        ASSERT_EQ(frame.height, 360);
    }

    const struct {
        int x, y;
        unsigned plain;
    } points[] = {{0, 0, ground}, {639, 359, ground}, {80, 80, red},
                  {40, 40, red},  {119, 119, red},    {560, 80, green}};
    for (const auto &p : points) {
        SCOPED_TRACE(testing::Message() << "at " << p.x << ", " << p.y);
        EXPECT_EQ(frames[0].at(p.x, p.y), inverted(p.plain));
        EXPECT_EQ(frames[1].at(p.x, p.y), p.plain);
        EXPECT_EQ(frames[2].at(p.x, p.y), inverted(p.plain));
    }
}
