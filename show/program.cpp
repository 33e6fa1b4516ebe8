// The entry of show_1080, show_720 and show_1080_full: the show with the video mode
// this program was built to ask for (SHOW_VIDEO_WIDTH, SHOW_VIDEO_HEIGHT and
// SHOW_VIDEO_FLAGS, defined for this unit alone).
#include "show/main.h"

namespace {

// Set during static initialisation: the host's entry, which starts the show thread
// running coremain, comes after it.
struct ModeRequest {
    ModeRequest()
    {
        show_videowidth = SHOW_VIDEO_WIDTH;
        show_videoheight = SHOW_VIDEO_HEIGHT;
        show_videoflags = SHOW_VIDEO_FLAGS;
    }
} mode_request;

} // namespace
