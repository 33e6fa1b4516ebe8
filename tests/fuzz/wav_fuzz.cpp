// The WAV loader over any file, and the mixer playing what it accepted for a few
// passes, looped, with the volume, panning and output channels its last bytes choose.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "scratch.h"
#include "sound/audiodriver.h"
#include "sound/coresound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::put(fuzz::scratch() + "/sound.wav", data, size);
    // Mono or stereo output, from the last byte's top bit.
    unsigned channels = size && (data[size - 1] & 0x80) ? 2 : 1;
    if (!Soundsystem_Init(SOUNDSYSTEM_DEVICERATE, 16, channels)) abort();

    s_sound sound;
    memset(&sound, 0, sizeof sound);
    if (Soundsystem_LoadSound("sound.wav", &sound)) {
        // A sound loaded with a step of 0 never advances: as music the show never ends.
        if (sound.step == 0) {
            fprintf(stderr, "a %u Hz sound loaded with a step of 0\n", (unsigned)sound.frequency);
            abort();
        }
        if (size >= 2) {
            Soundsystem_SetVolume(&sound, data[size - 1]);
            Soundsystem_SetPanning(&sound, data[size - 2]);
        }
        Soundsystem_PlaySound(&sound, 1);
        std::vector<uint8_t> out((size_t)soundsystem.bufferlength * soundsystem.channels *
                                 (soundsystem.bits / 8));
        for (int pass = 0; pass < 3; pass++) audiodriver_mixbuffers(out.data(), (int)out.size(), 0);
    }
    Soundsystem_DeleteSound(&sound);
    Soundsystem_CloseAudio();
    return 0;
}
