// The caption font picture: a marker row on top, then glyph 0 (one blank column) and
// the glyphs of the characters 0x20 to 0x7C side by side, each starting at a marker.
#pragma once

#include <string>

namespace makedata {

constexpr int font_first_char = 0x20;
constexpr int font_last_char = 0x7C;

bool write_font(const std::string &path);

} // namespace makedata
