// The TGA decoder: types 1, 2, 3 and their run-length forms 9, 10, 11; grey
// pictures of 16 bits carry alpha, those of 1 bit are black and white.
#include "graphics2d/tga.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <type_traits>

#ifdef __SSE2__
#include <immintrin.h>
#endif

#include "graphics2d/corebitmap.h"
#include "platform/shell_word.h"

namespace tga {

namespace {

// A stored word after the transparent key rule.
inline uint32_t keyed(uint32_t word)
{
    // Red and blue above 240 carry into bits 8 and 24; green must stay below 16.
    uint32_t carries = ((word & 0x00FF00FFu) + 0x000F000Fu) & 0x01000100u;
    uint32_t key = (carries | (word & 0x0000F000u)) == 0x01000100u;
    return word & (key - 1u);
}

void note(TgaProblem *problem, const char *format, ...)
{
    if (problem->found) return;
    problem->found = 1;
    va_list args;
    va_start(args, format);
    vsnprintf(problem->text, sizeof problem->text, format, args);
    va_end(args);
}

int word16(const unsigned char *p) { return p[0] | p[1] << 8; }

} // namespace

TgaHeader readheader(const unsigned char *data)
{
    TgaHeader h;
    h.idlength = data[0];
    h.maptype = data[1];
    h.imagetype = data[2];
    h.mapfirst = word16(data + 3);
    h.maplength = word16(data + 5);
    h.mapbits = data[7];
    h.width = word16(data + 12);
    h.height = word16(data + 14);
    h.depth = data[16];
    h.descriptor = data[17];
    return h;
}

namespace {

// Pictures of other formats met under a TGA name, known by their first bytes. TGA
// itself has no signature; these do, and ImageMagick reads them by it.
const char *otherformat(const unsigned char *data, int size)
{
    auto starts = [&](const char *magic, int length) {
        return size >= length && memcmp(data, magic, (size_t)length) == 0;
    };
    if (starts("\x89PNG\r\n\x1a\n", 8)) return "PNG";
    if (starts("\xFF\xD8\xFF", 3)) return "JPEG";
    if (starts("GIF87a", 6) || starts("GIF89a", 6)) return "GIF";
    if (starts("BM", 2) && size >= 26) return "BMP";
    if (starts("II*\0", 4) || starts("MM\0*", 4)) return "TIFF";
    if (starts("RIFF", 4) && size >= 12 && memcmp(data + 8, "WEBP", 4) == 0) return "WebP";
    return nullptr;
}

} // namespace

// A picture no file of this size could describe is refused before its memory is
// asked for. The densest coding, a run packet of 128 pixels in 2 bytes, gives
// 64 pixels per byte; a file cut short may still fill a fraction of its picture.
// What is refused names what this reader takes; a picture of another format under
// this name gets the call or the command that reads it, and only then.
int refused(const TgaHeader &h, const unsigned char *data, int size, const char *name, TgaProblem *problem)
{
    int type = h.imagetype;
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) {
        const char *format = otherformat(data, size);
        if (format && !strcmp(format, "PNG")) {
            note(problem, "a PNG picture, not a TGA: FENK_LoadPNG reads it");
        } else if (format) {
            const std::string quoted = shell_word(name);
            note(problem,
                 "a %s picture, not a TGA: convert %s -auto-orient -orient TopLeft %s rewrites it as one",
                 format, quoted.c_str(), quoted.c_str());
        } else {
            note(problem,
                 "image type %d not supported: this reader takes types 1, 2, 3, 9, 10 and 11 (colour-mapped, "
                 "true-colour and grey, raw or run-length coded)",
                 type);
        }
    } else if (h.depth == 1 && type == 11) {
        note(problem, "1-bit run-length coded grey not supported: this reader takes 1-bit grey uncompressed");
    } else if (h.depth != 8 && h.depth != 15 && h.depth != 16 && h.depth != 24 && h.depth != 32 &&
               !(h.depth == 1 && type == 3)) {
        note(problem,
             "pixel depth %d not supported: this reader takes 8, 15, 16, 24 and 32 bits, and 1-bit grey",
             h.depth);
    } else if (h.maptype && h.maplength > 0 && h.mapbits != 8 && h.mapbits != 15 && h.mapbits != 16 &&
               h.mapbits != 24 && h.mapbits != 32) {
        note(problem, "colour-map entry size %d not supported: this reader takes 8, 15, 16, 24 and 32 bits",
             h.mapbits);
    }
    if (problem->found) return 1;

    if (h.width == 0 || h.height == 0) {
        note(problem, "width or height of 0");
    } else {
        int64_t pixels = (int64_t)h.width * h.height;
        if (pixels * 4 > INT32_MAX || pixels > (int64_t)size * 64)
            note(problem, "%d x %d pixels from a file of %d bytes", h.width, h.height, size);
    }
    return problem->found;
}

namespace {

// Pixel decoders: how many bytes one value takes, the stored word it gives and
// whether that word can be the transparent key. The key is applied to whole
// stored spans afterwards, a loop simple enough to run on vector registers.
struct Grey8 {
    static constexpr int bytes = 1;
    static constexpr bool keys = false;
    uint32_t operator()(const unsigned char *p) const { return 0xFF000000u | p[0] * 0x010101u; }
};

// Grey with alpha, as GIMP and Pillow write "LA" pictures: the grey byte, then
// the alpha byte. A grey is never near magenta, so nothing is keyed.
struct GreyAlpha16 {
    static constexpr int bytes = 2;
    static constexpr bool keys = false;
    uint32_t operator()(const unsigned char *p) const { return (uint32_t)p[1] << 24 | p[0] * 0x010101u; }
};

// Palette entries are keyed when the map is read. Indices the colour map did
// not set read as transparent black; the first one met is remembered for the
// message.
struct Mapped8 {
    static constexpr int bytes = 1;
    static constexpr bool keys = false;
    const uint32_t *palette;
    const unsigned char *known;
    int *unknown;
    uint32_t operator()(const unsigned char *p) const
    {
        if (!known[p[0]] && *unknown < 0) *unknown = p[0];
        return palette[p[0]];
    }
};

struct Rgb16 {
    static constexpr int bytes = 2;
    static constexpr bool keys = true;
    uint32_t operator()(const unsigned char *p) const
    {
        uint32_t w = (uint32_t)word16(p);
        return ((w >> 10) & 31) << 3 | ((w >> 5) & 31) << 11 | (w & 31) << 19 | 0xFF000000u;
    }
};

struct Bgr24 {
    static constexpr int bytes = 3;
    static constexpr bool keys = true;
    uint32_t operator()(const unsigned char *p) const
    {
        return (uint32_t)p[2] | (uint32_t)p[1] << 8 | (uint32_t)p[0] << 16 | 0xFF000000u;
    }
};

struct Bgra32 {
    static constexpr int bytes = 4;
    static constexpr bool keys = true;
    uint32_t operator()(const unsigned char *p) const
    {
        return (uint32_t)p[2] | (uint32_t)p[1] << 8 | (uint32_t)p[0] << 16 | (uint32_t)p[3] << 24;
    }
};

template <class Decode> inline uint32_t decodekeyed(Decode decode, const unsigned char *p)
{
    return Decode::keys ? keyed(decode(p)) : decode(p);
}

inline void keyspan(uint32_t *out, int count)
{
    for (int i = 0; i < count; i++) out[i] = keyed(out[i]);
}

// Whole rows of the two common depths, converted and keyed in one pass. On x86
// the 24-bit rows take SSSE3's byte shuffle where the processor has it, and the
// 32-bit rows SSE2, which every x86-64 processor has; elsewhere the plain loops.
using RowConverter = void (*)(const unsigned char *at, uint32_t *out, int count);

void bgr24plain(const unsigned char *at, uint32_t *out, int count)
{
    for (int i = 0; i < count; i++, at += 3) out[i] = keyed(Bgr24()(at));
}

void bgra32plain(const unsigned char *at, uint32_t *out, int count)
{
    for (int i = 0; i < count; i++, at += 4) out[i] = keyed(Bgra32()(at));
}

#ifdef __SSE2__
// keyed() on four words.
inline __m128i keyed4(__m128i word)
{
    __m128i low = _mm_and_si128(word, _mm_set1_epi32(0x00FF00FF));
    __m128i carries =
        _mm_and_si128(_mm_add_epi32(low, _mm_set1_epi32(0x000F000F)), _mm_set1_epi32(0x01000100));
    __m128i test = _mm_or_si128(carries, _mm_and_si128(word, _mm_set1_epi32(0x0000F000)));
    return _mm_andnot_si128(_mm_cmpeq_epi32(test, _mm_set1_epi32(0x01000100)), word);
}

void bgra32sse2(const unsigned char *at, uint32_t *out, int count)
{
    const __m128i keep = _mm_set1_epi32((int)0xFF00FF00u), low = _mm_set1_epi32(0xFF);
    int i = 0;
    for (; i + 4 <= count; i += 4, at += 16) {
        __m128i w = _mm_loadu_si128((const __m128i *)at);
        __m128i red = _mm_and_si128(_mm_srli_epi32(w, 16), low);
        __m128i blue = _mm_slli_epi32(_mm_and_si128(w, low), 16);
        __m128i rgba = _mm_or_si128(_mm_and_si128(w, keep), _mm_or_si128(red, blue));
        _mm_storeu_si128((__m128i *)(out + i), keyed4(rgba));
    }
    bgra32plain(at, out + i, count - i);
}

// Sixteen pixels from three loads of 16 bytes, four pixels to each shuffle.
__attribute__((target("ssse3"))) void bgr24ssse3(const unsigned char *at, uint32_t *out, int count)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i alpha = _mm_set1_epi32((int)0xFF000000u);
    int i = 0;
    for (; i + 16 <= count; i += 16, at += 48) {
        __m128i a = _mm_loadu_si128((const __m128i *)at);
        __m128i b = _mm_loadu_si128((const __m128i *)(at + 16));
        __m128i c = _mm_loadu_si128((const __m128i *)(at + 32));
        __m128i quads[4] = {a, _mm_alignr_epi8(b, a, 12), _mm_alignr_epi8(c, b, 8), _mm_srli_si128(c, 4)};
        for (int q = 0; q < 4; q++) {
            __m128i rgba = _mm_or_si128(_mm_shuffle_epi8(quads[q], order), alpha);
            _mm_storeu_si128((__m128i *)(out + i + 4 * q), keyed4(rgba));
        }
    }
    bgr24plain(at, out + i, count - i);
}

// Chosen while the program's statics are set up, perhaps before the runtime has
// asked the processor what it has.
RowConverter pickbgr24()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") ? bgr24ssse3 : bgr24plain;
}
RowConverter pickbgra32() { return bgra32sse2; }
#else
RowConverter pickbgr24() { return bgr24plain; }
RowConverter pickbgra32() { return bgra32plain; }
#endif

const RowConverter bgr24row = pickbgr24();
const RowConverter bgra32row = pickbgra32();

// Where the pixels go: file rows run up from the bottom unless descriptor bit 5
// is set, and right to left when bit 4 is set.
struct Placement {
    uint32_t *pixels;
    int width;
    int height;
    int bottomup;

    uint32_t *row(int filerow) const
    {
        int row = bottomup ? height - 1 - filerow : filerow;
        return pixels + (size_t)row * (size_t)width;
    }
};

// Stores count values from the file at file columns column.. of one row.
template <bool RightToLeft, class Decode>
inline void storerow(Decode decode, const unsigned char *at, uint32_t *line, int width, int column, int count)
{
    uint32_t *out;
    if (RightToLeft) {
        out = line + (width - column - count);
        for (int i = count - 1; i >= 0; i--, at += Decode::bytes) out[i] = decode(at);
    } else {
        out = line + column;
        if constexpr (std::is_same_v<Decode, Bgr24>) {
            bgr24row(at, out, count);
            return;
        } else if constexpr (std::is_same_v<Decode, Bgra32>) {
            bgra32row(at, out, count);
            return;
        }
        for (int i = 0; i < count; i++, at += Decode::bytes) out[i] = decode(at);
    }
    if (Decode::keys) keyspan(out, count);
}

template <bool RightToLeft>
inline void fillrow(uint32_t value, uint32_t *line, int width, int column, int count)
{
    uint32_t *out = RightToLeft ? line + (width - column - count) : line + column;
    for (int i = 0; i < count; i++) out[i] = value;
}

// Interleaved files hold every Nth row per pass: pass p carries the rows p,
// p + N, p + 2N and so on, counted from the origin, so each row is read once.
// Rows the file lacks are still written, as transparent black.
template <bool RightToLeft, class Decode> void decoderaw(Decode decode, const unsigned char *at,
                                                         const unsigned char *end, const Placement &to,
                                                         int passes, TgaProblem *problem)
{
    for (int pass = 0; pass < passes; pass++) {
        for (int filerow = pass; filerow < to.height; filerow += passes) {
            int available = (int)((end - at) / Decode::bytes);
            int count = available < to.width ? available : to.width;
            uint32_t *line = to.row(filerow);
            storerow<RightToLeft>(decode, at, line, to.width, 0, count);
            at += (size_t)count * Decode::bytes;
            if (count < to.width) {
                note(problem, "pixel data cut short");
                fillrow<RightToLeft>(0, line, to.width, count, to.width - count);
            }
        }
    }
}

// Packets run on across row ends. Whatever the file lacks is written as one
// transparent black run to the end of the picture.
template <bool RightToLeft, class Decode> void decoderle(Decode decode, const unsigned char *at,
                                                         const unsigned char *end, const Placement &to,
                                                         TgaProblem *problem)
{
    int left = to.width * to.height;
    int filerow = 0, column = 0;
    uint32_t *line = to.row(0);

    while (left > 0) {
        int count = left, raw = 0;
        uint32_t value = 0;
        if (at >= end) {
            note(problem, "pixel data cut short");
        } else {
            int header = *at++;
            count = (header & 0x7F) + 1;
            if (count > left) {
                note(problem, "run-length packet crosses the end of the picture");
                count = left;
            }
            if (header & 0x80) {
                if (end - at >= Decode::bytes) {
                    value = decodekeyed(decode, at);
                    at += Decode::bytes;
                } else {
                    note(problem, "pixel data cut short");
                    count = left;
                }
            } else {
                raw = 1;
                int available = (int)((end - at) / Decode::bytes);
                if (available < count) {
                    count = available;
                    end = at + (size_t)available * Decode::bytes;
                }
            }
        }
        left -= count;
        while (count > 0) {
            int here = to.width - column < count ? to.width - column : count;
            if (raw) {
                storerow<RightToLeft>(decode, at, line, to.width, column, here);
                at += (size_t)here * Decode::bytes;
            } else {
                fillrow<RightToLeft>(value, line, to.width, column, here);
            }
            column += here;
            count -= here;
            if (column == to.width && (count > 0 || left > 0)) {
                column = 0;
                line = to.row(++filerow);
            }
        }
    }
}

template <class Decode> void decodepixels(Decode decode, const TgaHeader &h, const unsigned char *at,
                                          const unsigned char *end, uint32_t *pixels, TgaProblem *problem)
{
    Placement to = {pixels, h.width, h.height, !(h.descriptor & 0x20)};
    bool righttoleft = h.descriptor & 0x10;
    if (h.imagetype >= 8) {
        if (righttoleft)
            decoderle<true>(decode, at, end, to, problem);
        else
            decoderle<false>(decode, at, end, to, problem);
        return;
    }
    int passes = (h.descriptor & 0x80) ? 4 : (h.descriptor & 0x40) ? 2 : 1;
    if (righttoleft)
        decoderaw<true>(decode, at, end, to, passes, problem);
    else
        decoderaw<false>(decode, at, end, to, passes, problem);
}

// 8-bit entries are grey levels, as netpbm writes the colour maps of grey pictures.
uint32_t mapentry(int bits, const unsigned char *p)
{
    switch (bits) {
    case 8: return Grey8()(p);
    case 24: return decodekeyed(Bgr24(), p);
    case 32: return decodekeyed(Bgra32(), p);
    default: return decodekeyed(Rgb16(), p);
    }
}

// One bit a pixel, as Pillow writes black-and-white pictures: each row starts on a
// whole byte, its first pixel in the top bit; 0 is black, 1 white.
void decodebits(const TgaHeader &h, const unsigned char *at, const unsigned char *end, uint32_t *pixels,
                TgaProblem *problem)
{
    const Placement to = {pixels, h.width, h.height, !(h.descriptor & 0x20)};
    const bool righttoleft = h.descriptor & 0x10;
    const size_t stride = ((size_t)h.width + 7) / 8, available = (size_t)(end - at);
    for (int filerow = 0; filerow < h.height; filerow++) {
        uint32_t *line = to.row(filerow);
        for (int x = 0; x < h.width; x++) {
            const size_t byte = (size_t)filerow * stride + (size_t)x / 8;
            uint32_t value = 0;
            if (byte < available)
                value = (at[byte] >> (7 - x % 8)) & 1 ? 0xFFFFFFFFu : 0xFF000000u;
            else
                note(problem, "pixel data cut short");
            line[righttoleft ? h.width - 1 - x : x] = value;
        }
    }
}

} // namespace

// Everything after the header: identification field, colour map, pixels. The
// read position never passes end; every pixel of width x height is written
// once, what the file lacks as transparent black.
void decodebody(const TgaHeader &h, const unsigned char *data, int size, uint32_t *pixels,
                TgaProblem *problem)
{
    const unsigned char *end = data + size;
    const unsigned char *at = data + FENK_TGA_HEADERSIZE;
    if (h.idlength > end - at) {
        note(problem, "identification field longer than the file");
        at = end;
    } else {
        at += h.idlength;
    }

    uint32_t palette[256] = {0};
    unsigned char known[256] = {0};
    if (h.maptype && h.maplength > 0) {
        int entrybytes = (h.mapbits + 7) / 8;
        int64_t mapbytes = (int64_t)h.maplength * entrybytes;
        int present = (int)((end - at) / entrybytes);
        if (present < h.maplength)
            note(problem, "colour map longer than the file");
        else
            present = h.maplength;
        if (h.mapfirst + h.maplength > 256)
            note(problem, "colour map runs past index 255 (first %d, length %d)", h.mapfirst, h.maplength);
        for (int i = 0; i < present && h.mapfirst + i < 256; i++) {
            palette[h.mapfirst + i] = mapentry(h.mapbits, at + (size_t)i * entrybytes);
            known[h.mapfirst + i] = 1;
        }
        at = mapbytes < end - at ? at + mapbytes : end;
    }

    int unknown = -1;
    switch (h.depth) {
    case 1: decodebits(h, at, end, pixels, problem); break;
    case 8:
        if (h.imagetype == 3 || h.imagetype == 11)
            decodepixels(Grey8(), h, at, end, pixels, problem);
        else
            decodepixels(Mapped8{palette, known, &unknown}, h, at, end, pixels, problem);
        break;
    case 16:
        if (h.imagetype == 3 || h.imagetype == 11) {
            decodepixels(GreyAlpha16(), h, at, end, pixels, problem);
            break;
        }
        [[fallthrough]];
    case 15: decodepixels(Rgb16(), h, at, end, pixels, problem); break;
    case 24: decodepixels(Bgr24(), h, at, end, pixels, problem); break;
    default: decodepixels(Bgra32(), h, at, end, pixels, problem); break;
    }
    if (unknown >= 0) note(problem, "colour-map index %d outside the map", unknown);
}

} // namespace tga
