#include "stub_host.h"

#include <cstring>

#include "input/rawinput.h"
#include "platform/shared_word.h"

StubHost stub_host;

void stub_host_reset()
{
    memset(&stub_host, 0, sizeof stub_host);
    memset(FENK_keys, 0, sizeof FENK_keys);
    FENK_joykey = 0;
    fenk_keycode = 0;
    fenk_input_prevkeycode = 0;
    fenk_input_mouse_mode = 0;
    fenk_mouse_windowhide = 0;
    fenk_rawinput_resetmouse();
}

void stub_joystick(int id, int numbuttons)
{
    StubJoystick &j = stub_host.joysticks[id];
    j.connected = 1;
    j.answers = 1;
    j.numbuttons = numbuttons;
    j.x = j.y = j.z = j.r = 32767;
    j.pov = FENK_JOYSTICK_POV_CENTERED;
}

// The key states stand for the asynchronous state a real host would copy in.
void fenk_getkeys(int *, int *)
{
    int keys[FENK_NUMKEYS];
    for (int i = 0; i < FENK_NUMKEYS; i++) keys[i] = word_load(FENK_keys[i]);
    FENK_joykey = fenk_keymask(keys);
}

void fenk_getmouse(int *x, int *y, int *buttons)
{
    if (fenk_input_mouse_mode == 0 || fenk_input_mouse_mode == 1) {
        fenk_mouse_x = *x = stub_host.cursor_x;
        fenk_mouse_y = *y = stub_host.cursor_y;
    }
    *buttons = fenk_mouse_buttons;
}

void fenk_setmouse(int x, int y)
{
    stub_host.cursor_x = x;
    stub_host.cursor_y = y;
}

void fenk_showmouse(void) { stub_host.cursor_shown++; }
void fenk_hidemouse(void) { stub_host.cursor_shown--; }

int fenk_getnumjoysticks(void) { return STUB_JOYSTICKS; }

int fenk_initjoystick(int id) { return id; }

int fenk_joystickconnected(int id)
{
    return id >= 0 && id < STUB_JOYSTICKS && stub_host.joysticks[id].connected;
}

// The same arithmetic a real host applies to the device's values.
int fenk_polljoystick(int id, int *x, int *y, int *z, int *r, int *buttons)
{
    *x = *y = *z = *r = *buttons = 0;
    if (id < 0 || id >= STUB_JOYSTICKS) return 0;
    StubJoystick &j = stub_host.joysticks[id];
    j.polls++;
    if (!j.connected || !j.answers) return 0;
    *x = fenk_joystickaxis(j.x);
    *y = fenk_joystickaxis(j.y);
    *z = fenk_joystickaxis(j.z);
    *r = fenk_joystickaxis(j.r);
    *buttons = fenk_joystickbits(fenk_joysticklayout(j.numbuttons), j.pov, j.buttons);
    return 1;
}
