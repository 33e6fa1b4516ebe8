/* show_capture: the show on the headless host, frame-exact at a fixed frame rate, its
 * frames and sound written to a video (or PNG frames and a WAV).
 *
 * Video frame n shows the screen from n / fps seconds on, the time the virtual clock
 * gives; the sound track is everything the virtual sound device plays from its start,
 * so it begins with the four silent buffers a real device plays first. The show
 * presents its first frame one frame time after the device starts, as it does on real
 * hardware once its first pacing wait is over, so frame 0 is the black screen before
 * it. */
#ifndef FENK_SHOW_CAPTURE_H
#define FENK_SHOW_CAPTURE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The show paces itself at most every 15 ms: a faster capture would drop frames. */
#define CAPTURE_MAXFPS 66

typedef struct s_captureoptions {
    int fps;
    int width;
    int height;
    int flags;
    const char *out;     /* the MP4, when ffmpeg is there */
    const char *frames;  /* a folder for PNG frames and the WAV, or NULL */
    double from;         /* seconds of the show */
    double to;           /* seconds; negative for the end of the show */
    int drawall;         /* draw the frames before `from` too */
} s_captureoptions;

enum { CAPTURE_RUN, CAPTURE_HELP, CAPTURE_BADOPTION };

/* Reads the command line into `options` (defaults first). CAPTURE_BADOPTION comes with
 * the reason in `message`. */
int Capture_ParseOptions(int argc, char **argv, s_captureoptions *options, char *message, size_t size);
extern const char *const capture_usage;

/* The video frames that lie in [from, to): the first, and one past the last (UINT64_MAX
 * for the end of the show). */
void Capture_FrameRange(const s_captureoptions *options, uint64_t *first, uint64_t *end);
/* The sound frames (44 100 Hz) from the start of the device to video frame n's time. */
uint64_t Capture_SoundFrameAt(uint64_t frame, int fps);

/* Runs the capture and returns the program's exit code. */
int Capture_Run(const s_captureoptions *options, const char *program);

#ifdef __cplusplus
}
#endif

#endif
