// What the web page may ask the show while it runs: the steps of its pace run so far
// and the music's position, for the tests and the benchmarks that compare its frames
// with the capture's frame of the same step.
#include <emscripten.h>

#include "show/main.h"

extern "C" EMSCRIPTEN_KEEPALIVE int show_steps(void) { return cameraframe; }

extern "C" EMSCRIPTEN_KEEPALIVE double show_position(void)
{
    return (double)Soundsystem_ReadSoundOffset(&demomusic);
}
