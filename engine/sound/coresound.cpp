// The sound system: the settings record, the play table and every call a program
// makes. The mixer on the audio thread reads the same records; each change here is
// made under the lock that a whole mix pass holds, so a pass sees a change whole or
// not at all. position and playing are also read without the lock, so they are
// always stored as whole atomic values.
#include "sound/coresound.h"
#include "platform/log.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/shared_word.h"
#include "platform/threads.h"
#include "sound/audiodriver.h"
#include "sound/loadogg.h"
#include "sound/loadwav.h"
#include "sound/oggstream.h"
#include "sound/soundstep.h"

s_soundsystem soundsystem;
s_sound *active_sounds[SOUNDSYSTEM_MAXACTIVE];

static_assert(offsetof(s_sound, position) % alignof(uint64_t) == 0, "position is read as one atomic value");

// Recursive: a stream's callback runs inside a pass and may call the sound system.
static s_fenklock *const soundlock = fenk_lock_create();

void soundsystem_lock(void) { fenk_lock_take(soundlock); }

void soundsystem_unlock(void) { fenk_lock_give(soundlock); }

static void setposition(s_sound *s, uint64_t position) { word_store(s->position, position); }

static void setplaying(s_sound *s, uint16_t playing) { word_store(s->playing, playing); }

static uint8_t clampvolume(int volume) { return (uint8_t)(volume < 0 ? 0 : volume > 255 ? 255 : volume); }

// Steps are unsigned 32-bit as the mixer adds them, held at the largest one. A sound
// loaded before Init is stepped against the device's rate, which Init is given.
static uint32_t stepfor(uint32_t frequency, uint32_t channels)
{
    const uint64_t step = sound_widestep(frequency, channels, sound_mixrate());
    return step > SOUNDSYSTEM_MAXSTEP ? SOUNDSYSTEM_MAXSTEP : (uint32_t)step;
}

int Soundsystem_RatePlayable(uint32_t frequency, unsigned channels)
{
    return sound_rateplayable(frequency, channels);
}

static void setgains(s_sound *s)
{
    s->volume_left = (uint8_t)(((255 - s->panning) * s->volume) >> 8);
    s->volume_right = (uint8_t)((s->panning * s->volume) >> 8);
}

// 0 when the table is full and s is not in it.
static int enter(s_sound *s)
{
    for (int i = 0; i < soundsystem.numactive; i++) {
        if (active_sounds[i] == s) return 1;
    }
    if (soundsystem.numactive >= SOUNDSYSTEM_MAXACTIVE) return 0;
    active_sounds[soundsystem.numactive++] = s;
    return 1;
}

// Only the pointer is compared, so a record that was never set up can be looked for.
static void removeentry(s_sound *s)
{
    for (int i = 0; i < soundsystem.numactive; i++) {
        if (active_sounds[i] != s) continue;
        for (int j = i + 1; j < soundsystem.numactive; j++) active_sounds[j - 1] = active_sounds[j];
        active_sounds[--soundsystem.numactive] = nullptr;
        return;
    }
}

// A record about to be filled anew must not be in the table: a pass would mix it
// half-made. A streamed file's decoder and buffer go with it: the stream is found by
// its buffer, which would otherwise be left to a record that no longer has it.
static void clearrecord(s_sound *s)
{
    soundsystem_lock();
    removeentry(s);
    if (oggstream_close(s)) free(s->data);
    memset(s, 0, sizeof *s);
    soundsystem_unlock();
}

// Only the channel counts the mixer knows; anything else is mixed as mono.
int Soundsystem_Init(unsigned frequency, unsigned bits, unsigned channels)
{
    if (soundsystem.mixbuffer) Soundsystem_CloseAudio();
    channels = channels == 2 ? 2 : 1;

    soundsystem_lock();
    // Steps are worked out against this rate; 0 would divide by zero, so it means
    // the device's own.
    soundsystem.frequency = frequency ? frequency : SOUNDSYSTEM_DEVICERATE;
    soundsystem.channels = (uint16_t)channels;
    soundsystem.bits = (uint16_t)bits;
    soundsystem.numsounds = 0;
    soundsystem.numactive = 0;
    memset(active_sounds, 0, sizeof active_sounds);
    soundsystem.master_volume = 255;
    soundsystem.music_volume = 255;
    soundsystem.effect_volume = 255;
    soundsystem.bufferlength = SOUNDSYSTEM_BUFFERLENGTH;
    soundsystem.mixbuffer_size = channels * SOUNDSYSTEM_BUFFERLENGTH * 4;
    soundsystem.mixbuffer = (int32_t *)calloc(soundsystem.mixbuffer_size, 1);
    soundsystem_unlock();
    if (!soundsystem.mixbuffer) return 0;

    // A device that fails to open leaves the system running silent.
    audiodriver_init(SOUNDSYSTEM_DEVICERATE, 16, SOUNDSYSTEM_BUFFERLENGTH,
                     channels == 2 ? AUDIODRIVER_STEREO : 1);
    fenk_log(FENK_LOG_INFO, "soundsystem bufferlength = %d\n", (int)soundsystem.bufferlength);
    return 1;
}

// The driver is closed without the lock held: closing waits for a refill that may be
// waiting for the lock.
void Soundsystem_CloseAudio(void)
{
    audiodriver_close();
    soundsystem_lock();
    free(soundsystem.mixbuffer);
    soundsystem.mixbuffer = nullptr;
    soundsystem_unlock();
}

void Soundsystem_SetMasterVolume(int volume)
{
    soundsystem_lock();
    soundsystem.master_volume = clampvolume(volume);
    soundsystem_unlock();
}

void Soundsystem_SetMusicVolume(int volume)
{
    soundsystem_lock();
    soundsystem.music_volume = clampvolume(volume);
    soundsystem_unlock();
}

void Soundsystem_SetEffectVolume(int volume)
{
    soundsystem_lock();
    soundsystem.effect_volume = clampvolume(volume);
    soundsystem_unlock();
}

void Soundsystem_SetVolume(s_sound *s, int volume)
{
    if (!s) return;
    soundsystem_lock();
    s->volume = clampvolume(volume);
    setgains(s);
    soundsystem_unlock();
}

// Only values above 255 are clamped; the rest keep their low 8 bits.
void Soundsystem_SetPanning(s_sound *s, int panning)
{
    if (!s) return;
    soundsystem_lock();
    s->panning = (uint8_t)(panning > 255 ? 255 : panning);
    setgains(s);
    soundsystem_unlock();
}

// A rate that would not move the sound (a step of 0, or no rate at all) is refused
// and the sound keeps its step, so it never stands still while marked playing.
void Soundsystem_SetFrequency(s_sound *s, int hz)
{
    if (!s) return;
    soundsystem_lock();
    uint32_t step = hz > 0 ? stepfor((uint32_t)hz, s->channels) : 0;
    if (step)
        s->step = step;
    else
        fenk_log(FENK_LOG_ERROR, "Sound frequency not set: %d Hz cannot be mixed\n", hz);
    soundsystem_unlock();
}

// Letters a-z only; the record's extension test needs no more.
static char *upcase_sound(char *text)
{
    for (char *c = text; *c; c++) {
        if (*c >= 'a' && *c <= 'z') *c = (char)(*c - 'a' + 'A');
    }
    return text;
}

static void setdefaults(s_sound *s)
{
    s->position = 0;
    s->step = stepfor(s->frequency, s->channels);
    s->volume = 255;
    s->volume_left = 128;
    s->volume_right = 128;
    s->panning = 128;
    s->playing = 0;
}

int Soundsystem_LoadSound(const char *name, s_sound *s)
{
    if (!s) return 0;
    fenk_log(FENK_LOG_INFO, "Loading sound %s\n", name ? name : "");
    clearrecord(s);

    int loaded = 0;
    const char *dot = name ? strrchr(name, '.') : nullptr;
    if (dot && dot != name && strlen(dot) <= 15) {
        char extension[16];
        strcpy(extension, dot);
        if (!strcmp(upcase_sound(extension), ".WAV"))
            loaded = Soundsystem_LoadWAV(name, s);
        else if (!strcmp(extension, ".OGG"))
            loaded = Soundsystem_LoadOGG(name, s);
    }

    s->stream = 0;
    s->stream_size = 0;
    s->stream_offset = 0;
    s->callback = nullptr;
    setdefaults(s);
    s->loop = 0;
    s->music = 0;
    soundsystem.numsounds++;
    return loaded;
}

// Only Ogg Vorbis files are streamed: a WAV is read whole by Soundsystem_LoadSound.
int Soundsystem_StreamSound(const char *name, s_sound *s)
{
    if (!s) return 0;
    fenk_log(FENK_LOG_INFO, "Streaming sound %s\n", name ? name : "");
    clearrecord(s);
    const char *dot = name ? strrchr(name, '.') : nullptr;
    char extension[5] = "";
    if (dot && dot != name && strlen(dot) == 4) upcase_sound(strcpy(extension, dot));
    if (!strcmp(extension, ".OGG") && oggstream_open(name, s)) return 1;
    if (strcmp(extension, ".OGG"))
        fenk_log(FENK_LOG_ERROR,
                 "Sound not streamed: %s is not an Ogg Vorbis file (.ogg), the one kind this engine "
                 "streams; Soundsystem_LoadSound reads a WAV whole\n",
                 name ? name : "");
    // Left as a failed load leaves a record.
    setdefaults(s);
    soundsystem.numsounds++;
    return 0;
}

int Soundsystem_SaveSound(const char *name, s_sound *s) { return Soundsystem_SaveWAV(name, s); }

// A stream the mixer could not play (other bits or channels, no length, a rate it
// cannot step through, or more sample memory than a 32-bit size holds) is left
// without sample memory, as a failed load is.
void Soundsystem_CreateSoundStream(s_sound *s, s_soundcallback callback, int frequency, int bits,
                                   int channels, int length)
{
    if (!s) return;
    clearrecord(s);
    s->channels = (uint16_t)channels;
    s->frequency = (uint32_t)frequency;
    s->bits = (uint16_t)bits;

    uint64_t size = (uint64_t)(length > 0 ? length : 0) * (uint64_t)(channels > 0 ? channels : 0) *
                    (uint64_t)(bits > 0 ? bits / 8 : 0);
    int playable =
        (bits == 8 || bits == 16) && (channels == 1 || channels == 2) && length > 0 && size <= INT32_MAX;
    // A rate whose step is 0 would never move the stream, so never call for a refill.
    int moves = frequency > 0 && Soundsystem_RatePlayable((uint32_t)frequency, (unsigned)channels);
    void *data = playable && moves ? calloc((size_t)size, 1) : nullptr;
    if (data) {
        s->length = (uint32_t)length;
        s->size = (uint32_t)size;
        s->data = data;
    } else if (playable && !moves) {
        fenk_log(FENK_LOG_ERROR, "Sound stream not created: %d Hz cannot be mixed\n", frequency);
    } else {
        fenk_log(FENK_LOG_ERROR, "Sound stream not created: %d bits, %d channels, length %d\n", bits,
                 channels, length);
    }

    // The mixer counts every channel's sample, so a stereo stream's end is twice its
    // length in frames: the callback comes once all of its memory has been played.
    s->length *= s->channels ? s->channels : 1;
    s->stream = 1;
    s->stream_length = data ? length : 0;
    s->stream_size = (int32_t)s->size;
    s->stream_offset = 0;
    s->callback = callback;
    setdefaults(s);
    s->loop = 1;
    soundsystem.numsounds++;
}

void Soundsystem_DeleteSound(s_sound *s)
{
    if (!s) return;
    // Once out of the table no pass reads the samples any more.
    Soundsystem_StopSound(s);
    soundsystem_lock();
    oggstream_close(s);
    soundsystem_unlock();
    free(s->data);
    s->data = nullptr;
    if (soundsystem.numsounds > 0) soundsystem.numsounds--;
}

// With the table full the sound is not mixed, and so is not marked playing either:
// a caller waiting for it to end would wait for ever.
void Soundsystem_PlaySound(s_sound *s, int loop)
{
    if (!s) return;
    soundsystem_lock();
    oggstream_restart(s);
    setposition(s, 0);
    if (loop) s->loop = 1;
    setplaying(s, (uint16_t)enter(s));
    soundsystem_unlock();
}

void Soundsystem_PlayMusic(s_sound *s, int loop)
{
    if (!s) return;
    soundsystem_lock();
    s->music = 1;
    Soundsystem_PlaySound(s, loop);
    soundsystem_unlock();
}

// Also run by the mixer, with the lock already held, when a sound ends.
void Soundsystem_StopSound(s_sound *s)
{
    if (!s) return;
    soundsystem_lock();
    setposition(s, 0);
    setplaying(s, 0);
    removeentry(s);
    soundsystem_unlock();
}

void Soundsystem_StopMusic(s_sound *s) { Soundsystem_StopSound(s); }

void Soundsystem_PauseSound(s_sound *s)
{
    if (!s) return;
    soundsystem_lock();
    setplaying(s, 0);
    soundsystem_unlock();
}

void Soundsystem_ResumeSound(s_sound *s)
{
    if (!s) return;
    soundsystem_lock();
    setplaying(s, 1);
    soundsystem_unlock();
}

static int hassamples(const s_sound *s) { return s->data && s->length && s->channels; }

void Soundsystem_SetSoundOffset(s_sound *s, uint64_t frame)
{
    if (!s) return;
    soundsystem_lock();
    if (oggstream_seek(s, frame)) {
        soundsystem_unlock();
        return;
    }
    uint64_t last = hassamples(s) ? s->length / s->channels : 0;
    if (last == 0) {
        setposition(s, 0);
    } else {
        if (frame >= last) frame = last - 1;
        setposition(s, frame * 256 * s->channels);
    }
    soundsystem_unlock();
}

// A streamed file's frame counts from the track's start, not its buffer's.
uint64_t Soundsystem_GetSoundOffset(s_sound s)
{
    if (!hassamples(&s)) return 0;
    uint64_t frame = (s.position >> 8) / s.channels;
    if (s.callback) {
        soundsystem_lock();
        oggstream_trackframe(s.data, frame, &frame);
        soundsystem_unlock();
    }
    return frame;
}

// A stream's refill changes its length and its place in the track inside a pass, so
// a stream is read under the lock; a loaded sound's position alone changes there.
uint64_t Soundsystem_ReadSoundOffset(const s_sound *s)
{
    if (!s) return 0;
    if (s->callback) {
        soundsystem_lock();
        uint64_t frame = Soundsystem_GetSoundOffset(*s);
        soundsystem_unlock();
        return frame;
    }
    if (!hassamples(s)) return 0;
    uint64_t position = word_load(s->position);
    return (position >> 8) / s->channels;
}

int32_t *Soundsystem_GetOutputBuffer(void) { return soundsystem.mixbuffer; }

// A single-bin Goertzel filter over the accumulators of the last pass, in the
// precision the show's frequency-driven effects were tuned with.
float Soundsystem_DetectFrequency(float hz)
{
    soundsystem_lock();
    if (!soundsystem.mixbuffer || !soundsystem.frequency) {
        soundsystem_unlock();
        return 0;
    }
    float ratio = hz / (float)soundsystem.frequency;
    float coeff = (float)(2.0 * cos(6.283185307179586 * ratio));
    float s1 = 0, s2 = 0;
    uint32_t count = soundsystem.bufferlength;
    uint32_t capacity = soundsystem.mixbuffer_size / 4;
    if (count > capacity) count = capacity;
    for (uint32_t i = 0; i < count; i++) {
        float x = (float)(soundsystem.mixbuffer[i] / 32767.0);
        float s = coeff * s1 + x - s2;
        s2 = s1;
        s1 = s;
    }
    soundsystem_unlock();
    return s2 * s2 + s1 * s1 - coeff * s1 * s2;
}
