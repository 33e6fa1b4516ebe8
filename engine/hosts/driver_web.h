// The web host (Emscripten, WebAssembly in a page): what it gives beyond platform/host.h.
// The program's own main is the backend's; it runs coremain on the page's one thread
// (Asyncify), every swap waiting for the browser's next animation frame.
#ifndef FENK_HOSTS_DRIVER_WEB_H
#define FENK_HOSTS_DRIVER_WEB_H

#ifdef __cplusplus
extern "C" {
#endif

// Slots for the browser's gamepads (the Gamepad interface numbers them from 0).
#define FENK_WEB_MAXJOYSTICKS 16

// The Windows virtual-key code of a DOM keyboard event's keyCode and location (1 left,
// 2 right, 3 keypad), 0 for a key the engine has no code for. Shift, Control and Alt
// give their left/right codes 0xA0..0xA5; the keyCodes some browsers give of their own
// for ; = and - are taken too.
int fenk_web_virtualkey(int keycode, int location);

#ifdef __cplusplus
}
#endif

#endif
