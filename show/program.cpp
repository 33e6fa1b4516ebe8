// The entry of show_1080, show_720 and show_1080_full: the show with the video mode
// this program was built to ask for (SHOW_VIDEO_WIDTH, SHOW_VIDEO_HEIGHT and
// SHOW_VIDEO_FLAGS, defined for this unit alone), and of show_web, which also asks for
// the data in its web forms (SHOW_WEB_DATA).
#include "show/main.h"

#ifndef SHOW_WEB_DATA
#define SHOW_WEB_DATA 0
#endif

namespace {

// Set during static initialisation: the host's entry, which starts the show thread
// running coremain, comes after it.
struct ModeRequest {
    ModeRequest()
    {
        show_videowidth = SHOW_VIDEO_WIDTH;
        show_videoheight = SHOW_VIDEO_HEIGHT;
        show_videoflags = SHOW_VIDEO_FLAGS;
        show_webdata = SHOW_WEB_DATA;
    }
} mode_request;

} // namespace
