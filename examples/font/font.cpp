// Bitmap fonts: the engine cuts glyphs from a picture whose top row marks where each
// glyph begins. The picture is made here at start from a 3 x 5 pixel alphabet and
// written as a TGA into a temporary folder, which is mounted as the data directory
// just long enough to load it: fonts load only through the file layer, and this way
// the program needs no data beside it. A second font is rendered at run time from a
// TrueType file, DejaVu Sans where Debian keeps it (the package fonts-dejavu-core),
// copied into the same folder; where there is none (Windows, the web) the example
// shows the first font alone. Escape ends it.
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "files/core.h"
#include "graphics2d/corefont.h"
#include "input/coreinput.h"
#include "platform/host.h"
#include "video/fenk.h"

namespace {

constexpr int screen_width = 640;
constexpr int screen_height = 360;
constexpr int scale = 3; // picture pixels per alphabet pixel
constexpr char first_char = ' ', last_char = 'Z';
const std::filesystem::path ttf_file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int ttf_size = 24;         // pixels per em
constexpr int ttf_colour = 0x80E0FF; // 0xRRGGBB, a light blue

// Five rows of three bits, top row first, the left column the highest bit.
struct Shape {
    char c;
    unsigned bits;
};
constexpr Shape alphabet[] = {
    {'0', 075557}, {'1', 026227}, {'2', 071747}, {'3', 071717}, {'4', 055711}, {'5', 074717}, {'6', 074757},
    {'7', 071111}, {'8', 075757}, {'9', 075717}, {'A', 025755}, {'B', 065656}, {'C', 034443}, {'D', 065556},
    {'E', 074647}, {'F', 074644}, {'G', 034553}, {'H', 055755}, {'I', 072227}, {'J', 011152}, {'K', 055655},
    {'L', 044447}, {'M', 057755}, {'N', 065555}, {'O', 025552}, {'P', 065644}, {'Q', 025563}, {'R', 065655},
    {'S', 034216}, {'T', 072222}, {'U', 055557}, {'V', 055552}, {'W', 055775}, {'X', 055255}, {'Y', 055222},
    {'Z', 071247}, {'!', 044404}, {'.', 000004}, {',', 000044}, {'-', 000700}, {':', 004040},
};

unsigned shape_of(char c)
{
    for (const Shape &s : alphabet)
        if (s.c == c) return s.bits;
    return 0;
}

// Columns in use, plus one column of gap; a blank glyph is two columns wide.
int glyph_width(unsigned bits)
{
    unsigned used = 0; // the columns of all rows, the left one the highest bit
    for (int row = 0; row < 5; ++row) used |= bits >> (row * 3) & 7;
    const int columns = used & 1 ? 3 : used & 2 ? 2 : used ? 1 : 2;
    return (columns + 1) * scale;
}

// Column 0 belongs to glyph 0, which no character draws; glyph 1 (the space) starts
// at column 1 and every later glyph where a marker stands in row 0.
std::vector<uint32_t> font_picture(int &width, int &height)
{
    width = 1;
    for (char c = first_char; c <= last_char; ++c) width += glyph_width(shape_of(c));
    height = 1 + 5 * scale;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0); // 0xAARRGGBB
    int left = 1;
    for (char c = first_char; c <= last_char; ++c) {
        const unsigned bits = shape_of(c);
        if (c != first_char) pixels[left] = 0xFFFFFF00; // not magenta: that colour loads transparent
        for (int y = 0; y < 5 * scale; ++y)
            for (int x = 0; x < 3 * scale; ++x)
                if (bits >> ((4 - y / scale) * 3 + (2 - x / scale)) & 1)
                    pixels[static_cast<size_t>(1 + y) * width + left + x] = 0xFFFFFFFF;
        left += glyph_width(bits);
    }
    return pixels;
}

// An uncompressed 32-bit TGA, top row first: the words' bytes as B, G, R, A.
bool write_tga(const std::filesystem::path &path, const std::vector<uint32_t> &pixels, int width, int height)
{
    unsigned char header[18] = {0, 0, 2};
    header[12] = width & 0xFF, header[13] = width >> 8;
    header[14] = height & 0xFF, header[15] = height >> 8;
    header[16] = 32, header[17] = 0x28; // 8 alpha bits, top-left origin
    FILE *file = fopen(path.string().c_str(), "wb");
    if (!file) return false;
    fwrite(header, 1, sizeof(header), file);
    for (uint32_t p : pixels) {
        const unsigned char bgra[4] = {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(p >> 24)};
        fwrite(bgra, 1, 4, file);
    }
    return fclose(file) == 0;
}

// The picture font, and the TrueType one when there is a file for it (`rendered` says
// whether it loaded). The file layer opens names in lower case: the font file is copied
// in under such a name.
bool load_fonts(s_font &font, s_font &ttf, bool &rendered)
{
    std::error_code error;
    const auto folder =
        std::filesystem::temp_directory_path(error) / ("fenk_font_" + std::to_string(std::random_device{}()));
    if (error || !std::filesystem::create_directory(folder, error)) return false;
    const bool have_ttf = std::filesystem::copy_file(ttf_file, folder / "sans.ttf", error);

    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = font_picture(width, height);
    bool loaded = false;
    if (write_tga(folder / "font.tga", pixels, width, height) &&
        corefile_mountimage(folder.string().c_str(), COREFILE_MOUNT_DIRECTORY)) {
        FENK_LoadFont("font.tga", &font);
        loaded = font.picture && font.picture->width == width;
        rendered = have_ttf && FENK_LoadTTFont("sans.ttf", ttf_size, ttf_colour, 0, &ttf);
    }
    corefile_closeimage();
    std::filesystem::remove_all(folder, error);
    return loaded;
}

// The pen's advance over the text, as the draws move it (the font's spacing is 0).
int text_width(const s_font &font, const char *text)
{
    int width = 0;
    for (const char *p = text; *p; ++p)
        if (*p >= first_char && *p <= last_char) width += font.widths[*p - 31];
    return width;
}

} // namespace

int coremain(int, char **)
{
    FENK_InitVideo(screen_width, screen_height, 0);
    FENK_SetTitle("FENK - font example");
    const int canvas = FENK_CreateFrameBuffer(screen_width, screen_height, 0);
    // Both stay in place while drawn: the engine keeps pointers to their glyphs.
    s_font font, ttf;
    bool rendered = false;
    if (!load_fonts(font, ttf, rendered)) {
        printf("The font picture could not be made.\n");
        FENK_CloseVideo();
        return 1;
    }

    const char *title = "HELLO, FENK!";
    const char *line = "LEFT ALIGNED TEXT";
    const int title_width = text_width(font, title);
    printf("\"%s\" is %d pixels wide\n\"%s\" is %d pixels wide\n", title, title_width, line,
           text_width(font, line));
    const char *sans = "DejaVu Sans, rendered at run time";
    if (rendered)
        printf("\"%s\" is %d pixels wide, %d high\n", sans, FENK_MeasureText(ttf, "%s", sans), ttf.height);
    else
        printf("No %s here: the TrueType line is left out.\n", ttf_file.string().c_str());

    for (int frame = 0;; ++frame) {
        int keys = 0;
        FENK_GetKeys(&keys, nullptr);
        if (keys & FENK_BUTTON_ESCAPE) break;

        FENK_WaitRefresh();
        FENK_SetFrameBuffer(canvas);
        FENK_ClearFrameBuffer(0xFF402010); // a dark blue
        FENK_DrawCenteredText(60, font, "%s", title);
        // The measured width underlines the title, gap after the last glyph included.
        FENK_BindTexture(fenk_whitetexture_id);
        FENK_DrawColorQuad(screen_width / 2 - title_width / 2, 60 + font.height + 4, title_width, 3, 1, 0.8f,
                           0, 1);
        FENK_DrawText(20, 200, font, "%s", line);
        FENK_DrawText(20, 240, font, "FRAME %d", frame);
        if (rendered) FENK_DrawText(20, 290, ttf, "%s", sans);
        FENK_SwapBuffers();
    }

    // Textures go while the video is still up.
    FENK_FlushGraphics();
    FENK_CloseVideo();
    return 0;
}
