/* The show: start-up, the frame loop, the timeline keyed to the music position and
 * the picture-tube pass. coremain is the program's entry on the show thread; the
 * rest is here so that tests and the capture program can drive and inspect it. */
#ifndef FENK_SHOW_MAIN_H
#define FENK_SHOW_MAIN_H

#include <stdint.h>

#include "graphics2d/corebitmap.h"
#include "graphics2d/corefont.h"
#include "sound/coresound.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Sizes of the two frame buffers, whatever the window. */
#define SHOW_SCENE_WIDTH 2844
#define SHOW_SCENE_HEIGHT 1600
#define SHOW_SCREEN_WIDTH 1920
#define SHOW_SCREEN_HEIGHT 1080
/* Top-left corner of every timeline picture in the scene. */
#define SHOW_PICTURE_X 1038
#define SHOW_PICTURE_Y 416
/* Baseline row of the caption lines in the screen frame buffer. */
#define SHOW_CAPTION_Y 960
#define SHOW_ROTATION_PICTURES 16
#define SHOW_CAPTION_LINES 18

/* The video mode coremain asks for: width, height and FENK_InitVideo flags, 1920 x
 * 1080 in a window unless the program sets another before coremain runs. */
extern int show_videowidth;
extern int show_videoheight;
extern int show_videoflags;
/* The forms of the data files: 0 (the start) TGA pictures and WAV music, as the native
 * programs read them; 1 PNG pictures (the same pixels) and Ogg Vorbis music, streamed,
 * as the web page gets them, a lighter download. The program sets it before coremain
 * runs. */
extern int show_webdata;

extern s_bitmap bmp_background;
extern s_bitmap bmp_title;
extern s_bitmap bmp_credits;
extern s_bitmap bmp_greetings;
extern s_bitmap bmp_greetings2;
extern s_bitmap bmp_revizid[SHOW_ROTATION_PICTURES];
extern s_font myfont;
extern s_sound demomusic;

extern int currentframe;
extern int cameraframe;
extern int gameactive;
extern int framebuffer_id;
extern int screenbuffer_id;
extern int postshader_id;
extern float camerax;
extern float cameray;
extern float camerazoom;
extern float fade;

extern const char *const vv_xcopy;
extern const char *const ff_xcopy;

/* Caption lines 1 to 18 (index 0 unused) and the closing line. */
extern const char *const show_captions[SHOW_CAPTION_LINES + 1];
extern const char *const show_closingline;

int coremain(int argc, char **argv);
void LoadResources(void);
void CRT_PostProcess(void);

/* The timeline, a pure function of the music position pos (source sample frames). */

/* One picture over the background: drawn plain, or with the alpha draw. */
typedef struct ShowPicture {
    const s_bitmap *bitmap;
    int alpha;
} ShowPicture;
#define SHOW_MAXPICTURES 6

/* The pictures drawn at pos in drawing order; returns how many (0 to 6). */
int timeline_pictures(uint64_t pos, ShowPicture pictures[SHOW_MAXPICTURES]);
/* The fade after this frame's ramp, from the fade before it. */
float timeline_fade(uint64_t pos, float fade);
/* The caption lines drawn at pos, in drawing order; returns how many (0 to 2). */
int timeline_captions(uint64_t pos, const char *lines[2]);

/* The camera of one tube pass, a pure function of the camera's frame number: its zoom
 * and sway, and the rectangle the scene is drawn into (x, y, width, height). */
typedef struct ShowCamera {
    float zoom;
    float x;
    float y;
    int rect[4];
} ShowCamera;
ShowCamera crt_camera(int frame);

#ifdef __cplusplus
}
#endif

#endif
