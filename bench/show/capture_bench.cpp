// Capture throughput: show_capture over the same span the old way (every pass of every
// frame drawn, the presentation pass too, the window read at once) and the new way (the
// frame read from the frame buffer it was drawn in, passes that change no pixel left
// out), in one run. Each way runs twice, over a short and a long span from the same
// start, so that start-up and the undrawn frames before the span cancel out: the frame
// rate is that of the frames the long span adds. The two ways must give the same bytes.
//
//   capture_bench [--mode 1080|720] [--from S] [--seconds S] [--fps N]
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "child_process.h"
#include "scratch.h"

namespace {

struct Options {
    std::string mode = "1080";
    double from = 20;
    double seconds = 3;
    int fps = 60;
};

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Took {
    double wall = -1; // seconds
    double cpu = -1;  // processor seconds of show_capture and its ffmpeg, all threads
};

// Runs one capture into `out`; a negative wall time when it failed.
Took capture(const Options &o, bool old_way, double to, const std::string &out)
{
    // The old way is the capture with the old passes and read-back turned back on.
    std::vector<std::string> args = {old_way ? SHOW_CAPTURE_MEASURE : SHOW_CAPTURE,
                                     "--mode",
                                     o.mode,
                                     "--fps",
                                     std::to_string(o.fps),
                                     "--from",
                                     std::to_string(o.from),
                                     "--to",
                                     std::to_string(to),
                                     "--out",
                                     out};
    if (old_way) args.insert(args.begin() + 1, "old");
    const auto start = std::chrono::steady_clock::now();
    ChildProcess child;
    if (!child.start(args, "/dev/null")) {
        fprintf(stderr, "capture_bench: cannot run %s\n", SHOW_CAPTURE);
        return {};
    }
    child.join();
    const int status = child.status();
    Took took;
    took.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Counts the children show_capture waited for too.
    took.cpu = child.cpu_seconds();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "capture_bench: show_capture failed (status %d)\n", status);
        return {};
    }
    return took;
}

bool parse(int argc, char **argv, Options *o)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char *value = argv[i + 1];
        if (name == "--mode")
            o->mode = value;
        else if (name == "--from")
            o->from = atof(value);
        else if (name == "--seconds")
            o->seconds = atof(value);
        else if (name == "--fps")
            o->fps = atoi(value);
        else
            return false;
    }
    return argc % 2 == 1 && o->seconds > 0.5 && o->fps > 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (!parse(argc, argv, &o)) {
        fprintf(stderr, "Usage: capture_bench [--mode 1080|720] [--from S] [--seconds S] [--fps N]\n");
        return 2;
    }
    // show_capture runs where the data folder is.
    if (chdir(DATA_PARENT) != 0) {
        fprintf(stderr, "capture_bench: cannot enter %s\n", DATA_PARENT);
        return 1;
    }
    const ScratchFolder scratch("capture-bench");
    const std::string folder = scratch.path().string();
    const double short_span = 0.5;
    const int frames = static_cast<int>((o.seconds - short_span) * o.fps + 0.5);
    printf("show_capture --mode %s --fps %d from %g s: the %d frames from %g s to %g s\n", o.mode.c_str(),
           o.fps, o.from, frames, o.from + short_span, o.from + o.seconds);

    // Processor time is the steadier measure on a shared machine; on an idle one the
    // wall clock is what a user waits.
    double rate[2] = {0, 0}, cpu[2] = {0, 0};
    std::string bytes[2];
    for (int way = 0; way < 2; ++way) {
        const bool old_way = way == 0;
        const std::string base = folder + (old_way ? "/old" : "/new");
        const Took head = capture(o, old_way, o.from + short_span, base + "_short.mp4");
        const Took whole = capture(o, old_way, o.from + o.seconds, base + ".mp4");
        if (head.wall < 0 || whole.wall < 0) return 1;
        rate[way] = frames / (whole.wall - head.wall);
        cpu[way] = (whole.cpu - head.cpu) * 1000 / frames;
        bytes[way] = read_file(base + ".mp4");
        printf("  %-44s %6.2f frames/s %7.1f processor ms a frame  (%.1f s with start-up)\n",
               old_way ? "old: every pass, window read" : "new: passes that draw, frame buffer read",
               rate[way], cpu[way], whole.wall);
        fflush(stdout);
    }
    printf("  speed-up %.2fx (wall), %.2fx (processor); same bytes: %s\n", rate[1] / rate[0], cpu[0] / cpu[1],
           !bytes[0].empty() && bytes[0] == bytes[1] ? "yes" : "NO");
    return bytes[0] == bytes[1] ? 0 : 1;
}
