// The show at the pace this machine draws it: on the headless host with its clock set
// to the wall clock at every frame, the virtual sound device following it, so the show
// runs as a window on this renderer would, catching up whatever it cannot draw. From
// FROM s of music on, for SECONDS s of music, it counts the frames drawn and the steps
// of the show's pace they ran (60 a second of music, all but one a frame undrawn).
//   show_live [FROM [SECONDS [WIDTH HEIGHT]]]   (defaults 10, 10, 1280 x 720)
// Run from the folder holding `data`. Prints one line:
//   live: F frames a second, S steps a frame, U steps a second run undrawn
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "hosts/driver_headless.h"
#include "show/main.h"

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point start;
double from = 10, seconds = 10;
uint64_t first_frame, first_steps, frames, steps;
double first_wall, wall;

double now() { return std::chrono::duration<double>(Clock::now() - start).count(); }

void sink(int, int, const unsigned char *, uint64_t frame, uint32_t, void *)
{
    const double music = Soundsystem_ReadSoundOffset(&demomusic) / 44100.0;
    if (!first_wall && music >= from) {
        first_frame = frame;
        first_steps = cameraframe;
        first_wall = now();
    } else if (first_wall && !frames && music >= from + seconds) {
        frames = frame - first_frame;
        steps = cameraframe - first_steps;
        wall = now() - first_wall;
        fenk_headless_key(0x1B, 1);
    }
    // The pacing's wait moves the clock on by a frame time at least; the wall clock
    // moves it on further when the frame took longer.
    const uint64_t millis = static_cast<uint64_t>(now() * 1000);
    if (millis > fenk_headless_clock()) fenk_headless_setclock(millis);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1) from = atof(argv[1]);
    if (argc > 2) seconds = atof(argv[2]);
    show_videowidth = argc > 4 ? atoi(argv[3]) : 1280;
    show_videoheight = argc > 4 ? atoi(argv[4]) : 720;
    show_videoflags = 0;
    start = Clock::now();
    fenk_headless_setframesink(sink, nullptr);
    char *args[] = {argv[0], nullptr};
    fenk_headless_run(1, args);
    if (!frames) {
        fputs("show_live: the show ended before the span was drawn\n", stderr);
        return 1;
    }
    printf("live: %.2f frames a second, %.2f steps a frame, %.1f steps a second run undrawn\n", frames / wall,
           static_cast<double>(steps) / frames, (steps - frames) / wall);
    return 0;
}
