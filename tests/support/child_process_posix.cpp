#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "child_process.h"

extern char **environ;

namespace {

// Waits up to `seconds` (at least one look) for the child to end; returns its wait
// status, or -1 while it still runs.
int wait_for(pid_t pid, double seconds, rusage *usage = nullptr)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    do {
        if (wait4(pid, &status, WNOHANG, usage) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < until);
    return -1;
}

double seconds_of(const rusage &usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (started_ && !ended_) stop();
}

bool ChildProcess::start(const std::vector<std::string> &argv, const std::filesystem::path &log,
                         bool errors_too)
{
    if (started_ || argv.empty()) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!log.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errors_too) posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    std::vector<char *> args;
    for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    // A bare name is looked up on PATH, as a shell would.
    started_ = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    id_ = started_ ? pid : -1;
    return started_;
}

bool ChildProcess::start_shell(const std::string &script, const std::filesystem::path &log)
{
    return start({"sh", "-c", script}, log);
}

bool ChildProcess::wait(double seconds)
{
    if (!started_) return false;
    if (ended_) return true;
    rusage usage{};
    const int status = wait_for(static_cast<pid_t>(id_), seconds, &usage);
    if (status == -1) return false;
    status_ = status;
    cpu_seconds_ = seconds_of(usage);
    ended_ = true;
    return true;
}

bool ChildProcess::join()
{
    if (!started_) return false;
    if (ended_) return true;
    int status = 0;
    rusage usage{};
    if (wait4(static_cast<pid_t>(id_), &status, 0, &usage) != id_) return false;
    status_ = status;
    cpu_seconds_ = seconds_of(usage);
    ended_ = true;
    return true;
}

void ChildProcess::stop()
{
    if (!started_ || ended_) return;
    kill(static_cast<pid_t>(id_), SIGKILL);
    int status = 0;
    rusage usage{};
    if (wait4(static_cast<pid_t>(id_), &status, 0, &usage) == id_) {
        status_ = status;
        cpu_seconds_ = seconds_of(usage);
    }
    ended_ = true;
}

void ChildProcess::terminate()
{
    if (started_ && !ended_) kill(static_cast<pid_t>(id_), SIGTERM);
}

PrivateDisplay::PrivateDisplay(const char *screen)
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
    // fork rather than posix_spawn: the server must die with this thread.
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        dup2(logfd, 1);
        dup2(logfd, 2);
        fcntl(ready[1], F_SETFD, 0);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-br", "-nolisten", "tcp",
               static_cast<char *>(nullptr));
        _exit(127);
    }
    pid_ = pid;
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

PrivateDisplay::~PrivateDisplay()
{
    if (pid_ > 0) {
        kill(static_cast<pid_t>(pid_), SIGTERM);
        if (wait_for(static_cast<pid_t>(pid_), 5) == -1) {
            kill(static_cast<pid_t>(pid_), SIGKILL);
            waitpid(static_cast<pid_t>(pid_), nullptr, 0);
        }
    }
    if (!log_.empty()) unlink(log_.c_str());
}

void PrivateDisplay::use() const
{
    setenv("DISPLAY", name_.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
}
