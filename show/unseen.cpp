// Frames nobody sees: what of a frame the capture does not write can still reach a
// frame it writes. Only the capture gives a plan; without one every frame is whole but
// for the scene, drawn again only when its pictures change.
#include "show/unseen.h"

#include <limits.h>
#include <math.h>

#include "platform/platform.h"
#include "show/pace.h"
#include "video/video_opengl.h"

namespace {

ShowFramePlan plan;
// The pictures the scene frame buffer holds, drawn by an earlier frame.
bool scene_known;
ShowPicture scene_pictures[SHOW_MAXPICTURES];
int scene_count;

// Passes that change no pixel are left out only in frames that are drawn at all: a
// frame run undrawn (under the plan, or by the host's own choice) leaves the scene as
// it was.
bool skipping(int frame)
{
    if (plan.redraw || fenk_gethosthooks()->drawnothing) return false;
    return !plan.kind || plan.kind(static_cast<uint64_t>(frame), plan.user) != SHOW_FRAME_UNDRAWN;
}

// The part of the screen frame buffer that the tube pass of camera frame `frame`
// draws over in full, pixel by pixel, whenever its fade is at least 0.1: x, y, width,
// height, top-down. The glass keeps at least 2 % of the rectangle's width and 3 % of
// its height from its edges (at the corners, where it curves in most); 3 % and 4 % in,
// its alpha is at least 0.049 times the fade, well above what rounds to 0. Two pixels
// more keep clear of rounding.
void tube_cover1(int frame, int cover[4])
{
    const ShowCamera camera = crt_camera(frame);
    const int *rect = camera.rect;
    const int dx = (int)ceil(0.03 * rect[2]) + 2;
    const int dy = (int)ceil(0.04 * rect[3]) + 2;
    int x0 = rect[0] + dx, x1 = rect[0] + rect[2] - dx;
    int y0 = rect[1] + dy, y1 = rect[1] + rect[3] - dy;
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (x1 > SHOW_SCREEN_WIDTH) x1 = SHOW_SCREEN_WIDTH;
    if (y1 > SHOW_SCREEN_HEIGHT) y1 = SHOW_SCREEN_HEIGHT;
    cover[0] = x0;
    cover[1] = y0;
    cover[2] = x1 > x0 ? x1 - x0 : 0;
    cover[3] = y1 > y0 ? y1 - y0 : 0;
}

// What the tube covers in full whichever of camera frames `first` to `last` it has:
// the frames' covers intersected.
void tube_cover(int first, int last, int cover[4])
{
    tube_cover1(first, cover);
    for (int frame = first + 1; frame <= last; frame++) {
        int next[4];
        tube_cover1(frame, next);
        const int x0 = cover[0] > next[0] ? cover[0] : next[0];
        const int y0 = cover[1] > next[1] ? cover[1] : next[1];
        const int x1 = cover[0] + cover[2] < next[0] + next[2] ? cover[0] + cover[2] : next[0] + next[2];
        const int y1 = cover[1] + cover[3] < next[1] + next[3] ? cover[1] + cover[3] : next[1] + next[3];
        cover[0] = x0;
        cover[1] = y0;
        cover[2] = x1 > x0 ? x1 - x0 : 0;
        cover[3] = y1 > y0 ? y1 - y0 : 0;
    }
}

// The screen frame buffer less `cover`, as up to four rectangles that do not overlap;
// returns how many.
int around(const int cover[4], int strips[4][4])
{
    const int x0 = cover[0], y0 = cover[1], x1 = cover[0] + cover[2], y1 = cover[1] + cover[3];
    const int all[4][4] = {{0, 0, SHOW_SCREEN_WIDTH, y0},
                           {0, y1, SHOW_SCREEN_WIDTH, SHOW_SCREEN_HEIGHT - y1},
                           {0, y0, x0, y1 - y0},
                           {x1, y0, SHOW_SCREEN_WIDTH - x1, y1 - y0}};
    int count = 0;
    for (const auto &strip : all)
        if (strip[2] > 0 && strip[3] > 0) {
            for (int i = 0; i < 4; i++) strips[count][i] = strip[i];
            count++;
        }
    return count;
}

} // namespace

void show_setframeplan(const ShowFramePlan *given)
{
    plan = given ? *given : ShowFramePlan{};
    scene_known = false;
}

int show_sceneneeded(int frame, const ShowPicture *pictures, int count)
{
    if (!skipping(frame)) {
        scene_known = false;
        return 1;
    }
    bool same = scene_known && count == scene_count;
    for (int i = 0; same && i < count; i++)
        same = pictures[i].bitmap == scene_pictures[i].bitmap && pictures[i].alpha == scene_pictures[i].alpha;
    scene_known = true;
    scene_count = count;
    for (int i = 0; i < count; i++) scene_pictures[i] = pictures[i];
    return !same;
}

int show_tubeneeded(int frame, float fade) { return fade > 0 || !skipping(frame); }

void show_drawparts(int frame, int cameraframe, float fade, ShowParts *parts)
{
    parts->clipped = 0;
    parts->count = 1;
    if (!plan.nextshown) return;
    // A frame nobody sees need only draw what the next frame seen leaves as it is:
    // outside what that frame's tube pass covers, while its fade (falling by 0.002 a
    // step at most) cannot have reached 0.1. At 60 frames a second each frame is one
    // step of the show's pace; at another rate the next frame's camera is known only
    // to within a few steps, and what all of those cover is taken.
    const uint64_t next = plan.nextshown(static_cast<uint64_t>(frame), plan.user);
    const int ahead =
        (next < INT_MAX / SHOW_STEPRATE ? static_cast<int>(next) : INT_MAX / SHOW_STEPRATE) - frame;
    const int rate = plan.rate > 0 ? plan.rate : SHOW_STEPRATE;
    const int steps = static_cast<int>(static_cast<int64_t>(ahead) * SHOW_STEPRATE / rate);
    const int spread = rate == SHOW_STEPRATE ? 0 : 4;
    int cover[4] = {0, 0, 0, 0};
    if (ahead > 0 && fade - 0.002f * (steps + spread) >= 0.1f)
        tube_cover(cameraframe + steps - spread, cameraframe + steps + spread, cover);
    if (cover[2] > 0 && cover[3] > 0) {
        parts->clipped = 1;
        parts->count = around(cover, parts->strips);
    }
}

void show_clippart(const ShowParts *parts, int i)
{
    if (parts->clipped)
        FENK_SetClipRect(parts->strips[i][0], parts->strips[i][1], parts->strips[i][2], parts->strips[i][3]);
}
