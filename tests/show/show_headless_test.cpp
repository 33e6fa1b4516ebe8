// The whole show on the headless host at 60 frames a second, its frames read back.
// ctest runs each test in a process of its own, so each runs coremain exactly once.
// Most use a small data folder made here (a flat background, a short silent music,
// no pictures); one uses the generated data.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../sound/sound_fixture.h"
#include "child_process.h"
#include "frame_compare.h"
#include "hosts/driver_headless.h"
#include "show/pace.h"
#include "show/main.h"
#include "tga.h"
#include "tube_model.h"
#include "scratch.h"

namespace fs = std::filesystem;

namespace {

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
    const unsigned char *at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    int sum(int x, int y) const { return at(x, y)[0] + at(x, y)[1] + at(x, y)[2]; }
};

// The flat background of the small data folder.
constexpr unsigned char flat[3] = {200, 100, 50};

class ShowRun : public testing::Test {
protected:
    std::unique_ptr<ScratchFolder> scratch;
    fs::path folder;
    std::vector<Frame> frames; // every presented frame, kept while keep_frames
    bool keep_frames = true;
    std::function<bool(uint64_t)> keep_frame; // where set, which frames are kept
    std::function<void(uint64_t)> after_frame;
    std::string output;
    int result = -1;

    void SetUp() override
    {
        scratch = std::make_unique<ScratchFolder>(current_test_tag());
        folder = scratch->path();
        fs::create_directories(folder / "data");
    }
    void TearDown() override
    {
        // A failed test leaves its folder to be looked at.
        if (HasFailure()) scratch->keep();
        scratch.reset();
        fenk_headless_setframeplan(nullptr, nullptr);
    }

    void write_flat_background()
    {
        std::vector<uint8_t> rgba(static_cast<size_t>(SHOW_SCENE_WIDTH) * SHOW_SCENE_HEIGHT * 4);
        for (size_t i = 0; i < rgba.size(); i += 4) {
            rgba[i] = flat[0];
            rgba[i + 1] = flat[1];
            rgba[i + 2] = flat[2];
            rgba[i + 3] = 255;
        }
        ASSERT_TRUE(makedata::write_tga_rgb((folder / "data/revizidbg.tga").string(), SHOW_SCENE_WIDTH,
                                            SHOW_SCENE_HEIGHT, rgba.data(), 24, true,
                                            makedata::Origin::top_left));
    }
    void write_music(double seconds)
    {
        const std::string data(static_cast<size_t>(seconds * 44100) * 4, '\0');
        std::ofstream(folder / "data/revizid.wav", std::ios::binary) << wavimage(2, 44100, 16, data);
    }

    static void sink(int width, int height, const unsigned char *rgba, uint64_t frame, uint32_t, void *user)
    {
        auto *self = static_cast<ShowRun *>(user);
        if (self->keep_frames && (!self->keep_frame || self->keep_frame(frame)))
            self->frames.push_back(
                Frame{width, height,
                      std::vector<unsigned char>(rgba, rgba + static_cast<size_t>(width) * height * 4)});
        if (self->after_frame) self->after_frame(frame);
    }

    // Runs the show from `directory` (the one holding data), its host drawing `fps`
    // frames a second of its clock.
    void run(const fs::path &directory, int fps = 60)
    {
        const fs::path back = fs::current_path();
        fs::current_path(directory);
        fenk_headless_setframerate(fps);
        fenk_headless_setframesink(sink, this);
        output = printed([&] { result = fenk_headless_run(0, nullptr); });
        fs::current_path(back);
    }
};

// The first frame's view: the scene drawn at 1622 x 880 from (148, 100), time 0.
constexpr TubeView first_view{148, 100, 1622, 880, 0.0};

// Compares a whole frame with the worked-out pass: the pixels off by more than
// `tolerance` levels away from the glass edge, and the first of them described.
struct Mismatches {
    int count = 0;
    std::string first;
};

Mismatches tube_mismatches(const Frame &frame, const Scene &scene, int tolerance)
{
    Mismatches off;
    for (int y = 0; y < frame.height; y++) {
        for (int x = 0; x < frame.width; x++) {
            const TubeLight light = tube_light(x, y, first_view, scene);
            if (light.edge) continue;
            int e[3];
            for (int c = 0; c < 3; c++) e[c] = tube_level(light.rgb[c], 1.0);
            const unsigned char *p = frame.at(x, y);
            bool bad = false;
            for (int c = 0; c < 3; c++) bad |= std::abs(p[c] - e[c]) > tolerance;
            if (bad && off.count++ == 0)
                off.first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                            "): " + std::to_string(p[0]) + " " + std::to_string(p[1]) + " " +
                            std::to_string(p[2]) + ", expected " + std::to_string(e[0]) + " " +
                            std::to_string(e[1]) + " " + std::to_string(e[2]);
        }
    }
    return off;
}

} // namespace

TEST_F(ShowRun, EscapeHeldAtTheFirstFrameDrawsOneFrameAndCloses)
{
    write_flat_background();
    write_music(2);
    fenk_headless_key(0x1B, 1);
    run(folder);
    EXPECT_EQ(result, 0) << output;
    EXPECT_EQ(fenk_headless_framecount(), 1u);
    EXPECT_FALSE(fenk_headless_windowopen());
    EXPECT_STREQ(fenk_headless_title(), "Gravolt - Zoppeldraai");
    int width = 0, height = 0;
    fenk_headless_windowsize(&width, &height);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1080);

    // At brightness 0 the tube pass draws nothing at all, and there is no caption yet.
    ASSERT_EQ(frames.size(), 1u);
    int lit = 0;
    for (int y = 0; y < frames[0].height; y++)
        for (int x = 0; x < frames[0].width; x++) lit += frames[0].sum(x, y) != 0;
    EXPECT_EQ(lit, 0);
}

TEST_F(ShowRun, TubePassOverAFlatSceneFollowsItsFormula)
{
    write_flat_background();
    write_music(2);
    fade = 1.0f; // full brightness from the first frame
    fenk_headless_key(0x1B, 1);
    run(folder);
    ASSERT_EQ(frames.size(), 1u) << output;
    const Scene scene = [](double, double, double rgb[3]) {
        for (int c = 0; c < 3; c++) rgb[c] = flat[c] / 255.0;
    };
    const Mismatches off = tube_mismatches(frames[0], scene, 2);
    EXPECT_EQ(off.count, 0) << off.first;

    // Where the pass puts things: the left border beside the glass is black, the
    // right one too at this size; the centre is bright; the scan lines roll about
    // every 5.06 rows down the middle.
    const Frame &f = frames[0];
    for (int x = 148; x <= 155; x++) EXPECT_EQ(f.sum(x, 540), 0) << x;
    EXPECT_EQ(f.sum(147, 540), 0);
    EXPECT_GT(f.at(960, 540)[0], 100);
    int peaks = 0;
    for (int y = 301; y < 779; y++)
        peaks += f.at(960, y)[1] > f.at(960, y - 1)[1] && f.at(960, y)[1] >= f.at(960, y + 1)[1];
    EXPECT_NEAR(peaks, 478 / 5.06, 3);
}

TEST_F(ShowRun, EndOfTheMusicEndsTheShowWithZero)
{
    write_flat_background();
    write_music(0.5);
    keep_frames = false;
    run(folder);
    EXPECT_EQ(result, 0) << output;
    // Half a second of music at 60 frames a second, give or take a mix pass.
    EXPECT_GE(fenk_headless_framecount(), 26u);
    EXPECT_LE(fenk_headless_framecount(), 34u);
    EXPECT_FALSE(fenk_headless_windowopen());
    // Missing pictures are named and leave their place empty.
    EXPECT_NE(output.find("- ERROR: Image revizidtitle.tga not loaded."), std::string::npos) << output;
    EXPECT_NE(output.find("- ERROR: Image panfont.tga not loaded."), std::string::npos) << output;
}

TEST_F(ShowRun, WithoutItsMusicTheShowSaysSoAndFails)
{
    write_flat_background();
    run(folder);
    EXPECT_NE(result, 0);
    EXPECT_EQ(fenk_headless_framecount(), 0u);
    EXPECT_FALSE(fenk_headless_windowopen());
    EXPECT_NE(output.find("- ERROR: The music revizid.wav could not be loaded"), std::string::npos) << output;
}

TEST_F(ShowRun, MusicTooSlowToMixIsRefusedBeforeTheShowStarts)
{
    // At 80 Hz stereo the mixer's step is 0: the music would stay at its start and
    // the show would never end.
    write_flat_background();
    std::ofstream(folder / "data/revizid.wav", std::ios::binary)
        << wavimage(2, 80, 16, std::string(4000, '\0'));
    run(folder);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(fenk_headless_framecount(), 0u);
    EXPECT_NE(output.find("WAV format not supported: revizid.wav has 2 channels, 16 bits, 80 Hz; "),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("- ERROR: The music revizid.wav could not be loaded"), std::string::npos) << output;
}

TEST_F(ShowRun, MusicThatStandsStillEndsTheShowAfterThirtySeconds)
{
    // From the second frame on the music plays but no longer moves, as with a sound
    // device that stopped taking buffers. The frames are run without drawing.
    write_flat_background();
    write_music(30);
    keep_frames = false;
    fenk_headless_setframeplan([](uint64_t, void *) { return int{FENK_HEADLESS_UNDRAWN}; }, nullptr);
    after_frame = [](uint64_t frame) {
        if (frame == 1) {
            soundsystem_lock();
            demomusic.step = 0;
            soundsystem_unlock();
        }
    };
    run(folder);
    EXPECT_EQ(result, 1);
    EXPECT_NE(output.find("- ERROR: The music has not moved for 30 s; the show ends.\n"), std::string::npos)
        << output;
    EXPECT_FALSE(fenk_headless_windowopen());
    EXPECT_TRUE(demomusic.playing);
    // Thirty seconds at 60 frames a second after it last moved, give or take a frame.
    EXPECT_GE(fenk_headless_framecount(), 1790u);
    EXPECT_LE(fenk_headless_framecount(), 1820u);
}

TEST_F(ShowRun, GeneratedDataThroughTheTubeWithACentredCaption)
{
    fade = 1.0f;
    // Frame 2 moves the music to the middle of step 6: caption line 1 and rotation
    // entry 5 from frame 3 on, whose tube has moved on by the steps of that music.
    int camera = 0;
    after_frame = [&](uint64_t frame) {
        if (frame == 2) Soundsystem_SetSoundOffset(&demomusic, 650000);
        if (frame == 3) {
            camera = cameraframe - 1;
            fenk_headless_key(0x1B, 1);
        }
    };
    run(fs::path(DATA_DIR).parent_path());
    EXPECT_EQ(result, 0) << output;
    ASSERT_EQ(frames.size(), 5u) << output;

    // The first frame against the worked-out pass over the background's own pixels.
    const s_bitmap &bg = bmp_background;
    ASSERT_EQ(bg.width, SHOW_SCENE_WIDTH);
    SceneImage image{bg.width, bg.height, {}};
    for (int y = 0; y < bg.height; y++)
        for (int x = 0; x < bg.width; x++)
            for (int c = 0; c < 3; c++) image.rgb.push_back(bg.pixels[y * bg.texwidth + x] >> (8 * c) & 255);
    const Scene scene = sampled(image);
    // The texture unit's filter weights are coarser than the model's: a few levels
    // apart on sharp edges of the picture, never more.
    const Mismatches near = tube_mismatches(frames[0], scene, 3);
    EXPECT_LT(near.count, 1920 * 1080 / 200) << near.first;
    const Mismatches far = tube_mismatches(frames[0], scene, 12);
    EXPECT_EQ(far.count, 0) << far.first;

    // The rotation picture appears in the middle of the glass.
    int changed = 0;
    for (int y = 340; y < 740; y += 4)
        for (int x = 760; x < 1160; x += 4)
            changed += std::abs(frames[4].sum(x, y) - frames[0].sum(x, y)) > 30;
    EXPECT_GT(changed, 5000);

    // The caption: centred on column 960, its cells on rows 960 to 1028. The tube
    // covers rows down to the bottom of its rectangle (980 at the first frame) and
    // moves every step; below it nothing else is drawn.
    const Frame &f = frames[3];
    const ShowCamera tube = crt_camera(camera);
    const int below = std::max(990, tube.rect[1] + tube.rect[3] + 2);
    ASSERT_LT(below, 1010) << "the tube covers the caption";
    int left = f.width, right = -1, bottom = -1;
    for (int y = below; y < f.height; y++)
        for (int x = 0; x < f.width; x++)
            if (f.sum(x, y) != frames[0].sum(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "no caption";
    EXPECT_LE(bottom, 1028);
    EXPECT_GT(bottom, 1010);
    // The text call centres what the font measures, where a space's advance counts
    // the (negative) spacing that the pen does not take after it.
    const char *line = show_captions[1];
    int measured = 0, drawn = 0;
    for (const char *c = line; *c; c++) {
        const int glyph = *c - 31;
        measured += myfont.widths[glyph] + myfont.spacing;
        drawn += myfont.widths[glyph] + (glyph == 1 ? 0 : myfont.spacing);
    }
    const int pen = 960 - (measured >> 1);
    EXPECT_NEAR(left, pen, 8) << measured;
    EXPECT_NEAR(right, pen + drawn, 8) << drawn;
}

TEST_F(ShowRun, AtFourFramesASecondEachFrameIsTheCapturesFrameOfItsStep)
{
    // A host that manages 4 frames a second: the clock moves 250 ms a frame and the
    // sound device with it. Each frame runs the steps the music went on by, so the
    // frame drawn after 10, 20 and 30 s of music is the capture's frame of the same
    // step: the same fade, flicker, camera and pictures. Only what earlier frames left
    // on screen outside the tube's glass differs (here steps run undrawn, there frames
    // before the one written), so the frames are compared as the web tests compare.
    show_videowidth = 1280;
    show_videoheight = 720;
    std::vector<int> steps;
    keep_frame = [&](uint64_t) {
        const int wanted = SHOW_STEPRATE * 10 * (static_cast<int>(steps.size()) + 1);
        if (steps.size() == 3 || cameraframe < wanted) return false;
        steps.push_back(cameraframe);
        if (steps.size() == 3) fenk_headless_key(0x1B, 1);
        return true;
    };
    const fs::path linux_build = fs::path(DATA_DIR).parent_path();
    run(linux_build, 4);
    EXPECT_EQ(result, 0) << output;
    ASSERT_EQ(frames.size(), 3u) << output;
    // About 2 minutes of music would take 480 frames.
    EXPECT_LT(fenk_headless_framecount(), 130u);

    for (size_t i = 0; i < frames.size(); i++) {
        const int s = steps[i];
        SCOPED_TRACE("step " + std::to_string(s));
        // The capture's video frame s at 60 a second shows its step s.
        const fs::path out = folder / ("capture" + std::to_string(s));
        ChildProcess capture;
        fs::current_path(linux_build);
        ASSERT_TRUE(capture.start({SHOW_CAPTURE, "--mode", "720", "--fps", "60", "--from",
                                   std::to_string((s - 0.5) / 60), "--to", std::to_string((s + 0.5) / 60),
                                   "--frames", out.string()},
                                  folder / "capture.log"));
        fs::current_path(folder);
        ASSERT_TRUE(capture.join());
        ASSERT_EQ(capture.status(), 0) << slurp(folder / "capture.log");
        char name[32];
        snprintf(name, sizeof name, "frame%06d.png", s);
        const RgbImage expected = read_png((out / name).string());
        ASSERT_GT(expected.width, 0) << slurp(folder / "capture.log");

        RgbImage drawn{frames[i].width, frames[i].height, {}};
        for (size_t p = 0; p < frames[i].rgba.size(); p += 4)
            drawn.rgb.insert(drawn.rgb.end(), &frames[i].rgba[p], &frames[i].rgba[p + 3]);
        const FrameDifference d = frame_difference(drawn, expected);
        EXPECT_TRUE(d.within()) << d.text();
        EXPECT_GT(drawn.mean(), 0.9 * expected.mean());
    }
}
