// The windowed Linux build of the first example: it comes up, keeps drawing, and a
// quit request (SDL turns SIGTERM into one, as it does a window close) ends it with 0.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

extern char **environ;

namespace {

std::string slurp(const std::filesystem::path &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits up to `seconds` for the child to end; returns its wait status, or -1.
int wait_for(pid_t pid, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < until) {
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

}  // namespace

TEST(FirstExample, WindowedRunDrawsUntilAskedToQuit) {
    const auto log = std::filesystem::temp_directory_path() / "fenk_first_sdl_test.log";
    std::filesystem::remove(log);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // Line-buffered output, so the start-up lines show while it runs.
    char stdbuf[] = "stdbuf", lines[] = "-oL", program[] = FIRST_SDL;
    char *argv[] = {stdbuf, lines, program, nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawnp(&pid, stdbuf, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);

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
