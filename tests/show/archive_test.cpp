// A release archive unpacked into an empty folder holds one folder with the three
// programs, the data folder as the build wrote it and the text, with the line ends
// of its platform; the Linux programs load only libraries the text names.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "archive.h"
#include "child_process.h"
#include "scratch.h"

namespace fs = std::filesystem;

namespace {

// Relative paths of the regular files below `root`, in order.
std::vector<std::string> files_below(const fs::path &root)
{
    std::vector<std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(ShowArchive, HoldsProgramsDataAndText)
{
    const fs::path archive = archive_under_test();
    const bool windows = archive.extension() == ".zip";
    const ScratchFolder scratch(current_test_tag());
    std::string error;
    const fs::path top = unpack(archive, scratch.path(), error);
    ASSERT_FALSE(top.empty()) << error;

    const char *suffix = windows ? ".exe" : "";
    for (const char *name : {"show_1080", "show_720", "show_1080_full"}) {
        const fs::path program = top / (std::string(name) + suffix);
        ASSERT_TRUE(fs::is_regular_file(program)) << program;
        EXPECT_GT(fs::file_size(program), 10000u) << program;
        if (!windows) {
            EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none) << program;
        }
    }

    // The data exactly as the build wrote it: the same files, the same bytes.
    const std::vector<std::string> data = files_below(DATA_DIR);
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(files_below(top / "data"), data);
    for (const std::string &file : data)
        EXPECT_TRUE(slurp(top / "data" / file) == slurp(fs::path(DATA_DIR) / file)) << file << " differs";

    const std::string text = slurp(top / "README.txt");
    ASSERT_FALSE(text.empty());
    for (const char *word : {"Gravolt - Zoppeldraai", "show_1080", "show_720", "show_1080_full", "Escape"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
    // Windows' Notepad before 2018 shows a file of bare LF ends as one long line.
    const long lines = std::count(text.begin(), text.end(), '\n');
    const long returns = std::count(text.begin(), text.end(), '\r');
    EXPECT_EQ(returns, windows ? lines : 0) << "line ends";
    EXPECT_EQ(text.back(), '\n');

    // Every library a Linux program loads comes with Debian 12 itself (the C and C++
    // runtime) or from a package the text tells the user to install.
    if (!windows) {
        const std::map<std::string, std::string> package_of = {{"libSDL2-2.0.so.0", "libsdl2-2.0-0"},
                                                               {"libX11.so.6", "libx11-6"},
                                                               {"libGLEW.so.2.2", "libglew2.2"},
                                                               {"libGLX.so.0", "libglx0"},
                                                               {"libOpenGL.so.0", "libopengl0"},
                                                               {"libGL.so.1", "libgl1"},
                                                               {"libEGL.so.1", "libegl1"},
                                                               {"libstdc++.so.6", ""},
                                                               {"libm.so.6", ""},
                                                               {"libgcc_s.so.1", ""},
                                                               {"libc.so.6", ""}};
        const fs::path log = scratch / "needed.log";
        ChildProcess readelf;
        ASSERT_TRUE(readelf.start({"readelf", "-d", (top / "show_1080").string()}, log) && readelf.join());
        std::istringstream dynamic(slurp(log));
        int needed = 0;
        for (std::string line; std::getline(dynamic, line);) {
            const auto at = line.find("(NEEDED)");
            if (at == std::string::npos) continue;
            const auto from = line.find('[') + 1;
            const std::string library = line.substr(from, line.find(']') - from);
            const auto package = package_of.find(library);
            if (package == package_of.end()) {
                ADD_FAILURE() << "needs " << library << ", from no package the test knows";
            } else if (!package->second.empty()) {
                EXPECT_NE(text.find(package->second), std::string::npos)
                    << "no " << package->second << " for " << library;
            }
            needed++;
        }
        EXPECT_GT(needed, 0) << slurp(log);
    }
}
