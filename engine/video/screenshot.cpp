// A screenshot: the current frame buffer's pixels as a PNG file, written by stb_image_write
// from Debian's libstb-dev, built here as png.cpp builds stb_image (a private copy, no
// stdio of its own: the file is written here).
#include "video/fenk.h"
#include "platform/log.h"

#include <GL/glew.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

struct Output {
    FILE *file;
    bool failed;
};

void write_bytes(void *context, void *data, int size)
{
    Output *out = static_cast<Output *>(context);
    if (size > 0 && fwrite(data, 1, static_cast<size_t>(size), out->file) != static_cast<size_t>(size))
        out->failed = true;
}

} // namespace

// GL gives the rows bottom first; a PNG holds them top first. The picture is opaque, as
// the window shows it: the frame buffer's alpha is only what the draws left there.
int FENK_SaveScreenshot(const char *path)
{
    if (!path || !*path) return 0;
    const s_framebuffer *canvas = FENK_FrameBuffer;
    if (!canvas || canvas->width <= 0 || canvas->height <= 0) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: Screenshot %s not written: no frame buffer to read", path);
        return 0;
    }
    const int width = canvas->width, height = canvas->height;
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < height; y++) {
        const unsigned char *from = &rgba[static_cast<size_t>(height - 1 - y) * width * 4];
        unsigned char *to = &rgb[static_cast<size_t>(y) * width * 3];
        for (int x = 0; x < width; x++) memcpy(to + 3 * x, from + 4 * x, 3);
    }
    Output out = {fopen(path, "wb"), false};
    if (!out.file) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: Screenshot %s not written: %s", path, strerror(errno));
        return 0;
    }
    const int encoded = stbi_write_png_to_func(write_bytes, &out, width, height, 3, rgb.data(), width * 3);
    if (fclose(out.file) != 0) out.failed = true;
    if (!encoded || out.failed) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: Screenshot %s not written: the file could not be written", path);
        remove(path);
        return 0;
    }
    fenk_log(FENK_LOG_INFO, "Screenshot %s: %d x %d", path, width, height);
    return 1;
}
