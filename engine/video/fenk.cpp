// Video start-up, frame pacing and presentation: the host opens the window and its
// context, drawing goes into frame buffer 0 (or another current frame buffer), and
// each frame is stretched over the window, optionally through a post shader.
#include "video/fenk.h"
#include "platform/log.h"

#include <GL/glew.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "graphics2d/corebitmap.h"
#include "graphics2d/corefont.h"
#include "graphics2d/coresprite.h"
#include "platform/platform.h"
#include "video/clip.h"
#include "video/glstate.h"

s_video FENK_video;

int FENK_postshader_id = -1;
float FENK_fadevalue = 1.0f;
float FENK_scanlinevalue = 0.0f;
int FENK_shaders_enabled;
int fenk_whitetexture_id;

// Until the first FENK_SetRefreshRate the period is that of the default rate.
int FENK_video_updatespeed = 15;
uint32_t FENK_video_time;
int FENK_video_numframes;
int FENK_video_fps;
uint32_t FENK_video_oldtime;

static s_hosthooks hooks;

// The clock at the last presented frame, for FENK_GetFrameTime.
static uint32_t lastswap_millis;
static bool swapped_once;
static float frame_seconds;

static void note_swap()
{
    const uint32_t now = FENK_GetMillis();
    frame_seconds = swapped_once ? static_cast<float>(now - lastswap_millis) / 1000.0f : 0.0f;
    lastswap_millis = now;
    swapped_once = true;
}

void fenk_sethosthooks(const s_hosthooks *given)
{
    const int drawnothing = hooks.drawnothing;
    hooks = given ? *given : s_hosthooks{};
    if ((hooks.drawnothing != 0) != (drawnothing != 0)) fenk_clipnothing(hooks.drawnothing);
}

const s_hosthooks *fenk_gethosthooks(void) { return &hooks; }

namespace {

// Whether drawing the frame buffer's texture over the whole window gives its texels
// unchanged: same size, and nothing in the fixed pipeline or a program that would alter
// a texel on its way (the window's old contents never show through a full quad).
bool plain_copy(int width, int height)
{
    if (!FENK_framebuffers_enabled || width != FENK_video.width || height != FENK_video.height) return false;
    const GLenum changers[] = {GL_BLEND,          GL_ALPHA_TEST,       GL_FOG,
                               GL_COLOR_LOGIC_OP, GL_STENCIL_TEST,     GL_TEXTURE_1D,
                               GL_TEXTURE_3D,     GL_TEXTURE_CUBE_MAP, GL_COLOR_SUM};
    for (GLenum cap : changers)
        if (glIsEnabled(cap)) return false;
    GLint value = 0;
    if (glUseProgram) {
        glGetIntegerv(GL_CURRENT_PROGRAM, &value);
        if (value != 0) return false;
    }
    if (glActiveTexture) {
        glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
        if (value != GL_TEXTURE0) return false;
        GLint units = 1;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
        bool other_unit = false;
        for (GLint unit = 1; unit < units && !other_unit; unit++) {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
            other_unit = glIsEnabled(GL_TEXTURE_1D) || glIsEnabled(GL_TEXTURE_2D) ||
                         glIsEnabled(GL_TEXTURE_3D) || glIsEnabled(GL_TEXTURE_CUBE_MAP);
        }
        glActiveTexture(GL_TEXTURE0);
        if (other_unit) return false;
    }
    if (!glIsEnabled(GL_TEXTURE_2D)) return false;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    if (value != GL_MODULATE && value != GL_REPLACE) return false;
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    if (colour[0] != 1 || colour[1] != 1 || colour[2] != 1 || colour[3] != 1) return false;
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    return mask[0] && mask[1] && mask[2] && mask[3];
}

} // namespace

// The flags of the last start-up or change, for the run-time window calls.
static int window_flags;

void FENK_InitVideo(int width, int height, int flags)
{
    fenk_initwindow(width, height, flags);
    window_flags = flags;
    fenk_log(FENK_LOG_INFO, "[FENK] Init OpenGL");

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 1);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glAlphaFunc(GL_GREATER, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);

    // The host keeps its context across start-ups, and the white texture with it.
    if (!fenk_whitetexture_id || !glIsTexture(static_cast<GLuint>(fenk_whitetexture_id))) {
        uint32_t white[64];
        for (uint32_t &texel : white) texel = 0xFFFFFFFFu;
        fenk_whitetexture_id = FENK_CreateTexture(8, 8, white, 0);
    }

    FENK_numframebuffers = 0;
    fenk_log(FENK_LOG_INFO, "[FENK] Init Framebuffer");
    FENK_SetFrameBuffer(FENK_CreateFrameBuffer(width, height, 0));

    FENK_SetPostShader(-1);
    FENK_SetFadeValue(1.0f);
    FENK_SetScanlineValue(0.0f);

    FENK_video =
        s_video{width, height, width, 32, 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 16, 8, 0, 8, 8, 8, 0};

    FENK_ResetClipRect();
    FENK_renderstate = 0;
    FENK_lasttextureid = -1;
    fenk_numbitmaps = 0;
    fenk_numsprites = 0;

    FENK_SetRefreshRate(FENK_DEFAULT_REFRESHRATE);
    swapped_once = false;
    frame_seconds = 0.0f;
}

void FENK_CloseVideo(void) { fenk_closewindow(); }

// The window takes the new size; frame buffer 0 and everything else made in GL stay,
// and each frame is stretched over the window from now on.
static void change_window(int width, int height, int flags)
{
    fenk_initwindow(width, height, flags);
    window_flags = flags;
    FENK_video.width = width;
    FENK_video.height = height;
    FENK_video.pitch = width;
    // The host made its new window current: draw into the frame buffer in use again.
    if (FENK_FrameBuffer) FENK_SetFrameBuffer(FENK_FrameBuffer->index);
}

void FENK_SetWindowSize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: window size %d x %d refused.\n", width, height);
        return;
    }
    change_window(width, height, window_flags);
}

void FENK_SetFullscreen(int on)
{
    const int flags = on ? window_flags | FENK_FULLSCREEN : window_flags & ~FENK_FULLSCREEN;
    change_window(FENK_video.width, FENK_video.height, flags);
}

void FENK_SetRefreshRate(int rate)
{
    if (rate < 0) {
        const int64_t period = -static_cast<int64_t>(rate);
        FENK_video_updatespeed = period > INT_MAX ? INT_MAX : static_cast<int>(period);
    } else if (rate > 0) {
        // Aim 10 % above the requested rate, in single precision as the loop always has.
        const float target = static_cast<float>(rate * 1.1);
        const int period = static_cast<int>(1000.0f / target);
        FENK_video_updatespeed = period < 1 ? 1 : period;
    }
    // A rate of 0 has no period: the one in force stays.
    FENK_video_time = FENK_GetMillis();
}

float FENK_WaitRefresh(void)
{
    FENK_video_numframes += 1;
    const uint32_t period = static_cast<uint32_t>(FENK_video_updatespeed);
    // Elapsed time, not the sum time + period, is compared: the sum can lie beyond
    // the wrap of the 32-bit clock while the clock itself wraps back to small values.
    uint32_t now = FENK_GetMillis();
    while (now - FENK_video_time < period) now = FENK_GetMillis();
    const uint32_t elapsed = FENK_GetMillis() - FENK_video_time;
    FENK_video_time = now;
    return static_cast<float>(elapsed) / static_cast<float>(period);
}

int FENK_GetFPS(void)
{
    const uint32_t now = FENK_GetMillis();
    if (now - FENK_video_oldtime >= 1000) {
        FENK_video_fps = FENK_video_numframes;
        FENK_video_numframes = 0;
        FENK_video_oldtime = now;
    }
    return FENK_video_fps;
}

// Back to the frame buffer the program draws into, with the counts of a new frame.
static void finish_frame(const s_framebufferdata &data, int w, int h)
{
    if (FENK_framebuffers_enabled) fenk_bindframebuffer(data.fbo);
    glViewport(0, 0, w, h);
    FENK_projectionmode = 1;
    FENK_lasttextureid = -1;
    FENK_stats_numtriangles = 0;
    FENK_stats_numtexturebinds = 0;
    FENK_stats_numstateswitches = 0;
}

void FENK_SwapBuffers(void)
{
    if (!FENK_FrameBuffer) return;
    note_swap();
    const int w = FENK_FrameBuffer->width;
    const int h = FENK_FrameBuffer->height;
    const s_framebufferdata &data = FENK_framebufferdata[FENK_FrameBuffer->index];

    const int post = FENK_postshader_id;
    const bool shaded = FENK_shaders_enabled && post >= 0;
    // The program's tint is for its own draws: the frame is shown as it was drawn.
    const bool tinted = fenk_tinted();
    if (tinted) glColor4f(1, 1, 1, 1);
    if (hooks.presentfrom) {
        // The host may read the frame where it was drawn when the pass would only copy
        // it, and a frame it will not show needs no pass at all.
        const unsigned int fbo = !shaded && plain_copy(w, h) ? data.fbo : 0;
        if (!hooks.presentfrom(fbo)) {
            fenk_swapbuffers();
            finish_frame(data, w, h);
            if (tinted) fenk_restorecolour();
            return;
        }
    }

    if (FENK_framebuffers_enabled) {
        fenk_bindframebuffer(0);
    } else if (data.pixels) {
        // Emulated frame buffers: the frame was drawn into the window's back buffer.
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, data.pixels);
        glBindTexture(GL_TEXTURE_2D, data.colortexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.pixels);
    }
    glBindTexture(GL_TEXTURE_2D, data.colortexture);
    fenk_applyclip(FENK_video.height, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    const float vw = static_cast<float>(FENK_video.width);
    const float vh = static_cast<float>(FENK_video.height);
    glViewport(0, 0, FENK_video.width, FENK_video.height);
    FENK_projectionmode = 1;
    FENK_Enable2D();

    if (shaded) {
        FENK_BindShader(post);
        FENK_SetShaderUniform1i(post, "fbo_texture", 0);
        FENK_SetShaderUniform1i(post, "fbo_depth", 1);
        FENK_SetShaderUniform1f(post, "width", vw);
        FENK_SetShaderUniform1f(post, "height", vh);
        FENK_SetShaderUniform1f(post, "fadevalue", FENK_fadevalue);
        FENK_SetShaderUniform1f(post, "scanlinevalue", FENK_scanlinevalue);
    }
    // v = 1 at the top: the frame buffer's row 0 is its bottom row.
    FENK_DrawQuad(0, 0, vw, vh, 0, 1, 1, 0);
    if (shaded) FENK_UnbindShader();

    // A host that reads frames back waits for them itself, as late as it can.
    if (!hooks.presentfrom) glFinish();
    fenk_swapbuffers();
    finish_frame(data, w, h);
    fenk_applyclip(h, 0);
    if (tinted) fenk_restorecolour();
}

float FENK_GetFrameTime(void) { return frame_seconds; }

// Window pixels as the window shows the canvas: stretched over it, whatever sizes the
// two have (FENK_SetWindowSize changes only the window).
void FENK_GetCanvasMouse(float *x, float *y)
{
    const int mode = fenk_input_mouse_mode;
    fenk_input_mouse_mode = 0;
    int wx = 0, wy = 0, buttons = 0;
    fenk_getmouse(&wx, &wy, &buttons);
    fenk_input_mouse_mode = mode;
    float cx = static_cast<float>(wx), cy = static_cast<float>(wy);
    const s_framebuffer *canvas = FENK_FrameBuffer;
    if (canvas && FENK_video.width > 0 && FENK_video.height > 0) {
        cx = cx * static_cast<float>(canvas->width) / static_cast<float>(FENK_video.width);
        cy = cy * static_cast<float>(canvas->height) / static_cast<float>(FENK_video.height);
    }
    if (x) *x = cx;
    if (y) *y = cy;
}

void FENK_SwapBuffersBasic(void)
{
    note_swap();
    fenk_swapbuffers();
    if (FENK_FrameBuffer) glViewport(0, 0, FENK_FrameBuffer->width, FENK_FrameBuffer->height);
    if (FENK_framebuffers_enabled) fenk_bindframebuffer(0);
}

void FENK_SetPostShader(int id) { FENK_postshader_id = id; }

void FENK_SetFadeValue(float value) { FENK_fadevalue = value; }

void FENK_SetScanlineValue(float value) { FENK_scanlinevalue = value; }

void FENK_ShowGraphicsMemory(void)
{
    puts("[=== GRAPHICS MEMORY INFO ===]");
    printf("Num.Bitmaps: %d / %d\n", fenk_numbitmaps, FENK_MAXBITMAPS);
    printf("Num.Sprites: %d / %d\n", fenk_numsprites, FENK_MAXSPRITES);
    printf("Num.Fonts: %d / 16\n", fenk_numfonts);
    printf("Num.Framebuffers: %d / %d\n", FENK_numframebuffers, FENK_MAXFRAMEBUFFERS);
    puts("[============================]");
}

// Sprites go first: a loaded sprite's picture is one of the registered bitmaps.
// The deletes leave the counts alone, so each loop sees the whole registry.
void FENK_FlushGraphics(void)
{
    const int sprites = fenk_numsprites < 0 ? 0 : std::min(fenk_numsprites, FENK_MAXSPRITES);
    for (int i = 0; i < sprites; i++) FENK_DeleteSprite(fenk_spritelist[i]);
    fenk_log(FENK_LOG_INFO, "[%d sprites deleted]\n", fenk_numsprites);
    const int bitmaps = fenk_numbitmaps < 0 ? 0 : std::min(fenk_numbitmaps, FENK_MAXBITMAPS);
    for (int i = 0; i < bitmaps; i++) FENK_DeleteBitmap(fenk_bitmaplist[i]);
    fenk_log(FENK_LOG_INFO, "[%d bitmaps deleted]\n", fenk_numbitmaps);
    fenk_numbitmaps = 0;
    fenk_numfonts = 0;
    fenk_numsprites = 0;
}

void FENK_PushGraphics(void) {}

void FENK_PopGraphics(void) {}

void FENK_GetRenderStatus(int *triangles, int *texturebinds, int *stateswitches)
{
    if (triangles) *triangles = FENK_stats_numtriangles;
    if (texturebinds) *texturebinds = FENK_stats_numtexturebinds;
    if (stateswitches) *stateswitches = FENK_stats_numstateswitches;
}
