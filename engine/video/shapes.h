/* Shapes in one colour: filled and outlined rectangles, circles and triangles, and
 * thick lines, drawn as quads of the white texture into the current frame buffer, so
 * they are culled, clipped and counted as quads are. Coordinates are float pixels, the
 * origin top-left, y down; r, g, b, a run from 0 to 1 and are the shape's colour as it
 * is (no tint). The render state is left as it stands: for a see-through colour turn
 * blending on first (FENK_EnableAlphaBlend). Afterwards the current colour is the
 * tint's again, as after FENK_DrawColorQuad. */
#ifndef FENK_VIDEO_SHAPES_H
#define FENK_VIDEO_SHAPES_H

#ifdef __cplusplus
extern "C" {
#endif

/* An outline lies inside the shape's edge, `thickness` pixels wide; one as thick as
 * the shape is deep draws the shape filled, one of 0 or less draws nothing. */
void FENK_DrawRect(float x, float y, float w, float h, float r, float g, float b, float a);
void FENK_DrawRectOutline(float x, float y, float w, float h, float thickness, float r, float g, float b,
                          float a);
/* Circles are polygons with enough corners to stay within a quarter pixel of round. */
void FENK_DrawCircle(float x, float y, float radius, float r, float g, float b, float a);
void FENK_DrawCircleOutline(float x, float y, float radius, float thickness, float r, float g, float b,
                            float a);
/* The corners in either order. */
void FENK_DrawTriangle(float x1, float y1, float x2, float y2, float x3, float y3, float r, float g, float b,
                       float a);
void FENK_DrawTriangleOutline(float x1, float y1, float x2, float y2, float x3, float y3, float thickness,
                              float r, float g, float b, float a);
/* A line `thickness` pixels wide, centred on the segment, with square-cut ends at the
 * two points. */
void FENK_DrawThickLine(float x1, float y1, float x2, float y2, float thickness, float r, float g, float b,
                        float a);

#ifdef __cplusplus
}
#endif

#endif
