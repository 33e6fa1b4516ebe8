// A post shader: the scene is drawn into an off-screen frame buffer, and presenting
// that buffer runs it through a shader made from text in this program, here one that
// inverts every colour. Space turns the effect off and on again; Escape ends it.
#include <cstdio>

#include "input/coreinput.h"
#include "platform/host.h"
#include "video/fenk.h"

namespace {

constexpr int screen_width = 640;
constexpr int screen_height = 360;
// Drawn at half size; presentation stretches it without smoothing.
constexpr int canvas_width = 320;
constexpr int canvas_height = 180;

// Bits of the key bit mask FENK_GetKeys gives.
constexpr int space_bit = 0x0010;

// The presentation pass draws the frame buffer's texture over the window with the
// post shader bound; fbo_texture is that texture (the pass also sets width, height,
// fadevalue and scanlinevalue, which a shader may use or leave out).
const char *invert_shader = "#version 120\n"
                            "uniform sampler2D fbo_texture;\n"
                            "varying vec2 texCoord;\n"
                            "void main()\n"
                            "{\n"
                            "    vec4 c = texture2D(fbo_texture, texCoord);\n"
                            "    gl_FragColor = vec4(vec3(1.0) - c.rgb, 1.0);\n"
                            "}\n";

void draw_scene(int frame)
{
    FENK_ClearFrameBuffer(0xFF402010); // bytes red, green, blue, alpha: a dark blue
    FENK_BindTexture(fenk_whitetexture_id);
    FENK_DrawColorQuad(20, 20, 40, 40, 1, 0, 0, 1);
    FENK_DrawColorQuad(canvas_width - 60, 20, 40, 40, 0, 1, 0, 1);
    FENK_DrawRotatedQuad(canvas_width / 2.0f - 50, canvas_height / 2.0f - 5, 100, 10, 0, 0, 1, 1,
                         static_cast<float>(frame * 3));
    const float x = static_cast<float>((frame * 2) % canvas_width);
    FENK_DrawColorQuad(x, canvas_height - 30, 20, 20, 1, 1, 0, 1);
}

} // namespace

int coremain(int, char **)
{
    FENK_InitVideo(screen_width, screen_height, 0);
    FENK_SetTitle("FENK - post shader example");
    const int scene = FENK_CreateFrameBuffer(canvas_width, canvas_height, 0);

    // The vertex half is the engine's own: it only passes the texture coordinate on.
    const int invert = FENK_InitShader(vv_defaultpostshader, invert_shader);
    if (invert < 0) printf("No shaders here: the scene is shown as it is drawn.\n");
    bool effect = true;
    FENK_SetPostShader(invert);
    printf("Space turns the colour inversion off and on.\n");

    for (int frame = 0;; ++frame) {
        int keys = 0, pressed = 0;
        FENK_GetKeys(&keys, &pressed);
        if (keys & FENK_BUTTON_ESCAPE) break;
        if (pressed & space_bit) {
            effect = !effect;
            // -1 presents the frame buffer as it is.
            FENK_SetPostShader(effect ? invert : -1);
        }

        FENK_WaitRefresh();
        FENK_SetFrameBuffer(scene);
        draw_scene(frame);
        FENK_SwapBuffers();
    }

    FENK_SetPostShader(-1);
    FENK_DeleteShader(invert);
    FENK_CloseVideo();
    return 0;
}
