// The shared test helpers: they stand under every other test, so a fault here would
// show as a fault of the engine.
#include <gtest/gtest.h>
#include <stdio.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "scratch.h"
#include "stdout_capture.h"

namespace fs = std::filesystem;

TEST(StdoutCapture, TakesPrintfAndPutsAndGivesTheStreamBack)
{
    StdoutCapture outer;
    EXPECT_EQ(printed([] {
                  printf("%d lines\n", 2);
                  puts("second");
                  fputs("no end", stdout);
              }),
              "2 lines\nsecond\nno end");
    // Unflushed text from before the capture stays out of it.
    printf("before ");
    EXPECT_EQ(printed([] { printf("inside"); }), "inside");
    printf("after");
    EXPECT_EQ(outer.finish(), "before after");
    EXPECT_EQ(outer.finish(), "");
}

TEST(ScratchFolder, EachIsItsOwnAndGoesWithItsObject)
{
    fs::path kept;
    {
        const ScratchFolder one("support"), two("support");
        ASSERT_TRUE(fs::is_directory(one.path()));
        EXPECT_NE(one.path(), two.path());
        EXPECT_TRUE(one.path().is_absolute());
        std::ofstream(one / "file") << "x";
        fs::create_directories(one / "a" / "b");
        kept = one.path();
    }
    EXPECT_FALSE(fs::exists(kept));

    {
        ScratchFolder evidence("support");
        evidence.keep();
        kept = evidence.path();
    }
    EXPECT_TRUE(fs::is_directory(kept));
    fs::remove_all(kept);
}

class ScratchWorkingDirectory : public ScratchTest {};

TEST_F(ScratchWorkingDirectory, IsTheTestsOwnFolder)
{
    EXPECT_EQ(fs::current_path(), root_);
    EXPECT_NE(root_.filename().string().find("ScratchWorkingDirectory.IsTheTestsOwnFolder"),
              std::string::npos);
}

// A shell's commands: an exit code, a line on each stream; or a wait longer than any
// test waits.
#ifdef _WIN32
const std::vector<std::string> exits_three = {"cmd", "/c", "echo out& echo err 1>&2& exit 3"};
const std::vector<std::string> hangs = {"cmd", "/c", "ping -n 60 127.0.0.1 >nul"};
#else
const std::vector<std::string> exits_three = {"sh", "-c", "echo out; echo err >&2; exit 3"};
const std::vector<std::string> hangs = {"sleep", "60"};
#endif

int exit_code(int status)
{
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

TEST(ChildProcess, LogsBothStreamsAndGivesTheExitCode)
{
    const ScratchFolder scratch(current_test_tag());
    ChildProcess child;
    ASSERT_TRUE(child.start(exits_three, scratch / "log"));
    ASSERT_TRUE(child.wait(30));
    EXPECT_EQ(exit_code(child.status()), 3);
    const std::string log = slurp(scratch / "log");
    EXPECT_NE(log.find("out"), std::string::npos) << log;
    EXPECT_NE(log.find("err"), std::string::npos) << log;

    ChildProcess quiet;
    ASSERT_TRUE(quiet.start(exits_three, scratch / "quiet", false));
    ASSERT_TRUE(quiet.wait(30));
    EXPECT_EQ(slurp(scratch / "quiet").find("err"), std::string::npos);
}

TEST(ChildProcess, OneThatHangsIsStopped)
{
    const ScratchFolder scratch(current_test_tag());
    ChildProcess child;
    ASSERT_TRUE(child.start(hangs, scratch / "log"));
    EXPECT_FALSE(child.wait(0));
    EXPECT_EQ(child.status(), -1);
    child.stop();
    EXPECT_TRUE(child.wait(0));
    EXPECT_NE(exit_code(child.status()), 0);

    ChildProcess missing;
    EXPECT_FALSE(missing.start({"/no/such/program"}, scratch / "missing") && missing.wait(30) &&
                 exit_code(missing.status()) == 0);
}
