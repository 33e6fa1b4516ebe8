// The headless host's read-back. A frame is read from the frame buffer object the
// engine names for it (the window's when it names 0), top row first where the driver
// can turn rows over itself (MESA_pack_invert), else turned over here. With frames
// deferred, each frame is read into one of a ring of pixel buffer objects and handed to
// the sink during the next presentation, so that the driver can finish the read while
// the next frame is drawn, and the sink's own work overlaps the drawing of the next
// frame.
#include "hosts/headless_readback.h"

#include <GL/glew.h>

#include <cstring>
#include <vector>

#include "hosts/driver_headless.h"

namespace {

constexpr int ring_size = 2;

struct Pending {
    bool waiting;
    bool drawn;
    int slot;
    int width;
    int height;
    uint64_t frame;
    uint32_t millis;
};

struct Readback {
    bool live; // the host's context is current
    int width;
    int height;
    fenk_headless_framesink frame_sink;
    void *frame_sink_user;
    std::vector<unsigned char> readback;
    std::vector<unsigned char> topdown;
    // fenk_headless_readwindow: every frame read from the window after the engine's
    // presentation pass, as this host once did; for measuring the difference only.
    bool window;
    GLuint source; // the frame buffer object the frame is read from, 0 for the window
    GLuint ring[ring_size];
    size_t ring_bytes;
    int ring_next;
    bool defer_frames;
    Pending pending;
};

Readback rb;

bool can_invert() { return !rb.window && GLEW_MESA_pack_invert; }
bool can_defer() { return glGenBuffers && glBindBuffer && glBufferData && glMapBuffer && glUnmapBuffer; }

// Reads the frame into `target` (a byte offset when a pixel buffer is bound); true when
// it came top row first.
bool read_pixels(void *target)
{
    GLint bound = 0;
    if (glBindFramebufferEXT) {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        if (static_cast<GLuint>(bound) != rb.source) glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, rb.source);
    }
    const bool invert = can_invert();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (invert) glPixelStorei(GL_PACK_INVERT_MESA, GL_TRUE);
    glReadPixels(0, 0, rb.width, rb.height, GL_RGBA, GL_UNSIGNED_BYTE, target);
    if (invert) glPixelStorei(GL_PACK_INVERT_MESA, GL_FALSE);
    if (glBindFramebufferEXT && static_cast<GLuint>(bound) != rb.source)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(bound));
    return invert;
}

// The pixels as the sink wants them, top row first, from rows read in either order.
const unsigned char *top_first(const unsigned char *pixels, bool inverted, int width, int height)
{
    if (inverted) return pixels;
    const size_t row = static_cast<size_t>(width) * 4;
    rb.topdown.resize(row * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        memcpy(&rb.topdown[row * static_cast<size_t>(y)], &pixels[row * static_cast<size_t>(height - 1 - y)],
               row);
    return rb.topdown.data();
}

void read_frame_now(uint64_t frame, uint32_t millis)
{
    rb.readback.resize(static_cast<size_t>(rb.width) * 4 * static_cast<size_t>(rb.height));
    const bool inverted = read_pixels(rb.readback.data());
    rb.frame_sink(rb.width, rb.height, top_first(rb.readback.data(), inverted, rb.width, rb.height), frame,
                  millis, rb.frame_sink_user);
}

void release_ring()
{
    if (rb.ring[0]) glDeleteBuffers(ring_size, rb.ring);
    for (GLuint &buffer : rb.ring) buffer = 0;
    rb.ring_bytes = 0;
    rb.ring_next = 0;
}

// Starts reading the frame into the next buffer of the ring; the slot it went to.
int start_read()
{
    const size_t bytes = static_cast<size_t>(rb.width) * 4 * static_cast<size_t>(rb.height);
    if (!rb.ring[0]) glGenBuffers(ring_size, rb.ring);
    const int slot = rb.ring_next;
    rb.ring_next = (rb.ring_next + 1) % ring_size;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, rb.ring[slot]);
    if (rb.ring_bytes != bytes) {
        for (GLuint buffer : rb.ring) {
            glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        }
        rb.ring_bytes = bytes;
        glBindBuffer(GL_PIXEL_PACK_BUFFER, rb.ring[slot]);
    }
    read_pixels(nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return slot;
}

// Hands the deferred frame, if any, to the sink. Its pixel buffer is only mapped now, so
// the read has had all the time since its presentation to finish.
void deliver_pending()
{
    if (!rb.pending.waiting) return;
    rb.pending.waiting = false;
    if (!rb.frame_sink) return;
    if (!rb.pending.drawn) {
        rb.frame_sink(rb.pending.width, rb.pending.height, nullptr, rb.pending.frame, rb.pending.millis,
                      rb.frame_sink_user);
        return;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, rb.ring[rb.pending.slot]);
    const auto *pixels = static_cast<const unsigned char *>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
    if (!pixels) headless_fail("frame read-back not mapped.");
    // Unbound while the sink runs: a read of its own would otherwise go into the buffer.
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    rb.frame_sink(rb.pending.width, rb.pending.height,
                  top_first(pixels, can_invert(), rb.pending.width, rb.pending.height), rb.pending.frame,
                  rb.pending.millis, rb.frame_sink_user);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, rb.ring[rb.pending.slot]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

} // namespace

void headless_readback_open(int width, int height)
{
    rb.live = true;
    rb.width = width;
    rb.height = height;
}

void headless_readback_close(void)
{
    deliver_pending();
    release_ring();
    rb.live = false;
}

int headless_readback_source(unsigned int fbo)
{
    rb.source = rb.window ? 0 : fbo;
    return rb.source == 0;
}

void headless_readback_frame(bool shown, uint64_t frame, uint32_t millis)
{
    if (rb.frame_sink) {
        if (!rb.defer_frames || rb.window || !can_defer()) {
            if (shown)
                read_frame_now(frame, millis);
            else
                rb.frame_sink(rb.width, rb.height, nullptr, frame, millis, rb.frame_sink_user);
        } else {
            // The drawing of this frame starts before the sink's work on the last one.
            if (shown) glFlush();
            deliver_pending();
            rb.pending = Pending{true, shown, shown ? start_read() : 0, rb.width, rb.height, frame, millis};
        }
    }
    rb.source = 0;
}

void fenk_headless_setframesink(fenk_headless_framesink sink, void *user)
{
    if (rb.live) deliver_pending(); // the old sink's frame
    rb.frame_sink = sink;
    rb.frame_sink_user = user;
}

void fenk_headless_deferframes(int on)
{
    if (!on && rb.live) deliver_pending();
    rb.defer_frames = on != 0;
}

void fenk_headless_flushframes(void)
{
    if (rb.live) deliver_pending();
}

void fenk_headless_readwindow(int on) { rb.window = on != 0; }
