// A program on the stand-in backend, with every engine unit linked whether called or
// not. Should an engine unit come to call a backend's own function, or the contract's
// checklist name less than a host must define, this program no longer links. Run, it
// checks the stand-in answers as a host without devices: no keys, a clock that does
// not run back, and a sound system that starts silent and stops.
#include <cstdio>

#include "input/coreinput.h"
#include "platform/host.h"
#include "sound/coresound.h"

static int failures;

static void check(bool ok, const char *what)
{
    if (!ok) {
        printf("FAILED: %s\n", what);
        failures++;
    }
}

int coremain(int argc, char **argv)
{
    check(argc >= 1 && argv[0] != nullptr, "coremain gets the program's name");
    FENK_SetTitle("template");
    const unsigned before = FENK_GetMillis();
    check(FENK_GetMillis() - before < 60000u, "the clock does not run back");

    int keys = -1, pressed = -1;
    FENK_GetKeys(&keys, &pressed);
    check(keys == 0 && pressed == 0, "no key is held");
    int x = 0, y = 0, buttons = -1;
    FENK_GetMouse(&x, &y, &buttons);
    check(buttons == 0, "no mouse button is held");
    FENK_InitControllers();
    check(FENK_numcontrollers >= 0, "controllers start");

    Soundsystem_Init(44100, 16, 2);
    Soundsystem_CloseAudio();

    printf("%s\n", failures ? "template backend: failed" : "template backend: ok");
    return failures ? 1 : 0;
}
