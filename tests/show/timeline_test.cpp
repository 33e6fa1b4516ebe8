// What the show draws is a pure function of the music position: these pin the
// pictures, the captions and the fade ramps at and around every boundary, and the
// picture tube's camera at chosen frames.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "show/main.h"

namespace {

using Drawn = std::vector<std::pair<const s_bitmap *, int>>;

Drawn pictures_at(uint64_t pos)
{
    ShowPicture pictures[SHOW_MAXPICTURES];
    const int count = timeline_pictures(pos, pictures);
    Drawn drawn;
    for (int i = 0; i < count; i++) drawn.emplace_back(pictures[i].bitmap, pictures[i].alpha);
    return drawn;
}

Drawn rotation(int entry) { return {{&bmp_revizid[entry], 1}}; }
Drawn plain(const s_bitmap *bitmap) { return {{bitmap, 0}}; }

// Caption line numbers at pos: 1 to 18, or 19 for the closing line.
std::vector<int> captions_at(uint64_t pos)
{
    const char *lines[2];
    const int count = timeline_captions(pos, lines);
    std::vector<int> numbers;
    for (int i = 0; i < count; i++) {
        int number = lines[i] == show_closingline ? 19 : 0;
        for (int n = 1; n <= SHOW_CAPTION_LINES; n++)
            if (lines[i] == show_captions[n]) number = n;
        numbers.push_back(number);
    }
    return numbers;
}

} // namespace

TEST(ShowTimeline, PicturesAtEveryBoundary)
{
    const Drawn none;
    const struct {
        uint64_t pos;
        Drawn drawn;
    } cases[] = {
        {0, none},
        {480000, none},
        {480001, plain(&bmp_title)},
        {549999, plain(&bmp_title)},
        {550000, none},
        {600000, none},
        {600001, rotation(5)},
        {699999, rotation(5)},
        {700000, rotation(4)}, // step 7 takes entry 4, not 7
        {1499999, rotation(0)},
        {1500000, rotation(1)},
        {2099999, rotation(6)},
        {2100000, rotation(7)}, // past 1 499 999 step 7's number stays
        {2999999, rotation(1)},
        {3000000, none},
        {3100000, none},
        {3100001, plain(&bmp_greetings)},
        {3199999, plain(&bmp_greetings)},
        {3200000, none},
        {3200001, plain(&bmp_greetings2)},
        {3299999, plain(&bmp_greetings2)},
        {3300000, none},
        {3349999, none},
        {3350000, plain(&bmp_revizid[14])},
        {4200000, plain(&bmp_revizid[14])},
        {4200001, {{&bmp_revizid[14], 0}, {&bmp_credits, 0}}},
        {4800000, {{&bmp_revizid[14], 0}, {&bmp_credits, 0}}},
        {4800001, {{&bmp_revizid[14], 0}, {&bmp_credits, 0}}},
        {UINT64_C(1) << 40, {{&bmp_revizid[14], 0}, {&bmp_credits, 0}}},
    };
    for (const auto &c : cases) EXPECT_EQ(pictures_at(c.pos), c.drawn) << "pos " << c.pos;
}

TEST(ShowTimeline, RotationScheduleByStep)
{
    const int entries[] = {5, 4, 8, 9, 10, 11, 12, 13, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0, 1};
    for (int step = 6; step <= 29; step++)
        EXPECT_EQ(pictures_at(step * 100000 + 50000), rotation(entries[step - 6])) << "step " << step;
}

TEST(ShowTimeline, CaptionForEveryStep)
{
    // Line by step 0 to 50; 0 for none.
    const int lines[51] = {0,  0, 0,  0,  0,  0,  1, 2,  3, 2,  3, 0, 4, 0, 5, 6,  7,
                           8,  9, 10, 11, 12, 13, 0, 14, 0, 15, 1, 0, 3, 0, 4, 16, 0,
                           17, 0, 18, 0,  0,  0,  0, 0,  0, 0,  0, 0, 0, 0, 0, 0,  0};
    for (int step = 0; step < 51; step++) {
        for (uint64_t pos : {uint64_t(step) * 100000, uint64_t(step) * 100000 + 99999}) {
            std::vector<int> expected;
            if (lines[step]) expected.push_back(lines[step]);
            if (pos > 4800000) expected.push_back(19);
            EXPECT_EQ(captions_at(pos), expected) << "pos " << pos;
        }
    }
    EXPECT_EQ(captions_at(4800000), std::vector<int>{});
    EXPECT_EQ(captions_at(4800001), std::vector<int>{19});
}

TEST(ShowTimeline, FadeRampsInStopsAndRampsOut)
{
    // In by 0.001 a frame while pos <= 999 999, until it reaches 1.
    float fade = 0;
    int frames = 0;
    while (fade < 1.0f && frames < 2000) {
        fade = timeline_fade(500000, fade);
        frames++;
    }
    EXPECT_GE(frames, 999);
    EXPECT_LE(frames, 1001);
    EXPECT_LT(fade, 1.001f);
    EXPECT_EQ(timeline_fade(999999, fade), fade);

    // Stopped below 1 when pos passes 999 999: it stays there until the fade-out.
    float stopped = 0;
    for (int i = 0; i < 300; i++) stopped = timeline_fade(999999, stopped);
    EXPECT_NEAR(stopped, 0.3f, 1e-4f);
    for (uint64_t pos : {1000000, 2500000, 4400000}) EXPECT_EQ(timeline_fade(pos, stopped), stopped);

    // Out by 0.002 a frame from 4 400 001, until it reaches 0.
    EXPECT_FLOAT_EQ(timeline_fade(4400001, 1.0f), 0.998f);
    fade = 1.0f;
    frames = 0;
    while (fade > 0.0f && frames < 2000) {
        fade = timeline_fade(4500000, fade);
        frames++;
    }
    EXPECT_GE(frames, 499);
    EXPECT_LE(frames, 501);
    EXPECT_GT(fade, -0.002f);
    EXPECT_EQ(timeline_fade(4500000, fade), fade);
}

TEST(ShowCrtCamera, ZoomSwayAndRectangleAtChosenFrames)
{
    const struct {
        int frame;
        float zoom, x, y;
        int rect[4];
    } cases[] = {
        {0, 0.88f, 0.0f, 0.0f, {148, 100, 1622, 880}},
        {140, 0.894f, 30.046181f, 15.285404f, {165, 108, 1648, 894}},
        {280, 0.908f, 53.058403f, 23.568661f, {175, 109, 1674, 908}},
        {900, 0.97487468f, 0.0f, -23.106541f, {61, 29, 1797, 974}},
        // Past 1920 / 1844 the scene overflows the screen buffer; x truncates toward zero.
        {1800, 1.0621693f, 0.0f, 12.491993f, {-19, 21, 1958, 1062}},
    };
    for (const auto &c : cases) {
        const ShowCamera camera = crt_camera(c.frame);
        EXPECT_FLOAT_EQ(camera.zoom, c.zoom) << "frame " << c.frame;
        EXPECT_NEAR(camera.x, c.x, 1e-4f) << "frame " << c.frame;
        EXPECT_NEAR(camera.y, c.y, 1e-4f) << "frame " << c.frame;
        EXPECT_EQ(std::vector<int>(camera.rect, camera.rect + 4), std::vector<int>(c.rect, c.rect + 4))
            << "frame " << c.frame;
    }
}
