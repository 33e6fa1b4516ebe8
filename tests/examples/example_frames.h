// What the examples' tests share: running an example's headless build (the shared
// runner, example_headless_main.cpp) in a folder of its own, and reading back the
// frames it writes. The headless host is Linux only, and so are these.
#pragma once

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    // 0xRRGGBB at (x, y), top row 0.
    unsigned at(int x, int y) const
    {
        const unsigned char *p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return p[0] << 16 | p[1] << 8 | p[2];
    }
};

// An empty frame when the file is missing or not a whole PPM picture.
inline Frame read_frame(const std::filesystem::path &path)
{
    Frame frame;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> frame.width >> frame.height >> maxval;
    in.get();
    if (!in || magic != "P6" || maxval != 255 || frame.width <= 0 || frame.height <= 0) return Frame{};
    frame.rgb.resize(static_cast<size_t>(frame.width) * frame.height * 3);
    in.read(reinterpret_cast<char *>(frame.rgb.data()), static_cast<std::streamsize>(frame.rgb.size()));
    if (!in) return Frame{};
    return frame;
}

// Runs `program folder frames options...` (options split at spaces) with its standard
// output in folder/run.log; the exit code, or -1 when it did not end normally.
inline int run_example(const std::string &program, const std::filesystem::path &folder, int frames,
                       const std::string &options = "")
{
    std::filesystem::create_directories(folder);
    std::vector<std::string> argv = {program, folder.string(), std::to_string(frames)};
    std::istringstream words(options);
    for (std::string word; words >> word;) argv.push_back(word);
    ChildProcess child;
    if (!child.start(argv, folder / "run.log", false) || !child.join()) return -1;
    return WIFEXITED(child.status()) ? WEXITSTATUS(child.status()) : -1;
}

inline std::string read_log(const std::filesystem::path &folder)
{
    std::ifstream in(folder / "run.log");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
