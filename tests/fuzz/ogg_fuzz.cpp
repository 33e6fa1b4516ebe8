// An Ogg file through Soundsystem_LoadSound and Soundsystem_StreamSound, then mix
// passes over both, the stream moved and looped on the way, so that the decoder's
// reads, seeks and refills all meet what the fuzzer makes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "scratch.h"
#include "sound/audiodriver.h"
#include "sound/coresound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::put(fuzz::scratch() + "/sound.ogg", data, size);
    if (!Soundsystem_Init(SOUNDSYSTEM_DEVICERATE, 16, 2)) abort();
    std::vector<uint8_t> out((size_t)soundsystem.bufferlength * 4);
    auto mix = [&](int passes) {
        for (int pass = 0; pass < passes; pass++) audiodriver_mixbuffers(out.data(), (int)out.size(), 0);
    };

    s_sound sound, music;
    memset(&sound, 0, sizeof sound);
    memset(&music, 0, sizeof music);
    if (Soundsystem_LoadSound("sound.ogg", &sound)) {
        if (sound.step == 0 || !sound.data || sound.size != sound.length * 2) abort();
        Soundsystem_PlaySound(&sound, 1);
        mix(2);
    }
    if (Soundsystem_StreamSound("sound.ogg", &music)) {
        if (music.step == 0 || !music.data) abort();
        Soundsystem_PlayMusic(&music, 0);
        mix(6);
        Soundsystem_SetSoundOffset(&music, size);
        Soundsystem_PlayMusic(&music, 1);
        mix(6);
        // Never past the track, however the file describes it.
        (void)Soundsystem_ReadSoundOffset(&music);
    }
    Soundsystem_DeleteSound(&sound);
    Soundsystem_DeleteSound(&music);
    Soundsystem_CloseAudio();
    return 0;
}
