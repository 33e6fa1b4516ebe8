// fenk_fontmaker: renders a TrueType or OpenType font at one pixel size into a font
// picture that FENK_LoadFont reads. The rendering and the picture's layout are the
// engine's own (engine/graphics2d/ttfont.h), which FENK_LoadTTFont renders at run
// time: a picture written here and a font rendered there are the same.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graphics2d/ttfont.h"
#include "tga.h"

namespace {

using ttfont::first_char;
using ttfont::last_drawn;

constexpr int exit_usage = 2;
constexpr int exit_failed = 1;

const char usage_text[] = "usage: fenk_fontmaker FONT SIZE OUT.tga [--last C] [--colour RRGGBB] [--smooth]\n"
                          "Renders the characters from the space (0x20) to C of a TrueType or OpenType font\n"
                          "at SIZE pixels into a 32-bit TGA font picture for FENK_LoadFont.\n"
                          "  --last C          last character, one character or a code such as 0x5A\n"
                          "                    (from '!' to '|', the default '|')\n"
                          "  --colour RRGGBB   glyph colour in hexadecimal (default FFFFFF)\n"
                          "  --smooth          keep the glyphs' edge coverage as alpha, for text drawn with\n"
                          "                    alpha blending on; by default a pixel is opaque where the\n"
                          "                    glyph covers at least half of it and transparent elsewhere,\n"
                          "                    which is what the plain text draws show\n";

struct Options {
    std::string font, out;
    ttfont::Options render;
};

int usage_error(const char *what, const std::string &detail = "")
{
    std::fprintf(stderr, "fenk_fontmaker: %s%s\n%s", what, detail.c_str(), usage_text);
    return exit_usage;
}

bool parse_int(const char *text, int base, long lo, long hi, int &out)
{
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, base);
    if (errno || end == text || *end || v < lo || v > hi) return false;
    out = int(v);
    return true;
}

// A character given as itself ("Z") or as a number ("0x5A", "90").
bool parse_char(const char *text, int &out)
{
    if (text[0] && !text[1]) {
        out = (unsigned char)text[0];
        return true;
    }
    return parse_int(text, 0, 0, 255, out);
}

bool parse_colour(const char *text, uint8_t (&rgb)[3])
{
    if (std::strlen(text) != 6 || std::strspn(text, "0123456789abcdefABCDEF") != 6) return false;
    int v = 0;
    if (!parse_int(text, 16, 0, 0xFFFFFF, v)) return false;
    rgb[0] = uint8_t(v >> 16);
    rgb[1] = uint8_t(v >> 8);
    rgb[2] = uint8_t(v);
    return true;
}

// 0 when the options are complete, else the exit status after the message.
int parse(int argc, char **argv, Options &o)
{
    std::vector<const char *> plain;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(usage_text, stdout);
            std::exit(0);
        } else if (a == "--smooth") {
            o.render.smooth = true;
        } else if (a == "--last" || a == "--colour" || a == "--color") {
            if (i + 1 >= argc) return usage_error("missing value after ", a);
            const char *v = argv[++i];
            if (a == "--last") {
                if (!parse_char(v, o.render.last) || o.render.last <= first_char ||
                    o.render.last > last_drawn)
                    return usage_error("--last must be a character from '!' to '|' (0x21 to 0x7C), not ", v);
            } else if (!parse_colour(v, o.render.colour)) {
                return usage_error("--colour takes six hexadecimal digits RRGGBB, not ", v);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option ", a);
        } else {
            plain.push_back(argv[i]);
        }
    }
    if (plain.size() != 3) return usage_error("expected FONT SIZE OUT.tga");
    o.font = plain[0];
    o.out = plain[2];
    if (!parse_int(plain[1], 10, 1, 1000, o.render.size))
        return usage_error("SIZE must be a pixel height from 1 to 1000, not ", plain[1]);
    // The picture is a TGA whatever its name says; a device or a pipe (/dev/stdout) is
    // written as it is named.
    std::error_code ignored;
    const std::filesystem::path out(o.out);
    std::string extension = out.extension().string();
    for (char &c : extension) c = (char)std::tolower((unsigned char)c);
    if (extension != ".tga" &&
        (!std::filesystem::exists(out, ignored) || std::filesystem::is_regular_file(out, ignored)))
        return usage_error("OUT.tga names the TGA picture written: it must end in .tga, not ", o.out);
    // The engine turns near-magenta colours transparent when it loads a picture.
    const uint8_t *colour = o.render.colour;
    if (colour[0] > 240 && colour[1] < 16 && colour[2] > 240)
        return usage_error("--colour is the engine's transparent key colour (red > 240, green < 16, "
                           "blue > 240), which would hide every glyph");
    return 0;
}

int make(const Options &o)
{
    std::ifstream in(o.font, std::ios::binary);
    const int open_error = errno;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad()) {
        std::fprintf(stderr, "fenk_fontmaker: cannot read font %s: %s\n", o.font.c_str(),
                     std::strerror(in.is_open() ? EIO : open_error));
        return exit_failed;
    }
    ttfont::Picture picture;
    std::string why;
    const ttfont::Outcome outcome =
        ttfont::render((const unsigned char *)bytes.data(), bytes.size(), o.render, picture, why);
    if (outcome == ttfont::Outcome::not_a_font) {
        std::fprintf(stderr, "fenk_fontmaker: cannot read font %s: %s\n", o.font.c_str(), why.c_str());
        return exit_failed;
    }
    if (outcome != ttfont::Outcome::made) {
        std::fprintf(stderr, "fenk_fontmaker: %s: %s\n", o.font.c_str(), why.c_str());
        return exit_failed;
    }
    for (char c : picture.missing)
        std::fprintf(stderr, "fenk_fontmaker: warning: %s has no %s; its missing-glyph box is used\n",
                     o.font.c_str(), ttfont::describe(c).c_str());
    if (!picture.faint.empty())
        std::fprintf(
            stderr,
            "fenk_fontmaker: warning: at %d pixels no pixel of %s is half covered: each is drawn where "
            "it covers half as much as its strongest pixel, not left empty (--smooth keeps every "
            "edge's coverage)\n",
            o.render.size, ttfont::spaced(picture.faint).c_str());

    if (!makedata::write_tga_rgb(o.out, picture.width, picture.height, picture.rgba.data(), 32, true,
                                 makedata::Origin::top_left)) {
        // A picture cut short (a full disk) is not left behind to be loaded; a device
        // named as the output is left alone.
        const int error = errno;
        std::error_code ignored;
        if (std::filesystem::is_regular_file(o.out, ignored)) std::filesystem::remove(o.out, ignored);
        std::fprintf(stderr, "fenk_fontmaker: cannot write %s: %s\n", o.out.c_str(), std::strerror(error));
        return exit_failed;
    }
    std::printf("%s: %d x %d pixels, %d characters from ' ' to '%c', glyph height %d\n", o.out.c_str(),
                picture.width, picture.height, o.render.last - first_char + 1, o.render.last,
                picture.height - 1);
    if (picture.width > ttfont::wide_picture)
        std::fprintf(stderr, "fenk_fontmaker: warning: %d pixels wide; many graphics cards take at most %d\n",
                     picture.width, ttfont::wide_picture);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (int status = parse(argc, argv, o)) return status;
    return make(o);
}
