/* A stand-in for the wall clock, for hosts that run a program at a chosen pace: the
 * headless host always, the web host under a test. Milliseconds are kept as the exact
 * fraction num / den. With a frame rate (den is then the rate) each presented frame
 * moves it on by exactly one frame, so no rounding ever builds up; without one it moves
 * only when set or advanced. A program busy-waiting on it must not wait for ever: after
 * VIRTUALCLOCK_SPINREADS reads with no change it moves by itself, to the next frame's
 * time, or by 1 ms without a frame rate. Every call that moves it gives 1. */
#ifndef FENK_PLATFORM_VIRTUALCLOCK_H
#define FENK_PLATFORM_VIRTUALCLOCK_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VIRTUALCLOCK_SPINREADS 16

typedef struct s_virtualclock {
    uint64_t num;
    uint64_t den; /* 1 (or 0, the same), or the frame rate */
    int rate;     /* frames a second; 0: none */
    unsigned spins;
} s_virtualclock;

/* A frame rate of `fps` (0 for none) from now on; the time stays as it is. */
void virtualclock_setrate(s_virtualclock *clock, int fps);
void virtualclock_set(s_virtualclock *clock, uint64_t millis);
void virtualclock_advance(s_virtualclock *clock, uint64_t millis);
/* A frame was presented: one frame on with a frame rate. */
void virtualclock_frame(s_virtualclock *clock);
/* A read of the clock: gives 1 when this read moved it. */
int virtualclock_spin(s_virtualclock *clock);
uint64_t virtualclock_millis(const s_virtualclock *clock);
/* Sample frames a sound device at `rate` has played by now. */
uint64_t virtualclock_frames(const s_virtualclock *clock, unsigned rate);

#ifdef __cplusplus
}
#endif

#endif
