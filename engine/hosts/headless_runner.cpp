// main() for a program on the headless host (the library fenk::headless_runner, installed
// as FENK::headless_runner and fenk-headless-runner): the program's coremain at 60 frames a
// second on the virtual clock, each presented frame written as a PPM picture, keys and
// mouse buttons held down over chosen frames, the pointer moved and the window closed at
// chosen frames, and Escape pressed after the asked number of frames.
//
//   <name>_headless [folder [frames]] [--key VK:FROM[:TO]]... [--button B:FROM[:TO]]...
//                   [--mouse X:Y:FRAME]... [--close FRAME] [--save FRAME]...
//
// <name> is the program's own name without "_headless". Defaults: folder <name>_frames, 60 frames, every
// frame saved unless --save names some. Frame n is written as <name>_NNNN.ppm. --key holds virtual key VK
// (decimal or 0x hex) down while frames FROM to TO - 1 are drawn, to the end without TO: the key goes down as
// frame FROM - 1 is presented, so the program reads it before drawing FROM. --button does the same for mouse
// button B (1 left, 2 right, 4 middle), --mouse puts the pointer on window pixel (X, Y) for frame FRAME on,
// and --close closes the window before frame FRAME is drawn.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "hosts/driver_headless.h"

namespace {

constexpr int escape_key = 0x1B;

// A key or a mouse button held down over frames.
struct Hold {
    bool button; // a mouse button (its bit), else a virtual key
    int code;
    uint64_t from;
    uint64_t to; // 0: held to the end
};

struct Move {
    int x, y;
    uint64_t frame;
};

struct Run {
    std::string name;
    std::string folder;
    uint64_t frames = 60;
    std::vector<Hold> holds;
    std::vector<Move> moves;
    uint64_t close = 0;       // 0: never
    std::set<uint64_t> saved; // empty: all
    bool failed = false;
};

void press(const Hold &hold, bool down)
{
    if (hold.button)
        fenk_headless_mousebutton(hold.code, down);
    else
        fenk_headless_key(hold.code, down);
}

// What the script does before frame `frame` is drawn.
void before_frame(const Run &run, uint64_t frame)
{
    for (const Move &move : run.moves)
        if (move.frame == frame) fenk_headless_mousemove(move.x, move.y);
    for (const Hold &hold : run.holds) {
        if (hold.from == frame) press(hold, true);
        if (hold.to == frame) press(hold, false);
    }
    if (run.close && run.close == frame) fenk_headless_close();
}

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
    // The program reads its input before it draws the next frame.
    before_frame(*run, frame + 1);
    if (frame + 1 >= run->frames) fenk_headless_key(escape_key, 1);
}

// VK:FROM[:TO] or B:FROM[:TO].
bool parse_hold(const char *text, bool button, Hold &hold)
{
    char *end = nullptr;
    hold.button = button;
    hold.code = static_cast<int>(strtol(text, &end, 0));
    const bool known =
        button ? hold.code == 1 || hold.code == 2 || hold.code == 4 : hold.code > 0 && hold.code <= 255;
    if (*end != ':' || !known) return false;
    hold.from = strtoull(end + 1, &end, 10);
    hold.to = 0;
    if (*end == ':') hold.to = strtoull(end + 1, &end, 10);
    return *end == '\0' && (hold.to == 0 || hold.to > hold.from);
}

// X:Y:FRAME.
bool parse_move(const char *text, Move &move)
{
    char *end = nullptr;
    move.x = static_cast<int>(strtol(text, &end, 10));
    if (*end != ':') return false;
    move.y = static_cast<int>(strtol(end + 1, &end, 10));
    if (*end != ':') return false;
    move.frame = strtoull(end + 1, &end, 10);
    return *end == '\0';
}

bool parse_frame(const char *text, uint64_t &frame)
{
    char *end = nullptr;
    frame = strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

bool parse(int argc, char **argv, Run &run)
{
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takes_value =
            arg == "--key" || arg == "--button" || arg == "--mouse" || arg == "--close" || arg == "--save";
        if (takes_value && i + 1 < argc) {
            const char *value = argv[++i];
            Hold hold{};
            Move move{};
            uint64_t frame = 0;
            if (arg == "--save" && parse_frame(value, frame))
                run.saved.insert(frame);
            else if (arg == "--close" && parse_frame(value, frame) && frame > 0)
                run.close = frame;
            else if (arg == "--mouse" && parse_move(value, move))
                run.moves.push_back(move);
            else if ((arg == "--key" || arg == "--button") && parse_hold(value, arg == "--button", hold))
                run.holds.push_back(hold);
            else
                return false;
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
        printf("usage: %s [folder [frames]] [--key VK:FROM[:TO]]... [--button B:FROM[:TO]]... "
               "[--mouse X:Y:FRAME]... [--close FRAME] [--save FRAME]...\n",
               argv[0]);
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(run.folder, error);
    before_frame(run, 0);

    // Frame n is shown at n * 1000 / 60 ms of the virtual clock.
    fenk_headless_setframerate(60);
    fenk_headless_setframesink(take_frame, &run);
    const int result = fenk_headless_run(argc, argv);
    printf("%llu frames presented, pictures in %s\n",
           static_cast<unsigned long long>(fenk_headless_framecount()), run.folder.c_str());
    return run.failed ? 1 : result;
}
