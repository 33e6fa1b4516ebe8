/* Sprites: rectangular cells of a bitmap's texture or blank pixel buffers of
 * their own, the registry of every sprite made, the box collision and
 * colour-key tests, and the draws. */
#ifndef FENK_GRAPHICS2D_CORESPRITE_H
#define FENK_GRAPHICS2D_CORESPRITE_H

#include <stdint.h>

#include "graphics2d/corebitmap.h"

#ifdef __cplusplus
extern "C" {
#endif

#define FENK_MAXSPRITES 1024

typedef struct s_sprite {
    int width;
    int height;
    float u0, v0;
    float u1, v1;
    int texture; /* 0 for a created sprite */
    int x, y;    /* kept for the caller; no call here reads them */
    int originx, originy;
    int boxleft, boxtop;     /* collision box, relative to the drawing position */
    int boxright, boxbottom; /* exclusive */
    uint32_t *pixels;        /* a created sprite's own width x height pixels; null otherwise */
    int reserved;
    s_bitmap *bitmap; /* a loaded sprite's slot in fenk_spritebmp */
} s_sprite;

/* Every sprite made, by reference, in order; a loaded sprite's bitmap sits in
 * fenk_spritebmp at the index of its registry entry. */
extern s_sprite *fenk_spritelist[FENK_MAXSPRITES];
extern s_bitmap fenk_spritebmp[FENK_MAXSPRITES];
extern int fenk_numsprites;

void FENK_GetSprite(int x, int y, int w, int h, s_bitmap bitmap, s_sprite *sprite);
void FENK_LoadSprite(const char *name, s_sprite *sprite);
void FENK_CreateSprite(int w, int h, s_sprite *sprite);
s_bitmap FENK_GetBitmapFromSprite(s_sprite sprite);
void FENK_DeleteSprite(s_sprite *sprite);
void FENK_ClearSprite(s_sprite sprite);

void FENK_SetSpritePosition(s_sprite *sprite, int x, int y);
void FENK_SetSpriteOrigin(s_sprite *sprite, int x, int y);
int FENK_SetSpriteCollisionBox(s_sprite *sprite, int left, int top, int right, int bottom);

int FENK_CheckSpriteCollision(int x1, int y1, s_sprite a, int x2, int y2, s_sprite b);
int FENK_CheckBoxCollision(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2);
int FENK_CheckSpriteTransparency(int colour);

/* Every draw puts the cell's top-left corner at (x, y) of the current frame
 * buffer and switches the alpha test on, leaving it on: fully transparent
 * texels are not drawn. */
void FENK_DrawSprite(int x, int y, s_sprite sprite);
/* Left and right swapped, same place and size. */
void FENK_DrawMirroredSprite(int x, int y, s_sprite sprite);
/* mode: FENK_BLEND_MULTIPLY or FENK_BLEND_ADD; blending is off again afterwards. */
void FENK_DrawBlendSprite(int x, int y, s_sprite sprite, int mode);
void FENK_DrawAlphaSprite(int x, int y, s_sprite sprite, float alpha);
void FENK_DrawScaledSprite(int x, int y, float w, float h, s_sprite sprite, int unused);
/* Turned about the cell's centre, angle in degrees, clockwise on screen for a positive
 * angle (y points down). */
void FENK_DrawRotatedSprite(int x, int y, s_sprite sprite, float angle);
/* At a float position: the top-left corner at (x, y), which need not be a whole pixel. */
void FENK_DrawSpriteF(float x, float y, s_sprite sprite);
/* Drawn w x h, its point (originx, originy), in pixels of that size from its top-left
 * corner, at (x, y), turned `angle` degrees about that point (clockwise on screen for a
 * positive angle). The origin (w / 2, h / 2) turns it about its centre, which then lies
 * on (x, y). */
void FENK_DrawSpriteTransformed(float x, float y, float w, float h, float originx, float originy, float angle,
                                s_sprite sprite);

#ifdef __cplusplus
}
#endif

#endif
