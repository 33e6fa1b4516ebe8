// The scissor the engine keeps from two clips: the program's (FENK_SetClipRect) and
// the host's draw-nothing (s_hosthooks). Shared by presentation and drawing.
#ifndef FENK_VIDEO_CLIP_H
#define FENK_VIDEO_CLIP_H

// Sets GL's scissor for drawing into a target `height` rows high from both clips; with
// `present` the program's clip is left out.
void fenk_applyclip(int height, int present);
// While on, every draw and clear, the presentation included, is clipped to nothing.
void fenk_clipnothing(int on);

#endif
