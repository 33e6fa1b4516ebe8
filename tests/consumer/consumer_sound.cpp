// A program that uses only sound, as a tool that plays or converts sounds does: it calls
// nothing of the window, the video or the host's clock, so nothing of it asks for the
// host's object, and the program's entry must still come with the backend. It plays a
// tone as music until the mixer has moved it, and says so.
#include <stdint.h>
#include <stdio.h>
#include <time.h>

#include "platform/host.h"
#include "sound/coresound.h"

namespace {

s_sound tone;

} // namespace

int coremain(int, char **)
{
    Soundsystem_Init(SOUNDSYSTEM_DEVICERATE, 16, 2);
    Soundsystem_CreateSoundStream(&tone, nullptr, 22050, 16, 1, 22050);
    int16_t *samples = static_cast<int16_t *>(tone.data);
    for (int i = 0; samples && i < 22050; ++i) samples[i] = static_cast<int16_t>((i / 25 % 2) ? 4000 : -4000);
    Soundsystem_PlayMusic(&tone, 1);
    // The process's clock, not the host's: a device (or the silent one where none opens)
    // moves the music within a fraction of a second.
    const clock_t start = clock();
    uint64_t played = 0;
    while ((played = Soundsystem_ReadSoundOffset(&tone)) == 0 && clock() - start < 10 * CLOCKS_PER_SEC) {
    }
    Soundsystem_CloseAudio();
    printf("consumer: sound played %llu frames\n", static_cast<unsigned long long>(played));
    fflush(stdout);
    return played ? 0 : 1;
}
