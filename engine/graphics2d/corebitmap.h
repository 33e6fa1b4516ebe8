/* Bitmaps: pictures held as 32-bit pixels in memory and as a texture, the
 * registry of every bitmap made, the TGA reader that fills them from the data
 * image, the pixel calls and the draws. Pixel memory holds the bytes R, G, B, A in memory order (the word
 * 0xAABBGGRR); the pixel calls take and give colours as 0xAARRGGBB. */
#ifndef FENK_GRAPHICS2D_COREBITMAP_H
#define FENK_GRAPHICS2D_COREBITMAP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FENK_MAXBITMAPS 1024
/* Bytes of the TGA file header that precede the identification field. */
#define FENK_TGA_HEADERSIZE 18

typedef struct s_bitmap {
    int width;
    int height;
    int reserved0;
    int texwidth; /* PowerOfTwo(width), which is width itself */
    int texheight;
    int bytesize;   /* texwidth * texheight * 4: the size of the pixel memory */
    int pixelcount; /* texwidth * texheight */
    int reserved1;
    int reserved2;
    uint32_t *pixels; /* owned by the bitmap; null when it has none */
    float u0, v0, u1, v1;
    int texture;
    int reserved3;
} s_bitmap;

/* Every record made, by reference: the caller's records must stay in place. */
extern s_bitmap *fenk_bitmaplist[FENK_MAXBITMAPS];
extern int fenk_numbitmaps;

/* Registers the record and gives it zeroed pixel memory and a texture. A size
 * that is not positive or whose pixel memory would not fit an int is refused,
 * as is any bitmap past the registry's last slot: the record is then left
 * without pixels and unregistered. */
void FENK_CreateBitmap(int width, int height, s_bitmap *bitmap);
/* Releases the texture and the pixel memory; the registry entry stays, and a
 * second delete does nothing. A static bitmap (no pixels) gives up its texture. */
void FENK_DeleteBitmap(s_bitmap *bitmap);
/* The texture takes the pixel memory's picture. */
void FENK_UpdateBitmap(s_bitmap bitmap);
void FENK_ClearBitmap(s_bitmap bitmap);
/* word is in the stored layout 0xAABBGGRR, unlike FENK_DrawPixel's colour. */
void FENK_ClearBitmapWithColor(s_bitmap bitmap, int word);
void FENK_BindTextureFromBitmap(s_bitmap bitmap);

int FENK_GetPixel(int x, int y, s_bitmap bitmap);
void FENK_DrawPixel(int x, int y, int colour, s_bitmap bitmap);

/* Draws into the current frame buffer, the top-left corner at (x, y). The
 * plain, scaled and rotated draws switch the alpha test off: transparent
 * pixels are drawn as transparent black. */
void FENK_DrawBitmap(int x, int y, s_bitmap bitmap);
void FENK_DrawScaledBitmap(int x, int y, float w, float h, s_bitmap bitmap, int unused);
/* zoom in percent: 100 is the natural size. */
void FENK_DrawZoomedBitmap(int x, int y, float zoom, s_bitmap bitmap);
/* mode: FENK_BLEND_MULTIPLY or FENK_BLEND_ADD. */
void FENK_DrawBlendBitmap(int x, int y, s_bitmap bitmap, int mode);
/* alpha from 0 (invisible) to 1 (opaque), times each pixel's own alpha. */
void FENK_DrawAlphaBitmap(int x, int y, s_bitmap bitmap, float alpha);
/* Turned about the centre of the unturned rectangle, angle in degrees. */
void FENK_DrawRotatedBitmap(int x, int y, s_bitmap bitmap, float angle);

void FENK_LoadBitmap(const char *name, s_bitmap *bitmap);
/* As FENK_LoadBitmap, then the pixel memory is released: the bitmap can only be drawn. */
void FENK_LoadBitmapStatic(const char *name, s_bitmap *bitmap);
void LoadImageTGA(const char *name, s_bitmap *bitmap);
/* The reader's work after the file is in memory; name is only used in messages. */
void DecodeImageTGA(const char *name, const unsigned char *data, int size, s_bitmap *bitmap);

/* A PNG picture (any colour type and depth PNG has, sides up to 16384) read through
 * the file layer into a registered bitmap that keeps its pixels, as FENK_LoadBitmap
 * does. Returns 1, or 0 with b->pixels NULL and one line saying why. */
int FENK_LoadPNG(const char *name, s_bitmap *bitmap);
/* The same from a PNG file already in memory; name is only used in messages. */
int FENK_DecodePNG(const char *name, const unsigned char *data, int size, s_bitmap *bitmap);

int ConvertTransp(int colour);
char *upcase(char *text);

#ifdef __cplusplus
}
#endif

#endif
