// The files example on the headless host over a scratch folder of known files: the
// listing and the file's content appear in what it prints and draws.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/core.h"
#include "hosts/driver_headless.h"
#include "scratch.h"
#include "stdout_capture.h"

namespace {

struct Capture {
    std::vector<unsigned char> frame;
    int width = 0;
    int seen = 0;
};

// Keeps the second frame (the first drawn after a whole loop) and presses Escape.
void keep_frame_then_escape(int width, int height, const unsigned char *rgba, uint64_t, uint32_t, void *user)
{
    auto *run = static_cast<Capture *>(user);
    if (++run->seen != 2) return;
    run->width = width;
    run->frame.assign(rgba, rgba + static_cast<size_t>(width) * height * 4);
    fenk_headless_key(0x1B, 1);
}

class FilesExample : public ScratchTest {
protected:
    static void put(const std::filesystem::path &path, const std::string &bytes)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::string run_example(std::vector<std::string> arguments)
    {
        std::vector<char *> argv;
        for (std::string &argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        run_ = Capture{};
        fenk_headless_key(0x1B, 0); // left down by an earlier run
        fenk_headless_setframerate(60);
        fenk_headless_setframesink(keep_frame_then_escape, &run_);
        int result = -1;
        const std::string lines =
            printed([&] { result = fenk_headless_run(static_cast<int>(argv.size() - 1), argv.data()); });
        fenk_headless_setframesink(nullptr, nullptr);
        EXPECT_EQ(result, 0) << lines;
        return lines;
    }

    unsigned pixel(int x, int y) const
    {
        const unsigned char *p = &run_.frame[(static_cast<size_t>(y) * run_.width + x) * 4];
        return p[0] << 16 | p[1] << 8 | p[2];
    }

    Capture run_;
};

void expect_lines(const std::string &lines, const std::vector<std::string> &expected)
{
    for (const std::string &line : expected)
        EXPECT_NE(lines.find(line + "\n"), std::string::npos) << "\"" << line << "\" missing from:\n"
                                                              << lines;
}

} // namespace

TEST_F(FilesExample, ListsTheFolderAndPrintsTheFileItReads)
{
    put("data/hello.txt", std::string("Hello, files!\nsecond\x01line\n"));
    put("data/big.bin", std::string(300, 'b'));
    put("data/notes/todo.txt", "later");

    const std::string lines = run_example({"files", "data", "hello.txt"});
    expect_lines(lines, {"data holds 3 files; its top directory:", "  [notes]", "  hello.txt  26 bytes",
                         "  big.bin  300 bytes", "hello.txt, 26 bytes, begins:", "| Hello, files!",
                         "| second.line"});
    EXPECT_EQ(lines.find("  todo.txt"), std::string::npos) << "a member of a subdirectory was listed:\n"
                                                           << lines;

    // The file's first bytes as greys: 'H' (0x48), then 'e' (0x65).
    ASSERT_FALSE(run_.frame.empty());
    EXPECT_EQ(pixel(405, 15), 0x484848u);
    EXPECT_EQ(pixel(419, 15), 0x656565u);
    // The directory comes first in the listing, as a blue bar.
    EXPECT_EQ(pixel(15, 15) & 0xFF, 0xFFu);
}

TEST_F(FilesExample, ReadsTheFirstFileListedUnlessNamedAndSurvivesAMissingOne)
{
    put("data/only.txt", "just this");
    expect_lines(run_example({"files", "data"}), {"only.txt, 9 bytes, begins:", "| just this"});
    expect_lines(run_example({"files", "data", "missing.txt"}), {"cannot open missing.txt"});
}
