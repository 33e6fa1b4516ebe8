// webdata_png IN.tga OUT.png: one of the show's pictures for its web page. The picture
// is decoded by the engine's own TGA reader (its transparent key applied), written as
// a PNG without loss, and read back through the engine's PNG reader: the PNG is
// written only when it gives the very pixels the TGA gives, so the page's frames are
// the native show's.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics2d/corebitmap.h"
#include "graphics2d/png.h"
#include "graphics2d/tga.h"
#include "png_writer.h"

namespace {

std::vector<unsigned char> read_whole(const char *path)
{
    std::vector<unsigned char> bytes;
    FILE *file = fopen(path, "rb");
    if (!file) return bytes;
    unsigned char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + got);
    fclose(file);
    return bytes;
}

int fail(const char *in, const char *why)
{
    fprintf(stderr, "webdata_png: %s: %s\n", in, why);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: webdata_png IN.tga OUT.png\n");
        return 2;
    }
    const std::vector<unsigned char> tga_file = read_whole(argv[1]);
    const int size = static_cast<int>(tga_file.size());
    if (size < FENK_TGA_HEADERSIZE) return fail(argv[1], "no TGA file");
    const tga::TgaHeader header = tga::readheader(tga_file.data());
    tga::TgaProblem problem = {};
    if (tga::refused(header, tga_file.data(), size, argv[1], &problem)) return fail(argv[1], problem.text);
    std::vector<uint32_t> words(static_cast<size_t>(header.width) * header.height);
    tga::decodebody(header, tga_file.data(), size, words.data(), &problem);
    if (problem.found) return fail(argv[1], problem.text);
    // The stored words hold red, green, blue and alpha in memory order.
    const unsigned char *rgba = reinterpret_cast<const unsigned char *>(words.data());

    const std::vector<unsigned char> png = webdata_png(header.width, header.height, rgba);
    int width = 0, height = 0;
    char why[128] = "";
    unsigned char *back =
        png.empty() ? nullptr
                    : png::decode(png.data(), static_cast<int>(png.size()), &width, &height, why, sizeof why);
    const bool same =
        back && width == header.width && height == header.height && memcmp(back, rgba, words.size() * 4) == 0;
    png::release(back);
    if (!same) return fail(argv[1], "the PNG does not give the TGA's pixels back");

    FILE *out = fopen(argv[2], "wb");
    bool written = out && fwrite(png.data(), 1, png.size(), out) == png.size();
    if (out && fclose(out) != 0) written = false;
    if (!written) {
        remove(argv[2]);
        return fail(argv[2], "cannot write it");
    }
    return 0;
}
