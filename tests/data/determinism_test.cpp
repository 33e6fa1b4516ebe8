// A second run of the generator gives the bytes the build made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "data_files.h"
#include "scratch.h"

namespace {

namespace fs = std::filesystem;

TEST(Generator, SecondRunGivesIdenticalBytes)
{
    const ScratchFolder scratch(current_test_tag());
    const fs::path dir = scratch / "data";
    std::string command = std::string("\"") + MAKEDATA_PROGRAM + "\" \"" + dir.string() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    size_t compared = 0;
    for (const fs::directory_entry &e : fs::directory_iterator(DATA_DIR)) {
        std::string name = e.path().filename().string();
        SCOPED_TRACE(name);
        EXPECT_TRUE(fs::exists(dir / name)) << "not made again";
        EXPECT_TRUE(read_bytes(e.path().string()) == read_bytes((dir / name).string()));
        ++compared;
    }
    size_t made = 0;
    for (const fs::directory_entry &e : fs::directory_iterator(dir)) {
        std::string name = e.path().filename().string();
        EXPECT_EQ(name, fs::path(name).filename().string());
        for (char c : name) EXPECT_FALSE(c >= 'A' && c <= 'Z') << name << ": file names are lower case";
        ++made;
    }
    EXPECT_EQ(made, compared);
    EXPECT_EQ(made, 21u);
}

} // namespace
