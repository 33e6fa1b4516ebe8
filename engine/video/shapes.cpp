// Shapes as quads of the white texture: a convex polygon is a fan of triangles, two to
// a quad; an outline is the ring between the polygon and the polygon drawn inside it
// `thickness` nearer its middle, one quad per side. Every corner list here turns
// clockwise on screen (y down), the order the quad path draws: the other way round a
// quad would be culled.
#include "video/shapes.h"

#include <GL/glew.h>

#include <cmath>
#include <utility>

#include "video/fenk.h"
#include "video/glstate.h"

namespace {

struct Point {
    float x, y;
};

// Corners enough for the quads of the largest circle.
constexpr int max_corners = FENK_MAXDRAWQUADS;
float quads[FENK_MAXDRAWQUADS * 8];

// Twice the polygon's signed area: positive when it turns clockwise on screen.
float turn(const Point *p, int n)
{
    float sum = 0;
    for (int i = 0; i < n; i++) {
        const Point &a = p[i], &b = p[(i + 1) % n];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

void put(int quad, Point a, Point b, Point c, Point d)
{
    const float corners[8] = {a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y};
    for (int i = 0; i < 8; i++) quads[8 * quad + i] = corners[i];
}

void draw(int count, float r, float g, float b, float a)
{
    FENK_BindTexture(fenk_whitetexture_id);
    glColor4f(r, g, b, a);
    fenk_drawquads(quads, count);
    fenk_restorecolour();
}

// Triangles (p0, pk, pk+1), two to a quad: the quad (p0, pk, pk+1, pk+2) draws
// (p0, pk+2, pk+1) and (p0, pk+1, pk); a last lone triangle repeats its corner.
void fill(const Point *p, int n, float r, float g, float b, float a)
{
    int count = 0;
    for (int k = 1; k + 1 < n; k += 2) put(count++, p[0], p[k], p[k + 1], p[k + 2 < n ? k + 2 : k + 1]);
    draw(count, r, g, b, a);
}

void ring(const Point *outer, const Point *inner, int n, float r, float g, float b, float a)
{
    for (int i = 0; i < n; i++) put(i, outer[i], outer[(i + 1) % n], inner[(i + 1) % n], inner[i]);
    draw(n, r, g, b, a);
}

// Enough corners that a side's middle lies within a quarter pixel of the circle.
int circle_corners(float radius)
{
    const double sag = 0.25 / radius;
    const int n = sag >= 1 ? 8 : static_cast<int>(ceil(3.14159265358979323846 / acos(1 - sag)));
    return n < 8 ? 8 : n > max_corners ? max_corners : n;
}

// Clockwise on screen: the angle grows from +x towards +y, which points down.
int circle(Point *p, float x, float y, float radius, int n)
{
    for (int i = 0; i < n; i++) {
        const double angle = 2 * 3.14159265358979323846 * i / n;
        p[i] = {x + radius * static_cast<float>(cos(angle)), y + radius * static_cast<float>(sin(angle))};
    }
    return n;
}

void rect_corners(Point *p, float x, float y, float w, float h)
{
    p[0] = {x, y};
    p[1] = {x + w, y};
    p[2] = {x + w, y + h};
    p[3] = {x, y + h};
}

} // namespace

void FENK_DrawRect(float x, float y, float w, float h, float r, float g, float b, float a)
{
    if (w < 0) x += w, w = -w;
    if (h < 0) y += h, h = -h;
    Point p[4];
    rect_corners(p, x, y, w, h);
    fill(p, 4, r, g, b, a);
}

void FENK_DrawRectOutline(float x, float y, float w, float h, float thickness, float r, float g, float b,
                          float a)
{
    if (thickness <= 0) return;
    if (w < 0) x += w, w = -w;
    if (h < 0) y += h, h = -h;
    if (2 * thickness >= w || 2 * thickness >= h) return FENK_DrawRect(x, y, w, h, r, g, b, a);
    Point outer[4], inner[4];
    rect_corners(outer, x, y, w, h);
    rect_corners(inner, x + thickness, y + thickness, w - 2 * thickness, h - 2 * thickness);
    ring(outer, inner, 4, r, g, b, a);
}

void FENK_DrawCircle(float x, float y, float radius, float r, float g, float b, float a)
{
    if (!(radius > 0)) return;
    static Point p[max_corners];
    fill(p, circle(p, x, y, radius, circle_corners(radius)), r, g, b, a);
}

void FENK_DrawCircleOutline(float x, float y, float radius, float thickness, float r, float g, float b,
                            float a)
{
    if (!(radius > 0) || thickness <= 0) return;
    if (thickness >= radius) return FENK_DrawCircle(x, y, radius, r, g, b, a);
    static Point outer[max_corners], inner[max_corners];
    const int n = circle_corners(radius);
    circle(outer, x, y, radius, n);
    circle(inner, x, y, radius - thickness, n);
    ring(outer, inner, n, r, g, b, a);
}

void FENK_DrawTriangle(float x1, float y1, float x2, float y2, float x3, float y3, float r, float g, float b,
                       float a)
{
    Point p[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    if (turn(p, 3) < 0) std::swap(p[1], p[2]);
    fill(p, 3, r, g, b, a);
}

// The inner triangle is the outer one shrunk towards its incentre, whose distance from
// every side is the inradius: shrinking by (inradius - thickness) / inradius moves each
// side `thickness` inwards.
void FENK_DrawTriangleOutline(float x1, float y1, float x2, float y2, float x3, float y3, float thickness,
                              float r, float g, float b, float a)
{
    if (thickness <= 0) return;
    Point p[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    if (turn(p, 3) < 0) std::swap(p[1], p[2]);
    float side[3], perimeter = 0;
    for (int i = 0; i < 3; i++) {
        const Point &u = p[(i + 1) % 3], &v = p[(i + 2) % 3]; // the side facing corner i
        side[i] = hypotf(u.x - v.x, u.y - v.y);
        perimeter += side[i];
    }
    const float inradius = perimeter > 0 ? turn(p, 3) / perimeter : 0;
    if (thickness >= inradius) return fill(p, 3, r, g, b, a);
    Point centre = {0, 0};
    for (int i = 0; i < 3; i++) {
        centre.x += side[i] * p[i].x / perimeter;
        centre.y += side[i] * p[i].y / perimeter;
    }
    const float scale = (inradius - thickness) / inradius;
    Point inner[3];
    for (int i = 0; i < 3; i++)
        inner[i] = {centre.x + (p[i].x - centre.x) * scale, centre.y + (p[i].y - centre.y) * scale};
    ring(p, inner, 3, r, g, b, a);
}

void FENK_DrawThickLine(float x1, float y1, float x2, float y2, float thickness, float r, float g, float b,
                        float a)
{
    const float length = hypotf(x2 - x1, y2 - y1);
    if (!(length > 0) || thickness <= 0) return;
    const float nx = -(y2 - y1) / length * thickness / 2, ny = (x2 - x1) / length * thickness / 2;
    Point p[4] = {{x1 + nx, y1 + ny}, {x2 + nx, y2 + ny}, {x2 - nx, y2 - ny}, {x1 - nx, y1 - ny}};
    if (turn(p, 4) < 0) std::swap(p[1], p[3]);
    fill(p, 4, r, g, b, a);
}
