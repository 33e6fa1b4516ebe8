// The picture tube pass worked out on the processor: what the CRT shader makes of a
// scene drawn into the rectangle the camera gives, at a given shader time. Used to
// check whole frames of the show against what its timeline puts into the scene.
#ifndef FENK_TESTS_SHOW_TUBE_MODEL_H
#define FENK_TESTS_SHOW_TUBE_MODEL_H

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

// The scene's colour at texture coordinates, y up as the frame buffer texture has it.
using Scene = std::function<void(double, double, double rgb[3])>;

// Where the pass draws (the camera's rectangle) and its shader time (frame * 0.01).
struct TubeView {
    int x, y, w, h;
    double time;
};

struct TubeLight {
    bool inside;   // within the camera's rectangle
    bool edge;     // next to the glass edge, where a rounding decides between two sides
    double rgb[3]; // before the brightness (fade) and the clamp to 0..1
};

inline TubeLight tube_light(int px, int py, const TubeView &view, const Scene &scene)
{
    TubeLight out{false, false, {0, 0, 0}};
    if (px < view.x || px >= view.x + view.w || py < view.y || py >= view.y + view.h) return out;
    out.inside = true;
    double ux = ((px + 0.5 - view.x) / view.w - 0.5) * 2.2;
    double uy = ((1 - (py + 0.5 - view.y) / view.h) - 0.5) * 2.2;
    ux *= 1 + std::pow(std::fabs(uy) / 5, 2.3);
    uy *= 1 + std::pow(std::fabs(ux) / 4, 2.3);
    ux = (ux / 2 + 0.5) * 0.92 + 0.04;
    uy = (uy / 2 + 0.5) * 0.92 + 0.04;
    for (double edge : {ux, uy}) out.edge |= std::fabs(edge) < 0.002 || std::fabs(edge - 1) < 0.002;

    const double d = 0.001 * std::sin(view.time + 4 * uy);
    double r[3], g[3], b[3];
    scene(ux + d + 0.001, uy + 0.001, r);
    scene(ux, uy - 0.002, g);
    scene(ux - d - 0.002, uy, b);
    const double colour[3] = {r[0] + 0.05, g[1] + 0.05, b[2] + 0.05};
    const double v = std::max(16 * ux * uy * (1 - ux) * (1 - uy), 0.0);
    const double s = std::pow(std::clamp(0.35 + 0.35 * std::sin(0.5 * view.time + 1080 * uy), 0.0, 1.0), 1.7);
    const double side = 1 - 0.65 * std::clamp((ux - 2 * std::floor(ux / 2) - 1) * 2, 0.0, 1.0);
    const double factor = std::pow(v, 0.3) * (0.4 + 0.7 * s) * 1.5 * side;
    for (int c = 0; c < 3; c++) out.rgb[c] = colour[c] * factor;
    return out;
}

inline int tube_level(double light, double brightness)
{
    return static_cast<int>(std::lround(std::clamp(light * brightness, 0.0, 1.0) * 255));
}

// A scene picture, top row first, three bytes a pixel.
struct SceneImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Linear filtering between texel centres, mirrored beyond the edges as the frame
// buffer texture wraps.
inline Scene sampled(const SceneImage &image)
{
    return [&image](double u, double v, double rgb[3]) {
        auto texel = [&image](int x, int y, int c) {
            auto mirror = [](int i, int n) {
                i = i < 0 ? -1 - i : i;
                return i >= n ? 2 * n - 1 - i : i;
            };
            return image.rgb[(static_cast<size_t>(mirror(y, image.height)) * image.width +
                              mirror(x, image.width)) *
                                 3 +
                             c] /
                   255.0;
        };
        const double x = u * image.width - 0.5, y = (1 - v) * image.height - 0.5;
        const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        const double fx = x - x0, fy = y - y0;
        for (int c = 0; c < 3; c++)
            rgb[c] = (texel(x0, y0, c) * (1 - fx) + texel(x0 + 1, y0, c) * fx) * (1 - fy) +
                     (texel(x0, y0 + 1, c) * (1 - fx) + texel(x0 + 1, y0 + 1, c) * fx) * fy;
    };
}

#endif
