// SDL2 output. SDL pulls sound through its callback on its own audio thread; the
// callback hands out the oldest of four mixed buffers and refills each buffer, with
// one mix pass, as soon as SDL has taken all of it. So four buffers are mixed ahead
// of what SDL holds, and exactly one pass runs per 2048 frames consumed, as with
// the waveOut ring. Where no device opens, the silent device keeps the same pace.
#include "sound/audiodriver_sdl.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sound/audiodriver_silent.h"
#include "sound/coresound.h"

static int g_sample_size;
static int g_buffer_size;
static uint8_t *g_audio_buffer;
static int32_t g_cur_buf;
static int32_t g_cur_taken; // bytes of buffer g_cur_buf already handed to SDL
static int g_subsystem;     // 1 while this driver holds SDL's audio subsystem
static SDL_AudioDeviceID g_device;

static void SDLCALL fillaudio(void *, Uint8 *stream, int len)
{
    while (len > 0) {
        uint8_t *buffer = g_audio_buffer + (size_t)g_cur_buf * g_buffer_size;
        int count = g_buffer_size - g_cur_taken;
        if (count > len) count = len;
        memcpy(stream, buffer + g_cur_taken, (size_t)count);
        stream += count;
        len -= count;
        g_cur_taken += count;
        if (g_cur_taken == g_buffer_size) {
            audiodriver_mixbuffers(buffer, g_buffer_size, 0);
            g_cur_buf = (g_cur_buf + 1) % AUDIODRIVER_NUMBUFFERS;
            g_cur_taken = 0;
        }
    }
}

int audiodriver_init(unsigned rate, unsigned bits, int frames, int flags)
{
    (void)frames;
    if (rate == 0) return 1;
    audiodriver_close();

    const uint16_t channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    g_audio_buffer = audiodriver_makering(bits, flags, &g_sample_size, &g_buffer_size);
    if (!g_audio_buffer) return 0;
    g_cur_buf = 0;
    g_cur_taken = 0;

    // The host may or may not have started SDL; the subsystem is counted, so this
    // driver's own start and stop leave the host's as they were.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        g_subsystem = 1;
        SDL_AudioSpec want, have;
        SDL_zero(want);
        want.freq = (int)rate;
        want.format = bits == 16 ? AUDIO_S16LSB : AUDIO_U8;
        want.channels = (Uint8)channels;
        want.samples = SOUNDSYSTEM_BUFFERLENGTH;
        want.callback = fillaudio;
        // No changes allowed: SDL converts for a device that differs, and the callback
        // is always asked for whole buffers in this format.
        g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (!g_device) {
        puts("AUDIO: error opening audio buffer");
        if (g_subsystem) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            g_subsystem = 0;
        }
        // The sound's positions are a program's clock (the show's only one): they go
        // on at the real pace, into one buffer of the ring that nobody hears.
        if (audiodriver_silent_start(g_audio_buffer, g_buffer_size, rate)) {
            soundsystem_lock();
            soundsystem.bufferlength = (uint32_t)(g_buffer_size / g_sample_size);
            soundsystem_unlock();
        } else {
            audiodriver_close();
        }
        return 0;
    }
    puts("AUDIO: opening audio device succesful!");

    soundsystem_lock();
    soundsystem.bufferlength = (uint32_t)(g_buffer_size / g_sample_size);
    soundsystem_unlock();
    SDL_PauseAudioDevice(g_device, 0);
    puts("audiodriver inited");
    return 1;
}

// SDL_CloseAudioDevice waits for a running callback, so nothing refills after it.
void audiodriver_close(void)
{
    audiodriver_silent_stop();
    if (g_device) {
        SDL_CloseAudioDevice(g_device);
        g_device = 0;
    }
    if (g_subsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        g_subsystem = 0;
    }
    free(g_audio_buffer);
    g_audio_buffer = nullptr;
    g_cur_buf = 0;
    g_cur_taken = 0;
}

int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    if (g_device) SDL_LockAudioDevice(g_device);
    if (buffer) *buffer = g_audio_buffer ? g_audio_buffer + (size_t)g_cur_buf * g_buffer_size : nullptr;
    if (size) *size = (unsigned)g_buffer_size;
    if (g_device) SDL_UnlockAudioDevice(g_device);
    return 1;
}

// Every buffer is queued from init on and requeued by its refill: there is nothing
// left for a caller to submit.
void audiodriver_submitbuffer(void) {}
