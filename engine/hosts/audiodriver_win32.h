/* The Windows output driver: waveOut with a ring of four 2048-frame buffers, each
 * refilled by a mix pass once the device has played it. It defines the calls of
 * audiodriver.h and nothing else. */
#ifndef FENK_HOSTS_AUDIODRIVER_WIN32_H
#define FENK_HOSTS_AUDIODRIVER_WIN32_H

#include "sound/audiodriver.h"

#endif
