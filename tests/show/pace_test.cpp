// The show's pace fed with the positions a sound device gives: one that mixes a buffer
// of 2048 sample frames as each one is played, at 44 100 Hz.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "show/pace.h"

namespace {

uint64_t mixed_at(double seconds) { return static_cast<uint64_t>(seconds * 44100 / 2048) * 2048; }

struct Paced {
    int64_t steps = 0;
    int fewest = SHOW_MAXSTEPS;
    int most = 0;
    double worst_lag = 0; // steps behind or ahead of 60 a second of music, at worst
};

// A host drawing `fps` frames a second for `seconds`; frame n is drawn at (n + 1) / fps.
Paced frames_at(double fps, double seconds)
{
    ShowPace pace{};
    Paced run;
    for (int n = 0; (n + 1) / fps <= seconds; n++) {
        const double t = (n + 1) / fps;
        const int steps = show_pacesteps(&pace, mixed_at(t), 44100, static_cast<unsigned>(t * 1000));
        run.steps += steps;
        run.fewest = std::min(run.fewest, steps);
        run.most = std::max(run.most, steps);
        if (n > 0) run.worst_lag = std::max(run.worst_lag, std::fabs(t * SHOW_STEPRATE - run.steps));
    }
    return run;
}

} // namespace

TEST(ShowPace, AtSixtyFramesASecondEveryFrameRunsOneStep)
{
    const Paced run = frames_at(60, 300);
    EXPECT_EQ(run.fewest, 1);
    EXPECT_EQ(run.most, 1);
}

TEST(ShowPace, SlowerOrFasterHostsKeepSixtyStepsASecondOfMusic)
{
    // Each frame runs what the music went on by since the frame before, which the
    // buffers it moves by make uneven by up to one buffer's steps.
    const double buffer = 2048.0 * SHOW_STEPRATE / 44100;
    for (double fps : {4.0, 10.0, 25.0, 30.0, 45.0, 66.0}) {
        const Paced run = frames_at(fps, 120);
        EXPECT_GE(run.fewest, std::floor(SHOW_STEPRATE / fps - buffer - 1)) << fps;
        EXPECT_LE(run.most, std::ceil(SHOW_STEPRATE / fps + buffer + 1)) << fps;
        // Behind by the pace's slack and a buffer at most, never drifting.
        EXPECT_LE(run.worst_lag, 5) << fps;
    }
    EXPECT_EQ(frames_at(66, 120).fewest, 0);
}

TEST(ShowPace, MusicThatDoesNotMoveLetsEachFrameRunOneStep)
{
    // No sound device: the position stays 0. After half a second the frames pace the
    // show; when the music starts, the show goes on from where it is.
    ShowPace pace{};
    int64_t steps = 0;
    for (int n = 0; n < 120; n++) steps += show_pacesteps(&pace, 0, 44100, n * 1000 / 60);
    EXPECT_GE(steps, 120 - 30);
    EXPECT_EQ(show_pacesteps(&pace, 0, 44100, 2000), 1);
    EXPECT_EQ(show_pacesteps(&pace, 2048, 44100, 2017), 1);
}

TEST(ShowPace, ALongStallIsRunAMinuteOfMusicAFrame)
{
    ShowPace pace{};
    EXPECT_EQ(show_pacesteps(&pace, 0, 44100, 0), 1);
    // 150 s of music went by in one frame.
    EXPECT_EQ(show_pacesteps(&pace, mixed_at(150), 44100, 150000), SHOW_MAXSTEPS);
    EXPECT_EQ(show_pacesteps(&pace, mixed_at(150.02), 44100, 150020), SHOW_MAXSTEPS);
    const int rest = show_pacesteps(&pace, mixed_at(150.04), 44100, 150040);
    EXPECT_NEAR(pace.steps, 150.04 * SHOW_STEPRATE, 3);
    EXPECT_GT(rest, 1000);
}

TEST(ShowPace, MusicGoingBackCountsOnFromWhereItIs)
{
    ShowPace pace{};
    for (int n = 0; n < 600; n++) show_pacesteps(&pace, mixed_at((n + 1) / 60.0), 44100, (n + 1) * 1000 / 60);
    // Back to the start: the show does not wait ten seconds for its music.
    EXPECT_EQ(show_pacesteps(&pace, 0, 44100, 10020), 1);
    EXPECT_EQ(show_pacesteps(&pace, mixed_at(0.03), 44100, 10040), 1);
}
