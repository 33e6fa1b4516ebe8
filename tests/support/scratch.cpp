#include "scratch.h"

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>
#include <system_error>

ScratchFolder::ScratchFolder(const std::string &tag)
{
    static std::atomic<unsigned> count{0};
    // The clock and a random number stand for the process: both differ between two
    // processes started at once, and no platform call is needed for them.
    std::random_device random;
    for (int attempt = 0; attempt < 100; attempt++) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                                ("fenk-" + tag + "-" + std::to_string(stamp) + "-" +
                                                 std::to_string(random()) + "-" + std::to_string(count++));
        std::error_code error;
        // create_directory is false for a folder already there: never share one.
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no scratch folder for " + tag);
}

ScratchFolder::~ScratchFolder()
{
    if (keep_ || path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
