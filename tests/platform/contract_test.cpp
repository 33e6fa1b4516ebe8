// The engine without a host, linked whole (every unit, called or not) with nothing but
// these stand-ins for the platform calls it makes. Should an engine unit come to call
// a backend's own function, or a new contract call go unlisted here, this program no
// longer links: the backends could then no longer each be one library over the engine.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "sound/audiodriver.h"

namespace {

int calls;

} // namespace

extern "C" {

void fenk_initwindow(int, int, int) { calls++; }
void fenk_closewindow(void) { calls++; }
void fenk_swapbuffers(void) { calls++; }
unsigned int FENK_GetMillis(void) { return calls++; }
void fenk_getkeys(int *, int *) { calls++; }
void fenk_getmouse(int *, int *, int *) { calls++; }
void fenk_setmouse(int, int) { calls++; }
void fenk_showmouse(void) { calls++; }
void fenk_hidemouse(void) { calls++; }
int fenk_joystickconnected(int) { return calls++; }
int fenk_initjoystick(int) { return calls++; }
int fenk_polljoystick(int, int *, int *, int *, int *, int *) { return calls++; }
int audiodriver_init(unsigned, unsigned, int, int) { return calls++; }
void audiodriver_close(void) { calls++; }
}

// Linking is the check; besides, no engine unit calls the host before main.
TEST(PlatformContract, TheWholeEngineLinksAgainstTheContractCallsAlone) { EXPECT_EQ(calls, 0); }
