// The TGA decoder behind the bitmap loader: the header's checks and the pixels,
// written into memory the caller gives. Internal to the engine.
#pragma once

#include <stdint.h>

namespace tga {

struct TgaHeader {
    int idlength;
    int maptype;
    int imagetype;
    int mapfirst;
    int maplength;
    int mapbits;
    int width;
    int height;
    int depth;
    int descriptor;
};

// The first thing found wrong with a file; later faults are mostly its echoes.
struct TgaProblem {
    int found;
    char text[640];
};

TgaHeader readheader(const unsigned char *data);

// Non-zero for a header the decoder cannot or will not take; the reason is in
// `problem`, with the call or command that reads the file where one is known.
int refused(const TgaHeader &h, const unsigned char *data, int size, const char *name, TgaProblem *problem);

// Fills `pixels` (width x height stored words) from the data after the header;
// the first fault met is noted in `problem`.
void decodebody(const TgaHeader &h, const unsigned char *data, int size, uint32_t *pixels,
                TgaProblem *problem);

} // namespace tga
