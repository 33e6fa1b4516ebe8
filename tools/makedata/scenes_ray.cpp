#include <algorithm>
#include <iterator>

#include "scenes.h"

namespace makedata {

namespace {

struct Camera {
    Vec3 eye, forward, right, up;
    float zoom;
    Camera(Vec3 from, Vec3 at, float fov) : eye(from), zoom(fov)
    {
        forward = normalize(at - from);
        right = normalize(cross(v3(0, 1, 0), forward));
        up = cross(forward, right);
    }
    Vec3 ray(float u, float v) const
    {
        return normalize(forward + right * ((u - 0.5f) * zoom) + up * ((0.5f - v) * zoom));
    }
};

Vec3 tone(Vec3 c) // soft shoulder instead of clipping the highlights
{
    return {1.0f - std::exp(-c.x * 1.3f), 1.0f - std::exp(-c.y * 1.3f), 1.0f - std::exp(-c.z * 1.3f)};
}

// ---- Spheres on a checker floor, traced exactly --------------------------------------

struct Ball {
    Vec3 c;
    float r;
    Vec3 colour;
    float mirror;
};

const Ball balls[] = {
    {{0.0f, 1.2f, 0.0f}, 1.2f, {0.92f, 0.93f, 0.97f}, 0.85f},
    {{-2.4f, 0.7f, 0.9f}, 0.7f, {0.85f, 0.12f, 0.10f}, 0.25f},
    {{2.3f, 0.8f, 0.7f}, 0.8f, {0.10f, 0.30f, 0.90f}, 0.30f},
    {{1.15f, 0.45f, -1.7f}, 0.45f, {0.95f, 0.70f, 0.15f}, 0.5f},
    {{-1.3f, 0.4f, -1.9f}, 0.4f, {0.15f, 0.75f, 0.35f}, 0.25f},
    {{3.2f, 0.35f, -1.1f}, 0.35f, {0.65f, 0.25f, 0.85f}, 0.3f},
};
const Vec3 sun_dir = normalize(v3(0.55f, 0.75f, -0.45f));

Vec3 sky(Vec3 d)
{
    float h = saturate(d.y);
    Vec3 c = mix(v3(1.0f, 0.78f, 0.58f), v3(0.12f, 0.28f, 0.68f), std::pow(h, 0.45f));
    float s = std::max(0.0f, dot(d, sun_dir));
    return c + v3(1.0f, 0.85f, 0.6f) * (std::pow(s, 400.0f) * 6.0f + std::pow(s, 12.0f) * 0.25f);
}

bool hit_ball(const Ball &b, Vec3 o, Vec3 d, float &t)
{
    Vec3 oc = o - b.c;
    float bq = dot(oc, d), c = dot(oc, oc) - b.r * b.r, disc = bq * bq - c;
    if (disc < 0) return false;
    t = -bq - std::sqrt(disc);
    return t > 1e-3f;
}

float sphere_shadow(Vec3 p)
{
    float s = 1.0f;
    for (const Ball &b : balls) {
        Vec3 oc = b.c - p;
        float t = dot(oc, sun_dir);
        if (t <= 0) continue;
        float dist = std::sqrt(std::max(0.0f, dot(oc, oc) - t * t)) - b.r;
        s = std::min(s, saturate(8.0f * dist / t + 0.5f));
    }
    return s * s * (3 - 2 * s);
}

Vec3 trace_balls(Vec3 o, Vec3 d, int depth)
{
    float best = 1e9f;
    int which = -1;
    for (int i = 0; i < int(std::size(balls)); ++i) {
        float t;
        if (hit_ball(balls[i], o, d, t) && t < best) {
            best = t;
            which = i;
        }
    }
    float tf = d.y < 0 ? -o.y / d.y : 1e9f;
    if (which < 0 && tf >= 1e9f) return sky(d);
    Vec3 p, n, albedo;
    float mirror;
    if (which >= 0 && best < tf) {
        const Ball &b = balls[which];
        p = o + d * best;
        n = (p - b.c) / b.r;
        albedo = b.colour;
        mirror = b.mirror;
    } else {
        p = o + d * tf;
        n = v3(0, 1, 0);
        bool odd = (int(std::floor(p.x)) + int(std::floor(p.z))) & 1;
        albedo = odd ? v3(0.93f, 0.88f, 0.78f) : v3(0.12f, 0.42f, 0.45f);
        mirror = 0.18f;
    }
    float diff = std::max(0.0f, dot(n, sun_dir)) * sphere_shadow(p + n * 1e-3f);
    // Contact darkening near each ball, from the solid angle it fills.
    float ao = 1.0f;
    for (const Ball &b : balls) {
        Vec3 e = b.c - p;
        float dd = dot(e, e);
        if (dd > b.r * b.r * 1.0001f) ao *= 1.0f - saturate(dot(n, e) / std::sqrt(dd)) * b.r * b.r / dd;
    }
    Vec3 ambient = mix(v3(0.35f, 0.3f, 0.28f), v3(0.3f, 0.45f, 0.75f), 0.5f + 0.5f * n.y);
    Vec3 c = albedo * (v3(1.3f, 1.15f, 0.95f) * diff + ambient * (0.55f * ao));
    Vec3 r = reflect(d, n);
    float shine = std::pow(std::max(0.0f, dot(r, sun_dir)), 80.0f) * diff;
    float fres = mirror + (1 - mirror) * std::pow(1 - std::max(0.0f, -dot(d, n)), 5.0f) * 0.6f;
    Vec3 refl = depth > 0 ? trace_balls(p + n * 1e-3f, r, depth - 1) : sky(r);
    c = mix(c, refl * (which >= 0 ? albedo * 0.6f + v3(0.4f) : v3(1.0f)), fres) + v3(shine * 2.0f);
    // Haze over the far floor.
    float dist = length(p - o);
    return mix(c, sky(v3(d.x, 0.02f, d.z)), saturate((dist - 12.0f) / 40.0f));
}

// ---- Distance-field helpers --------------------------------------------------------------

float smin(float a, float b, float k)
{
    float h = saturate(0.5f + 0.5f * (b - a) / k);
    return mixf(b, a, h) - k * h * (1 - h);
}

template <class SDF> Vec3 sdf_normal(SDF f, Vec3 p)
{
    const float e = 1e-3f;
    return normalize(v3(f(p + v3(e, 0, 0)) - f(p - v3(e, 0, 0)), f(p + v3(0, e, 0)) - f(p - v3(0, e, 0)),
                        f(p + v3(0, 0, e)) - f(p - v3(0, 0, e))));
}

template <class SDF> float march(SDF f, Vec3 o, Vec3 d, float far, int steps, float scale)
{
    float t = 0;
    for (int i = 0; i < steps && t < far; ++i) {
        float h = f(o + d * t);
        if (h < 1e-3f * (1 + t)) return t;
        t += h * scale;
    }
    return -1;
}

template <class SDF> float soft_shadow(SDF f, Vec3 p, Vec3 l, float k, int steps)
{
    float s = 1, t = 0.02f;
    for (int i = 0; i < steps && t < 8; ++i) {
        float h = f(p + l * t);
        if (h < 1e-4f) return 0;
        s = std::min(s, k * h / t);
        t += clampf(h, 0.02f, 0.4f);
    }
    return saturate(s);
}

template <class SDF> float occlusion(SDF f, Vec3 p, Vec3 n)
{
    float o = 0, w = 1;
    for (int i = 1; i <= 4; ++i) {
        float h = 0.06f * i;
        o += w * (h - f(p + n * h));
        w *= 0.6f;
    }
    return saturate(1 - 2.5f * o);
}

// ---- The twisted ring ----------------------------------------------------------------

float ring_sdf(Vec3 p)
{
    // Stand the ring up and tilt it towards the camera.
    const float ca = 0.94f, sa = 0.34f;
    Vec3 q = v3(p.x * ca - p.y * sa, p.x * sa + p.y * ca, p.z);
    q = v3(q.x, q.z * 0.9f + q.y * 0.44f, q.y * 0.9f - q.z * 0.44f);
    q.y -= 0.0f;
    float a = std::atan2(q.z, q.x);
    float ring = std::sqrt(q.x * q.x + q.z * q.z) - 1.35f;
    // The cross-section, a rounded square, turns one and a half times around the ring.
    float tw = a * 1.5f, c = std::cos(tw), s = std::sin(tw);
    float x = c * ring - s * q.y, y = s * ring + c * q.y;
    float dx = std::fabs(x) - 0.26f, dy = std::fabs(y) - 0.26f;
    float box = std::sqrt(std::max(dx, 0.0f) * std::max(dx, 0.0f) + std::max(dy, 0.0f) * std::max(dy, 0.0f)) +
                std::min(std::max(dx, dy), 0.0f) - 0.07f;
    return box;
}

float ring_scene(Vec3 p)
{
    float ring = ring_sdf(p - v3(0, 1.75f, 0));
    float ball = length(p - v3(0, 1.75f, 0)) - 0.5f;
    return std::min(std::min(ring, ball), p.y);
}

// ---- Blobs --------------------------------------------------------------------------

const Vec3 blob_at[] = {{0.0f, 0.0f, 0.0f},  {0.9f, 0.5f, 0.2f},    {-0.8f, 0.6f, -0.3f},
                        {0.3f, -0.8f, 0.4f}, {-0.5f, -0.6f, -0.5f}, {1.1f, -0.4f, -0.6f},
                        {-1.2f, -0.1f, 0.5f}};
const float blob_r[] = {0.75f, 0.5f, 0.45f, 0.5f, 0.4f, 0.35f, 0.38f};

float blob_sdf(Vec3 p)
{
    float d = length(p - blob_at[0]) - blob_r[0];
    for (int i = 1; i < 7; ++i) d = smin(d, length(p - blob_at[i]) - blob_r[i], 0.35f);
    return d;
}

// ---- Menger sponge ------------------------------------------------------------------

float box3(Vec3 p, float b)
{
    float dx = std::fabs(p.x) - b, dy = std::fabs(p.y) - b, dz = std::fabs(p.z) - b;
    float out = std::sqrt(std::max(dx, 0.0f) * std::max(dx, 0.0f) + std::max(dy, 0.0f) * std::max(dy, 0.0f) +
                          std::max(dz, 0.0f) * std::max(dz, 0.0f));
    return out + std::min(std::max(dx, std::max(dy, dz)), 0.0f);
}

float sponge_sdf(Vec3 p)
{
    float d = box3(p, 1.0f);
    float s = 1.0f;
    for (int m = 0; m < 4; ++m) {
        auto mod = [](float v) { return v - 2.0f * std::floor(v / 2.0f); };
        Vec3 a = v3(mod(p.x * s) - 1, mod(p.y * s) - 1, mod(p.z * s) - 1);
        s *= 3.0f;
        Vec3 r = v3(std::fabs(1 - 3 * std::fabs(a.x)), std::fabs(1 - 3 * std::fabs(a.y)),
                    std::fabs(1 - 3 * std::fabs(a.z)));
        float da = std::max(r.x, r.y), db = std::max(r.y, r.z), dc = std::max(r.z, r.x);
        float c = (std::min(da, std::min(db, dc)) - 1.0f) / s;
        d = std::max(d, c);
    }
    return d;
}

float sponge_scene(Vec3 p)
{
    // Turned so three faces show, standing on one corner edge over a floor.
    const float c1 = 0.77f, s1 = 0.64f;
    Vec3 q = p - v3(0, 1.05f, 0);
    q = v3(q.x * c1 - q.z * s1, q.y, q.x * s1 + q.z * c1);
    return std::min(sponge_sdf(q), p.y);
}

} // namespace

Picture scene_spheres(int w, int h)
{
    Picture p(w, h);
    Camera cam(v3(0.6f, 2.1f, -6.8f), v3(0.1f, 0.9f, 0.0f), 1.05f);
    shade(p, 2, [&](float u, float v) { return tone(trace_balls(cam.eye, cam.ray(u, v), 3)); });
    return p;
}

Picture scene_torus(int w, int h)
{
    Picture p(w, h);
    Camera cam(v3(0.0f, 2.4f, -5.2f), v3(0.0f, 1.45f, 0.0f), 1.0f);
    const Vec3 key = normalize(v3(-0.6f, 0.9f, -0.4f));
    shade(p, 1, [&](float u, float v) {
        Vec3 d = cam.ray(u, v);
        Vec3 bg = mix(v3(0.02f, 0.02f, 0.05f), v3(0.1f, 0.25f, 0.35f), saturate(0.3f + d.y * 1.5f));
        float t = march(ring_scene, cam.eye, d, 30.0f, 140, 0.7f);
        if (t < 0) return tone(bg);
        Vec3 pos = cam.eye + d * t;
        Vec3 n = sdf_normal(ring_scene, pos);
        bool floor = pos.y < 2e-3f;
        float sh = soft_shadow(ring_scene, pos + n * 2e-3f, key, 10.0f, 48);
        float ao = occlusion(ring_scene, pos, n);
        float dif = std::max(0.0f, dot(n, key)) * sh;
        Vec3 col;
        if (floor) {
            float grid = std::max(smoothstep(0.03f, 0.0f, std::fabs(fract(pos.x) - 0.5f)),
                                  smoothstep(0.03f, 0.0f, std::fabs(fract(pos.z) - 0.5f)));
            Vec3 alb = mix(v3(0.05f, 0.05f, 0.07f), v3(0.0f, 0.7f, 0.8f), grid * 0.6f);
            col = alb * (0.2f + 1.4f * dif) * ao + v3(0.0f, 0.35f, 0.4f) * grid * 0.4f;
            col = mix(col, bg, saturate((t - 6.0f) / 14.0f));
        } else {
            bool ball = length(pos - v3(0, 1.75f, 0)) < 0.52f;
            Vec3 alb = ball
                           ? v3(0.1f, 0.75f, 0.85f)
                           : mix(v3(0.95f, 0.35f, 0.1f), v3(0.85f, 0.1f, 0.45f), saturate(0.5f + 0.5f * n.y));
            Vec3 r = reflect(d, n);
            float shine = std::pow(std::max(0.0f, dot(r, key)), 60.0f) * sh;
            float rim = std::pow(1 - std::max(0.0f, -dot(d, n)), 3.0f);
            col = alb * (0.12f + 1.3f * dif) * ao + v3(shine * 1.5f) + v3(0.2f, 0.6f, 0.8f) * rim * 0.8f * ao;
        }
        return tone(col);
    });
    return p;
}

Picture scene_blobs(int w, int h)
{
    Picture p(w, h);
    Camera cam(v3(0.0f, 0.3f, -4.2f), v3(0.0f, 0.0f, 0.0f), 1.05f);
    const Vec3 l1 = normalize(v3(-0.7f, 0.8f, -0.5f)), l2 = normalize(v3(0.8f, -0.2f, -0.3f));
    shade(p, 1, [&](float u, float v) {
        Vec3 d = cam.ray(u, v);
        // Haze with soft out-of-focus lights behind.
        Vec3 bg = mix(v3(0.18f, 0.05f, 0.25f), v3(0.02f, 0.01f, 0.06f),
                      saturate(length(v3(u - 0.5f, v - 0.5f, 0)) * 1.6f));
        for (int i = 0; i < 14; ++i) {
            float bx = hash2(i, 1, 7), by = hash2(i, 2, 7), br = 0.03f + 0.06f * hash2(i, 3, 7);
            float dd = length(v3(u - bx, v - by, 0));
            Vec3 bc = mix(v3(0.9f, 0.4f, 0.8f), v3(0.3f, 0.6f, 1.0f), hash2(i, 4, 7));
            bg += bc * (0.25f * smoothstep(br, br * 0.85f, dd));
        }
        float t = march(blob_sdf, cam.eye, d, 10.0f, 90, 0.9f);
        if (t < 0) return tone(bg);
        Vec3 pos = cam.eye + d * t;
        Vec3 n = sdf_normal(blob_sdf, pos);
        float ao = occlusion(blob_sdf, pos, n);
        float fr = 1 - std::max(0.0f, -dot(d, n));
        // Thin-film colours shift with the viewing angle.
        float ph = 2.0f * fr + 0.6f * n.y;
        Vec3 film =
            v3(0.5f + 0.5f * std::cos(6.28f * (ph + 0.0f)), 0.5f + 0.5f * std::cos(6.28f * (ph + 0.33f)),
               0.5f + 0.5f * std::cos(6.28f * (ph + 0.67f)));
        Vec3 base = mix(v3(0.95f, 0.9f, 0.95f), film, 0.55f);
        float d1 = std::max(0.0f, dot(n, l1)), d2 = std::max(0.0f, dot(n, l2));
        Vec3 r = reflect(d, n);
        float s1 = std::pow(std::max(0.0f, dot(r, l1)), 50.0f),
              s2 = std::pow(std::max(0.0f, dot(r, l2)), 20.0f);
        Vec3 col = base *
                   (v3(0.9f, 0.85f, 1.0f) * d1 + v3(0.6f, 0.2f, 0.7f) * d2 * 0.7f + v3(0.08f, 0.04f, 0.12f)) *
                   ao;
        col += v3(s1 * 1.4f) + v3(0.8f, 0.4f, 1.0f) * s2 * 0.4f + film * (fr * fr * 0.5f);
        return tone(col);
    });
    return p;
}

Picture scene_sponge(int w, int h)
{
    Picture p(w, h);
    Camera cam(v3(2.6f, 2.9f, -3.6f), v3(0.0f, 0.95f, 0.0f), 1.0f);
    const Vec3 key = normalize(v3(-0.4f, 0.85f, -0.35f));
    shade(p, 1, [&](float u, float v) {
        Vec3 d = cam.ray(u, v);
        Vec3 bg = v3(0.75f, 0.72f, 0.68f) * (0.6f + 0.4f * saturate(d.y + 0.5f));
        float t = march(sponge_scene, cam.eye, d, 20.0f, 110, 1.0f);
        if (t < 0) return bg;
        Vec3 pos = cam.eye + d * t;
        Vec3 n = sdf_normal(sponge_scene, pos);
        float sh = soft_shadow(sponge_scene, pos + n * 2e-3f, key, 12.0f, 40);
        float ao = occlusion(sponge_scene, pos, n);
        float dif = std::max(0.0f, dot(n, key)) * sh;
        float sky = 0.5f + 0.5f * n.y;
        float stone = 0.75f + 0.25f * fbm(pos.x * 9 + pos.z * 5, pos.y * 9 - pos.z * 4, 3, 3);
        Vec3 col = v3(stone) * (1.2f * dif + 0.35f * sky * ao + 0.08f);
        col = mix(col, bg, saturate((t - 5.0f) / 10.0f));
        return tone(col * 1.1f);
    });
    return p;
}

} // namespace makedata
