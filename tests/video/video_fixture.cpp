#include "video_fixture.h"
#include "stdout_capture.h"

std::string startup_output;
int startup_framebuffers;
PresentedFrame VideoTest::presented;

namespace {

void sink(int width, int height, const unsigned char *rgba, uint64_t frame, uint32_t millis, void *user)
{
    auto *out = static_cast<PresentedFrame *>(user);
    out->picture.width = width;
    out->picture.height = height;
    if (rgba)
        out->picture.pixels.assign(reinterpret_cast<const uint32_t *>(rgba),
                                   reinterpret_cast<const uint32_t *>(rgba) + width * height);
    else
        out->picture.pixels.clear(); // a frame that was not drawn
    out->frame = frame;
    out->millis = millis;
    out->count += 1;
}

class VideoEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        StdoutCapture capture;
        FENK_InitVideo(video_width, video_height, 0);
        startup_output = capture.finish();
        startup_framebuffers = FENK_numframebuffers;
    }
};

const auto *environment = testing::AddGlobalTestEnvironment(new VideoEnvironment);

} // namespace

void VideoTest::SetUp()
{
    fenk_headless_setframerate(0);
    fenk_headless_setframesink(sink, &presented);
    FENK_framebuffers_enabled = 1;
    FENK_UnbindShader();
    glActiveTexture(GL_TEXTURE0);
    FENK_SetPostShader(-1);
    FENK_SetFadeValue(1.0f);
    FENK_SetScanlineValue(0.0f);
    FENK_ResetClipRect();
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    FENK_renderstate = 0;
    FENK_ResetTint();
    FENK_SetFrameBuffer(0);
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    FENK_lasttextureid = -1;
    FENK_ClearFrameBuffer(opaque_black);
}

void VideoTest::TearDown() { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

Picture VideoTest::read_target()
{
    Picture p;
    p.width = FENK_GetFrameBufferWidth();
    p.height = FENK_GetFrameBufferHeight();
    std::vector<uint32_t> bottomup(static_cast<size_t>(p.width) * p.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, p.width, p.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomup.data());
    p.pixels.resize(bottomup.size());
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.pixels[static_cast<size_t>(y) * p.width + x] =
                bottomup[static_cast<size_t>(p.height - 1 - y) * p.width + x];
    return p;
}

uint32_t VideoTest::pixel(int x, int y)
{
    uint32_t value = 0;
    glReadPixels(x, FENK_GetFrameBufferHeight() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &value);
    return value;
}

int VideoTest::make_texture(int w, int h, const std::vector<uint32_t> &texels)
{
    const int t = FENK_CreateTexture(w, h, texels.data(), 0);
    FENK_SetTextureOptions(t, GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
    return t;
}

const PresentedFrame &VideoTest::present()
{
    FENK_SwapBuffers();
    return presented;
}
