// The music: a canonical WAV of the length the show plays, never clipping, never falling
// silent inside the piece, and lifting where the pictures change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "data_files.h"

namespace {

constexpr int frames = 5000000;
constexpr int bar = 100000;
constexpr int peak_limit = 29204; // -1 dBFS of full scale 32767

class Music : public testing::Test {
protected:
    static void SetUpTestSuite() { file = new std::vector<uint8_t>(read_bytes(data_path("revizid.wav"))); }
    static void TearDownTestSuite()
    {
        delete file;
        file = nullptr;
    }

    static int16_t sample(int frame, int channel)
    {
        size_t at = 44 + (size_t(frame) * 2 + channel) * 2;
        return int16_t((*file)[at] | (*file)[at + 1] << 8);
    }
    static double rms(int from, int to)
    {
        double sum = 0;
        for (int i = from; i < to; ++i)
            for (int c = 0; c < 2; ++c) sum += double(sample(i, c)) * sample(i, c);
        return std::sqrt(sum / (2.0 * (to - from)));
    }

    static std::vector<uint8_t> *file;
};
std::vector<uint8_t> *Music::file = nullptr;

TEST_F(Music, HeaderIsCanonicalAndLengthExact)
{
    ASSERT_EQ(file->size(), 44u + size_t(frames) * 4);
    auto u32 = [&](size_t at) {
        return uint32_t((*file)[at] | (*file)[at + 1] << 8 | (*file)[at + 2] << 16 |
                        uint32_t((*file)[at + 3]) << 24);
    };
    auto u16 = [&](size_t at) { return (*file)[at] | (*file)[at + 1] << 8; };
    EXPECT_EQ(std::memcmp(file->data(), "RIFF", 4), 0);
    EXPECT_EQ(u32(4), 36u + frames * 4u);
    EXPECT_EQ(std::memcmp(file->data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(u32(16), 16u);
    EXPECT_EQ(u16(20), 1); // PCM
    EXPECT_EQ(u16(22), 2); // stereo
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 44100u * 4);
    EXPECT_EQ(u16(32), 4);
    EXPECT_EQ(u16(34), 16);
    EXPECT_EQ(std::memcmp(file->data() + 36, "data", 4), 0);
    EXPECT_EQ(u32(40), frames * 4u);
}

TEST_F(Music, PeaksBelowOneDecibelUnderFullScaleAndNeverFallsSilent)
{
    ASSERT_EQ(file->size(), 44u + size_t(frames) * 4);
    int peak = 0, quiet = 0, longest_quiet = 0;
    for (int i = 0; i < frames; ++i) {
        int l = std::abs(int(sample(i, 0))), r = std::abs(int(sample(i, 1)));
        peak = std::max(peak, std::max(l, r));
        // About -66 dBFS: inaudible under the show.
        quiet = l <= 16 && r <= 16 ? quiet + 1 : 0;
        longest_quiet = std::max(longest_quiet, quiet);
    }
    EXPECT_LE(peak, peak_limit);
    EXPECT_GT(peak, peak_limit * 8 / 10) << "the mix is scaled far below its headroom";
    EXPECT_LT(longest_quiet, bar);
}

TEST_F(Music, LiftsAtTheTitleHitAndWhereTheMelodyStarts)
{
    ASSERT_EQ(file->size(), 44u + size_t(frames) * 4);
    const int title = 480000;
    EXPECT_GT(rms(title, title + bar / 2), 1.25 * rms(title - bar / 2, title));
    EXPECT_GT(rms(6 * bar, 7 * bar), 1.1 * rms(5 * bar, 6 * bar));
    // The intro builds while the background fades in.
    EXPECT_GT(rms(2 * bar, 3 * bar), rms(0, bar));
    EXPECT_GT(rms(0, bar), 0.0);
}

} // namespace
