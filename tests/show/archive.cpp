#include "archive.h"

#include <sys/wait.h>

#include <cstdlib>
#include <vector>

#include "child_process.h"

namespace fs = std::filesystem;

fs::path archive_under_test()
{
    const char *archive = getenv("SHOW_ARCHIVE");
    return archive ? fs::path(archive) : fs::path(LINUX_ARCHIVE);
}

fs::path unpack(const fs::path &archive, const fs::path &folder, std::string &error)
{
    if (!fs::is_regular_file(archive)) {
        error = "no archive " + archive.string() + " (build the target package_linux or package_windows)";
        return {};
    }
    const std::string command = archive.extension() == ".zip"
                                    ? "'" CMAKE_COMMAND "' -E tar xf '" + archive.string() + "'"
                                    : "tar xzf '" + archive.string() + "'";
    const fs::path log = folder / "unpack.log";
    ChildProcess process;
    if (!process.start_shell("cd '" + folder.string() + "' && " + command, log) || !process.join() ||
        !WIFEXITED(process.status()) || WEXITSTATUS(process.status()) != 0) {
        error = command + " failed:\n" + slurp(log);
        return {};
    }
    fs::remove(log);
    std::vector<std::string> top;
    for (const auto &entry : fs::directory_iterator(folder)) top.push_back(entry.path().filename().string());
    if (top != std::vector<std::string>{"gravolt-zoppeldraai"} || !fs::is_directory(folder / top[0])) {
        error = "the archive's top level is not the one folder gravolt-zoppeldraai";
        return {};
    }
    return folder / top[0];
}
