/* The show's own pace. Whatever moves by frames in the show (the fade ramps, the
 * tube's camera, its flicker and its time) moves once per step, a sixtieth of a second
 * of music, whatever the host's frame rate: a frame runs the steps the music has gone
 * on by since the frame before and draws the last of them. A host that keeps 60 frames
 * a second runs one step a frame; a slow one runs several, all but the last undrawn; a
 * fast one now and then none (the frame is the last one drawn again). */
#ifndef FENK_SHOW_PACE_H
#define FENK_SHOW_PACE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SHOW_STEPRATE 60
/* The most steps one frame runs: a minute of music, well under a millisecond of work.
 * After a longer stall the rest is run by the frames that follow. */
#define SHOW_MAXSTEPS 3600

typedef struct ShowPace {
    int64_t steps;    /* steps run so far */
    double offset;    /* steps ahead of the music's own count where the show's count began */
    uint64_t pos;     /* the music position the last frame read */
    unsigned movedat; /* the host clock when that position last changed */
    int stillframes;  /* frames since it last changed */
    int started;
} ShowPace;

/* Steps a frame reading music position pos (sample frames at `rate` a second) at host
 * clock `millis` runs: 0 to SHOW_MAXSTEPS; they are counted as run. */
int show_pacesteps(ShowPace *pace, uint64_t pos, unsigned rate, unsigned millis);

#ifdef __cplusplus
}
#endif

#endif
