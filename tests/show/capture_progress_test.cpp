// show_capture's progress line: what it counts, the speed it reports, and how often.
#include <gtest/gtest.h>

#include <string>

#include "show/capture_options.h"

namespace {

CaptureProgress progress_of(uint64_t written, uint64_t estimate, uint64_t end = UINT64_MAX)
{
    CaptureProgress progress{};
    progress.end = end;
    progress.estimate = estimate;
    progress.written = written;
    progress.rate = 60;
    capture_start_progress(&progress, 100.0);
    return progress;
}

std::string line_of(CaptureProgress &progress, double now, bool done)
{
    char line[256];
    capture_progress_line(&progress, now, done, line, sizeof line);
    return line;
}

} // namespace

TEST(CaptureProgress, CountsFramesAgainstTheEstimateAndTheRangeAskedFor)
{
    CaptureProgress progress = progress_of(25, 100);
    progress.shown = 150;
    EXPECT_EQ(line_of(progress, 100.5, false),
              "[#######-----------------------] 25/100 frames  show 0:02.5  --:--   \n");
    // A range that ends before the music does counts to its own end, from its first frame.
    progress = progress_of(5, 7000, 2010);
    progress.first = 2000;
    progress.terminal = 1;
    const std::string start = "\r[###############---------------] 5/10 frames  show 0:00.0";
    EXPECT_EQ(line_of(progress, 100.5, false).substr(0, start.size()), start);
    EXPECT_EQ(line_of(progress, 100.5, false).back(), ' ') << "a terminal's line is redrawn in place";
}

TEST(CaptureProgress, TimeLeftFollowsTheSpeedLately)
{
    CaptureProgress progress = progress_of(0, 100);
    capture_restart_speed(&progress, 100.0);
    progress.written = 10;
    EXPECT_NE(line_of(progress, 102.0, false).find("0:18 left"), std::string::npos); // 90 at 5 a second
    progress.written = 40;
    // 30 frames in 2 s, averaged with the 5 a second before: 10 a second, 60 to go.
    EXPECT_NE(line_of(progress, 104.0, false).find("0:06 left"), std::string::npos);
    // Under a second since the last measure: the speed stands.
    progress.written = 90;
    EXPECT_NE(line_of(progress, 104.5, false).find("0:01 left"), std::string::npos);
}

TEST(CaptureProgress, DoneLineTotalsWhatCameUnlessTheCaptureFailed)
{
    CaptureProgress progress = progress_of(6800, 6802);
    const std::string done = line_of(progress, 225.0, true);
    EXPECT_NE(done.find("] 6800/6800 frames"), std::string::npos);
    EXPECT_NE(done.find("2:05 in all"), std::string::npos);
    EXPECT_EQ(done.back(), '\n');
    progress.failed = 1;
    EXPECT_NE(line_of(progress, 225.0, true).find("] 6800/6802 frames"), std::string::npos);
}

TEST(CaptureProgress, ReportsFourTimesASecondOnATerminalAndEveryFiveSecondsElsewhere)
{
    CaptureProgress progress = progress_of(1, 100);
    progress.terminal = 1;
    capture_report_progress(&progress, 100.1, 0);
    EXPECT_EQ(progress.printed, 100.0);
    capture_report_progress(&progress, 100.3, 0);
    EXPECT_EQ(progress.printed, 100.3);
    progress.terminal = 0;
    capture_report_progress(&progress, 104.0, 0);
    EXPECT_EQ(progress.printed, 100.3);
    capture_report_progress(&progress, 104.0, 1);
    EXPECT_EQ(progress.printed, 104.0) << "the last line is always written";
    capture_report_progress(&progress, 109.5, 0);
    EXPECT_EQ(progress.printed, 109.5);
}
