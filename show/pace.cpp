// The show's own pace: how many steps (sixtieths of a second of music) a frame runs.
#include "show/pace.h"

#include <math.h>

#include "sound/coresound.h"

namespace {

// The mixer moves the music's position a whole buffer at a time (2048 sample frames,
// 2.8 steps at 44 100 Hz), so at 60 frames a second the steps the music owes a frame
// jitter around one by up to 1.4 either way. A frame runs one step while what is owed
// stays within this of one; beyond it, as many as bring it back within.
const double slack = 2.0;

// Where the show's count starts against the music's. The position a frame reads
// stands for the buffer mixed last, on average half a buffer behind the music's time:
// counted from half a buffer's steps, what a frame of a 60 Hz host owes is centred on
// one step (the first frame runs one).
const double start_offset = SOUNDSYSTEM_BUFFERLENGTH * (double)SHOW_STEPRATE / (2.0 * SOUNDSYSTEM_DEVICERATE);

// A position that has not moved for this long, over this many frames, paces nothing
// (no sound device, one that stopped): each frame runs one step, as at 60 frames a
// second, and the music's count follows the frames until it moves again.
const unsigned still_millis = 500;
const int still_frames = 4;

// A show this far ahead of its music (the position went back) counts on from it.
const double resync_steps = 60;

} // namespace

int show_pacesteps(ShowPace *pace, uint64_t pos, unsigned rate, unsigned millis)
{
    if (!pace->started || pos != pace->pos) {
        if (!pace->started) pace->offset = start_offset;
        pace->started = 1;
        pace->pos = pos;
        pace->movedat = millis;
        pace->stillframes = 0;
    } else {
        pace->stillframes++;
    }
    const double music = rate ? (double)pos * SHOW_STEPRATE / rate : 0;
    const bool still = pace->stillframes >= still_frames && millis - pace->movedat >= still_millis;
    const double owed = music + pace->offset - (double)pace->steps;

    int steps = 1;
    if (still || owed < 1 - resync_steps) {
        pace->offset = (double)pace->steps + 1 - music;
    } else if (owed > 1 + slack) {
        const double due = floor(owed - slack) + 1;
        steps = due > SHOW_MAXSTEPS ? SHOW_MAXSTEPS : (int)due;
    } else if (owed < 1 - slack) {
        steps = 0;
    }
    pace->steps += steps;
    return steps;
}
