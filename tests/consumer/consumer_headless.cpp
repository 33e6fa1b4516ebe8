// The headless host's entry: runs coremain and checks what reached the screen.
#include <stdio.h>

#include "consumer.h"
#include "hosts/driver_headless.h"

namespace {

struct Seen {
    uint64_t frames = 0;
    unsigned centre = 0;
};

void keep_frame(int width, int height, const unsigned char *rgba, uint64_t, uint32_t, void *user)
{
    auto *seen = static_cast<Seen *>(user);
    ++seen->frames;
    if (!rgba) return;
    const unsigned char *p = rgba + (static_cast<size_t>(height / 2) * width + width / 2) * 4;
    seen->centre = p[0] << 16 | p[1] << 8 | p[2];
}

} // namespace

int main(int argc, char **argv)
{
    Seen seen;
    fenk_headless_setframerate(60);
    fenk_headless_setframesink(keep_frame, &seen);
    const int result = fenk_headless_run(argc, argv);
    if (result != 0 || seen.frames != CONSUMER_FRAMES || seen.centre != CONSUMER_RGB) {
        printf("consumer: coremain gave %d, %llu frames, centre %06x (wanted %d frames of %06x)\n", result,
               static_cast<unsigned long long>(seen.frames), seen.centre, CONSUMER_FRAMES, CONSUMER_RGB);
        return 1;
    }
    printf("consumer: centre pixel %06x\n", seen.centre);
    return 0;
}
