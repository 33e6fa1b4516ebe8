// One GL context per test process: the environment starts video once on the headless
// host, and every test starts from frame buffer 0 cleared to opaque black, the white
// texture bound, no blending or shader, and the virtual clock in manual mode.
#ifndef FENK_TESTS_VIDEO_FIXTURE_H
#define FENK_TESTS_VIDEO_FIXTURE_H

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hosts/driver_headless.h"
#include "video/fenk.h"

constexpr int video_width = 64;
constexpr int video_height = 48;

// What FENK_InitVideo printed, and the frame buffer count right after it.
extern std::string startup_output;
extern int startup_framebuffers;

// Pixel words hold the bytes red, green, blue, alpha from the low byte up.
constexpr uint32_t rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255)
{
    return r | g << 8 | b << 16 | a << 24;
}
constexpr uint32_t opaque_black = rgba(0, 0, 0);
constexpr uint32_t opaque_red = rgba(255, 0, 0);
constexpr uint32_t opaque_green = rgba(0, 255, 0);
constexpr uint32_t opaque_blue = rgba(0, 0, 255);
constexpr uint32_t opaque_white = rgba(255, 255, 255);

// A frame plan: frames before `from` are of `kind`, the rest shown.
struct PlanUntil {
    uint64_t from;
    int kind;
};
inline int plan_until(uint64_t frame, void *user)
{
    const PlanUntil *plan = static_cast<const PlanUntil *>(user);
    return frame < plan->from ? plan->kind : FENK_HEADLESS_SHOWN;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // top row first
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct PresentedFrame {
    Picture picture;
    uint64_t frame = 0;
    uint32_t millis = 0;
    int count = 0;
};

class VideoTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The current draw target (the bound frame buffer object), top row first.
    static Picture read_target();
    static uint32_t pixel(int x, int y);
    // A texture of w x h pixel words, GL row 0 first.
    static int make_texture(int w, int h, const std::vector<uint32_t> &texels);
    // Presents through FENK_SwapBuffers and returns what reached the frame sink.
    static const PresentedFrame &present();

    static PresentedFrame presented;
};

#endif
