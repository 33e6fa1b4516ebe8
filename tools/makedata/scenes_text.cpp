#include <algorithm>
#include <string>

#include "scenes.h"
#include "text.h"

namespace makedata {

namespace {

const char *sans_bold = "DejaVuSans-Bold.ttf";
const char *sans = "DejaVuSans.ttf";
const char *serif_bold = "DejaVuSerif-Bold.ttf";

// Sets a line centred on cx with its baseline at y: a soft shadow, a dark outline,
// then the letters coloured by fill(x, y).
template <class F> void line(Picture &p, const char *face, int size, const std::string &text, int cx,
                             int baseline, F fill, float outline = 0.0f, float shadow = 0.6f,
                             int tracking = 0)
{
    int border = int(outline) + 12;
    TextMask t = set_text(font_path(face), size, text, tracking, border);
    if (t.mask.width == 0) return;
    int x0 = cx - t.advance / 2 - t.origin, y0 = baseline - t.baseline;
    if (shadow > 0) {
        Mask s = blur(outline > 0 ? dilate(t.mask, outline) : t.mask, std::max(2, size / 24));
        paint(p, s, x0 + size / 18, y0 + size / 14, v3(0.0f), shadow);
    }
    if (outline > 0) paint(p, dilate(t.mask, outline), x0, y0, v3(0.02f, 0.02f, 0.05f));
    paint_with(p, t.mask, x0, y0, fill);
}

void backdrop(Picture &p, Vec3 top, Vec3 bottom, int seed, float star_amount)
{
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            float u = float(x) / p.width, v = float(y) / p.height;
            Vec3 c = mix(top, bottom, v);
            float vig = 1.0f - 0.6f * std::pow(length(v3(u - 0.5f, v - 0.5f, 0)) * 1.35f, 2.5f);
            c = c * vig;
            if (star_amount > 0 && hash2(x, y, seed) > 0.9985f) c += v3(star_amount * hash2(x, y, seed + 1));
            p.at(x, y) = c;
        }
}

} // namespace

Picture scene_title(int w, int h)
{
    Picture p(w, h);
    backdrop(p, v3(0.02f, 0.01f, 0.08f), v3(0.25f, 0.05f, 0.3f), 71, 0.8f);
    // A sunrise glow behind the name.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float dx = (x - w * 0.5f) / w, dy = (y - h * 0.47f) / h;
            p.at(x, y) += v3(0.9f, 0.35f, 0.25f) * std::exp(-(dx * dx * 3.0f + dy * dy * 30.0f)) * 0.5f;
        }
    const int cx = w / 2;
    // Chrome: sky above the middle line, warm ground below it, a sharp horizon between.
    auto chrome = [&](int top, int size) {
        return [=](int, int y) {
            float t = float(y - top) / size;
            if (t < 0.55f) return mix(v3(0.45f, 0.7f, 1.0f), v3(0.97f, 0.98f, 1.0f), saturate(t / 0.55f));
            return mix(v3(0.25f, 0.1f, 0.3f), v3(1.0f, 0.7f, 0.35f), saturate((t - 0.55f) / 0.45f));
        };
    };
    line(p, sans_bold, 168, "Gravolt", cx, int(h * 0.47f), chrome(int(h * 0.47f) - 125, 125), 5.0f, 0.8f);
    line(
        p, sans_bold, 64, "-", cx, int(h * 0.56f), [](int, int) { return v3(1.0f, 0.75f, 0.4f); }, 2.0f,
        0.5f);
    line(
        p, serif_bold, 84, "Zoppeldraai", cx, int(h * 0.70f),
        [&](int, int y) {
            return mix(v3(1.0f, 0.92f, 0.6f), v3(1.0f, 0.55f, 0.25f),
                       saturate((y - h * 0.62f) / (h * 0.09f)));
        },
        3.0f, 0.7f, 2);
    return p;
}

Picture scene_credits(int w, int h)
{
    Picture p(w, h);
    backdrop(p, v3(0.1f), v3(0.02f), 0, 0.0f);
    const int cx = w / 2;
    auto white = [](int, int) { return v3(0.96f); };
    auto grey = [](int, int) { return v3(0.62f); };
    line(p, sans_bold, 70, "CREDITS", cx, 130, white, 0.0f, 0.7f, 6);
    struct Role {
        const char *what, *who;
    };
    const Role roles[] = {
        {"code", "Bitsnoeper"},
        {"graphics", "Kleurkwast"},
        {"music", "Zaagtand"},
        {"engine", "Rekenlat"},
    };
    int y = 240;
    for (const Role &r : roles) {
        line(p, sans, 30, r.what, cx, y, grey, 0.0f, 0.0f, 3);
        line(p, serif_bold, 54, r.who, cx, y + 58, white, 0.0f, 0.6f);
        y += 118;
    }
    line(p, sans, 26, "made with FENK in 2026", cx, h - 50, grey, 0.0f, 0.0f, 1);
    return p;
}

static Picture greetings_card(int w, int h, const char *heading, const char *const *names, int count,
                              Vec3 top, Vec3 bottom, Vec3 accent)
{
    Picture p(w, h);
    backdrop(p, top, bottom, 90, 0.5f);
    const int cx = w / 2;
    line(
        p, sans_bold, 62, heading, cx, 105, [&](int, int) { return accent; }, 3.0f, 0.7f, 4);
    int y = 190;
    for (int i = 0; i < count; ++i) {
        line(
            p, sans_bold, 44, names[i], cx, y,
            [&](int, int yy) { return mix(v3(1.0f), accent, saturate(float(yy - y + 34) / 60.0f) * 0.5f); },
            2.5f, 0.6f);
        y += 66;
    }
    return p;
}

Picture scene_greetings(int w, int h)
{
    static const char *const names[] = {"Pixelpolder", "Kabeljauw Krew", "Nulpunkt",   "Vectorvla",
                                        "Schuimspaan", "Bliksembende",   "Koperdraad", "Tegeltjeswijsheid"};
    return greetings_card(w, h, "GREETINGS", names, 8, v3(0.02f, 0.1f, 0.16f), v3(0.0f, 0.3f, 0.35f),
                          v3(0.3f, 1.0f, 0.85f));
}

Picture scene_greetings2(int w, int h)
{
    static const char *const names[] = {"Drempelwaarde", "Ruisfabriek", "Hoekpunt",          "Sinusvis",
                                        "Datadijk",      "Bitmolen",    "Stroopwafel Scene", "and you!"};
    return greetings_card(w, h, "AND ALSO", names, 8, v3(0.12f, 0.03f, 0.1f), v3(0.4f, 0.08f, 0.15f),
                          v3(1.0f, 0.7f, 0.3f));
}

Picture scene_letters(int w, int h)
{
    Picture p(w, h);
    // Cream paper with a halftone of teal dots growing towards the bottom right.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = float(x) / w, v = float(y) / h;
            float cell = 14.0f;
            float fx = std::fmod(float(x), cell) - cell / 2, fy = std::fmod(float(y), cell) - cell / 2;
            float radius = cell * 0.45f * saturate((u + v) * 0.6f - 0.1f);
            float dot_cov = saturate(radius - std::sqrt(fx * fx + fy * fy) + 0.5f);
            p.at(x, y) = mix(v3(0.96f, 0.91f, 0.8f), v3(0.55f, 0.78f, 0.75f), dot_cov);
        }
    struct Word {
        const char *text;
        int size, baseline;
        Vec3 face, side;
    };
    const Word words[] = {
        {"ZOP", 250, 235, {0.93f, 0.33f, 0.26f}, {0.45f, 0.12f, 0.12f}},
        {"PEL", 250, 455, {0.98f, 0.72f, 0.2f}, {0.55f, 0.32f, 0.05f}},
        {"DRAAI", 190, 665, {0.12f, 0.55f, 0.6f}, {0.04f, 0.22f, 0.28f}},
    };
    for (const Word &wd : words) {
        TextMask t = set_text(font_path(sans_bold), wd.size, wd.text, -4, 0);
        if (t.mask.width == 0) continue;
        int x0 = w / 2 - t.mask.width / 2, y0 = wd.baseline - t.baseline;
        // The extrusion: every pixel the letters pass over when slid 40 pixels down and
        // right, darker the further it runs.
        Mask depth(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int k = 0;
                while (k < 40 && t.mask.get(x - k - x0, y - k - y0) < 0.5f) ++k;
                if (k < 40) depth.a[size_t(y) * w + x] = 1.0f - k / 80.0f;
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float d = depth.a[size_t(y) * w + x];
                if (d > 0) p.at(x, y) = wd.side * (0.6f + 0.4f * d);
            }
        paint_with(p, t.mask, x0, y0, [&](int, int yy) {
            float g = saturate(float(yy - y0) / t.mask.height);
            return mix(wd.face * 1.1f, wd.face * 0.85f, g);
        });
    }
    return p;
}

Picture scene_background(int w, int h)
{
    Picture p(w, h);
    const float fx0 = picture_x, fy0 = picture_y, fx1 = picture_x + picture_size,
                fy1 = picture_y + picture_size;
    const float horizon = h * 0.66f;
    auto floor_colour = [](float u, float dv) {
        dv = std::max(dv, 1e-4f);
        float z = 0.05f / dv, gx = (u - 0.5f) * z * 8.0f;
        float lx = std::fabs(fract(gx) - 0.5f), lz = std::fabs(fract(z * 1.5f) - 0.5f);
        float lw = 0.015f * z;
        float grid = std::max(smoothstep(lw + 0.04f, lw, 0.5f - lx), smoothstep(lw + 0.04f, lw, 0.5f - lz));
        Vec3 c = v3(0.03f, 0.0f, 0.07f) + v3(0.2f, 0.05f, 0.3f) * std::exp(-dv * 10.0f);
        // Far off, the lines melt into the horizon haze.
        c = mix(c, v3(0.2f, 0.6f, 0.9f), grid * smoothstep(0.004f, 0.03f, dv) * 0.8f);
        return c + v3(0.12f, 0.2f, 0.45f) * std::exp(-dv * 60.0f) * 0.6f;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Vec3 c;
            if (y < horizon) {
                float t = y / horizon;
                c = mix(v3(0.01f, 0.01f, 0.05f), v3(0.3f, 0.06f, 0.3f), t * t);
                if (hash2(x, y, 5) > 0.9992f) c += v3(0.5f + 0.5f * hash2(x, y, 6)) * (1 - t);
                c += v3(0.6f, 0.2f, 0.5f) * std::exp(-(horizon - y) / (h * 0.05f)) * 0.5f;
            } else {
                // A grid floor running away to the horizon, 4 x 4 samples a pixel: its lines
                // get thinner than a pixel long before they reach it.
                c = Vec3{};
                for (int j = 0; j < 4; ++j)
                    for (int i = 0; i < 4; ++i)
                        c += floor_colour((x + (i + 0.5f) / 4) / w, (y + (j + 0.5f) / 4 - horizon) / h);
                c = c * (1.0f / 16);
            }
            // Glow behind the picture square, and the square's frame.
            float cxp = (x - (fx0 + fx1) / 2) / w, cyp = (y - (fy0 + fy1) / 2) / h;
            c += v3(0.4f, 0.25f, 0.6f) * std::exp(-(cxp * cxp * 14.0f + cyp * cyp * 8.0f)) * 0.5f;
            float ox = std::max(fx0 - x, x - fx1), oy = std::max(fy0 - y, y - fy1);
            float out = std::max(ox, oy);
            if (out > -1 && out < 22) {
                // Brushed metal, lit from the top left.
                float lit = (x < fx0 || y < fy0) ? 1.0f : 0.55f;
                if (x >= fx1 || y >= fy1) lit = 0.4f;
                float brushed = 0.8f + 0.2f * value_noise(x * 0.02f, y * 2.0f, 7);
                c = v3(0.5f, 0.5f, 0.58f) * lit * brushed;
                if (out > 19) c = c * 0.4f;
            } else if (out <= -1) {
                // The empty screen: dark glass with a soft sheen.
                float s = std::exp(-((x - fx0) * (x - fx0) + (y - fy0) * (y - fy0)) / 120000.0f);
                c = v3(0.02f, 0.025f, 0.04f) + v3(0.08f, 0.1f, 0.15f) * s;
            } else if (out >= 22 && out < 40) {
                c = c * (0.5f + 0.5f * (out - 22) / 18.0f); // shadow round the frame
            }
            p.at(x, y) = c;
        }
    return p;
}

} // namespace makedata
