// The mixer's fixed-point step, shared by the sound system and the WAV reader: a
// sound of `frequency` frames a second and `channels` channels advances by
// frequency x 256 x channels / mixrate sample units a mixed frame. For the engine's
// sound units only.
#ifndef FENK_SOUND_SOUNDSTEP_H
#define FENK_SOUND_SOUNDSTEP_H

#include <stdint.h>

#include "sound/coresound.h"

// Worked out in 64 bits: rate x 256 x channels passes 32 bits from 8 388 608 Hz
// (stereo) up, and a wrapped product gives a step of 0 or a meaningless one.
static inline uint64_t sound_widestep(uint32_t frequency, uint32_t channels, uint32_t mixrate)
{
    return (uint64_t)frequency * 256u * channels / mixrate;
}

// The rate steps are worked out against: the device's, which Init is given, until then.
static inline uint32_t sound_mixrate(void)
{
    return soundsystem.frequency ? soundsystem.frequency : SOUNDSYSTEM_DEVICERATE;
}

// Whether the mixer can step through such a sound: a step of at least 1 that fits.
static inline int sound_rateplayable(uint32_t frequency, unsigned channels)
{
    const uint64_t step = sound_widestep(frequency, channels, sound_mixrate());
    return step >= 1 && step <= SOUNDSYSTEM_MAXSTEP;
}

#endif
