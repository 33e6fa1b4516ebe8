// A test-only stand-in for the host's raw input calls, so the input tests link the
// engine alone: the key states are whatever the test puts in FENK_keys, and the
// joysticks and the cursor are scripted here.
#ifndef FENK_TESTS_INPUT_STUB_HOST_H
#define FENK_TESTS_INPUT_STUB_HOST_H

enum { STUB_JOYSTICKS = 16 };

struct StubJoystick {
    int connected;
    int answers; // 0: every poll fails
    int numbuttons;
    unsigned int x, y, z, r; // raw device axes, 0..65535
    unsigned int pov;        // hundredths of a degree, 65535 when centred
    unsigned int buttons;    // one bit per button
    int polls;
};

struct StubHost {
    StubJoystick joysticks[STUB_JOYSTICKS];
    int cursor_x, cursor_y;
    int cursor_shown; // shows minus hides
};

extern StubHost stub_host;

// Clears the stub and every raw input word; joysticks start centred and answering.
void stub_host_reset();
void stub_joystick(int id, int numbuttons);

#endif
