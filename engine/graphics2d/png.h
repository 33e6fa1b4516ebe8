// The PNG decoder behind FENK_LoadPNG: Debian's stb_image, compiled into this one unit
// with only its PNG reader, its names kept private to it.
#ifndef FENK_GRAPHICS2D_PNG_H
#define FENK_GRAPHICS2D_PNG_H

// Pictures wider or taller than this are refused before any pixel memory is taken.
#define FENK_PNG_MAXSIDE 16384

#include <stddef.h>

namespace png {

// RGBA bytes, top row first, in memory the caller gives back with release; null with
// `why` set (a short reason) when the bytes are no PNG this reader takes.
unsigned char *decode(const unsigned char *data, int size, int *width, int *height, char *why,
                      size_t whysize);
void release(unsigned char *pixels);

} // namespace png

#endif
