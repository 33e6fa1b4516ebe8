// The mixer: one pass turns the sounds in the play table into one block of output.
// It is the only code that advances sound positions, so it is the show's clock. A
// pass holds the sound system's lock from start to end.
#include "sound/audiodriver.h"
#include "platform/log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/shared_word.h"
#include "sound/coresound.h"

namespace {

struct Gains {
    int32_t left, right, mono;
};

// Stereo sources are mixed as frames: the position's frame gives the left sample to
// the left output and the right sample to the right output (their mean to a mono
// output). Position, step and end stay in samples, every channel counted, as the
// offset calls expect.
template <bool eight> inline int32_t sample(const void *data, uint32_t index)
{
    if constexpr (eight)
        return ((int32_t)((const uint8_t *)data)[index] - 128) * 256;
    else
        return ((const int16_t *)data)[index];
}

// Mixes `frames` frames of s into acc. Returns when the frames are done or s has
// stopped being mixed (ended, or changed by its stream callback).
template <bool eight, bool stereosource, bool stereoout>
void mixvoice(s_sound *s, int32_t *acc, uint32_t frames, Gains g)
{
    const void *data = s->data;
    uint32_t length = s->length;
    // 64-bit: length x 256 wraps 32 bits for sounds of 2^24 samples or more.
    uint64_t end = (uint64_t)length << 8;
    uint64_t position = s->position;
    const uint32_t step = s->step;
    // A position left past the end (a record changed by hand) must not be read from.
    if (position >= end) position %= end;

    for (uint32_t f = 0; f < frames; f++) {
        uint32_t index = (uint32_t)(position >> 8);
        int32_t left, right;
        if constexpr (stereosource) {
            uint32_t first = index & ~1u;
            left = sample<eight>(data, first);
            right = first + 1 < length ? sample<eight>(data, first + 1) : left;
        } else {
            left = right = sample<eight>(data, index);
        }
        if constexpr (stereoout) {
            acc[2 * f] += left * g.left;
            acc[2 * f + 1] += right * g.right;
        } else {
            acc[f] += (stereosource ? (left + right) >> 1 : left) * g.mono;
        }

        position += step;
        if (position < end) continue;
        if (s->callback) {
            word_store(s->position, position);
            s->callback(s->data, s->size);
            // The callback may have stopped, paused, deleted or moved the stream.
            position = s->position;
            data = s->data;
            length = s->length;
            end = (uint64_t)length << 8;
            if (!data || !end) return;
            if (position >= end) {
                position %= end;
                word_store(s->position, position);
            }
            if (!s->playing) return;
        } else if (s->loop) {
            // The overshoot carries over, so the loop is seamless; a sound shorter
            // than one step wraps as often as it must.
            position %= end;
        } else {
            Soundsystem_StopSound(s);
            return;
        }
    }
    word_store(s->position, position);
}

template <bool eight> void mixsource(s_sound *s, int32_t *acc, uint32_t frames, Gains g, bool stereoout)
{
    bool stereosource = s->channels == 2;
    if (stereosource && stereoout)
        mixvoice<eight, true, true>(s, acc, frames, g);
    else if (stereosource)
        mixvoice<eight, true, false>(s, acc, frames, g);
    else if (stereoout)
        mixvoice<eight, false, true>(s, acc, frames, g);
    else
        mixvoice<eight, false, false>(s, acc, frames, g);
}

int32_t clip(int32_t accumulated)
{
    int32_t v = accumulated >> 8;
    return v > 32767 ? 32767 : v < -32767 ? -32767 : v;
}

} // namespace

void audiodriver_mixbuffers(void *buffer, int bytes, int)
{
    if (!buffer || bytes <= 0) return;
    soundsystem_lock();
    const bool sixteen = soundsystem.bits == 16;
    const bool stereo = soundsystem.channels == 2;
    const uint32_t channels = stereo ? 2 : 1;
    uint32_t samples = sixteen ? (uint32_t)bytes / 2 : (uint32_t)bytes;
    uint32_t frames = samples / channels;
    // Never more frames than the accumulators hold; the rest of the buffer is silence.
    uint32_t capacity = soundsystem.mixbuffer ? soundsystem.mixbuffer_size / 4 / channels : 0;
    if (frames > capacity) frames = capacity;
    samples = frames * channels;

    int32_t *acc = soundsystem.mixbuffer;
    if (acc) {
        memset(acc, 0, soundsystem.mixbuffer_size);
        for (int i = 0; i < soundsystem.numactive;) {
            s_sound *s = active_sounds[i];
            if (s->playing && s->data && s->length) {
                uint32_t group = (s->music == 1 ? soundsystem.music_volume : soundsystem.effect_volume) *
                                 (uint32_t)soundsystem.master_volume;
                Gains g = {(int32_t)((s->volume_left * group) >> 16),
                           (int32_t)((s->volume_right * group) >> 16), (int32_t)((s->volume * group) >> 16)};
                if (s->bits == 8)
                    mixsource<true>(s, acc, frames, g, stereo);
                else
                    mixsource<false>(s, acc, frames, g, stereo);
            }
            // A sound that left the table let the next one move into this slot.
            if (i < soundsystem.numactive && active_sounds[i] == s) i++;
        }
    }

    uint8_t *out = (uint8_t *)buffer;
    if (sixteen) {
        for (uint32_t k = 0; k < samples; k++) {
            int32_t v = clip(acc[k]);
            out[2 * k] = (uint8_t)v;
            out[2 * k + 1] = (uint8_t)(v >> 8);
        }
        memset(out + 2 * samples, 0, (size_t)bytes - 2 * samples);
    } else {
        for (uint32_t k = 0; k < samples; k++) out[k] = (uint8_t)((clip(acc[k]) >> 8) + 128);
        memset(out + samples, 128, (size_t)bytes - samples);
    }
    soundsystem_unlock();
}

unsigned char *audiodriver_makering(unsigned bits, int flags, int *sample_size, int *buffer_size)
{
    const uint16_t channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    soundsystem_lock();
    soundsystem.bits = (uint16_t)bits;
    soundsystem.channels = channels;
    soundsystem_unlock();
    if (bits != 8 && bits != 16) return nullptr;

    *sample_size = (int)(bits / 8) * channels;
    *buffer_size = *sample_size * SOUNDSYSTEM_BUFFERLENGTH;
    fenk_log(FENK_LOG_INFO, "sample size: %d\nbuffer size: %d\n", *sample_size, *buffer_size);
    const size_t bytes = (size_t)AUDIODRIVER_NUMBUFFERS * (size_t)*buffer_size;
    unsigned char *ring = (unsigned char *)malloc(bytes);
    // Silence: 8-bit samples are unsigned around 128.
    if (ring) memset(ring, bits == 8 ? 128 : 0, bytes);
    return ring;
}
