// The portable half of raw input, shared by every host: the words of platform.h,
// the key bit mask and key-code tables, the window procedure's updates, the joystick
// arithmetic. A host feeds it platform events.
#ifndef FENK_INPUT_RAWINPUT_H
#define FENK_INPUT_RAWINPUT_H

#include "input/coreinput.h"
#include "platform/platform.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
    FENK_NUMKEYS = 256,
    FENK_JOYSTICK_LAYOUT10 = 1,
    FENK_JOYSTICK_LAYOUT14 = 2,
    FENK_JOYSTICK_LAYOUTOTHER = 3,
    FENK_JOYSTICK_POV_CENTERED = 65535
};

// Key bit mask of the 256 key states (non-zero = held).
int fenk_keymask(const int *keys);
// Engine key code of a virtual-key code (0xF000 and up for special keys, the code itself otherwise).
int fenk_translatekeycode(int vk);
// Virtual-key code whose engine code is `code`, or -1 when no special key has it.
int fenk_untranslatekeycode(int code);

// The window procedure's updates (key down/up with the message's wParam, one wheel
// message with its signed delta, a button's down or up) and the reset at start. A
// button going down is also marked for fenk_mousetap_take.
void fenk_rawinput_keydown(unsigned int wparam);
void fenk_rawinput_keyup(unsigned int wparam);
void fenk_rawinput_wheel(int delta);
void fenk_rawinput_button(int bit, int down);
void fenk_rawinput_resetmouse(void);

// The window's close (its close box, the system's quit, the page going away), from the
// thread that sees it: 1 when the program asked to be told (FENK_CatchClose), which is
// then told; 0 when the host must end the program at once, as it always has.
int fenk_rawinput_close(void);
// Whether the program catches the close now (for a host that must prepare for it).
int fenk_rawinput_closecaught(void);

// Taps between two polls: the thread that sees a key go down marks it in the host's
// table of FENK_NUMKEYS words; the poll takes the mark (and clears it), so a key that
// went down and up since the last poll reads held for that poll and released after.
// The poll takes every key's mark, held or not, so none outlives its key.
void fenk_keytap_down(int *tapped, int code);
int fenk_keytap_take(int *tapped, int code);
// What the last poll's takes found, by key: 1 for a key that went down since the poll
// before it (held or not now). Show thread only.
extern int fenk_keystruck[FENK_NUMKEYS];
// The mouse buttons (FENK_MOUSE_* bits) that went down since the last take, cleared by
// the take.
int fenk_mousetap_take(void);

// Joystick arithmetic over the raw device values: axes 0..65535, hat in hundredths of
// a degree (FENK_JOYSTICK_POV_CENTERED when centred), buttons one bit each.
int fenk_joystickaxis(unsigned int raw);
int fenk_joysticklayout(int numbuttons);
int fenk_joystickbits(int layout, unsigned int pov, unsigned int buttons);

#ifdef __cplusplus
}
#endif

#endif
