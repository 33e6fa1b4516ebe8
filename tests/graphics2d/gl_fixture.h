// GL tests of the 2D objects on the headless host: each test starts from the
// video fixture's cleared frame buffer 0 and empty registries, may lay out a
// data image in a scratch folder, and ends with a flush that releases every
// texture and pixel buffer it made.
#pragma once

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <fstream>
#include <string>
#include <vector>

#include "../video/video_fixture.h"
#include "files/core.h"
#include "graphics2d/corebitmap.h"
#include "graphics2d/corefont.h"
#include "graphics2d/coresprite.h"
#include "tga_writer.h"
#include "scratch.h"
#include "stdout_capture.h"

// A loadable TGA file of 32-bit colours 0xAARRGGBB, top row first.
inline std::string tga32(int w, int h, const std::vector<uint32_t> &colours)
{
    Tga t;
    t.depth = 32;
    t.width = w;
    t.height = h;
    t.pixels = colours;
    return tga_bytes(t);
}

namespace fs = std::filesystem;

class Graphics2D : public VideoTest {
protected:
    void SetUp() override
    {
        VideoTest::SetUp();
        fenk_numbitmaps = 0;
        fenk_numsprites = 0;
        fenk_numfonts = 0;
    }

    void TearDown() override
    {
        printed([] { FENK_FlushGraphics(); });
        FENK_SetFrameBuffer(0);
        if (scratch_) {
            printed([] { corefile_closeimage(); });
            scratch_.reset();
        }
        VideoTest::TearDown();
    }

    s_bitmap *bitmap() { return &bitmaps_.emplace_back(); }
    s_sprite *sprite() { return &sprites_.emplace_back(); }
    s_font *font() { return &fonts_.emplace_back(); }

    // A created bitmap showing the colours 0xAARRGGBB, top row first.
    s_bitmap *picture(int w, int h, const std::vector<uint32_t> &colours)
    {
        s_bitmap *b = bitmap();
        FENK_CreateBitmap(w, h, b);
        for (int i = 0; i < w * h; i++) FENK_DrawPixel(i % w, i / w, (int)colours[i], *b);
        FENK_UpdateBitmap(*b);
        return b;
    }

    // Writes the files under a scratch data folder and mounts it.
    void mount(const std::vector<std::pair<std::string, std::string>> &files)
    {
        if (!scratch_) scratch_ = std::make_unique<ScratchFolder>(current_test_tag());
        const fs::path &root = scratch_->path();
        for (const auto &[name, bytes] : files) {
            fs::path path = root / "data" / name;
            fs::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary) << bytes;
        }
        int mounted = 0;
        printed([&] {
            mounted = corefile_mountimage((root / "data").string().c_str(), COREFILE_MOUNT_DIRECTORY);
        });
        ASSERT_EQ(mounted, 1);
    }

    // The current frame buffer's row y (0 at the top) as stored words.
    static std::vector<uint32_t> row(int y)
    {
        std::vector<uint32_t> out((size_t)FENK_GetFrameBufferWidth());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, FENK_GetFrameBufferHeight() - 1 - y, (int)out.size(), 1, GL_RGBA, GL_UNSIGNED_BYTE,
                     out.data());
        return out;
    }

    // A 1920 x 1080 frame buffer made once per process and made current.
    static void widescreen()
    {
        static int id = FENK_CreateFrameBuffer(1920, 1080, 0);
        FENK_SetFrameBuffer(id);
        FENK_ClearFrameBuffer(opaque_black);
    }

    std::unique_ptr<ScratchFolder> scratch_;
    std::deque<s_bitmap> bitmaps_;
    std::deque<s_sprite> sprites_;
    std::deque<s_font> fonts_;
};

// A program-side colour 0xAARRGGBB as the frame buffer stores it.
constexpr uint32_t stored(uint32_t argb)
{
    return (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

// Stored words that agree within `slack` in every channel, for blended pixels
// whose rounding is the driver's.
inline ::testing::AssertionResult near_word(uint32_t got, uint32_t want, int slack = 1)
{
    for (int shift = 0; shift < 32; shift += 8) {
        int a = (int)(got >> shift & 0xFFu), b = (int)(want >> shift & 0xFFu);
        if (a - b > slack || b - a > slack) {
            char text[64];
            snprintf(text, sizeof text, "%08x is not near %08x", got, want);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

// A stored texel blended over a stored frame buffer word with blend mode 1
// (source x source + destination x destination) or 2 (source x source +
// destination), each channel saturating at 255.
inline uint32_t blended(uint32_t src, uint32_t dst, int mode)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        double s = (src >> shift & 0xFFu) / 255.0, d = (dst >> shift & 0xFFu) / 255.0;
        double c = s * s + (mode == 1 ? d * d : d);
        out |= (uint32_t)(std::min(c, 1.0) * 255.0 + 0.5) << shift;
    }
    return out;
}

// A stored texel drawn over a stored word with the texel's alpha scaled by
// `alpha`: source x a + destination x (1 - a), on every channel.
inline uint32_t faded(uint32_t src, uint32_t dst, float alpha)
{
    double a = (src >> 24) / 255.0 * alpha;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        double s = shift == 24 ? a : (src >> shift & 0xFFu) / 255.0, d = (dst >> shift & 0xFFu) / 255.0;
        out |= (uint32_t)((s * a + d * (1 - a)) * 255.0 + 0.5) << shift;
    }
    return out;
}
