// The sound example on the headless host, its sound recorded: the stream's tone has
// its frequency, each voice sits on its side, and the music's position moves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hosts/audiodriver_headless.h"
#include "hosts/driver_headless.h"
#include "scratch.h"
#include "stdout_capture.h"

namespace {

constexpr int device_rate = 44100;

struct Capture {
    std::string recording;
    uint64_t frames = 0;
    uint64_t seen = 0;
};

// Records from the first presented frame (sound starts with that frame's clock) and
// presses Escape once `frames` frames are out.
void sink(int, int, const unsigned char *, uint64_t, uint32_t, void *user)
{
    auto *run = static_cast<Capture *>(user);
    if (run->seen == 0) audiodriver_headless_record(run->recording.c_str());
    if (++run->seen == run->frames) fenk_headless_key(0x1B, 1);
}

struct Side {
    std::vector<double> samples;

    // Sign changes per second over [from, to) seconds.
    double crossing_rate(double from, double to) const
    {
        const size_t a = static_cast<size_t>(from * device_rate), b = static_cast<size_t>(to * device_rate);
        int crossings = 0;
        for (size_t i = a + 1; i < b; ++i) crossings += (samples[i - 1] < 0) != (samples[i] < 0);
        return crossings / (2 * (to - from));
    }

    // The amplitude of one frequency over [from, to) seconds (a single DFT bin).
    double amplitude(double hz, double from, double to) const
    {
        const size_t a = static_cast<size_t>(from * device_rate), b = static_cast<size_t>(to * device_rate);
        double re = 0, im = 0;
        for (size_t i = a; i < b; ++i) {
            const double angle = 2 * M_PI * hz * static_cast<double>(i) / device_rate;
            re += samples[i] * std::cos(angle);
            im += samples[i] * std::sin(angle);
        }
        return 2 * std::hypot(re, im) / static_cast<double>(b - a);
    }
};

// One run of the example for five seconds, its sound kept as two sides.
struct Played {
    int result = -1;
    std::string lines;
    Side left, right;
};

Played play(std::vector<std::string> arguments)
{
    const ScratchFolder scratch("SoundExample");
    Capture capture{(scratch / "sound.wav").string(), 5 * 60};
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    Played run;
    fenk_headless_key(0x1B, 0); // left down by an earlier run
    fenk_headless_setframerate(60);
    fenk_headless_setframesink(sink, &capture);
    run.lines =
        printed([&] { run.result = fenk_headless_run(static_cast<int>(arguments.size()), argv.data()); });
    fenk_headless_setframesink(nullptr, nullptr);
    audiodriver_headless_stoprecord();

    // 16-bit stereo after the 44-byte header; the four silent buffers a device plays
    // first are cut, so time 0 is where the example's first frame is heard.
    std::ifstream in(capture.recording, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    const size_t skip = 44 + 4 * 2048 * 4;
    for (size_t i = skip; i + 3 < bytes.size(); i += 4) {
        run.left.samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | bytes[i + 1] << 8));
        run.right.samples.push_back(
            static_cast<int16_t>(static_cast<uint8_t>(bytes[i + 2]) | bytes[i + 3] << 8));
    }
    return run;
}

class SoundExample : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Played run = play({"sound"});
        result = run.result;
        printed_lines = run.lines;
        left = run.left;
        right = run.right;
    }

    static inline int result = -1;
    static inline std::string printed_lines;
    static inline Side left, right;
};

} // namespace

TEST_F(SoundExample, RunsUntilEscapeAndAnnouncesEachPart)
{
    EXPECT_EQ(result, 0);
    for (const char *line :
         {"0 s: 440 Hz tone", "1 s: 330 Hz voice", "2 s: 550 Hz voice", "3 s: melody as music"})
        EXPECT_NE(printed_lines.find(line), std::string::npos) << line << " missing from:\n" << printed_lines;
    // Nearly five seconds of sound were recorded.
    ASSERT_GT(left.samples.size(), static_cast<size_t>(4.5 * device_rate));
}

TEST_F(SoundExample, TheStreamPlaysItsToneAlone)
{
    ASSERT_GT(left.samples.size(), static_cast<size_t>(device_rate));
    // The margins cover the device's buffer-sized steps.
    EXPECT_NEAR(left.crossing_rate(0.1, 0.9), 440, 3);
    EXPECT_NEAR(right.crossing_rate(0.1, 0.9), 440, 3);
    EXPECT_NEAR(left.amplitude(440, 0.1, 0.9), right.amplitude(440, 0.1, 0.9), 1);
    // Centred, each side gets half of the tone's 8000.
    EXPECT_NEAR(left.amplitude(440, 0.1, 0.9), 4000, 200);
}

TEST_F(SoundExample, EachVoiceIsHeardOnlyOnItsSide)
{
    ASSERT_GT(left.samples.size(), static_cast<size_t>(3 * device_rate));
    // From 1 s the left voice joins; the right side still has the tone alone.
    EXPECT_NEAR(left.amplitude(330, 1.1, 1.9), 8000, 300);
    EXPECT_LT(right.amplitude(330, 1.1, 1.9), 50);
    EXPECT_NEAR(right.crossing_rate(1.1, 1.9), 440, 3);
    // From 2 s the right voice, quieter by its volume (160 of 255).
    const double quiet = right.amplitude(550, 2.1, 2.9);
    EXPECT_NEAR(quiet, 8000 * 160 / 255.0, 300);
    EXPECT_LT(left.amplitude(550, 2.1, 2.9), 50);
}

TEST_F(SoundExample, TheMusicPositionMovesThroughItsNotes)
{
    size_t at = printed_lines.find("music position ");
    ASSERT_NE(at, std::string::npos) << printed_lines;
    for (const char *line : {"note 1\n", "note 2\n", "note 3\n"}) {
        at = printed_lines.find(line, at);
        EXPECT_NE(at, std::string::npos) << line << " missing from:\n" << printed_lines;
    }
}

// Named on the command line, an Ogg Vorbis track streams from the data folder as the
// music in place of the melody: its 660 Hz (amplitude 0.5 of full scale, centred, so
// half on each side at the music's volume) joins the tone at 3 s.
class SoundExampleTrack : public ScratchTest {};

TEST_F(SoundExampleTrack, StreamsTheOggFileNamedOnTheCommandLineAsItsMusic)
{
    std::filesystem::create_directories("data");
    std::filesystem::copy_file(TRACK_OGG, "data/track660.ogg");
    const Played run = play({"sound", "track660.ogg"});
    EXPECT_EQ(run.result, 0) << run.lines;
    EXPECT_NE(run.lines.find("3 s: track as music\n"), std::string::npos) << run.lines;
    EXPECT_NE(run.lines.find("quarter 2\n"), std::string::npos) << run.lines;
    ASSERT_GT(run.left.samples.size(), static_cast<size_t>(4.5 * device_rate));
    EXPECT_LT(run.left.amplitude(660, 2.1, 2.9), 50);
    const double heard = run.left.amplitude(660, 3.2, 4.4);
    EXPECT_NEAR(heard, run.right.amplitude(660, 3.2, 4.4), 1);
    EXPECT_GT(heard, 1500);
}
