/* show_capture's command line, the frame arithmetic it implies, and the progress line
 * the capture writes while it runs. Nothing here touches the show or the host, so the
 * parser can be fed any command line on its own. */
#ifndef FENK_SHOW_CAPTURE_OPTIONS_H
#define FENK_SHOW_CAPTURE_OPTIONS_H

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

typedef struct CaptureOptions {
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
    /* For measuring against the ways of before; no option sets them (0 by default). */
    int redraw;     /* draw every pass of each frame drawn, as on a screen */
    int readwindow; /* read each frame from the window after the presentation pass */
} CaptureOptions;

enum { CAPTURE_RUN, CAPTURE_HELP, CAPTURE_BADOPTION };

/* Reads the command line into `options` (defaults first). CAPTURE_BADOPTION comes with
 * the reason in `message`. */
int capture_parse_options(int argc, char **argv, CaptureOptions *options, char *message, size_t size);
extern const char *const capture_usage;

/* The video frames that lie in [from, to): the first, and one past the last (UINT64_MAX
 * for the end of the show). */
void capture_frame_range(const CaptureOptions *options, uint64_t *first, uint64_t *end);
/* The sound frames (44 100 Hz) from the start of the device to video frame n's time. */
uint64_t capture_sound_frame_at(uint64_t frame, int fps);
/* The show's frame on screen at video frame n's time. */
uint64_t capture_show_frame_at(uint64_t frame, int fps, int rate);
/* The first show frame whose end reaches past the end of the video frames before `end`:
 * the show runs up to it so that the sound device has played their whole sound. */
uint64_t capture_last_show_frame(uint64_t end, int fps, int rate);

/* The frame plan: what becomes of each frame of the show, counted as presented from 0
 * (show frame s is presented as frame s - 1). One plan serves the host and the show. */
enum { CAPTURE_FRAME_WRITTEN = 0, CAPTURE_FRAME_UNSEEN = 1, CAPTURE_FRAME_UNDRAWN = 2 };
typedef struct CapturePlan {
    int fps;
    int rate;
    uint64_t first;     /* the first video frame written past the black frame 0 (at least 1) */
    uint64_t end;       /* one past the last video frame (UINT64_MAX: the show's end) */
    uint64_t draw_from; /* frames before it run undrawn */
    int whole;          /* unseen frames are drawn whole (--draw-all) */
    int redraw;         /* every pass of a drawn frame is drawn (measuring) */
} CapturePlan;

void capture_make_plan(const CaptureOptions *options, CapturePlan *plan);
/* The first frame at or after `frame` that is written, or UINT64_MAX for none. */
uint64_t capture_next_written(const CapturePlan *plan, uint64_t frame);
/* CAPTURE_FRAME_WRITTEN for a frame written, CAPTURE_FRAME_UNSEEN for one drawn but not
 * written (it draws only what the next one written will not draw over, unless whole),
 * CAPTURE_FRAME_UNDRAWN for one run without drawing: those before the first written
 * (unless whole) and those after the last. */
int capture_frame_kind(const CapturePlan *plan, uint64_t frame);

/* The progress line: a bar, the frames written of those to write, the show's time and
 * the time left (or, when done, the time taken). The run keeps the counts up to date;
 * the rest is the line's own. Times are seconds on a steady clock. */
typedef struct CaptureProgress {
    uint64_t first;    /* the first video frame to write */
    uint64_t end;      /* one past the last; UINT64_MAX for the end of the show */
    uint64_t estimate; /* video frames the show will have, from its music's length */
    uint64_t written;  /* video frames written */
    uint64_t shown;    /* the show's frame on screen now */
    int rate;          /* the show's frames a second */
    int failed;
    int terminal; /* standard error is a terminal: one line redrawn in place */
    double started;
    double printed;
    double speed_time;     /* the start of the span the speed is measured over */
    uint64_t speed_frames; /* frames written by then */
    double speed;          /* video frames written a second, lately; 0 before it is known */
} CaptureProgress;

/* Starts the line's clock. */
void capture_start_progress(CaptureProgress *progress, double now);
/* Measures the speed afresh from now on: drawn frames cost far more than skipped ones. */
void capture_restart_speed(CaptureProgress *progress, double now);
/* Writes the line to standard error when one is due (four a second on a terminal,
 * else one every 5 s), and always when the capture is done. */
void capture_report_progress(CaptureProgress *progress, double now, int done);
/* The line itself, as capture_report_progress writes it, with the speed brought up to
 * date; for a terminal it starts with a carriage return and ends without a newline
 * until done. */
void capture_progress_line(CaptureProgress *progress, double now, int done, char *line, size_t size);

#ifdef __cplusplus
}
#endif

#endif
