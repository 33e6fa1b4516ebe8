// The stand-in audio driver a new backend starts from: no device, so the silent device
// consumes the ring at the real pace and the sound's positions (a program's clock)
// advance as with a sound card. A real driver opens its device here and calls
// audiodriver_mixbuffers once per 2048-frame buffer the device has consumed.
#include <cstdlib>

#include "sound/audiodriver.h"
#include "sound/audiodriver_silent.h"
#include "sound/coresound.h"

namespace {

struct TemplateAudio {
    unsigned char *ring;
    int sample_size;
    int buffer_size;
} audio;

} // namespace

int audiodriver_init(unsigned rate, unsigned bits, int frames, int flags)
{
    (void)frames;
    if (rate == 0) return 1;
    audiodriver_close();
    audio.ring = audiodriver_makering(bits, flags, &audio.sample_size, &audio.buffer_size);
    if (!audio.ring) return 0;
    if (!audiodriver_silent_start(audio.ring, audio.buffer_size, rate)) {
        audiodriver_close();
        return 0;
    }
    soundsystem_lock();
    soundsystem.bufferlength = (uint32_t)(audio.buffer_size / audio.sample_size);
    soundsystem_unlock();
    return 0; // no device: the sound system runs silent
}

void audiodriver_close(void)
{
    audiodriver_silent_stop();
    free(audio.ring);
    audio.ring = nullptr;
}

int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    if (buffer) *buffer = audio.ring;
    if (size) *size = (unsigned)audio.buffer_size;
    return 1;
}

void audiodriver_submitbuffer(void) {}
