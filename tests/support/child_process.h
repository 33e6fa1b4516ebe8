// Programs run by the tests as child processes: started with their output in a log
// file, waited for with a limit, stopped when they outlive it; and on Linux a
// virtual X display of a test's own for the window programs it runs.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The whole text of a file; empty when it cannot be read.
inline std::string slurp(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ChildProcess {
public:
    ChildProcess() = default;
    // A child still running is stopped: a failed test leaves no program behind.
    ~ChildProcess();

    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts the program argv[0] with the rest as its arguments. Its standard output
    // goes to `log` (standard error too with `errors_too`); an empty `log` leaves
    // both as this process has them.
    bool start(const std::vector<std::string> &argv, const std::filesystem::path &log,
               bool errors_too = true);
    // Runs `sh -c script` (POSIX only), output and errors to `log`.
    bool start_shell(const std::string &script, const std::filesystem::path &log);

    bool started() const { return started_; }
    // Waits up to `seconds` (at least one look); true once the child has ended.
    bool wait(double seconds);
    // Waits for the child to end, however long it takes; true once it has.
    bool join();
    // Ends the child at once (SIGKILL, or TerminateProcess with code 0xFFFF) and
    // waits for it.
    void stop();
    // Asks it to end (SIGTERM; POSIX only).
    void terminate();
    // The POSIX wait status, or the Windows exit code; -1 while it runs.
    int status() const { return status_; }
    long id() const { return id_; }
    // Processor seconds the ended child used, user and system, with the children it
    // waited for (POSIX); -1 while it runs.
    double cpu_seconds() const { return cpu_seconds_; }

private:
    bool started_ = false;
    bool ended_ = false;
    int status_ = -1;
    long id_ = -1;
    double cpu_seconds_ = -1;
    void *handle_ = nullptr;
};

// A virtual X display (Xvfb) that only this test uses, so window tests running at once
// never share the input focus, the pointer or the key state: on a shared server a new
// window can take the focus, and SDL then lets go of keys the test holds. The root is
// black (-br), so a window that is "lit" has been drawn into. The server picks a free
// display number itself and writes it when it accepts connections (-displayfd), which
// cannot race as picking a number from the lock files in /tmp can. Its use() makes it
// this process's DISPLAY, which the programs the test starts inherit. The server ends
// with the object, or with this thread if the test dies first. POSIX only.
class PrivateDisplay {
public:
    explicit PrivateDisplay(const char *screen = "1920x1080x24");
    ~PrivateDisplay();

    PrivateDisplay(const PrivateDisplay &) = delete;
    PrivateDisplay &operator=(const PrivateDisplay &) = delete;

    bool ok() const { return !name_.empty(); }
    const std::string &name() const { return name_; }
    const std::string &error() const { return error_; }

    // X11 from here on, for this process and the programs it starts.
    void use() const;

private:
    long pid_ = -1;
    std::string name_, error_, log_;
};
