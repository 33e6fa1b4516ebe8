// Frame buffers, textures, drawing primitives and render state over OpenGL 1.1 with
// frame buffer objects (the core calls of OpenGL 3.0 and WebGL 2, else those of
// EXT_framebuffer_object), in the subset that WebGL 2 under the legacy GL emulation
// also draws: 16-bit indices, GL_RGBA internal formats.
#include "video/video_opengl.h"
#include "platform/log.h"

#include "video/clip.h"

#include "video/glstate.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

s_framebuffer FENK_framebuffers[FENK_MAXFRAMEBUFFERS];
s_framebufferdata FENK_framebufferdata[FENK_MAXFRAMEBUFFERS];
s_framebuffer *FENK_FrameBuffer;
int FENK_numframebuffers;
int FENK_framebuffers_enabled;
int FENK_lasttextureid = -1;

int FENK_projectionmode = 1;
int FENK_renderstate;
int FENK_stats_numtriangles;
int FENK_stats_numlines;
int FENK_stats_numtexturebinds;
int FENK_stats_numstateswitches;
unsigned char FENK_Palette[FENK_NUMPALETTES][FENK_PALETTESIZE][3];

namespace {

// Two counter-clockwise triangles on screen (y down): top-left, bottom-left, bottom-right
// and top-left, bottom-right, top-right.
// 16-bit: WebGL draws nothing with 8-bit indices.
const GLushort quad_index[6] = {0, 3, 2, 0, 2, 1};

bool valid_framebuffer(int id) { return id >= 0 && id < FENK_numframebuffers; }

// Every bind outside FENK_BindTexture empties the bind cache: a cache left naming the
// texture bound before would let the next FENK_BindTexture of that texture skip its
// bind and draw with whatever this call left bound (a frame buffer's own picture, a
// freshly created texture).
void bind_direct(GLuint texture)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    FENK_lasttextureid = -1;
}

// The frame buffer object calls of the current context: the core names where it has
// them, else EXT_framebuffer_object's (the same calls under the same constants). WebGL
// has only the core names, and its libraries define no EXT ones to link against.
struct FboCalls {
    PFNGLGENFRAMEBUFFERSPROC gen;
    PFNGLBINDFRAMEBUFFERPROC bind;
    PFNGLFRAMEBUFFERTEXTURE2DPROC attach;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check;
};

FboCalls fbo_calls()
{
    if (glGenFramebuffers && glBindFramebuffer && glFramebufferTexture2D && glCheckFramebufferStatus)
        return {glGenFramebuffers, glBindFramebuffer, glFramebufferTexture2D, glCheckFramebufferStatus};
#ifndef __EMSCRIPTEN__
    if (glGenFramebuffersEXT && glBindFramebufferEXT && glFramebufferTexture2DEXT &&
        glCheckFramebufferStatusEXT)
        return {glGenFramebuffersEXT, glBindFramebufferEXT, glFramebufferTexture2DEXT,
                glCheckFramebufferStatusEXT};
#endif
    return {};
}

void draw_arrays(const float *vertices, const float *texcoords)
{
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, texcoords);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, quad_index);
    FENK_stats_numtriangles += 2;
}

// A quad is drawn only when it overlaps the current frame buffer.
bool visible(float x, float y, float w, float h)
{
    if (!FENK_FrameBuffer) return false;
    return y > -h && y < FENK_FrameBuffer->height && x > -w && x < FENK_FrameBuffer->width;
}

// Whether any of `count` points' bounds overlaps the current frame buffer.
bool bounds_visible(const float *xy, int count)
{
    float left = xy[0], right = xy[0], top = xy[1], bottom = xy[1];
    for (int i = 1; i < count; i++) {
        left = fminf(left, xy[2 * i]);
        right = fmaxf(right, xy[2 * i]);
        top = fminf(top, xy[2 * i + 1]);
        bottom = fmaxf(bottom, xy[2 * i + 1]);
    }
    return visible(left, top, right - left, bottom - top);
}

// The colour textured draws are multiplied by: white until the program sets a tint.
float tint[4] = {1, 1, 1, 1};
bool tinted;

void quad_vertices(float *v, float x, float y, float w, float h)
{
    const float corners[12] = {x, y, 0, x + w, y, 0, x + w, y + h, 0, x, y + h, 0};
    memcpy(v, corners, sizeof(corners));
}

void quad_texcoords(float *t, float u0, float v0, float u1, float v1)
{
    const float coords[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
    memcpy(t, coords, sizeof(coords));
}

// The GL capabilities of the render-state bits, in the order they are switched.
struct StateCap {
    int bit;
    GLenum cap;
};
const StateCap state_caps[] = {
    {FENK_RENDERSTATE_ALPHATEST, GL_ALPHA_TEST},
    {FENK_RENDERSTATE_DEPTHTEST, GL_DEPTH_TEST},
    {FENK_RENDERSTATE_BLEND, GL_BLEND},
    {FENK_RENDERSTATE_LIGHTING, GL_LIGHTING},
};

// The clip of FENK_SetClipRect (top-down pixels) and the host's clip to nothing; GL's
// scissor box counts rows from the bottom, so it is set again for each frame buffer.
struct Clip {
    bool on;
    int x, y, w, h;
    bool nothing;
};
Clip clip;

} // namespace

int fenk_boundalphatest = -1;

// Here rather than with the shaders: the render state reaches it without bringing the
// shader unit (and through it video start-up) into a program that draws no shader.
void fenk_shaderalphatest(void)
{
    if (fenk_boundalphatest < 0) return;
    glUniform1f(fenk_boundalphatest, (FENK_renderstate & FENK_RENDERSTATE_ALPHATEST) ? 1.0f : 0.0f);
}

void fenk_bindframebuffer(unsigned int fbo)
{
    const FboCalls fbos = fbo_calls();
    if (fbos.bind) fbos.bind(GL_FRAMEBUFFER, fbo);
}

// The scissor for drawing into a target `height` rows high; `present` leaves the
// program's own clip out.
void fenk_applyclip(int height, int present)
{
    if (clip.nothing) {
        glScissor(0, 0, 0, 0);
        glEnable(GL_SCISSOR_TEST);
    } else if (clip.on && !present) {
        glScissor(clip.x, height - clip.y - (clip.h > 0 ? clip.h : 0), clip.w > 0 ? clip.w : 0,
                  clip.h > 0 ? clip.h : 0);
        glEnable(GL_SCISSOR_TEST);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}

static void apply_clip() { fenk_applyclip(FENK_FrameBuffer ? FENK_FrameBuffer->height : 0, 0); }

void FENK_SetClipRect(int x, int y, int w, int h)
{
    clip.on = true;
    clip.x = x;
    clip.y = y;
    clip.w = w;
    clip.h = h;
    apply_clip();
}

void FENK_ResetClipRect(void)
{
    clip.on = false;
    apply_clip();
}

void fenk_clipnothing(int on)
{
    clip.nothing = on != 0;
    apply_clip();
}

// ---- Frame buffers ----

int FENK_CreateFrameBuffer(int width, int height, int flags)
{
    if (FENK_numframebuffers >= FENK_MAXFRAMEBUFFERS) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: Framebuffer %dx%d not created, all %d in use.\n", width, height,
                 FENK_MAXFRAMEBUFFERS);
        return -1;
    }
    const int id = FENK_numframebuffers;
    FENK_framebuffers[id] = s_framebuffer{width, height, id, flags};
    s_framebufferdata &data = FENK_framebufferdata[id];
    // A slot is taken again only after a new video start-up; its old store goes.
    free(data.pixels);
    data = s_framebufferdata{};
    data.pixels = static_cast<unsigned char *>(
        calloc(static_cast<size_t>(width > 0 ? width : 0) * static_cast<size_t>(height > 0 ? height : 0), 4));
    fenk_log(FENK_LOG_INFO, "[FENK] Init Framebuffer: %d,%d\n", width, height);

    // OpenGL 1.1 alone has one texture unit and no call to choose it; such a driver
    // has no frame buffer objects either and still runs on emulated frame buffers.
    if (glActiveTexture) glActiveTexture(GL_TEXTURE0);
    GLuint colour = 0;
    glGenTextures(1, &colour);
    bind_direct(colour);
    const GLint filter = (flags & FENK_FRAMEBUFFER_LINEAR) ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    data.colortexture = colour;

    if (flags & FENK_FRAMEBUFFER_DEPTH) {
        GLuint depth = 0;
        glGenTextures(1, &depth);
        bind_direct(depth);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8_EXT, width, height, 0, GL_DEPTH_STENCIL_EXT,
                     GL_UNSIGNED_INT_24_8_EXT, nullptr);
        data.depthtexture = depth;
    }

    const FboCalls fbos = fbo_calls();
    if (fbos.gen) {
        GLuint fbo = 0;
        fbos.gen(1, &fbo);
        fbos.bind(GL_FRAMEBUFFER, fbo);
        fbos.attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
        if (data.depthtexture)
            fbos.attach(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, data.depthtexture, 0);
        data.fbo = fbo;
        const GLenum status = fbos.check(GL_FRAMEBUFFER);
        if (status == GL_FRAMEBUFFER_COMPLETE) {
            FENK_framebuffers_enabled = 1;
        } else {
            fenk_logtext(FENK_LOG_ERROR, "glCheckFramebufferStatus: error %d", static_cast<int>(status));
            FENK_framebuffers_enabled = 0;
        }
        fbos.bind(GL_FRAMEBUFFER, 0);
    } else {
        FENK_framebuffers_enabled = 0;
    }
    FENK_numframebuffers += 1;
    return id;
}

void FENK_SetFrameBuffer(int id)
{
    if (!valid_framebuffer(id)) return;
    FENK_FrameBuffer = &FENK_framebuffers[id];
    const s_framebufferdata &data = FENK_framebufferdata[id];
    if (FENK_framebuffers_enabled) fenk_bindframebuffer(data.fbo);
    bind_direct(data.colortexture);
    glViewport(0, 0, FENK_FrameBuffer->width, FENK_FrameBuffer->height);
    FENK_projectionmode = 1;
    if (clip.on) apply_clip();
}

int FENK_GetFrameBufferWidth(void) { return FENK_FrameBuffer ? FENK_FrameBuffer->width : 0; }

int FENK_GetFrameBufferHeight(void) { return FENK_FrameBuffer ? FENK_FrameBuffer->height : 0; }

int FENK_GetFrameBufferTexture(int id)
{
    return valid_framebuffer(id) ? static_cast<int>(FENK_framebufferdata[id].colortexture) : 0;
}

int FENK_GetFrameBufferDepth(int id)
{
    return valid_framebuffer(id) ? static_cast<int>(FENK_framebufferdata[id].depthtexture) : 0;
}

void FENK_ClearFrameBuffer(uint32_t colour)
{
    glClearColor((colour & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f, ((colour >> 16) & 0xFF) / 255.0f,
                 ((colour >> 24) & 0xFF) / 255.0f);
    GLbitfield mask = GL_COLOR_BUFFER_BIT;
    if (FENK_FrameBuffer && (FENK_FrameBuffer->flags & FENK_FRAMEBUFFER_DEPTH)) mask |= GL_DEPTH_BUFFER_BIT;
    glClear(mask);
}

void FENK_DrawFrameBuffer(int x, int y, int w, int h, int id)
{
    if (!valid_framebuffer(id)) return;
    bind_direct(FENK_framebufferdata[id].colortexture);
    FENK_DrawQuad(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w), static_cast<float>(h),
                  0, 1, 1, 0);
}

// ---- Textures ----

int FENK_CreateTexture(int width, int height, const void *texels, int)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    bind_direct(texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    return static_cast<int>(texture);
}

void FENK_UpdateTexture(int texture, int width, int height, const void *texels)
{
    bind_direct(static_cast<GLuint>(texture));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
}

void FENK_SetTextureOptions(int texture, int minfilter, int magfilter, int wraps, int wrapt)
{
    bind_direct(static_cast<GLuint>(texture));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minfilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magfilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wraps);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapt);
}

void FENK_DeleteTexture(int texture)
{
    const GLuint name = static_cast<GLuint>(texture);
    glDeleteTextures(1, &name);
    // GL unbinds a deleted texture, so a cache naming it no longer says what is bound.
    if (texture == FENK_lasttextureid) FENK_lasttextureid = -1;
}

void FENK_BindTexture(int texture)
{
    if (texture == FENK_lasttextureid) return;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    FENK_lasttextureid = texture;
    FENK_stats_numtexturebinds += 1;
}

void FENK_BindTextureChannel(int texture, int channel)
{
    if (channel >= 0 && channel <= 7 && glActiveTexture) glActiveTexture(GL_TEXTURE0 + channel);
    bind_direct(static_cast<GLuint>(texture));
}

int PowerOfTwo(int n) { return n; }

// ---- Projection ----

void FENK_Enable2D(void)
{
    if (FENK_projectionmode != 0) {
        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(vp[0], vp[0] + vp[2], vp[1] + vp[3], vp[1], -1, 1);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    FENK_projectionmode = 0;
}

void FENK_Disable2D(void)
{
    if (FENK_projectionmode != 0) return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float aspect =
        FENK_FrameBuffer && FENK_FrameBuffer->height
            ? static_cast<float>(FENK_FrameBuffer->width) / static_cast<float>(FENK_FrameBuffer->height)
            : 1.0f;
    FENK_Perspective(45, aspect, 0.01f, 1000);
    glMatrixMode(GL_MODELVIEW);
    FENK_projectionmode = 1;
}

void FENK_Perspective(float fovy, float aspect, float znear, float zfar)
{
    const double ymax = znear * tan(fovy * 3.141592653 / 360);
    glFrustum(-ymax * aspect, ymax * aspect, -ymax, ymax, znear, zfar);
}

void FENK_ViewPort(int, int, float aspect, float fovy, float znear, float zfar)
{
    FENK_Perspective(fovy, aspect, znear, zfar);
}

void FENK_LookAt(float eyex, float eyey, float eyez, float centerx, float centery, float centerz)
{
    const double dx = static_cast<double>(eyex) - centerx;
    const double dy = static_cast<double>(eyey) - centery;
    const double dz = static_cast<double>(eyez) - centerz;
    if (dx == 0 && dy == 0 && dz == 0) return;
    if (dx == 0 && dz == 0) {
        glRotated(dy < 0 ? -90.0 : 90.0, 1, 0, 0);
        glTranslated(-eyex, -eyey, -eyez);
        return;
    }
    const double r = dx != 0 ? hypot(dx, dz) : dz;
    double t;
    if (dz == 0)
        t = hypot(dx, dy);
    else if (dy != 0)
        t = hypot(dy, r);
    else
        t = r;
    const double degrees = 57.29577952383886;
    const double pitch = asin(dy / t) * degrees;
    const double yaw = asin(dx / r) * degrees;
    glRotated(pitch, 1, 0, 0);
    glRotated(dz < 0 ? yaw + 180 : 360 - yaw, 0, 1, 0);
    glTranslated(-eyex, -eyey, -eyez);
}

void FENK_UpdateMatrix(const float *matrix) { glLoadMatrixf(matrix); }

void FENK_UpdateVertexData(const float *, int, int) {}

void FENK_DrawFaceList(int, int) {}

// ---- Render state ----

// Only the requested bits that are still off are switched on; a call that finds all
// of them on does nothing and is not counted.
void FENK_EnableRenderState(int bits)
{
    const int missing = bits & ~FENK_renderstate;
    if (!missing) return;
    for (const StateCap &s : state_caps)
        if (missing & s.bit) glEnable(s.cap);
    FENK_renderstate |= missing;
    if (missing & FENK_RENDERSTATE_ALPHATEST) fenk_shaderalphatest();
    FENK_stats_numstateswitches += 1;
}

void FENK_DisableRenderState(int bits)
{
    if (!(FENK_renderstate & bits)) return;
    for (const StateCap &s : state_caps)
        if (bits & s.bit) glDisable(s.cap);
    const int was = FENK_renderstate;
    FENK_renderstate &= ~bits;
    if (was & bits & FENK_RENDERSTATE_ALPHATEST) fenk_shaderalphatest();
    FENK_stats_numstateswitches += 1;
}

void FENK_SetBlendMode(int mode)
{
    if (mode == FENK_BLEND_MULTIPLY)
        glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
    else if (mode == FENK_BLEND_ADD)
        glBlendFunc(GL_SRC_COLOR, GL_ONE);
}

void FENK_EnableAlphaBlend(float alpha)
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4f(tint[0], tint[1], tint[2], tint[3] * alpha);
}

void FENK_DisableAlphaBlend(void)
{
    glDisable(GL_BLEND);
    fenk_restorecolour();
}

// The current colour is what the fixed pipeline multiplies every texel by: the tint is
// that colour, put back by every call that borrows it.
void FENK_SetTint(float r, float g, float b, float a)
{
    tint[0] = r;
    tint[1] = g;
    tint[2] = b;
    tint[3] = a;
    tinted = r != 1 || g != 1 || b != 1 || a != 1;
    fenk_restorecolour();
}

void FENK_ResetTint(void) { FENK_SetTint(1, 1, 1, 1); }

void fenk_restorecolour(void) { glColor4f(tint[0], tint[1], tint[2], tint[3]); }

int fenk_tinted(void) { return tinted; }

// ---- Primitives ----

void FENK_DrawQuad(float x, float y, float w, float h, float u0, float v0, float u1, float v1)
{
    if (!visible(x, y, w, h)) return;
    float v[12], t[8];
    quad_vertices(v, x, y, w, h);
    quad_texcoords(t, u0, v0, u1, v1);
    FENK_Enable2D();
    draw_arrays(v, t);
}

void FENK_DrawRotatedQuad(float x, float y, float w, float h, float u0, float v0, float u1, float v1,
                          float angle)
{
    if (!visible(x, y, w, h)) return;
    float v[12], t[8];
    quad_vertices(v, -w / 2, -h / 2, w, h);
    quad_texcoords(t, u0, v0, u1, v1);
    FENK_Enable2D();
    glLoadIdentity();
    glTranslatef(x + w / 2, y + h / 2, 0);
    glRotatef(angle, 0, 0, 1);
    draw_arrays(v, t);
}

// The corners worked out here rather than by GL's matrix, so the model-view stays the
// identity and the cull test sees where the quad really lands. Turning clockwise on
// screen: y points down.
void FENK_DrawTransformedQuad(float x, float y, float w, float h, float originx, float originy, float angle,
                              float u0, float v0, float u1, float v1)
{
    const double radians = angle * 3.14159265358979323846 / 180;
    const float c = static_cast<float>(cos(radians)), s = static_cast<float>(sin(radians));
    const float corners[8] = {-originx,    -originy,    w - originx, -originy,
                              w - originx, h - originy, -originx,    h - originy};
    float v[12], t[8], xy[8];
    for (int i = 0; i < 4; i++) {
        const float dx = corners[2 * i], dy = corners[2 * i + 1];
        xy[2 * i] = x + dx * c - dy * s;
        xy[2 * i + 1] = y + dx * s + dy * c;
        v[3 * i] = xy[2 * i];
        v[3 * i + 1] = xy[2 * i + 1];
        v[3 * i + 2] = 0;
    }
    if (!bounds_visible(xy, 4)) return;
    quad_texcoords(t, u0, v0, u1, v1);
    FENK_Enable2D();
    draw_arrays(v, t);
}

// Many quads in one draw: the shapes' path (shapes.cpp).
void fenk_drawquads(const float *corners, int quads)
{
    if (quads <= 0 || quads > FENK_MAXDRAWQUADS || !bounds_visible(corners, 4 * quads)) return;
    static float v[FENK_MAXDRAWQUADS * 12], t[FENK_MAXDRAWQUADS * 8];
    static GLushort index[FENK_MAXDRAWQUADS * 6];
    for (int q = 0; q < quads; q++) {
        for (int i = 0; i < 4; i++) {
            v[12 * q + 3 * i] = corners[8 * q + 2 * i];
            v[12 * q + 3 * i + 1] = corners[8 * q + 2 * i + 1];
            v[12 * q + 3 * i + 2] = 0;
        }
        for (int i = 0; i < 6; i++) index[6 * q + i] = static_cast<GLushort>(4 * q + quad_index[i]);
    }
    memset(t, 0, sizeof(float) * 8 * static_cast<size_t>(quads));
    FENK_Enable2D();
    glVertexPointer(3, GL_FLOAT, 0, v);
    glTexCoordPointer(2, GL_FLOAT, 0, t);
    glDrawElements(GL_TRIANGLES, 6 * quads, GL_UNSIGNED_SHORT, index);
    FENK_stats_numtriangles += 2 * quads;
}

void FENK_DrawColorQuad(float x, float y, float w, float h, float r, float g, float b, float a)
{
    if (!visible(x, y, w, h)) return;
    float v[12], t[8];
    quad_vertices(v, x, y, w, h);
    quad_texcoords(t, 0, 0, 1, 1);
    glColor4f(r, g, b, a);
    FENK_Enable2D();
    draw_arrays(v, t);
    fenk_restorecolour();
}

void FENK_DrawLineRGB(float x1, float y1, float x2, float y2, float r, float g, float b, float a)
{
    FENK_Enable2D();
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glColor4f(r, g, b, a);
    glBegin(GL_LINES);
    glVertex2f(x1, y1);
    glVertex2f(x2, y2);
    glEnd();
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    fenk_restorecolour();
    FENK_stats_numlines += 1;
}

void FENK_SetPallete(int palette, int count, const unsigned char *rgb)
{
    // An out-of-range palette or count would write past the table: clip instead.
    if (palette < 0 || palette >= FENK_NUMPALETTES || !rgb || count <= 0) return;
    if (count > FENK_PALETTESIZE) count = FENK_PALETTESIZE;
    memcpy(FENK_Palette[palette], rgb, static_cast<size_t>(count) * 3);
}
