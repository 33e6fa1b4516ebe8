// The windowed Linux build of the first example: it comes up, keeps drawing, and a
// quit request (SDL turns SIGTERM into one, as it does a window close) ends it with 0.
// It runs on a virtual display of its own.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "../child_process.h"

TEST(FirstExample, WindowedRunDrawsUntilAskedToQuit)
{
    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << display.error();
    display.use();
    const auto log =
        std::filesystem::temp_directory_path() / ("fenk_first_sdl_test" + std::to_string(getpid()) + ".log");
    // Line-buffered output, so the start-up lines show while it runs.
    const pid_t pid = spawn_logged("exec stdbuf -oL '" FIRST_SDL "'", log);
    ASSERT_GT(pid, 0);

    // Up means the frame buffer exists; then it must still be running a moment later.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (slurp(log).find("[FENK] Init Framebuffer") == std::string::npos &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(wait_for(pid, 0), -1) << "ended on its own:\n" << slurp(log);

    kill(pid, SIGTERM);
    int status = wait_for(pid, 10);
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "still running 10 s after the quit request:\n" << slurp(log);
    }
    EXPECT_TRUE(WIFEXITED(status)) << slurp(log);
    EXPECT_EQ(WEXITSTATUS(status), 0) << slurp(log);
    EXPECT_NE(slurp(log).find("[FENK] Init Framebuffer"), std::string::npos) << slurp(log);
    std::filesystem::remove(log);
}
