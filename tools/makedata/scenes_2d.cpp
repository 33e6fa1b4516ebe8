#include <algorithm>
#include <complex>

#include "scenes.h"

namespace makedata {

namespace {

constexpr float tau = 6.2831853f;

Vec3 cosine_palette(float t, Vec3 a, Vec3 b, Vec3 c, Vec3 d)
{
    return a + b * v3(std::cos(tau * (c.x * t + d.x)), std::cos(tau * (c.y * t + d.y)),
                      std::cos(tau * (c.z * t + d.z)));
}

float ridge_height(float x, int layer)
{
    // Sharper peaks from folded noise, softer far away.
    float n = fbm(x * (2.0f + layer * 0.8f), layer * 3.7f, 5, 100 + layer);
    float sharp =
        1.0f - std::fabs(2.0f * fbm(x * (1.2f + layer * 0.5f), layer * 1.3f, 4, 200 + layer) - 1.0f);
    return mixf(n, sharp, 0.5f);
}

float stars(float u, float v, float density, int seed)
{
    float scale = 240.0f;
    int cx = int(std::floor(u * scale)), cy = int(std::floor(v * scale));
    float s = 0;
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            float r = hash2(cx + i, cy + j, seed);
            if (r > density) continue;
            float sx = (cx + i + hash2(cx + i, cy + j, seed + 1)) / scale;
            float sy = (cy + j + hash2(cx + i, cy + j, seed + 2)) / scale;
            float d = length(v3((u - sx) * scale, (v - sy) * scale, 0));
            float b = 0.3f + 0.7f * hash2(cx + i, cy + j, seed + 3);
            s += b * std::exp(-d * d * 6.0f);
        }
    return s;
}

} // namespace

Picture scene_ridges(int w, int h)
{
    Picture p(w, h);
    const float horizon = 0.66f;
    const Vec3 sun = v3(0.62f, 0.3f, 0);
    // A ridge's height depends on u alone: tabulate it once per layer instead of
    // summing noise octaves for every sample.
    const int layers = 5, samples = 8192;
    const float u_min = -0.1f, u_max = 2.4f; // layer offsets and lake ripples included
    std::vector<float> table(size_t(layers) * (samples + 1));
    for (int k = 0; k < layers; ++k)
        for (int i = 0; i <= samples; ++i)
            table[size_t(k) * (samples + 1) + i] = ridge_height(u_min + (u_max - u_min) * i / samples, k);
    auto ridge = [&](float u, int k) {
        float f = clampf((u - u_min) / (u_max - u_min), 0.0f, 1.0f) * samples;
        int i = std::min(int(f), samples - 1);
        const float *t = &table[size_t(k) * (samples + 1) + i];
        return mixf(t[0], t[1], f - float(i));
    };
    auto sky = [&](float u, float v) {
        float t = saturate(v / horizon);
        Vec3 c = mix(v3(0.13f, 0.12f, 0.35f), v3(0.98f, 0.55f, 0.35f), std::pow(t, 1.6f));
        c = mix(c, v3(1.0f, 0.85f, 0.55f), std::pow(t, 6.0f) * 0.6f);
        float ds = length(v3((u - sun.x) * 1.0f, v - sun.y, 0));
        c += v3(1.0f, 0.8f, 0.5f) * (smoothstep(0.052f, 0.047f, ds) * 0.9f + std::exp(-ds * 9.0f) * 0.35f);
        // Long thin clouds lit from below.
        float cl = fbm(u * 3.0f, v * 14.0f, 5, 9);
        float cloud = smoothstep(0.55f, 0.75f, cl) * smoothstep(0.05f, 0.3f, v) * smoothstep(0.6f, 0.35f, v);
        c = mix(c, mix(v3(0.45f, 0.2f, 0.35f), v3(1.0f, 0.6f, 0.45f), t), cloud * 0.8f);
        return c;
    };
    auto land = [&](float u, float v, bool &hit) -> Vec3 {
        // Five ridges from far to near; nearer ones are darker and less hazy.
        Vec3 c;
        hit = false;
        for (int k = layers - 1; k >= 0; --k) {
            // Far ridges stand higher on the picture, near ones are drawn over them.
            float top = horizon - 0.035f - 0.055f * k - 0.17f * ridge(u + 0.3f * k, k) * (1.0f - 0.1f * k);
            if (v >= top && v <= horizon) {
                float haze = float(k) / (layers - 1);
                Vec3 rock = mix(v3(0.08f, 0.06f, 0.14f), v3(0.65f, 0.42f, 0.48f), haze * 0.85f);
                // The low sun catches the crests, strongest near it.
                float near_sun = std::exp(-std::fabs(u - sun.x) * 2.5f);
                rock += v3(0.5f, 0.28f, 0.16f) * std::exp(-(v - top) * 70.0f) * (0.35f + 0.65f * near_sun) *
                        (1 - haze * 0.5f);
                rock = mix(rock, v3(0.85f, 0.5f, 0.45f), saturate((v - top) * 2.0f) * haze * 0.3f);
                c = rock;
                hit = true;
            }
        }
        return c;
    };
    shade(p, 2, [&](float u, float v) {
        bool hit;
        if (v < horizon) {
            Vec3 l = land(u, v, hit);
            return hit ? l : sky(u, v);
        }
        // The lake mirrors the landscape with ripples and darkens towards us.
        float dv = v - horizon;
        float ripple = 0.004f * std::sin(dv * 900.0f / (dv + 0.05f) + fbm(u * 20, dv * 60, 2, 4) * 6.0f);
        float mv = horizon - dv * 1.0f;
        Vec3 l = land(u + ripple, mv, hit);
        Vec3 c = hit ? l : sky(u + ripple, mv);
        c = c * (0.75f - 0.4f * saturate(dv * 3.0f)) + v3(0.02f, 0.03f, 0.08f);
        float glint =
            std::exp(-std::fabs(u - sun.x) * 40.0f) * smoothstep(0.55f, 0.8f, fbm(u * 50, dv * 200, 2, 5));
        return c + v3(1.0f, 0.8f, 0.5f) * glint * 0.6f;
    });
    return p;
}

Picture scene_aurora(int w, int h)
{
    Picture p(w, h);
    const float horizon = 0.7f;
    auto sky = [&](float u, float v) {
        Vec3 c = mix(v3(0.01f, 0.02f, 0.06f), v3(0.05f, 0.12f, 0.2f), saturate(v / horizon));
        Vec3 glow;
        // Curtains: bands whose waving centre line is noise, with rays hanging down.
        for (int k = 0; k < 3; ++k) {
            float centre = 0.22f + 0.1f * k + 0.12f * (fbm(u * 1.5f + k, k * 2.0f, 4, 40 + k) - 0.5f) * 2.0f;
            float dv = v - centre;
            float band = std::exp(-dv * dv * 400.0f) + smoothstep(0.0f, 0.15f, -dv) * 0.0f;
            float rays = 0.6f + 0.4f * value_noise(u * 90.0f, k * 5.0f, 60 + k);
            float below = dv > 0 ? std::exp(-dv * 14.0f) : std::exp(dv * 60.0f);
            float a = (0.5f * band + 0.6f * below * rays) * (0.6f + 0.4f * fbm(u * 4, v * 2 + k, 3, 70 + k));
            Vec3 col = mix(v3(0.1f, 1.0f, 0.5f), v3(0.7f, 0.2f, 0.9f), saturate(-dv * 8.0f + 0.2f * k));
            glow += col * a * (k == 1 ? 0.7f : 0.5f);
        }
        // Stars fade where the curtains shine.
        float veil = saturate(1.0f - 1.5f * (glow.x + glow.y + glow.z));
        return c + glow + v3(0.9f, 0.95f, 1.0f) * stars(u, v, 0.025f, 31) * 0.9f * veil;
    };
    // The skyline depends on u alone: tabulated once, looked up per sample.
    const int samples = 4096;
    const float u_min = -0.05f, u_max = 1.05f;
    std::vector<float> skyline(samples + 1);
    for (int i = 0; i <= samples; ++i) {
        float u = u_min + (u_max - u_min) * i / samples;
        float peaks = saturate(ridge_height(u * 1.1f + 0.2f, 3) - 0.25f);
        skyline[i] = horizon - 0.02f - 0.03f * fbm(u * 3.0f, 0.5f, 5, 80) - 0.3f * peaks * peaks;
    }
    auto hills = [&](float u) {
        float f = clampf((u - u_min) / (u_max - u_min), 0.0f, 1.0f) * samples;
        int i = std::min(int(f), samples - 1);
        return mixf(skyline[i], skyline[i + 1], f - float(i));
    };
    shade(p, 2, [&](float u, float v) {
        if (v < horizon) {
            if (v > hills(u))
                return v3(0.01f, 0.015f, 0.03f) +
                       v3(0.02f, 0.06f, 0.05f) * (1 - saturate((v - hills(u)) * 20.0f));
            return sky(u, v);
        }
        float dv = v - horizon;
        float mv = horizon - dv;
        float ice = fbm(u * 14.0f, dv * 50.0f, 4, 90);
        Vec3 refl = mv > hills(u) ? v3(0.01f, 0.015f, 0.03f) : sky(u + 0.003f * std::sin(dv * 300.0f), mv);
        // Snow in the foreground, the ice mirror further out.
        float snow = smoothstep(0.2f, 0.28f, dv + 0.05f * fbm(u * 6.0f, 3.0f, 4, 91));
        Vec3 ice_col = refl * 0.7f + v3(0.02f, 0.04f, 0.06f) * ice;
        Vec3 snow_col = v3(0.12f, 0.2f, 0.22f) * (0.6f + 0.4f * ice) + v3(0.05f, 0.25f, 0.15f) * 0.3f;
        return mix(ice_col, snow_col, snow);
    });
    return p;
}

Picture scene_planet(int w, int h)
{
    Picture p(w, h);
    const Vec3 centre = v3(0.46f, 0.52f, 0);
    const float radius = 0.27f;
    const Vec3 light = normalize(v3(-0.7f, -0.35f, 0.6f));
    // Ring plane tilted across the planet.
    const float tilt = 0.28f, slant = -0.22f;
    auto ring_at = [&](float u, float v, float &r, Vec3 &c) {
        float x = u - centre.x, y = v - centre.y;
        float xr = x * std::cos(slant) + y * std::sin(slant), yr = -x * std::sin(slant) + y * std::cos(slant);
        r = std::sqrt(xr * xr + (yr / tilt) * (yr / tilt));
        float bands = 0.55f + 0.45f * std::sin(r * 420.0f) * std::sin(r * 97.0f);
        float a = smoothstep(0.36f, 0.37f, r) * smoothstep(0.60f, 0.58f, r) *
                  (r > 0.47f && r < 0.485f ? 0.2f : 1.0f);
        c = mix(v3(0.85f, 0.75f, 0.6f), v3(0.6f, 0.5f, 0.45f), bands);
        return a * bands;
    };
    shade(p, 2, [&](float u, float v) {
        Vec3 c = v3(0.005f, 0.005f, 0.02f) + v3(0.9f) * stars(u, v, 0.06f, 11);
        // A faint nebula behind.
        c += v3(0.25f, 0.08f, 0.3f) * std::pow(fbm(u * 3, v * 3, 5, 12), 3.0f) * 1.5f;
        c += v3(0.05f, 0.15f, 0.3f) * std::pow(fbm(u * 4 + 3, v * 2, 4, 13), 4.0f) * 2.0f;
        float x = (u - centre.x) / radius, y = (v - centre.y) / radius;
        float rr = x * x + y * y;
        float rn;
        Vec3 rc;
        float ra = ring_at(u, v, rn, rc);
        float xr = (u - centre.x) * std::cos(slant) + (v - centre.y) * std::sin(slant);
        float yr = -(u - centre.x) * std::sin(slant) + (v - centre.y) * std::cos(slant);
        bool ring_front = yr > 0;
        (void)xr;
        if (ra > 0 && !ring_front) c = mix(c, rc * 0.8f, ra * 0.9f);
        if (rr < 1.0f) {
            float z = std::sqrt(1 - rr);
            Vec3 n = v3(x, -y, z);
            float lat = y + 0.15f * x;
            float swirl = fbm(x * 3.0f, lat * 12.0f + 2.0f * fbm(x * 2, lat * 4, 3, 14), 5, 15);
            Vec3 band = cosine_palette(lat * 2.2f + swirl * 0.5f, v3(0.7f, 0.55f, 0.4f),
                                       v3(0.25f, 0.2f, 0.15f), v3(1, 1, 1), v3(0.0f, 0.1f, 0.2f));
            // A storm eye.
            float eye = length(v3(x - 0.35f, y - 0.3f, 0) * v3(1.0f, 2.2f, 0));
            band = mix(band, v3(0.8f, 0.35f, 0.2f), smoothstep(0.14f, 0.08f, eye) * 0.8f);
            float lit = saturate(dot(n, light));
            // The ring's shadow falls on the planet as a band.
            float sr;
            Vec3 sc;
            float shadow = ring_at(u + 0.02f, v - 0.05f, sr, sc);
            Vec3 pc = band * (0.03f + 1.2f * lit * (1 - 0.7f * shadow));
            pc += v3(0.3f, 0.5f, 0.9f) * std::pow(1 - z, 3.0f) * 0.5f * saturate(lit + 0.3f);
            c = mix(c, pc, smoothstep(1.0f, 0.985f, rr));
        }
        if (ra > 0 && ring_front) {
            // The planet's shadow on the ring behind it to the lower right.
            float sx = (u - centre.x) / radius - light.x * 0.9f,
                  sy = (v - centre.y) / radius + light.y * 0.9f;
            float in_shadow = sx * sx + sy * sy < 1.0f ? 0.25f : 1.0f;
            c = mix(c, rc * in_shadow, ra * 0.9f);
        }
        // A small moon, lit from the same side.
        float mx = (u - 0.84f) / 0.05f, my = (v - 0.2f) / 0.05f, mr = mx * mx + my * my;
        if (mr < 1.0f) {
            Vec3 n = v3(mx, -my, std::sqrt(1 - mr));
            float crater = fbm(mx * 3 + 7, my * 3, 4, 16);
            c = mix(c, v3(0.7f, 0.68f, 0.65f) * (0.4f + 0.6f * crater) * saturate(dot(n, light) + 0.05f),
                    smoothstep(1.0f, 0.95f, mr));
        }
        return c;
    });
    return p;
}

Picture scene_sunset(int w, int h)
{
    Picture p(w, h);
    const float horizon = 0.62f;
    shade(p, 2, [&](float u, float v) {
        if (v < horizon) {
            float t = v / horizon;
            Vec3 c = mix(v3(0.05f, 0.02f, 0.15f), v3(0.75f, 0.15f, 0.45f), std::pow(t, 1.5f));
            c += v3(0.9f) * stars(u, v, 0.04f, 21) * (1 - t);
            // The sun, cut by widening stripes towards its base.
            float dx = u - 0.5f, dy = v - 0.43f, r = std::sqrt(dx * dx + dy * dy);
            if (r < 0.22f) {
                float k = saturate((v - 0.33f) / 0.32f);
                bool gap = k > 0 && fract((v - 0.33f) * 40.0f) < k * 0.7f;
                Vec3 sun = mix(v3(1.0f, 0.95f, 0.35f), v3(1.0f, 0.25f, 0.45f), saturate((v - 0.23f) / 0.4f));
                if (!gap) c = mix(c, sun, smoothstep(0.22f, 0.215f, r));
            }
            c += v3(1.0f, 0.3f, 0.5f) * std::exp(-std::fabs(r - 0.22f) * 18.0f) * 0.25f;
            // Mountains in silhouette with a neon edge.
            float m = horizon - 0.13f * std::pow(fbm(u * 4.0f, 1.0f, 5, 22), 1.5f) *
                                    (0.5f + std::fabs(u - 0.5f) * 2.0f);
            if (v > m) {
                c = v3(0.07f, 0.02f, 0.12f);
                c += v3(0.1f, 0.9f, 1.0f) * std::exp(-(v - m) * 300.0f) * 0.7f;
            }
            return c;
        }
        // The floor: a perspective grid glowing against the dark.
        float dv = v - horizon;
        float z = 0.06f / dv, x = (u - 0.5f) * z * 6.0f;
        float gx = std::fabs(fract(x) - 0.5f), gz = std::fabs(fract(z * 2.0f) - 0.5f);
        float width = 0.02f * z;
        float line = std::max(smoothstep(width + 0.03f, width, 0.5f - gx),
                              smoothstep(width + 0.03f, width, 0.5f - gz));
        Vec3 c = v3(0.05f, 0.0f, 0.1f) + v3(0.15f, 0.02f, 0.2f) * std::exp(-dv * 8.0f);
        c = mix(c, v3(1.0f, 0.3f, 0.8f), line * saturate(1.2f - z * 0.05f));
        c += v3(1.0f, 0.4f, 0.5f) * std::exp(-dv * 30.0f) * 0.5f;
        return c;
    });
    return p;
}

Picture scene_mandelbrot(int w, int h)
{
    Picture p(w, h);
    const double cx = -0.743643887037151, cy = 0.131825904205330, span = 0.0048;
    shade(p, 1, [&](float u, float v) {
        double x0 = cx + (u - 0.5) * span, y0 = cy + (v - 0.5) * span;
        double x = 0, y = 0;
        int i = 0;
        const int limit = 600;
        while (i < limit && x * x + y * y < 256.0) {
            double xt = x * x - y * y + x0;
            y = 2 * x * y + y0;
            x = xt;
            ++i;
        }
        if (i == limit) return v3(0.0f, 0.0f, 0.02f);
        float smooth = float(i) - std::log2(std::log2(float(x * x + y * y))) + 4.0f;
        float t = std::sqrt(smooth) * 0.32f;
        return cosine_palette(t, v3(0.5f, 0.45f, 0.5f), v3(0.5f, 0.45f, 0.5f), v3(1.0f, 1.0f, 1.0f),
                              v3(0.0f, 0.15f, 0.3f));
    });
    return p;
}

Picture scene_julia(int w, int h)
{
    Picture p(w, h);
    const std::complex<double> c(-0.7269, 0.1889);
    shade(p, 2, [&](float u, float v) {
        std::complex<double> z((u - 0.5) * 3.0, (v - 0.5) * 3.0), dz(1, 0);
        int i = 0;
        for (; i < 300 && std::norm(z) < 1e6; ++i) {
            dz = 2.0 * z * dz;
            z = z * z + c;
        }
        if (i == 300) return v3(0.02f);
        // Distance estimate: bright close to the set, a slow glow outside.
        double r = std::abs(z), dr = std::abs(dz);
        float d = float(0.5 * r * std::log(r) / dr);
        float glow = std::pow(saturate(1.0f - std::log10(d * 800.0f + 1.0f) * 0.45f), 2.2f);
        float rim = 0.15f * std::exp(-float(i) * 0.01f);
        return v3(saturate(glow + rim) * 0.95f + 0.03f);
    });
    return p;
}

Picture scene_plasma(int w, int h)
{
    Picture p(w, h);
    auto height = [](float x, float y) {
        // Four waves, two of them rings around their own centres, beating against each other.
        float v =
            std::sin(x * 17.0f) + std::sin(y * 13.0f + 1.3f) + std::sin((x + y) * 11.0f + 0.5f) +
            std::sin(std::sqrt((x - 0.3f) * (x - 0.3f) * 600.0f + (y - 0.6f) * (y - 0.6f) * 600.0f + 1.0f)) +
            std::sin(std::sqrt((x - 0.8f) * (x - 0.8f) * 400.0f + (y - 0.2f) * (y - 0.2f) * 400.0f));
        return v * 0.2f;
    };
    const Vec3 light = normalize(v3(-0.5f, -0.6f, 0.7f));
    shade(p, 2, [&](float u, float v) {
        float hgt = height(u, v);
        float e = 0.002f;
        float hx = (height(u + e, v) - height(u - e, v)) / (2 * e),
              hy = (height(u, v + e) - height(u, v - e)) / (2 * e);
        Vec3 n = normalize(v3(-hx * 0.05f, -hy * 0.05f, 1.0f));
        Vec3 base = cosine_palette(hgt * 2.2f + 0.1f, v3(0.5f, 0.5f, 0.5f), v3(0.5f, 0.5f, 0.5f),
                                   v3(1.0f, 1.0f, 1.0f), v3(0.05f, 0.25f, 0.55f));
        float dif = saturate(dot(n, light));
        float shine = std::pow(saturate(dot(reflect(v3(0, 0, -1), n), light)), 40.0f);
        float vig = 1.0f - 0.5f * std::pow(length(v3(u - 0.5f, v - 0.5f, 0)) * 1.3f, 3.0f);
        return (base * (0.35f + 0.75f * dif) + v3(shine * 0.7f)) * vig;
    });
    return p;
}

Picture scene_tunnel(int w, int h)
{
    Picture p(w, h);
    shade(p, 2, [&](float u, float v) {
        float x = u - 0.5f, y = v - 0.5f;
        // The vanishing point sits a little off centre, so the tube seems to bend.
        x -= 0.08f * (0.5f - v);
        float r = std::sqrt(x * x + y * y) + 1e-4f;
        float a = std::atan2(y, x) / tau;
        float depth = 0.35f / r;
        float tu = a * 16.0f + depth * 0.3f, tv = depth * 2.0f;
        // Panels with glowing seams and a rib every few panels.
        float su = std::fabs(fract(tu) - 0.5f), sv = std::fabs(fract(tv) - 0.5f);
        float seam = smoothstep(0.46f, 0.5f, std::max(su, sv));
        float rib = smoothstep(0.42f, 0.5f, std::fabs(fract(tv * 0.25f) - 0.5f));
        float panel = 0.5f + 0.5f * hash2(int(std::floor(tu)) & 15, int(std::floor(tv)), 3);
        Vec3 base = mix(v3(0.10f, 0.12f, 0.2f), v3(0.2f, 0.22f, 0.35f), panel);
        Vec3 c = base * (0.4f + 0.6f * (1 - 2 * su)) + v3(0.1f, 0.8f, 1.0f) * seam * 0.9f +
                 v3(1.0f, 0.3f, 0.8f) * rib * 0.8f;
        // Light in the distance, darkness near the lens.
        float fog = std::exp(-depth * 0.16f);
        c = c * fog * 1.3f + v3(1.0f, 0.85f, 0.7f) * std::exp(-r * 14.0f) * 1.2f;
        return c * smoothstep(0.75f, 0.3f, r);
    });
    return p;
}

Picture scene_rosette(int w, int h)
{
    Picture p(w, h);
    const int folds = 12;
    shade(p, 2, [&](float u, float v) {
        float x = u - 0.5f, y = v - 0.5f;
        float r = std::sqrt(x * x + y * y);
        float a = std::atan2(y, x);
        // Fold the angle into one mirrored wedge: every wedge repeats it.
        float wedge = tau / folds;
        float fa = std::fmod(a + tau, wedge);
        if (fa > wedge * 0.5f) fa = wedge - fa;
        float px = r * std::cos(fa), py = r * std::sin(fa);
        // Voronoi cells in the wedge: nearest and second-nearest seeds give the lead lines.
        float best = 1e9f, second = 1e9f;
        int id = 0;
        int gx = int(std::floor(px * 14.0f)), gy = int(std::floor(py * 14.0f));
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i) {
                float sx = (gx + i + 0.15f + 0.7f * hash2(gx + i, gy + j, 5)) / 14.0f;
                float sy = (gy + j + 0.15f + 0.7f * hash2(gx + i, gy + j, 6)) / 14.0f;
                float d = length(v3(px - sx, py - sy, 0));
                if (d < best) {
                    second = best;
                    best = d;
                    id = (gx + i) * 37 + (gy + j) * 11;
                } else if (d < second) {
                    second = d;
                }
            }
        float ring = std::floor(r * 14.0f);
        float hue = hash2(id, int(ring), 8);
        Vec3 glass;
        if (hue < 0.3f)
            glass = v3(0.75f, 0.08f, 0.1f);
        else if (hue < 0.55f)
            glass = v3(0.08f, 0.2f, 0.8f);
        else if (hue < 0.72f)
            glass = v3(0.95f, 0.7f, 0.1f);
        else if (hue < 0.86f)
            glass = v3(0.1f, 0.6f, 0.25f);
        else
            glass = v3(0.55f, 0.15f, 0.65f);
        float lead = smoothstep(0.006f, 0.0f, second - best - 0.004f);
        // Light streams in from the upper left; glass is brightest at each cell's centre.
        float glow = 0.7f + 0.5f * saturate(1.0f - best * 20.0f) + 0.35f * (0.5f - x - y);
        Vec3 c = glass * glow;
        // Concentric stone tracery and the round frame.
        float tr = std::min(std::fabs(r - 0.12f), std::fabs(r - 0.3f));
        float frame = smoothstep(0.005f, 0.0f, tr - 0.008f) + smoothstep(0.44f, 0.445f, r);
        float spoke = smoothstep(0.006f, 0.0f, r * fa - 0.003f) * (r > 0.12f ? 1.0f : 0.0f);
        c = mix(c, v3(0.05f, 0.04f, 0.04f), saturate(lead + spoke));
        Vec3 stone = v3(0.42f, 0.38f, 0.33f) * (0.6f + 0.4f * fbm(u * 30, v * 30, 3, 9));
        c = mix(c, stone, saturate(frame));
        if (r > 0.46f) c = v3(0.16f, 0.13f, 0.12f) * (0.5f + 0.5f * fbm(u * 18, v * 18, 4, 10)) * (1.2f - r);
        return c;
    });
    return p;
}

} // namespace makedata
