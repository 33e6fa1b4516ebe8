// The program entry of headless programs, kept apart from the host's other calls so
// that programs without a coremain (tests) can link the host.
#include "hosts/driver_headless.h"
#include "input/rawinput.h"

int fenk_headless_run(int argc, char **argv)
{
    // The mouse words start at zero, as a window's do, but the buttons a script holds
    // down before the run stay down.
    const int held = fenk_mouse_buttons;
    fenk_rawinput_resetmouse();
    fenk_mouse_buttons = held;
    const int result = coremain(argc, argv);
    fenk_headless_flushframes(); // a program that leaves its window open
    return result;
}
