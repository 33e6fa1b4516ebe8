#include "picture.h"

#include <algorithm>

namespace makedata {

float hash2(int x, int y, int seed)
{
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ uint32_t(seed) * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return float(h & 0xffffff) / float(0x1000000);
}

float value_noise(float x, float y, int seed)
{
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - ix, fy = y - iy;
    float ux = fx * fx * (3 - 2 * fx), uy = fy * fy * (3 - 2 * fy);
    float a = hash2(ix, iy, seed), b = hash2(ix + 1, iy, seed);
    float c = hash2(ix, iy + 1, seed), d = hash2(ix + 1, iy + 1, seed);
    return mixf(mixf(a, b, ux), mixf(c, d, ux), uy);
}

float fbm(float x, float y, int octaves, int seed)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * value_noise(x, y, seed + i * 17);
        norm += amp;
        // Rotate between octaves so the grid never lines up.
        float nx = 1.6f * x + 1.2f * y, ny = -1.2f * x + 1.6f * y;
        x = nx + 5.3f;
        y = ny + 1.7f;
        amp *= 0.5f;
    }
    return sum / norm;
}

float bayer4(int x, int y)
{
    static const int m[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
    return (m[(y & 3) * 4 + (x & 3)] + 0.5f) / 16.0f;
}

std::vector<uint8_t> to_rgba8(const Picture &p, float levels)
{
    std::vector<uint8_t> out(p.px.size() * 4);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const Vec3 &c = p.at(x, y);
            float d = bayer4(x, y);
            uint8_t *o = &out[(size_t(y) * p.width + x) * 4];
            const float ch[3] = {c.x, c.y, c.z};
            for (int k = 0; k < 3; ++k) {
                float q = std::floor(saturate(ch[k]) * levels + d);
                o[k] = uint8_t(std::min(255.0f, q * 255.0f / levels + 0.5f));
            }
            o[3] = 255;
        }
    return out;
}

std::vector<uint8_t> to_grey8(const Picture &p)
{
    std::vector<uint8_t> out(p.px.size());
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const Vec3 &c = p.at(x, y);
            float l = 0.299f * c.x + 0.587f * c.y + 0.114f * c.z;
            out[size_t(y) * p.width + x] =
                uint8_t(std::min(255.0f, std::floor(saturate(l) * 255.0f + bayer4(x, y))));
        }
    return out;
}

static Mask box_pass(const Mask &m, int r, bool horizontal)
{
    Mask out(m.width, m.height);
    int n = horizontal ? m.width : m.height, lines = horizontal ? m.height : m.width;
    float inv = 1.0f / float(2 * r + 1);
    for (int l = 0; l < lines; ++l) {
        auto idx = [&](int i) { return horizontal ? size_t(l) * m.width + i : size_t(i) * m.width + l; };
        float sum = 0;
        for (int i = -r; i <= r; ++i) sum += (i >= 0 && i < n) ? m.a[idx(i)] : 0.0f;
        for (int i = 0; i < n; ++i) {
            out.a[idx(i)] = sum * inv;
            int add = i + r + 1, sub = i - r;
            if (add < n) sum += m.a[idx(add)];
            if (sub >= 0) sum -= m.a[idx(sub)];
        }
    }
    return out;
}

Mask blur(const Mask &m, int radius)
{
    if (radius <= 0) return m;
    Mask r = m;
    for (int k = 0; k < 3; ++k) r = box_pass(box_pass(r, radius, true), radius, false);
    return r;
}

Mask dilate(const Mask &m, float radius)
{
    Mask out(m.width, m.height);
    int r = int(std::ceil(radius));
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float best = 0;
            for (int j = -r; j <= r; ++j)
                for (int i = -r; i <= r; ++i) {
                    // Soft disc edge keeps the outline antialiased.
                    float w = saturate(radius + 0.5f - std::sqrt(float(i * i + j * j)));
                    if (w > 0) best = std::max(best, w * m.get(x + i, y + j));
                }
            out.a[size_t(y) * m.width + x] = best;
        }
    return out;
}

Mask pad(const Mask &m, int border)
{
    Mask out(m.width + 2 * border, m.height + 2 * border);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            out.a[size_t(y + border) * out.width + x + border] = m.a[size_t(y) * m.width + x];
    return out;
}

void paint(Picture &p, const Mask &m, int x, int y, Vec3 colour, float opacity)
{
    for (int j = 0; j < m.height; ++j)
        for (int i = 0; i < m.width; ++i) {
            int px = x + i, py = y + j;
            float a = m.a[size_t(j) * m.width + i] * opacity;
            if (a > 0 && px >= 0 && py >= 0 && px < p.width && py < p.height)
                p.at(px, py) = mix(p.at(px, py), colour, a);
        }
}

} // namespace makedata

namespace makedata {

namespace {

struct Bin {
    uint32_t key; // 5 bits per channel
    uint32_t count;
};

struct Box {
    size_t begin, end; // range in the bin list
    uint64_t weight;
};

int channel(uint32_t key, int c) { return int((key >> (10 - 5 * c)) & 31); }

uint32_t key_of(const Vec3 &c, float d)
{
    auto q = [d](float v) { return uint32_t(clampf(std::floor(saturate(v) * 31.0f + d), 0.0f, 31.0f)); };
    return (q(c.x) << 10) | (q(c.y) << 5) | q(c.z);
}

} // namespace

void quantize(const Picture &p, int entries, std::vector<uint8_t> &index, std::vector<uint8_t> &palette)
{
    std::vector<uint32_t> hist(32768, 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) ++hist[key_of(p.at(x, y), bayer4(x, y))];
    std::vector<Bin> bins;
    for (uint32_t k = 0; k < 32768; ++k)
        if (hist[k]) bins.push_back({k, hist[k]});

    // Split the heaviest box along its widest channel at the median, until full.
    std::vector<Box> boxes{{0, bins.size(), 0}};
    for (const Bin &b : bins) boxes[0].weight += b.count;
    while (int(boxes.size()) < entries) {
        int pick = -1;
        uint64_t heaviest = 0;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].end - boxes[i].begin > 1 && boxes[i].weight > heaviest) {
                heaviest = boxes[i].weight;
                pick = int(i);
            }
        if (pick < 0) break;
        Box box = boxes[size_t(pick)];
        int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
        for (size_t i = box.begin; i < box.end; ++i)
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], channel(bins[i].key, c));
                hi[c] = std::max(hi[c], channel(bins[i].key, c));
            }
        int axis = 0;
        for (int c = 1; c < 3; ++c)
            if (hi[c] - lo[c] > hi[axis] - lo[axis]) axis = c;
        std::stable_sort(bins.begin() + long(box.begin), bins.begin() + long(box.end),
                         [axis](const Bin &a, const Bin &b) {
                             int ca = channel(a.key, axis), cb = channel(b.key, axis);
                             return ca != cb ? ca < cb : a.key < b.key;
                         });
        uint64_t half = 0, target = box.weight / 2;
        size_t cut = box.begin;
        while (cut < box.end - 1 && half + bins[cut].count <= target) half += bins[cut++].count;
        if (cut == box.begin) {
            half += bins[cut++].count;
        }
        boxes[size_t(pick)] = {box.begin, cut, half};
        boxes.push_back({cut, box.end, box.weight - half});
    }

    palette.assign(boxes.size() * 3, 0);
    std::vector<Vec3> colours;
    for (size_t i = 0; i < boxes.size(); ++i) {
        double s[3] = {0, 0, 0};
        uint64_t n = 0;
        for (size_t b = boxes[i].begin; b < boxes[i].end; ++b) {
            for (int c = 0; c < 3; ++c) s[c] += double(channel(bins[b].key, c)) * bins[b].count;
            n += bins[b].count;
        }
        Vec3 c = v3(float(s[0] / n / 31.0), float(s[1] / n / 31.0), float(s[2] / n / 31.0));
        colours.push_back(c);
        palette[i * 3] = uint8_t(c.x * 255 + 0.5f);
        palette[i * 3 + 1] = uint8_t(c.y * 255 + 0.5f);
        palette[i * 3 + 2] = uint8_t(c.z * 255 + 0.5f);
    }

    // Nearest entry per 15-bit colour, worked out once for each colour in use.
    std::vector<int> nearest(32768, -1);
    index.resize(size_t(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint32_t k = key_of(p.at(x, y), bayer4(x, y));
            if (nearest[k] < 0) {
                Vec3 c = v3(channel(k, 0) / 31.0f, channel(k, 1) / 31.0f, channel(k, 2) / 31.0f);
                float best = 1e9f;
                for (size_t i = 0; i < colours.size(); ++i) {
                    Vec3 d = colours[i] - c;
                    float e = dot(d, d);
                    if (e < best) {
                        best = e;
                        nearest[k] = int(i);
                    }
                }
            }
            index[size_t(y) * p.width + x] = uint8_t(nearest[k]);
        }
}

} // namespace makedata
