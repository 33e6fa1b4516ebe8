// The headless host's read-back: each frame shown is read from where the engine says
// it is and handed to the program's frame sink, at once or deferred by one frame
// through a ring of pixel buffers. Its part of driver_headless.h (the sink, deferral,
// flush, window read-back) is defined in headless_readback.cpp. For the host only.
#ifndef FENK_HOSTS_HEADLESS_READBACK_H
#define FENK_HOSTS_HEADLESS_READBACK_H

#include <stdint.h>

// The host's context is current with a window of this size; frames may be read.
void headless_readback_open(int width, int height);
// Before the context goes: hands over a deferred frame and frees the ring.
void headless_readback_close(void);
// The engine's present-from question for a frame that is shown: where to read it
// (the frame buffer object fbo, or the window when 0 or when reading windows). Returns
// 1 when the presentation pass must draw the window.
int headless_readback_source(unsigned int fbo);
// At the host's swap: frame `frame` goes to the sink, with its pixels when shown.
void headless_readback_frame(bool shown, uint64_t frame, uint32_t millis);

// Ends the program with the host's error line.
[[noreturn]] void headless_fail(const char *what);

#endif
