// The output driver of the sound fuzz targets: no device; each target runs the mix
// passes itself with audiodriver_mixbuffers. Also their start: the scratch folder
// mounted as the data the sounds are read from.
#include <stdint.h>

#include "scratch.h"
#include "sound/audiodriver.h"
#include "sound/coresound.h"

extern "C" int audiodriver_init(unsigned rate, unsigned bits, int, int flags)
{
    if (rate == 0) return 1;
    soundsystem.bits = (uint16_t)bits;
    soundsystem.channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    soundsystem.bufferlength = SOUNDSYSTEM_BUFFERLENGTH;
    return bits == 8 || bits == 16;
}
extern "C" void audiodriver_close(void) {}
extern "C" int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    if (buffer) *buffer = nullptr;
    if (size) *size = 0;
    return 1;
}
extern "C" void audiodriver_submitbuffer(void) {}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::mountscratch();
    return 0;
}
