// Programs run by the tests as child processes: started through the shell with their
// output in a log file, waited for with a limit, their log read back; and a virtual X
// display of a test's own for the window programs it runs.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

extern char **environ;

inline std::string slurp(const std::filesystem::path &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs `sh -c script` with standard output and error in `log`; returns the pid, or -1.
inline pid_t spawn_logged(const std::string &script, const std::filesystem::path &log)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    char sh[] = "sh", dash_c[] = "-c";
    char *argv[] = {sh, dash_c, const_cast<char *>(script.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, sh, &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits up to `seconds` (at least one look) for the child to end; returns its wait
// status, or -1 while it still runs.
inline int wait_for(pid_t pid, double seconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    do {
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < until);
    return -1;
}

// A virtual X display (Xvfb) that only this test uses, so window tests running at once
// never share the input focus, the pointer or the key state: on a shared server a new
// window can take the focus, and SDL then lets go of keys the test holds. The root is
// black (-br), so a window that is "lit" has been drawn into. The server picks a free
// display number itself and writes it when it accepts connections (-displayfd), which
// cannot race as picking a number from the lock files in /tmp can. Its use() makes it
// this process's DISPLAY, which the programs the test starts inherit. The server ends
// with the object, or with this thread if the test dies first.
class PrivateDisplay {
public:
    explicit PrivateDisplay(const char *screen = "1920x1080x24")
    {
        char log[] = "/tmp/fenk_xvfb_XXXXXX";
        const int logfd = mkostemp(log, O_CLOEXEC);
        int ready[2];
        if (logfd < 0 || pipe2(ready, O_CLOEXEC) != 0) {
            error_ = "no log file or pipe for Xvfb";
            if (logfd >= 0) {
                close(logfd);
                unlink(log);
            }
            return;
        }
        log_ = log;
        const std::string fd = std::to_string(ready[1]);
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(1);
            dup2(logfd, 1);
            dup2(logfd, 2);
            fcntl(ready[1], F_SETFD, 0);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-br", "-nolisten",
                   "tcp", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(logfd);
        close(ready[1]);
        if (pid_ < 0) {
            error_ = "could not start Xvfb";
            close(ready[0]);
            return;
        }
        // The number, then a newline; end of file means the server did not come up.
        std::string number;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        pollfd readable{ready[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < until) {
            if (poll(&readable, 1, 100) <= 0) continue;
            char text[16];
            const ssize_t n = read(ready[0], text, sizeof text);
            if (n <= 0) break;
            number.append(text, static_cast<size_t>(n));
        }
        close(ready[0]);
        if (number.empty() || number.find('\n') == std::string::npos) {
            error_ = "Xvfb gave no display number:\n" + slurp(log_);
            return;
        }
        name_ = ":" + number.substr(0, number.find('\n'));
    }

    ~PrivateDisplay()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            if (wait_for(pid_, 5) == -1) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
        }
        if (!log_.empty()) unlink(log_.c_str());
    }

    PrivateDisplay(const PrivateDisplay &) = delete;
    PrivateDisplay &operator=(const PrivateDisplay &) = delete;

    bool ok() const { return !name_.empty(); }
    const std::string &name() const { return name_; }
    const std::string &error() const { return error_; }

    // X11 from here on, for this process and the programs it starts.
    void use() const
    {
        setenv("DISPLAY", name_.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
    }

private:
    pid_t pid_ = -1;
    std::string name_, error_, log_;
};
