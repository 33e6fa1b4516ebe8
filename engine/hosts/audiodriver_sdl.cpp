// SDL2 output. SDL pulls sound through its callback on its own audio thread; the
// callback hands out the oldest of four mixed buffers and refills each buffer, with
// one mix pass, as soon as SDL has taken all of it. So four buffers are mixed ahead
// of what SDL holds, and exactly one pass runs per 2048 frames consumed, as with
// the waveOut ring. Where no device opens, the silent device keeps the same pace.
#include "hosts/audiodriver_sdl.h"
#include "platform/log.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sound/audiodriver_silent.h"
#include "sound/coresound.h"

namespace {

// The driver's whole state, the ring laid out as the waveOut driver lays out its own.
struct SdlAudio {
    int sample_size;
    int buffer_size;
    uint8_t *audio_buffer;
    int32_t cur_buf;
    int32_t cur_taken; // bytes of buffer cur_buf already handed to SDL
    int subsystem;     // 1 while this driver holds SDL's audio subsystem
    SDL_AudioDeviceID device;
} audio;

// ALSA's error handler, as libasound declares it.
typedef void (*AlsaHandler)(const char *file, int line, const char *function, int err, const char *format,
                            ...);
typedef const char *(*AlsaStrerror)(int err);
AlsaStrerror alsa_strerror;

// One of ALSA's own lines, worded and written as its default handler writes them (to
// standard error), while the log prints information; dropped from warning level up.
void alsa_line(const char *file, int line, const char *function, int err, const char *format, ...)
{
    if (FENK_GetLogLevel() > FENK_LOG_INFO) return;
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const char *why = err && alsa_strerror ? alsa_strerror(err) : nullptr;
    fprintf(stderr, "ALSA lib %s:%d:(%s) %s%s%s\n", file, line, function, text, why ? ": " : "",
            why ? why : "");
}

// SDL's search for a device, on a machine without a sound card, makes ALSA print eight
// lines or more of its own: no failure of the program's, and the driver's warning says
// what follows, so at warning level they are not printed. SDL loads the same libasound,
// whose handler this sets; it stays loaded, so the handler is never lost. No ALSA,
// nothing to quiet.
void quiet_alsa()
{
    static bool done;
    if (done) return;
    done = true;
    void *alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;
    typedef int (*SetHandler)(AlsaHandler handler);
    const SetHandler set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    alsa_strerror = reinterpret_cast<AlsaStrerror>(dlsym(alsa, "snd_strerror"));
    if (set) set(alsa_line);
}

} // namespace

static void SDLCALL fillaudio(void *, Uint8 *stream, int len)
{
    while (len > 0) {
        uint8_t *buffer = audio.audio_buffer + (size_t)audio.cur_buf * audio.buffer_size;
        int count = audio.buffer_size - audio.cur_taken;
        if (count > len) count = len;
        memcpy(stream, buffer + audio.cur_taken, (size_t)count);
        stream += count;
        len -= count;
        audio.cur_taken += count;
        if (audio.cur_taken == audio.buffer_size) {
            audiodriver_mixbuffers(buffer, audio.buffer_size, 0);
            audio.cur_buf = (audio.cur_buf + 1) % AUDIODRIVER_NUMBUFFERS;
            audio.cur_taken = 0;
        }
    }
}

int audiodriver_init(unsigned rate, unsigned bits, int frames, int flags)
{
    (void)frames;
    if (rate == 0) return 1;
    audiodriver_close();

    const uint16_t channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    audio.audio_buffer = audiodriver_makering(bits, flags, &audio.sample_size, &audio.buffer_size);
    if (!audio.audio_buffer) return 0;
    audio.cur_buf = 0;
    audio.cur_taken = 0;

    // The host may or may not have started SDL; the subsystem is counted, so this
    // driver's own start and stop leave the host's as they were.
    quiet_alsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        audio.subsystem = 1;
        SDL_AudioSpec want, have;
        SDL_zero(want);
        want.freq = (int)rate;
        want.format = bits == 16 ? AUDIO_S16LSB : AUDIO_U8;
        want.channels = (Uint8)channels;
        want.samples = SOUNDSYSTEM_BUFFERLENGTH;
        want.callback = fillaudio;
        // No changes allowed: SDL converts for a device that differs, and the callback
        // is always asked for whole buffers in this format.
        audio.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (!audio.device) {
        // Information only: the silent device's warning, or its error, says what follows.
        fenk_log(FENK_LOG_INFO, "AUDIO: error opening audio buffer");
        if (audio.subsystem) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            audio.subsystem = 0;
        }
        // The sound's positions are a program's clock (the show's only one): they go
        // on at the real pace, into one buffer of the ring that nobody hears.
        if (audiodriver_silent_start(audio.audio_buffer, audio.buffer_size, rate)) {
            soundsystem_lock();
            soundsystem.bufferlength = (uint32_t)(audio.buffer_size / audio.sample_size);
            soundsystem_unlock();
        } else {
            audiodriver_close();
        }
        return 0;
    }
    fenk_log(FENK_LOG_INFO, "AUDIO: opening audio device succesful!");

    soundsystem_lock();
    soundsystem.bufferlength = (uint32_t)(audio.buffer_size / audio.sample_size);
    soundsystem_unlock();
    SDL_PauseAudioDevice(audio.device, 0);
    fenk_log(FENK_LOG_INFO, "audiodriver inited");
    return 1;
}

// SDL_CloseAudioDevice waits for a running callback, so nothing refills after it.
void audiodriver_close(void)
{
    audiodriver_silent_stop();
    if (audio.device) {
        SDL_CloseAudioDevice(audio.device);
        audio.device = 0;
    }
    if (audio.subsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audio.subsystem = 0;
    }
    free(audio.audio_buffer);
    audio.audio_buffer = nullptr;
    audio.cur_buf = 0;
    audio.cur_taken = 0;
}

int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    if (audio.device) SDL_LockAudioDevice(audio.device);
    if (buffer)
        *buffer =
            audio.audio_buffer ? audio.audio_buffer + (size_t)audio.cur_buf * audio.buffer_size : nullptr;
    if (size) *size = (unsigned)audio.buffer_size;
    if (audio.device) SDL_UnlockAudioDevice(audio.device);
    return 1;
}

// Every buffer is queued from init on and requeued by its refill: there is nothing
// left for a caller to submit.
void audiodriver_submitbuffer(void) {}
