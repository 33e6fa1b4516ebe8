// Sprites, their registry, the collision and colour-key tests, and the draws.
#include "graphics2d/coresprite.h"
#include "platform/log.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "video/video_opengl.h"

s_sprite *fenk_spritelist[FENK_MAXSPRITES];
s_bitmap fenk_spritebmp[FENK_MAXSPRITES];
int fenk_numsprites;

namespace {

// A refused sprite is left empty: nothing to draw, nothing owned.
int registryfull(s_sprite *sprite)
{
    if (fenk_numsprites >= 0 && fenk_numsprites < FENK_MAXSPRITES) return 0;
    fenk_log(FENK_LOG_ERROR, "- ERROR: sprite registry full (%d sprites).\n", FENK_MAXSPRITES);
    memset(sprite, 0, sizeof *sprite);
    return 1;
}

void registersprite(s_sprite *sprite) { fenk_spritelist[fenk_numsprites++] = sprite; }

// A bitmap that never loaded has no texture size; its cells cover nothing
// rather than dividing by zero.
float texcoord(int64_t at, int size) { return size > 0 ? (float)at / (float)size : 0.0f; }

// Both boxes strictly overlap: boxes that only touch at an edge do not
// collide. Worked in 64 bits so that far-off positions cannot overflow.
int overlap(int64_t l1, int64_t t1, int64_t w1, int64_t h1, int64_t l2, int64_t t2, int64_t w2, int64_t h2)
{
    return l2 - w1 < l1 && t2 - h1 < t1 && l2 + w2 > l1 && t2 + h2 > t1;
}

// What every draw does before its quad.
void prepare(const s_sprite &sprite)
{
    FENK_BindTexture(sprite.texture);
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
}

void drawcell(int x, int y, const s_sprite &sprite)
{
    FENK_DrawQuad((float)x, (float)y, (float)sprite.width, (float)sprite.height, sprite.u0, sprite.v0,
                  sprite.u1, sprite.v1);
}

// A new sprite: its size, the collision box over all of it, the origin at its corner.
void setsize(s_sprite *sprite, int w, int h)
{
    sprite->width = w;
    sprite->height = h;
    sprite->boxleft = 0;
    sprite->boxtop = 0;
    sprite->boxright = w;
    sprite->boxbottom = h;
    sprite->originx = 0;
    sprite->originy = 0;
}

} // namespace

void FENK_GetSprite(int x, int y, int w, int h, s_bitmap bitmap, s_sprite *sprite)
{
    if (!sprite || registryfull(sprite)) return;
    setsize(sprite, w, h);
    sprite->pixels = nullptr;
    sprite->u0 = texcoord(x, bitmap.texwidth);
    sprite->v0 = texcoord(y, bitmap.texheight);
    sprite->u1 = texcoord((int64_t)x + w, bitmap.texwidth);
    sprite->v1 = texcoord((int64_t)y + h, bitmap.texheight);
    sprite->texture = bitmap.texture;
    sprite->reserved = 0;
    registersprite(sprite);
}

// The slot is emptied first, so a file that does not load gives an empty
// sprite instead of one cut from whatever the slot held before a flush.
void FENK_LoadSprite(const char *name, s_sprite *sprite)
{
    if (!sprite || registryfull(sprite)) return;
    s_bitmap *slot = &fenk_spritebmp[fenk_numsprites];
    memset(slot, 0, sizeof *slot);
    FENK_LoadBitmap(name, slot);
    sprite->bitmap = slot;
    FENK_GetSprite(0, 0, slot->width, slot->height, *slot, sprite);
}

void FENK_CreateSprite(int w, int h, s_sprite *sprite)
{
    if (!sprite || registryfull(sprite)) return;
    if (w <= 0 || h <= 0 || (int64_t)w * h * 4 > INT32_MAX) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: no sprite of %d x %d pixels.\n", w, h);
        memset(sprite, 0, sizeof *sprite);
        return;
    }
    uint32_t *pixels = (uint32_t *)malloc((size_t)w * (size_t)h * 4);
    if (!pixels) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: no memory for a %d x %d sprite.\n", w, h);
        memset(sprite, 0, sizeof *sprite);
        return;
    }
    setsize(sprite, w, h);
    sprite->pixels = pixels;
    sprite->u0 = 0.0f;
    sprite->v0 = 0.0f;
    sprite->u1 = (float)(w * 0.99999) / (float)w;
    sprite->v1 = (float)(h * 0.9999) / (float)h;
    sprite->texture = 0;
    sprite->reserved = 0;
    FENK_ClearSprite(*sprite);
    registersprite(sprite);
}

s_bitmap FENK_GetBitmapFromSprite(s_sprite sprite)
{
    s_bitmap bitmap;
    memset(&bitmap, 0, sizeof bitmap);
    bitmap.width = sprite.width;
    bitmap.height = sprite.height;
    // Only a created sprite's size is bounded; a cut cell may be any size, and
    // a count that does not fit is left at 0.
    int64_t count = (int64_t)sprite.width * sprite.height;
    if (count >= 0 && count * 4 <= INT32_MAX) {
        bitmap.pixelcount = (int)count;
        bitmap.bytesize = (int)count * 4;
    }
    bitmap.pixels = sprite.pixels;
    bitmap.u0 = sprite.u0;
    bitmap.v0 = sprite.v0;
    bitmap.u1 = sprite.u1;
    bitmap.v1 = sprite.v1;
    bitmap.texture = sprite.texture;
    bitmap.reserved3 = sprite.reserved;
    return bitmap;
}

void FENK_DeleteSprite(s_sprite *sprite)
{
    if (!sprite || !sprite->pixels) return;
    free(sprite->pixels);
    sprite->pixels = nullptr;
}

void FENK_ClearSprite(s_sprite sprite)
{
    if (sprite.pixels) memset(sprite.pixels, 0, (size_t)sprite.width * (size_t)sprite.height * 4);
}

void FENK_SetSpritePosition(s_sprite *sprite, int x, int y)
{
    if (!sprite) return;
    sprite->x = x;
    sprite->y = y;
}

void FENK_SetSpriteOrigin(s_sprite *sprite, int x, int y)
{
    if (!sprite) return;
    sprite->originx = x;
    sprite->originy = y;
}

int FENK_SetSpriteCollisionBox(s_sprite *sprite, int left, int top, int right, int bottom)
{
    if (sprite) {
        sprite->boxleft = left;
        sprite->boxtop = top;
        sprite->boxright = right;
        sprite->boxbottom = bottom;
    }
    return 1;
}

int FENK_CheckSpriteCollision(int x1, int y1, s_sprite a, int x2, int y2, s_sprite b)
{
    return overlap((int64_t)x1 + a.boxleft, (int64_t)y1 + a.boxtop, (int64_t)a.boxright - a.boxleft,
                   (int64_t)a.boxbottom - a.boxtop, (int64_t)x2 + b.boxleft, (int64_t)y2 + b.boxtop,
                   (int64_t)b.boxright - b.boxleft, (int64_t)b.boxbottom - b.boxtop);
}

int FENK_CheckBoxCollision(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2)
{
    return overlap(x1, y1, w1, h1, x2, y2, w2, h2);
}

int FENK_CheckSpriteTransparency(int colour)
{
    uint32_t c = (uint32_t)colour;
    uint32_t red = (c >> 16) & 255, green = (c >> 8) & 255, blue = c & 255;
    return red > 240 && green <= 15 && blue > 240;
}

void FENK_DrawSprite(int x, int y, s_sprite sprite)
{
    prepare(sprite);
    drawcell(x, y, sprite);
}

void FENK_DrawMirroredSprite(int x, int y, s_sprite sprite)
{
    prepare(sprite);
    FENK_DrawQuad((float)x, (float)y, (float)sprite.width, (float)sprite.height, sprite.u1, sprite.v0,
                  sprite.u0, sprite.v1);
}

void FENK_DrawBlendSprite(int x, int y, s_sprite sprite, int mode)
{
    FENK_SetBlendMode(mode);
    FENK_EnableRenderState(FENK_RENDERSTATE_BLEND);
    prepare(sprite);
    drawcell(x, y, sprite);
    FENK_DisableRenderState(FENK_RENDERSTATE_BLEND);
}

void FENK_DrawAlphaSprite(int x, int y, s_sprite sprite, float alpha)
{
    FENK_EnableAlphaBlend(alpha);
    prepare(sprite);
    drawcell(x, y, sprite);
    FENK_DisableAlphaBlend();
}

void FENK_DrawScaledSprite(int x, int y, float w, float h, s_sprite sprite, int)
{
    prepare(sprite);
    FENK_DrawQuad((float)x, (float)y, w, h, sprite.u0, sprite.v0, sprite.u1, sprite.v1);
}

void FENK_DrawRotatedSprite(int x, int y, s_sprite sprite, float angle)
{
    prepare(sprite);
    FENK_DrawRotatedQuad((float)x, (float)y, (float)sprite.width, (float)sprite.height, sprite.u0, sprite.v0,
                         sprite.u1, sprite.v1, angle);
}

void FENK_DrawSpriteF(float x, float y, s_sprite sprite)
{
    prepare(sprite);
    FENK_DrawQuad(x, y, (float)sprite.width, (float)sprite.height, sprite.u0, sprite.v0, sprite.u1,
                  sprite.v1);
}

void FENK_DrawSpriteTransformed(float x, float y, float w, float h, float originx, float originy, float angle,
                                s_sprite sprite)
{
    prepare(sprite);
    FENK_DrawTransformedQuad(x, y, w, h, originx, originy, angle, sprite.u0, sprite.v0, sprite.u1, sprite.v1);
}
