// GL state the video units share beyond the public calls: the frame buffer binding
// through whichever names the context has, and the alpha test as the bound program
// sees it.
#ifndef FENK_VIDEO_GLSTATE_H
#define FENK_VIDEO_GLSTATE_H

// Binds frame buffer object `fbo` (0: the window) with the core call where the context
// has it, else EXT_framebuffer_object's; nothing without either.
void fenk_bindframebuffer(unsigned int fbo);

// The `fenk_alphatest` uniform of the program bound through FENK_BindShader, -1 while
// none is bound or it declares none.
extern int fenk_boundalphatest;

// Tells the bound program whether the alpha test is on, through its uniform
// `fenk_alphatest` (1.0 on, 0.0 off) where it declares one. The fixed alpha test is
// skipped on WebGL while a program is bound; a program that discards fragments of alpha
// 0 when the uniform is set draws the same on every host.
void fenk_shaderalphatest(void);

// Quads drawn in one call with the bound texture and the current colour: `quads` of
// them, four corners each as x, y pairs in FENK_DrawQuad's vertex order (top-left,
// top-right, bottom-right, bottom-left of an upright one, so a quad whose corners turn
// the other way is culled), texture coordinate (0, 0) at every corner. Counted as
// FENK_DrawQuad counts, skipped when their bounds lie outside the frame buffer, refused
// beyond FENK_MAXDRAWQUADS.
#define FENK_MAXDRAWQUADS 512
void fenk_drawquads(const float *corners, int quads);

// Puts back the current colour the textured draws take: the program's tint (white
// without one). Every call that sets another colour for its own draw ends with it.
void fenk_restorecolour(void);
// 1 while the program's tint is not white.
int fenk_tinted(void);

#endif
