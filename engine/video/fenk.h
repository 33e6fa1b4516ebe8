/* The engine's video front door: start-up, frame pacing and presentation. Programs
 * include this one header for the whole video layer. */
#ifndef FENK_VIDEO_FENK_H
#define FENK_VIDEO_FENK_H

#include <stdint.h>

#include "video/shapes.h"
#include "video/video_opengl.h"
#include "video/video_opengl_extended.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Bit 0 of FENK_InitVideo's flags. */
#define FENK_FULLSCREEN 1
#define FENK_DEFAULT_REFRESHRATE 60

typedef struct s_video {
    int32_t width;
    int32_t height;
    int32_t pitch;
    int32_t bpp;
    int32_t bytespp;
    int32_t rmask;
    int32_t gmask;
    int32_t bmask;
    int32_t rshift;
    int32_t gshift;
    int32_t bshift;
    int32_t rbits;
    int32_t gbits;
    int32_t bbits;
    int32_t reserved; /* set to 0, read by nothing */
} s_video;

extern s_video FENK_video;

extern int FENK_postshader_id;
extern float FENK_fadevalue;
extern float FENK_scanlinevalue;
/* Set to 1 by the host once the shading language is usable. */
extern int FENK_shaders_enabled;
extern int fenk_whitetexture_id;

extern int FENK_video_updatespeed;
extern uint32_t FENK_video_time;
extern int FENK_video_numframes;
extern int FENK_video_fps;
extern uint32_t FENK_video_oldtime;

void FENK_InitVideo(int width, int height, int flags);
void FENK_CloseVideo(void);
/* The window at a new size, or full screen (on) or windowed (0) at its size, while the
 * program runs: frame buffers, textures, bitmaps and shaders stay, FENK_video takes
 * the window's size and each frame is stretched over it. A display that has no mode
 * of the window's size refuses full screen with one line naming the sizes it has. */
void FENK_SetWindowSize(int width, int height);
void FENK_SetFullscreen(int on);

/* rate >= 0: frames per second; rate < 0: minus the period in milliseconds. */
void FENK_SetRefreshRate(int rate);
float FENK_WaitRefresh(void);
int FENK_GetFPS(void);

void FENK_SwapBuffers(void);
void FENK_SwapBuffersBasic(void);
/* Seconds between the last two presented frames (FENK_SwapBuffers or
 * FENK_SwapBuffersBasic) on the host's clock; 0 until two frames were presented
 * since FENK_InitVideo. */
float FENK_GetFrameTime(void);
void FENK_SetPostShader(int id);
void FENK_SetFadeValue(float value);
void FENK_SetScanlineValue(float value);

/* The pointer in pixels of the canvas the window shows stretched over it: the current
 * frame buffer, which is what FENK_SwapBuffers presents (frame buffer 0 unless the
 * program draws into another). Its window position scaled by the canvas's size over
 * the window's (FENK_video), whatever the mouse mode (FENK_SetMouseMode); before
 * FENK_InitVideo, the window position. */
void FENK_GetCanvasMouse(float *x, float *y);

/* The picture in the current frame buffer, as drawn so far (before FENK_SwapBuffers:
 * the whole frame; the post shader is not applied), written to the file `path` as an
 * opaque 8-bit RGB PNG, top row first. Returns 1, or 0 with one line saying why. */
int FENK_SaveScreenshot(const char *path);

/* The registries of bitmaps, sprites, fonts and frame buffers, across units. */
void FENK_ShowGraphicsMemory(void);
/* Deletes every registered sprite, then every registered bitmap, and empties
 * the bitmap, sprite and font registries; frame buffers and shaders stay. */
void FENK_FlushGraphics(void);
/* Kept for programs that bracket their scenes with them; they do nothing. */
void FENK_PushGraphics(void);
void FENK_PopGraphics(void);
/* The drawing counted since the last FENK_SwapBuffers; a null pointer is skipped. */
void FENK_GetRenderStatus(int *triangles, int *texturebinds, int *stateswitches);

#ifdef __cplusplus
}
#endif

#endif
