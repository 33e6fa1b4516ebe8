/* Frame buffers, textures, drawing primitives and render state: the thin layer over
 * OpenGL that every picture of the engine goes through. Coordinates are float pixels
 * of the current frame buffer, origin top-left, y down. */
#ifndef FENK_VIDEO_VIDEO_OPENGL_H
#define FENK_VIDEO_VIDEO_OPENGL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FENK_MAXFRAMEBUFFERS 16
#define FENK_NUMPALETTES 8
#define FENK_PALETTESIZE 256

/* Frame buffer flags. */
#define FENK_FRAMEBUFFER_DEPTH 1
#define FENK_FRAMEBUFFER_LINEAR 2

/* Render-state bits of FENK_EnableRenderState / FENK_DisableRenderState. */
#define FENK_RENDERSTATE_DEPTHTEST 1
#define FENK_RENDERSTATE_ALPHATEST 2
#define FENK_RENDERSTATE_BLEND 4
#define FENK_RENDERSTATE_LIGHTING 8

/* Blend modes of FENK_SetBlendMode. */
#define FENK_BLEND_MULTIPLY 1
#define FENK_BLEND_ADD 2

typedef struct s_framebuffer {
    int32_t width;
    int32_t height;
    int32_t index;
    int32_t flags;
} s_framebuffer;

/* GL objects of one frame buffer, parallel to its descriptor. */
typedef struct s_framebufferdata {
    unsigned char *pixels; /* width * height * 4 bytes, used when frame buffers are emulated */
    uint32_t fbo;
    uint32_t colortexture;
    uint32_t depthtexture; /* 0 without a depth texture */
} s_framebufferdata;

extern s_framebuffer FENK_framebuffers[FENK_MAXFRAMEBUFFERS];
extern s_framebufferdata FENK_framebufferdata[FENK_MAXFRAMEBUFFERS];
extern s_framebuffer *FENK_FrameBuffer;
extern int FENK_numframebuffers;
extern int FENK_framebuffers_enabled;
/* The texture of the last FENK_BindTexture; -1 after any other bind of this layer
 * and after each presentation, so the next FENK_BindTexture binds for real. */
extern int FENK_lasttextureid;

extern int FENK_projectionmode;
extern int FENK_renderstate;
extern int FENK_stats_numtriangles;
extern int FENK_stats_numlines;
extern int FENK_stats_numtexturebinds;
extern int FENK_stats_numstateswitches;
extern unsigned char FENK_Palette[FENK_NUMPALETTES][FENK_PALETTESIZE][3];

/* Frame buffers. Ids are handed out from 0; -1 when the table is full. */
int FENK_CreateFrameBuffer(int width, int height, int flags);
void FENK_SetFrameBuffer(int id);
int FENK_GetFrameBufferWidth(void);
int FENK_GetFrameBufferHeight(void);
int FENK_GetFrameBufferTexture(int id);
int FENK_GetFrameBufferDepth(int id);
/* colour: bytes red, green, blue, alpha from the low byte up (0xAABBGGRR). */
void FENK_ClearFrameBuffer(uint32_t colour);
void FENK_DrawFrameBuffer(int x, int y, int w, int h, int id);
/* Limits every later draw and clear to a rectangle in pixels of the frame buffer drawn
 * into (x to the right, y down from its top row, as 2D drawing places things), whichever
 * frame buffer that is, until FENK_ResetClipRect or the next FENK_InitVideo. A width or
 * height of 0 or less clips everything away. Presenting a frame is never clipped. */
void FENK_SetClipRect(int x, int y, int w, int h);
void FENK_ResetClipRect(void);

/* Textures: texels are 4 bytes each, red, green, blue, alpha, GL row 0 first. */
int FENK_CreateTexture(int width, int height, const void *texels, int unused);
void FENK_UpdateTexture(int texture, int width, int height, const void *texels);
void FENK_SetTextureOptions(int texture, int minfilter, int magfilter, int wraps, int wrapt);
void FENK_DeleteTexture(int texture);
void FENK_BindTexture(int texture);
void FENK_BindTextureChannel(int texture, int channel);
int PowerOfTwo(int n);

/* Projection and matrices. */
void FENK_Enable2D(void);
void FENK_Disable2D(void);
void FENK_Perspective(float fovy, float aspect, float znear, float zfar);
void FENK_ViewPort(int unused1, int unused2, float aspect, float fovy, float znear, float zfar);
void FENK_LookAt(float eyex, float eyey, float eyez, float centerx, float centery, float centerz);
void FENK_UpdateMatrix(const float *matrix);
void FENK_UpdateVertexData(const float *data, int a, int b);
void FENK_DrawFaceList(int a, int b);

/* Render state and blending. */
void FENK_EnableRenderState(int bits);
void FENK_DisableRenderState(int bits);
void FENK_SetBlendMode(int mode);
void FENK_EnableAlphaBlend(float alpha);
void FENK_DisableAlphaBlend(void);
/* A colour (0 to 1 each) every textured draw is multiplied by from now on: quads,
 * bitmaps, sprites, text and frame buffers, each texel's red, green, blue and alpha by
 * r, g, b and a. The colour and line draws and the shapes take their own colour, and a
 * frame's presentation is never tinted. FENK_ResetTint goes back to white (none). */
void FENK_SetTint(float r, float g, float b, float a);
void FENK_ResetTint(void);

/* Primitives. */
void FENK_DrawQuad(float x, float y, float w, float h, float u0, float v0, float u1, float v1);
void FENK_DrawRotatedQuad(float x, float y, float w, float h, float u0, float v0, float u1, float v1,
                          float angle);
/* A w x h quad whose point (originx, originy), measured from its top-left corner,
 * lands on (x, y), turned `angle` degrees about that point: clockwise on screen for a
 * positive angle (y points down). Angle 0 and origin (0, 0) draw FENK_DrawQuad's quad. */
void FENK_DrawTransformedQuad(float x, float y, float w, float h, float originx, float originy, float angle,
                              float u0, float v0, float u1, float v1);
void FENK_DrawColorQuad(float x, float y, float w, float h, float r, float g, float b, float a);
void FENK_DrawLineRGB(float x1, float y1, float x2, float y2, float r, float g, float b, float a);
void FENK_SetPallete(int palette, int count, const unsigned char *rgb);

#ifdef __cplusplus
}
#endif

#endif
