// An output driver without a device, for tests that run the mix passes themselves:
// it sets the fields a real driver sets and never mixes on its own.
#include "sound/audiodriver.h"
#include "sound/coresound.h"

int audiodriver_init(unsigned rate, unsigned bits, int, int flags)
{
    if (rate == 0) return 1;
    soundsystem.bits = (uint16_t)bits;
    soundsystem.channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    if (bits != 8 && bits != 16) return 0;
    soundsystem.bufferlength = SOUNDSYSTEM_BUFFERLENGTH;
    return 1;
}

void audiodriver_close(void) {}

int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    if (buffer) *buffer = nullptr;
    if (size) *size = 0;
    return 1;
}

void audiodriver_submitbuffer(void) {}
