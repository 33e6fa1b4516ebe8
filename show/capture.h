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

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The show paces itself at most every 15 ms: a faster display would not get a frame
 * per refresh. */
#define CAPTURE_MAXRATE 66
#define CAPTURE_DEFAULTRATE 60
/* The longest the show could last, in seconds: its music is a WAV, which holds at most
 * 4 GiB, played at 173 frames a second or more (a slower one the mixer cannot step),
 * one byte a frame at the least. Times past it are refused, so every frame number fits
 * an integer with room to spare. */
#define CAPTURE_MAXSECONDS 25000000.0

typedef struct s_captureoptions {
    int fps;  /* video frames a second, at most `rate` */
    int rate; /* the show's own frames a second */
    int width;
    int height;
    int flags;
    const char *out;    /* the MP4, when ffmpeg is there */
    const char *frames; /* a folder for PNG frames and the WAV, or NULL */
    double from;        /* seconds of the show */
    double to;          /* seconds; negative for the end of the show */
    int drawall;        /* draw every frame of the show, also those not written */
    const char *preset; /* x264's preset */
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
/* The show's frame on screen at video frame n's time. */
uint64_t Capture_ShowFrameAt(uint64_t frame, int fps, int rate);
/* The first show frame whose end reaches past the end of the video frames before `end`:
 * the show runs up to it so that the sound device has played their whole sound. */
uint64_t Capture_LastShowFrame(uint64_t end, int fps, int rate);

/* Runs the capture and returns the program's exit code. */
int Capture_Run(const s_captureoptions *options, const char *program);

#ifdef __cplusplus
}
#endif

#endif
