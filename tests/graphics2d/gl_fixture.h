// GL tests of the 2D objects on the headless host: each test starts from the
// video fixture's cleared frame buffer 0 and empty registries, may lay out a
// data image in a scratch folder, and ends with a flush that releases every
// texture and pixel buffer it made.
#pragma once

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
