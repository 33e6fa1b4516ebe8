/* Sprites: rectangular cells of a bitmap's texture or blank pixel buffers of
 * their own, the registry of every sprite made, and the box collision and
 * colour-key tests. */
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
    int texture;        /* 0 for a created sprite */
    int x, y;           /* kept for the caller; no call here reads them */
    int originx, originy;
    int boxleft, boxtop;       /* collision box, relative to the drawing position */
    int boxright, boxbottom;   /* exclusive */
    uint32_t *pixels;   /* a created sprite's own width x height pixels; null otherwise */
    int reserved;
    s_bitmap *bitmap;   /* a loaded sprite's slot in fenk_spritebmp */
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

#ifdef __cplusplus
}
#endif

#endif
