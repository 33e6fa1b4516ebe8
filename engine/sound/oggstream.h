// Ogg Vorbis files streamed into a sound stream's buffer (loadogg.cpp), and what the
// sound system asks of such a stream when a program plays, moves, reads or deletes
// it. For the engine's sound units only. Every call but oggstream_open is made with
// the sound system's lock held; a stream is found by its record's sample memory.
#ifndef FENK_SOUND_OGGSTREAM_H
#define FENK_SOUND_OGGSTREAM_H

#include <stdint.h>

#include "sound/coresound.h"

// Makes the cleared record s a stream fed from the file: 1, or 0 after one line
// saying why, with s left without samples.
int oggstream_open(const char *name, s_sound *s);
// Closes s's decoder and file and frees its slot; 0 when s is no such stream. The
// caller frees the sample memory.
int oggstream_close(const s_sound *s);
// Puts the track's start in the buffer unless it is there already; 0 when s is no
// such stream.
int oggstream_restart(s_sound *s);
// Moves the track to `frame` (held to the last one) and refills the buffer from
// there, the position at its start; 0 when s is no such stream.
int oggstream_seek(s_sound *s, uint64_t frame);
// The track's frame for a stream whose buffer holds sample memory `data` and has
// played `played` of its frames: 1 with *frame set, 0 when `data` is no stream's.
int oggstream_trackframe(const void *data, uint64_t played, uint64_t *frame);

#endif
