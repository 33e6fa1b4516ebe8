/* The Linux output driver: SDL2 audio at 44 100 Hz in 2048-frame buffers, four of
 * them mixed ahead of what SDL has taken, refilled from SDL's audio callback. It
 * defines the calls of audiodriver.h and nothing else. */
#ifndef FENK_HOSTS_AUDIODRIVER_SDL_H
#define FENK_HOSTS_AUDIODRIVER_SDL_H

#include "sound/audiodriver.h"

#endif
