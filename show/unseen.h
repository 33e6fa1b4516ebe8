/* Frames nobody sees, and passes that change no pixel. A program that writes out only
 * some of the show's frames (the capture) gives the show a frame plan; the show then
 * draws of each frame only what can reach a frame that is seen, the same pixels at a
 * fraction of the cost. Without a plan (the windowed show) every frame is shown and
 * drawn whole but for the scene, which is drawn again only when its pictures change.
 * Frames are counted as the host presents them, from 0. */
#ifndef FENK_SHOW_UNSEEN_H
#define FENK_SHOW_UNSEEN_H

#include <stdint.h>

#include "show/main.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What becomes of a frame; the host's and the capture's plans use the same numbers. */
enum { SHOW_FRAME_SHOWN = 0, SHOW_FRAME_UNSEEN = 1, SHOW_FRAME_UNDRAWN = 2 };

typedef struct ShowFramePlan {
    /* SHOW_FRAME_* of a frame, the same answer every time it is asked. */
    int (*kind)(uint64_t frame, void *user);
    /* The first frame at or after `frame` that is shown, or UINT64_MAX. NULL: unseen
     * frames are drawn whole. */
    uint64_t (*nextshown)(uint64_t frame, void *user);
    void *user;
    /* Draw every pass, also those that would change no pixel (for measuring). */
    int redraw;
    /* Frames the host presents a second (0: 60): how far the tube's camera moves
     * between two frames. */
    int rate;
} ShowFramePlan;

/* NULL takes the plan away. Either way the next frame draws the scene whole. */
void show_setframeplan(const ShowFramePlan *plan);

/* Whether the scene frame buffer must be drawn for `frame`: not when it holds these
 * pictures already, drawn by an earlier frame. They are what it holds from now on. */
int show_sceneneeded(int frame, const ShowPicture *pictures, int count);
/* Whether the tube pass must be drawn, at the fade it was given: a pass at a fade of 0
 * changes no pixel. */
int show_tubeneeded(int frame, float fade);

/* The parts of the screen frame buffer `frame`, whose tube is that of camera frame
 * `cameraframe`, draws: all of it (clipped 0, count 1), or the strips around what the
 * next frame shown draws over (clipped 1, count 0 to 4). */
typedef struct ShowParts {
    int clipped;
    int count;
    int strips[4][4]; /* x, y, width, height, top-down */
} ShowParts;
void show_drawparts(int frame, int cameraframe, float fade, ShowParts *parts);
/* Clips drawing to part i (nothing to do when not clipped). */
void show_clippart(const ShowParts *parts, int i);

#ifdef __cplusplus
}
#endif

#endif
