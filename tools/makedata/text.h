// Text set with FreeType into coverage masks.
#pragma once

#include <string>

#include "picture.h"

namespace makedata {

struct TextMask {
    Mask mask;        // tight box of the line, plus `border` pixels all round
    int baseline = 0; // row of the baseline inside mask
    int advance = 0;  // pen advance of the whole line in pixels
    int origin = 0;   // column of the pen start inside mask
};

// Sets one line of text in the font file at a pixel height, with extra tracking in
// pixels between letters. An empty mask means the font could not be used.
TextMask set_text(const std::string &font_file, int pixel_size, const std::string &text, int tracking = 0,
                  int border = 0);

// Where the font files live; set once at start-up from the command line or the build.
extern std::string font_dir;
std::string font_path(const char *file_name);

} // namespace makedata
