// The show end to end: show_capture run over chosen spans of the show (each test its
// own capture), its PNG frames checked against the timeline through a model of the
// tube pass, and its sound track against the music and the pictures.
//
// Video frame n shows the screen from n / 60 s on. It is the show's frame n - 1, drawn
// at the music position of the 2048-frame mix passes the device had asked for by then,
// with the camera of frame n - 1.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "scratch.h"
#include "show/main.h"
#include "show/tube_model.h"

namespace fs = std::filesystem;

namespace {

constexpr int fps = 60;
constexpr int track_rate = 44100;
constexpr int caption_top = 950; // rows from here down may hold a caption drawn after the tube

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char *at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    int sum(int x, int y) const { return at(x, y)[0] + at(x, y)[1] + at(x, y)[2]; }
};

Image load(const fs::path &path)
{
    Image image;
    int channels = 0;
    unsigned char *pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
    if (!pixels) return Image{};
    image.rgb.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * 3);
    stbi_image_free(pixels);
    return image;
}

struct Capture {
    fs::path dir;
    int exit_code = -1;
    std::string out, err;

    fs::path frame_path(uint64_t n) const
    {
        char name[32];
        snprintf(name, sizeof name, "frame%06llu.png", static_cast<unsigned long long>(n));
        return dir / name;
    }
    Image frame(uint64_t n) const { return load(frame_path(n)); }
    bool has(uint64_t n) const { return fs::exists(frame_path(n)); }
    // The sound track's interleaved samples, after its header was checked.
    std::vector<int16_t> sound() const
    {
        std::ifstream in(dir / "sound.wav", std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_GE(bytes.size(), 44u);
        if (bytes.size() < 44) return {};
        uint16_t channels, bits;
        uint32_t rate;
        memcpy(&channels, &bytes[22], 2);
        memcpy(&rate, &bytes[24], 4);
        memcpy(&bits, &bytes[34], 2);
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(rate, 44100u);
        EXPECT_EQ(bits, 16);
        std::vector<int16_t> samples((bytes.size() - 44) / 2);
        memcpy(samples.data(), &bytes[44], samples.size() * 2);
        return samples;
    }
};

std::string quoted(const std::string &text) { return "'" + text + "'"; }

// The folders this test's captures wrote, removed after it when it passed.
std::vector<std::unique_ptr<ScratchFolder>> written;

// A folder of this run's own: other runs of these tests (another build, another
// checkout) may be going on at the same time.
fs::path own_folder(const std::string &name)
{
    written.push_back(std::make_unique<ScratchFolder>("e2e-" + name));
    return written.back()->path();
}

class ShowCapture : public testing::Test {
protected:
    void TearDown() override
    {
        if (HasFailure())
            for (const auto &folder : written) folder->keep();
        written.clear();
    }
};

// Runs show_capture from the folder holding the data; `args` in shell words. Its
// output, and its frames with `frames`, go to a folder of the test's own.
Capture capture(const std::string &args, const std::string &suffix = "", const std::string &env = "",
                bool frames = false, const std::string &program = quoted(SHOW_CAPTURE))
{
    Capture run;
    run.dir = own_folder(testing::UnitTest::GetInstance()->current_test_info()->name() + suffix);
    const std::string options = frames ? "--frames " + quoted(run.dir.string()) + " " + args : args;
    // exec: the child is the capture itself, so a capture past its time can be stopped.
    const std::string script = "cd " + quoted(fs::path(DATA_DIR).parent_path().string()) + " && " + env +
                               " exec " + program + " " + options + " 2>" +
                               quoted((run.dir / "stderr.txt").string());
    ChildProcess process;
    const bool ended = process.start_shell(script, run.dir / "stdout.txt") && process.wait(380);
    if (!ended) process.stop();
    const int status = process.status();
    run.exit_code = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurp(run.dir / "stdout.txt");
    run.err = slurp(run.dir / "stderr.txt");
    return run;
}

Capture capture_frames(const std::string &args, const std::string &suffix = "")
{
    return capture(args, suffix, "", true);
}

// ---- The scene the timeline puts into the tube ----

const SceneImage &picture_file(const std::string &name)
{
    static std::map<std::string, SceneImage> loaded;
    SceneImage &image = loaded[name];
    if (image.width == 0) {
        const Image file = load(fs::path(DATA_DIR) / name);
        image = SceneImage{file.width, file.height, file.rgb};
    }
    return image;
}

// The background with one picture (or none) in its place, as the scene buffer holds it.
SceneImage scene_with(const char *picture)
{
    SceneImage scene = picture_file("revizidbg.tga");
    if (!picture) return scene;
    const SceneImage &p = picture_file(picture);
    for (int y = 0; y < p.height; y++)
        memcpy(&scene.rgb[(static_cast<size_t>(y + SHOW_PICTURE_Y) * scene.width + SHOW_PICTURE_X) * 3],
               &p.rgb[static_cast<size_t>(y) * p.width * 3], static_cast<size_t>(p.width) * 3);
    return scene;
}

TubeView view_of(uint64_t n)
{
    const ShowCamera camera = crt_camera(static_cast<int>(n) - 1);
    const int *rect = camera.rect;
    return TubeView{rect[0], rect[1], rect[2], rect[3],
                    static_cast<double>(static_cast<float>((n - 1) * 0.01))};
}

// How well frame n matches the tube over `scene`: the brightness (fade with its
// flicker) fitted over a grid of the glass above the caption rows, and the share of
// grid pixels more than 4 levels from the model at that brightness.
struct Match {
    double brightness;
    double off;
};

Match match(const Image &frame, uint64_t n, const SceneImage &scene)
{
    const TubeView view = view_of(n);
    const Scene sample = sampled(scene);
    std::vector<std::pair<double, int>> pairs; // model light, observed level
    for (int y = 3; y < caption_top; y += 6)
        for (int x = 3; x < frame.width; x += 6) {
            const TubeLight light = tube_light(x, y, view, sample);
            if (!light.inside || light.edge) continue;
            for (int c = 0; c < 3; c++) pairs.emplace_back(light.rgb[c], frame.at(x, y)[c]);
        }
    double lo = 0, ll = 0;
    for (const auto &[light, level] : pairs)
        if (level < 250) {
            lo += light * level;
            ll += light * light;
        }
    const double brightness = ll > 0 ? lo / ll / 255 : 0;
    int off = 0;
    for (const auto &[light, level] : pairs) off += std::abs(tube_level(light, brightness) - level) > 4;
    return {brightness, pairs.empty() ? 1.0 : static_cast<double>(off) / static_cast<double>(pairs.size())};
}

// Frames [first, end) show `before` up to `change`, then `after`: each fits its own
// scene closely and the other one clearly worse.
void expect_picture_change(const Capture &run, uint64_t first, uint64_t change, uint64_t end,
                           const char *before, const char *after)
{
    const SceneImage scene_before = scene_with(before), scene_after = scene_with(after);
    for (uint64_t n = first; n < end; n++) {
        const Image frame = run.frame(n);
        ASSERT_GT(frame.width, 0) << "frame " << n << " missing";
        const Match b = match(frame, n, scene_before), a = match(frame, n, scene_after);
        const Match &right = n < change ? b : a, &wrong = n < change ? a : b;
        EXPECT_LT(right.off, 0.01) << "frame " << n << " against " << (n < change ? before : after);
        EXPECT_GT(wrong.off, 0.05) << "frame " << n << " against " << (n < change ? after : before);
        EXPECT_GT(right.brightness, 0.5) << "frame " << n;
    }
}

// The columns with caption ink below the tube, in rows [top, 1030): none gives {-1, -1}.
std::pair<int, int> ink_columns(const Image &frame, int top)
{
    int left = -1, right = -1;
    for (int y = top; y < 1030; y++)
        for (int x = 0; x < frame.width; x++)
            if (frame.sum(x, y) > 150) {
                if (left < 0 || x < left) left = x;
                right = std::max(right, x);
            }
    return {left, right};
}

// The lowest row the tube draws in frame n.
int tube_bottom(uint64_t n)
{
    const TubeView view = view_of(n);
    return view.y + view.h;
}

} // namespace

TEST_F(ShowCapture, StartsWithABlackScreenAndFourSilentBuffersAndKeepsTheShowsLinesOnStdout)
{
    const Capture run = capture_frames("--to 0.25");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const Image first = run.frame(0);
    ASSERT_EQ(first.width, 1920);
    ASSERT_EQ(first.height, 1080);
    EXPECT_EQ(*std::max_element(first.rgb.begin(), first.rgb.end()), 0);
    EXPECT_TRUE(run.has(14));
    EXPECT_FALSE(run.has(15));

    const std::vector<int16_t> track = run.sound();
    ASSERT_EQ(track.size(), 15u * 735 * 2); // as long as the frames
    const auto music = track.begin() + 4 * 2048 * 2;
    EXPECT_TRUE(std::all_of(track.begin(), music, [](int16_t s) { return s == 0; }));
    EXPECT_TRUE(std::any_of(music, track.end(), [](int16_t s) { return s != 0; }));

    EXPECT_NE(run.out.find("[FENK] Init OpenGL"), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find("[FENK]"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("15/15 frames"), std::string::npos) << run.err;
}

TEST_F(ShowCapture, TheSameCommandTwiceGivesTheSameBytes)
{
    const Capture one = capture_frames("--from 11 --to 11.05", "_1");
    const Capture two = capture_frames("--from 11 --to 11.05", "_2");
    ASSERT_EQ(one.exit_code, 0) << one.err;
    ASSERT_EQ(two.exit_code, 0) << two.err;
    int files = 0;
    for (const char *name : {"frame000660.png", "frame000661.png", "frame000662.png", "sound.wav"}) {
        EXPECT_EQ(slurp(one.dir / name), slurp(two.dir / name)) << name;
        files += fs::exists(one.dir / name);
    }
    EXPECT_EQ(files, 4);
}

TEST_F(ShowCapture, TitleComesAtElevenSeconds)
{
    // The title is shown from position 480 001: the first pass past it is 481 280,
    // asked for by frame 655 (10.92 s).
    const Capture run = capture_frames("--from 10.8 --to 11.1");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    expect_picture_change(run, 648, 655, 666, nullptr, "revizidtitle.tga");
}

TEST_F(ShowCapture, FirstRotationPictureAndCaptionComeOnTheBarLineAQueueAheadOfTheKick)
{
    // Bar 6 starts at music frame 600 000 with the piece's first kick; position 600 064
    // is reached by frame 817 (13.617 s), which brings rotation entry 5 and caption 1.
    const Capture run = capture_frames("--from 13.4 --to 14");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    expect_picture_change(run, 804, 817, 840, nullptr, "revizid5.tga");

    // The frame where the middle of the glass changes most is the picture change.
    uint64_t change = 0;
    double largest = 0;
    Image previous = run.frame(804);
    for (uint64_t n = 805; n < 840; n++) {
        const Image frame = run.frame(n);
        double diff = 0;
        for (int y = 380; y < 700; y += 2)
            for (int x = 800; x < 1120; x += 2) diff += std::abs(frame.sum(x, y) - previous.sum(x, y));
        if (diff > largest) largest = diff, change = n;
        previous = frame;
    }
    EXPECT_EQ(change, 817u);

    // Caption line 1 appears with it, below the tube, about the middle of the screen.
    const int below = tube_bottom(817) + 2;
    EXPECT_EQ(ink_columns(run.frame(816), below).first, -1);
    const auto [left, right] = ink_columns(run.frame(817), below);
    ASSERT_GE(left, 0) << "no caption";
    EXPECT_NEAR((left + right) / 2.0, 960, 40);

    // The kick in the sound track: the first 64-frame window louder than 2.5 times the
    // 8 192 frames before it.
    const std::vector<int16_t> track = run.sound();
    const size_t frames = track.size() / 2;
    ASSERT_EQ(frames, 36u * 735);
    auto power = [&track](size_t from, size_t to) {
        double sum = 0;
        for (size_t i = from; i < to; i++) {
            const double mid = (track[2 * i] + track[2 * i + 1]) / 2.0;
            sum += mid * mid;
        }
        return std::sqrt(sum / static_cast<double>(to - from));
    };
    size_t onset = 0;
    for (size_t i = 8192; i + 64 <= frames && !onset; i += 8)
        if (power(i, i + 64) > 2.5 * power(i - 8192, i)) onset = i;
    ASSERT_GT(onset, 0u) << "no kick found";
    const double heard = (804.0 * 735 + static_cast<double>(onset)) / track_rate;
    const double shown = static_cast<double>(change) / fps;
    const double offset_ms = (heard - shown) * 1000;
    std::printf("picture change at %.4f s, kick heard at %.4f s: sound %.1f ms after the picture\n", shown,
                heard, offset_ms);
    RecordProperty("sync_offset_ms", std::to_string(offset_ms));
    // Within the four-buffer queue (three to four buffers, 139 to 186 ms), give or take a frame.
    EXPECT_GE(offset_ms, 6144.0 / 44.1 - 1000.0 / fps);
    EXPECT_LE(offset_ms, 8192.0 / 44.1 + 1000.0 / fps);
}

TEST_F(ShowCapture, BothGreetingsPictures)
{
    // Greetings from 3 100 001, the second from 3 200 001: pass 3 201 024 at frame 4356.
    const Capture run = capture_frames("--from 72.45 --to 72.7");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    expect_picture_change(run, 4347, 4356, 4362, "revizidgreetings.tga", "revizidgreetings2.tga");
}

TEST_F(ShowCapture, CreditsOverTheLastRotationPicture)
{
    // The last rotation picture stays from 3 350 000; the credits cover it from
    // 4 200 001 on: pass 4 200 448 at frame 5715.
    const Capture run = capture_frames("--from 95.2 --to 95.32");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    expect_picture_change(run, 5712, 5715, 5719, "revizid4.tga", "revizidcredits.tga");
}

// The brightest channel above the caption rows.
int tube_max(const Image &frame)
{
    int most = 0;
    for (int y = 0; y < caption_top; y++)
        for (int x = 0; x < frame.width * 3; x++)
            most = std::max<int>(most, frame.rgb[static_cast<size_t>(y) * frame.width * 3 + x]);
    return most;
}

bool same_tube(const Image &a, const Image &b)
{
    const size_t bytes = static_cast<size_t>(caption_top) * a.width * 3;
    return a.rgb.size() == b.rgb.size() && memcmp(a.rgb.data(), b.rgb.data(), bytes) == 0;
}

TEST_F(ShowCapture, FadesToBlackThenTheClosingLine)
{
    const Capture run = capture_frames("--from 107.9 --to 109");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    // Still faintly lit at first. Once the fade has run out the pass draws nothing, so
    // the faintest frame it drew (at most 2 levels above black) stays as it is.
    EXPECT_GT(tube_max(run.frame(6474)), 4);
    uint64_t dark = 0;
    for (uint64_t n = 6474; n < 6540 && !dark; n++)
        if (tube_max(run.frame(n)) <= 2) dark = n;
    ASSERT_GT(dark, 0u) << "never dark";
    EXPECT_LT(dark, 6500u);
    EXPECT_TRUE(same_tube(run.frame(dark + 5), run.frame(6539)));

    // The closing line from position 4 800 001 on: pass 4 800 512, frame 6532.
    EXPECT_EQ(ink_columns(run.frame(6531), caption_top).first, -1);
    const auto [left, right] = ink_columns(run.frame(6532), caption_top);
    ASSERT_GE(left, 0) << "no closing line";
    EXPECT_NEAR((left + right) / 2.0, 960, 40);
}

TEST_F(ShowCapture, TheMusicsEndEndsTheShowAndTheSoundTrackWithIt)
{
    const Capture run = capture_frames("--from 113.2");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    uint64_t last = 6792;
    ASSERT_TRUE(run.has(last));
    while (run.has(last + 1)) last++;
    // The music (5 000 000 frames) ends the show once its last pass is mixed.
    EXPECT_NEAR(static_cast<double>(last) / fps, 5000000.0 / track_rate, 0.1);
    EXPECT_EQ(run.sound().size(), (last + 1 - 6792) * 735 * 2);
    const Image end = run.frame(last);
    EXPECT_LE(tube_max(end), 2);
    EXPECT_GE(ink_columns(end, caption_top).first, 0) << "the closing line stays to the end";
}

TEST_F(ShowCapture, ALateStartGivesTheFramesOfAFullRunInsideTheTube)
{
    // --draw-all draws every frame before the range too, as a capture from the start
    // does; without it only what earlier frames left outside the tube is missing.
    const Capture late = capture_frames("--from 14 --to 14.05", "_late");
    const Capture full = capture_frames("--from 14 --to 14.05 --draw-all", "_full");
    ASSERT_EQ(late.exit_code, 0) << late.err;
    ASSERT_EQ(full.exit_code, 0) << full.err;
    for (uint64_t n = 840; n < 843; n++) {
        const Image a = late.frame(n), b = full.frame(n);
        ASSERT_EQ(a.width, 1920) << n;
        ASSERT_EQ(b.width, 1920) << n;
        const TubeView view = view_of(n);
        int inside = 0, outside = 0;
        for (int y = 0; y < a.height; y++)
            for (int x = 0; x < a.width; x++) {
                if (memcmp(a.at(x, y), b.at(x, y), 3) == 0) continue;
                const bool in = x >= view.x && x < view.x + view.w && y >= view.y && y < view.y + view.h;
                (in ? inside : outside) += 1;
            }
        EXPECT_EQ(inside, 0) << "frame " << n;
        std::printf("frame %llu: %d pixels outside the tube differ\n", static_cast<unsigned long long>(n),
                    outside);
    }
    EXPECT_EQ(slurp(late.dir / "sound.wav"), slurp(full.dir / "sound.wav"));
}

TEST_F(ShowCapture, EveryFrameRateShowsTheSameShowAtTheTimesTheyShare)
{
    // The show runs at 60 frames a second whatever the video's rate; 10 and 25 fps
    // write the frames on screen at their own times (0.2 s apart where 25 and 60 meet).
    // The frames between are drawn only where the next frame written does not draw over
    // (what the tube leaves outside its glass stays on screen), so nothing differs.
    const Capture at60 = capture_frames("--from 14 --to 14.25", "_60");
    const Capture at25 = capture_frames("--fps 25 --from 14 --to 14.25", "_25");
    const Capture at10 = capture_frames("--fps 10 --from 14 --to 14.25", "_10");
    for (const Capture *run : {&at60, &at25, &at10}) ASSERT_EQ(run->exit_code, 0) << run->err;
    EXPECT_FALSE(at25.has(357));
    EXPECT_FALSE(at10.has(143));
    const std::vector<std::pair<const Capture *, std::pair<uint64_t, uint64_t>>> shared = {
        {&at25, {350, 840}},
        {&at25, {355, 852}},
        {&at10, {140, 840}},
        {&at10, {141, 846}},
        {&at10, {142, 852}}};
    for (const auto &[run, frames] : shared) {
        const std::string a = slurp(run->frame_path(frames.first)), b = slurp(at60.frame_path(frames.second));
        EXPECT_FALSE(a.empty()) << frames.first;
        EXPECT_TRUE(a == b) << "frame " << frames.second;
    }
    // The same samples, from the span's start up to where the shorter track ends.
    const std::vector<int16_t> track60 = at60.sound(), track25 = at25.sound(), track10 = at10.sound();
    EXPECT_EQ(track60.size(), 15u * 735 * 2);
    EXPECT_EQ(track25.size(), 7u * 1764 * 2); // 14.28 s: frame 356's end
    EXPECT_EQ(track10.size(), 3u * 4410 * 2);
    EXPECT_TRUE(std::equal(track60.begin(), track60.end(), track25.begin()));
    EXPECT_TRUE(std::equal(track60.begin(), track60.end(), track10.begin()));

    // At 60 s the tube has grown past the screen's sides.
    const Capture late60 = capture_frames("--from 60 --to 60.2", "_late60");
    const Capture late10 = capture_frames("--fps 10 --from 60 --to 60.2", "_late10");
    ASSERT_EQ(late60.exit_code, 0) << late60.err;
    ASSERT_EQ(late10.exit_code, 0) << late10.err;
    for (const uint64_t n : {600, 601}) {
        const std::string a = slurp(late10.frame_path(n));
        EXPECT_FALSE(a.empty()) << n;
        EXPECT_TRUE(a == slurp(late60.frame_path(n * 6))) << "frame " << n * 6;
    }
}

TEST_F(ShowCapture, LeavingOutPassesThatChangeNothingChangesNoPixel)
{
    // The title comes in at frame 655: the scene is drawn again there and kept around
    // it. From about 108.1 s the fade is 0 and the tube pass is left out.
    for (const auto &[span, first] : {std::pair<std::string, uint64_t>{"--from 10.85 --to 11.0", 651},
                                      std::pair<std::string, uint64_t>{"--from 109 --to 109.15", 6540}}) {
        const Capture lean = capture_frames("--mode 720 " + span, "_lean");
        const Capture full =
            capture("--mode 720 " + span, "_full", "", true, quoted(SHOW_CAPTURE_MEASURE) + " redraw");
        ASSERT_EQ(lean.exit_code, 0) << lean.err;
        ASSERT_EQ(full.exit_code, 0) << full.err;
        for (uint64_t n = first; n < first + 9; n++) {
            const std::string a = slurp(lean.frame_path(n));
            EXPECT_FALSE(a.empty()) << n;
            EXPECT_TRUE(a == slurp(full.frame_path(n))) << "frame " << n;
        }
    }
}

TEST_F(ShowCapture, FromTheStartEveryRateGivesTheFramesOfDrawingEveryFrameWhole)
{
    // In the fade-in the frames between those written cannot count on the next one to
    // draw over the tube and are drawn whole.
    const Capture at60 = capture_frames("--mode 720 --to 0.35 --draw-all", "_60");
    const Capture at25 = capture_frames("--mode 720 --fps 25 --to 0.35", "_25");
    const Capture at10 = capture_frames("--mode 720 --fps 10 --to 0.35", "_10");
    for (const Capture *run : {&at60, &at25, &at10}) ASSERT_EQ(run->exit_code, 0) << run->err;
    // Video frame, and the frame of the 60 fps capture at the same time.
    const std::vector<std::pair<const Capture *, std::pair<uint64_t, uint64_t>>> shared = {
        {&at10, {1, 6}}, {&at10, {2, 12}}, {&at10, {3, 18}}, {&at25, {5, 12}}};
    for (const auto &[run, frames] : shared) {
        const std::string a = slurp(run->frame_path(frames.first)), b = slurp(at60.frame_path(frames.second));
        EXPECT_FALSE(a.empty()) << frames.first;
        EXPECT_TRUE(a == b) << "frame " << frames.second;
    }
    const std::vector<int16_t> track60 = at60.sound(), track25 = at25.sound(), track10 = at10.sound();
    ASSERT_EQ(track60.size(), 21u * 735 * 2);
    ASSERT_EQ(track25.size(), 9u * 1764 * 2);
    ASSERT_EQ(track10.size(), 4u * 4410 * 2);
    EXPECT_TRUE(std::equal(track60.begin(), track60.end(), track25.begin()));
    EXPECT_TRUE(std::equal(track60.begin(), track60.end(), track10.begin()));
}

TEST_F(ShowCapture, Mp4WithItsSoundThroughFfmpegTheSameEachTime)
{
    if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg here";
    const fs::path dir = own_folder("mp4");
    for (const std::string name : {"one", "two"}) {
        const Capture run =
            capture("--out " + quoted((dir / (name + ".mp4")).string()) + " --from 11 --to 11.25", name);
        ASSERT_EQ(run.exit_code, 0) << run.err;
    }
    EXPECT_EQ(slurp(dir / "one.mp4"), slurp(dir / "two.mp4"));
    const std::string probe = (dir / "probe.txt").string();
    ASSERT_EQ(
        std::system(("ffprobe -v error -show_entries stream=codec_name,width,height,r_frame_rate,nb_frames,"
                     "sample_rate,channels -of compact " +
                     quoted((dir / "one.mp4").string()) + " >" + quoted(probe))
                        .c_str()),
        0);
    const std::string streams = slurp(probe);
    EXPECT_NE(streams.find("codec_name=h264|width=1920|height=1080|r_frame_rate=60/1|nb_frames=15"),
              std::string::npos)
        << streams;
    EXPECT_NE(streams.find("codec_name=aac|sample_rate=44100|channels=2"), std::string::npos) << streams;
    // Only the videos are left: the parts they were made from are gone.
    int files = 0;
    for (const auto &entry : fs::directory_iterator(dir)) files += entry.path().extension() != ".txt";
    EXPECT_EQ(files, 2);
}

TEST_F(ShowCapture, OutputThatCannotBeWrittenFailsWithoutAFile)
{
    const fs::path dir = own_folder("unwritable");

    // A folder that does not exist.
    const Capture missing = capture("--out " + quoted((dir / "no/such/show.mp4").string()) + " --to 0.1");
    EXPECT_NE(missing.exit_code, 0);
    EXPECT_NE(missing.err.find("cannot write"), std::string::npos) << missing.err;

    // ffmpeg that fails on its first frame.
    fs::create_directories(dir / "bin");
    std::ofstream(dir / "bin/ffmpeg")
        << "#!/bin/sh\nhead -c 1000 >/dev/null\necho 'ffmpeg: no space left' >&2\nexit 1\n";
    fs::permissions(dir / "bin/ffmpeg", fs::perms::owner_all);
    const Capture broken = capture("--out " + quoted((dir / "show.mp4").string()) + " --to 0.5", "",
                                   "PATH=" + quoted((dir / "bin").string() + ":/usr/bin:/bin"));
    EXPECT_NE(broken.exit_code, 0);
    EXPECT_NE(broken.err.find("ffmpeg"), std::string::npos) << broken.err;
    int files = 0;
    for (const auto &entry : fs::directory_iterator(dir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 0) << "left behind in " << dir;
}

// ---- Ending early: signals and writes that fail ----

namespace {

// show_capture started in the background from the folder holding the data, its
// output in `dir`; `prefix` is shell run before it (limits, traps).
bool start_capture(ChildProcess &process, const fs::path &dir, const std::string &args,
                   const std::string &prefix = "")
{
    const std::string script = "cd " + quoted(fs::path(DATA_DIR).parent_path().string()) + " && " + prefix +
                               " exec " + quoted(SHOW_CAPTURE) + " " + args + " 2>" +
                               quoted((dir / "stderr.txt").string());
    return process.start_shell(script, dir / "stdout.txt");
}

// Waits until `path` exists; false when the child ended first or two minutes passed.
bool appears(ChildProcess &process, const fs::path &path)
{
    for (int looks = 0; looks < 12000; looks++) {
        if (fs::exists(path)) return true;
        if (process.wait(0.01)) return fs::exists(path);
    }
    return false;
}

// The names in `dir` other than the test's own stdout.txt and stderr.txt.
std::vector<std::string> left_in(const fs::path &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name != "stdout.txt" && name != "stderr.txt") names.push_back(name);
    }
    return names;
}

} // namespace

// Ctrl-C (SIGINT) or SIGTERM once the first frame is written: the capture says so on
// one line, exits as a shell reports the signal, and leaves neither its frames, nor
// its sound, nor the folder it made.
TEST_F(ShowCapture, SignalsEndAFramesRunWithNothingLeft)
{
    for (const auto &[signal, code] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        const fs::path dir = own_folder("signal" + std::to_string(signal));
        const fs::path frames = dir / "new" / "frames";
        ChildProcess process;
        ASSERT_TRUE(start_capture(process, dir, "--mode 720 --to 60 --frames " + quoted(frames.string())));
        ASSERT_TRUE(appears(process, frames / "frame000001.png")) << slurp(dir / "stderr.txt");
        ASSERT_EQ(kill(static_cast<pid_t>(process.id()), signal), 0);
        const auto sent = std::chrono::steady_clock::now();
        ASSERT_TRUE(process.wait(60)) << "still running a minute after signal " << signal;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        RecordProperty("seconds_to_end_after_signal_" + std::to_string(signal), std::to_string(seconds));

        const std::string err = slurp(dir / "stderr.txt");
        ASSERT_TRUE(WIFEXITED(process.status())) << err;
        EXPECT_EQ(WEXITSTATUS(process.status()), code) << err;
        EXPECT_TRUE(err.ends_with("show_capture: interrupted\n")) << err;
        EXPECT_EQ(err.find("interrupted"), err.rfind("interrupted")) << err;
        EXPECT_EQ(left_in(dir), std::vector<std::string>{}) << "left behind in " << dir;
    }
}

TEST_F(ShowCapture, SignalsEndAnMp4RunWithoutItsParts)
{
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg here";
    const fs::path dir = own_folder("signal-mp4");
    ChildProcess process;
    ASSERT_TRUE(
        start_capture(process, dir, "--mode 720 --to 60 --out " + quoted((dir / "show.mp4").string())));
    ASSERT_TRUE(appears(process, dir / "show.mp4.video.part")) << slurp(dir / "stderr.txt");
    ASSERT_EQ(kill(static_cast<pid_t>(process.id()), SIGINT), 0);
    ASSERT_TRUE(process.wait(60));
    const std::string err = slurp(dir / "stderr.txt");
    ASSERT_TRUE(WIFEXITED(process.status())) << err;
    EXPECT_EQ(WEXITSTATUS(process.status()), 130) << err;
    EXPECT_TRUE(err.ends_with("show_capture: interrupted\n")) << err;
    EXPECT_EQ(left_in(dir), std::vector<std::string>{}) << "left behind in " << dir;
}

// Writes that fail part way under a file-size limit (ulimit -f), as a full disk makes
// the sound's recording fail: past 1 MiB the write fails, where SIGXFSZ would have
// ended the capture with 153, nothing said and its files left. The run fails with its
// reason and takes away what it wrote, keeping a folder that already held something
// else; an MP4 run leaves none of its parts.
TEST_F(ShowCapture, AFramesRunWhoseWritesFailTakesAwayWhatItWrote)
{
    const fs::path dir = own_folder("full");
    const fs::path made = dir / "made", kept = dir / "kept", mp4 = dir / "mp4";
    fs::create_directories(kept);
    fs::create_directories(mp4);
    std::ofstream(kept / "mine.txt") << "mine";
    const bool ffmpeg = std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
    for (const fs::path &out : {made, kept, mp4}) {
        if (out == mp4 && !ffmpeg) continue;
        const std::string output =
            out == mp4 ? "--out " + quoted((mp4 / "show.mp4").string()) : "--frames " + quoted(out.string());
        const std::string recording = out == mp4 ? (mp4 / "show.mp4").string() : out.string();
        ChildProcess process;
        ASSERT_TRUE(
            start_capture(process, dir, "--mode 720 --from 11 --to 11.5 " + output, "ulimit -f 2048 &&"));
        ASSERT_TRUE(process.wait(300));
        const std::string err = slurp(dir / "stderr.txt");
        ASSERT_TRUE(WIFEXITED(process.status())) << "status " << process.status() << "\n" << err;
        EXPECT_EQ(WEXITSTATUS(process.status()), 1) << err;
        EXPECT_NE(err.find("show_capture: the sound could not be recorded to " + recording),
                  std::string::npos)
            << err;
    }
    EXPECT_FALSE(fs::exists(made));
    std::vector<std::string> in_kept;
    for (const auto &entry : fs::directory_iterator(kept))
        in_kept.push_back(entry.path().filename().string());
    EXPECT_EQ(in_kept, std::vector<std::string>{"mine.txt"});
    EXPECT_EQ(left_in(mp4), std::vector<std::string>{}) << "left behind in " << mp4;
}

// An --out that names a folder is refused before the show runs (its own lines on
// standard output never come), with ffmpeg and without (the frames would then go
// beside it), rather than once every frame has been rendered.
TEST_F(ShowCapture, AnOutThatNamesAFolderIsRefusedBeforeTheShowRuns)
{
    const fs::path folder = own_folder("out-folder");
    for (const std::string env : {"", "PATH=/nowhere"}) {
        const Capture run = capture("--out " + quoted(folder.string()) + " --to 60", "", env);
        EXPECT_EQ(run.exit_code, 1) << run.err;
        EXPECT_EQ(run.err, "show_capture: cannot write " + folder.string() +
                               ": it is a folder (--out names the video file)\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(left_in(folder), std::vector<std::string>{});
}

// --frames on a read-only mount (a tmpfs mounted so in a namespace of the run's own,
// where the system lets one be made): one line says why, and since the folder was
// never made nothing is said of keeping it.
TEST_F(ShowCapture, FramesOnAReadOnlyMountAreRefusedWithOneLine)
{
    const fs::path mount = own_folder("read-only");
    // $0 the program, $1 the mount point, then the program's arguments.
    const std::string namespaced = "unshare --user --map-root-user --mount sh -c "
                                   "'mount -t tmpfs -o ro tmpfs \"$1\" && shift && exec \"$0\" \"$@\"' ";
    if (std::system((namespaced + "true " + quoted(mount.string()) + " >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "no read-only mount can be made here (unshare, user namespaces)";
    const fs::path frames = mount / "new" / "frames";
    const Capture run = capture("--to 60 --frames " + quoted(frames.string()), "", "", false,
                                namespaced + quoted(SHOW_CAPTURE) + " " + quoted(mount.string()));
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_EQ(run.err,
              "show_capture: cannot make the folder " + frames.string() + ": Read-only file system\n");
    EXPECT_EQ(run.out, "");
}
