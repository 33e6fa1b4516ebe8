// The engine's console log: levels filter the engine's own lines, every line ends in a
// line feed and a long one comes out whole.
#include <gtest/gtest.h>

#include <string>

#include "graphics2d/corebitmap.h"
#include "platform/log.h"
#include "stdout_capture.h"

namespace {

class Log : public ::testing::Test {
protected:
    void TearDown() override { FENK_SetLogLevel(FENK_LOG_ALL); }

    static std::string all_levels()
    {
        return printed([] {
            fenk_log(FENK_LOG_INFO, "info %d", 1);
            fenk_log(FENK_LOG_WARNING, "warning %d\n", 2);
            fenk_log(FENK_LOG_ERROR, "error %s", "three");
        });
    }
};

TEST_F(Log, EachLevelPrintsItselfAndWhatIsAbove)
{
    EXPECT_EQ(FENK_GetLogLevel(), FENK_LOG_ALL); // the default: everything, as always
    EXPECT_EQ(all_levels(), "info 1\nwarning 2\nerror three\n");
    FENK_SetLogLevel(FENK_LOG_INFO);
    EXPECT_EQ(all_levels(), "info 1\nwarning 2\nerror three\n");
    FENK_SetLogLevel(FENK_LOG_WARNING);
    EXPECT_EQ(all_levels(), "warning 2\nerror three\n");
    FENK_SetLogLevel(FENK_LOG_ERROR);
    EXPECT_EQ(all_levels(), "error three\n");
    FENK_SetLogLevel(FENK_LOG_NONE);
    EXPECT_EQ(all_levels(), "");

    // Out of range: the nearer end.
    FENK_SetLogLevel(99);
    EXPECT_EQ(FENK_GetLogLevel(), FENK_LOG_NONE);
    FENK_SetLogLevel(-5);
    EXPECT_EQ(FENK_GetLogLevel(), FENK_LOG_ALL);
}

TEST_F(Log, LinesEndInOneLineFeedAndLongOnesComeWhole)
{
    EXPECT_EQ(printed([] { fenk_log(FENK_LOG_INFO, "%s", ""); }), "\n");
    EXPECT_EQ(printed([] { fenk_log(FENK_LOG_INFO, "two\nlines"); }), "two\nlines\n");
    for (size_t length : {510u, 511u, 512u, 5000u}) {
        const std::string text(length, 'x');
        EXPECT_EQ(printed([&] { fenk_log(FENK_LOG_ERROR, "%s", text.c_str()); }), text + "\n") << length;
    }
    EXPECT_EQ(printed([] { fenk_log(FENK_LOG_ERROR, nullptr); }), "");
}

TEST_F(Log, TheEnginesMessagesFollowTheLevel)
{
    s_bitmap picture = {};
    // A name this reader refuses: one error line, no load.
    EXPECT_NE(printed([&] { FENK_LoadBitmap("picture.bmp", &picture); }), "");
    FENK_SetLogLevel(FENK_LOG_NONE);
    EXPECT_EQ(printed([&] { FENK_LoadBitmap("picture.bmp", &picture); }), "");
    FENK_SetLogLevel(FENK_LOG_ERROR);
    EXPECT_NE(printed([&] { FENK_LoadBitmap("picture.bmp", &picture); }).find("File format not supported."),
              std::string::npos);
}

} // namespace
