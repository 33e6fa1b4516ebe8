// The file layer: mount a folder as the data image, list its top directory, read one
// file through the layer and print what it holds. The window shows the listing as
// bars (directories blue, files green, as long as their size) and the file's first
// 256 bytes as a grid of greys. Escape ends it.
//
//   files [folder [file]]     (defaults: data, and the first file listed)
#include <cstdio>
#include <string>

#include "files/core.h"
#include "input/coreinput.h"
#include "platform/host.h"
#include "video/fenk.h"

namespace {

constexpr int screen_width = 640;
constexpr int screen_height = 360;
constexpr int shown_bytes = 256;

unsigned char content[shown_bytes];
int content_size;

void list_root(const char *folder)
{
    corefile_readdir("*.*");
    printf("%s holds %d files; its top directory:\n", folder, static_cast<int>(corefile_image.numfiles));
    for (int i = 0; i < corefile_numfiles; ++i) {
        const s_direntry &entry = corefile_filelist[i];
        if (entry.isdir)
            printf("  %s\n", entry.name);
        else
            printf("  %s  %d bytes\n", entry.name, entry.size);
    }
}

// Reads through the layer's record, which keeps its own position and size; the text
// is printed line by line, bytes that are not printable as dots.
bool read_file(const char *name)
{
    s_corefile file;
    if (!corefile_open(name, &file, 0)) {
        printf("cannot open %s\n", name);
        return false;
    }
    const int size = corefile_fsize(&file);
    content_size = size < shown_bytes ? size : shown_bytes;
    corefile_read(content, 1, content_size, &file);
    corefile_close(&file);

    printf("%s, %d bytes, begins:\n", name, size);
    std::string line;
    for (int i = 0; i < content_size; ++i) {
        const unsigned char c = content[i];
        if (c == '\n') {
            printf("| %s\n", line.c_str());
            line.clear();
        } else {
            line += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
        }
    }
    if (!line.empty()) printf("| %s\n", line.c_str());
    return true;
}

void draw_frame()
{
    FENK_ClearFrameBuffer(0xFF101010);
    FENK_BindTexture(fenk_whitetexture_id);
    for (int i = 0; i < corefile_numfiles && i < 16; ++i) {
        const s_direntry &entry = corefile_filelist[i];
        const float y = 10.0f + i * 20;
        const float length = entry.isdir ? 20.0f : 4.0f + (entry.size < 1000 ? entry.size : 1000) * 0.3f;
        FENK_DrawColorQuad(10, y, length, 14, entry.isdir ? 0.3f : 0.2f, entry.isdir ? 0.4f : 0.8f,
                           entry.isdir ? 1.0f : 0.3f, 1);
    }
    for (int i = 0; i < content_size; ++i) {
        const float grey = content[i] / 255.0f;
        FENK_DrawColorQuad(400.0f + (i % 16) * 14, 10.0f + (i / 16) * 14, 12, 12, grey, grey, grey, 1);
    }
}

bool escape_pressed()
{
    int keys = 0;
    FENK_GetKeys(&keys, nullptr);
    return (keys & FENK_BUTTON_ESCAPE) != 0;
}

} // namespace

int coremain(int argc, char **argv)
{
    const char *folder = argc > 1 ? argv[1] : "data";
    corefile_mountimage(folder, COREFILE_MOUNT_DIRECTORY);
    list_root(folder);
    const char *name = argc > 2 ? argv[2] : nullptr;
    for (int i = 0; !name && i < corefile_numfiles; ++i)
        if (!corefile_filelist[i].isdir) name = corefile_filelist[i].path;
    if (name)
        read_file(name);
    else
        printf("%s has no file to read\n", folder);

    FENK_InitVideo(screen_width, screen_height, 0);
    FENK_SetTitle("FENK - files example");
    const int canvas = FENK_CreateFrameBuffer(screen_width, screen_height, 0);
    while (!escape_pressed()) {
        FENK_WaitRefresh();
        FENK_SetFrameBuffer(canvas);
        draw_frame();
        FENK_SwapBuffers();
    }

    FENK_CloseVideo();
    corefile_closeimage();
    return 0;
}
