/* The device a driver falls back on when the system offers no sound device: it
 * consumes 2048-frame buffers at the real rate, one mix pass per buffer, and plays
 * nothing. Sound positions, the music's included, then advance as they would with a
 * sound card, so a program that keeps time by its music still runs at its pace. */
#ifndef FENK_SOUND_AUDIODRIVER_SILENT_H
#define FENK_SOUND_AUDIODRIVER_SILENT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Printed once when the silent device starts, as a warning: the drivers' own lines
 * about the device that did not open come before it as information only. */
#define AUDIODRIVER_SILENT_MESSAGE "AUDIO: no sound device, playing silently in real time"
/* Printed as an error when the silent device cannot start either (no thread for it):
 * sound positions then stand still. */
#define AUDIODRIVER_SILENT_FAILED "- ERROR: AUDIO: no sound device, and the silent device did not start"

/* Starts mixing into `buffer` (`bytes` bytes, one 2048-frame buffer in the output
 * format) once per buffer's play time at `rate` frames a second, the first pass when
 * the first of the ring's silent buffers would have played. Returns 1 when running. */
int audiodriver_silent_start(void *buffer, int bytes, unsigned rate);
/* Ends the passes; none runs after it returns. Harmless when not running. */
void audiodriver_silent_stop(void);
int audiodriver_silent_running(void);

#ifdef __cplusplus
}
#endif

#endif
