/* The headless host: the platform contract on EGL without a display server, with a
 * virtual millisecond clock, frames handed to a sink instead of a screen, and input
 * that stays empty unless a program or test scripts it. Every call runs on the one
 * thread that runs the show. */
#ifndef FENK_HOSTS_DRIVER_HEADLESS_H
#define FENK_HOSTS_DRIVER_HEADLESS_H

#include <stdint.h>

#include "platform/host.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Reads of the clock without any clock change or presented frame after which the
 * clock moves on by itself, so a loop spinning on it always ends. */
#define FENK_HEADLESS_SPINREADS 16

/* Frames are read back where the engine says the frame is: from the frame buffer the
 * program drew into when the presentation pass would only copy it, which then is not
 * drawn.
 *
 * One presented frame: rgba holds height rows of width * 4 bytes, top row first,
 * valid during the call, or is NULL for a frame that was not shown (see
 * fenk_headless_setframeplan). frame counts presented frames from 0; millis is the clock
 * at presentation. */
typedef void (*fenk_headless_framesink)(int width, int height, const unsigned char *rgba, uint64_t frame,
                                        uint32_t millis, void *user);

/* Runs coremain on the calling thread with the given arguments and returns its result. */
int fenk_headless_run(int argc, char **argv);

/* Changing the sink first hands a deferred frame to the sink it was presented to. */
void fenk_headless_setframesink(fenk_headless_framesink sink, void *user);

/* With deferred frames on, a frame is read back into a pixel buffer as it is presented
 * and reaches the sink only while the next frame is presented, so the read-back and the
 * sink's work overlap the drawing of that next frame. Each frame still reaches the sink
 * once, in order, with the frame number and clock of its own presentation; the sink's
 * calls that read the host's state (clock, frame count, sound) see it one frame later.
 * The last frame is handed over when the window closes, when fenk_headless_run returns,
 * when the sink changes, when deferring is turned off, or by fenk_headless_flushframes.
 * Off at the start: a test that presents a frame finds it in its sink at once. */
void fenk_headless_deferframes(int on);
/* On: the presentation pass is always drawn and the window read back at once, without
 * deferring, as before frames were read where they were drawn; for measuring that way
 * against the other. Off at the start. */
void fenk_headless_readwindow(int on);
void fenk_headless_flushframes(void);

/* Which frames are drawn and shown. A frame plan answers, for each frame (counted as
 * presented, from 0) as the program is about to draw it, one of:
 *   FENK_HEADLESS_SHOWN    drawn, presented and read back (the sink gets its pixels);
 *   FENK_HEADLESS_UNSHOWN  drawn as the program draws it, but not shown: no
 *                          presentation pass, no read-back, the sink gets NULL pixels.
 *                          A program that knows which frames nobody sees can draw less
 *                          of them itself;
 *   FENK_HEADLESS_UNDRAWN  run in full but not drawn: every draw and clear is clipped to
 *                          nothing, and the sink gets NULL pixels. A program reaches a
 *                          late frame this way at a fraction of the cost, with all of
 *                          its own state as if it had drawn; what those frames would
 *                          have left in frame buffers that later frames do not draw
 *                          over is missing.
 * The plan is asked again whenever the host needs the answer, so it must give the same
 * one for the same frame. NULL (the start) shows every frame. */
enum { FENK_HEADLESS_SHOWN = 0, FENK_HEADLESS_UNSHOWN = 1, FENK_HEADLESS_UNDRAWN = 2 };
typedef int (*fenk_headless_frameplan)(uint64_t frame, void *user);
void fenk_headless_setframeplan(fenk_headless_frameplan plan, void *user);
/* The virtual clock. With a frame rate of 0 (the start) it moves only when set or
 * advanced, or by 1 ms after a spin of FENK_HEADLESS_SPINREADS reads. With a frame
 * rate fps > 0, each presented frame moves it on by exactly 1000 / fps ms (frame n is
 * presented at n * 1000 / fps ms, kept as an exact fraction), and a spin jumps to the
 * next frame's time. */
void fenk_headless_setclock(uint64_t millis);
void fenk_headless_advanceclock(uint64_t millis);
void fenk_headless_setframerate(int fps);
/* The clock as milliseconds without the 32-bit wrap, and the frames presented so far. */
uint64_t fenk_headless_clock(void);
uint64_t fenk_headless_framecount(void);
/* 44 100 Hz sample frames the virtual sound device has played by the current clock. */
uint64_t fenk_headless_audioframes(void);

/* The title last set with FENK_SetTitle ("" before any). */
const char *fenk_headless_title(void);
/* The window size asked for by fenk_initwindow (0 before it), and whether it is open. */
void fenk_headless_windowsize(int *width, int *height);
int fenk_headless_windowopen(void);
/* Cursor shows minus hides so far. */
int fenk_headless_cursorcount(void);

/* Scripted input, as the window would deliver it: a key going down or up (virtual-key
 * code), the cursor position in client pixels, a mouse button (0x1, 0x2, 0x4) going
 * down or up, one wheel step with its signed delta, the window's close. */
void fenk_headless_key(int vk, int down);
void fenk_headless_mousemove(int x, int y);
void fenk_headless_mousebutton(int bit, int down);
void fenk_headless_mousewheel(int delta);
/* The window's close, as a user's click on its close box: a program that catches it
 * (FENK_CatchClose) is told; any other ends at once, as on the windowed hosts, with
 * exit code 0, its deferred frame handed to the sink and its output flushed first. */
void fenk_headless_close(void);

#ifdef __cplusplus
}
#endif

#endif
