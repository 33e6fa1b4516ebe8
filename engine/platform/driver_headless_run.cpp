// The program entry of headless programs, kept apart from the host's other calls so
// that programs without a coremain (tests) can link the host.
#include "platform/driver_headless.h"
#include "platform/rawinput.h"

int fenk_headless_run(int argc, char **argv)
{
    fenk_rawinput_resetmouse();
    const int result = coremain(argc, argv);
    fenk_headless_flushframes(); // a program that leaves its window open
    return result;
}
