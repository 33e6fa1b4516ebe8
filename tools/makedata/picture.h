// Float pictures and the small vector kit the scenes are written in.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace makedata {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 v3(float x, float y, float z) { return Vec3{x, y, z}; }
inline Vec3 v3(float s) { return Vec3{s, s, s}; }
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(Vec3 a, Vec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(float s, Vec3 a) { return a * s; }
inline Vec3 operator/(Vec3 a, float s) { return a * (1.0f / s); }
inline Vec3 &operator+=(Vec3 &a, Vec3 b) { return a = a + b; }
inline Vec3 &operator*=(Vec3 &a, float s) { return a = a * s; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(Vec3 a) { return a / length(a); }
inline Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3 reflect(Vec3 d, Vec3 n) { return d - n * (2.0f * dot(d, n)); }
inline float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline float saturate(float v) { return clampf(v, 0.0f, 1.0f); }
inline float mixf(float a, float b, float t) { return a + (b - a) * t; }
inline Vec3 mix(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }
inline float smoothstep(float e0, float e1, float x)
{
    float t = saturate((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
inline float fract(float v) { return v - std::floor(v); }

// Hash-based value noise: the same numbers on every run and every thread.
float hash2(int x, int y, int seed = 0);
float value_noise(float x, float y, int seed = 0);
float fbm(float x, float y, int octaves, int seed = 0);

// Colours are 0..1 per channel, display-ready (no gamma step).
struct Picture {
    int width = 0, height = 0;
    std::vector<Vec3> px;
    Picture() = default;
    Picture(int w, int h) : width(w), height(h), px(size_t(w) * h) {}
    Vec3 &at(int x, int y) { return px[size_t(y) * width + x]; }
    const Vec3 &at(int x, int y) const { return px[size_t(y) * width + x]; }
};

// Fills the picture from f(u, v) with u, v the pixel centre in 0..1, taking n x n
// samples per pixel.
template <class F> void shade(Picture &p, int n, F f)
{
    float inv = 1.0f / float(n * n);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            Vec3 sum;
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i)
                    sum += f((x + (i + 0.5f) / n) / p.width, (y + (j + 0.5f) / n) / p.height);
            p.at(x, y) = sum * inv;
        }
}

// Quantising with a 4 x 4 ordered dither: gradients keep no bands after 8-, 5- or
// palette-level steps.
float bayer4(int x, int y);
std::vector<uint8_t> to_rgba8(const Picture &p, float levels = 255.0f);
std::vector<uint8_t> to_grey8(const Picture &p);

// A coverage mask (text, shapes): 0..1 per pixel.
struct Mask {
    int width = 0, height = 0;
    std::vector<float> a;
    Mask() = default;
    Mask(int w, int h) : width(w), height(h), a(size_t(w) * h, 0.0f) {}
    float get(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : a[size_t(y) * width + x];
    }
};

Mask blur(const Mask &m, int radius);     // three box passes, near-Gaussian
Mask dilate(const Mask &m, float radius); // round structuring element
Mask pad(const Mask &m, int border);

// Paints colour over p where the mask covers, the mask's top-left at (x, y).
void paint(Picture &p, const Mask &m, int x, int y, Vec3 colour, float opacity = 1.0f);
// Same, with a colour that depends on the picture position.
template <class F> void paint_with(Picture &p, const Mask &m, int x0, int y0, F colour)
{
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            int px = x0 + x, py = y0 + y;
            float a = m.a[size_t(y) * m.width + x];
            if (a <= 0 || px < 0 || py < 0 || px >= p.width || py >= p.height) continue;
            p.at(px, py) = mix(p.at(px, py), colour(px, py), a);
        }
}

} // namespace makedata

namespace makedata {

// Median-cut palette of at most `entries` colours and the dithered index picture.
void quantize(const Picture &p, int entries, std::vector<uint8_t> &index, std::vector<uint8_t> &palette);

} // namespace makedata
