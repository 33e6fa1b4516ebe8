// Controllers and key mapping over the platform's raw input. Everything here runs on
// the show thread; the raw words it reads are written by the window procedure.
#include "input/coreinput.h"
#include "platform/log.h"

#include <stdio.h>
#include <string.h>

#include "platform/platform.h"
#include "input/rawinput.h"
#include "platform/shared_word.h"

s_controller FENK_controller[FENK_MAXCONTROLLERS];
int FENK_controllerkeys[FENK_MAXCONTROLLERS][FENK_CONTROLLERKEYS];
int FENK_numcontrollers;
int fenk_input_prevcontrollerkey;
int fenk_input_prevkey;

namespace {

// The main thread writes the key states and the key-code word while we read them:
// each is read and written whole (shared_word.h), as the platform layer does.

// Bit set by each key table slot. Slot 14 is never read, and 0x0400 comes before
// 0x0200: programs written for these tables expect exactly this order.
const int slot_bits[FENK_CONTROLLERKEYS] = {
    0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080,
    0x0100, 0x0400, 0x0200, 0x0800, 0x1000, 0x2000, 0,      0x8000,
};

const int first_keys[FENK_CONTROLLERKEYS] = {
    0xF001, 0xF002, 0xF003, 0xF004, 0xF012, 0xF013, 0xF011, 'Z',
    'X',    'C',    'V',    'B',    0xF010, 0xF020, 0xF000, 0xF000,
};

const int second_keys[FENK_CONTROLLERKEYS] = {
    'W', 'S', 'A', 'D', 'U', 'I', 'O', 'P', 'K', 'L', 'H', 'J', 0xF010, 0xF020, 0xF000, 0xF000,
};

const int engine_codes = 0xF000;

// The edges of FENK_KeyPressed and the others: what the last two FENK_GetKeys found.
// A key or button struck since the poll before went down in between, whatever it reads
// at either poll.
struct Edges {
    unsigned char keys[FENK_NUMKEYS], keys_before[FENK_NUMKEYS], struck[FENK_NUMKEYS];
    int buttons, buttons_before, clicked;
};
Edges edges;

void take_edges()
{
    memcpy(edges.keys_before, edges.keys, sizeof edges.keys);
    for (int vk = 0; vk < FENK_NUMKEYS; vk++) {
        edges.keys[vk] = word_load(FENK_keys[vk]) != 0;
        edges.struck[vk] = fenk_keystruck[vk] != 0;
    }
    edges.buttons_before = edges.buttons;
    edges.clicked = fenk_mousetap_take();
    edges.buttons = word_load(fenk_mouse_buttons) | edges.clicked;
}

bool valid_key(int vk) { return vk >= 0 && vk < FENK_NUMKEYS; }

bool valid_controller(int n) { return n >= 0 && n < FENK_MAXCONTROLLERS; }

int used_controllers()
{
    int n = FENK_numcontrollers;
    if (n < 0) return 0;
    return n > FENK_MAXCONTROLLERS ? FENK_MAXCONTROLLERS : n;
}

// A table entry is either a platform key code, which indexes the key states directly,
// or an engine code, which stands for the platform key it is translated from. Anything
// else names no key and is never held.
bool key_held(int code)
{
    int vk = -1;
    if (code >= 0 && code < FENK_NUMKEYS)
        vk = code;
    else if (code >= engine_codes)
        vk = fenk_untranslatekeycode(code);
    if (vk < 0 || vk >= FENK_NUMKEYS) return false;
    return word_load(FENK_keys[vk]) != 0;
}

// The bits of controller n's key table and the axes they give. Later slots override
// earlier ones on an axis, so down wins over up and right over left.
int read_keys(int n, int *x, int *y)
{
    int bits = 0;
    *x = 0;
    *y = 0;
    for (int slot = 0; slot < FENK_CONTROLLERKEYS; slot++) {
        if (!slot_bits[slot] || !key_held(FENK_controllerkeys[n][slot])) continue;
        bits |= slot_bits[slot];
        switch (slot) {
        case 0: *y = -FENK_AXIS_FULL; break;
        case 1: *y = FENK_AXIS_FULL; break;
        case 2: *x = -FENK_AXIS_FULL; break;
        case 3: *x = FENK_AXIS_FULL; break;
        }
    }
    return bits;
}

void set_keys(int n, const int *keys16)
{
    memcpy(FENK_controllerkeys[n], keys16, sizeof FENK_controllerkeys[n]);
}

void add_controller(int n, int type, int device)
{
    s_controller &c = FENK_controller[n];
    memset(&c, 0, sizeof c);
    c.type = type;
    c.device = device;
    c.active = 1;
}

// A key set keeps its directions in x and y only. Its oldbuttons ends up holding the
// buttons released since the previous poll, as for every other kind, so one rule reads
// every polled record.
void poll_keys(int n)
{
    s_controller &c = FENK_controller[n];
    int before = c.buttons & ~FENK_BUTTON_DIRECTIONS;
    int x, y;
    int bits = read_keys(n, &x, &y) & ~FENK_BUTTON_DIRECTIONS;
    c.x = x;
    c.y = y;
    c.z = 0;
    c.r = 0;
    c.buttons = bits;
    c.oldbuttons = before & ~bits;
}

void poll_joystick(s_controller &c)
{
    int x = 0, y = 0, z = 0, r = 0, bits = 0;
    if (!fenk_polljoystick(c.device, &x, &y, &z, &r, &bits)) {
        c.active = 0;
        return;
    }
    c.x = x;
    c.y = y;
    c.z = z;
    c.r = r;
    c.oldbuttons = c.buttons & ~bits;
    c.buttons = bits;
}

// Reads the platform's key code directly rather than through FENK_GetKeycode, so that
// polling never swallows the change a program's own FENK_GetKeycode is waiting for.
void poll_keycode(s_controller &c)
{
    int code = fenk_getkeycode();
    c.oldbuttons = c.buttons & ~code;
    c.buttons = code;
}

void poll_mouse(s_controller &c)
{
    // A mouse mode that reports no position leaves the last one in place.
    int x = c.x, y = c.y, bits = 0;
    FENK_GetMouse(&x, &y, &bits);
    c.x = x;
    c.y = y;
    c.oldbuttons = c.buttons & ~bits;
    c.buttons = bits;
}

} // namespace

// Joysticks first, in device order, then both key sets, the mouse and the key code.
// A second call starts the table over.
void FENK_InitControllers(void)
{
    memset(FENK_controller, 0, sizeof FENK_controller);
    memset(FENK_controllerkeys, 0, sizeof FENK_controllerkeys);
    int n = 0;
    for (int i = 0; i < FENK_MAXJOYSTICKS; i++) {
        if (!fenk_joystickconnected(fenk_initjoystick(i))) continue;
        add_controller(n, FENK_CONTROLLER_JOYSTICK, i);
        fenk_log(FENK_LOG_INFO, "joystick %d found\n", i);
        n++;
    }
    add_controller(n, FENK_CONTROLLER_KEYS, 0);
    set_keys(n, first_keys);
    n++;
    add_controller(n, FENK_CONTROLLER_KEYS, 0);
    set_keys(n, second_keys);
    n++;
    add_controller(n, FENK_CONTROLLER_MOUSE, 0);
    n++;
    add_controller(n, FENK_CONTROLLER_KEYCODE, 0);
    n++;
    FENK_numcontrollers = n;
}

// Reads the key states as they stand; refreshing them is FENK_GetKeys' work.
void FENK_GetControllerKeys(int n, int *buttons, int *pressed)
{
    if (!valid_controller(n) || FENK_controller[n].type != FENK_CONTROLLER_KEYS) return;
    s_controller &c = FENK_controller[n];
    int x, y;
    c.buttons = read_keys(n, &x, &y);
    c.x = x;
    c.y = y;
    if (buttons) *buttons = c.buttons;
    if (pressed) *pressed = c.buttons & ~c.oldbuttons;
    c.oldbuttons = c.buttons;
}

void FENK_PollControllers(void)
{
    int count = used_controllers();
    for (int n = 0; n < count; n++) {
        s_controller &c = FENK_controller[n];
        if (!c.active) continue;
        switch (c.type) {
        case FENK_CONTROLLER_KEYS: poll_keys(n); break;
        case FENK_CONTROLLER_JOYSTICK: poll_joystick(c); break;
        case FENK_CONTROLLER_KEYCODE: poll_keycode(c); break;
        case FENK_CONTROLLER_MOUSE: poll_mouse(c); break;
        }
    }
}

// Key sets and joysticks merged into one word; axes count as directions only beyond
// the dead zone.
void FENK_GetAllControllers(int *buttons, int *pressed)
{
    FENK_PollControllers();
    int word = 0;
    int count = used_controllers();
    for (int n = 0; n < count; n++) {
        const s_controller &c = FENK_controller[n];
        if (!c.active) continue;
        if (c.type != FENK_CONTROLLER_KEYS && c.type != FENK_CONTROLLER_JOYSTICK) continue;
        word |= c.buttons;
        if (c.x < -FENK_AXIS_DEADZONE)
            word |= FENK_BUTTON_LEFT;
        else if (c.x > FENK_AXIS_DEADZONE)
            word |= FENK_BUTTON_RIGHT;
        if (c.y < -FENK_AXIS_DEADZONE)
            word |= FENK_BUTTON_UP;
        else if (c.y > FENK_AXIS_DEADZONE)
            word |= FENK_BUTTON_DOWN;
    }
    if (buttons) *buttons = word;
    if (pressed) *pressed = word & ~fenk_input_prevcontrollerkey;
    fenk_input_prevcontrollerkey = word;
}

int FENK_AddKeyController(int *keys16)
{
    int n = FENK_numcontrollers;
    if (!keys16) return -1;
    if (!valid_controller(n)) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: No room for another controller.\n");
        return -1;
    }
    add_controller(n, FENK_CONTROLLER_KEYS, 0);
    set_keys(n, keys16);
    FENK_numcontrollers = n + 1;
    return n;
}

int FENK_SetKeyController(int n, int *keys16)
{
    if (!keys16 || !valid_controller(n)) return -1;
    set_keys(n, keys16);
    return 0;
}

void FENK_GetKeycode(int *code, int *changed)
{
    int c = fenk_getkeycode();
    if (code) *code = c;
    if (changed) *changed = c != word_load(fenk_input_prevkeycode) ? 1 : 0;
    word_store(fenk_input_prevkeycode, c);
}

void FENK_GetKeys(int *keys, int *pressed)
{
    fenk_getkeys(keys, pressed);
    take_edges();
    int k = FENK_joykey;
    if (keys) *keys = k;
    if (pressed) *pressed = k & ~fenk_input_prevkey;
    fenk_input_prevkey = k;
}

// Down now and up before, or struck in between (up and down again).
int FENK_KeyPressed(int vk)
{
    if (!valid_key(vk)) return 0;
    return edges.keys[vk] && (!edges.keys_before[vk] || edges.struck[vk]);
}

// Up now and down before, or down before and struck since (so it came up in between).
int FENK_KeyReleased(int vk)
{
    if (!valid_key(vk)) return 0;
    return edges.keys_before[vk] && (!edges.keys[vk] || edges.struck[vk]);
}

int FENK_MousePressed(int buttons)
{
    return buttons & edges.buttons & (~edges.buttons_before | edges.clicked);
}

int FENK_MouseReleased(int buttons)
{
    return buttons & edges.buttons_before & (~edges.buttons | edges.clicked);
}

// The platform calls write every output; a null one here is simply not wanted.
void FENK_GetMouse(int *x, int *y, int *buttons)
{
    int mx = x ? *x : 0, my = y ? *y : 0, b = 0;
    fenk_getmouse(&mx, &my, &b);
    if (x) *x = mx;
    if (y) *y = my;
    if (buttons) *buttons = b;
}

void FENK_GetMouseWheel(int *z, int *direction)
{
    int wz = 0, dir = 0;
    fenk_getmousewheel(&wz, &dir);
    if (z) *z = wz;
    if (direction) *direction = dir;
}

void FENK_SetMouse(int x, int y) { fenk_setmouse(x, y); }

void FENK_ShowMouse(void) { fenk_showmouse(); }

void FENK_HideMouse(void) { fenk_hidemouse(); }

void FENK_SetMouseMode(int mode) { word_store(fenk_input_mouse_mode, mode); }
