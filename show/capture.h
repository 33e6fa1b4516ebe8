/* show_capture: the show on the headless host, frame-exact, its frames and sound
 * written to a video (or PNG frames and a WAV).
 *
 * The show runs at its own rate (60 frames a second unless asked otherwise), as on a
 * display refreshing that often; the video's rate only chooses which of those frames
 * are written. The show's frame s is on screen from s / rate seconds on: it presents
 * its first frame one frame time after the sound device starts, as it does on real
 * hardware once its first pacing wait is over, so frame 0 is the black screen before
 * it. Video frame n is the show's frame on screen at n / fps seconds. The sound track
 * is everything the virtual sound device plays from its start, so it begins with the
 * four silent buffers a real device plays first. */
#ifndef FENK_SHOW_CAPTURE_H
#define FENK_SHOW_CAPTURE_H

#include "show/capture_options.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the capture and returns the program's exit code. */
int capture_run(const CaptureOptions *options, const char *program);

#ifdef __cplusplus
}
#endif

#endif
