#include "stdout_capture.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

std::string capture_path()
{
    static std::atomic<unsigned> count{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string name = "fenk-stdout-" + std::to_string(stamp) + "-" +
                             std::to_string(std::random_device()()) + "-" + std::to_string(count++);
    return (std::filesystem::temp_directory_path() / name).string();
}

} // namespace

StdoutCapture::StdoutCapture() : path_(capture_path())
{
    // Binary, so a Windows C library writes the bytes as they are, without CR.
    file_ = open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_BINARY, S_IREAD | S_IWRITE);
    if (file_ < 0) return;
    fflush(stdout);
    saved_ = dup(fileno(stdout));
    dup2(file_, fileno(stdout));
}

StdoutCapture::~StdoutCapture() { finish(); }

std::string StdoutCapture::finish()
{
    if (file_ < 0) return "";
    fflush(stdout);
    if (saved_ >= 0) {
        dup2(saved_, fileno(stdout));
        close(saved_);
        saved_ = -1;
    }
    std::string text;
    char buffer[4096];
    lseek(file_, 0, SEEK_SET);
    for (int n; (n = static_cast<int>(read(file_, buffer, sizeof buffer))) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    close(file_);
    file_ = -1;
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    return text;
}
