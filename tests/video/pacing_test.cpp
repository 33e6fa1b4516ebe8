// Frame pacing on the host's virtual clock: periods, waits, late frames, the clock's
// wrap and the frame-rate window.
#include "video_fixture.h"

TEST_F(VideoTest, RefreshRatesGivePeriods)
{
    const struct {
        int rate;
        int period;
    } cases[] = {{60, 15},  {50, 18},  {30, 30}, {100, 9}, {144, 6},
                 {-20, 20}, {1000, 1}, {909, 1}, {1, 909}, {-1, 1}};
    for (const auto &c : cases) {
        FENK_SetRefreshRate(c.rate);
        EXPECT_EQ(FENK_video_updatespeed, c.period) << c.rate;
    }
    // 0 has no period of its own: the one in force stays.
    FENK_SetRefreshRate(-40);
    FENK_SetRefreshRate(0);
    EXPECT_EQ(FENK_video_updatespeed, 40);
    FENK_SetRefreshRate(-2147483647 - 1);
    EXPECT_EQ(FENK_video_updatespeed, 2147483647);

    fenk_headless_setclock(12345);
    FENK_SetRefreshRate(60);
    EXPECT_EQ(FENK_video_time, 12345u);
}

TEST_F(VideoTest, WaitRefreshHoldsThePeriodAndDoesNotCarryLateness)
{
    fenk_headless_setclock(1000);
    FENK_SetRefreshRate(60);
    const int frames = FENK_video_numframes;

    // On time: the wait spins until exactly one period has passed.
    EXPECT_EQ(FENK_WaitRefresh(), 1.0f);
    EXPECT_EQ(fenk_headless_clock(), 1015u);
    EXPECT_EQ(FENK_video_time, 1015u);
    EXPECT_EQ(FENK_video_numframes, frames + 1);

    // A frame that took two periods returns at once with 2.0 ...
    fenk_headless_advanceclock(30);
    EXPECT_EQ(FENK_WaitRefresh(), 2.0f);
    EXPECT_EQ(fenk_headless_clock(), 1045u);
    EXPECT_EQ(FENK_video_time, 1045u);
    // ... and the next period is measured from that return.
    EXPECT_EQ(FENK_WaitRefresh(), 1.0f);
    EXPECT_EQ(FENK_video_time, 1060u);

    // Time spent before the wait counts toward the period.
    fenk_headless_advanceclock(10);
    EXPECT_EQ(FENK_WaitRefresh(), 1.0f);
    EXPECT_EQ(FENK_video_time, 1075u);
}

TEST_F(VideoTest, WaitRefreshAcrossTheClockWrap)
{
    // The 32-bit clock wraps inside the period; the wait still ends one period later.
    fenk_headless_setclock(0xFFFFFFF8u);
    FENK_SetRefreshRate(-10);
    EXPECT_EQ(FENK_WaitRefresh(), 1.0f);
    EXPECT_EQ(FENK_video_time, 2u);
    EXPECT_EQ(fenk_headless_clock(), 0x100000002u);
    EXPECT_EQ(FENK_WaitRefresh(), 1.0f);
    EXPECT_EQ(FENK_video_time, 12u);
}

TEST_F(VideoTest, FrameRateWindowOfAtLeastOneSecond)
{
    FENK_video_oldtime = 0; // as at start
    fenk_headless_setclock(50000);
    FENK_SetRefreshRate(-100);
    FENK_GetFPS(); // the first call takes a sample at once: the window starts here
    EXPECT_EQ(FENK_video_oldtime, 50000u);
    EXPECT_EQ(FENK_video_numframes, 0);

    for (int i = 0; i < 9; ++i) FENK_WaitRefresh();
    const int first = FENK_GetFPS();
    EXPECT_EQ(FENK_GetFPS(), first); // 900 ms: no new sample
    FENK_WaitRefresh();
    EXPECT_EQ(FENK_GetFPS(), 10); // 1000 ms, 10 frames
    EXPECT_EQ(FENK_video_numframes, 0);
    for (int i = 0; i < 5; ++i) FENK_WaitRefresh();
    EXPECT_EQ(FENK_GetFPS(), 10);
    // A long gap: the count is of the frames in the window, not scaled to a second.
    fenk_headless_advanceclock(1500);
    EXPECT_EQ(FENK_GetFPS(), 5);
}
