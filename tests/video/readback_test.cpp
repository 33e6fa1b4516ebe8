// How the headless host reads frames back: straight from the frame buffer when the
// presentation pass would only copy it, and deferred through pixel buffers.
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "video_fixture.h"

namespace {

int (*host_hook)(unsigned int);
std::vector<unsigned int> sources;

int spy(unsigned int fbo)
{
    sources.push_back(fbo);
    return host_hook(fbo);
}

int post_shader()
{
    static const int id = FENK_InitDefaultPostShader();
    return id;
}

// A picture with every kind of texel the copy must keep: colours, half and no alpha.
void draw_pattern()
{
    FENK_ClearFrameBuffer(rgba(10, 20, 30, 0));
    FENK_DrawColorQuad(0, 0, 20, 48, 1, 0.5f, 0.25f, 1);
    FENK_DrawColorQuad(20, 8, 30, 20, 0.2f, 0.9f, 0.4f, 0.5f);
    FENK_DrawColorQuad(40, 30, 24, 18, 0, 0, 1, 0);
    FENK_DrawLineRGB(0, 40.5f, 64, 40.5f, 0.7f, 0.1f, 0.3f, 1);
}

// Presents the pattern through the host's direct read and through the window, and
// returns both frames with the frame buffers each presentation was read from.
struct BothWays {
    Picture direct, window;
    std::vector<unsigned int> direct_sources;
};

BothWays present_both(const PresentedFrame &(*present)(), void (*state)())
{
    BothWays out;
    const s_hosthooks hooks = *fenk_gethosthooks();
    host_hook = hooks.presentfrom;
    s_hosthooks spying = hooks;
    spying.presentfrom = spy;
    fenk_sethosthooks(&spying);
    sources.clear();
    draw_pattern();
    state();
    out.direct = present().picture;
    out.direct_sources = sources;
    s_hosthooks none = hooks;
    none.presentfrom = nullptr;
    fenk_sethosthooks(&none);
    draw_pattern();
    state();
    out.window = present().picture;
    fenk_sethosthooks(&hooks);
    return out;
}

} // namespace

class ReadbackTest : public VideoTest {
protected:
    static const PresentedFrame &show() { return present(); }
};

TEST_F(ReadbackTest, DirectReadGivesThePixelsOfThePresentationPass)
{
    ASSERT_NE(fenk_gethosthooks()->presentfrom, nullptr);
    const unsigned int fbo0 = FENK_framebufferdata[0].fbo;

    // The plain state the engine leaves: read from the frame buffer itself.
    BothWays plain = present_both(show, [] {});
    EXPECT_EQ(plain.direct_sources, std::vector<unsigned int>{fbo0});
    EXPECT_EQ(plain.direct.pixels, plain.window.pixels);
    EXPECT_EQ(plain.direct.at(30, 10), rgba(51, 230, 102, 128));

    // A linearly filtered frame buffer of the video's size reads the same.
    const int linear = FENK_CreateFrameBuffer(video_width, video_height, FENK_FRAMEBUFFER_LINEAR);
    FENK_SetFrameBuffer(linear);
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id); // not the frame buffer's own picture
    BothWays filtered = present_both(show, [] {});
    EXPECT_EQ(filtered.direct_sources, std::vector<unsigned int>{FENK_framebufferdata[linear].fbo});
    EXPECT_EQ(filtered.direct.pixels, filtered.window.pixels);
    EXPECT_EQ(filtered.direct.pixels, plain.direct.pixels);
    FENK_SetFrameBuffer(0);

    // State left on that would change texels on their way to the window: the pass is
    // drawn and the window read, with the same result as ever.
    void (*const changers[])() = {
        [] { glColor4f(1, 1, 1, 0.5f); },
        [] { FENK_EnableAlphaBlend(0.5f); },
        [] { FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST); },
        [] { glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD); },
        [] { FENK_BindShader(post_shader()); },
        [] {
            FENK_SetPostShader(post_shader());
            FENK_SetFadeValue(0.5f);
        },
    };
    int index = 0;
    for (auto change : changers) {
        SCOPED_TRACE(index++);
        BothWays changed = present_both(show, change);
        EXPECT_EQ(changed.direct_sources, std::vector<unsigned int>{0});
        EXPECT_EQ(changed.direct.pixels, changed.window.pixels);
        EXPECT_NE(changed.direct.pixels, plain.direct.pixels);
        FENK_UnbindShader();
        FENK_SetPostShader(-1);
        FENK_SetFadeValue(1.0f);
        FENK_DisableAlphaBlend();
        FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glColor4f(1, 1, 1, 1);
    }
}

TEST_F(ReadbackTest, DeferredFramesArriveOnceInOrderWithTheirOwnClock)
{
    fenk_headless_setframerate(60);
    std::vector<Picture> immediate;
    const uint32_t colours[3] = {opaque_red, opaque_green, opaque_blue};
    for (uint32_t colour : colours) {
        FENK_ClearFrameBuffer(colour);
        immediate.push_back(present().picture);
    }

    fenk_headless_deferframes(1);
    const int count = presented.count;
    const uint64_t start = fenk_headless_framecount();
    std::vector<uint32_t> clocks;
    PlanUntil plan{start + 1, FENK_HEADLESS_UNDRAWN}; // the first deferred frame is not drawn
    fenk_headless_setframeplan(plan_until, &plan);
    FENK_ClearFrameBuffer(opaque_white);
    clocks.push_back(static_cast<uint32_t>(fenk_headless_clock()));
    present();
    EXPECT_EQ(presented.count, count); // nothing yet
    for (int i = 0; i < 3; ++i) {
        FENK_ClearFrameBuffer(colours[i]);
        clocks.push_back(static_cast<uint32_t>(fenk_headless_clock()));
        const PresentedFrame &got = present();
        EXPECT_EQ(got.count, count + 1 + i);
        EXPECT_EQ(got.frame, start + static_cast<uint64_t>(i));
        EXPECT_EQ(got.millis, clocks[static_cast<size_t>(i)]);
        if (i == 0)
            EXPECT_TRUE(got.picture.pixels.empty());
        else
            EXPECT_EQ(got.picture.pixels, immediate[static_cast<size_t>(i - 1)].pixels);
    }
    // The last frame waits for the flush, and comes once only.
    EXPECT_EQ(presented.count, count + 3);
    fenk_headless_flushframes();
    EXPECT_EQ(presented.count, count + 4);
    EXPECT_EQ(presented.frame, start + 3);
    EXPECT_EQ(presented.millis, clocks[3]);
    EXPECT_EQ(presented.picture.pixels, immediate[2].pixels);
    fenk_headless_flushframes();
    EXPECT_EQ(presented.count, count + 4);

    // Turning deferral off hands over the frame still waiting.
    FENK_ClearFrameBuffer(opaque_green);
    present();
    EXPECT_EQ(presented.count, count + 4);
    fenk_headless_deferframes(0);
    EXPECT_EQ(presented.count, count + 5);
    EXPECT_EQ(presented.picture.pixels, immediate[1].pixels);
    fenk_headless_setframeplan(nullptr, nullptr);
}
