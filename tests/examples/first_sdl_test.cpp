// The windowed Linux build of the first example: it comes up, keeps drawing, and a
// quit request (SDL turns SIGTERM into one, as it does a window close) ends it with 0.
// It runs on a virtual display of its own.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "child_process.h"
#include "scratch.h"

TEST(FirstExample, WindowedRunDrawsUntilAskedToQuit)
{
    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << display.error();
    display.use();
    const ScratchFolder scratch(current_test_tag());
    const auto log = scratch / "first.log";
    // Line-buffered output, so the start-up lines show while it runs.
    ChildProcess process;
    ASSERT_TRUE(process.start({"stdbuf", "-oL", FIRST_SDL}, log));

    // Up means the frame buffer exists; then it must still be running a moment later.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (slurp(log).find("[FENK] Init Framebuffer") == std::string::npos &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(process.wait(0)) << "ended on its own:\n" << slurp(log);

    process.terminate();
    if (!process.wait(10)) {
        process.stop();
        FAIL() << "still running 10 s after the quit request:\n" << slurp(log);
    }
    const int status = process.status();
    EXPECT_TRUE(WIFEXITED(status)) << slurp(log);
    EXPECT_EQ(WEXITSTATUS(status), 0) << slurp(log);
    EXPECT_NE(slurp(log).find("[FENK] Init Framebuffer"), std::string::npos) << slurp(log);
}
