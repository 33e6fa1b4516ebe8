// A first program on the engine: open a video mode, draw each frame into a frame
// buffer of its own, present it at the paced rate, and stop on Escape.
//
// The engine calls coremain on its show thread once the host is up; the host (a
// window, or none at all) is chosen when the program is linked.
#include "input/coreinput.h"
#include "platform/host.h"
#include "video/fenk.h"

namespace {

constexpr int screen_width = 640;
constexpr int screen_height = 360;
// Drawing happens at half the window's size; presentation stretches it to fit.
constexpr int canvas_width = 320;
constexpr int canvas_height = 180;

bool escape_pressed()
{
    int keys = 0;
    FENK_GetKeys(&keys, nullptr);
    return (keys & FENK_BUTTON_ESCAPE) != 0;
}

void draw_frame(int frame)
{
    FENK_ClearFrameBuffer(0xFF402010); // bytes red, green, blue, alpha: a dark blue
    FENK_BindTexture(fenk_whitetexture_id);

    // A red square drifting right, a white bar turning in the middle, a yellow rule.
    const float x = static_cast<float>(20 + (frame * 2) % (canvas_width - 40));
    FENK_DrawColorQuad(x, 20, 40, 40, 1, 0, 0, 1);
    FENK_DrawRotatedQuad(canvas_width / 2.0f - 50, canvas_height / 2.0f - 5, 100, 10, 0, 0, 1, 1,
                         static_cast<float>(frame * 3));
    FENK_DrawLineRGB(0, canvas_height - 10.5f, canvas_width, canvas_height - 10.5f, 1, 1, 0, 1);
}

} // namespace

int coremain(int, char **)
{
    FENK_InitVideo(screen_width, screen_height, 0);
    FENK_SetTitle("FENK - first example");
    const int canvas = FENK_CreateFrameBuffer(canvas_width, canvas_height, FENK_FRAMEBUFFER_LINEAR);

    for (int frame = 0; !escape_pressed(); ++frame) {
        FENK_WaitRefresh();
        FENK_SetFrameBuffer(canvas);
        draw_frame(frame);
        FENK_SwapBuffers();
    }

    FENK_CloseVideo();
    return 0;
}
