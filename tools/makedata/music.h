// The show's music: a synthesised piece in 4/4 with bars of exactly 100 000 frames at
// 44 100 Hz, written as a canonical 16-bit stereo WAV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace makedata {

constexpr int music_rate = 44100;
constexpr int music_bar = 100000;
constexpr int music_bars = 50;
constexpr int music_frames = music_bar * music_bars;

// Interleaved left/right 16-bit samples, music_frames frames.
std::vector<int16_t> render_music();

bool write_wav(const std::string &path, const std::vector<int16_t> &samples, int channels, int rate);

} // namespace makedata
