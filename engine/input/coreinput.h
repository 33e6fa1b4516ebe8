/* Controllers and key mapping: key sets, joysticks, the mouse and the last key code,
 * each reduced to the same record of axes and direction and button bits, and the
 * engine's edge-detecting key, key-code and mouse calls over the platform's raw input. */
#ifndef FENK_INPUT_COREINPUT_H
#define FENK_INPUT_COREINPUT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FENK_MAXCONTROLLERS 8
#define FENK_CONTROLLERKEYS 16
/* Joysticks looked for by FENK_InitControllers. */
#define FENK_MAXJOYSTICKS 4

/* Controller kinds (s_controller.type). */
#define FENK_CONTROLLER_KEYS 1
#define FENK_CONTROLLER_JOYSTICK 2
#define FENK_CONTROLLER_KEYCODE 3
#define FENK_CONTROLLER_MOUSE 4

/* Direction and button bits, the layout of the key bit mask; buttons from 0x0010 up. */
#define FENK_BUTTON_UP 0x0001
#define FENK_BUTTON_DOWN 0x0002
#define FENK_BUTTON_LEFT 0x0004
#define FENK_BUTTON_RIGHT 0x0008
#define FENK_BUTTON_DIRECTIONS 0x000F
/* The other bits of the key bit mask of FENK_GetKeys, named by the key that sets
 * them first; 0x0200 and 0x0800 come from joystick buttons only. */
#define FENK_BUTTON_SPACE 0x0010
#define FENK_BUTTON_CTRL 0x0020
#define FENK_BUTTON_SHIFT 0x0040
#define FENK_BUTTON_ALT 0x0080 /* also C */
#define FENK_BUTTON_Z 0x0100
#define FENK_BUTTON_X 0x0400
#define FENK_BUTTON_ENTER 0x1000     /* also 1 */
#define FENK_BUTTON_BACKSPACE 0x2000 /* also Delete, 2 */
#define FENK_BUTTON_TAB 0x4000
#define FENK_BUTTON_ESCAPE 0x8000

/* Key codes of FENK_keys (Windows virtual-key codes). A letter or digit is its
 * upper-case character: FENK_keys['A'], FENK_keys['1']. */
#define FENK_KEY_BACKSPACE 0x08
#define FENK_KEY_TAB 0x09
#define FENK_KEY_ENTER 0x0D
#define FENK_KEY_SHIFT 0x10
#define FENK_KEY_CTRL 0x11
#define FENK_KEY_ALT 0x12
#define FENK_KEY_ESCAPE 0x1B
#define FENK_KEY_SPACE 0x20
#define FENK_KEY_PAGEUP 0x21
#define FENK_KEY_PAGEDOWN 0x22
#define FENK_KEY_END 0x23
#define FENK_KEY_HOME 0x24
#define FENK_KEY_LEFT 0x25
#define FENK_KEY_UP 0x26
#define FENK_KEY_RIGHT 0x27
#define FENK_KEY_DOWN 0x28
#define FENK_KEY_INSERT 0x2D
#define FENK_KEY_DELETE 0x2E
#define FENK_KEY_F1 0x70 /* to FENK_KEY_F1 + 11 for F12 */
/* Mouse button bits of FENK_GetMouse. */
#define FENK_MOUSE_LEFT 0x1
#define FENK_MOUSE_RIGHT 0x2
#define FENK_MOUSE_MIDDLE 0x4
/* Axis value of a held direction key, and the dead zone of the combined word. */
#define FENK_AXIS_FULL 127
#define FENK_AXIS_DEADZONE 64

typedef struct s_controller {
    int32_t type;   /* FENK_CONTROLLER_*, 0 for an unused record */
    int32_t device; /* joystick number for joysticks, else 0 */
    int32_t x;      /* -127..127 for keys and joysticks; mouse x for the mouse */
    int32_t y;
    int32_t z; /* third and fourth joystick axes; 0 otherwise */
    int32_t r;
    int32_t buttons;    /* current bits (the key code itself for the key-code source) */
    int32_t oldbuttons; /* after FENK_GetControllerKeys: the bits of that read; after a
                           poll: the bits released since the previous poll. A program
                           keeps to one of the two on a key set. */
    int32_t active;     /* 1 while polled; a joystick that stops answering drops to 0 */
} s_controller;

/* Held state of each key by Windows virtual-key code, non-zero while held; kept
 * current by FENK_GetKeys, which rewrites it as 0x8000 or 0. */
extern int FENK_keys[256];

extern s_controller FENK_controller[FENK_MAXCONTROLLERS];
extern int FENK_controllerkeys[FENK_MAXCONTROLLERS][FENK_CONTROLLERKEYS];
extern int FENK_numcontrollers;
extern int fenk_input_prevcontrollerkey;
extern int fenk_input_prevkey;

void FENK_InitControllers(void);
void FENK_GetControllerKeys(int n, int *buttons, int *pressed);
void FENK_PollControllers(void);
void FENK_GetAllControllers(int *buttons, int *pressed);
/* Returns the new controller's number, or -1 when the table is full or keys16 is null. */
int FENK_AddKeyController(int *keys16);
/* Returns 0, or -1 (nothing changed) for a number outside the table or a null table. */
int FENK_SetKeyController(int n, int *keys16);

void FENK_GetKeycode(int *code, int *changed);
void FENK_GetKeys(int *keys, int *pressed);

/* Edges between the last two FENK_GetKeys calls (call it once a frame): whether
 * virtual key vk (FENK_KEY_*, 'A'..'Z', '0'..'9', 0..255) went down, or came up, in
 * between. A key that went down and up again in between (a tap) is pressed at that
 * poll and released at the next. */
int FENK_KeyPressed(int vk);
int FENK_KeyReleased(int vk);
/* The same for the mouse buttons: the bits of `buttons` (FENK_MOUSE_*) that went down,
 * or came up, between the last two FENK_GetKeys calls, clicks included. */
int FENK_MousePressed(int buttons);
int FENK_MouseReleased(int buttons);

void FENK_GetMouse(int *x, int *y, int *buttons);
/* FENK_GetCanvasMouse, the pointer in the canvas's pixels, is in video/fenk.h. */
void FENK_GetMouseWheel(int *z, int *direction);
void FENK_SetMouse(int x, int y);
void FENK_ShowMouse(void);
void FENK_HideMouse(void);
void FENK_SetMouseMode(int mode);

#ifdef __cplusplus
}
#endif

#endif
