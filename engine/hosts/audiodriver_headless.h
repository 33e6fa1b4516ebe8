/* The virtual audio device: no sound card, a clock the host advances. It keeps four
 * 2048-frame buffers queued as a real device does and refills each one with a mix
 * pass once its last frame has been played, so sound positions move in step with
 * the host's clock. What it plays can be written to a WAV file, sample-exact. */
#ifndef FENK_HOSTS_AUDIODRIVER_HEADLESS_H
#define FENK_HOSTS_AUDIODRIVER_HEADLESS_H

#include <stdint.h>

#include "sound/audiodriver.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The device clock: how many output frames the device has played since
 * audiodriver_init. Frames are consumed in order from the four queued buffers; each
 * buffer whose last frame has been played is refilled by one mix pass and queued
 * again. Moving backwards, or calling before init or after close, does nothing.
 * Any thread may call it (the passes run on the caller's thread), but not a stream
 * callback, which already runs inside a pass. A host whose clock was already running
 * at init passes audiodriver_headless_played() + the frames its clock has moved. */
void audiodriver_headless_advance(uint64_t frames_played);
/* Frames played since audiodriver_init. */
uint64_t audiodriver_headless_played(void);
/* Every frame played from now on is appended to a 16-bit (or 8-bit, as the device
 * runs) PCM WAV at `path`, partial buffers included; the first frames after init are
 * the four silent buffers. Returns 1, or 0 with a message when the file cannot be
 * created. A recording already running is finished first. */
int audiodriver_headless_record(const char *path);
/* Finishes the header and closes the file: 1 on success, 0 when any write failed
 * or nothing was being recorded. */
int audiodriver_headless_stoprecord(void);

#ifdef __cplusplus
}
#endif

#endif
