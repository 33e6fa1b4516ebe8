#include "font.h"

#include <algorithm>

#include "picture.h"
#include "text.h"
#include "tga.h"

namespace makedata {

namespace {

// Letters are drawn without blending, alpha-tested, so a pixel is either fully there or
// not: the soft edge lives between fill and outline, and the outline's own edge is cut
// at half coverage against the picture behind.
constexpr int pixel_size = 56;
constexpr float outline = 3.0f;
constexpr int shadow = 3;
// The left pad holds the outline, the right one outline and shadow; with the show's
// spacing of -5 neighbouring outlines just meet.
constexpr int pad_left = 4;
constexpr int pad_right = 7;
constexpr int pad_top = 4;
constexpr int pad_bottom = 7;

} // namespace

bool write_font(const std::string &path)
{
    const std::string face = font_path("DejaVuSans-Bold.ttf");
    std::vector<TextMask> glyphs;
    int above = 0, below = 0;
    for (int c = font_first_char; c <= font_last_char; ++c) {
        glyphs.push_back(set_text(face, pixel_size, std::string(1, char(c))));
        const TextMask &t = glyphs.back();
        if (t.mask.width == 0) return false;
        if (c != ' ') {
            above = std::max(above, t.baseline);
            below = std::max(below, t.mask.height - t.baseline);
        }
    }
    const int cell_height = pad_top + above + below + pad_bottom;
    const int height = 1 + cell_height;

    std::vector<int> starts, widths;
    int width = 1; // glyph 0: one blank column
    for (const TextMask &t : glyphs) {
        int ink_left = std::max(0, t.origin);
        int ink_right = std::max(t.advance, t.mask.width - t.origin);
        int w = pad_left + ink_left + ink_right + pad_right;
        starts.push_back(width);
        widths.push_back(w);
        width += w;
    }

    // Per glyph cell: fill, outline and shadow masks in cell coordinates.
    std::vector<uint8_t> rgba(size_t(width) * height * 4, 0);
    for (size_t k = 0; k < glyphs.size(); ++k) {
        const TextMask &t = glyphs[k];
        Mask fill(widths[k], cell_height);
        int pen = pad_left + std::max(0, t.origin);
        int ox = pen - t.origin, oy = pad_top + above - t.baseline;
        if (font_first_char + int(k) != ' ')
            for (int y = 0; y < t.mask.height; ++y)
                for (int x = 0; x < t.mask.width; ++x)
                    fill.a[size_t(oy + y) * fill.width + ox + x] = t.mask.a[size_t(y) * t.mask.width + x];
        Mask ring = dilate(fill, outline);
        for (int y = 0; y < cell_height; ++y)
            for (int x = 0; x < fill.width; ++x) {
                float f = fill.get(x, y), o = ring.get(x, y);
                float s = ring.get(x - shadow, y - shadow);
                if (std::max(o, s) < 0.5f) continue;
                // Warm white fading to gold towards the baseline, over a dark outline;
                // the shadow is darker still.
                float t01 = saturate(float(y - pad_top) / float(above + below));
                Vec3 face_colour = mix(v3(1.0f, 0.98f, 0.92f), v3(1.0f, 0.76f, 0.30f), t01 * t01);
                Vec3 edge = o >= 0.5f ? v3(0.06f, 0.05f, 0.14f) : v3(0.0f, 0.0f, 0.02f);
                Vec3 c = mix(edge, face_colour, f);
                uint8_t *px = &rgba[(size_t(1 + y) * width + starts[k] + x) * 4];
                px[0] = uint8_t(c.x * 255 + 0.5f);
                px[1] = uint8_t(c.y * 255 + 0.5f);
                px[2] = uint8_t(c.z * 255 + 0.5f);
                px[3] = 255;
            }
        // Every glyph after the space starts at a marker.
        if (k >= 1) {
            uint8_t *m = &rgba[size_t(starts[k]) * 4];
            m[0] = m[1] = m[2] = m[3] = 255;
        }
    }
    return write_tga_rgb(path, width, height, rgba.data(), 32, true, Origin::top_left);
}

} // namespace makedata
