// Input on the engine, shown live: every key held (one cell per virtual-key code), the
// last key code, the mouse's position, buttons and wheel, and each controller (the
// joysticks found, the two key sets with their key tables, the mouse, the key code)
// with its axes and button bits. Each change is also printed. Escape ends it.
#include <cstdio>
#include <initializer_list>

#include "input/coreinput.h"
#include "platform/host.h"
#include "video/fenk.h"

namespace {

// The window is drawn 1:1, so the cursor's client pixels are canvas pixels.
constexpr int screen_width = 640;
constexpr int screen_height = 360;

// A third key set of our own: the arrows and Space, in the slots of the key bit mask
// (up, down, left, right, then the buttons from 0x0010).
int arrow_keys[FENK_CONTROLLERKEYS] = {0x26, 0x28, 0x25, 0x27, ' '};

const char *kind_name(int type)
{
    switch (type) {
    case FENK_CONTROLLER_KEYS: return "keys";
    case FENK_CONTROLLER_JOYSTICK: return "joystick";
    case FENK_CONTROLLER_KEYCODE: return "key code";
    case FENK_CONTROLLER_MOUSE: return "mouse";
    }
    return "none";
}

// 16 x 16 cells, lit while that key is down.
void draw_keys()
{
    for (int vk = 0; vk < 256; ++vk) {
        const float x = 10.0f + (vk % 16) * 12, y = 10.0f + (vk / 16) * 12;
        const float lit = FENK_keys[vk] ? 1.0f : 0.2f;
        FENK_DrawColorQuad(x, y, 10, 10, lit, lit, FENK_keys[vk] ? 0.0f : 0.2f, 1);
    }
}

// Per controller one row: a box with a dot at its axes, then its 16 button bits.
void draw_controllers()
{
    for (int n = 0; n < FENK_numcontrollers; ++n) {
        const s_controller &c = FENK_controller[n];
        const float y = 218.0f + n * 17; // room for all FENK_MAXCONTROLLERS rows
        FENK_DrawColorQuad(10, y, 16, 16, 0.2f, 0.2f, 0.3f, 1);
        if (c.type == FENK_CONTROLLER_KEYS || c.type == FENK_CONTROLLER_JOYSTICK)
            FENK_DrawColorQuad(16 + c.x * 6 / 127.0f, y + 6 + c.y * 6 / 127.0f, 4, 4, 1, 1, 1, 1);
        for (int bit = 0; bit < 16; ++bit) {
            const bool on = c.type != FENK_CONTROLLER_KEYCODE && (c.buttons >> bit & 1);
            FENK_DrawColorQuad(40.0f + bit * 10, y + 3, 8, 10, 0.2f, on ? 1.0f : 0.2f, 0.2f, 1);
        }
    }
}

void draw_mouse(int x, int y, int buttons, int wheel)
{
    for (int b = 0; b < 3; ++b) {
        const bool on = buttons >> b & 1;
        FENK_DrawColorQuad(220.0f + b * 22, 10, 20, 30, on ? 1.0f : 0.2f, 0.2f, 0.2f, 1);
    }
    // The wheel's count as a bar from the middle: right for up, left for down.
    FENK_DrawColorQuad(300, 50, 2, 10, 1, 1, 1, 1);
    FENK_DrawColorQuad(wheel < 0 ? 300.0f + wheel * 8 : 300.0f, 52, wheel < 0 ? -wheel * 8.0f : wheel * 8.0f,
                       6, 0.3f, 0.6f, 1, 1);
    // A cross whose centre is the cursor's pixel.
    FENK_DrawColorQuad(x - 8.0f, static_cast<float>(y), 17, 1, 1, 1, 1, 1);
    FENK_DrawColorQuad(static_cast<float>(x), y - 8.0f, 1, 17, 1, 1, 1, 1);
}

} // namespace

int coremain(int, char **)
{
    FENK_InitVideo(screen_width, screen_height, 0);
    FENK_SetTitle("FENK - input example");
    const int canvas = FENK_CreateFrameBuffer(screen_width, screen_height, 0);
    FENK_InitControllers();
    const int arrows = FENK_AddKeyController(arrow_keys);
    for (int n = 0; n < FENK_numcontrollers; ++n)
        printf("controller %d: %s%s\n", n, kind_name(FENK_controller[n].type),
               n == arrows ? " (arrows, Space)" : "");

    int old_x = -1, old_y = -1, old_buttons = 0, old_wheel = 0;
    s_controller old_controller[FENK_MAXCONTROLLERS] = {};
    for (;;) {
        FENK_WaitRefresh();
        int mask = 0, pressed = 0;
        FENK_GetKeys(&mask, &pressed);
        if (mask & FENK_BUTTON_ESCAPE) break;
        FENK_PollControllers();

        // The edges since the last FENK_GetKeys: a tap between two frames is down in one
        // and up in the next; a key let go and struck again in between is both.
        for (int vk = 0; vk < 256; ++vk) {
            const bool down = FENK_KeyPressed(vk), up = FENK_KeyReleased(vk);
            if (up && down) printf("key 0x%02X up\n", vk);
            if (down || up) printf("key 0x%02X %s\n", vk, down ? "down" : "up");
        }
        int code = 0, changed = 0;
        FENK_GetKeycode(&code, &changed);
        if (changed && code) printf("last key code 0x%X\n", code);

        int x = 0, y = 0, buttons = 0, wheel = 0, direction = 0;
        FENK_GetMouse(&x, &y, &buttons);
        FENK_GetMouseWheel(&wheel, &direction);
        if (x != old_x || y != old_y || buttons != old_buttons)
            printf("mouse %d, %d buttons %d\n", x, y, buttons);
        for (int bit : {FENK_MOUSE_LEFT, FENK_MOUSE_RIGHT, FENK_MOUSE_MIDDLE})
            if (FENK_MousePressed(bit)) printf("mouse button %d pressed\n", bit);
        if (wheel != old_wheel) printf("wheel %d\n", wheel);
        old_x = x, old_y = y, old_buttons = buttons, old_wheel = wheel;

        for (int n = 0; n < FENK_numcontrollers; ++n) {
            const s_controller &c = FENK_controller[n];
            const s_controller &old = old_controller[n];
            // A key set keeps its directions in x and y, its buttons in the bits.
            if (c.type == FENK_CONTROLLER_KEYCODE ||
                (c.buttons == old.buttons && c.x == old.x && c.y == old.y))
                continue;
            printf("controller %d buttons 0x%04X x %d y %d\n", n, c.buttons, c.x, c.y);
            old_controller[n] = c;
        }

        FENK_SetFrameBuffer(canvas);
        FENK_ClearFrameBuffer(0xFF101010);
        FENK_BindTexture(fenk_whitetexture_id);
        draw_keys();
        draw_controllers();
        draw_mouse(x, y, buttons, wheel);
        FENK_SwapBuffers();
    }

    FENK_CloseVideo();
    return 0;
}
