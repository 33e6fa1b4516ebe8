#include <windows.h>

#include "child_process.h"

namespace {

std::string quoted(const std::string &arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    return "\"" + arg + "\"";
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (started_ && !ended_) stop();
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

bool ChildProcess::start(const std::vector<std::string> &argv, const std::filesystem::path &log,
                         bool errors_too)
{
    if (started_ || argv.empty()) return false;
    std::string command;
    for (const std::string &arg : argv) command += (command.empty() ? "" : " ") + quoted(arg);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!log.empty()) {
        // Shared for reading, so the test can watch the log while the child writes it.
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
        output = CreateFileA(log.string().c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
        if (output == INVALID_HANDLE_VALUE) return false;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = errors_too ? output : GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process = {};
    started_ = CreateProcessA(NULL, &command[0], NULL, NULL, output != INVALID_HANDLE_VALUE, 0, NULL, NULL,
                              &startup, &process) != 0;
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    if (!started_) return false;
    CloseHandle(process.hThread);
    handle_ = process.hProcess;
    id_ = static_cast<long>(process.dwProcessId);
    return true;
}

bool ChildProcess::start_shell(const std::string &, const std::filesystem::path &) { return false; }

bool ChildProcess::wait(double seconds)
{
    if (!started_) return false;
    if (ended_) return true;
    const DWORD millis = seconds <= 0 ? 0 : static_cast<DWORD>(seconds * 1000);
    if (WaitForSingleObject(static_cast<HANDLE>(handle_), millis) != WAIT_OBJECT_0) return false;
    DWORD code = 0xFFFF;
    GetExitCodeProcess(static_cast<HANDLE>(handle_), &code);
    status_ = static_cast<int>(code);
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(static_cast<HANDLE>(handle_), &created, &exited, &kernel, &user)) {
        const auto ticks = [](FILETIME t) {
            return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        cpu_seconds_ = (ticks(kernel) + ticks(user)) / 1e7;
    }
    ended_ = true;
    return true;
}

bool ChildProcess::join()
{
    while (started_ && !ended_)
        if (wait(60)) return true;
    return ended_;
}

void ChildProcess::stop()
{
    if (!started_ || ended_) return;
    TerminateProcess(static_cast<HANDLE>(handle_), 0xFFFF);
    WaitForSingleObject(static_cast<HANDLE>(handle_), 5000);
    status_ = 0xFFFF;
    ended_ = true;
}

void ChildProcess::terminate() {}

PrivateDisplay::PrivateDisplay(const char *) { error_ = "no X display on Windows"; }

PrivateDisplay::~PrivateDisplay() {}

void PrivateDisplay::use() const {}
