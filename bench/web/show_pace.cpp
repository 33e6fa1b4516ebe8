// The show's pace on the headless host, measured as the web page measures it in
// Chromium (bench/web/show_fps.py runs both): 1280 x 720, the virtual clock at 30
// frames a second, frames before FROM run undrawn, then COUNT frames drawn, presented
// and read back (no file written). Run from the folder holding `data`.
//   show_pace FROM COUNT   -> "native: F frames a second"
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "hosts/driver_headless.h"
#include "show/main.h"

namespace {

using Clock = std::chrono::steady_clock;

uint64_t from, count;
Clock::time_point start;
double fps;

int plan(uint64_t frame, void *) { return frame < from ? FENK_HEADLESS_UNDRAWN : FENK_HEADLESS_SHOWN; }

void sink(int, int, const unsigned char *, uint64_t frame, uint32_t, void *)
{
    if (frame == from) start = Clock::now();
    if (frame == from + count) {
        fps = static_cast<double>(count) / std::chrono::duration<double>(Clock::now() - start).count();
        fenk_headless_key(0x1B, 1);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        fputs("usage: show_pace FROM COUNT\n", stderr);
        return 2;
    }
    from = strtoull(argv[1], nullptr, 10);
    count = strtoull(argv[2], nullptr, 10);
    show_videowidth = 1280;
    show_videoheight = 720;
    show_videoflags = 0;
    fenk_headless_setframerate(30);
    fenk_headless_setframeplan(plan, nullptr);
    fenk_headless_setframesink(sink, nullptr);
    char *args[] = {argv[0], nullptr};
    fenk_headless_run(1, args);
    if (fps <= 0) {
        fputs("show_pace: the show ended before the frames were drawn\n", stderr);
        return 1;
    }
    printf("native: %.2f frames a second\n", fps);
    return 0;
}
