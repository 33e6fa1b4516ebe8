// The Ogg Vorbis decoder, stb_vorbis, compiled once for the engine (the Windows and
// web builds have no libstb to link). Its own code is not held to the engine's
// warnings.
#include "sound/vorbis.h"

#undef STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>
