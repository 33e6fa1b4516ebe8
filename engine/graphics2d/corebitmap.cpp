// Bitmaps in memory, their registry, the pixel calls and the TGA loader.
#include "graphics2d/corebitmap.h"
#include "platform/log.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "files/core.h"
#include "graphics2d/png.h"
#include "graphics2d/tga.h"
#include "platform/shell_word.h"
#include "video/video_opengl.h"

s_bitmap *fenk_bitmaplist[FENK_MAXBITMAPS];
int fenk_numbitmaps;

namespace {

// The program-side colour 0xAARRGGBB and the stored word 0xAABBGGRR differ only
// in the places of red and blue.
inline uint32_t swapredblue(uint32_t colour)
{
    return (colour & 0xFF00FF00u) | ((colour >> 16) & 0xFFu) | ((colour & 0xFFu) << 16);
}

// Fills the record, gives it pixel memory and a texture, and registers it. A
// program's bitmap starts zeroed, and its texture with it; the TGA reader
// writes every pixel and uploads the picture once, after decoding, so its
// texture starts without texels. The full registry refuses the bitmap rather
// than writing past its last slot.
int newbitmap(int width, int height, s_bitmap *bitmap, int forprogram)
{
    if (fenk_numbitmaps < 0 || fenk_numbitmaps >= FENK_MAXBITMAPS) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: bitmap registry full (%d bitmaps).\n", FENK_MAXBITMAPS);
        bitmap->pixels = nullptr;
        return 0;
    }
    bitmap->width = width;
    bitmap->height = height;
    bitmap->reserved0 = 0;
    bitmap->texwidth = PowerOfTwo(width);
    bitmap->texheight = PowerOfTwo(height);
    bitmap->pixelcount = bitmap->texwidth * bitmap->texheight;
    bitmap->bytesize = bitmap->pixelcount * 4;
    bitmap->u0 = 0.0f;
    bitmap->v0 = 0.0f;
    bitmap->u1 = (float)(width * 0.99999) / (float)bitmap->texwidth;
    bitmap->v1 = (float)(height * 0.9999) / (float)bitmap->texheight;
    bitmap->texture = 0;
    bitmap->reserved3 = 0;
    size_t bytes = (size_t)bitmap->bytesize;
    bitmap->pixels = (uint32_t *)(forprogram ? calloc(bytes, 1) : malloc(bytes));
    if (!bitmap->pixels) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: no memory for a %d x %d bitmap.\n", width, height);
        return 0;
    }
    bitmap->texture = FENK_CreateTexture(width, height, forprogram ? bitmap->pixels : nullptr, 0);
    fenk_bitmaplist[fenk_numbitmaps++] = bitmap;
    return 1;
}

} // namespace

void FENK_CreateBitmap(int width, int height, s_bitmap *bitmap)
{
    if (!bitmap) return;
    if (width <= 0 || height <= 0 || (int64_t)width * height * 4 > INT32_MAX) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: no bitmap of %d x %d pixels.\n", width, height);
        bitmap->pixels = nullptr;
        return;
    }
    newbitmap(width, height, bitmap, 1);
}

void FENK_DeleteBitmap(s_bitmap *bitmap)
{
    if (!bitmap || (!bitmap->pixels && !bitmap->texture)) return;
    fenk_log(FENK_LOG_INFO, "deleting bitmap");
    if (bitmap->texture) {
        FENK_DeleteTexture(bitmap->texture);
        // GL hands a freed name out again: a second delete must not reach it.
        bitmap->texture = 0;
    }
    free(bitmap->pixels);
    bitmap->pixels = nullptr;
}

void FENK_UpdateBitmap(s_bitmap bitmap)
{
    if (!bitmap.pixels) return;
    FENK_UpdateTexture(bitmap.texture, bitmap.width, bitmap.height, bitmap.pixels);
}

void FENK_ClearBitmap(s_bitmap bitmap)
{
    if (!bitmap.pixels) return;
    memset(bitmap.pixels, 0, (size_t)bitmap.bytesize);
    FENK_UpdateBitmap(bitmap);
}

void FENK_ClearBitmapWithColor(s_bitmap bitmap, int word)
{
    if (!bitmap.pixels) return;
    for (int i = 0; i < bitmap.pixelcount; i++) bitmap.pixels[i] = (uint32_t)word;
    FENK_UpdateBitmap(bitmap);
}

void FENK_BindTextureFromBitmap(s_bitmap bitmap) { FENK_BindTexture(bitmap.texture); }

int FENK_GetPixel(int x, int y, s_bitmap bitmap)
{
    if (!bitmap.pixels || x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return 0;
    return (int)swapredblue(bitmap.pixels[(size_t)x + (size_t)y * (size_t)bitmap.width]);
}

void FENK_DrawPixel(int x, int y, int colour, s_bitmap bitmap)
{
    if (!bitmap.pixels || x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return;
    bitmap.pixels[(size_t)x + (size_t)y * (size_t)bitmap.width] = swapredblue((uint32_t)colour);
}

void FENK_DrawBitmap(int x, int y, s_bitmap bitmap)
{
    FENK_DrawScaledBitmap(x, y, (float)bitmap.width, (float)bitmap.height, bitmap, 0);
}

void FENK_DrawScaledBitmap(int x, int y, float w, float h, s_bitmap bitmap, int)
{
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_BindTexture(bitmap.texture);
    FENK_DrawQuad((float)x, (float)y, w, h, bitmap.u0, bitmap.v0, bitmap.u1, bitmap.v1);
}

void FENK_DrawZoomedBitmap(int x, int y, float zoom, s_bitmap bitmap)
{
    FENK_DrawScaledBitmap(x, y, (float)bitmap.width * zoom / 100.0f, (float)bitmap.height * zoom / 100.0f,
                          bitmap, 0);
}

void FENK_DrawBlendBitmap(int x, int y, s_bitmap bitmap, int mode)
{
    FENK_SetBlendMode(mode);
    FENK_EnableRenderState(FENK_RENDERSTATE_BLEND);
    FENK_DrawBitmap(x, y, bitmap);
    FENK_DisableRenderState(FENK_RENDERSTATE_BLEND);
}

void FENK_DrawAlphaBitmap(int x, int y, s_bitmap bitmap, float alpha)
{
    FENK_BindTexture(bitmap.texture);
    FENK_EnableAlphaBlend(alpha);
    FENK_DrawBitmap(x, y, bitmap);
    FENK_DisableAlphaBlend();
}

void FENK_DrawRotatedBitmap(int x, int y, s_bitmap bitmap, float angle)
{
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_BindTexture(bitmap.texture);
    FENK_DrawRotatedQuad((float)x, (float)y, (float)bitmap.width, (float)bitmap.height, bitmap.u0, bitmap.v0,
                         bitmap.u1, bitmap.v1, angle);
}

namespace {

// The extension is the name from its last "." on, cut to 15 characters and
// upper-cased; a leading "." alone (a hidden file's name) is no extension.
void extensionof(const char *name, char extension[16])
{
    extension[0] = 0;
    const char *dot = strrchr(name, '.');
    if (!dot || dot == name) return;
    size_t length = strnlen(dot, 15);
    memcpy(extension, dot, length);
    extension[length] = 0;
    upcase(extension);
}

// Extensions of pictures ImageMagick reads and rewrites as TGA.
bool convertible(const char *extension)
{
    static const char *const known[] = {".JPG", ".JPEG", ".BMP", ".GIF", ".TIF", ".TIFF", ".WEBP",
                                        ".PPM", ".PGM",  ".PBM", ".PNM", ".PCX", ".XPM"};
    for (const char *other : known) {
        if (!strcmp(extension, other)) return true;
    }
    return false;
}

// A name this reader does not take: the refusal names the call that reads a PNG, the
// command that rewrites a picture ImageMagick knows as a TGA, and for anything else
// what this reader takes. ImageMagick is told to turn the picture upright first: a
// picture whose header says its rows run bottom-up it only relabels otherwise.
void refusename(const char *name)
{
    char extension[16];
    extensionof(name, extension);
    const char *dot = strrchr(name, '.');
    if (!strcmp(extension, ".PNG")) {
        fenk_log(FENK_LOG_ERROR,
                 "File format not supported. %s: a PNG picture, this reader takes TGA pictures: FENK_LoadPNG "
                 "reads it\n",
                 name);
    } else if (convertible(extension)) {
        std::string stem(name, (size_t)(dot - name));
        fenk_log(FENK_LOG_ERROR,
                 "File format not supported. %s: extension %s, this reader takes TGA pictures: convert %s "
                 "-auto-orient -orient TopLeft %s\n",
                 name, dot, shell_word(name).c_str(), shell_word(stem + ".tga").c_str());
    } else {
        fenk_log(FENK_LOG_ERROR,
                 "File format not supported. %s: %s%s, this reader takes TGA pictures (FENK_LoadPNG takes "
                 "PNG)\n",
                 name, extension[0] ? "extension " : "no extension", extension[0] ? dot : "");
    }
}

// Why the last TGA read or decode was refused: the file and the cause, for the
// caller's line; empty when the refusal was printed already (a full registry).
char refusal[800];

void refuse(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(refusal, sizeof refusal, format, args);
    va_end(args);
}

// Decodes into the record; 0, with the reason in `refusal`, when nothing was made.
int decodetga(const char *name, const unsigned char *data, int size, s_bitmap *bitmap)
{
    refusal[0] = 0;
    bitmap->pixels = nullptr;
    if (!data || size < FENK_TGA_HEADERSIZE) {
        refuse("%s: file shorter than its %d-byte header", name, FENK_TGA_HEADERSIZE);
        return 0;
    }
    tga::TgaHeader h = tga::readheader(data);
    fenk_log(FENK_LOG_INFO, "width: %d, height: %d, bpp: %d\n", h.width, h.height, h.depth);
    tga::TgaProblem problem = {};
    if (tga::refused(h, data, size, name, &problem)) {
        refuse("%s: %s", name, problem.text);
        return 0;
    }
    if (!newbitmap(h.width, h.height, bitmap, 0)) return 0;
    if (h.imagetype >= 8) fenk_logtext(FENK_LOG_INFO, "TGA is RLE packed.");
    tga::decodebody(h, data, size, bitmap->pixels, &problem);
    if (problem.found) fenk_log(FENK_LOG_WARNING, "- WARNING: TGA %s: %s\n", name, problem.text);
    return 1;
}

// Reads the whole file and decodes it, as decodetga.
int readtga(const char *name, s_bitmap *bitmap)
{
    refusal[0] = 0;
    bitmap->pixels = nullptr;
    s_corefile file = {};
    if (!corefile_open(name, &file, 0)) {
        refuse("%s", corefile_lasterror());
        return 0;
    }
    int size = corefile_fsize(&file);
    // Zeroed, so a file that shrinks between the size and the read decodes as cut short.
    unsigned char *data = (unsigned char *)calloc(size > 0 ? (size_t)size : 1, 1);
    if (!data) {
        corefile_close(&file);
        refuse("%s: no memory for a file of %d bytes", name, size);
        return 0;
    }
    corefile_read(data, 1, size, &file);
    corefile_close(&file);
    int decoded = decodetga(name, data, size, bitmap);
    free(data);
    return decoded;
}

// A refusal is one line: the loader's own words, then the file and the cause.
void loadbitmap(const char *name, s_bitmap *bitmap, int keeppixels)
{
    if (!name || !bitmap) return;
    char extension[16];
    extensionof(name, extension);
    if (strcmp(extension, ".TGA") != 0) {
        refusename(name);
        return;
    }
    fenk_logtext(FENK_LOG_INFO, "Loading TGA image.");
    if (!readtga(name, bitmap)) {
        if (refusal[0])
            fenk_log(FENK_LOG_ERROR, "- ERROR: Image %s not loaded. %s\n", name, refusal);
        else
            fenk_log(FENK_LOG_ERROR, "- ERROR: Image %s not loaded.\n", name);
        return;
    }
    FENK_UpdateBitmap(*bitmap);
    if (!keeppixels) {
        free(bitmap->pixels);
        bitmap->pixels = nullptr;
    }
}

} // namespace

void FENK_LoadBitmap(const char *name, s_bitmap *bitmap) { loadbitmap(name, bitmap, 1); }

void FENK_LoadBitmapStatic(const char *name, s_bitmap *bitmap) { loadbitmap(name, bitmap, 0); }

// Called on its own, the reader names what it refused in its own line; a missing
// file is left to the caller, as the bitmap loader reports it.
void LoadImageTGA(const char *name, s_bitmap *bitmap)
{
    if (!bitmap) return;
    if (!readtga(name ? name : "", bitmap) && refusal[0] && corefile_lasterror()[0] == 0)
        fenk_log(FENK_LOG_ERROR, "- ERROR: TGA %s\n", refusal);
}

void DecodeImageTGA(const char *name, const unsigned char *data, int size, s_bitmap *bitmap)
{
    if (!bitmap) return;
    if (!decodetga(name ? name : "", data, size, bitmap) && refusal[0])
        fenk_log(FENK_LOG_ERROR, "- ERROR: TGA %s\n", refusal);
}

int FENK_DecodePNG(const char *name, const unsigned char *data, int size, s_bitmap *bitmap)
{
    if (!bitmap) return 0;
    if (!name) name = "";
    bitmap->pixels = nullptr;
    int width = 0, height = 0;
    char why[160];
    unsigned char *rgba = png::decode(data, size, &width, &height, why, sizeof why);
    if (!rgba) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: PNG %s: %s\n", name, why);
        return 0;
    }
    fenk_log(FENK_LOG_INFO, "width: %d, height: %d\n", width, height);
    // The decoder's bytes are red, green, blue, alpha: the stored word's order.
    if (newbitmap(width, height, bitmap, 0)) {
        memcpy(bitmap->pixels, rgba, (size_t)width * (size_t)height * 4);
        FENK_UpdateBitmap(*bitmap);
    }
    png::release(rgba);
    return bitmap->pixels ? 1 : 0;
}

int FENK_LoadPNG(const char *name, s_bitmap *bitmap)
{
    if (!name || !bitmap) return 0;
    fenk_log(FENK_LOG_INFO, "Loading PNG image.");
    s_corefile file = {};
    if (!corefile_open(name, &file, 0)) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: Image %s not loaded. %s\n", name, corefile_lasterror());
        bitmap->pixels = nullptr;
        return 0;
    }
    const int size = corefile_fsize(&file);
    unsigned char *data = (unsigned char *)calloc(size > 0 ? (size_t)size : 1, 1);
    if (!data) {
        corefile_close(&file);
        fenk_log(FENK_LOG_ERROR, "- ERROR: PNG %s: no memory for a file of %d bytes\n", name, size);
        bitmap->pixels = nullptr;
        return 0;
    }
    corefile_read(data, 1, size, &file);
    corefile_close(&file);
    const int loaded = FENK_DecodePNG(name, data, size, bitmap);
    free(data);
    return loaded;
}

int ConvertTransp(int colour)
{
    uint32_t c = (uint32_t)colour;
    uint32_t red = (c >> 16) & 255, green = (c >> 8) & 255, blue = c & 255;
    return red > 240 && green <= 15 && blue > 240 ? 0 : colour;
}

char *upcase(char *text)
{
    if (!text) return text;
    for (char *p = text; *p; p++) {
        if (*p >= 'a' && *p <= 'z') *p = (char)(*p - 'a' + 'A');
    }
    return text;
}
