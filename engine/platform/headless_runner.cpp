// main() for a program on the headless host (the library fenk::headless_runner, installed
// as FENK::headless_runner and fenk-headless-runner): the program's coremain at 60 frames a
// second on the virtual clock, each presented frame written as a PPM picture, keys held
// down over chosen frames, and Escape pressed after the asked number of frames.
//
//   <name>_headless [folder [frames]] [--key VK:FROM[:TO]]... [--save FRAME]...
//
// <name> is the program's own name without "_headless". Defaults: folder <name>_frames, 60 frames, every
// frame saved unless --save names some. Frame n is written as <name>_NNNN.ppm. --key holds virtual key VK
// (decimal or 0x hex) down while frames FROM to TO - 1 are drawn, to the end without TO: the key goes down as
// frame FROM - 1 is presented, so the program reads it before drawing FROM.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/driver_headless.h"

namespace {

constexpr int escape_key = 0x1B;

struct KeyHold {
    int vk;
    uint64_t from;
    uint64_t to; // 0: held to the end
};

struct Run {
    std::string name;
    std::string folder;
    uint64_t frames = 60;
    std::vector<KeyHold> keys;
    std::set<uint64_t> saved; // empty: all
    bool failed = false;
};

bool write_ppm(const std::string &path, int width, int height, const unsigned char *rgba)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return false;
    fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (int i = 0; i < width * height; ++i) fwrite(rgba + i * 4, 1, 3, file);
    return fclose(file) == 0;
}

void take_frame(int width, int height, const unsigned char *rgba, uint64_t frame, uint32_t, void *user)
{
    auto *run = static_cast<Run *>(user);
    if (rgba && (run->saved.empty() || run->saved.count(frame))) {
        char name[64];
        snprintf(name, sizeof(name), "%s_%04llu.ppm", run->name.c_str(),
                 static_cast<unsigned long long>(frame));
        const std::string path = run->folder + "/" + name;
        if (!write_ppm(path, width, height, rgba)) {
            printf("- ERROR: Cannot write %s\n", path.c_str());
            run->failed = true;
            fenk_headless_key(escape_key, 1);
            return;
        }
    }
    // The program reads the keys before it draws the next frame.
    for (const KeyHold &key : run->keys) {
        if (key.from == frame + 1) fenk_headless_key(key.vk, 1);
        if (key.to == frame + 1) fenk_headless_key(key.vk, 0);
    }
    if (frame + 1 >= run->frames) fenk_headless_key(escape_key, 1);
}

bool parse_key(const char *text, KeyHold &key)
{
    char *end = nullptr;
    key.vk = static_cast<int>(strtol(text, &end, 0));
    if (*end != ':' || key.vk <= 0 || key.vk > 255) return false;
    key.from = strtoull(end + 1, &end, 10);
    key.to = 0;
    if (*end == ':') key.to = strtoull(end + 1, &end, 10);
    return *end == '\0' && (key.to == 0 || key.to > key.from);
}

bool parse(int argc, char **argv, Run &run)
{
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--key" || arg == "--save") && i + 1 < argc) {
            const char *value = argv[++i];
            if (arg == "--save") {
                run.saved.insert(strtoull(value, nullptr, 10));
                continue;
            }
            KeyHold key{};
            if (!parse_key(value, key)) return false;
            run.keys.push_back(key);
        } else if (positional == 0) {
            run.folder = arg;
            ++positional;
        } else if (positional == 1) {
            run.frames = strtoull(arg.c_str(), nullptr, 10);
            ++positional;
        } else {
            return false;
        }
    }
    if (run.frames < 1) run.frames = 1;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    Run run;
    run.name = std::filesystem::path(argv[0]).stem().string();
    const std::string suffix = "_headless";
    if (run.name.size() > suffix.size() &&
        run.name.compare(run.name.size() - suffix.size(), suffix.size(), suffix) == 0)
        run.name.resize(run.name.size() - suffix.size());
    run.folder = run.name + "_frames";
    if (!parse(argc, argv, run)) {
        printf("usage: %s [folder [frames]] [--key VK:FROM[:TO]]... [--save FRAME]...\n", argv[0]);
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(run.folder, error);
    for (const KeyHold &key : run.keys) {
        if (key.from == 0) fenk_headless_key(key.vk, 1);
    }

    // Frame n is shown at n * 1000 / 60 ms of the virtual clock.
    fenk_headless_setframerate(60);
    fenk_headless_setframesink(take_frame, &run);
    const int result = fenk_headless_run(argc, argv);
    printf("%llu frames presented, pictures in %s\n",
           static_cast<unsigned long long>(fenk_headless_framecount()), run.folder.c_str());
    return run.failed ? 1 : result;
}
