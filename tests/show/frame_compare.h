// A frame of the show against the capture's frame of the same step, as the web tests
// compare them: the RMSE over all channels and the share of pixels off by more than
// 3 % in a channel, both in per cent, with the limits those tests hold frames to.
#pragma once

#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

constexpr double frame_rmse_limit = 1.0;
constexpr double frame_off_limit = 0.5;

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // top row first
    double mean() const
    {
        double sum = 0;
        for (unsigned char v : rgb) sum += v;
        return rgb.empty() ? 0 : sum / rgb.size();
    }
};

// A PNG as RGB; empty when it cannot be read.
inline RgbImage read_png(const std::string &path)
{
    RgbImage image;
    int channels = 0;
    unsigned char *pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
    if (!pixels) return RgbImage{};
    image.rgb.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * 3);
    stbi_image_free(pixels);
    return image;
}

struct FrameDifference {
    double rmse = 100;
    double off = 100;
    bool within() const { return rmse <= frame_rmse_limit && off <= frame_off_limit; }
    std::string text() const
    {
        return "RMSE " + std::to_string(rmse) + " %, " + std::to_string(off) +
               " % of pixels off by more than 3 %";
    }
};

inline FrameDifference frame_difference(const RgbImage &a, const RgbImage &b)
{
    FrameDifference d;
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size() || a.rgb.empty()) return d;
    double squares = 0;
    size_t off = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        int worst = 0;
        for (int c = 0; c < 3; c++) {
            const int e = a.rgb[i + c] - b.rgb[i + c];
            squares += e * e;
            worst = std::max(worst, std::abs(e));
        }
        off += worst * 100 > 3 * 255;
    }
    d.rmse = std::sqrt(squares / a.rgb.size()) / 255 * 100;
    d.off = 100.0 * off / (a.rgb.size() / 3);
    return d;
}
