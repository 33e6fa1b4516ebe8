/* Bitmaps: pictures held as 32-bit pixels in memory, the registry of every
 * bitmap made, the TGA reader that fills them from the data image, and the
 * pixel calls. Pixel memory holds the bytes R, G, B, A in memory order (the word
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
    int texwidth;       /* PowerOfTwo(width), which is width itself */
    int texheight;
    int bytesize;       /* texwidth * texheight * 4: the size of the pixel memory */
    int pixelcount;     /* texwidth * texheight */
    int reserved1;
    int reserved2;
    uint32_t *pixels;   /* owned by the bitmap; null when it has none */
    float u0, v0, u1, v1;
    int texture;
    int reserved3;
} s_bitmap;

/* Every record made, by reference: the caller's records must stay in place. */
extern s_bitmap *fenk_bitmaplist[FENK_MAXBITMAPS];
extern int fenk_numbitmaps;

int FENK_GetPixel(int x, int y, s_bitmap bitmap);
void FENK_DrawPixel(int x, int y, int colour, s_bitmap bitmap);

void FENK_LoadBitmap(const char *name, s_bitmap *bitmap);
void FENK_LoadBitmapStatic(const char *name, s_bitmap *bitmap);
void LoadImageTGA(const char *name, s_bitmap *bitmap);
/* The reader's work after the file is in memory; name is only used in messages. */
void DecodeImageTGA(const char *name, const unsigned char *data, int size, s_bitmap *bitmap);

int ConvertTransp(int colour);
char *upcase(char *text);

#ifdef __cplusplus
}
#endif

#endif
