/* RIFF WAVE files with uncompressed PCM and the canonical 44-byte header, read from
 * and written to the mounted data image through the file layer. */
#ifndef FENK_SOUND_LOADWAV_H
#define FENK_SOUND_LOADWAV_H

#include "sound/coresound.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SOUNDSYSTEM_WAVHEADER 44

/* 1 when the samples were loaded into a fresh allocation in s->data, else 0 with
 * s->data and s->length left as they were. */
int Soundsystem_LoadWAV(const char *name, s_sound *s);
/* The canonical 44-byte PCM header for `databytes` bytes of samples. */
void Soundsystem_WAVHeader(uint8_t header[SOUNDSYSTEM_WAVHEADER], uint32_t databytes, unsigned channels,
                           uint32_t frequency, unsigned bits);
/* 1 when the file was handed to the file layer, 0 when there was nothing to write. */
int Soundsystem_SaveWAV(const char *name, s_sound *s);

#ifdef __cplusplus
}
#endif

#endif
