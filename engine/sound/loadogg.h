/* Ogg Vorbis files, read through the file layer: decoded whole into a sound's
 * 16-bit samples, or streamed, decoded a little at a time into a stream's buffer as
 * the mixer plays it, so a long piece of music is never held whole as samples. */
#ifndef FENK_SOUND_LOADOGG_H
#define FENK_SOUND_LOADOGG_H

#include "sound/coresound.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Frames in a streamed file's buffer: four mix passes at the mixing rate. */
#define SOUNDSYSTEM_STREAMFRAMES 8192
/* Files streamed at once. */
#define SOUNDSYSTEM_MAXSTREAMS 16

/* 1 when the file was decoded into a fresh allocation in s->data as 16-bit samples
 * (mono stays mono, more than two channels are mixed down to stereo) at the file's
 * own rate; else 0 with s->data and s->length left as they were and one line saying
 * why. Only the fields a load fills are set: use Soundsystem_LoadSound. */
int Soundsystem_LoadOGG(const char *name, s_sound *s);
/* Makes s a sound stream (Soundsystem_CreateSoundStream) fed from the open file:
 * 16-bit, its buffer SOUNDSYSTEM_STREAMFRAMES frames, not looping. Returns 1, or 0
 * with s left without samples and one line saying why. Soundsystem_StreamSound is the
 * same for any name. */
int Soundsystem_StreamOGG(const char *name, s_sound *s);

#ifdef __cplusplus
}
#endif

#endif
