// The virtual clock the headless host and the web host under a test keep.
#include "platform/virtualclock.h"

static uint64_t denominator(const s_virtualclock *clock) { return clock->den ? clock->den : 1; }

void virtualclock_setrate(s_virtualclock *clock, int fps)
{
    const uint64_t den = fps > 0 ? (uint64_t)fps : 1;
    clock->num = (uint64_t)((unsigned __int128)clock->num * den / denominator(clock));
    clock->den = den;
    clock->rate = fps > 0 ? fps : 0;
    clock->spins = 0;
}

void virtualclock_set(s_virtualclock *clock, uint64_t millis)
{
    clock->num = millis * denominator(clock);
    clock->spins = 0;
}

void virtualclock_advance(s_virtualclock *clock, uint64_t millis)
{
    clock->num += millis * denominator(clock);
    clock->spins = 0;
}

void virtualclock_frame(s_virtualclock *clock)
{
    if (clock->rate > 0) clock->num += 1000;
    clock->spins = 0;
}

int virtualclock_spin(s_virtualclock *clock)
{
    if (++clock->spins <= VIRTUALCLOCK_SPINREADS) return 0;
    if (clock->rate > 0)
        clock->num = (clock->num / 1000 + 1) * 1000;
    else
        clock->num += denominator(clock);
    clock->spins = 0;
    return 1;
}

uint64_t virtualclock_millis(const s_virtualclock *clock) { return clock->num / denominator(clock); }

uint64_t virtualclock_frames(const s_virtualclock *clock, unsigned rate)
{
    return (uint64_t)((unsigned __int128)clock->num * rate / (1000 * denominator(clock)));
}
